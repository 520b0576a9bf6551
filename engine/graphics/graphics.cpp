// The context level's process-wide state: the installed driver, the current and the opened
// graphics, and the software frame pacing of Flip(-1).
//
// Pacing keeps an absolute schedule of deadlines (16, 17, 17 ms for 60 Hz) and sleeps to the
// next one, so rounding never drifts; a late frame restarts the schedule from its own time
// instead of rushing the following frames to catch up. The sleep ends at the instant the
// clock reaches the deadline, not whole milliseconds after some point inside the current one.
// A late frame skips the sleep but still gives the platform its turn, as a sleep would.
#include "engine/graphics/graphics.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "engine/graphics/font_data.h"
#include "engine/graphics/internal/platform_2d_driver.h"
#include "engine/graphics/tela2d.h"
#include "engine/system/clock.h"
#include "engine/system/hook.h"
#include "engine/system/input.h"
#include "engine/system/system_driver.h"

namespace {

struct ContextState {
    TGraphicsDriver* driver = nullptr;
    int default_flags = 0;
    std::shared_ptr<TGraphics> current;
    int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
    std::shared_ptr<TGraphics> opened;
    int graphics_seq = 0;
    bool modes_cached = false;
    std::vector<TGraphicsMode> modes;

    int pace_enabled = 0;
    int pace_rate = 0;
    int pace_period_ms = 0;
    int pace_remainder_ms = 0;
    int pace_accum = 0;
    std::uint32_t pace_next_time = 0;
    TPacingStats pace_stats;

    int flip_hook_id = -1;
    std::string error;
    void (*display_lost)(const std::string&) = nullptr;
    bool exit_registered = false;
    bool modules_started = false;
    std::string app_title;
};

// Never destroyed: EndGraphics runs at exit after static destructors may have started.
ContextState& State() {
    static ContextState* state = new ContextState;
    return *state;
}

void ClearSettings(ContextState& s) {
    s.current.reset();
    s.width = s.height = s.depth = s.hertz = s.flags = 0;
}

void BumpGraphicsSeq(ContextState& s) {
    ++s.graphics_seq;
    if (s.graphics_seq == 0) s.graphics_seq = 1;
}

// Detaches the current driver from its graphics and installs `driver` in its place.
void SwitchDriver(ContextState& s, TGraphicsDriver* driver) {
    if (s.driver && s.current) s.driver->SetGraphics(nullptr);
    s.driver = driver;
    s.modes_cached = false;
    s.modes.clear();
}

// Full screen: trust the hardware vertical sync only if three flips in a row each take one
// refresh period (+-1 ms) within a second of trying.
bool HardwareSyncWorks(TGraphicsDriver& driver, int hertz) {
    const std::uint32_t start = MillisecondClock();
    int good = 0;
    while (ClockDiff(MillisecondClock(), start) < 1000) {
        const std::uint32_t t = MillisecondClock();
        driver.Flip(1);
        const int d = ClockDiff(MillisecondClock(), t) - 1000 / hertz;
        if (d >= -1 && d <= 1) {
            if (++good == 3) return true;
        } else {
            good = 0;
        }
    }
    return false;
}

void EndGraphicsAtExit() {
    EndGraphics();
}

}  // namespace

std::string TGraphicsMode::ToString() const {
    return std::to_string(width) + "," + std::to_string(height) + "," + std::to_string(depth) +
           " " + std::to_string(hertz) + "Hz";
}

void SetGraphicsDriver(TGraphicsDriver* driver, int defaultFlags) {
    ContextState& s = State();
    if (driver != s.driver) SwitchDriver(s, driver);
    s.default_flags = defaultFlags;
    ClearSettings(s);
}

TGraphicsDriver* GetGraphicsDriver() {
    return State().driver;
}
int GraphicsDefaultFlags() {
    return State().default_flags;
}

const std::vector<TGraphicsMode>& GraphicsModes() {
    ContextState& s = State();
    if (!s.modes_cached && s.driver) {
        s.modes = s.driver->GraphicsModes();
        s.modes_cached = true;
    }
    return s.modes;
}

int CountGraphicsModes() {
    return static_cast<int>(GraphicsModes().size());
}

std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) {
    ContextState& s = State();
    s.error.clear();
    if (!s.driver) return nullptr;
    try {
        return s.driver->CreateGraphics(width, height, depth, hertz, flags | s.default_flags);
    } catch (const std::exception& e) {
        // A window that cannot be made is reported as null, whatever the back-end raised.
        s.error = e.what();
        return nullptr;
    } catch (...) {
        return nullptr;
    }
}

const std::string& GraphicsError() {
    return State().error;
}

void SetGraphicsError(const std::string& reason) {
    State().error = reason;
}

void SetDisplayLostHandler(void (*handler)(const std::string& what)) {
    State().display_lost = handler;
}

void DisplayLost(const std::string& what) {
    if (auto* handler = State().display_lost) handler(what);
    std::fflush(nullptr);
    // Not exit(): its handlers would close the window on a display that is gone.
    std::_Exit(1);
}

void SetGraphics(const std::shared_ptr<TGraphics>& g) {
    ContextState& s = State();
    if (!g) {
        if (s.driver && s.current) s.driver->SetGraphics(nullptr);
        ClearSettings(s);
        return;
    }
    TGraphicsDriver* driver = g->Driver();
    if (driver != s.driver) SwitchDriver(s, driver);
    g->GetSettings(s.width, s.height, s.depth, s.hertz, s.flags);
    if (s.driver) s.driver->SetGraphics(g);
    s.current = g;
}

void CloseGraphics(const std::shared_ptr<TGraphics>& graphics) {
    // A copy: the caller may have passed the very global that is reset below.
    const std::shared_ptr<TGraphics> g = graphics;
    if (!g) return;
    ContextState& s = State();
    if (s.opened == g) s.opened.reset();
    if (s.current == g) SetGraphics(nullptr);
    g->Close();
}

std::shared_ptr<TGraphics> OpenGraphics(int width, int height, int depth, int hertz, int flags) {
    ContextState& s = State();
    EndGraphics();
    flags |= s.default_flags;
    std::shared_ptr<TGraphics> g = CreateGraphics(width, height, depth, hertz, flags);
    if (!g) return nullptr;

    BumpGraphicsSeq(s);
    SetGraphics(g);

    s.pace_enabled = 1;
    if (hertz == 0) {
        s.pace_enabled = 0;
    } else if (depth != 0 && s.driver && HardwareSyncWorks(*s.driver, hertz)) {
        s.pace_enabled = 0;
    }
    s.pace_rate = hertz;
    s.pace_period_ms = hertz != 0 ? 1000 / hertz : 0;
    s.pace_remainder_ms = 1000 - s.pace_period_ms * s.pace_rate;
    s.pace_accum = 0;
    s.pace_next_time = MillisecondClock();
    s.pace_stats = {};

    s.opened = g;
    if (depth != 0) {
        MoveMouse(width / 2, height / 2);
    }
    StartPolledInput();
    if (!s.exit_registered) {
        s.exit_registered = true;
        std::atexit(EndGraphicsAtExit);
    }
    return g;
}

void EndGraphics() {
    ContextState& s = State();
    if (!s.opened) return;
    BumpGraphicsSeq(s);
    StopPolledInput();
    CloseGraphics(s.opened);
}

std::shared_ptr<TGraphics> CurrentGraphics() {
    return State().current;
}
std::shared_ptr<TGraphics> OpenedGraphics() {
    return State().opened;
}

void Flip(int sync) {
    ContextState& s = State();
    if (s.flip_hook_id >= 0) CallHooks(s.flip_hook_id, nullptr);
    if (!s.driver) return;
    if (sync != -1) {
        s.driver->Flip(sync);
        return;
    }
    // With nothing open (after EndGraphics) the schedule still holds, so a loop that runs on
    // without a window sleeps instead of spinning.
    if (s.current != s.opened || s.pace_enabled == 0) {
        s.driver->Flip(s.depth != 0 ? 1 : 0);
        return;
    }
    s.pace_next_time += static_cast<std::uint32_t>(s.pace_period_ms);
    s.pace_accum += s.pace_remainder_ms;
    if (s.pace_accum >= s.pace_rate) {
        s.pace_accum -= s.pace_rate;
        s.pace_next_time += 1;
    }
    const std::uint32_t now = MillisecondClock();
    const int wait = ClockDiff(s.pace_next_time, now);
    ++s.pace_stats.paced_frames;
    s.pace_stats.last_deadline = s.pace_next_time;
    if (wait > 0) {
        SleepUntilMillisecond(s.pace_next_time);
    } else {
        if (wait < 0) {
            ++s.pace_stats.missed_deadlines;
            s.pace_stats.worst_late_ms =
                std::max(s.pace_stats.worst_late_ms, ClockElapsed(now, s.pace_next_time));
        }
        s.pace_next_time = now;
        GiveTurnToPlatform();
    }
    s.driver->Flip(0);
}

TPacingStats PacingStats() {
    return State().pace_stats;
}

void ResetPacingStats() {
    State().pace_stats = {};
}

void Cls() {
    if (TTela2DDriver* driver = CurrentTela2DDriver()) driver->Cls();
}

int GraphicsWidth() {
    return State().width;
}
int GraphicsHeight() {
    return State().height;
}
int GraphicsDepth() {
    return State().depth;
}
int GraphicsHertz() {
    return State().hertz;
}
int GraphicsFlags() {
    return State().flags;
}
int GraphicsSeq() {
    return State().graphics_seq;
}
int FlipHookId() {
    return State().flip_hook_id;
}

void SetAppTitle(const std::string& title) {
    State().app_title = title;
}
const std::string& AppTitle() {
    return State().app_title;
}

void StartGraphicsModules() {
    ContextState& s = State();
    if (s.modules_started) return;
    s.modules_started = true;
    s.flip_hook_id = NewHookId();
    RegisterDefaultFontFile();
    SetGraphicsDriver(PlatformTela2DDriver(), GFX_BACKBUFFER);
}
