// The one snapshot of the song the player is playing, and the pure rules
// that fill it from the player's track record.
#pragma once

#include <cstdint>
#include <string>

namespace stz {

struct HostTrackRecord;

struct CurrentTrack {
    std::u16string artist;
    std::u16string title;
    std::u16string album;
    int32_t trackNumber = 0;
    int32_t year = 0;             // the record's 16-bit unsigned year, widened
    int32_t lengthSeconds = 0;
    int64_t startTime = 0;        // seconds since 1970-01-01 00:00 UTC
    int32_t creditCountdown = 0;  // play-timer ticks left; negative: never counts
    int32_t reportable = 0;       // 1 when the record's report word is zero
    int32_t playing = 0;
};

// A new song: artist, title, album, track number, year and reportable from
// the player's record. The timing fields are RestartPlayCredit's.
void UpdateTrackSnapshot(CurrentTrack& track, const HostTrackRecord& record);

// The play credit starts again: length rounded to seconds (halves up),
// start time `now` (seconds since 1970), countdown from the length.
void RestartPlayCredit(CurrentTrack& track, const HostTrackRecord& record, int64_t now);

}  // namespace stz
