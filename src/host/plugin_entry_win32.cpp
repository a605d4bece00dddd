// The one function the player calls directly: registration at 'init',
// shutdown at 'clr '.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "host/host_codes.h"
#include "host/plugin_state_win32.h"
#include "host/registration.h"
#include "host/visual_handler_win32.h"
#include "service/winsock_win32.h"
#include "tracking/scheduling_win32.h"

namespace stz {
namespace {

using ApplicationProc = int32_t (*)(void* cookie, uint32_t code, void* record);

void RegisterWithHost(const void* initRecord) {
    void* cookie = nullptr;
    ApplicationProc applicationProc = nullptr;
    const auto* bytes = static_cast<const unsigned char*>(initRecord);
    std::memcpy(&cookie, bytes + kInitCookieOffset, sizeof cookie);
    std::memcpy(&applicationProc, bytes + kInitAppProcOffset, sizeof applicationProc);
    if (!applicationProc) return;

    static_assert(sizeof(void*) == 4, "the player's records hold 32-bit pointers");
    auto message = BuildRegistrationMessage(
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&HandleVisualMessage)));
    applicationProc(cookie, kCodeRegisterVisual, message.data());
}

// Everything the plug-in started is stopped or undone, and nothing waits
// for more than a few seconds, whatever the service does.
void ShutdownPlugin() {
    DisableVisualHandler();
    ReportShutdown();
    PluginState& plugin = Plugin();
    std::lock_guard guard(plugin.lock);
    StopWinsock(plugin.session);
}

}  // namespace
}  // namespace stz

extern "C" int32_t iTunesPluginMain(uint32_t code, void* record, void* /*refcon*/) {
    try {
        switch (code) {
            case stz::kCodeInit:
                if (record) stz::RegisterWithHost(record);
                break;
            case stz::kCodeCleanup:
                stz::ShutdownPlugin();
                break;
            default:
                break;  // every other code is ignored
        }
    } catch (...) {
        // Nothing may escape into the player.
    }
    return 0;
}
