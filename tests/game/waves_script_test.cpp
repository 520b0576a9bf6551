// The level script driven directly: playTime is set by hand, one updateWaves per frame, so
// every schedule rule can be checked without a window or a clock.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "game/entities.h"
#include "game/globals.h"
#include "game/waves.h"
#include "tests/support/scoped_clock.h"

namespace {

class WavesScript : public ::testing::Test {
  protected:
    void SetUp() override {
        restoreStartGlobals();
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        gameState = GAME_STATE_PLAY;
        waveStep = 0;
        bgTargetBrightness = 255;
    }
    void TearDown() override { restoreStartGlobals(); }

    // Runs `frames` frames at one playTime, as the play screen does while it shows.
    void framesAt(int time, int frames = 6) {
        playTime = time;
        for (int i = 0; i < frames; ++i) updateWaves();
    }
    // Every tenth of a second from 0 to `last` seen, as in an undisturbed game.
    void playThrough(int last) {
        for (int t = 0; t <= last; ++t) framesAt(t);
    }
    int enemies() const { return static_cast<int>(enemyList->size()); }
};

// Enemies added at each trigger time in a run where every tenth of a second is seen.
const std::map<int, int> kExpectedGroups = {
    {120, 10},  {210, 10},  {250, 7},   {270, 7},   {290, 7},   {310, 7},  {350, 5},   {390, 5},
    {410, 7},   {430, 7},   {450, 7},   {480, 7},   {495, 7},   {510, 7},  {525, 23},  {590, 18},
    {620, 7},   {650, 18},  {665, 18},  {720, 1},   {724, 1},   {728, 1},  {732, 1},   {736, 1},
    {740, 1},   {744, 1},   {748, 1},   {788, 1},   {790, 1},   {792, 1},  {794, 1},   {796, 1},
    {798, 1},   {800, 1},   {802, 1},   {804, 1},   {806, 1},   {808, 1},  {810, 1},   {812, 1},
    {814, 1},   {816, 1},   {818, 1},   {820, 1},   {822, 1},   {824, 1},  {826, 1},   {828, 1},
    {830, 1},   {832, 1},   {834, 1},   {838, 1},   {840, 5},   {867, 5},  {894, 5},   {930, 16},
    {970, 16},  {1000, 5},  {1027, 5},  {1050, 14}, {1085, 14}, {1120, 7}, {1170, 18}, {1200, 18},
    {1230, 18}, {1260, 18}, {1290, 18},
};

TEST_F(WavesScript, FullRunCreatesEveryGroupAtItsTimeAndEndsTheLevel) {
    EXPECT_EQ(waveEventCount(), 72);
    std::map<int, int> groups;
    for (int t = 0; t <= 1400 && gameState == GAME_STATE_PLAY; ++t) {
        const int before = enemies();
        framesAt(t);
        if (enemies() != before) groups[t] = enemies() - before;
    }
    EXPECT_EQ(groups, kExpectedGroups);
    EXPECT_EQ(enemies(), 399);
    EXPECT_EQ(waveStep, 69);
    EXPECT_EQ(gameState, GAME_STATE_END);
}

// Groups of equal size could be swapped without changing any count: each guarded event must
// create exactly what calling the formations it names creates, in that order.
TEST_F(WavesScript, EachEventCreatesTheFormationsItNames) {
    using Snapshot = std::vector<std::tuple<std::string, float, float, float, float, float>>;
    const auto snapshot = [] {
        Snapshot out;
        for (const auto& e : enemyList->items())
            out.emplace_back(e->name, e->x, e->y, e->speedX, e->speedY, e->rotation);
        return out;
    };
    struct Case {
        int time;
        int step;
        std::function<void()> spawn;
    };
    std::vector<Case> cases = {
        {120, 0, [] { spawnControlsSlow(), spawnControlsFast(); }},
        {210, 1, [] { spawnControlsSlow(), spawnControlsFast(); }},
        {250, 2, spawnColumnLeft},
        {270, 3, spawnColumnRight},
        {290, 4, spawnRowTop},
        {310, 5, spawnRowBottom},
        {350, 6, spawnControlsSlow},
        {390, 7, spawnControlsSlow},
        {410, 8, spawnColumnLeft},
        {430, 9, spawnColumnRight},
        {450, 10, spawnColumnLeft},
        {480, 11, [] { spawnCorner(1); }},
        {495, 12, [] { spawnCorner(2); }},
        {510, 13, [] { spawnCorner(3); }},
        {525, 14, [] { spawnCorner(4), spawnSpiral(); }},
        {590, 15, [] { spawnRing(300); }},
        {620, 16, spawnColumnRight},
        {650, 17, [] { spawnRing(200); }},
        {665, 18, [] { spawnRing(300); }},
        {752, 27, [] {}},
        {836, 52, [] {}},
        {838, 53, [] { tEnemyControl::ini(800, 250, -2, 0); }},
        {840, 54, spawnControlsFast},
        {867, 55, spawnControlsFast},
        {894, 56, spawnControlsFast},
        {930, 57, spawnSpiral},
        {970, 58, spawnSpiral},
        {1000, 59, spawnControlsFast},
        {1027, 60, spawnControlsFast},
        {1050, 61, [] { spawnColumnLeft(), spawnColumnRight(); }},
        {1085, 62, [] { spawnRowTop(), spawnRowBottom(); }},
        {1120, 63, spawnColumnLeft},
    };
    for (int i = 0; i < 8; ++i) {
        cases.push_back({720 + 4 * i, 19 + i, [i] { spawnLaneControl(i % 2 == 0 ? 1 : 2); }});
    }
    for (int i = 0; i < 24; ++i) {
        cases.push_back({788 + 2 * i, 28 + i, [i] { spawnLaneMover(i % 2 == 0 ? 2 : 1); }});
    }
    for (int i = 0; i < 5; ++i) cases.push_back({1170 + 30 * i, 64 + i, [] { spawnRing(300); }});
    ASSERT_EQ(cases.size(), 69u);  // every guarded event but the second one of step 61

    for (const Case& c : cases) {
        SetUp();
        waveStep = c.step;
        framesAt(c.time, 1);
        EXPECT_EQ(waveStep, c.step + 1) << c.time;
        const Snapshot created = snapshot();
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        c.spawn();
        EXPECT_EQ(created, snapshot()) << c.time;
    }
}

TEST_F(WavesScript, BrightnessTargetsFollowTheScript) {
    struct Change {
        int time;
        float target;
    };
    const std::vector<Change> changes = {{480, 150}, {590, 0}, {840, 200}, {1070, 0}};
    std::vector<Change> seen;
    float last = bgTargetBrightness;
    for (int t = 0; t < 1400; ++t) {
        framesAt(t, 1);
        if (bgTargetBrightness != last) seen.push_back({t, bgTargetBrightness});
        last = bgTargetBrightness;
    }
    ASSERT_EQ(seen.size(), changes.size());
    for (size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(seen[i].time, changes[i].time) << i;
        EXPECT_EQ(seen[i].target, changes[i].target) << i;
    }
}

TEST_F(WavesScript, AGuardedEventActsOnlyInTheFirstFrameOfItsTime) {
    framesAt(119, 3);
    EXPECT_EQ(enemies(), 0);
    playTime = 120;
    updateWaves();
    EXPECT_EQ(enemies(), 10);
    EXPECT_EQ(waveStep, 1);
    for (int i = 0; i < 5; ++i) updateWaves();
    EXPECT_EQ(enemies(), 10);
}

// Times whose frames are never seen: each missed event must still act, late, in order.
TEST_F(WavesScript, MissedTenthsDelayEventsButLoseNone) {
    struct Case {
        const char* what;
        std::vector<int> skipped;  // playTime values with no play frame
    };
    const std::vector<Case> cases = {
        {"first group", {120}},
        {"corner and spiral", {525, 526, 527}},
        {"lane run swallowed by one long frame", {720, 721, 722, 723, 724, 725, 726, 727, 728}},
        {"both step-61 events", {1050, 1051, 1052, 1053, 1054}},
        {"last ring", {1290}},
        {"level end", {1400}},
    };
    for (const Case& c : cases) {
        SetUp();
        for (int t = 0; t <= 1410 && gameState == GAME_STATE_PLAY; ++t) {
            bool skip = false;
            for (int s : c.skipped) skip = skip || s == t;
            if (!skip) framesAt(t);
        }
        EXPECT_EQ(enemies(), 399) << c.what;
        EXPECT_EQ(waveStep, 69) << c.what;
        EXPECT_EQ(gameState, GAME_STATE_END) << c.what;
    }
}

TEST_F(WavesScript, LateEventsFollowOnePerFrameInScheduleOrder) {
    playThrough(715);
    ASSERT_EQ(waveStep, 19);
    enemyList = std::make_shared<tEntityList<tEnemy>>();
    // One frame far past the whole lane-controller run: each frame releases one event.
    playTime = 760;
    std::vector<float> laneYs;
    for (int frame = 0; frame < 9; ++frame) {
        const int step = waveStep;
        updateWaves();
        EXPECT_EQ(waveStep, step + 1) << frame;
    }
    for (const auto& enemy : enemyList->items()) laneYs.push_back(enemy->y);
    EXPECT_EQ(laneYs, (std::vector<float>{120, 480, 120, 480, 120, 480, 120, 480}));
    EXPECT_EQ(waveStep, 28);  // the step-only event at 752 came last
    updateWaves();
    EXPECT_EQ(waveStep, 28);  // the movers start at 788
}

TEST_F(WavesScript, MissAtStep61GivesColumnsLateAndTheSecondEventNothing) {
    playThrough(1049);
    ASSERT_EQ(waveStep, 61);
    const int before = enemies();
    framesAt(1055, 1);
    EXPECT_EQ(enemies() - before, 14);
    EXPECT_EQ(waveStep, 62);
    framesAt(1056);
    EXPECT_EQ(enemies() - before, 14);
}

TEST_F(WavesScript, UnguardedEventsActWheneverTheirTimeHasPassed) {
    waveStep = 69;  // everything guarded already done
    bgTargetBrightness = 200;
    framesAt(1069, 1);
    EXPECT_EQ(bgTargetBrightness, 200);
    framesAt(1073, 1);
    EXPECT_EQ(bgTargetBrightness, 0);
    bgTargetBrightness = 123;  // repeated every frame from then on
    framesAt(1100, 1);
    EXPECT_EQ(bgTargetBrightness, 0);
    EXPECT_EQ(gameState, GAME_STATE_PLAY);
    framesAt(1403, 1);
    EXPECT_EQ(gameState, GAME_STATE_END);
}

TEST_F(WavesScript, ALateGuardedBrightnessCannotUndoTheBlackout) {
    playThrough(839);
    ASSERT_EQ(waveStep, 54);
    framesAt(1075, 1);  // the 84.0 s event (target 200) fires this late
    EXPECT_EQ(waveStep, 55);
    EXPECT_EQ(bgTargetBrightness, 0);
}

TEST_F(WavesScript, PlayTimeCountsWholeTenthsAcrossTheClockWrap) {
    struct Case {
        std::uint32_t start;
        std::uint32_t now;
        int expected;
    };
    const std::vector<Case> cases = {
        {1000, 1000, 0},
        {1000, 1099, 0},
        {1000, 1100, 1},
        {1000, 141000, 1400},
        {0xFFFFFF00u, 0x40u, 3},
        {0xFFFFFFFFu, 99, 1},
        {0x7FFFFFF0u, 0x80000060u, 1},
    };
    for (const Case& c : cases) {
        TScopedVirtualClock clock(c.now);
        startTime = static_cast<int>(c.start);
        updatePlayTime();
        EXPECT_EQ(playTime, c.expected) << c.start << " -> " << c.now;
    }
}

}  // namespace
