#include "host/visual_handler_win32.h"

#include <windows.h>

#include <cstring>

#include "host/host_codes.h"
#include "host/host_version.h"
#include "host/plugin_state_win32.h"
#include "host/timer_window_win32.h"
#include "lyricsview/lyrics_view_win32.h"
#include "service/installation_identity_win32.h"
#include "service/winsock_win32.h"
#include "tracking/scheduling_win32.h"

namespace stz {
namespace {

const void* PointerAt(const void* record, size_t offset) {
    const void* pointer = nullptr;
    std::memcpy(&pointer, static_cast<const unsigned char*>(record) + offset, sizeof pointer);
    return pointer;
}

void OnInit(const void* record) {
    const auto* bytes = static_cast<const uint8_t*>(record);
    std::string version = FormatHostVersion(bytes[kVersionMinorByteOffset], bytes[kVersionMajorByteOffset]);
    PluginState& plugin = Plugin();
    std::lock_guard guard(plugin.lock);
    plugin.session.hostVersion = std::move(version);
    plugin.session.clientCode = "itw";
}

// Registry work happens on a copy, outside the lock.
void LoadIdentityIntoSession() {
    PluginState& plugin = Plugin();
    ServiceSession copy;
    {
        std::lock_guard guard(plugin.lock);
        copy = plugin.session;
    }
    LoadInstallationIdentity(copy);
    std::lock_guard guard(plugin.lock);
    plugin.session.installId = std::move(copy.installId);
    plugin.session.otherProductPresent = copy.otherProductPresent;
}

// Enabling a second time renews the identity and the session but keeps the
// one timer window and the one Winsock start.
void OnEnable() {
    PluginState& plugin = Plugin();
    if (!plugin.timerWindow || !IsWindow(plugin.timerWindow)) {
        plugin.timerWindow = CreateTimerWindow(plugin.module);
    }
    {
        std::lock_guard guard(plugin.lock);
        StartWinsock(plugin.session);  // keeps a start it already holds
    }
    LoadIdentityIntoSession();
    StartSessionHandshake();
    if (plugin.timerWindow) {
        SetTimer(plugin.timerWindow, kSessionPollTimerId, kSessionPollPeriodMs, OnSessionPollTimer);
    }
}

void Dispatch(uint32_t code, void* record) {
    switch (code) {
        case kCodeInit:
            if (record) OnInit(record);
            break;
        case kCodeEnable:
            OnEnable();
            break;
        case kCodeShow:
            if (record) ShowLyricsView(static_cast<HWND>(const_cast<void*>(PointerAt(record, kShowWindowOffset))));
            break;
        case kCodeHide:
            HideLyricsView();
            break;
        case kCodeSetWindow:
            PlaceLyricsView();
            break;
        case kCodePlay:
            OnPlayMessage(record ? PointerAt(record, kPlayTrackOffset) : nullptr);
            break;
        case kCodeChangeTrack:
            OnTrackChangeMessage(record ? PointerAt(record, kChangeTrackTrackOffset) : nullptr);
            break;
        case kCodeStop:
            OnStopMessage();
            break;
        default:
            break;  // every other code is ignored
    }
}

}  // namespace

extern "C" int32_t HandleVisualMessage(uint32_t code, void* record, void* /*refcon*/) {
    try {
        Dispatch(code, record);
    } catch (...) {
        // Nothing may escape into the player; every message answers 0.
    }
    return 0;
}

void DisableVisualHandler() {
    PluginState& plugin = Plugin();
    DestroyTimerWindow(plugin.timerWindow);
    CloseLyricsView();
}

}  // namespace stz
