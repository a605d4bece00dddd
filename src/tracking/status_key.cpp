#include "tracking/status_key.h"

namespace stz {

SongKey MakeSongKey(const CurrentTrack& track) {
    return SongKey{track.artist, track.title};
}

StatusKey MakeStatusKey(const CurrentTrack& track) {
    return StatusKey{MakeSongKey(track), track.playing};
}

}  // namespace stz
