// The player's message codes and the fields of its records that the
// plug-in reads or writes. Codes are four characters in a 32-bit integer,
// the first character in the most significant byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace stz {

constexpr uint32_t FourCharCode(const char (&text)[5]) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

// At the entry.
inline constexpr uint32_t kCodeInit = FourCharCode("init");
inline constexpr uint32_t kCodeCleanup = FourCharCode("clr ");
// To the application procedure.
inline constexpr uint32_t kCodeRegisterVisual = FourCharCode("rvis");
// At the visual handler.
inline constexpr uint32_t kCodeEnable = FourCharCode("von ");
inline constexpr uint32_t kCodeShow = FourCharCode("show");
inline constexpr uint32_t kCodeHide = FourCharCode("hide");
inline constexpr uint32_t kCodeSetWindow = FourCharCode("swin");
inline constexpr uint32_t kCodePlay = FourCharCode("vply");
inline constexpr uint32_t kCodeChangeTrack = FourCharCode("ctrk");
inline constexpr uint32_t kCodeStop = FourCharCode("vstp");

static_assert(kCodePlay == 0x76706C79);
static_assert(kCodeCleanup == 0x636C7220);

// The entry's 'init' record.
inline constexpr size_t kInitCookieOffset = 8;
inline constexpr size_t kInitAppProcOffset = 12;

// The handler's 'init' record: host version bytes.
inline constexpr size_t kVersionMinorByteOffset = 10;  // minor in the high four bits
inline constexpr size_t kVersionMajorByteOffset = 11;

// Other handler records.
inline constexpr size_t kShowWindowOffset = 0;
inline constexpr size_t kPlayTrackOffset = 44;
inline constexpr size_t kChangeTrackTrackOffset = 8;

// The registration message sent with 'rvis': a 12-byte header, then the
// 112-byte registration record.
inline constexpr uint32_t kRegisterMajorVersion = 10;
inline constexpr uint32_t kRegisterMinorVersion = 5;
inline constexpr size_t kRegisterMessageSize = 124;
inline constexpr size_t kRegisterHeaderSize = 12;

namespace reg {  // offsets within the registration record
inline constexpr size_t kName = 0;  // length byte, then up to 63 characters
inline constexpr size_t kOptions = 64;
inline constexpr size_t kCreator = 68;
inline constexpr size_t kVersion = 72;  // major, minor, stage, non-release
inline constexpr size_t kHandler = 76;
inline constexpr size_t kHandlerRefcon = 80;
inline constexpr size_t kTimeBetweenDataMs = 84;
inline constexpr size_t kWaveformChannels = 88;
inline constexpr size_t kSpectrumChannels = 92;
inline constexpr size_t kMinWidth = 96;
inline constexpr size_t kMinHeight = 98;
inline constexpr size_t kMaxWidth = 100;
inline constexpr size_t kMaxHeight = 102;
inline constexpr size_t kFullScreenBitDepth1 = 104;
inline constexpr size_t kFullScreenBitDepth2 = 106;
inline constexpr size_t kWindowAlignment = 108;
inline constexpr size_t kSize = 112;
}  // namespace reg

static_assert(kRegisterHeaderSize + reg::kSize == kRegisterMessageSize);

}  // namespace stz
