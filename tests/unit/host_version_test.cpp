#include "host/host_version.h"

#include <gtest/gtest.h>

namespace stz {
namespace {

TEST(HostVersionTest, MajorFromByte11MinorFromHighNibbleOfByte10) {
    struct Case {
        uint8_t byte10, byte11;
        const char* text;
    };
    const Case cases[] = {
        {0x21, 9, "9.2"},
        {0x0F, 12, "12.0"},  // the low nibble plays no part
        {0xF0, 255, "255.15"},
        {0x00, 0, "0.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatHostVersion(c.byte10, c.byte11), c.text) << c.text;
    }
}

}  // namespace
}  // namespace stz
