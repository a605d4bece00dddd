// Registration and unregistration of the COM server: the AppID script
// (resource 101) and the type library (resource 1).
#pragma once

#include <windows.h>

#include "com/registrar_win32.h"

namespace stz {

// The script, then (if it succeeded) the type library.
HRESULT RegisterServer(RegistrationScope scope);

// The type library, then (if that succeeded) the script.
HRESULT UnregisterServer(RegistrationScope scope);

}  // namespace stz
