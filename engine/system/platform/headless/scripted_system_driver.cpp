#include "engine/system/platform/headless/scripted_system_driver.h"

#include <algorithm>
#include <limits>

#include "engine/system/runtime_error.h"

namespace {

TObjectPtr CountFrame(int, const TObjectPtr& data, void* context) {
    static_cast<TScriptedSystemDriver*>(context)->NextFrame();
    return data;
}

}  // namespace

TScriptedSystemDriver::TScriptedSystemDriver() {
    previous_ = SetSystemDriver(this);
}

TScriptedSystemDriver::~TScriptedSystemDriver() {
    if (frameHook_ >= 0) DeleteHook(frameHook_, CountFrame, this);
    SetSystemDriver(previous_);
}

void TScriptedSystemDriver::Queue(std::shared_ptr<TEvent> event) {
    AtPoll(polls_ + 1, std::move(event));
}

void TScriptedSystemDriver::AtPoll(int poll, std::shared_ptr<TEvent> event) {
    script_.push_back({TClock::kPoll, poll, std::move(event)});
}

void TScriptedSystemDriver::AtFrame(int frame, std::shared_ptr<TEvent> event) {
    script_.push_back({TClock::kFrame, frame, std::move(event)});
}

void TScriptedSystemDriver::CountFramesOn(int hookId) {
    if (frameHook_ >= 0) DeleteHook(frameHook_, CountFrame, this);
    frameHook_ = hookId;
    InsertHook(hookId, CountFrame, this, 0);
}

bool TScriptedSystemDriver::Due(const TEntry& entry) const {
    return entry.clock == TClock::kPoll ? entry.at <= polls_ : entry.at <= frame_;
}

void TScriptedSystemDriver::Poll() {
    ++polls_;
    // Take the due entries out first: a listener may schedule more while they are emitted.
    std::vector<std::shared_ptr<TEvent>> due;
    auto kept = std::remove_if(script_.begin(), script_.end(), [&](const TEntry& entry) {
        if (!Due(entry)) return false;
        due.push_back(entry.event);
        return true;
    });
    script_.erase(kept, script_.end());
    for (auto& event : due) event->Emit();
}

void TScriptedSystemDriver::Wait() {
    ++waits_;
    if (script_.empty()) RuntimeError("Scripted system driver has nothing left to wait for");
    // The entry that would come first: poll entries by how many polls away they are, frame
    // entries count as due at once when the frame is reached, else after every poll entry.
    const TEntry* next = nullptr;
    int best = std::numeric_limits<int>::max();
    for (const auto& entry : script_) {
        int distance = entry.clock == TClock::kPoll ? entry.at - polls_ : entry.at - frame_;
        if (distance < best) {
            best = distance;
            next = &entry;
        }
    }
    if (next->clock == TClock::kPoll) {
        polls_ = std::max(polls_, next->at - 1);
    } else {
        frame_ = std::max(frame_, next->at);
    }
    Poll();
}

std::shared_ptr<TEvent> TScriptedSystemDriver::KeyDown(int key, int mods) {
    return TEvent::Create(EVENT_KEYDOWN, nullptr, key, mods);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::KeyRepeat(int key, int mods) {
    return TEvent::Create(EVENT_KEYREPEAT, nullptr, key, mods);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::KeyUp(int key, int mods) {
    return TEvent::Create(EVENT_KEYUP, nullptr, key, mods);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::KeyChar(int character) {
    return TEvent::Create(EVENT_KEYCHAR, nullptr, character);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::MouseDown(int button, int x, int y) {
    return TEvent::Create(EVENT_MOUSEDOWN, nullptr, button, 0, x, y);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::MouseUp(int button, int x, int y) {
    return TEvent::Create(EVENT_MOUSEUP, nullptr, button, 0, x, y);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::MouseMove(int x, int y) {
    return TEvent::Create(EVENT_MOUSEMOVE, nullptr, 0, 0, x, y);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::MouseWheel(int detents) {
    return TEvent::Create(EVENT_MOUSEWHEEL, nullptr, detents);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::AppSuspend() {
    return TEvent::Create(EVENT_APPSUSPEND);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::AppResume() {
    return TEvent::Create(EVENT_APPRESUME);
}
std::shared_ptr<TEvent> TScriptedSystemDriver::AppTerminate() {
    return TEvent::Create(EVENT_APPTERMINATE);
}
