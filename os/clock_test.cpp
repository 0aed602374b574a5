// Sanity of the clocks: the tick count and the monotonic clock advance
// together across a sleep, and the tick count is the low 32 bits of the
// platform's millisecond counter.
#include "os/clock.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace os {
namespace {

TEST(ClockTest, TickCountAndMonotonicClockAdvanceAcrossASleep) {
    static_assert(std::is_same_v<decltype(tickCount()), int32_t>);
    uint64_t m0 = monotonicMs();
    int32_t t0 = tickCount();
    sleepMs(60);
    uint64_t m1 = monotonicMs();
    int32_t t1 = tickCount();
    // Both counters may advance in steps of about 16 ms, so allow for one
    // step lost at each end of the sleep.
    EXPECT_GE(m1 - m0, 25u);
    // Differences taken modulo 2^32, as a caller comparing ticks must.
    uint32_t tickDelta = static_cast<uint32_t>(t1) - static_cast<uint32_t>(t0);
    EXPECT_GE(tickDelta, 25u);
    EXPECT_LT(tickDelta, 60u * 1000u);
}

TEST(ClockTest, TickCountIsTheLowHalfOfTheMonotonicCounter) {
    uint32_t low = static_cast<uint32_t>(monotonicMs());
    uint32_t tick = static_cast<uint32_t>(tickCount());
    // The tick may lag by one update step, so the difference can be negative.
    int32_t apart = static_cast<int32_t>(tick - low);
    EXPECT_LT(apart < 0 ? -apart : apart, 1000);
}

TEST(ClockTest, MonotonicClockNeverGoesBack) {
    uint64_t previous = monotonicMs();
    for (int i = 0; i < 10000; ++i) {
        uint64_t now = monotonicMs();
        ASSERT_GE(now, previous);
        previous = now;
    }
}

}  // namespace
}  // namespace os
