// TEvent, its text form, user ids, and the optional event queue listener.
#include "engine/system/event.h"

#include <array>
#include <cstdint>
#include <deque>

#include "engine/system/input.h"

namespace {

struct TEventName {
    int id;
    const char* name;
};

constexpr TEventName kEventNames[] = {
    {EVENT_APPSUSPEND, "AppSuspend"},
    {EVENT_APPRESUME, "AppResume"},
    {EVENT_APPTERMINATE, "AppTerminate"},
    {EVENT_APPOPENFILE, "AppOpenFile"},
    {EVENT_APPIDLE, "AppIdle"},
    {EVENT_KEYDOWN, "KeyDown"},
    {EVENT_KEYUP, "KeyUp"},
    {EVENT_KEYCHAR, "KeyChar"},
    {EVENT_KEYREPEAT, "KeyRepeat"},
    {EVENT_MOUSEDOWN, "MouseDown"},
    {EVENT_MOUSEUP, "MouseUp"},
    {EVENT_MOUSEMOVE, "MouseMove"},
    {EVENT_MOUSEWHEEL, "MouseWheel"},
    {EVENT_MOUSEENTER, "MouseEnter"},
    {EVENT_MOUSELEAVE, "MouseLeave"},
    {EVENT_TIMERTICK, "TimerTick"},
    {EVENT_GADGETACTION, "GadgetAction"},
    {EVENT_GADGETPAINT, "GadgetPaint"},
    {EVENT_GADGETSELECT, "GadgetSelect"},
    {EVENT_GADGETMENU, "GadgetMenu"},
    {EVENT_GADGETOPEN, "GadgetOpen"},
    {EVENT_GADGETCLOSE, "GadgetClose"},
    {EVENT_GADGETDONE, "GadgetDone"},
    {EVENT_GADGETLOSTFOCUS, "GadgetLostFocus"},
    {EVENT_GADGETSHAPE, "GadgetShape"},
    {EVENT_WINDOWMOVE, "WindowMove"},
    {EVENT_WINDOWSIZE, "WindowSize"},
    {EVENT_WINDOWCLOSE, "WindowClose"},
    {EVENT_WINDOWACTIVATE, "WindowActivate"},
    {EVENT_WINDOWACCEPT, "WindowAccept"},
    {EVENT_MENUACTION, "MenuAction"},
    {EVENT_STREAMEOF, "StreamEof"},
    {EVENT_STREAMAVAIL, "StreamAvail"},
    {EVENT_PROCESSEXIT, "ProcessExit"},
};

// Counts in unsigned arithmetic so the step past 0x7fffffff is defined.
std::uint32_t userIdCounter = 0x80000000u;

int emitEventHookId = -1;

// The event queue: at most 256 waiting events, oldest first.
constexpr std::size_t kQueueCapacity = 256;
std::deque<std::shared_ptr<TEvent>> eventQueue;
bool eventQueueStarted = false;

bool Coalesces(int id) {
    return id == EVENT_TIMERTICK || id == EVENT_GADGETACTION || id == EVENT_WINDOWMOVE ||
           id == EVENT_WINDOWSIZE;
}

TObjectPtr EventQueueHook(int, const TObjectPtr& data, void*) {
    auto event = std::dynamic_pointer_cast<TEvent>(data);
    if (!event) return data;
    if (Coalesces(event->id)) {
        for (auto& waiting : eventQueue) {
            if (waiting->id == event->id && waiting->source == event->source) {
                waiting->data = event->data;
                waiting->mods = event->mods;
                waiting->x = event->x;
                waiting->y = event->y;
                waiting->extra = event->extra;
                return data;
            }
        }
    }
    if (eventQueue.size() < kQueueCapacity) eventQueue.push_back(event);
    return data;
}

}  // namespace

std::string EventName(int id) {
    for (const auto& entry : kEventNames) {
        if (entry.id == id) return entry.name;
    }
    if (id & EVENT_USEREVENTMASK) {
        return "UserEvent" + std::to_string(static_cast<std::uint32_t>(id) - 0x80000000u);
    }
    return "Unknown Event, id=" + std::to_string(id);
}

std::string TEvent::ToString() const {
    std::string text = EventName(id);
    text += ": data=" + std::to_string(data);
    text += ", mods=" + std::to_string(mods);
    text += ", x=" + std::to_string(x);
    text += ", y=" + std::to_string(y);
    text += ", extra=\"";
    if (auto str = std::dynamic_pointer_cast<TStringObject>(extra)) text += str->value;
    text += "\"";
    return text;
}

void TEvent::Emit() {
    // CallHooks wants a shared owner: an event made on the stack travels as a copy.
    std::shared_ptr<TEvent> self = weak_from_this().lock();
    if (!self) self = std::make_shared<TEvent>(*this);
    CallHooks(EmitEventHookId(), self);
}

std::shared_ptr<TEvent> TEvent::Create(int id, TObjectPtr source, int data, int mods, int x, int y,
                                       TObjectPtr extra) {
    auto event = std::make_shared<TEvent>();
    event->id = id;
    event->source = std::move(source);
    event->data = data;
    event->mods = mods;
    event->x = x;
    event->y = y;
    event->extra = std::move(extra);
    return event;
}

int TEvent::AllocUserId() {
    ++userIdCounter;
    return static_cast<int>(userIdCounter);
}

int EmitEventHookId() {
    if (emitEventHookId < 0) emitEventHookId = NewHookId();
    return emitEventHookId;
}

void StartEventQueue() {
    if (eventQueueStarted) return;
    eventQueueStarted = true;
    InsertHook(EmitEventHookId(), EventQueueHook, nullptr, -10000);
}

void StopEventQueue() {
    if (!eventQueueStarted) return;
    eventQueueStarted = false;
    DeleteHook(EmitEventHookId(), EventQueueHook, nullptr);
    eventQueue.clear();
}

std::shared_ptr<TEvent> PollEvent() {
    PollEvents();
    if (eventQueue.empty()) return nullptr;
    auto event = eventQueue.front();
    eventQueue.pop_front();
    return event;
}

std::shared_ptr<TEvent> PeekEvent() {
    PollEvents();
    return eventQueue.empty() ? nullptr : eventQueue.front();
}

int CountQueuedEvents() {
    return static_cast<int>(eventQueue.size());
}
