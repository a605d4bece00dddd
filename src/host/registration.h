// The registration message the plug-in sends the player with 'rvis'.
#pragma once

#include <array>
#include <cstdint>

namespace stz {

inline constexpr char kPluginName[] = "Stanzascopium";
inline constexpr uint32_t kPluginOptions = 32;
inline constexpr uint32_t kPluginCreator = 0x3F3F3F3F;  // '????'
inline constexpr uint32_t kTimeBetweenDataMs = 1000;

// The whole 124-byte message: header (10, 5, 124) and registration record.
// `handler` is the address of the visual handler as the 32-bit player sees it.
std::array<uint8_t, 124> BuildRegistrationMessage(uint32_t handler);

}  // namespace stz
