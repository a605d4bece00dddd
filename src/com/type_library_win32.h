// The module's type library (resource 1 of the DLL), registered and
// unregistered for the machine or, where the system offers it, the user.
#pragma once

#include <windows.h>

#include <string>

#include "com/registrar_win32.h"

namespace stz {

HRESULT RegisterModuleTypeLibrary(const std::wstring& modulePath, RegistrationScope scope);

// A library that is not registered counts as unregistered (S_OK): nothing
// is left to undo, and whatever follows unregistration still runs.
HRESULT UnregisterModuleTypeLibrary(const std::wstring& modulePath, RegistrationScope scope);

}  // namespace stz
