#include "host/timer_window_win32.h"

namespace stz {
namespace {

// The dialog exists only to own timers: it handles no message.
INT_PTR CALLBACK DoNothingDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

HWND CreateTimerWindow(HINSTANCE module) {
    HWND window = CreateDialogParamW(module, MAKEINTRESOURCEW(kTimerWindowTemplateId),
                                     /*owner*/ nullptr, DoNothingDialogProc, 0);
    if (window) ShowWindow(window, SW_HIDE);
    return window;
}

void DestroyTimerWindow(HWND& window) {
    if (!window) return;
    if (IsWindow(window)) {
        KillTimer(window, kPlayTimerId);
        KillTimer(window, kSessionPollTimerId);
        DestroyWindow(window);
    }
    window = nullptr;
}

}  // namespace stz
