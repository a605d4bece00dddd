// The player's message codes: four characters in a 32-bit integer, first
// character in the most significant byte.
#pragma once

#include <cstdint>
#include <string>

namespace stz::standin {

constexpr uint32_t FourCc(const char (&text)[5]) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

inline constexpr uint32_t kCodeInit = FourCc("init");      // 0x696E6974
inline constexpr uint32_t kCodeCleanup = FourCc("clr ");   // 0x636C7220
inline constexpr uint32_t kCodeRegister = FourCc("rvis");  // 0x72766973
inline constexpr uint32_t kCodeEnable = FourCc("von ");    // 0x766F6E20
inline constexpr uint32_t kCodeShow = FourCc("show");      // 0x73686F77
inline constexpr uint32_t kCodeHide = FourCc("hide");      // 0x68696465
inline constexpr uint32_t kCodePlace = FourCc("swin");     // 0x7377696E
inline constexpr uint32_t kCodePlay = FourCc("vply");      // 0x76706C79
inline constexpr uint32_t kCodeChangeTrack = FourCc("ctrk");  // 0x6374726B
inline constexpr uint32_t kCodeStop = FourCc("vstp");      // 0x76737470

// 'vply' as text when all four bytes are printable, else 0x76706C79.
std::string FourCcText(uint32_t code);

}  // namespace stz::standin
