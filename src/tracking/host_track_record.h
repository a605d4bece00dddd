// The player's UTF-16 track record, read field by field from its fixed
// offsets. The record comes from the player's memory: nothing about its
// alignment is assumed, and no text is read past its field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tracking/current_track.h"

namespace stz {

inline constexpr size_t kHostTitleOffset = 10;
inline constexpr size_t kHostArtistOffset = 1034;
inline constexpr size_t kHostAlbumOffset = 1546;
inline constexpr size_t kHostTrackNumberOffset = 4104;  // int32
inline constexpr size_t kHostYearOffset = 4112;         // uint16
inline constexpr size_t kHostLengthMsOffset = 4116;     // uint32
inline constexpr size_t kHostReportWordOffset = 4144;   // uint32, zero: may be reported
inline constexpr size_t kHostTrackRecordSize = 4148;
// A text field holds at most this many units before its terminator.
constexpr size_t kHostTextMaxUnits = 255;

struct HostTrackRecord {
    std::u16string title, artist, album;
    int32_t trackNumber = 0;
    int32_t year = 0;  // the 16-bit unsigned year, widened
    uint32_t lengthMs = 0;
    uint32_t reportWord = 0;
};

// The text at `field` up to its first zero unit, never more than
// kHostTextMaxUnits units (little-endian, any alignment).
std::u16string ReadHostText(const unsigned char* field);

// `record` points at kHostTrackRecordSize readable bytes.
HostTrackRecord ReadHostTrackRecord(const void* record);

// Same song: artist and title equal, code unit by code unit (case, spacing
// and length count). Album and numbers play no part.
bool IsSameSong(const CurrentTrack& track, const HostTrackRecord& record);

}  // namespace stz
