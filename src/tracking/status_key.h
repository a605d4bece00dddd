// Keys that tell one song, and one playing state, from another. Fields are
// compared one by one: artist "AB" with title "C" is another song than
// artist "A" with title "BC". "Nothing yet" is an empty std::optional held by
// the caller, never a text that a song could also produce.
#pragma once

#include <cstdint>
#include <string>

#include "tracking/current_track.h"

namespace stz {

struct SongKey {
    std::u16string artist, title;
    bool operator==(const SongKey&) const = default;
};

struct StatusKey {
    SongKey song;
    int32_t playing = 0;
    bool operator==(const StatusKey&) const = default;
};

SongKey MakeSongKey(const CurrentTrack& track);
StatusKey MakeStatusKey(const CurrentTrack& track);

}  // namespace stz
