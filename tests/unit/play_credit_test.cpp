#include "tracking/play_credit.h"

#include <gtest/gtest.h>

#include <limits>

namespace stz {
namespace {

TEST(PlayCreditTest, LengthAndCountdown) {
    struct Case {
        uint32_t lengthMs;
        int32_t seconds;
        int32_t countdown;
    };
    const Case cases[] = {
        {0, 0, -1},
        {30'499, 30, -1},   // 30 seconds never count
        {30'500, 31, 15},   // halves round up
        {31'000, 31, 15},
        {32'000, 32, 16},
        {60'000, 60, 30},
        {479'000, 479, 239},
        {480'000, 480, 240},
        {481'000, 481, 240},
        {0xFFFFFFFF, 4'294'967, 240},  // no wrap in the rounding
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LengthSeconds(c.lengthMs), c.seconds) << c.lengthMs << " ms";
        EXPECT_EQ(CreditCountdown(c.seconds), c.countdown) << c.lengthMs << " ms";
    }
    EXPECT_EQ(CreditCountdown(-5), -1);
}

TEST(PlayCreditTest, SubmissionFiresExactlyOnce) {
    CurrentTrack track;
    track.creditCountdown = CreditCountdown(LengthSeconds(60'000));
    int firedAt = 0;
    int fired = 0;
    for (int tick = 1; tick <= 100; ++tick) {
        if (CountDownCredit(track)) {
            ++fired;
            firedAt = tick;
            EXPECT_EQ(track.creditCountdown, -1);
        }
    }
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(firedAt, 30);
    EXPECT_EQ(track.creditCountdown, -71);
}

TEST(PlayCreditTest, NeverFiresForShortSongsAndNeverWraps) {
    CurrentTrack track;
    track.creditCountdown = -1;
    for (int tick = 0; tick < 1000; ++tick) {
        EXPECT_FALSE(CountDownCredit(track));
    }
    track.creditCountdown = std::numeric_limits<int32_t>::min() + 1;
    EXPECT_FALSE(CountDownCredit(track));
    EXPECT_FALSE(CountDownCredit(track));
    EXPECT_EQ(track.creditCountdown, std::numeric_limits<int32_t>::min());
}

}  // namespace
}  // namespace stz
