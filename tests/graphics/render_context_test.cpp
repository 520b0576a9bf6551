// Opening and closing graphics, the current-driver bookkeeping and Flip's software pacing,
// run on the recording driver with a virtual clock.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/graphics/graphics.h"
#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/graphics/render.h"
#include "engine/graphics/tela2d.h"
#include "engine/system/hook.h"
#include "tests/support/scoped_clock.h"

namespace {

// Differences between consecutive flip times.
std::vector<int> Intervals(const std::vector<std::uint32_t>& times) {
    std::vector<int> out;
    for (std::size_t i = 1; i < times.size(); ++i) out.push_back(ClockDiff(times[i], times[i - 1]));
    return out;
}

TEST(GraphicsContext, PacedFlipsLandOnTheScheduleAcrossTheClockWrap) {
    // Starting just below the 32-bit wrap proves the schedule survives it.
    for (std::uint32_t start : {0u, 1'000'000u, 0xFFFFFFFFu - 5000u}) {
        SCOPED_TRACE(start);
        TScopedVirtualClock clock(start);
        TRecordingGraphics gfx;
        ASSERT_TRUE(gfx.graphics());
        const std::uint32_t opened = MillisecondClock();
        gfx.context().flip_times.clear();
        for (int i = 0; i < 600; ++i) Flip(-1);
        EXPECT_EQ(ClockDiff(MillisecondClock(), opened), 10'000);
        const std::vector<int> steps = Intervals(gfx.context().flip_times);
        ASSERT_EQ(steps.size(), 599u);
        // 16, 17, 17 repeating: the first deadline is 16 ms after opening.
        EXPECT_EQ(ClockDiff(gfx.context().flip_times[0], opened), 16);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i], (i + 1) % 3 == 0 ? 16 : 17) << "interval " << i;
        }
    }
}

TEST(GraphicsContext, AnOverrunIsFollowedByAFullPeriodNotACatchUp) {
    TScopedVirtualClock clock(5000);
    TRecordingGraphics gfx;
    Flip(-1);  // deadline 16
    const std::uint32_t before = MillisecondClock();
    clock->Advance(100);  // a frame far slower than its 17 ms
    const std::uint64_t slept = clock->Slept();
    Flip(-1);
    EXPECT_EQ(clock->Slept(), slept) << "a late frame must not sleep";
    EXPECT_EQ(ClockDiff(MillisecondClock(), before), 100);
    const std::uint32_t late = MillisecondClock();
    Flip(-1);
    // The schedule restarted at the late flip; the next frame gets a whole period.
    const int next = ClockDiff(MillisecondClock(), late);
    EXPECT_TRUE(next == 16 || next == 17) << next;
}

TEST(GraphicsContext, PacingStatsCountMissedDeadlinesAndTheWorstLateness) {
    TScopedVirtualClock clock(0xFFFFFFFFu - 40);  // the misses straddle the wrap
    TRecordingGraphics gfx;
    ResetPacingStats();
    Flip(-1);  // on time: sleeps to its deadline
    EXPECT_EQ(PacingStats().last_deadline, MillisecondClock());
    clock->Advance(17);  // reaches its deadline exactly: still on time
    Flip(-1);
    clock->Advance(20);  // 3 ms late
    Flip(-1);
    clock->Advance(29);  // the schedule restarted at the late frame: 13 ms late
    Flip(-1);
    clock->Advance(18);  // 1 ms late
    Flip(-1);
    Flip(-1);
    TPacingStats stats = PacingStats();
    EXPECT_EQ(stats.paced_frames, 6u);
    EXPECT_EQ(stats.missed_deadlines, 3u);
    EXPECT_EQ(stats.worst_late_ms, 13u);
    EXPECT_EQ(stats.last_deadline, MillisecondClock());

    // Unpaced presents are not counted; a reset or a new window starts from nothing.
    Flip(0);
    Flip(1);
    EXPECT_EQ(PacingStats().paced_frames, 6u);
    ResetPacingStats();
    stats = PacingStats();
    EXPECT_EQ(stats.paced_frames, 0u);
    EXPECT_EQ(stats.missed_deadlines, 0u);
    EXPECT_EQ(stats.worst_late_ms, 0u);
    clock->Advance(100);
    Flip(-1);
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    EXPECT_EQ(PacingStats().missed_deadlines, 0u);
}

// Records the absolute deadlines a paced flip asks for, and wakes a little after each as a
// real scheduler would.
class TDeadlineClock final : public TClock {
  public:
    std::uint32_t now = 0xFFFFFFFFu - 20;
    std::vector<std::uint32_t> deadlines;
    int relative_sleeps = 0;
    int turns = 0;
    std::uint32_t Milliseconds() override { return now; }
    void GiveTurn() override { ++turns; }
    void Sleep(std::uint32_t ms) override {
        ++relative_sleeps;
        now += ms;
    }
    void SleepUntil(std::uint32_t deadline) override {
        deadlines.push_back(deadline);
        now = deadline;
    }
};

TEST(GraphicsContext, PacedFlipsSleepToTheAbsoluteDeadline) {
    TDeadlineClock clock;
    SetClock(&clock);
    {
        TRecordingGraphics gfx;
        const std::uint32_t opened = clock.now;
        for (int i = 0; i < 6; ++i) {
            clock.now += 5;  // the frame's own work
            Flip(-1);
        }
        const std::vector<std::uint32_t> expected = {opened + 16, opened + 33, opened + 50,
                                                     opened + 66, opened + 83, opened + 100};
        EXPECT_EQ(clock.deadlines, expected);
        EXPECT_EQ(clock.relative_sleeps, 0);
        EXPECT_EQ(PacingStats().missed_deadlines, 0u);
        // A sleeping frame already gave the platform its turn (a second one would cost the
        // browser a display frame); a late frame does not sleep, so it gives the turn once.
        EXPECT_EQ(clock.turns, 0);
        clock.now += 40;
        Flip(-1);
        EXPECT_EQ(clock.deadlines.size(), expected.size());
        EXPECT_EQ(clock.turns, 1);
    }
    SetClock(nullptr);
}

TEST(GraphicsContext, ExplicitSyncAndUnpacedGraphicsPresentAtOnce) {
    struct Case {
        int hertz;
        int sync;
        int expected_driver_sync;
    };
    const Case cases[] = {
        {60, 0, 0},
        {60, 1, 1},
        {60, 7, 7},  // explicit values pass through unpaced
        {0, -1, 0},  // hertz 0 in a window: swap interval 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "hertz " << c.hertz << " sync " << c.sync);
        TScopedVirtualClock clock(100);
        TRecordingGraphics gfx(true, 800, 600, c.hertz);
        gfx.context().flip_syncs.clear();
        const std::uint32_t before = MillisecondClock();
        for (int i = 0; i < 5; ++i) Flip(c.sync);
        EXPECT_EQ(MillisecondClock(), before);
        EXPECT_EQ(gfx.context().flip_syncs, std::vector<int>(5, c.expected_driver_sync));
    }
}

TEST(GraphicsContext, FullScreenTrustsAVerticalSyncThatKeepsTime) {
    struct Case {
        int vsync_ms;
        int hertz;
        bool paced;
    };
    const Case cases[] = {
        {16, 60, false},  // one refresh per flip: the hardware paces
        {17, 60, false},  // within a millisecond
        {5, 60, true},    // flips that do not wait: software pacing stays
        {30, 60, true},   // every other refresh: too slow to trust
        {5, 0, false},    // no rate asked: no pacing at all, and no probing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "vsync " << c.vsync_ms << " hertz " << c.hertz);
        TScopedVirtualClock clock(777);
        TRecordingGraphics gfx(false);
        gfx.context().vsync_ms = c.vsync_ms;
        ASSERT_TRUE(OpenGraphics(640, 480, 32, c.hertz, 0));
        const std::uint32_t probed = ClockDiff(MillisecondClock(), 777);
        if (c.hertz == 0) {
            EXPECT_EQ(probed, 0u);
        } else if (c.paced) {
            EXPECT_GE(probed, 1000u) << "probing gives up after a second";
        } else {
            EXPECT_LE(probed, 3u * 17u) << "three good flips in a row suffice";
        }
        gfx.context().flip_syncs.clear();
        Flip(-1);
        // Paced frames present without vertical sync; unpaced full screen waits for it.
        EXPECT_EQ(gfx.context().flip_syncs, std::vector<int>{c.paced ? 0 : 1});
    }
}

TEST(GraphicsContext, OpeningClearsAndPresentsBothBuffersWithTheDefaultState) {
    TScopedVirtualClock clock;
    TRecordingGraphics gfx;
    std::vector<std::string> kinds;
    for (const TRecordedCall& c : gfx.driver().Calls()) kinds.push_back(DrawKindName(c.kind));
    const std::vector<std::string> expected = {
        "ResetContext", "SetBlend",     "SetColor",     "SetAlpha",    "SetClsColor",
        "SetLineWidth", "SetTransform", "SetTransform", "SetViewport", "Cls",
        "Flip",         "Cls",          "Flip"};
    EXPECT_EQ(kinds, expected);
    const auto& calls = gfx.driver().Calls();
    EXPECT_EQ(calls[1].args, std::vector<float>{1});  // mask blend
    EXPECT_EQ(calls[2].args, (std::vector<float>{255, 255, 255}));
    EXPECT_EQ(calls[4].args, (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(calls[8].args, (std::vector<float>{0, 0, 800, 600}));
    EXPECT_EQ(calls[10].args, std::vector<float>{0});
    EXPECT_EQ(gfx.context().flip_syncs, (std::vector<int>{0, 0}));

    EXPECT_EQ(GraphicsWidth(), 800);
    EXPECT_EQ(GraphicsHeight(), 600);
    EXPECT_EQ(GraphicsDepth(), 0);
    EXPECT_EQ(GraphicsHertz(), 60);
    EXPECT_EQ(GraphicsFlags(), GFX_BACKBUFFER);  // the game's 0 plus the default flags
}

TEST(GraphicsContext, ReopeningClosesThePreviousWindowAndBumpsTheSequenceTwice) {
    TScopedVirtualClock clock;
    TRecordingGraphics gfx;
    const int seq = GraphicsSeq();
    std::shared_ptr<TGraphics> first = gfx.graphics();
    std::shared_ptr<TGraphics> second = OpenGraphics(640, 480, 0, 60, 0);
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    EXPECT_EQ(GraphicsSeq(), seq + 2);
    EXPECT_EQ(gfx.context().graphics_closed, 1);
    EXPECT_EQ(OpenedGraphics(), second);
    EXPECT_EQ(GraphicsWidth(), 640);
    int x, y, w, h;
    GetViewport(x, y, w, h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);

    EndGraphics();
    EXPECT_EQ(GraphicsSeq(), seq + 3);
    EXPECT_EQ(gfx.context().graphics_closed, 2);
    EXPECT_FALSE(CurrentGraphics());
    EXPECT_EQ(GraphicsWidth(), 0);
    EndGraphics();  // nothing open: no bump
    EXPECT_EQ(GraphicsSeq(), seq + 3);
}

TEST(GraphicsContext, FlipsAfterEndGraphicsKeepThePace) {
    TScopedVirtualClock clock;
    TRecordingGraphics gfx;
    EndGraphics();
    const std::uint32_t before = MillisecondClock();
    for (int i = 0; i < 3; ++i) Flip(-1);
    EXPECT_EQ(ClockDiff(MillisecondClock(), before), 50);
}

TEST(GraphicsContext, AWindowThatCannotOpenGivesNullAndChangesNothing) {
    TScopedVirtualClock clock;
    TRecordingGraphics gfx(false);
    gfx.context().fail_create = true;
    const int seq = GraphicsSeq();
    EXPECT_FALSE(OpenGraphics(800, 600, 0, 60, 0));
    EXPECT_EQ(GraphicsSeq(), seq);
    EXPECT_FALSE(CurrentGraphics());
    EXPECT_FALSE(OpenedGraphics());
    EXPECT_EQ(CurrentTela2DDriver(), nullptr);
    // Drawing and flipping without graphics must be harmless.
    SetColor(1, 2, 3);
    DrawRect(0, 0, 10, 10);
    Flip(-1);
    for (const TRecordedCall& c : gfx.driver().Calls()) {
        EXPECT_EQ(c.kind, TDrawKind::Flip) << DrawKindName(c.kind);
    }
    EXPECT_TRUE(gfx.context().flip_syncs.empty()) << "nothing to present";
}

TEST(GraphicsContext, ChangingTheDriverDropsTheCurrentGraphics) {
    TScopedVirtualClock clock;
    TRecordingGraphics gfx;
    ASSERT_TRUE(CurrentGraphics());
    TFakeContextDriver other_context;
    TRecordingDriver other(&other_context);
    SetGraphicsDriver(&other, 0);
    EXPECT_FALSE(CurrentGraphics());
    EXPECT_EQ(GraphicsWidth(), 0);
    EXPECT_EQ(GraphicsDefaultFlags(), 0);
    EXPECT_FALSE(gfx.context().current) << "the old driver was told to let go";
    // Making the old graphics current again switches back to its driver.
    SetGraphics(gfx.graphics());
    EXPECT_EQ(GetGraphicsDriver(), &gfx.driver());
    EXPECT_EQ(GraphicsWidth(), 800);
}

TEST(GraphicsContext, FlipRunsTheFlipHookEveryTime) {
    TScopedVirtualClock clock;
    TRecordingGraphics gfx;
    StartGraphicsModules();  // takes the hook id; the recording driver stays installed below
    SetGraphicsDriver(&gfx.driver(), GFX_BACKBUFFER);
    ASSERT_GE(FlipHookId(), 0);
    static int calls = 0;
    calls = 0;
    auto hook = [](int, const TObjectPtr& data, void*) -> TObjectPtr {
        ++calls;
        return data;
    };
    InsertHook(FlipHookId(), hook, nullptr, 0);
    Flip(0);
    Flip(-1);
    DeleteHook(FlipHookId(), hook, nullptr);
    Flip(0);
    EXPECT_EQ(calls, 2);
}

TEST(GraphicsContext, ModeTextAndModeCache) {
    EXPECT_EQ((TGraphicsMode{800, 600, 32, 60}.ToString()), "800,600,32 60Hz");
    TRecordingGraphics gfx(false);
    ASSERT_EQ(CountGraphicsModes(), 3);
    EXPECT_EQ(GraphicsModes()[1].width, 800);
}

}  // namespace
