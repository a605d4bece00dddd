// The five exports of the COM server. The DLL serves no class: it can only
// register itself and say whether it may be unloaded. No failure, C++
// exceptions included, leaves an export other than as its HRESULT.
#include <windows.h>

#include <new>

#include "com/com_module_win32.h"
#include "com/install_command.h"
#include "com/self_registration_win32.h"

namespace stz {
namespace {

template <class Body>
HRESULT Guarded(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace
}  // namespace stz

extern "C" {

STDAPI DllCanUnloadNow() { return stz::ComModule().LockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID /*classId*/, REFIID /*interfaceId*/, LPVOID* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
    return stz::Guarded([] { return stz::RegisterServer(stz::RegistrationScope::PerMachine); });
}

STDAPI DllUnregisterServer() {
    return stz::Guarded([] { return stz::UnregisterServer(stz::RegistrationScope::PerMachine); });
}

// regsvr32 /i:user (with /n: without DllRegisterServer) registers for the
// current user only. The choice holds for this call alone.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    return stz::Guarded([&] {
        const stz::RegistrationScope scope =
            stz::IsPerUserInstallCommand(reinterpret_cast<const char16_t*>(commandLine))
                ? stz::RegistrationScope::PerUser
                : stz::RegistrationScope::PerMachine;
        if (!install) return stz::UnregisterServer(scope);
        const HRESULT hr = stz::RegisterServer(scope);
        // Rolled back as far as it goes; the registration's failure is what counts.
        if (FAILED(hr)) stz::UnregisterServer(scope);
        return hr;
    });
}

}  // extern "C"
