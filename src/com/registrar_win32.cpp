#include "com/registrar_win32.h"

#include <string>

#include "com/registry_key_win32.h"

namespace stz {
namespace {

constexpr REGSAM kKeyAccess = KEY_READ | KEY_WRITE;

HRESULT FromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

bool IsAbsent(LSTATUS status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

// Script texts are UTF-8.
std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    }
    return wide;
}

HKEY PredefinedKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users: return HKEY_USERS;
    }
    return HKEY_CLASSES_ROOT;
}

// The key a script root stands for. Predefined keys are used as they are,
// never reopened, so that a caller's redirection of them (and the access
// its handle grants) holds. `absent` is set when the per-user classes key
// does not exist and `create` is false.
HRESULT OpenRoot(RegistryRoot root, RegistrationScope scope, bool create, RegistryKey& owned, HKEY& key,
                 bool& absent) {
    absent = false;
    if (root != RegistryRoot::ClassesRoot || scope == RegistrationScope::PerMachine) {
        key = PredefinedKey(root);
        return S_OK;
    }
    const wchar_t* const kUserClasses = L"Software\\Classes";
    const LSTATUS status =
        create ? RegCreateKeyExW(HKEY_CURRENT_USER, kUserClasses, 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess,
                                 nullptr, owned.Put(), nullptr)
               : RegOpenKeyExW(HKEY_CURRENT_USER, kUserClasses, 0, kKeyAccess, owned.Put());
    if (!create && IsAbsent(status)) {
        absent = true;
        return S_OK;
    }
    key = owned.Get();
    return FromStatus(status);
}

HRESULT DeleteKeyTree(HKEY parent, const std::wstring& name) {
    const LSTATUS status = RegDeleteTreeW(parent, name.c_str());
    return IsAbsent(status) ? S_OK : FromStatus(status);
}

HRESULT SetValue(HKEY key, const RegistryValue& value) {
    const std::wstring name = Widen(value.name);
    const wchar_t* const valueName = name.empty() ? nullptr : name.c_str();  // null: the default value
    if (value.type == RegistryValueType::Dword) {
        const DWORD number = value.number;
        return FromStatus(
            RegSetValueExW(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number));
    }
    const std::wstring text = Widen(value.text);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with the terminating zero
    const DWORD type = value.type == RegistryValueType::ExpandString ? REG_EXPAND_SZ : REG_SZ;
    return FromStatus(RegSetValueExW(key, valueName, 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
}

HRESULT RegisterKey(HKEY parent, const RegistryKeyNode& node) {
    const std::wstring name = Widen(node.name);
    if (node.disposition == KeyDisposition::Delete) return DeleteKeyTree(parent, name);
    if (node.disposition == KeyDisposition::ForceRemove) {
        if (const HRESULT hr = DeleteKeyTree(parent, name); FAILED(hr)) return hr;
    }
    RegistryKey key;
    HRESULT hr = FromStatus(RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess,
                                            nullptr, key.Put(), nullptr));
    for (const RegistryValue& value : node.values) {
        if (FAILED(hr)) break;
        hr = SetValue(key.Get(), value);
    }
    for (const RegistryKeyNode& sub : node.subkeys) {
        if (FAILED(hr)) break;
        hr = RegisterKey(key.Get(), sub);
    }
    return hr;
}

HRESULT UnregisterKey(HKEY parent, const RegistryKeyNode& node) {
    const std::wstring name = Widen(node.name);
    switch (node.disposition) {
        case KeyDisposition::Delete: return S_OK;  // acts on registration only
        case KeyDisposition::Normal:
        case KeyDisposition::ForceRemove: return DeleteKeyTree(parent, name);
        case KeyDisposition::NoRemove: break;
    }
    RegistryKey key;
    const LSTATUS status = RegOpenKeyExW(parent, name.c_str(), 0, kKeyAccess, key.Put());
    if (IsAbsent(status)) return S_OK;
    if (status != ERROR_SUCCESS) return FromStatus(status);
    HRESULT first = S_OK;
    for (const RegistryValue& value : node.values) {
        if (value.name.empty()) continue;  // a kept key keeps its default value
        const LSTATUS deleted = RegDeleteValueW(key.Get(), Widen(value.name).c_str());
        if (!IsAbsent(deleted) && deleted != ERROR_SUCCESS && SUCCEEDED(first)) first = FromStatus(deleted);
    }
    for (const RegistryKeyNode& sub : node.subkeys) {
        const HRESULT hr = UnregisterKey(key.Get(), sub);
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    }
    return first;
}

}  // namespace

HRESULT RegisterScript(const RegistrarScript& script, RegistrationScope scope) {
    for (const RegistryRootNode& root : script.roots) {
        RegistryKey owned;
        HKEY rootKey = nullptr;
        bool absent = false;
        if (const HRESULT hr = OpenRoot(root.root, scope, true, owned, rootKey, absent); FAILED(hr)) return hr;
        for (const RegistryKeyNode& node : root.subkeys) {
            if (const HRESULT hr = RegisterKey(rootKey, node); FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT UnregisterScript(const RegistrarScript& script, RegistrationScope scope) {
    HRESULT first = S_OK;
    for (const RegistryRootNode& root : script.roots) {
        RegistryKey owned;
        HKEY rootKey = nullptr;
        bool absent = false;
        HRESULT hr = OpenRoot(root.root, scope, false, owned, rootKey, absent);
        if (SUCCEEDED(hr) && !absent) {
            for (const RegistryKeyNode& node : root.subkeys) {
                const HRESULT removed = UnregisterKey(rootKey, node);
                if (FAILED(removed) && SUCCEEDED(hr)) hr = removed;
            }
        }
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    }
    return first;
}

}  // namespace stz
