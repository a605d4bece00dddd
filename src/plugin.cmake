# The plug-in DLL: the core plus the Win32 shell, resources and exports.
file(GLOB_RECURSE _rc_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.rc)

add_library(itw_stanzascopium SHARED
  ${_win32_sources}
  ${_rc_sources}
  ${CMAKE_CURRENT_SOURCE_DIR}/itw_stanzascopium.def)
set_target_properties(itw_stanzascopium PROPERTIES PREFIX "" OUTPUT_NAME itw_stanzascopium
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(itw_stanzascopium PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR})
target_compile_definitions(itw_stanzascopium PRIVATE
  WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE
  _WIN32_WINNT=0x0601 WINVER=0x0601
  STANZASCOPIUM_SERVICE_HOST="${STANZASCOPIUM_SERVICE_HOST}")
target_compile_options(itw_stanzascopium PRIVATE -Os -ffunction-sections -fdata-sections)
# The C++ runtime and the thread emulation are linked in statically: the DLL
# lives in the player's process and may import Windows system DLLs only.
target_link_options(itw_stanzascopium PRIVATE
  -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -Wl,--enable-stdcall-fixup
  $<$<CONFIG:Release>:-s>)
target_link_libraries(itw_stanzascopium PRIVATE
  stanza_core stanza_warnings
  ws2_32 ole32 oleaut32 uuid advapi32 user32 kernel32)
set_property(TARGET itw_stanzascopium PROPERTY RESOURCE_INCLUDES ${CMAKE_CURRENT_SOURCE_DIR})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_CURRENT_SOURCE_DIR} -I${CMAKE_CURRENT_BINARY_DIR}" PARENT_SCOPE)

# The COM server's type library: compiled from its .idl by widl and carried
# as resource TYPELIB 1 by src/com/com_server.rc, beside the registration
# script; src/com/module_info.rc carries the manifest.
set(_stz_typelib ${CMAKE_CURRENT_BINARY_DIR}/itw_stanzascopium.tlb)
add_custom_command(OUTPUT ${_stz_typelib}
  COMMAND ${STANZA_WIDL} --win32 -t -I ${CMAKE_CURRENT_SOURCE_DIR} -o ${_stz_typelib}
          ${CMAKE_CURRENT_SOURCE_DIR}/com/itw_stanzascopium.idl
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/com/itw_stanzascopium.idl ${CMAKE_CURRENT_SOURCE_DIR}/com/com_ids.h
  VERBATIM)
target_sources(itw_stanzascopium PRIVATE ${_stz_typelib})
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/com/com_server.rc PROPERTIES
  OBJECT_DEPENDS "${_stz_typelib};${CMAKE_CURRENT_SOURCE_DIR}/com/appid.rgs")
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/com/module_info.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/com/itw_stanzascopium.manifest)
