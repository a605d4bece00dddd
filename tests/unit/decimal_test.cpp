#include "service/decimal.h"

#include <gtest/gtest.h>

#include <limits>

namespace stz {
namespace {

TEST(DecimalTest, PlainAsciiDecimal) {
    struct Case {
        int64_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {7, "7"},
        {-1, "-1"},
        {1000000, "1000000"},  // no grouping
        {std::numeric_limits<int64_t>::max(), "9223372036854775807"},
        {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecimalText(c.value), c.text);
    }
}

}  // namespace
}  // namespace stz
