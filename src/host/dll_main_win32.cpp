// The module's entry point does almost nothing: it remembers the module
// instance. Real work happens on the player's calls.
#include <windows.h>

#include "com/com_module_win32.h"
#include "host/plugin_state_win32.h"
#include "lyricsview/ax_host_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        stz::Plugin().module = instance;
        DisableThreadLibraryCalls(instance);
        // The module refuses to load only when its own set-up fails.
        if (!stz::InitializeComModule(instance)) return FALSE;
        // The browser view's host window class, for this module instance.
        stz::RegisterAxHostClass(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // `reserved` is non-null when the whole process is ending.
        const bool processTerminating = reserved != nullptr;
        if (!processTerminating) stz::UnregisterAxHostClass(instance);
        stz::ShutdownComModule(processTerminating);
    }
    return TRUE;
}
