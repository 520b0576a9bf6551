// The real clock in the browser: performance.now() in whole milliseconds, and sleeps that
// return control to the browser until the deadline.
//
// The toolchain's clock_nanosleep with TIMER_ABSTIME treats the instant as a duration and
// busy-waits, so sleeping goes through emscripten_sleep (ASYNCIFY), which unwinds to the
// browser's event loop and resumes from a timer. The page is drawn, input arrives and Web
// Audio asks for samples only while the program is not running: the frame's paced sleep is
// one such moment, and SDL's buffer swap yields once more after every frame (its
// SDL_EMSCRIPTEN_ASYNCIFY hint, on by default), so a late frame that skips its sleep still
// gives the browser its turn, and always with the frame complete.
#include <emscripten.h>

#include <cmath>

#include "engine/system/clock.h"

namespace {

double NowMs() {
    return emscripten_get_now();
}

class TWebClock final : public TClock {
  public:
    std::uint32_t Milliseconds() override {
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(NowMs()));
    }
    void Sleep(std::uint32_t ms) override { SleepToMs(NowMs() + ms); }
    // Wakes when the counter reads `deadline`, i.e. at the first instant of that millisecond.
    void SleepUntil(std::uint32_t deadline) override {
        const double now = NowMs();
        const std::uint64_t whole = static_cast<std::uint64_t>(now);
        const std::int32_t ahead = ClockDiff(deadline, static_cast<std::uint32_t>(whole));
        if (ahead <= 0) return;
        SleepToMs(static_cast<double>(whole + static_cast<std::uint64_t>(ahead)));
    }

  private:
    // Browser timers fire in whole milliseconds and may fire early by a fraction, so sleep
    // again until the instant has really passed.
    static void SleepToMs(double instant) {
        for (double left = instant - NowMs(); left > 0; left = instant - NowMs()) {
            emscripten_sleep(static_cast<unsigned int>(std::ceil(left)));
        }
    }
};

}  // namespace

TClock& RealClock() {
    static TWebClock clock;
    return clock;
}
