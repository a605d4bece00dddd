#include "com/module_lock.h"

#include <windows.h>

namespace stz {
namespace {
volatile LONG lockCount = 0;
}

long LockModule() { return InterlockedIncrement(&lockCount); }
long UnlockModule() { return InterlockedDecrement(&lockCount); }
long ModuleLockCount() { return InterlockedCompareExchange(&lockCount, 0, 0); }

}  // namespace stz
