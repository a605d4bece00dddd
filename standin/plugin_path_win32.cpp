#include "plugin_path_win32.h"

#include <windows.h>

#include "player_win32.h"

namespace stz::standin {

std::wstring WindowsPath(const std::string& path) {
    std::u16string wide = FromUtf8(path);
    std::wstring out(wide.begin(), wide.end());
    if (!out.empty() && out.front() == L'/') {
        for (auto& c : out) {
            if (c == L'/') c = L'\\';
        }
        out.insert(0, L"Z:");
    }
    return out;
}

std::wstring DefaultPluginPath() {
    wchar_t value[MAX_PATH * 2];
    const DWORD size = GetEnvironmentVariableW(L"STANZA_PLUGIN_DLL", value, MAX_PATH * 2);
    if (size > 0 && size < MAX_PATH * 2) {
        std::wstring path(value, size);
        if (path.front() != L'/') return path;
        std::string narrow(path.begin(), path.end());
        return WindowsPath(narrow);
    }
    return WindowsPath(STANDIN_PLUGIN_BUILD_PATH);
}

}  // namespace stz::standin
