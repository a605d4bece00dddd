#include "tracking/host_track_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace stz {
namespace {

// A record laid out byte by byte as the player lays it out, little-endian,
// starting one byte into its buffer so that no field is aligned.
class RecordBuilder {
public:
    RecordBuilder() : bytes_(kHostTrackRecordSize + 1, 0) {}

    RecordBuilder& Text(size_t offset, std::u16string_view text) {
        for (size_t i = 0; i < text.size(); ++i) {
            Put(offset + 2 * i, text[i], 2);
        }
        return *this;
    }
    RecordBuilder& Put(size_t offset, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) {
            bytes_[1 + offset + i] = static_cast<unsigned char>(value >> (8 * i));
        }
        return *this;
    }
    const unsigned char* Record() const { return bytes_.data() + 1; }

private:
    std::vector<unsigned char> bytes_;
};

TEST(HostTrackRecordTest, ReadsEveryFieldAtItsOffset) {
    RecordBuilder builder;
    builder.Text(kHostTitleOffset, u"Back in Black")
        .Text(kHostArtistOffset, u"AC/DC")
        .Text(kHostAlbumOffset, u"\u00C9t\u00E9 \xD83D\xDE00")
        .Put(kHostTrackNumberOffset, static_cast<uint32_t>(-3), 4)
        .Put(kHostYearOffset, 0xFFFF, 2)
        .Put(kHostYearOffset + 2, 0xAAAA, 2)  // the bytes after the year are not part of it
        .Put(kHostLengthMsOffset, 0xFFFFFFFF, 4)
        .Put(kHostReportWordOffset, 0x01000000, 4);
    const HostTrackRecord record = ReadHostTrackRecord(builder.Record());
    EXPECT_EQ(record.title, u"Back in Black");
    EXPECT_EQ(record.artist, u"AC/DC");
    EXPECT_EQ(record.album, u"\u00C9t\u00E9 \xD83D\xDE00");
    EXPECT_EQ(record.trackNumber, -3);
    EXPECT_EQ(record.year, 65535);  // unsigned 16-bit, widened: never -1
    EXPECT_EQ(record.lengthMs, 0xFFFFFFFFu);
    EXPECT_EQ(record.reportWord, 0x01000000u);
}

TEST(HostTrackRecordTest, TextStopsAtZeroOrAtTheFieldsEnd) {
    // 300 units with no terminator: only the field's 255 are read.
    std::vector<unsigned char> field(600 + 1, 0);
    for (size_t i = 0; i < 300; ++i) {
        field[1 + 2 * i] = 'a' + (i % 26);
    }
    const std::u16string text = ReadHostText(field.data() + 1);
    ASSERT_EQ(text.size(), kHostTextMaxUnits);
    EXPECT_EQ(text.back(), u'a' + (254 % 26));

    // The first zero unit ends the text, even with more after it.
    const unsigned char shortText[] = {'h', 0, 'i', 0, 0, 0, 'x', 0};
    EXPECT_EQ(ReadHostText(shortText), u"hi");
    const unsigned char empty[] = {0, 0, 'x', 0};
    EXPECT_EQ(ReadHostText(empty), u"");
    // A unit whose low byte is zero is not a terminator.
    const unsigned char highOnly[] = {0x00, 0x4E, 0, 0};
    EXPECT_EQ(ReadHostText(highOnly), u"\u4E00");
}

TEST(HostTrackRecordTest, SameSongComparesArtistAndTitleExactly) {
    CurrentTrack track;
    track.artist = u"AC/DC";
    track.title = u"Back in Black";
    track.album = u"Live";
    struct Case {
        const char* name;
        std::u16string artist, title, album;
        bool same;
    };
    const Case cases[] = {
        {"equal, other album", u"AC/DC", u"Back in Black", u"Studio", true},
        {"case differs", u"ac/dc", u"Back in Black", u"Live", false},
        {"trailing blank", u"AC/DC ", u"Back in Black", u"Live", false},
        {"title differs", u"AC/DC", u"Back In Black", u"Live", false},
        {"same joined text", u"AC/DCBack", u" in Black", u"Live", false},
    };
    for (const Case& c : cases) {
        HostTrackRecord record;
        record.artist = c.artist;
        record.title = c.title;
        record.album = c.album;
        EXPECT_EQ(IsSameSong(track, record), c.same) << c.name;
    }
}

}  // namespace
}  // namespace stz
