// The play credit: how long a song must play, counted in one-second timer
// ticks, before it counts as played. Half the song or 240 seconds, whichever
// comes first; songs of 30 seconds or less never count.
#pragma once

#include <cstdint>

#include "tracking/current_track.h"

namespace stz {

// Milliseconds rounded to the nearest second, halves up; no length wraps.
int32_t LengthSeconds(uint32_t lengthMs);

// -1 (never counts) for 30 seconds or less, else half the length, at most 240.
int32_t CreditCountdown(int32_t lengthSeconds);

// One play-timer tick. True exactly when the credit ran out at this tick:
// the submission is due now. The countdown then moves on to -1, so one
// restart of the credit gives at most one submission.
bool CountDownCredit(CurrentTrack& track);

}  // namespace stz
