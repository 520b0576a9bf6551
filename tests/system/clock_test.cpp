#include "engine/system/clock.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_clock.h"

TEST(Clock, DifferencesSurviveTheWrap) {
    struct Case {
        std::uint32_t later, earlier;
        std::int32_t diff;
    };
    const Case cases[] = {
        {100, 40, 60},
        {40, 100, -60},
        {5, 0xFFFFFFF0u, 21},              // across the 2^32 wrap
        {0x80000010u, 0x7FFFFFF0u, 0x20},  // across 2^31, where signed ints would overflow
        {0x7FFFFFF0u, 0x80000010u, -0x20},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClockDiff(c.later, c.earlier), c.diff) << c.later << " - " << c.earlier;
    }
    EXPECT_EQ(ClockElapsed(5, 0xFFFFFFF0u), 21u);
}

TEST(Clock, VirtualClockSleepAdvancesTime) {
    TScopedVirtualClock clock(0xFFFFFFF8u);
    EXPECT_EQ(MillisecondClock(), 0xFFFFFFF8u);
    SleepMilliseconds(16);
    EXPECT_EQ(MillisecondClock(), 8u);
    SleepMilliseconds(0);
    SleepMilliseconds(-5);
    EXPECT_EQ(MillisecondClock(), 8u);
    EXPECT_EQ(clock->Slept(), 16u);
}

TEST(Clock, RealClockIsMonotonicAndSleeps) {
    const std::uint32_t start = MillisecondClock();
    SleepMilliseconds(3);
    EXPECT_GE(ClockDiff(MillisecondClock(), start), 3);
}
