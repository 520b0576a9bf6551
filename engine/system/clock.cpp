// The virtual test clock and the switch between it and the platform's real clock.
#include "engine/system/clock.h"

#include <atomic>

namespace {

// Null means the real clock.
std::atomic<TClock*> current_clock{nullptr};

}  // namespace

void TClock::SleepUntil(std::uint32_t deadline) {
    const std::int32_t ahead = ClockDiff(deadline, Milliseconds());
    if (ahead > 0) Sleep(static_cast<std::uint32_t>(ahead));
}

TClock& CurrentClock() {
    TClock* clock = current_clock.load(std::memory_order_acquire);
    return clock ? *clock : RealClock();
}

void SetClock(TClock* clock) {
    current_clock.store(clock, std::memory_order_release);
}

std::uint32_t MillisecondClock() {
    return CurrentClock().Milliseconds();
}

void SleepMilliseconds(int ms) {
    if (ms > 0) CurrentClock().Sleep(static_cast<std::uint32_t>(ms));
}

void SleepUntilMillisecond(std::uint32_t deadline) {
    CurrentClock().SleepUntil(deadline);
}

void GiveTurnToPlatform() {
    CurrentClock().GiveTurn();
}

std::uint32_t TVirtualClock::Milliseconds() {
    return now_.load();
}
void TVirtualClock::Sleep(std::uint32_t ms) {
    slept_ += ms;
    now_.fetch_add(ms);
}
void TVirtualClock::Advance(std::uint32_t ms) {
    now_.fetch_add(ms);
}
void TVirtualClock::Set(std::uint32_t now) {
    now_.store(now);
}
std::uint64_t TVirtualClock::Slept() const {
    return slept_;
}
