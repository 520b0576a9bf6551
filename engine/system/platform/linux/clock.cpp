// The real clock on Linux: CLOCK_MONOTONIC read in nanoseconds, and absolute-time sleeps.
#include <cerrno>
#include <ctime>

#include "engine/system/clock.h"

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

}  // namespace

TClock& RealClock() {
    static TRealClock clock;
    return clock;
}
