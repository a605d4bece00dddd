#include "user_hive_win32.h"

namespace stz::standin {

namespace {
constexpr wchar_t kParent[] = L"Software\\StanzascopiumTestHives";
}

IsolatedUserHive::IsolatedUserHive() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    path_ = std::wstring(kParent) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter.QuadPart);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS) {
        key_ = nullptr;
        return;
    }
    if (RegOverridePredefKey(HKEY_CURRENT_USER, key_) != ERROR_SUCCESS) {
        RegCloseKey(key_);
        key_ = nullptr;
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
}

IsolatedUserHive::~IsolatedUserHive() {
    if (key_ == nullptr) return;
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
}

}  // namespace stz::standin
