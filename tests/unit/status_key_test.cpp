#include "tracking/status_key.h"

#include <gtest/gtest.h>

#include <optional>

namespace stz {
namespace {

CurrentTrack Track(std::u16string artist, std::u16string title, int32_t playing) {
    CurrentTrack track;
    track.artist = std::move(artist);
    track.title = std::move(title);
    track.playing = playing;
    return track;
}

TEST(StatusKeyTest, FieldsAreComparedOneByOne) {
    // Joined, these would all read the same text.
    EXPECT_NE(MakeSongKey(Track(u"AB", u"C", 1)), MakeSongKey(Track(u"A", u"BC", 1)));
    EXPECT_NE(MakeStatusKey(Track(u"AB", u"C", 1)), MakeStatusKey(Track(u"A", u"BC", 1)));

    EXPECT_NE(MakeStatusKey(Track(u"A", u"B", 1)), MakeStatusKey(Track(u"A", u"B", 0)));
    EXPECT_EQ(MakeSongKey(Track(u"A", u"B", 1)), MakeSongKey(Track(u"A", u"B", 0)));

    CurrentTrack other = Track(u"A", u"B", 1);
    other.album = u"Other";
    other.startTime = 99;
    EXPECT_EQ(MakeStatusKey(other), MakeStatusKey(Track(u"A", u"B", 1)));
}

TEST(StatusKeyTest, NothingYetDiffersFromEverySong) {
    // A song whose artist and title join to "null" is still a song.
    const std::optional<SongKey> nothingYet;
    EXPECT_NE(nothingYet, std::optional<SongKey>(MakeSongKey(Track(u"nu", u"ll", 1))));
    EXPECT_NE(nothingYet, std::optional<SongKey>(MakeSongKey(Track(u"", u"", 0))));
}

}  // namespace
}  // namespace stz
