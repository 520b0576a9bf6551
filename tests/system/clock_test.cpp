#include "engine/system/clock.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(Clock, SleepUntilReachesTheDeadlineAcrossTheWrap) {
    struct Case {
        std::uint32_t start, deadline;
        std::uint32_t after;  // the reading once the sleep returns
    };
    const Case cases[] = {
        {100, 116, 116},
        {0xFFFFFFF8u, 8, 8},                      // across the 2^32 wrap
        {0x7FFFFFF8u, 0x80000008u, 0x80000008u},  // across 2^31
        {116, 100, 116},                          // already past: no sleep
        {8, 0xFFFFFFF8u, 8},                      // past, on the far side of the wrap
        {50, 50, 50},                             // the deadline is now
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " -> " << c.deadline);
        TScopedVirtualClock clock(c.start);
        SleepUntilMillisecond(c.deadline);
        EXPECT_EQ(MillisecondClock(), c.after);
        EXPECT_EQ(clock->Slept(), ClockElapsed(c.after, c.start));
    }
}

// A clock that only knows relative sleeps gets the default SleepUntil, built on them.
class TRelativeOnlyClock final : public TClock {
  public:
    std::uint32_t now = 0xFFFFFFFEu;
    std::vector<std::uint32_t> sleeps;
    std::uint32_t Milliseconds() override { return now; }
    void Sleep(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
};

TEST(Clock, DefaultSleepUntilSleepsTheMillisecondsLeft) {
    TRelativeOnlyClock clock;
    clock.SleepUntil(14);
    clock.SleepUntil(3);  // past
    clock.SleepUntil(14);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{16});
    EXPECT_EQ(clock.now, 14u);
}

// Never early, and no sleep for a past deadline. How soon after the deadline the thread
// runs is up to the machine, so the pacing benchmark measures that instead.
TEST(Clock, RealSleepUntilReturnsOnceTheDeadlineIsRead) {
    for (int i = 0; i < 5; ++i) {
        const std::uint32_t deadline = MillisecondClock() + 2;
        SleepUntilMillisecond(deadline);
        EXPECT_GE(ClockDiff(MillisecondClock(), deadline), 0);
    }
    const std::uint32_t before = MillisecondClock();
    SleepUntilMillisecond(before - 5);
    EXPECT_LE(ClockDiff(MillisecondClock(), before), 1) << "a past deadline must not sleep";
}
