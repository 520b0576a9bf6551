// The real clock on the desktop platforms: milliseconds and paced sleeps over the platform's
// monotonic nanoseconds.
#include "engine/system/clock.h"
#include "engine/system/internal/monotonic_clock.h"

namespace {

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
