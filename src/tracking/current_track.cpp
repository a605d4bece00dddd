#include "tracking/current_track.h"

#include "tracking/host_track_record.h"
#include "tracking/play_credit.h"

namespace stz {

void UpdateTrackSnapshot(CurrentTrack& track, const HostTrackRecord& record) {
    track.artist = record.artist;
    track.title = record.title;
    track.album = record.album;
    track.trackNumber = record.trackNumber;
    track.year = record.year;
    track.reportable = record.reportWord == 0 ? 1 : 0;
}

void RestartPlayCredit(CurrentTrack& track, const HostTrackRecord& record, int64_t now) {
    track.lengthSeconds = LengthSeconds(record.lengthMs);
    track.startTime = now;
    track.creditCountdown = CreditCountdown(track.lengthSeconds);
}

}  // namespace stz
