// Redirects HKEY_CURRENT_USER, for this process, to a fresh key of its own,
// so that what the plug-in reads and writes there starts empty and goes away
// afterwards. Made before the DLL loads; undone (and the key deleted) last.
#pragma once

#include <windows.h>

#include <string>

namespace stz::standin {

class IsolatedUserHive {
public:
    IsolatedUserHive();
    ~IsolatedUserHive();
    IsolatedUserHive(const IsolatedUserHive&) = delete;
    IsolatedUserHive& operator=(const IsolatedUserHive&) = delete;

    bool Active() const { return key_ != nullptr; }
    // Under the real HKEY_CURRENT_USER.
    const std::wstring& Path() const { return path_; }

private:
    HKEY key_ = nullptr;
    std::wstring path_;
};

}  // namespace stz::standin
