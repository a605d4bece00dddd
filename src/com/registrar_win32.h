// Carries out a registration script on the registry.
#pragma once

#include <windows.h>

#include "com/registrar_script.h"

namespace stz {

// Per user, the script's HKCR stands for HKCU\Software\Classes; its other
// roots are taken as they are.
enum class RegistrationScope { PerMachine, PerUser };

// Writes the script's keys and values in order and stops at the first
// failure, whose HRESULT it answers.
HRESULT RegisterScript(const RegistrarScript& script, RegistrationScope scope);

// Removes what the script writes: a key with all it holds, except NoRemove
// keys, which stay (only their named values go) while their subkeys are
// visited. What is already absent counts as removed, so that running it
// twice is harmless. Goes on past a failure and answers the first one.
HRESULT UnregisterScript(const RegistrarScript& script, RegistrationScope scope);

}  // namespace stz
