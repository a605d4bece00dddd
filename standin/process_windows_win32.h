// The top-level windows of this process, for tests that look for what the
// plug-in created (or failed to destroy).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace stz::standin {

std::wstring WindowClassName(HWND window);

// Top-level windows of this process with the dialog class #32770 that hold
// a child control with id `controlId`.
std::vector<HWND> FindProcessDialogs(int controlId);

}  // namespace stz::standin
