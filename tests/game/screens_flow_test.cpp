// The four screens and their transitions through the headless harness: starting a game, the
// order of each screen's drawing, the closing screens' fade and music fade-out, returning to
// the title, the right-button mend and the music a new game leaves playing.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/system/event.h"
#include "game/entities.h"
#include "game/globals.h"
#include "tools/headless/harness.h"

namespace {

class ScreensFlow : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(game_.StartUpFailure(), ""); }

    // The channel id the music was last played on, or 0.
    int musicChannelId() {
        int id = 0;
        for (const TAudioCall& c : game_.Audio().Calls()) {
            if (c.kind == TAudioCall::PLAY && c.sound == musicSnd.get()) id = c.channel;
        }
        return id;
    }
    int countCalls(TAudioCall::Kind kind, int channel) {
        int n = 0;
        for (const TAudioCall& c : game_.Audio().Calls())
            n += c.kind == kind && c.channel == channel;
        return n;
    }
    // Index of the first recorded call of the last frame that draws `image`, or -1.
    int firstDrawOf(const std::shared_ptr<TImage>& image) {
        const auto& calls = game_.Draws().Calls();
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].Draws(image)) return static_cast<int>(i);
        }
        return -1;
    }
    // Plays until the turret is lost: the next frame is the game-over screen's first.
    void loseTheGame() {
        life = 0;
        game_.Frame();
        ASSERT_EQ(gameState, GAME_STATE_GAME_OVER);
    }
    // Lets the level run out: the next frame is the end screen's first.
    void surviveTheLevel() {
        startTime = static_cast<int>(game_.Clock().Milliseconds() - 140'000);
        waveStep = 69;
        game_.Frame();
        ASSERT_EQ(gameState, GAME_STATE_END);
    }

    TGameHarness game_;
};

TEST_F(ScreensFlow, SeveralLeftPressesOnTheTitleStartOneGameAndFireNothing) {
    game_.Frame();
    game_.Click(MOUSE_LEFT, 3);
    game_.Frame();
    EXPECT_EQ(gameState, GAME_STATE_PLAY);
    int musicPlays = 0;
    for (const TAudioCall& c : game_.Audio().Calls()) {
        musicPlays += c.kind == TAudioCall::PLAY && c.sound == musicSnd.get();
        EXPECT_NE(c.sound, shootSnd.get());
    }
    EXPECT_EQ(musicPlays, 1);
    game_.RunFrames(3);
    EXPECT_EQ(shotList->size(), 0u);
}

TEST_F(ScreensFlow, ANewGameResetsEveryGlobalAndDropsTheOldObjects) {
    game_.StartNewGame();
    game_.RunFrames(30);
    tEnemyMove::ini(100, 100, 0, 0, 0);
    std::weak_ptr<tEnemy> oldEnemy = enemyList->first();
    const auto oldBgfx = bgfxList;
    score = 77;
    bestChain = 5;
    life = 20;
    bgBrightness = 10;
    bgTargetBrightness = 0;
    waveStep = 30;
    baseAlpha = 0.7f;
    loseTheGame();
    game_.RunFrames(12);
    game_.Click(MOUSE_RIGHT);
    game_.Frame();
    ASSERT_EQ(gameState, GAME_STATE_TITLE);
    game_.Frame();
    game_.Click(MOUSE_LEFT);
    const std::uint32_t clickTime = game_.Clock().Milliseconds();
    game_.Frame();
    ASSERT_EQ(gameState, GAME_STATE_PLAY);

    // The values a new game starts from, as the rules give them, not as the code names them.
    EXPECT_EQ(life, 50);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(bestChain, 0);
    EXPECT_EQ(shotSpeed, 20);
    EXPECT_EQ(baseX, 400);
    EXPECT_EQ(baseY, 300);
    EXPECT_EQ(baseAlpha, 0);
    EXPECT_EQ(aimAngle, 0);
    EXPECT_EQ(aimDistance, 0);
    EXPECT_EQ(bgBrightness, 255);
    EXPECT_EQ(bgTargetBrightness, 255);
    EXPECT_EQ(waveStep, 0);
    EXPECT_EQ(fadeAlpha, 0);
    EXPECT_EQ(musicVolume, 1);
    EXPECT_EQ(static_cast<std::uint32_t>(startTime), clickTime);
    EXPECT_TRUE(oldEnemy.expired());
    EXPECT_NE(bgfxList, oldBgfx);
    EXPECT_EQ(bgfxList->size(), 6u);
    EXPECT_EQ(enemyList->size(), 0u);
    EXPECT_EQ(shotList->size(), 0u);
    EXPECT_EQ(fxList->size(), 0u);
}

// A closing screen's frames: picture alpha, text alpha, music volume and the frame of the
// first stop, compared with the rules run in 32-bit floats.
TEST_F(ScreensFlow, ClosingScreensFadeInThePictureAndFadeOutTheMusic) {
    struct Case {
        int screen;
        bool raiseBeforeDrawing;
        float stopBelow;
        int firstStopFrame;
    };
    const std::vector<Case> cases = {
        {GAME_STATE_GAME_OVER, true, 0.05f, 191},
        {GAME_STATE_END, false, 0.01f, 199},
    };
    for (const Case& c : cases) {
        TGameHarness game;
        game.StartNewGame();
        score = 1234;
        bestChain = 7;
        if (c.screen == GAME_STATE_GAME_OVER) {
            life = 0;
        } else {
            startTime = static_cast<int>(game.Clock().Milliseconds() - 140'000);
            waveStep = 69;
        }
        game.Frame();
        ASSERT_EQ(gameState, c.screen);
        const auto& picture = c.screen == GAME_STATE_GAME_OVER ? gameOverImg : endImg;
        int music = 0;
        for (const TAudioCall& a : game.Audio().Calls()) {
            if (a.kind == TAudioCall::PLAY && a.sound == musicSnd.get()) music = a.channel;
        }
        ASSERT_NE(music, 0);
        game.Audio().ClearCalls();

        float fade = 0;
        float volume = 1;
        int stopFrame = 0;
        for (int frame = 1; frame <= 230; ++frame) {
            game.Frame();
            if (c.raiseBeforeDrawing && fade < 1) fade += 0.05f;
            const float drawn = fade;
            if (!c.raiseBeforeDrawing && fade < 1) fade += 0.05f;

            const auto pictures = game.Draws().DrawsOf(picture);
            ASSERT_EQ(pictures.size(), 1u);
            EXPECT_EQ(pictures[0].alpha, drawn) << frame;
            EXPECT_EQ(pictures[0].screen[0], 0);
            EXPECT_EQ(pictures[0].screen[1], 0);
            const auto texts = game.Texts();
            ASSERT_GE(texts.size(), 4u);  // HUD score and chain, then the large ones
            const auto& big = texts[texts.size() - 2];
            const auto& chain = texts[texts.size() - 1];
            EXPECT_EQ(big.text, "1234");
            EXPECT_EQ(big.x, 400);
            EXPECT_EQ(big.y, 285);
            EXPECT_EQ(chain.text, "7");
            EXPECT_EQ(chain.x, 400);
            EXPECT_EQ(chain.y, 321);
            EXPECT_EQ(big.scale_x, 2);
            EXPECT_EQ(big.alpha, fade / 1.5f) << frame;

            std::vector<float> volumes;
            bool stopped = false;
            for (const TAudioCall& a : game.Audio().Calls()) {
                if (a.channel != music) continue;
                if (a.kind == TAudioCall::VOLUME) volumes.push_back(a.value);
                if (a.kind == TAudioCall::STOP) stopped = true;
            }
            game.Audio().ClearCalls();
            if (volume > 0) {
                volume -= 0.005f;
                ASSERT_EQ(volumes.size(), 1u) << frame;
                EXPECT_EQ(volumes[0], volume) << frame;
            } else {
                EXPECT_TRUE(volumes.empty()) << frame;
            }
            if (stopped && stopFrame == 0) stopFrame = frame;
        }
        EXPECT_EQ(stopFrame, c.firstStopFrame) << c.screen;
        EXPECT_EQ(gameState, c.screen);
        // The picture reached full opacity after 20 frames and the text stays at about 2/3.
        EXPECT_GE(fadeAlpha, 1);
        EXPECT_NEAR(fadeAlpha / 1.5f, 0.67f, 0.01f);
        EXPECT_LT(musicVolume, 0);
        EXPECT_GT(musicVolume, -0.01f);
    }
}

TEST_F(ScreensFlow, ClosingScreensDrawTheHudOverSpritesAndThePictureOverTheHud) {
    game_.StartNewGame();
    tEnemyMove::ini(200, 200, 0, 0, 0);
    game_.Frame();
    const int play[] = {firstDrawOf(backgroundMaskImg), firstDrawOf(baseImg),
                        firstDrawOf(enemyMoveImg), firstDrawOf(displayImg)};
    for (int i = 0; i < 4; ++i) ASSERT_GE(play[i], 0) << i;
    EXPECT_LT(play[0], play[1]);
    EXPECT_LT(play[1], play[2]);
    EXPECT_LT(play[2], play[3]);

    loseTheGame();
    game_.Frame();
    const int over[] = {firstDrawOf(enemyMoveImg), firstDrawOf(displayImg),
                        firstDrawOf(gameOverImg)};
    for (int i = 0; i < 3; ++i) ASSERT_GE(over[i], 0) << i;
    EXPECT_LT(over[0], over[1]);
    EXPECT_LT(over[1], over[2]);
}

TEST_F(ScreensFlow, RightPressOnAClosingScreenReturnsToTheTitleAndTheMusicPlaysOn) {
    // Each round starts from the title the last one returned to.
    for (int screen : {GAME_STATE_GAME_OVER, GAME_STATE_END}) {
        game_.StartNewGame();
        if (screen == GAME_STATE_GAME_OVER) {
            loseTheGame();
        } else {
            surviveTheLevel();
        }
        game_.RunFrames(10);
        const int music = musicChannelId();
        game_.Click(MOUSE_RIGHT);
        game_.Frame();
        EXPECT_EQ(gameState, GAME_STATE_TITLE) << screen;
        const float volume = musicVolume;
        game_.RunFrames(50);
        EXPECT_EQ(gameState, GAME_STATE_TITLE);
        EXPECT_EQ(musicVolume, volume);
        EXPECT_EQ(countCalls(TAudioCall::STOP, music), 0);
        // The title neither moves nor draws what is left of the game.
        EXPECT_TRUE(game_.Draws().DrawsOf(baseImg).empty());
        EXPECT_TRUE(game_.Draws().DrawsOf(displayImg).empty());
    }
}

// A right press is only meant for the closing screens. Made earlier, it must not be kept
// for them, or they would be skipped after one frame.
TEST_F(ScreensFlow, RightPressesOnTheTitleOrInPlayAreNotKeptForTheClosingScreens) {
    enum When { ON_TITLE, IN_PLAY, IN_LAST_PLAY_FRAME };
    for (When when : {ON_TITLE, IN_PLAY, IN_LAST_PLAY_FRAME}) {
        for (int screen : {GAME_STATE_GAME_OVER, GAME_STATE_END}) {
            TGameHarness game;
            if (when == ON_TITLE) game.Click(MOUSE_RIGHT);
            game.Frame();
            game.StartNewGame();
            game.RunFrames(5);
            if (when == IN_PLAY) game.Click(MOUSE_RIGHT);
            game.RunFrames(5);
            if (when == IN_LAST_PLAY_FRAME) game.Click(MOUSE_RIGHT);
            if (screen == GAME_STATE_GAME_OVER) {
                life = 0;
            } else {
                startTime = static_cast<int>(game.Clock().Milliseconds() - 140'000);
                waveStep = 69;
            }
            game.Frame();
            ASSERT_EQ(gameState, screen);
            game.RunFrames(30);
            EXPECT_EQ(gameState, screen) << "press " << when << " screen " << screen;
        }
    }
}

// A new game drops the last game's music channel without stopping it: the old music plays on
// at its faded volume under the new one, and nothing can reach it any more.
TEST_F(ScreensFlow, ANewGameLeavesTheOldMusicPlayingAtItsFadedVolume) {
    game_.StartNewGame();
    const int first = musicChannelId();
    loseTheGame();
    game_.RunFrames(20);  // the music is still well above its stop level
    game_.Click(MOUSE_RIGHT);
    game_.Frame();
    ASSERT_EQ(gameState, GAME_STATE_TITLE);
    const std::weak_ptr<TChannel> oldChannel = musicChannel;
    const size_t callsBefore = game_.Audio().Calls().size();
    game_.Click(MOUSE_LEFT);
    game_.Frame();
    ASSERT_EQ(gameState, GAME_STATE_PLAY);
    const int second = musicChannelId();
    EXPECT_NE(first, second);
    EXPECT_TRUE(oldChannel.expired());
    EXPECT_EQ(game_.Audio().PlayingChannels(musicSnd.get()), (std::vector<int>{first, second}));
    EXPECT_EQ(countCalls(TAudioCall::STOP, first), 0);
    const auto& calls = game_.Audio().Calls();
    for (size_t i = callsBefore; i < calls.size(); ++i) EXPECT_NE(calls[i].channel, first);
}

TEST_F(ScreensFlow, EndScreenTurnsToGameOverWithoutANewFade) {
    game_.StartNewGame();
    surviveTheLevel();
    game_.RunFrames(10);
    const float fade = fadeAlpha;
    ASSERT_LT(fade, 1);
    life = 0;
    game_.Frame();  // the end screen's entity pass finds the turret lost
    EXPECT_EQ(gameState, GAME_STATE_GAME_OVER);
    game_.Frame();
    const auto pictures = game_.Draws().DrawsOf(gameOverImg);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].alpha, fade + 0.05f + 0.05f);
}

TEST_F(ScreensFlow, BothPlayTransitionsInOneFrameShowTheEndScreenFirst) {
    game_.StartNewGame();
    life = 0;
    startTime = static_cast<int>(game_.Clock().Milliseconds() - 140'000);
    waveStep = 69;
    game_.Frame();
    EXPECT_EQ(gameState, GAME_STATE_END);
    game_.Frame();
    EXPECT_EQ(gameState, GAME_STATE_GAME_OVER);
    EXPECT_EQ(game_.Draws().DrawsOf(endImg).size(), 1u);
}

TEST_F(ScreensFlow, TheBackgroundEasesAndSetsTheNextFramesClearColour) {
    game_.StartNewGame();
    game_.Frame();
    auto clsColours = game_.Draws().CallsOf(TDrawKind::SetClsColor);
    ASSERT_EQ(clsColours.size(), 1u);
    EXPECT_EQ(clsColours[0].args, (std::vector<float>{250, 250, 250}));

    bgTargetBrightness = 0;
    float expected = bgBrightness;
    for (int frame = 0; frame < 40; ++frame) {
        game_.Frame();
        expected = expected + (0 - expected) / 30;
        ASSERT_EQ(bgBrightness, expected) << frame;
        const float t = static_cast<float>(static_cast<int>(expected));
        clsColours = game_.Draws().CallsOf(TDrawKind::SetClsColor);
        ASSERT_EQ(clsColours.size(), 1u);
        const float cls = expected >= 250 ? 250 : t;
        EXPECT_EQ(clsColours[0].args, (std::vector<float>{cls, cls, cls})) << frame;
        const auto masks = game_.Draws().DrawsOf(backgroundMaskImg);
        ASSERT_EQ(masks.size(), 1u);
        EXPECT_EQ(masks[0].red, static_cast<int>(t));
        EXPECT_EQ(masks[0].alpha, 1);
    }
    // The sprites take the complement of the level the frame began with.
    const float before = bgBrightness;
    game_.Frame();
    EXPECT_EQ(spriteGrey, 255 - before);
    // The glows lie under the mask.
    const int mask = firstDrawOf(backgroundMaskImg);
    const auto& calls = game_.Draws().Calls();
    int glows = 0;
    for (int i = 0; i < static_cast<int>(calls.size()); ++i) {
        if (calls[i].Draws(bgfxImg)) {
            ++glows;
            EXPECT_LT(i, mask);
        }
    }
    EXPECT_EQ(glows, 6);
}

}  // namespace
