#include <gtest/gtest.h>

#include <string>

#include "engine/system/event.h"
#include "engine/system/platform/headless/scripted_system_driver.h"

namespace {

TEST(EventTest, TextFormNamesEveryKindAndFormatsTheFields) {
    struct TCase {
        int id, data, mods, x, y;
        TObjectPtr extra;
        std::string text;
    } cases[] = {
        {EVENT_KEYDOWN, 27, 0, 0, 0, nullptr, "KeyDown: data=27, mods=0, x=0, y=0, extra=\"\""},
        {EVENT_MOUSEMOVE, 1, 3, -5, 612, nullptr,
         "MouseMove: data=1, mods=3, x=-5, y=612, extra=\"\""},
        {EVENT_APPTERMINATE, 0, 0, 0, 0, std::make_shared<TStringObject>("bye"),
         "AppTerminate: data=0, mods=0, x=0, y=0, extra=\"bye\""},
        // An extra object that is not a string contributes nothing between the quotes.
        {EVENT_TIMERTICK, 7, 0, 0, 0, TEvent::Create(EVENT_KEYUP),
         "TimerTick: data=7, mods=0, x=0, y=0, extra=\"\""},
        {static_cast<int>(0x80000005u), -1, 0, 0, 0, nullptr,
         "UserEvent5: data=-1, mods=0, x=0, y=0, extra=\"\""},
        {0x999, 0, 0, 0, 0, nullptr,
         "Unknown Event, id=2457: data=0, mods=0, x=0, y=0, extra=\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TEvent::Create(c.id, nullptr, c.data, c.mods, c.x, c.y, c.extra)->ToString(),
                  c.text);
    }
    struct TName {
        int id;
        const char* name;
    } names[] = {
        {0x101, "AppSuspend"},
        {0x102, "AppResume"},
        {0x105, "AppIdle"},
        {0x204, "KeyRepeat"},
        {0x404, "MouseWheel"},
        {0x406, "MouseLeave"},
        {0x2001, "GadgetAction"},
        {0x2009, "GadgetShape"},
        {0x4005, "WindowAccept"},
        {0x8001, "MenuAction"},
        {0x10002, "StreamAvail"},
        {0x20001, "ProcessExit"},
        {0x100, "Unknown Event, id=256"},
    };
    for (const auto& n : names) EXPECT_EQ(EventName(n.id), n.name);
}

TEST(EventTest, UserIdsCountUpFromTheTopBit) {
    int first = TEvent::AllocUserId();
    int second = TEvent::AllocUserId();
    EXPECT_NE(first & EVENT_USEREVENTMASK, 0);
    EXPECT_NE(static_cast<unsigned>(first), 0x80000000u);
    EXPECT_EQ(static_cast<unsigned>(second), static_cast<unsigned>(first) + 1);
}

TEST(EventQueueTest, KeepsOrderCoalescesTicksAndDropsWhenFull) {
    TScriptedSystemDriver driver;
    StartEventQueue();
    auto tick = TEvent::Create(EVENT_TIMERTICK, nullptr, 1);
    TEvent::Create(EVENT_KEYDOWN, nullptr, 65)->Emit();
    tick->Emit();
    TEvent::Create(EVENT_TIMERTICK, nullptr, 2, 0, 9, 9)->Emit();  // same id and source
    auto source = std::make_shared<TStringObject>("other");
    TEvent::Create(EVENT_TIMERTICK, source, 3)->Emit();  // another source
    TEvent::Create(EVENT_KEYDOWN, nullptr, 66)->Emit();  // keys never merge
    TEvent::Create(EVENT_KEYDOWN, nullptr, 66)->Emit();
    ASSERT_EQ(CountQueuedEvents(), 5);
    EXPECT_EQ(PeekEvent()->data, 65);
    EXPECT_EQ(PollEvent()->data, 65);
    auto merged = PollEvent();
    EXPECT_EQ(merged, tick);
    EXPECT_EQ(merged->data, 2);
    EXPECT_EQ(merged->x, 9);
    EXPECT_EQ(PollEvent()->source, source);
    EXPECT_EQ(PollEvent()->data, 66);
    EXPECT_EQ(PollEvent()->data, 66);
    EXPECT_EQ(PollEvent(), nullptr);

    for (int i = 0; i < 300; ++i) TEvent::Create(EVENT_KEYCHAR, nullptr, i)->Emit();
    EXPECT_EQ(CountQueuedEvents(), 256);
    EXPECT_EQ(PollEvent()->data, 0);
    StopEventQueue();
    EXPECT_EQ(CountQueuedEvents(), 0);
    TEvent::Create(EVENT_KEYCHAR)->Emit();
    EXPECT_EQ(CountQueuedEvents(), 0);
}

TEST(EventQueueTest, PollingPumpsTheSystemDriverFirst) {
    TScriptedSystemDriver driver;
    StartEventQueue();
    driver.Queue(TScriptedSystemDriver::MouseDown(1, 10, 20));
    auto event = PollEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->id, EVENT_MOUSEDOWN);
    EXPECT_EQ(event->y, 20);
    StopEventQueue();
}

}  // namespace
