#include "com/type_library_win32.h"

#include <oleauto.h>

namespace stz {
namespace {

using RegisterForUser = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUser = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

class TypeLibrary {
public:
    TypeLibrary() = default;
    TypeLibrary(const TypeLibrary&) = delete;
    TypeLibrary& operator=(const TypeLibrary&) = delete;
    ~TypeLibrary() {
        if (library_) library_->Release();
    }

    HRESULT Load(const std::wstring& path) { return LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library_); }
    ITypeLib* Get() const { return library_; }

private:
    ITypeLib* library_ = nullptr;
};

// The per-user functions exist from Windows Vista SP1 on; looked up at run
// time so that the DLL still loads where they are missing.
template <class Function>
Function OleAutomationFunction(const char* name) {
    const HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    const FARPROC found = oleaut ? GetProcAddress(oleaut, name) : nullptr;
    // Through the generic function type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

HRESULT RegisterModuleTypeLibrary(const std::wstring& modulePath, RegistrationScope scope) {
    TypeLibrary library;
    if (const HRESULT hr = library.Load(modulePath); FAILED(hr)) return hr;
    std::wstring path = modulePath;
    // The help folder is the DLL's own folder.
    std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L"\\/") + 1);
    if (scope == RegistrationScope::PerUser) {
        if (const auto forUser = OleAutomationFunction<RegisterForUser>("RegisterTypeLibForUser")) {
            return forUser(library.Get(), path.data(), folder.data());
        }
    }
    return RegisterTypeLib(library.Get(), path.data(), folder.data());
}

HRESULT UnregisterModuleTypeLibrary(const std::wstring& modulePath, RegistrationScope scope) {
    TypeLibrary library;
    if (const HRESULT hr = library.Load(modulePath); FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    if (const HRESULT hr = library.Get()->GetLibAttr(&attributes); FAILED(hr)) return hr;
    const TLIBATTR identity = *attributes;
    library.Get()->ReleaseTLibAttr(attributes);

    // Nothing registered, nothing to undo. The system's functions answer an
    // error here instead, and unregistration would stop and leave the rest
    // behind: after a failed install, say, or when run a second time.
    BSTR registeredPath = nullptr;
    const HRESULT query = QueryPathOfRegTypeLib(identity.guid, identity.wMajorVerNum, identity.wMinorVerNum,
                                                identity.lcid, &registeredPath);
    SysFreeString(registeredPath);
    if (query == TYPE_E_LIBNOTREGISTERED) return S_OK;

    if (scope == RegistrationScope::PerUser) {
        if (const auto forUser = OleAutomationFunction<UnregisterForUser>("UnRegisterTypeLibForUser")) {
            return forUser(identity.guid, identity.wMajorVerNum, identity.wMinorVerNum, identity.lcid,
                           identity.syskind);
        }
    }
    return UnRegisterTypeLib(identity.guid, identity.wMajorVerNum, identity.wMinorVerNum, identity.lcid,
                             identity.syskind);
}

}  // namespace stz
