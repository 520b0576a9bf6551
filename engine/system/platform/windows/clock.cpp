// The clock's platform part on Windows: QueryPerformanceCounter in nanoseconds, and sleeps on a
// high-resolution waitable timer.
//
// Sleep() and ordinary waitable timers wake on the system tick, 15.6 ms apart by default, which
// would make a 16.7 ms frame last two ticks. The high-resolution timer (Windows 10 1803 on)
// wakes within a fraction of a millisecond without touching the tick. Where it is refused, the
// tick is raised to 1 ms for the whole process with timeBeginPeriod, as games have always done,
// and Sleep() serves.
#include <windows.h>
// windows.h first: timeapi.h needs its types.
#include <timeapi.h>

#include "engine/system/internal/monotonic_clock.h"

namespace {

// The flag's name is missing from older SDK headers.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

std::uint64_t CounterFrequency() {
    static const std::uint64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);  // never fails from Windows XP on
        return static_cast<std::uint64_t>(f.QuadPart);
    }();
    return frequency;
}

// The calling thread's high-resolution timer, or null where the system refuses the flag. A
// timer has one due time, so each sleeping thread needs its own; the few threads that sleep
// keep theirs until the process ends.
HANDLE ThreadTimer() {
    thread_local HANDLE timer =
        CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    return timer;
}

void RaiseSystemTick() {
    static const bool raised = timeBeginPeriod(1) == TIMERR_NOERROR;
    (void)raised;
}

}  // namespace

std::uint64_t MonotonicNanoseconds() {
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    const std::uint64_t ticks = static_cast<std::uint64_t>(count.QuadPart);
    const std::uint64_t frequency = CounterFrequency();
    // In two parts, so the product cannot overflow for any counter value.
    return ticks / frequency * 1000000000u + ticks % frequency * 1000000000u / frequency;
}

// The waits are relative, so each round measures what is left against the counter again: a
// wait that ends early, or a timer whose clock runs a little apart from the counter, costs
// one more round, never an early return.
void SleepToNanosecond(std::uint64_t instant) {
    HANDLE timer = ThreadTimer();
    for (std::uint64_t now = MonotonicNanoseconds(); now < instant; now = MonotonicNanoseconds()) {
        const std::uint64_t left = instant - now;
        if (timer) {
            LARGE_INTEGER due{};
            due.QuadPart = -static_cast<LONGLONG>((left + 99) / 100);  // 100 ns units, relative
            if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
                WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0) {
                continue;
            }
        }
        RaiseSystemTick();
        Sleep(static_cast<DWORD>((left + 999999) / 1000000));
    }
}
