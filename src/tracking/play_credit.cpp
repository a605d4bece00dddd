#include "tracking/play_credit.h"

#include <algorithm>
#include <limits>

namespace stz {

namespace {
constexpr int32_t kShortestCountingSeconds = 31;
constexpr int32_t kMostCreditSeconds = 240;
}  // namespace

int32_t LengthSeconds(uint32_t lengthMs) {
    // (0xFFFFFFFF + 500) / 1000 = 4294967 fits easily.
    return static_cast<int32_t>((uint64_t{lengthMs} + 500) / 1000);
}

int32_t CreditCountdown(int32_t lengthSeconds) {
    if (lengthSeconds < kShortestCountingSeconds) {
        return -1;
    }
    return std::min(lengthSeconds / 2, kMostCreditSeconds);
}

bool CountDownCredit(CurrentTrack& track) {
    if (track.creditCountdown == std::numeric_limits<int32_t>::min()) {
        return false;  // the count stops at its lowest value instead of wrapping
    }
    --track.creditCountdown;
    if (track.creditCountdown != 0) {
        return false;
    }
    track.creditCountdown = -1;
    return true;
}

}  // namespace stz
