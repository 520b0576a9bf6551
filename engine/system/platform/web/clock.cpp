// The real clock in the browser: performance.now() in whole milliseconds, less the time the
// page spent hidden, and sleeps that return control to the browser until the deadline.
//
// The toolchain's clock_nanosleep with TIMER_ABSTIME treats the instant as a duration and
// busy-waits, so sleeping goes through emscripten_sleep (ASYNCIFY), which unwinds to the
// browser's event loop and resumes from a timer. The page is drawn, input arrives and Web
// Audio asks for samples only while the program is not running: the frame's paced sleep is
// one such moment, and SDL's buffer swap yields once more after every frame (its
// SDL_EMSCRIPTEN_ASYNCIFY hint, on by default), so a late frame that skips its sleep still
// gives the browser its turn, and always with the frame complete.
//
// A hidden page gets its timers about once a second: frames would then run 60 times too
// slowly on a clock that runs on, and the level's script would fall behind its time. So the
// clock holds from the moment the page is hidden, a sleep does not end while it is hidden,
// and the clock goes on from where it held when the sleeping program runs again on a visible
// page: the game sees no time pass and makes up no frames.
#include <emscripten.h>

#include <cmath>

#include "engine/system/clock.h"

namespace {

// The page's hold record, made on first use: total milliseconds held, and since when the
// hold now going on began (-1 when none).
EM_JS(double, zandor_held_ms, (), {
    var h = Module.zandorHold;
    if (!h) {
        h = Module.zandorHold = {total : 0, since : document.hidden ? performance.now() : -1};
        document.addEventListener(
            'visibilitychange', function() {
                if (document.hidden && h.since < 0) h.since = performance.now();
            });
    }
    return h.total + (h.since >= 0 ? performance.now() - h.since : 0);
});

// Ends the hold unless the page is still hidden; false while it is.
EM_JS(int, zandor_release_hold, (), {
    var h = Module.zandorHold;
    if (document.hidden) return 0;
    if (h && h.since >= 0) {
        h.total += performance.now() - h.since;
        h.since = -1;
    }
    return 1;
});

double NowMs() {
    return emscripten_get_now() - zandor_held_ms();
}

// A hidden page's timers are slowed to about one a second anyway.
constexpr unsigned int kHiddenPollMs = 100;

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
        for (;;) {
            if (zandor_release_hold() == 0) {
                emscripten_sleep(kHiddenPollMs);
                continue;
            }
            const double left = instant - NowMs();
            if (left <= 0) return;
            emscripten_sleep(static_cast<unsigned int>(std::ceil(left)));
        }
    }
};

}  // namespace

TClock& RealClock() {
    static TWebClock clock;
    return clock;
}
