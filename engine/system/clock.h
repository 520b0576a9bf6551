// The millisecond clock and the sleep that frame pacing uses, behind one replaceable seam.
//
// The real clock is monotonic milliseconds since boot kept in 32 bits, so it wraps after
// 49.7 days. Every difference of two readings must go through ClockDiff/ClockElapsed,
// which work in wrap-around arithmetic; nothing may subtract readings as signed ints.
// Tests install a virtual clock whose sleep advances time, so a whole game runs instantly.
#pragma once

#include <atomic>
#include <cstdint>

class TClock {
  public:
    virtual ~TClock() = default;
    // Milliseconds of a 32-bit wrapping counter. May be called from any thread.
    virtual std::uint32_t Milliseconds() = 0;
    // Sleeps until Milliseconds() has advanced by at least `ms` from now.
    virtual void Sleep(std::uint32_t ms) = 0;
    // Sleeps until Milliseconds() reads `deadline` (compared in wrap-around arithmetic);
    // returns at once when it already has. The default sleeps the whole milliseconds left,
    // which may overshoot by up to one; clocks that can do better wake at the very instant
    // the counter reaches the deadline.
    virtual void SleepUntil(std::uint32_t deadline);
    // Lets the platform run what it runs only while the program waits, without waiting for
    // any time to pass. A paced frame that is already late skips its sleep and calls this
    // instead: in the browser the page is drawn and input and audio are served only then.
    // Native platforms need nothing (the default).
    virtual void GiveTurn() {}
};

// The platform's real clock: platform/<name>/clock.cpp.
TClock& RealClock();
// The clock in force: the real one unless a test installed another.
TClock& CurrentClock();
// Installs `clock` (not owned; must outlive its use); null restores the real clock.
void SetClock(TClock* clock);

// Milliseconds of the clock in force.
std::uint32_t MillisecondClock();
// Sleeps `ms` milliseconds on the clock in force; 0 or less returns at once.
void SleepMilliseconds(int ms);
// Sleeps on the clock in force until it reads `deadline`; a past deadline returns at once.
void SleepUntilMillisecond(std::uint32_t deadline);
// GiveTurn on the clock in force.
void GiveTurnToPlatform();

// later - earlier as a signed distance, correct across the 2^32 wrap for distances
// under 2^31 ms. Conversion of an out-of-range unsigned value is modular in C++20.
constexpr std::int32_t ClockDiff(std::uint32_t later, std::uint32_t earlier) {
    return static_cast<std::int32_t>(later - earlier);
}
// Milliseconds elapsed since `earlier`, as an unsigned distance.
constexpr std::uint32_t ClockElapsed(std::uint32_t now, std::uint32_t earlier) {
    return now - earlier;
}

// A clock for tests: time only moves when a test advances it or something sleeps.
class TVirtualClock final : public TClock {
  public:
    explicit TVirtualClock(std::uint32_t start = 0) : now_(start) {}
    std::uint32_t Milliseconds() override;
    void Sleep(std::uint32_t ms) override;
    void Advance(std::uint32_t ms);
    void Set(std::uint32_t now);
    // Total milliseconds spent in Sleep, for pacing tests.
    std::uint64_t Slept() const;

  private:
    // Read by the mixer thread too.
    std::atomic<std::uint32_t> now_;
    std::uint64_t slept_ = 0;
};
