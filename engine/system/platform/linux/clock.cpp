// The clock's platform part on Linux: CLOCK_MONOTONIC in nanoseconds, and absolute-time sleeps.
#include <cerrno>
#include <ctime>

#include "engine/system/internal/monotonic_clock.h"

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
