// The hidden dialog that owns the play timer and the session poll timer.
#pragma once

#include <windows.h>

namespace stz {

inline constexpr int kTimerWindowTemplateId = 201;
inline constexpr UINT_PTR kPlayTimerId = 66305;         // 0x10301, every 1000 ms
inline constexpr UINT_PTR kSessionPollTimerId = 66306;  // 0x10302, every 100 ms
inline constexpr UINT kPlayTimerPeriodMs = 1000;
inline constexpr UINT kSessionPollPeriodMs = 100;

// Creates the hidden timer window from the module's own dialog template.
HWND CreateTimerWindow(HINSTANCE module);
// Kills both timers and destroys the window, if it exists.
void DestroyTimerWindow(HWND& window);

}  // namespace stz
