#include "com/self_registration_win32.h"

#include <optional>
#include <string>
#include <string_view>

#include "com/com_module_win32.h"
#include "com/com_resource_ids.h"
#include "com/type_library_win32.h"
#include "service/text_encoding.h"

namespace stz {
namespace {

// Registration runs in the system's default locale, so that what the type
// library functions write does not depend on the calling thread's locale;
// the thread's own locale is put back afterwards.
class SystemLocaleScope {
public:
    SystemLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(saved_); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    LCID saved_;
};

HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return {};  // longer than any path the system makes
        path.resize(path.size() * 2);
    }
}

std::string_view ResourceText(HMODULE module, int id, const wchar_t* type) {
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!resource) return {};
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<const char*>(data), SizeofResource(module, resource)};
}

// The AppID script with the module's replacements made, parsed.
HRESULT LoadAppIdScript(HMODULE module, const std::wstring& modulePath, RegistrarScript& script) {
    const std::string_view text = ResourceText(module, IDR_STZ_APPID_SCRIPT, L"REGISTRY");
    if (text.empty()) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    const std::string path =
        Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(modulePath.data()), modulePath.size()));
    std::string quotedPath;
    const std::vector<RegistrarReplacement> replacements = ComModule().CommonReplacements(path, quotedPath);
    const std::optional<std::string> expanded = ExpandRegistrarText(text, replacements);
    std::optional<RegistrarScript> parsed = expanded ? ParseRegistrarScript(*expanded) : std::nullopt;
    if (!parsed) return E_UNEXPECTED;
    script = std::move(*parsed);
    return S_OK;
}

}  // namespace

HRESULT RegisterServer(RegistrationScope scope) {
    SystemLocaleScope locale;
    const HMODULE module = ComModule().Instance();
    const std::wstring path = ModulePath(module);
    if (path.empty()) return LastErrorResult();
    RegistrarScript script;
    if (const HRESULT hr = LoadAppIdScript(module, path, script); FAILED(hr)) return hr;
    if (const HRESULT hr = RegisterScript(script, scope); FAILED(hr)) return hr;
    return RegisterModuleTypeLibrary(path, scope);
}

HRESULT UnregisterServer(RegistrationScope scope) {
    SystemLocaleScope locale;
    const HMODULE module = ComModule().Instance();
    const std::wstring path = ModulePath(module);
    if (path.empty()) return LastErrorResult();
    if (const HRESULT hr = UnregisterModuleTypeLibrary(path, scope); FAILED(hr)) return hr;
    RegistrarScript script;
    if (const HRESULT hr = LoadAppIdScript(module, path, script); FAILED(hr)) return hr;
    return UnregisterScript(script, scope);
}

}  // namespace stz
