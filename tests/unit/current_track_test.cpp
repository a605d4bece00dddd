#include "tracking/current_track.h"

#include <gtest/gtest.h>

#include "tracking/host_track_record.h"

namespace stz {
namespace {

HostTrackRecord Record(uint32_t reportWord) {
    HostTrackRecord record;
    record.artist = u"Artist";
    record.title = u"Title";
    record.album = u"Album";
    record.trackNumber = 7;
    record.year = 65535;
    record.lengthMs = 60000;
    record.reportWord = reportWord;
    return record;
}

TEST(CurrentTrackTest, UpdateCopiesTheSongAndLeavesTheTiming) {
    CurrentTrack track;
    track.lengthSeconds = 11;
    track.startTime = 22;
    track.creditCountdown = 33;
    track.playing = 1;
    UpdateTrackSnapshot(track, Record(0));
    EXPECT_EQ(track.artist, u"Artist");
    EXPECT_EQ(track.title, u"Title");
    EXPECT_EQ(track.album, u"Album");
    EXPECT_EQ(track.trackNumber, 7);
    EXPECT_EQ(track.year, 65535);
    EXPECT_EQ(track.reportable, 1);
    EXPECT_EQ(track.lengthSeconds, 11);
    EXPECT_EQ(track.startTime, 22);
    EXPECT_EQ(track.creditCountdown, 33);
    EXPECT_EQ(track.playing, 1);

    for (const uint32_t word : {1u, 0x80000000u, 0xFFFFFFFFu}) {
        UpdateTrackSnapshot(track, Record(word));
        EXPECT_EQ(track.reportable, 0) << "report word " << word;
    }
}

TEST(CurrentTrackTest, RestartSetsTheTimingOnly) {
    CurrentTrack track;
    track.artist = u"Kept";
    RestartPlayCredit(track, Record(0), 1700000000);
    EXPECT_EQ(track.lengthSeconds, 60);
    EXPECT_EQ(track.startTime, 1700000000);
    EXPECT_EQ(track.creditCountdown, 30);
    EXPECT_EQ(track.artist, u"Kept");
}

}  // namespace
}  // namespace stz
