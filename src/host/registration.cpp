#include "host/registration.h"

#include <cstring>

#include "host/host_codes.h"

namespace stz {
namespace {

void Put16(uint8_t* at, uint16_t value) { std::memcpy(at, &value, sizeof value); }
void Put32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }

}  // namespace

std::array<uint8_t, 124> BuildRegistrationMessage(uint32_t handler) {
    static_assert(sizeof(kPluginName) - 1 < 64);
    std::array<uint8_t, kRegisterMessageSize> message{};
    Put32(&message[0], kRegisterMajorVersion);
    Put32(&message[4], kRegisterMinorVersion);
    Put32(&message[8], kRegisterMessageSize);

    uint8_t* record = &message[kRegisterHeaderSize];
    record[reg::kName] = uint8_t(sizeof(kPluginName) - 1);
    std::memcpy(&record[reg::kName + 1], kPluginName, sizeof(kPluginName) - 1);
    Put32(&record[reg::kOptions], kPluginOptions);
    Put32(&record[reg::kCreator], kPluginCreator);
    const uint8_t version[4] = {1, 0, 0x80, 0};  // 1.0, release stage
    std::memcpy(&record[reg::kVersion], version, sizeof version);
    Put32(&record[reg::kHandler], handler);
    Put32(&record[reg::kHandlerRefcon], 0);
    Put32(&record[reg::kTimeBetweenDataMs], kTimeBetweenDataMs);
    Put32(&record[reg::kWaveformChannels], 0);
    Put32(&record[reg::kSpectrumChannels], 0);
    Put16(&record[reg::kMinWidth], 64);
    Put16(&record[reg::kMinHeight], 64);
    Put16(&record[reg::kMaxWidth], 32767);
    Put16(&record[reg::kMaxHeight], 32767);
    return message;
}

}  // namespace stz
