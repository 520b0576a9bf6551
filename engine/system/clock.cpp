// The real monotonic clock, the virtual test clock and the switch between them.
#include "engine/system/clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace {

std::uint64_t MonotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(ts.tv_nsec);
}

// Sleeps to an absolute instant, so an interrupted sleep resumes without drift.
void SleepToNanosecond(std::uint64_t instant) {
    timespec ts{static_cast<time_t>(instant / 1000000000u),
                static_cast<long>(instant % 1000000000u)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

class TRealClock final : public TClock {
  public:
    std::uint32_t Milliseconds() override {
        return static_cast<std::uint32_t>(MonotonicNanoseconds() / 1000000u);
    }
    void Sleep(std::uint32_t ms) override {
        SleepToNanosecond(MonotonicNanoseconds() + std::uint64_t{ms} * 1000000u);
    }
    // The counter reads `deadline` from the first nanosecond of that millisecond on: waking
    // exactly then, instead of sleeping whole milliseconds from a moment somewhere inside
    // the current one, keeps a paced frame from starting up to a millisecond late.
    void SleepUntil(std::uint32_t deadline) override {
        const std::uint64_t now = MonotonicNanoseconds();
        const std::uint64_t whole_ms = now / 1000000u;
        const std::int32_t ahead = ClockDiff(deadline, static_cast<std::uint32_t>(whole_ms));
        if (ahead <= 0) return;
        SleepToNanosecond((whole_ms + static_cast<std::uint64_t>(ahead)) * 1000000u);
    }
};

TRealClock real_clock;
std::atomic<TClock*> current_clock{&real_clock};

}  // namespace

void TClock::SleepUntil(std::uint32_t deadline) {
    const std::int32_t ahead = ClockDiff(deadline, Milliseconds());
    if (ahead > 0) Sleep(static_cast<std::uint32_t>(ahead));
}

TClock& CurrentClock() {
    return *current_clock.load(std::memory_order_acquire);
}

void SetClock(TClock* clock) {
    current_clock.store(clock ? clock : &real_clock, std::memory_order_release);
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

// The virtual clock is read by the mixer thread too, so its counter is atomic.
namespace {
std::atomic_ref<std::uint32_t> Ref(std::uint32_t& v) {
    return std::atomic_ref<std::uint32_t>(v);
}
}  // namespace

std::uint32_t TVirtualClock::Milliseconds() {
    return Ref(now_).load();
}
void TVirtualClock::Sleep(std::uint32_t ms) {
    slept_ += ms;
    Ref(now_).fetch_add(ms);
}
void TVirtualClock::Advance(std::uint32_t ms) {
    Ref(now_).fetch_add(ms);
}
void TVirtualClock::Set(std::uint32_t now) {
    Ref(now_).store(now);
}
std::uint64_t TVirtualClock::Slept() const {
    return slept_;
}
