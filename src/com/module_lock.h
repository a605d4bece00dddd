// The module's lock count: held while a hosted control is alive, so that
// DllCanUnloadNow refuses then.
#pragma once

namespace stz {

long LockModule();
long UnlockModule();
long ModuleLockCount();

}  // namespace stz
