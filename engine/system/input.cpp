// The polled-input state and the listener that keeps it, plus the queries over it.
#include "engine/system/input.h"

#include <array>

#include "engine/system/system_driver.h"

namespace {

constexpr int kKeyCount = 256;
constexpr int kButtonCount = 4;
constexpr int kCharQueueSize = 256;

struct TPolledState {
    std::array<int, kKeyCount> keyStates{};
    std::array<int, kKeyCount> keyHits{};
    std::array<int, kCharQueueSize> charQueue{};
    // Counters run freely; the slot is counter modulo the queue size. Unsigned, so the
    // difference stays right however long the program types.
    unsigned charPut = 0;
    unsigned charGet = 0;
    std::array<int, kButtonCount> mouseStates{};
    std::array<int, kButtonCount> mouseHits{};
    // x, y, wheel; the fourth entry is never written.
    std::array<int, 4> mousePos{};
    int suspended = 0;
    int terminate = 0;
    TObjectPtr sourceFilter;
    bool started = false;
};

TPolledState state;
// Set while the driver drains or waits, so a listener's query does not drain again.
bool pumping = false;

bool ValidKey(int key) {
    return key >= 0 && key < kKeyCount;
}
bool ValidButton(int button) {
    return button >= 0 && button < kButtonCount;
}

void ResetKeys() {
    state.charPut = state.charGet = 0;
    state.keyStates.fill(0);
    state.keyHits.fill(0);
}

void ResetMouse() {
    state.mouseStates.fill(0);
    state.mouseHits.fill(0);
    state.mousePos[2] = 0;
}

class TPumpGuard {
  public:
    TPumpGuard() { pumping = true; }
    ~TPumpGuard() { pumping = false; }
    TPumpGuard(const TPumpGuard&) = delete;
    TPumpGuard& operator=(const TPumpGuard&) = delete;
};

TObjectPtr PolledInputHook(int, const TObjectPtr& data, void*) {
    auto* event = dynamic_cast<TEvent*>(data.get());
    if (!event) return data;
    if (state.sourceFilter && state.sourceFilter != event->source) return data;
    switch (event->id) {
        // Reset without draining: inside a drain the pump would not run anyway, and an event
        // emitted by hand must not start a drain from inside the listener.
        case EVENT_APPSUSPEND:
            ResetKeys();
            ResetMouse();
            state.suspended = 1;
            break;
        case EVENT_APPRESUME:
            ResetKeys();
            ResetMouse();
            state.suspended = 0;
            break;
        case EVENT_APPTERMINATE:
            state.terminate = 1;
            break;
        case EVENT_KEYDOWN:
            if (ValidKey(event->data) && !state.keyStates[event->data]) {
                state.keyStates[event->data] = 1;
                ++state.keyHits[event->data];
            }
            break;
        case EVENT_KEYUP:
            if (ValidKey(event->data)) state.keyStates[event->data] = 0;
            break;
        case EVENT_KEYCHAR:
            if (state.charPut - state.charGet < kCharQueueSize) {
                state.charQueue[state.charPut % kCharQueueSize] = event->data;
                ++state.charPut;
            }
            break;
        case EVENT_MOUSEDOWN:
            if (ValidButton(event->data) && !state.mouseStates[event->data]) {
                state.mouseStates[event->data] = 1;
                ++state.mouseHits[event->data];
            }
            break;
        case EVENT_MOUSEUP:
            if (ValidButton(event->data)) state.mouseStates[event->data] = 0;
            break;
        case EVENT_MOUSEMOVE:
            state.mousePos[0] = event->x;
            state.mousePos[1] = event->y;
            break;
        case EVENT_MOUSEWHEEL:
            // Wraps like the 32-bit counter it is instead of overflowing.
            state.mousePos[2] = static_cast<int>(static_cast<unsigned>(state.mousePos[2]) +
                                                 static_cast<unsigned>(event->data));
            break;
        default:
            break;
    }
    return data;
}

}  // namespace

void PollEvents() {
    if (pumping) return;
    TPumpGuard guard;
    CurrentSystemDriver().Poll();
}

void WaitEvents() {
    if (pumping) return;
    TPumpGuard guard;
    CurrentSystemDriver().Wait();
}

void PollSystem() {
    PollEvents();
}

void StartPolledInput(TObjectPtr source) {
    if (state.started) return;
    state.started = true;
    state.sourceFilter = std::move(source);
    ClearKeys();
    ClearMouse();
    InsertHook(EmitEventHookId(), PolledInputHook, nullptr, 0);
}

void StopPolledInput() {
    if (!state.started) return;
    state.started = false;
    DeleteHook(EmitEventHookId(), PolledInputHook, nullptr);
    ClearKeys();
    ClearMouse();
    state.sourceFilter.reset();
}

bool PolledInputStarted() {
    return state.started;
}

int IsKeyDown(int key) {
    PollEvents();
    return ValidKey(key) ? state.keyStates[key] : 0;
}

int TakeKeyHits(int key) {
    PollEvents();
    if (!ValidKey(key)) return 0;
    int hits = state.keyHits[key];
    state.keyHits[key] = 0;
    return hits;
}

int NextChar() {
    PollEvents();
    if (state.charPut == state.charGet) return 0;
    int c = state.charQueue[state.charGet % kCharQueueSize];
    ++state.charGet;
    return c;
}

void ClearKeys() {
    PollEvents();
    ResetKeys();
}

int MousePosX() {
    PollEvents();
    return state.mousePos[0];
}

int MousePosY() {
    PollEvents();
    return state.mousePos[1];
}

int MouseWheelPos() {
    PollEvents();
    return state.mousePos[2];
}

int IsMouseDown(int button) {
    PollEvents();
    return ValidButton(button) ? state.mouseStates[button] : 0;
}

int TakeMouseHits(int button) {
    PollEvents();
    if (!ValidButton(button)) return 0;
    int hits = state.mouseHits[button];
    state.mouseHits[button] = 0;
    return hits;
}

void ClearMouse() {
    PollEvents();
    ResetMouse();
}

int TakeAppTerminate() {
    PollEvents();
    int terminate = state.terminate;
    state.terminate = 0;
    return terminate;
}

int IsAppSuspended() {
    PollEvents();
    return state.suspended;
}

int WaitAnyKey() {
    ClearKeys();
    for (;;) {
        WaitEvents();
        for (int key = 1; key < kKeyCount; ++key) {
            if (TakeKeyHits(key)) return key;
        }
    }
}

int WaitAnyChar() {
    ClearKeys();
    for (;;) {
        WaitEvents();
        if (int c = NextChar()) return c;
    }
}

int WaitAnyMouse() {
    ClearMouse();
    for (;;) {
        WaitEvents();
        for (int button = 1; button < kButtonCount; ++button) {
            if (TakeMouseHits(button)) return button;
        }
    }
}
