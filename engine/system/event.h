// Events: what the window layer reports (keys, buttons, wheel, activation, close), passed
// to every listener on the emit-event hook list.
//
// The polled-input state (input.h) is one such listener; the optional event queue below is
// another. Events are shared objects: listeners may keep them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/system/hook.h"

// Event kinds.
constexpr int EVENT_APPEVENT = 0x100;
constexpr int EVENT_APPSUSPEND = 0x101;
constexpr int EVENT_APPRESUME = 0x102;
constexpr int EVENT_APPTERMINATE = 0x103;
constexpr int EVENT_APPOPENFILE = 0x104;
constexpr int EVENT_APPIDLE = 0x105;
constexpr int EVENT_KEYEVENT = 0x200;
constexpr int EVENT_KEYDOWN = 0x201;
constexpr int EVENT_KEYUP = 0x202;
constexpr int EVENT_KEYCHAR = 0x203;
constexpr int EVENT_KEYREPEAT = 0x204;
constexpr int EVENT_MOUSEEVENT = 0x400;
constexpr int EVENT_MOUSEDOWN = 0x401;
constexpr int EVENT_MOUSEUP = 0x402;
constexpr int EVENT_MOUSEMOVE = 0x403;
constexpr int EVENT_MOUSEWHEEL = 0x404;
constexpr int EVENT_MOUSEENTER = 0x405;
constexpr int EVENT_MOUSELEAVE = 0x406;
constexpr int EVENT_TIMEREVENT = 0x800;
constexpr int EVENT_TIMERTICK = 0x801;
constexpr int EVENT_GADGETEVENT = 0x2000;
constexpr int EVENT_GADGETACTION = 0x2001;
constexpr int EVENT_GADGETPAINT = 0x2002;
constexpr int EVENT_GADGETSELECT = 0x2003;
constexpr int EVENT_GADGETMENU = 0x2004;
constexpr int EVENT_GADGETOPEN = 0x2005;
constexpr int EVENT_GADGETCLOSE = 0x2006;
constexpr int EVENT_GADGETDONE = 0x2007;
constexpr int EVENT_GADGETLOSTFOCUS = 0x2008;
constexpr int EVENT_GADGETSHAPE = 0x2009;
constexpr int EVENT_WINDOWEVENT = 0x4000;
constexpr int EVENT_WINDOWMOVE = 0x4001;
constexpr int EVENT_WINDOWSIZE = 0x4002;
constexpr int EVENT_WINDOWCLOSE = 0x4003;
constexpr int EVENT_WINDOWACTIVATE = 0x4004;
constexpr int EVENT_WINDOWACCEPT = 0x4005;
constexpr int EVENT_MENUEVENT = 0x8000;
constexpr int EVENT_MENUACTION = 0x8001;
constexpr int EVENT_STREAMEVENT = 0x10000;
constexpr int EVENT_STREAMEOF = 0x10001;
constexpr int EVENT_STREAMAVAIL = 0x10002;
constexpr int EVENT_PROCESSEVENT = 0x20000;
constexpr int EVENT_PROCESSEXIT = 0x20001;
// User ids have the top bit set (see TEvent::AllocUserId).
constexpr int EVENT_USEREVENTMASK = static_cast<int>(0x80000000u);

// Modifier bits of TEvent::mods.
constexpr int MODIFIER_SHIFT = 1;
constexpr int MODIFIER_CONTROL = 2;
constexpr int MODIFIER_OPTION = 4;
constexpr int MODIFIER_SYSTEM = 8;

// Key codes (Windows virtual-key numbers) the game and tests name.
constexpr int KEY_BACKSPACE = 8;
constexpr int KEY_TAB = 9;
constexpr int KEY_ENTER = 13;
constexpr int KEY_ESCAPE = 27;
constexpr int KEY_SPACE = 32;
constexpr int KEY_F4 = 115;
constexpr int KEY_LSHIFT = 160;
constexpr int KEY_RSHIFT = 161;
constexpr int KEY_LCONTROL = 162;
constexpr int KEY_RCONTROL = 163;
constexpr int KEY_LALT = 164;
constexpr int KEY_RALT = 165;

// Mouse buttons.
constexpr int MOUSE_LEFT = 1;
constexpr int MOUSE_RIGHT = 2;
constexpr int MOUSE_MIDDLE = 3;

class TEvent : public TObject, public std::enable_shared_from_this<TEvent> {
  public:
    int id = 0;
    TObjectPtr source;
    int data = 0;
    int mods = 0;
    int x = 0;
    int y = 0;
    TObjectPtr extra;

    // "KeyDown: data=27, mods=0, x=0, y=0, extra=\"\"" and so on.
    std::string ToString() const override;
    // Passes the event to every listener on the emit-event hook list.
    virtual void Emit();

    static std::shared_ptr<TEvent> Create(int id, TObjectPtr source = nullptr, int data = 0,
                                          int mods = 0, int x = 0, int y = 0,
                                          TObjectPtr extra = nullptr);
    // A fresh user event id: 0x80000001, 0x80000002, ...
    static int AllocUserId();
};

// The name text of an event id ("KeyDown", "UserEvent5", "Unknown Event, id=7").
std::string EventName(int id);

// The hook list every event is emitted on (allocated on first use).
int EmitEventHookId();

// The optional event queue: a listener at priority -10000 keeping up to 256 events.
// Timer ticks, gadget actions, window moves and sizes that match a waiting event's id and
// source update that event instead of queueing another; a full queue drops new events.
void StartEventQueue();
void StopEventQueue();
// The oldest waiting event, removed; null when none waits. Pumps the system first.
std::shared_ptr<TEvent> PollEvent();
// The oldest waiting event, left in place; null when none waits. Pumps the system first.
std::shared_ptr<TEvent> PeekEvent();
// Number of events waiting (no pumping).
int CountQueuedEvents();
