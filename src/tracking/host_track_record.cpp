#include "tracking/host_track_record.h"

namespace stz {
namespace {

uint32_t ReadU32(const unsigned char* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

uint16_t ReadU16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

std::u16string ReadHostText(const unsigned char* field) {
    std::u16string text;
    for (size_t i = 0; i < kHostTextMaxUnits; ++i) {
        const char16_t unit = ReadU16(field + 2 * i);
        if (unit == 0) {
            break;
        }
        text += unit;
    }
    return text;
}

HostTrackRecord ReadHostTrackRecord(const void* record) {
    const auto* base = static_cast<const unsigned char*>(record);
    HostTrackRecord out;
    out.title = ReadHostText(base + kHostTitleOffset);
    out.artist = ReadHostText(base + kHostArtistOffset);
    out.album = ReadHostText(base + kHostAlbumOffset);
    out.trackNumber = static_cast<int32_t>(ReadU32(base + kHostTrackNumberOffset));
    out.year = ReadU16(base + kHostYearOffset);
    out.lengthMs = ReadU32(base + kHostLengthMsOffset);
    out.reportWord = ReadU32(base + kHostReportWordOffset);
    return out;
}

bool IsSameSong(const CurrentTrack& track, const HostTrackRecord& record) {
    return track.artist == record.artist && track.title == record.title;
}

}  // namespace stz
