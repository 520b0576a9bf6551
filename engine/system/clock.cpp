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

class TRealClock final : public TClock {
  public:
    std::uint32_t Milliseconds() override {
        return static_cast<std::uint32_t>(MonotonicNanoseconds() / 1000000u);
    }
    // Sleeps to an absolute deadline so an interrupted sleep resumes without drift.
    void Sleep(std::uint32_t ms) override {
        const std::uint64_t deadline = MonotonicNanoseconds() + std::uint64_t{ms} * 1000000u;
        timespec ts{static_cast<time_t>(deadline / 1000000000u),
                    static_cast<long>(deadline % 1000000000u)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        }
    }
};

TRealClock real_clock;
std::atomic<TClock*> current_clock{&real_clock};

}  // namespace

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
