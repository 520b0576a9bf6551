// Whole games through the headless harness: the wave script against the real clock and
// frame pacing, with the turret kept alive so the level runs to its end.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "engine/system/clock.h"
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"
#include "game/waves.h"
#include "tools/headless/harness.h"

namespace {

struct TRunLog {
    int enemiesCreated = 0;
    // Elapsed milliseconds since the game started at each frame that created enemies.
    std::vector<int> arrivals;
    int endFrameTime = -1;
    int endPlayTime = -1;
};

// Plays one game from the title with no input until the end screen shows, restoring life
// before each frame. `stallAtPlayTime` makes one frame 250 ms long once playTime reaches it.
TRunLog playWholeGame(TGameHarness& game, int stallAtPlayTime = -1) {
    TRunLog log;
    std::set<std::shared_ptr<tEnemy>> seen;
    game.StartNewGame();
    bool stalled = false;
    for (int frame = 0; frame < 9000 && gameState == GAME_STATE_PLAY; ++frame) {
        life = START_LIFE;
        if (!stalled && stallAtPlayTime >= 0 && playTime >= stallAtPlayTime) {
            game.Stall(250);
            stalled = true;
        }
        // Nothing in a frame advances the clock before its Flip, so this is the frame's time.
        const int elapsed =
            ClockDiff(game.Clock().Milliseconds(), static_cast<std::uint32_t>(startTime));
        game.Frame();
        bool created = false;
        for (const auto& enemy : enemyList->items()) {
            if (seen.insert(enemy).second) created = true;
        }
        if (created) log.arrivals.push_back(elapsed);
        if (gameState == GAME_STATE_END) log.endPlayTime = playTime;
    }
    log.enemiesCreated = static_cast<int>(seen.size());
    return log;
}

TEST(FlowFullGame, AnUndisturbedGameRunsTheWholeScript) {
    TGameHarness game;
    const TRunLog log = playWholeGame(game);
    EXPECT_EQ(log.enemiesCreated, 399);
    EXPECT_EQ(waveStep, 69);
    EXPECT_EQ(gameState, GAME_STATE_END);
    EXPECT_EQ(log.endPlayTime, LEVEL_END_TIME);
    ASSERT_FALSE(log.arrivals.empty());
    // The first group comes in the first frame at or after 12.0 s.
    EXPECT_GE(log.arrivals.front(), 12000);
    EXPECT_LT(log.arrivals.front(), 12000 + 17);
}

TEST(FlowFullGame, OneLongFrameDelaysTheEventItSkipsAndLosesNothing) {
    std::vector<int> undisturbed;
    {
        TGameHarness game;
        undisturbed = playWholeGame(game).arrivals;
    }
    TGameHarness game;
    // From 71.9 s a 250 ms frame jumps over 72.0 s, the first lane controller's tenth.
    const TRunLog log = playWholeGame(game, 719);
    EXPECT_EQ(log.enemiesCreated, 399);
    EXPECT_EQ(waveStep, 69);
    EXPECT_EQ(log.endPlayTime, LEVEL_END_TIME);
    ASSERT_EQ(log.arrivals.size(), undisturbed.size());
    int late = 0;
    for (size_t i = 0; i < undisturbed.size(); ++i) {
        if (log.arrivals[i] == undisturbed[i]) continue;
        ++late;
        EXPECT_EQ(undisturbed[i] / 100, 720);
        EXPECT_GT(log.arrivals[i], 72100);  // the first frame after the stall
        EXPECT_LT(log.arrivals[i], 72300);
    }
    EXPECT_EQ(late, 1);
}

TEST(FlowFullGame, ALongFrameOverTheLastTenthStillEndsTheLevel) {
    TGameHarness game;
    const TRunLog log = playWholeGame(game, 1399);
    EXPECT_EQ(gameState, GAME_STATE_END);
    EXPECT_GT(log.endPlayTime, LEVEL_END_TIME);
    EXPECT_EQ(log.enemiesCreated, 399);
}

TEST(FlowFullGame, TheScriptSurvivesTheClockWrapping) {
    // The millisecond counter wraps about a minute into the game.
    TGameHarness game(0xFFFFFFFFu - 60'000);
    const TRunLog log = playWholeGame(game);
    EXPECT_EQ(log.enemiesCreated, 399);
    EXPECT_EQ(waveStep, 69);
    EXPECT_EQ(log.endPlayTime, LEVEL_END_TIME);
}

TEST(FlowFullGame, GameOverStopsTheScriptForGood) {
    TGameHarness game;
    game.StartNewGame();
    game.RunUntil([] { return playTime >= 300; });
    life = 0;
    game.Frame();
    ASSERT_EQ(gameState, GAME_STATE_GAME_OVER);
    const int step = waveStep;
    std::set<std::shared_ptr<tEnemy>> before;
    for (const auto& e : enemyList->items()) before.insert(e);
    game.RunFrames(8000);  // well past the end of the script
    EXPECT_EQ(waveStep, step);
    EXPECT_EQ(gameState, GAME_STATE_GAME_OVER);
    for (const auto& e : enemyList->items()) EXPECT_TRUE(before.count(e));
}

}  // namespace
