#include "process_windows_win32.h"

namespace stz::standin {
namespace {

struct Search {
    int controlId;
    std::vector<HWND> found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && WindowClassName(window) == L"#32770" &&
        GetDlgItem(window, search->controlId) != nullptr) {
        search->found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::wstring WindowClassName(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? size_t(length) : 0);
}

std::vector<HWND> FindProcessDialogs(int controlId) {
    Search search{controlId, {}};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace stz::standin
