#include "host_records.h"

#include <algorithm>

namespace stz::standin {

void WriteUtf16(std::vector<uint8_t>& record, size_t offset, std::u16string_view units) {
    for (size_t i = 0; i < units.size(); ++i) {
        WriteScalar<uint16_t>(record, offset + 2 * i, units[i]);
    }
}

std::vector<uint8_t> BuildTrackRecord(const TrackInfo& track) {
    std::vector<uint8_t> record(kTrackRecordSize, 0);
    auto text = [&](size_t offset, const std::u16string& value) {
        WriteUtf16(record, offset,
                   std::u16string_view(value).substr(0, std::min(value.size(), kTrackTextUnits)));
    };
    text(kTrackTitleOffset, track.title);
    text(kTrackArtistOffset, track.artist);
    text(kTrackAlbumOffset, track.album);
    WriteScalar<int32_t>(record, kTrackNumberOffset, track.trackNumber);
    WriteScalar<uint16_t>(record, kTrackYearOffset, track.year);
    WriteScalar<uint32_t>(record, kTrackLengthOffset, track.lengthMs);
    WriteScalar<uint32_t>(record, kTrackReportWordOffset, track.reportWord);
    return record;
}

std::optional<Registration> DecodeRegistration(const uint8_t* message, size_t size) {
    if (message == nullptr || size < kRegistrationMessageSize) return std::nullopt;
    Registration r;
    r.bytes.assign(message, message + kRegistrationMessageSize);
    const uint8_t* reg = message + kRegistrationOffset;
    const size_t nameLength = std::min<size_t>(reg[0], 63);
    r.name.assign(reinterpret_cast<const char*>(reg + 1), nameLength);
    r.options = ReadScalar<uint32_t>(reg, 64);
    r.creator = ReadScalar<uint32_t>(reg, 68);
    r.handler = ReadScalar<uint32_t>(reg, 76);
    r.handlerRefcon = ReadScalar<uint32_t>(reg, 80);
    r.dataIntervalMs = ReadScalar<uint32_t>(reg, 84);
    return r;
}

}  // namespace stz::standin
