#include "tracking/scheduling_win32.h"

#include <ctime>

#include "host/plugin_state_win32.h"
#include "host/timer_window_win32.h"
#include "lyricsview/lyrics_page_win32.h"
#include "service/endpoint_win32.h"
#include "service/exchanges_win32.h"
#include "tracking/current_track.h"
#include "tracking/play_credit.h"
#include "tracking/status_key.h"
#include "tracking/workers_win32.h"

namespace stz {
namespace {

// Status reports in flight are waited for at shutdown, but not for ever.
constexpr DWORD kShutdownWaitMs = 2000;
constexpr DWORD kShutdownPollMs = 100;

// Each handshake gets a number; only the latest one may store its key and
// release the reports held back, so that a repeated enable cannot be
// overtaken by the older handshake finishing later.
std::atomic<uint32_t> handshakeGeneration{0};

int64_t Now() { return int64_t(_time64(nullptr)); }

// Applies a host track record to the snapshot: the whole snapshot when
// `replace`, then the credit restart.
void RenewTrack(const HostTrackRecord& record, bool replace) {
    PluginState& plugin = Plugin();
    std::lock_guard guard(plugin.lock);
    if (replace) UpdateTrackSnapshot(plugin.track, record);
    RestartPlayCredit(plugin.track, record, Now());
}

void RestartPlayTimer() {
    HWND window = Plugin().timerWindow;
    if (!window || !IsWindow(window)) return;  // not enabled yet: no timer without its window
    KillTimer(window, kPlayTimerId);
    SetTimer(window, kPlayTimerId, kPlayTimerPeriodMs, OnPlayTimer);
}

}  // namespace

void OnPlayMessage(const void* record) {
    PluginState& plugin = Plugin();
    if (record) {
        HostTrackRecord fields = ReadHostTrackRecord(record);
        bool sameSong;
        {
            std::lock_guard guard(plugin.lock);
            sameSong = IsSameSong(plugin.track, fields);
        }
        if (!sameSong) {
            RenewTrack(fields, /*replace*/ true);
        } else if (plugin.playbackStopped == 0) {
            RenewTrack(fields, /*replace*/ false);  // played again without a stop
        }  // else: resumed after a stop; the credit continues
        RestartPlayTimer();
        RequestLyricsPage();
        TriggerStatusReport(1);
    }
    plugin.playbackStopped = 0;
}

void OnTrackChangeMessage(const void* record) {
    if (!record) return;
    RenewTrack(ReadHostTrackRecord(record), /*replace*/ true);
    RequestLyricsPage();
    TriggerStatusReport(1);
}

void OnStopMessage() {
    PluginState& plugin = Plugin();
    if (plugin.timerWindow && IsWindow(plugin.timerWindow)) KillTimer(plugin.timerWindow, kPlayTimerId);
    plugin.playbackStopped = 1;
    TriggerStatusReport(0);
}

void TriggerStatusReport(int32_t playing) {
    PluginState& plugin = Plugin();
    RequestSnapshot snapshot;
    {
        std::lock_guard guard(plugin.lock);
        plugin.track.playing = playing;
        StatusKey key = MakeStatusKey(plugin.track);
        if (plugin.lastStatusKey == key || !IsSessionValid(plugin.session)) return;
        plugin.lastStatusKey = std::move(key);
        snapshot = TakeRequestSnapshotLocked(plugin);
    }
    // The report carries the state that triggered it, copied here.
    plugin.statusBusy.fetch_add(1);
    bool started = StartWorker([snapshot = std::move(snapshot)] {
        SendStatusReport(snapshot.session, snapshot.track, GetServiceEndpoint(), WorkerLimits());
        Plugin().statusBusy.fetch_sub(1);
    });
    if (!started) plugin.statusBusy.fetch_sub(1);  // no flag left set for ever
}

void CALLBACK OnPlayTimer(HWND, UINT message, UINT_PTR id, DWORD) {
    if (message != WM_TIMER || id != kPlayTimerId) return;
    PluginState& plugin = Plugin();
    RequestSnapshot snapshot;
    {
        std::lock_guard guard(plugin.lock);
        if (!CountDownCredit(plugin.track)) return;
        snapshot = TakeRequestSnapshotLocked(plugin);
    }
    StartWorker([snapshot = std::move(snapshot)] {
        SubmitPlay(snapshot.session, snapshot.track, GetServiceEndpoint(), WorkerLimits());
    });
}

void CALLBACK OnSessionPollTimer(HWND window, UINT message, UINT_PTR id, DWORD) {
    PluginState& plugin = Plugin();
    if (message != WM_TIMER || id != kSessionPollTimerId || plugin.sessionReady.load() != 1) return;
    plugin.sessionReady.store(0);
    KillTimer(window, kSessionPollTimerId);
    int32_t playing;
    {
        std::lock_guard guard(plugin.lock);
        playing = plugin.track.playing;
    }
    if (playing == 1) TriggerStatusReport(1);
}

void StartSessionHandshake() {
    PluginState& plugin = Plugin();
    ServiceSession session;
    {
        std::lock_guard guard(plugin.lock);
        plugin.session.sessionKey.clear();  // no reports on the strength of an old session
        session = plugin.session;
    }
    const uint32_t generation = ++handshakeGeneration;
    plugin.sessionReady.store(0);
    StartWorker([session = std::move(session), generation] {
        std::string key = PerformSessionHandshake(session, GetServiceEndpoint(), WorkerLimits());
        if (handshakeGeneration.load() != generation) return;  // a newer handshake owns the session
        PluginState& state = Plugin();
        {
            std::lock_guard guard(state.lock);
            state.session.sessionKey = std::move(key);
        }
        state.sessionReady.store(1);
    });
}

void ReportShutdown() {
    PluginState& plugin = Plugin();
    for (DWORD waited = 0; plugin.statusBusy.load() > 0 && waited < kShutdownWaitMs;
         waited += kShutdownPollMs) {
        Sleep(kShutdownPollMs);
    }
    RequestSnapshot snapshot;
    {
        std::lock_guard guard(plugin.lock);
        if (plugin.track.playing != 1) return;
        plugin.track.playing = 0;
        if (!IsSessionValid(plugin.session)) return;
        snapshot = TakeRequestSnapshotLocked(plugin);
    }
    SendStatusReport(snapshot.session, snapshot.track, GetServiceEndpoint(), ShutdownLimits());
}

}  // namespace stz
