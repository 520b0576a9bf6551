// The real clock in the browser: performance.now() in whole milliseconds, less the time the
// page spent hidden, and waits that return control to the browser.
//
// The page is drawn, input arrives and Web Audio asks for samples only while the program is
// not running, so the program unwinds to the browser's event loop (ASYNCIFY) whenever it
// waits. A paced frame waits for the display: it resumes in the animation-frame callback of
// the display frame its deadline falls in, up to half a display interval before the deadline
// (a 60 Hz display and the 16, 17, 17 ms deadlines never line up exactly; waiting for the
// next display frame instead would show every other one). The next frame is then drawn inside
// that callback and reaches the screen with that display frame: one frame drawn per display
// frame. A late frame skips its sleep, but still waits for the next display frame, so the
// browser gets its turn and the frame is shown before the next one is drawn. The toolchain's
// clock_nanosleep with TIMER_ABSTIME treats the instant as a duration and busy-waits, so
// other sleeps use emscripten_sleep, which resumes from a timer.
//
// A hidden page gets no animation frames and its timers about once a second: frames would
// then run 60 times too slowly on a clock that runs on, and the level's script would fall
// behind its time. So the clock holds from the moment the page is hidden, a wait does not end
// while it is hidden, and the clock goes on from where it held when the waiting program runs
// again on a visible page: the game sees no time pass and makes up no frames. A shown page
// that gets no animation frames (some browsers stop them in an occluded window) still runs,
// from a timer 100 ms after the deadline.
#include <emscripten.h>

#include <cmath>

#include "engine/system/clock.h"

namespace {

// The page's clock record (Module.zandorHold, which the page checks read), made on first
// use: the hold (total milliseconds held, and since when the hold now going on began, -1
// when none) and the display interval seen.
EM_JS(void, zandor_clock_install, (), {
    if (Module.zandorHold) return;
    var c = {total : 0, since : -1, interval : 1000 / 60, lastFrame : -1};
    Module.zandorHold = c;
    if (document.hidden) c.since = performance.now();
    c.now = function() {
        var held = c.total + (c.since >= 0 ? performance.now() - c.since : 0);
        return performance.now() - held;
    };
    // Ends the hold unless the page is still hidden; false while it is.
    c.release = function() {
        if (document.hidden) return false;
        if (c.since >= 0) {
            c.total += performance.now() - c.since;
            c.since = -1;
        }
        return true;
    };
    document.addEventListener(
        'visibilitychange', function() {
            if (document.hidden && c.since < 0) c.since = performance.now();
            // Frames seen before the page was hidden say nothing about the step to the next.
            c.lastFrame = -1;
        });
});

EM_JS(double, zandor_clock_now, (), { return Module.zandorHold.now(); });

EM_JS(int, zandor_release_hold, (), { return Module.zandorHold.release() ? 1 : 0; });

// Resumes the program in the animation-frame callback of the display frame `deadline` (on
// this clock) falls in, or of the next display frame when `deadline` is negative. An import
// that unwinds (ASYNCIFY). The smoothed interval between display frames says how early a
// paced frame may start: half of it.
EM_JS(void, zandor_wait_frame, (double deadline), {
    Asyncify.handleSleep(function(wakeUp) {
        var c = Module.zandorHold;
        var finished = false;
        var timer = 0;
        // As the toolchain's own timers resume a sleeper: the runtime exits once the resumed
        // program has returned from main, and an exit inside it is handled.
        var finish = function() {
            finished = true;
            clearTimeout(timer);
            callUserCallback(wakeUp);
        };
        var frame = function(t) {
            if (finished) return;
            var step = c.lastFrame >= 0 ? t - c.lastFrame : -1;
            c.lastFrame = t;
            // A step of more than one display interval means frames were skipped.
            if (step > 2 && step < c.interval * 1.5) c.interval += (step - c.interval) / 8;
            var shown = c.release();
            if (shown && (deadline < 0 || c.now() >= deadline - c.interval / 2)) return finish();
            requestAnimationFrame(frame);
        };
        var fallback = function() {
            if (finished) return;
            if (c.release() && c.now() >= deadline) return finish();
            timer = setTimeout(fallback, 100);
        };
        requestAnimationFrame(frame);
        timer = setTimeout(fallback, Math.max(0, deadline - c.now()) + 100);
    });
});

double NowMs() {
    static const bool installed = (zandor_clock_install(), true);
    (void)installed;
    return zandor_clock_now();
}

// A hidden page's timers are slowed to about one a second anyway.
constexpr unsigned int kHiddenPollMs = 100;

class TWebClock final : public TClock {
  public:
    std::uint32_t Milliseconds() override {
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(NowMs()));
    }
    // Browser timers fire in whole milliseconds and may fire early by a fraction, so sleep
    // again until the instant has really passed.
    void Sleep(std::uint32_t ms) override {
        const double instant = NowMs() + ms;
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
    // The deadline is the first instant of the millisecond the counter reads `deadline`.
    void SleepUntil(std::uint32_t deadline) override {
        const double now = NowMs();
        const std::uint64_t whole = static_cast<std::uint64_t>(now);
        const std::int32_t ahead = ClockDiff(deadline, static_cast<std::uint32_t>(whole));
        if (ahead <= 0) return;
        zandor_wait_frame(static_cast<double>(whole + static_cast<std::uint64_t>(ahead)));
    }
    void GiveTurn() override {
        NowMs();
        zandor_wait_frame(-1);
    }
};

}  // namespace

TClock& RealClock() {
    static TWebClock clock;
    return clock;
}
