// What a desktop platform gives the real clock (platform/desktop/clock.cpp), which builds the
// millisecond counter and the paced sleeps on it: platform/<name>/clock.cpp.
//
// An implementation must provide:
//   - MonotonicNanoseconds: nanoseconds since an arbitrary start (boot, as a rule), never
//     going back and unaffected by changes to the wall clock. May be called from any thread.
//   - SleepToNanosecond: returns once MonotonicNanoseconds() has reached `instant`, and as
//     soon after it as the platform can wake; at once when it already has. Interruptions and
//     early wake-ups are the implementation's to absorb, so a paced loop does not drift.
#pragma once

#include <cstdint>

std::uint64_t MonotonicNanoseconds();
void SleepToNanosecond(std::uint64_t instant);
