// The plug-in's process-wide records and the one lock that guards the ones
// shared with worker threads.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "service/service_session.h"
#include "tracking/current_track.h"
#include "tracking/status_key.h"

namespace stz {

struct PluginState {
    // Guards `track` and `session`. Workers copy what they need under it and
    // send with no lock held; the player's thread takes it for every write.
    std::mutex lock;
    CurrentTrack track;        // guarded by `lock`
    ServiceSession session;    // guarded by `lock`

    // Status reports in flight (a count: two may overlap).
    std::atomic<int32_t> statusBusy{0};
    // Set by the session worker when its handshake returns, whatever the outcome.
    std::atomic<int32_t> sessionReady{0};

    // Touched by the player's thread only.
    HINSTANCE module = nullptr;
    HWND timerWindow = nullptr;
    int32_t playbackStopped = 0;
    std::optional<StatusKey> lastStatusKey;  // empty: nothing reported yet
};

PluginState& Plugin();

// A consistent copy of both shared records.
struct RequestSnapshot {
    CurrentTrack track;
    ServiceSession session;
};
// Takes the lock for the copy.
RequestSnapshot TakeRequestSnapshot();
// For callers that already hold `plugin.lock`.
RequestSnapshot TakeRequestSnapshotLocked(const PluginState& plugin);

}  // namespace stz
