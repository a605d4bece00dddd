#include "host/registration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The 124-byte 'rvis' message, written out by hand from the player's layout
// (little-endian words; handler address 0x10203040).
std::vector<uint8_t> ExpectedMessage() {
    std::vector<uint8_t> m(124, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&m[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&m[at], &v, 2); };
    put32(0, 10);
    put32(4, 5);
    put32(8, 124);
    const size_t r = 12;
    m[r + 0] = 13;
    std::memcpy(&m[r + 1], "Stanzascopium", 13);
    put32(r + 64, 32);
    m[r + 68] = m[r + 69] = m[r + 70] = m[r + 71] = '?';
    m[r + 72] = 1;
    m[r + 73] = 0;
    m[r + 74] = 0x80;
    m[r + 75] = 0;
    put32(r + 76, 0x10203040);
    put32(r + 84, 1000);
    put16(r + 96, 64);
    put16(r + 98, 64);
    put16(r + 100, 32767);
    put16(r + 102, 32767);
    return m;
}

TEST(RegistrationMessage, MatchesThePlayersLayoutByteForByte) {
    auto message = stz::BuildRegistrationMessage(0x10203040);
    std::vector<uint8_t> actual(message.begin(), message.end());
    EXPECT_EQ(actual, ExpectedMessage());
}

}  // namespace
