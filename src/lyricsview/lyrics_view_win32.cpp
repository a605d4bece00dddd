#include "lyricsview/lyrics_view_win32.h"

#include "host/plugin_state_win32.h"
#include "lyricsview/ax_host_win32.h"
#include "lyricsview/lyrics_page_win32.h"

namespace stz {
namespace {

LyricsView lyricsView;

WNDPROC CurrentProc(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

WNDPROC Subclass(HWND window, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// Puts `previous` back if `ours` is still the window's procedure. When some
// other code has subclassed the window after us, our procedure stays in its
// chain and cannot be taken out: then the module is pinned, so that the
// chain never runs into unloaded code.
bool Unsubclass(HWND window, WNDPROC ours, WNDPROC previous) {
    if (!IsWindow(window)) return true;
    if (CurrentProc(window) == ours) {
        Subclass(window, previous);
        return true;
    }
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(ours), &pinned);
    return false;
}

// The browser window over the visualizer window's screen rectangle. A
// top-level pop-up takes screen coordinates.
void PlaceOverVisualizer(const LyricsView& view) {
    RECT rect{};
    if (!GetWindowRect(view.visualizerWindow, &rect)) return;
    MoveWindow(view.browserWindow, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               TRUE);
}

// Installs FrameWindowProc on `frame` once. A frame we already hook keeps
// its hook, whoever subclassed it after us: a second SetWindowLongA would
// make FrameWindowProc its own previous procedure. When the player hands us
// a visualizer inside another frame, the old frame is unhooked first (if it
// cannot be, we keep following the old one).
void HookFrame(LyricsView& view, HWND frame) {
    if (!IsWindow(frame)) return;
    if (view.subclassedFrame == frame && IsWindow(frame)) return;
    if (view.subclassedFrame && IsWindow(view.subclassedFrame)) {
        if (!Unsubclass(view.subclassedFrame, FrameWindowProc, view.previousFrameProc)) return;
    }
    view.subclassedFrame = nullptr;
    view.previousFrameProc = nullptr;
    if (WNDPROC previous = Subclass(frame, FrameWindowProc)) {
        view.previousFrameProc = previous;
        view.subclassedFrame = frame;
    }
}

void ReleaseWebBrowser(LyricsView& view) {
    if (view.webBrowser) view.webBrowser->Release();
    view.webBrowser = nullptr;
}

// A new browser window over `visualizer`, subclassed, placed, and loading
// the page of the song now playing.
void CreateLyricsView(LyricsView& view, HWND visualizer) {
    view.frameWindow = GetParent(visualizer);
    // The host class takes CW_USEDEFAULT for the whole rectangle; the real one
    // comes from the placement below. With WS_POPUP the visualizer becomes the
    // owner, not the parent.
    view.browserWindow = CreateWindowExW(0, kAxHostClassName, kLyricsViewInitialText, kLyricsViewStyle,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         visualizer, /*menu*/ nullptr, Plugin().module, /*param*/ nullptr);
    // A failed creation hooks nothing: the next show simply tries again.
    if (!IsWindow(view.browserWindow)) return;
    HookFrame(view, view.frameWindow);
    view.previousBrowserProc = Subclass(view.browserWindow, BrowserWindowProc);

    ReleaseWebBrowser(view);
    AxGetControl(view.browserWindow, IID_IWebBrowser2, reinterpret_cast<void**>(&view.webBrowser));
    SetActiveWindow(view.visualizerWindow);
    PlaceOverVisualizer(view);
    ForgetLastLyricsPage();
    RequestLyricsPage();
}

}  // namespace

LyricsView& TheLyricsView() { return lyricsView; }

void ShowLyricsView(HWND visualizer) {
    LyricsView& view = lyricsView;
    const bool exists = IsWindow(view.browserWindow);
    view.visualizerWindow = visualizer;
    if (!exists) {
        CreateLyricsView(view, visualizer);
        return;
    }
    // Only hidden: show it where the visualizer is now. The song whose page
    // is shown is still known, so an unchanged song loads nothing.
    ShowWindow(view.browserWindow, SW_SHOW);
    PlaceOverVisualizer(view);
    RequestLyricsPage();
}

void HideLyricsView() {
    if (IsWindow(lyricsView.browserWindow)) ShowWindow(lyricsView.browserWindow, SW_HIDE);
}

void PlaceLyricsView() {
    // A hidden view is placed again when it is next shown.
    if (IsWindow(lyricsView.browserWindow) && IsWindowVisible(lyricsView.browserWindow)) {
        PlaceOverVisualizer(lyricsView);
    }
}

void CloseLyricsView() {
    LyricsView& view = lyricsView;
    // Reverse order of creation: the interface, the browser's subclass, the
    // window (its control is torn down with it), the frame's subclass.
    ReleaseWebBrowser(view);
    if (IsWindow(view.browserWindow)) {
        Unsubclass(view.browserWindow, BrowserWindowProc, view.previousBrowserProc);
        DestroyWindow(view.browserWindow);
    }
    view.previousBrowserProc = nullptr;
    if (view.subclassedFrame) Unsubclass(view.subclassedFrame, FrameWindowProc, view.previousFrameProc);
    view.subclassedFrame = nullptr;
    view.previousFrameProc = nullptr;
}

LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LyricsView& view = lyricsView;
    // The frame's own handling runs first, for every message.
    const LRESULT result = view.previousFrameProc
                               ? CallWindowProcA(view.previousFrameProc, window, message, wParam, lParam)
                               : DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_MOVE && IsWindow(view.browserWindow) && IsWindowVisible(view.browserWindow)) {
        PlaceOverVisualizer(view);
    } else if (message == WM_NCDESTROY && window == view.subclassedFrame) {
        // The frame is gone, and our hook with it.
        view.subclassedFrame = nullptr;
    }
    return result;
}

LRESULT CALLBACK BrowserWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LyricsView& view = lyricsView;
    const WNDPROC previous = view.previousBrowserProc;
    switch (message) {
        case WM_CLOSE:
            // Closing the view asks the player's frame to close as well; the
            // default handling below then destroys the view. (A null window
            // would post the message to this thread's queue instead.)
            if (IsWindow(view.frameWindow)) PostMessageA(view.frameWindow, WM_CLOSE, wParam, lParam);
            break;
        case WM_DESTROY:
            // Our reference goes before the host window tears the control down,
            // so that the control's last release happens there.
            ReleaseWebBrowser(view);
            break;
        default:
            break;
    }
    return previous ? CallWindowProcA(previous, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace stz
