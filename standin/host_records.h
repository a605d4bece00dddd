// The records the player hands to the plug-in, laid out byte for byte. These
// offsets are written here on purpose, apart from the plug-in's own: the
// stand-in is an independent check of the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stz::standin {

// Entry 'init' record: the application cookie and procedure.
inline constexpr size_t kInitCookieOffset = 8;
inline constexpr size_t kInitAppProcOffset = 12;

// 'rvis' message record: header, then the 112-byte registration record.
inline constexpr size_t kRegistrationMessageSize = 124;
inline constexpr size_t kRegistrationOffset = 12;
inline constexpr size_t kRegistrationHandlerOffset = kRegistrationOffset + 76;

// Visual messages.
inline constexpr size_t kVersionMinorOffset = 10;  // high 4 bits: minor
inline constexpr size_t kVersionMajorOffset = 11;
inline constexpr size_t kShowWindowOffset = 0;
inline constexpr size_t kPlayTrackOffset = 44;
inline constexpr size_t kChangeTrackOffset = 8;
inline constexpr size_t kVisualMessageSize = 256;

// UTF-16 track record.
inline constexpr size_t kTrackTitleOffset = 10;
inline constexpr size_t kTrackArtistOffset = 1034;
inline constexpr size_t kTrackAlbumOffset = 1546;
inline constexpr size_t kTrackNumberOffset = 4104;
inline constexpr size_t kTrackYearOffset = 4112;
inline constexpr size_t kTrackLengthOffset = 4116;
inline constexpr size_t kTrackReportWordOffset = 4144;
inline constexpr size_t kTrackRecordSize = 4160;  // the fields end at 4148
inline constexpr size_t kTrackTextUnits = 255;    // a zero follows

struct TrackInfo {
    std::u16string artist;
    std::u16string title;
    std::u16string album;
    int32_t trackNumber = 0;
    uint16_t year = 0;
    uint32_t lengthMs = 0;
    uint32_t reportWord = 0;  // zero: the track may be reported
};

// A zeroed record with the fields written; texts longer than 255 units are
// cut there (a zero always follows).
std::vector<uint8_t> BuildTrackRecord(const TrackInfo& track);

// Writes `units` at `offset` as the player would, without any terminator:
// for records whose text fills its whole field.
void WriteUtf16(std::vector<uint8_t>& record, size_t offset, std::u16string_view units);

template <typename T>
void WriteScalar(std::vector<uint8_t>& bytes, size_t offset, T value) {
    for (size_t i = 0; i < sizeof(T); ++i) {
        bytes[offset + i] = uint8_t(uint64_t(value) >> (8 * i));
    }
}

template <typename T>
T ReadScalar(const uint8_t* bytes, size_t offset) {
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) {
        value |= uint64_t(bytes[offset + i]) << (8 * i);
    }
    return T(value);
}

// The registration record as the plug-in sent it, decoded for printing.
struct Registration {
    std::vector<uint8_t> bytes;  // the whole 124-byte message record
    std::string name;            // from the length byte and its characters
    uint32_t options = 0;
    uint32_t creator = 0;
    uint32_t handler = 0;
    uint32_t handlerRefcon = 0;
    uint32_t dataIntervalMs = 0;
};
std::optional<Registration> DecodeRegistration(const uint8_t* message, size_t size);

}  // namespace stz::standin
