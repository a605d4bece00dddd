// The lyrics view: a pop-up web-browser window laid exactly over the
// player's visualizer window, owned by it, following the player's frame
// window as it moves. Everything here runs on the player's thread.
#pragma once

#include <windows.h>

#include <exdisp.h>

namespace stz {

// The window style of the view: WS_POPUP | WS_VISIBLE | WS_VSCROLL |
// WS_HSCROLL and the host class's low-word bit 0x8.
inline constexpr DWORD kLyricsViewStyle = 0x90300008;
// What the host window is created with: the web-browser control on an empty page.
inline constexpr wchar_t kLyricsViewInitialText[] = L"about:blank";

struct LyricsView {
    // The host window of the browser control. Keeps its value after the
    // window is gone: always tested with IsWindow.
    HWND browserWindow = nullptr;
    // One reference on the control, taken at creation, released when the
    // browser window is destroyed. Null when the query failed or the window is gone.
    IWebBrowser2* webBrowser = nullptr;
    // The visualizer window of the latest show message.
    HWND visualizerWindow = nullptr;
    // The visualizer's parent at creation: receives the forwarded WM_CLOSE.
    HWND frameWindow = nullptr;
    // The window FrameWindowProc is installed on (null: none) and the
    // procedure it replaced there.
    HWND subclassedFrame = nullptr;
    WNDPROC previousFrameProc = nullptr;
    WNDPROC previousBrowserProc = nullptr;
};

// The one record, touched by the player's thread only.
LyricsView& TheLyricsView();

// 'show': creates the view over `visualizer` (or shows the existing one
// again), places it, and asks for the page of the song now playing.
void ShowLyricsView(HWND visualizer);
// 'hide': hides the view; window, page and control stay.
void HideLyricsView();
// 'swin': places a visible view over the visualizer window again.
void PlaceLyricsView();
// 'clr ': unhooks both window procedures, destroys the view and releases the
// control, so that the player may unload the DLL with its windows alive.
void CloseLyricsView();

LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK BrowserWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace stz
