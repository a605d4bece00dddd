// The player's version as the session handshake sends it ("v").
#pragma once

#include <cstdint>
#include <string>

namespace stz {

// "major.minor" from the init message: major is byte +11, minor the high
// four bits of byte +10 (byte10 0x21, byte11 9 give "9.2").
std::string FormatHostVersion(uint8_t byte10, uint8_t byte11);

}  // namespace stz
