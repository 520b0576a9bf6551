#include <gtest/gtest.h>

#include "engine/system/input.h"
#include "engine/system/platform/headless/scripted_system_driver.h"
#include "engine/system/runtime_error.h"

namespace {

using S = TScriptedSystemDriver;

class PolledInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartPolledInput();
        // The terminate and suspended flags outlive Stop/Start; begin from a known state.
        driver.Queue(S::AppResume());
        TakeAppTerminate();
    }
    void TearDown() override { StopPolledInput(); }

    TScriptedSystemDriver driver;
};

TEST_F(PolledInputTest, HeldEscapeGivesOneHitThroughAutoRepeat) {
    driver.AtFrame(1, S::KeyDown(KEY_ESCAPE));
    for (int frame = 2; frame < 30; ++frame) driver.AtFrame(frame, S::KeyRepeat(KEY_ESCAPE));
    driver.AtFrame(40, S::KeyUp(KEY_ESCAPE));
    int hits = 0;
    for (int frame = 1; frame < 40; ++frame) {
        driver.NextFrame();
        EXPECT_EQ(IsKeyDown(KEY_ESCAPE), 1) << "frame " << frame;
        hits += TakeKeyHits(KEY_ESCAPE);
    }
    EXPECT_EQ(hits, 1);
    driver.NextFrame();
    EXPECT_EQ(IsKeyDown(KEY_ESCAPE), 0);
    EXPECT_EQ(TakeKeyHits(KEY_ESCAPE), 0);
}

// Keys and buttons share one rule: a press counts when the code was up, a release only
// lowers the state, and reading the count resets it.
TEST_F(PolledInputTest, PressesBetweenReadsAreCountedAndTaken) {
    auto down = [](bool key) { return key ? S::KeyDown('J') : S::MouseDown(1, 5, 5); };
    auto up = [](bool key) { return key ? S::KeyUp('J') : S::MouseUp(1, 5, 5); };
    auto other = [](bool key) { return key ? S::KeyDown('K') : S::MouseDown(2, 5, 5); };
    struct TCase {
        const char* name;
        std::vector<int> script;  // 1 down, 0 up, 2 another code down, 3 key repeat
        int hits, held;
    } cases[] = {
        {"two presses", {1, 0, 1, 0}, 2, 0},
        {"press and hold", {1}, 1, 1},
        {"down twice without up", {1, 1}, 1, 1},
        {"release only", {0}, 0, 0},
        {"other code", {2}, 0, 0},
        {"repeats only (keys)", {3, 3}, 0, 0},
    };
    for (bool key : {true, false}) {
        for (const auto& c : cases) {
            if (!key && c.script[0] == 3) continue;
            ClearKeys();
            ClearMouse();
            for (int step : c.script) {
                driver.Queue(step == 1   ? down(key)
                             : step == 0 ? up(key)
                             : step == 2 ? other(key)
                                         : S::KeyRepeat('J'));
            }
            int hits = key ? TakeKeyHits('J') : TakeMouseHits(MOUSE_LEFT);
            int again = key ? TakeKeyHits('J') : TakeMouseHits(MOUSE_LEFT);
            int held = key ? IsKeyDown('J') : IsMouseDown(MOUSE_LEFT);
            EXPECT_EQ(hits, c.hits) << c.name << (key ? " key" : " button");
            EXPECT_EQ(again, 0) << c.name;
            EXPECT_EQ(held, c.held) << c.name << (key ? " key" : " button");
        }
    }
    driver.Queue(S::MouseDown(2, 0, 0));
    driver.Queue(S::MouseDown(3, 0, 0));
    EXPECT_EQ(TakeMouseHits(MOUSE_RIGHT), 1);
    EXPECT_EQ(TakeMouseHits(MOUSE_MIDDLE), 1);
}

TEST_F(PolledInputTest, TerminateIsTakenOnceAndSurvivesClears) {
    driver.AtFrame(1, S::AppTerminate());
    EXPECT_EQ(TakeAppTerminate(), 0);
    driver.NextFrame();
    ClearKeys();
    ClearMouse();
    EXPECT_EQ(TakeAppTerminate(), 1);
    EXPECT_EQ(TakeAppTerminate(), 0);
}

TEST_F(PolledInputTest, SuspendClearsHeldStateAndResumeDoesNotRestoreIt) {
    driver.Queue(S::KeyDown('A'));
    driver.Queue(S::MouseDown(1, 3, 4));
    driver.Queue(S::MouseMove(30, 40));
    driver.Queue(S::MouseWheel(2));
    EXPECT_EQ(IsKeyDown('A'), 1);
    driver.Queue(S::AppSuspend());
    EXPECT_EQ(IsAppSuspended(), 1);
    EXPECT_EQ(IsKeyDown('A'), 0);
    EXPECT_EQ(TakeKeyHits('A'), 0);
    EXPECT_EQ(IsMouseDown(1), 0);
    EXPECT_EQ(TakeMouseHits(1), 0);
    EXPECT_EQ(MouseWheelPos(), 0);
    EXPECT_EQ(MousePosX(), 30);  // the position is kept
    driver.Queue(S::AppResume());
    EXPECT_EQ(IsAppSuspended(), 0);
    EXPECT_EQ(IsKeyDown('A'), 0);
    // The key is still physically held: its release needs no matching press.
    driver.Queue(S::KeyUp('A'));
    EXPECT_EQ(IsKeyDown('A'), 0);
}

TEST_F(PolledInputTest, PositionFollowsMovesOnlyAndWheelAccumulates) {
    driver.Queue(S::MouseMove(-20, 700));
    driver.Queue(S::MouseDown(1, 1, 1));  // button positions do not move the pointer
    EXPECT_EQ(MousePosX(), -20);
    EXPECT_EQ(MousePosY(), 700);
    for (int detents : {1, 1, -3, 0, 4}) driver.Queue(S::MouseWheel(detents));
    EXPECT_EQ(MouseWheelPos(), 3);
    ClearMouse();
    EXPECT_EQ(MouseWheelPos(), 0);
    EXPECT_EQ(MousePosY(), 700);
}

TEST_F(PolledInputTest, CharactersQueueInOrderAndOverflowIsDropped) {
    for (int c : {int{'h'}, int{'i'}, 0x263A}) driver.Queue(S::KeyChar(c));
    EXPECT_EQ(NextChar(), 'h');
    EXPECT_EQ(NextChar(), 'i');
    EXPECT_EQ(NextChar(), 0x263A);
    EXPECT_EQ(NextChar(), 0);
    for (int i = 1; i <= 300; ++i) driver.Queue(S::KeyChar(i));
    for (int i = 1; i <= 256; ++i) ASSERT_EQ(NextChar(), i);
    EXPECT_EQ(NextChar(), 0);
    // The ring keeps working once its counters have passed the wrap.
    driver.Queue(S::KeyChar('z'));
    driver.Queue(S::KeyChar('y'));
    ClearKeys();
    EXPECT_EQ(NextChar(), 0);
    driver.Queue(S::KeyChar('x'));
    EXPECT_EQ(NextChar(), 'x');
}

TEST_F(PolledInputTest, OutOfRangeCodesReadAsZeroAndAreIgnored) {
    for (int key : {-1, 256, 1 << 20}) {
        driver.Queue(S::KeyDown(key));
        EXPECT_EQ(IsKeyDown(key), 0);
        EXPECT_EQ(TakeKeyHits(key), 0);
    }
    for (int button : {-1, 4, 99}) {
        driver.Queue(S::MouseDown(button, 0, 0));
        EXPECT_EQ(IsMouseDown(button), 0);
        EXPECT_EQ(TakeMouseHits(button), 0);
    }
}

TEST_F(PolledInputTest, EveryQueryPumpsTheDriver) {
    int before = driver.Polls();
    IsKeyDown(1);
    TakeKeyHits(1);
    NextChar();
    MousePosX();
    MousePosY();
    MouseWheelPos();
    IsMouseDown(1);
    TakeMouseHits(1);
    TakeAppTerminate();
    IsAppSuspended();
    ClearKeys();
    ClearMouse();
    EXPECT_EQ(driver.Polls() - before, 12);
}

TEST_F(PolledInputTest, StartTwiceListensOnceAndStopForgetsState) {
    StartPolledInput();
    driver.Queue(S::KeyDown('Q'));
    driver.Queue(S::KeyUp('Q'));
    driver.Queue(S::KeyDown('Q'));
    EXPECT_EQ(TakeKeyHits('Q'), 2);
    driver.Queue(S::KeyDown('W'));
    EXPECT_EQ(IsKeyDown('W'), 1);
    StopPolledInput();
    EXPECT_FALSE(PolledInputStarted());
    EXPECT_EQ(IsKeyDown('W'), 0);
    driver.Queue(S::KeyDown('E'));
    EXPECT_EQ(IsKeyDown('E'), 0);
    StartPolledInput();
    EXPECT_EQ(IsKeyDown('E'), 0);
}

TEST_F(PolledInputTest, SourceFilterIgnoresOtherSources) {
    StopPolledInput();
    auto mine = std::make_shared<TStringObject>("window");
    StartPolledInput(mine);
    driver.Queue(TEvent::Create(EVENT_KEYDOWN, nullptr, 'A'));
    driver.Queue(TEvent::Create(EVENT_KEYDOWN, std::make_shared<TStringObject>("window"), 'B'));
    driver.Queue(TEvent::Create(EVENT_KEYDOWN, mine, 'C'));
    EXPECT_EQ(IsKeyDown('A'), 0);
    EXPECT_EQ(IsKeyDown('B'), 0);
    EXPECT_EQ(IsKeyDown('C'), 1);
}

// A listener that queries input while a drain is running must not start another drain.
TObjectPtr QueryingListener(int, const TObjectPtr& data, void* context) {
    auto* seen = static_cast<int*>(context);
    *seen = IsKeyDown('K') + 10 * TakeKeyHits('K');
    return data;
}

TEST_F(PolledInputTest, QueriesInsideADrainDoNotDrainAgain) {
    int seen = -1;
    InsertHook(EmitEventHookId(), QueryingListener, &seen, -1);
    driver.Queue(S::KeyDown('K'));
    driver.AtPoll(driver.Polls() + 2, S::KeyUp('K'));
    int polls = driver.Polls();
    PollEvents();
    DeleteHook(EmitEventHookId(), QueryingListener, &seen);
    EXPECT_EQ(driver.Polls(), polls + 1);
    EXPECT_EQ(seen, 11);  // saw its own key down, and not the later key up
    EXPECT_EQ(driver.Pending(), 1);
}

TEST_F(PolledInputTest, WaitsReturnTheFirstPressAfterClearing) {
    driver.Queue(S::KeyDown('X'));  // cleared by the wait before it looks
    driver.AtPoll(driver.Polls() + 5, S::KeyDown('M'));
    driver.AtPoll(driver.Polls() + 5, S::KeyDown('B'));
    EXPECT_EQ(WaitAnyKey(), 'B');  // rising key order, not arrival order
    driver.AtPoll(driver.Polls() + 3, S::KeyChar('q'));
    EXPECT_EQ(WaitAnyChar(), 'q');
    driver.AtFrame(driver.Frame() + 2, S::MouseDown(3, 0, 0));
    driver.AtFrame(driver.Frame() + 2, S::MouseDown(2, 0, 0));
    EXPECT_EQ(WaitAnyMouse(), 2);
    EXPECT_THROW(WaitAnyMouse(), TRuntimeError);  // an empty script cannot block for ever
}

}  // namespace
