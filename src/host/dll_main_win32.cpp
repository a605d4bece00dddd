// The module's entry point does almost nothing: it remembers the module
// instance. Real work happens on the player's calls.
#include <windows.h>

#include "host/plugin_state_win32.h"
#include "lyricsview/ax_host_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        stz::Plugin().module = instance;
        DisableThreadLibraryCalls(instance);
        // The browser view's host window class, for this module instance.
        stz::RegisterAxHostClass(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        stz::UnregisterAxHostClass(instance);
    }
    return TRUE;
}
