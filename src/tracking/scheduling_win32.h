// When the service hears about playback: status reports on every change of
// song or playing state, a play submission when the play credit runs out,
// and reports held back until the session handshake has finished.
#pragma once

#include <windows.h>

#include <cstdint>

#include "tracking/host_track_record.h"

namespace stz {

// 'vply': the snapshot, credit and play timer as the player's play message
// asks. `record` may be null.
void OnPlayMessage(const void* record);
// 'ctrk': snapshot and credit renewed; the play timer is left as it is.
void OnTrackChangeMessage(const void* record);
// 'vstp'.
void OnStopMessage();

void TriggerStatusReport(int32_t playing);
void CALLBACK OnPlayTimer(HWND window, UINT message, UINT_PTR id, DWORD time);
void CALLBACK OnSessionPollTimer(HWND window, UINT message, UINT_PTR id, DWORD time);

// 'von ': empties the session key and starts the handshake on a worker.
void StartSessionHandshake();

// 'clr ': waits a bounded time for status reports in flight, then reports
// the stop of a song still playing, with short time limits.
void ReportShutdown();

}  // namespace stz
