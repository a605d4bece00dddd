// Our own ActiveX host window: a window of the class "AtlAxWin90" hosts the
// control its window text names. A text in braces is a class identifier;
// any other text (for example "about:blank") is an address, for which the
// web-browser control is created and navigated there.
//
// The control is in-place activated inside the window, sized to its client
// area and resized with it. If it cannot be created, window creation fails.
// WM_CLOSE gets the default handling (the window is destroyed); destruction
// deactivates, closes and releases the control. While a control is alive the
// module is locked (DllCanUnloadNow answers no).
//
// Everything here runs on a thread that has called OleInitialize.
#pragma once

#include <windows.h>

namespace stz {

inline constexpr wchar_t kAxHostClassName[] = L"AtlAxWin90";

// Registers the class for the module; called when the DLL loads.
bool RegisterAxHostClass(HINSTANCE module);
// Unregisters it; harmless when it is not registered. Called when the DLL unloads.
void UnregisterAxHostClass(HINSTANCE module);

// The hosted control's interface `iid` with one reference in *out; *out is
// null on failure (no such window, not one of ours, or no such interface).
HRESULT AxGetControl(HWND host, REFIID iid, void** out);

}  // namespace stz
