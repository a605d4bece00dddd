# Cross-compiling toolchain: MinGW-w64, 32-bit Windows (i686).
#
# The posix thread-model compilers are named explicitly: the default win32
# model has neither std::thread nor std::mutex, and GoogleTest needs both.
# With -static the pthread emulation is linked in, so the binaries still
# import only Windows system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(_mingw_prefix i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER  ${_mingw_prefix}-windres)
find_program(STANZA_WIDL NAMES ${_mingw_prefix}-widl widl REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine; ./dev sets WINEPREFIX, WINEDEBUG and DISPLAY.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
