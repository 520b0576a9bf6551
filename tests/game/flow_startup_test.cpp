// Start-up and the frame loop, run through the headless harness: the loading frame, the
// assets, the globals before the first game, leaving the loop, and the failure exits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/audio/audio.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image.h"
#include "engine/graphics/render.h"
#include "engine/system/event.h"
#include "engine/system/hook.h"
#include "engine/system/runtime_error.h"
#include "engine/system/system_driver.h"
#include "game/embedded_assets.h"
#include "game/game.h"
#include "game/globals.h"
#include "tools/headless/harness.h"

namespace {

void expectLoaded(const std::shared_ptr<TImage>& image, const char* name) {
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(ImageXHandle(image), ImageWidth(image) / 2.0f) << name;
    EXPECT_EQ(ImageYHandle(image), ImageHeight(image) / 2.0f) << name;
}
void expectLoaded(const std::shared_ptr<TSound>& sound, const char* name) {
    EXPECT_TRUE(sound) << name;
}

TEST(FlowStartup, LoadingFrameShowsTheLineOnWhiteAtFiveTimesSize) {
    TGameHarness game;
    ASSERT_EQ(game.StartUpFailure(), "");
    EXPECT_EQ(AppTitle(), "Qel Arcade /// ZANDOR by QEL 2008");
    EXPECT_EQ(game.Context().graphics_created, 1);

    // Until the first frame the recorded calls are those of start-up; the loading frame ends
    // at the first flip after its text.
    const auto& calls = game.Draws().Calls();
    const size_t none = calls.size();
    size_t cls = none, text = none, flip = none;
    for (size_t i = 0; i < calls.size() && flip == none; ++i) {
        if (calls[i].kind == TDrawKind::Cls && text == none) cls = i;
        if (calls[i].kind == TDrawKind::DrawImage && calls[i].glyph != 0 && text == none) text = i;
        if (calls[i].kind == TDrawKind::Flip && text != none) flip = i;
    }
    ASSERT_LT(flip, none);
    ASSERT_LT(cls, text);
    const auto clsColours = game.Draws().CallsOf(TDrawKind::SetClsColor);
    ASSERT_FALSE(clsColours.empty());
    EXPECT_EQ(clsColours.back().args, (std::vector<float>{255, 255, 255}));

    const auto texts = game.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].text, "OMG IT LOADS!!!");
    EXPECT_EQ(texts[0].x, 100);
    EXPECT_EQ(texts[0].y, 250);
    EXPECT_EQ(texts[0].scale_x, 5);
    EXPECT_EQ(texts[0].scale_y, 5);
    EXPECT_EQ(texts[0].red, 200);
    EXPECT_EQ(texts[0].green, 200);
    EXPECT_EQ(texts[0].blue, 200);
    EXPECT_EQ(calls[text].blend, BLEND_ALPHA);
}

TEST(FlowStartup, EveryTextureIsMadeBehindTheLoadingFrameAndNoneInTheFirstFrames) {
    TGameHarness game;
    ASSERT_EQ(game.StartUpFailure(), "");
    const auto& calls = game.Draws().Calls();
    size_t flip = calls.size();
    bool text = false;
    for (size_t i = 0; i < calls.size() && flip == calls.size(); ++i) {
        if (calls[i].kind == TDrawKind::DrawImage && calls[i].glyph != 0) text = true;
        if (calls[i].kind == TDrawKind::Flip && text) flip = i;
    }
    ASSERT_LT(flip, calls.size());
    // After the loading frame: textures made, nothing presented, and nothing drawn after the
    // last wipe, so the title frame starts from a clear screen.
    int made = 0;
    size_t lastDraw = flip, lastCls = flip;
    for (size_t i = flip + 1; i < calls.size(); ++i) {
        EXPECT_NE(calls[i].kind, TDrawKind::Flip);
        if (calls[i].kind == TDrawKind::CreateFrame) ++made;
        if (calls[i].kind == TDrawKind::DrawImage) lastDraw = i;
        if (calls[i].kind == TDrawKind::Cls) lastCls = i;
    }
    EXPECT_GE(made, 19);
    EXPECT_GT(lastCls, lastDraw);
    // The loading frame's draw state is left as it was.
    int red = 0, green = 0, blue = 0;
    GetColor(red, green, blue);
    EXPECT_EQ((std::vector<int>{red, green, blue}), (std::vector<int>{200, 200, 200}));
    float scaleX = 0, scaleY = 0;
    GetScale(scaleX, scaleY);
    EXPECT_EQ(scaleX, 5);
    EXPECT_EQ(scaleY, 5);
    EXPECT_EQ(GetAlpha(), 1);

    // The title, then the first seconds of play with shots, hits and the HUD's digits.
    game.RunFrames(1);
    EXPECT_TRUE(game.Draws().CallsOf(TDrawKind::CreateFrame).empty());
    game.StartNewGame();
    for (int frame = 0; frame < 600; ++frame) {
        if (frame % 10 == 0) {
            game.MovePointer(400 + (frame % 200), 100);
            game.Click(MOUSE_LEFT);
        }
        game.RunFrames(1);
        ASSERT_TRUE(game.Draws().CallsOf(TDrawKind::CreateFrame).empty()) << "frame " << frame;
    }
}

TEST(FlowStartup, AssetsAreLoadedMidHandledAndTheMusicChannelExists) {
    TGameHarness game;
    ASSERT_EQ(game.StartUpFailure(), "");
    // Every image is mid-handled, so a draw centres it on the given point; every sound loaded.
#define ZANDOR_ASSET(kind, symbol, file, global) expectLoaded(global, file);
#include "game/asset_list.h"
#undef ZANDOR_ASSET
    EXPECT_TRUE(musicChannel);
    EXPECT_EQ(game.Audio().ChannelsMade(), 1);
    EXPECT_TRUE(game.Audio().Calls().empty());
}

TEST(FlowStartup, GlobalsBeforeTheFirstGame) {
    TGameHarness game;
    ASSERT_EQ(game.StartUpFailure(), "");
    EXPECT_EQ(gameState, GAME_STATE_TITLE);
    EXPECT_FALSE(enemyList);
    EXPECT_FALSE(shotList);
    EXPECT_FALSE(fxList);
    EXPECT_FALSE(bgfxList);
    game.Frame();
    EXPECT_EQ(bgBrightness, 0);
    EXPECT_EQ(spriteGrey, 255);
    EXPECT_EQ(life, 0);
    // The first frame clears with the loading frame's white and shows the title.
    const auto clsColours = game.Draws().CallsOf(TDrawKind::SetClsColor);
    EXPECT_TRUE(clsColours.empty());
    const auto& calls = game.Draws().Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().kind, TDrawKind::Cls);
    std::vector<const TRecordedCall*> images;
    for (const auto& c : calls) {
        if (c.kind == TDrawKind::DrawImage) images.push_back(&c);
    }
    ASSERT_EQ(images.size(), 2u);
    EXPECT_TRUE(images[0]->Draws(backgroundImg));
    EXPECT_TRUE(images[1]->Draws(titleImg));
    for (const auto* c : images) {
        EXPECT_EQ(c->screen[0], 0);  // centred at (400, 300) at scale 1
        EXPECT_EQ(c->screen[1], 0);
        EXPECT_EQ(c->scale_x, 1);
        EXPECT_EQ(c->rotation, 0);
        EXPECT_EQ(c->alpha, 1);
        EXPECT_EQ(c->red, 255);
    }
    EXPECT_EQ(calls.back().kind, TDrawKind::Flip);
}

TEST(FlowStartup, EscapeOrACloseRequestEndsTheLoopAfterTheFrameIsPresented) {
    enum Quit { ESCAPE, CLOSE };
    struct Case {
        Quit quit;
        int screen;
    };
    const std::vector<Case> cases = {
        {ESCAPE, GAME_STATE_TITLE}, {CLOSE, GAME_STATE_TITLE},      {ESCAPE, GAME_STATE_PLAY},
        {CLOSE, GAME_STATE_PLAY},   {ESCAPE, GAME_STATE_GAME_OVER}, {CLOSE, GAME_STATE_END},
    };
    for (const Case& c : cases) {
        TGameHarness game;
        if (c.screen != GAME_STATE_TITLE) game.StartNewGame();
        gameState = c.screen;
        EXPECT_TRUE(game.Frame());
        if (c.quit == ESCAPE) {
            game.PressKey(KEY_ESCAPE);
        } else {
            game.RequestClose();
        }
        EXPECT_FALSE(game.Frame()) << c.screen;
        EXPECT_EQ(game.Draws().Calls().back().kind, TDrawKind::Flip);
    }
}

TEST(FlowStartup, AnAssetThatDoesNotLoadIsNamed) {
    TGameHarness game;
    EXPECT_EQ(loadGameAssets("incbin::nowhere/"),
              "cannot load incbin::nowhere/assets/graphics/player.png");
    EXPECT_FALSE(playerImg);
}

// The entry over the harness's drivers: the engine modules are already started, so the
// entry's own start calls leave the fakes in place.
TEST(FlowStartup, EntryReportsAWindowThatCannotOpenInOneLine) {
    TGameHarness game;
    game.Context().fail_create = true;
    std::ostringstream err;
    EXPECT_NE(runZandor(err), 0);
    EXPECT_EQ(err.str(), "zandor: cannot open the 800x600 game window\n");
}

// The real entry and engine in a child, with DISPLAY naming a server that does not exist:
// one line that names the display, and nothing from display back-ends that were not named.
TEST(FlowStartupDeathTest, AnUnreachableDisplayIsNamedInTheOneLine) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DISPLAY", ":9999", 1);
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("SDL_VIDEODRIVER");
            std::_Exit(runZandor(std::cerr));
        },
        testing::ExitedWithCode(1),
        "^zandor: cannot open the 800x600 game window: cannot reach the X display \":9999\"\n$");
}

[[noreturn]] TObjectPtr LoseTheDisplay(int, const TObjectPtr&, void*) {
    DisplayLost("the display was lost (in a test)");
}

TEST(FlowStartupDeathTest, ALostDisplayEndsTheGameWithOneLineAndStatusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TGameHarness game;
            InsertHook(FlipHookId(), LoseTheDisplay, nullptr);
            runZandor(std::cerr);
        },
        testing::ExitedWithCode(1), "^zandor: the display was lost \\(in a test\\)\n$");
}

// Ends a runaway loop: a flip hook that raises after a number of frames.
TObjectPtr StopAfterManyFrames(int, const TObjectPtr& data, void* context) {
    int& frames = *static_cast<int*>(context);
    if (++frames > 600) RuntimeError("loop did not end");
    return data;
}

TEST(FlowStartup, EntryRunsTheLoopUntilEscape) {
    TGameHarness game;
    int frames = 0;
    InsertHook(FlipHookId(), StopAfterManyFrames, &frames);
    game.Input().CountFramesOn(FlipHookId());
    game.Input().AtFrame(game.Input().Frame() + 10, TScriptedSystemDriver::KeyDown(KEY_ESCAPE));
    std::ostringstream err;
    const int status = runZandor(err);
    DeleteHook(FlipHookId(), StopAfterManyFrames, &frames);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_LT(frames, 20);
}

class TThrowingSystemDriver : public TSystemDriver {
  public:
    void Poll() override { RuntimeError("Too many hook ids"); }
};

TEST(FlowStartup, EntryReportsARuntimeErrorInOneLine) {
    TGameHarness game;
    TThrowingSystemDriver failing;
    TSystemDriver* previous = SetSystemDriver(&failing);
    std::ostringstream err;
    EXPECT_NE(runZandor(err), 0);
    SetSystemDriver(previous);
    EXPECT_EQ(err.str(), "zandor: Too many hook ids\n");
}

}  // namespace
