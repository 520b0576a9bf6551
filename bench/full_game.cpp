// The whole game as a player gets it, timed for real: the game's window under an X server
// with Mesa's OpenGL, the real clock and frame pacing, the software mixer playing through
// SDL's audio (its "dummy" device unless SDL_AUDIODRIVER says otherwise), and a scripted
// player who clicks the title and then keeps shooting at the nearest idle enemy, sweeping
// round the turret when there is none. The turret is kept alive so the level runs to its end
// (about 140 s).
//
// Reports frames that missed their deadline, how late the paced sleeps woke (p99, worst),
// peak resident memory (and, at the end, how much of it is anonymous memory rather than
// mapped library code) and the share of one core the process and its main thread used.
// Run under an X server: `xvfb-run -a bench/bench_full_game`.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "bench/wake_clock.h"
#include "engine/graphics/graphics.h"
#include "engine/system/event.h"
#include "engine/system/platform/headless/scripted_system_driver.h"
#include "game/entities.h"
#include "game/game.h"
#include "game/globals.h"

namespace {

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A field of /proc/self/status in kB, or -1 when it cannot be read.
double StatusKilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::atof(line.c_str() + field.size() + 1);
    }
    return -1;
}

// Where the player points this frame and whether it fires.
struct TAim {
    int x, y;
    bool fire;
};

TAim PlayerAim(int frame) {
    const tEnemy* target = nullptr;
    float best = 1e9f;
    if (enemyList) {
        for (const auto& e : enemyList->items()) {
            if (e->active != 0 || e->alpha <= 0.9f) continue;
            if (e->x <= 20 || e->x >= 780 || e->y <= 20 || e->y >= 580) continue;
            const float d = std::hypot(e->x - baseX, e->y - baseY);
            if (d < best) {
                best = d;
                target = e.get();
            }
        }
    }
    if (target) {
        return {static_cast<int>(target->x), static_cast<int>(target->y), frame % 12 == 0};
    }
    const double angle = frame * 0.05;
    return {400 + static_cast<int>(220 * std::cos(angle)),
            300 + static_cast<int>(220 * std::sin(angle)), frame % 30 == 0};
}

void BM_FullGameInAWindow(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no DISPLAY (run under xvfb-run)");
        return;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    registerGameFiles();
    startEngineModules();
    TScriptedSystemDriver input;  // replaces the window system's input for the script
    TWakeClock wake(CurrentClock());
    SetClock(&wake);
    for (auto _ : state) {
        const double wall_start = TWakeClock::Nanoseconds() / 1e9;
        const std::string failure = startUp();
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
        // The first title frame ends start-up: its flip comes the whole loading time after
        // the loading frame's, which is no missed frame of play.
        input.NextFrame();
        runFrame();
        const double loaded = TWakeClock::Nanoseconds() / 1e9;
        const double cpu_start = ProcessCpuSeconds();
        const double main_start = ThreadCpuSeconds();
        wake.Reset();
        ResetPacingStats();
        int frames = 1;
        bool running = true;
        // Where the misses fall: the first second of play (new textures and Mesa's shaders
        // are first met there) against the rest, and the frame of the worst one.
        std::uint64_t missed_first_second = 0;
        int worst_frame = -1;
        std::uint32_t worst_seen = 0;
        int play_start = -1;
        // The click on the title that starts the game, then play to the end.
        while (running && gameState != GAME_STATE_END && gameState != GAME_STATE_GAME_OVER) {
            if (frames == 1) {
                input.Queue(TScriptedSystemDriver::MouseMove(400, 300));
                input.Queue(TScriptedSystemDriver::MouseDown(MOUSE_LEFT, 400, 300));
                input.Queue(TScriptedSystemDriver::MouseUp(1, 400, 300));
            } else if (gameState == GAME_STATE_PLAY) {
                life = 50;
                const TAim aim = PlayerAim(frames);
                input.Queue(TScriptedSystemDriver::MouseMove(aim.x, aim.y));
                if (aim.fire) {
                    input.Queue(TScriptedSystemDriver::MouseDown(MOUSE_LEFT, aim.x, aim.y));
                    input.Queue(TScriptedSystemDriver::MouseUp(1, aim.x, aim.y));
                }
            }
            input.NextFrame();
            const std::uint64_t missed_before = PacingStats().missed_deadlines;
            running = runFrame();
            const TPacingStats now = PacingStats();
            if (play_start < 0 && gameState == GAME_STATE_PLAY) play_start = frames;
            if (now.missed_deadlines > missed_before && play_start >= 0 &&
                frames - play_start < 60) {
                ++missed_first_second;
            }
            if (now.worst_late_ms > worst_seen) {
                worst_seen = now.worst_late_ms;
                worst_frame = frames;
            }
            ++frames;
        }
        const double wall = TWakeClock::Nanoseconds() / 1e9 - loaded;
        const TPacingStats pacing = PacingStats();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["startup_s"] = loaded - wall_start;
        state.counters["frames"] = frames;
        state.counters["game_s"] = wall;
        state.counters["missed"] = static_cast<double>(pacing.missed_deadlines);
        state.counters["worst_miss_ms"] = pacing.worst_late_ms;
        state.counters["worst_miss_frame"] = worst_frame;
        state.counters["missed_1st_s_of_play"] = static_cast<double>(missed_first_second);
        state.counters["late_p99_ms"] = wake.LateQuantileMs(0.99);
        state.counters["late_max_ms"] = wake.LateQuantileMs(1.0);
        state.counters["cpu_pct"] = 100.0 * (ProcessCpuSeconds() - cpu_start) / wall;
        state.counters["main_cpu_pct"] = 100.0 * (ThreadCpuSeconds() - main_start) / wall;
        state.counters["maxrss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        state.counters["VmHWM_MB"] = StatusKilobytes("VmHWM") / 1024.0;
        // At the end: the process's own memory apart from the mapped libraries (Mesa's
        // llvmpipe maps over 50 MB of LLVM code that a hardware driver would not).
        state.counters["RssAnon_MB"] = StatusKilobytes("RssAnon") / 1024.0;
        state.counters["RssFile_MB"] = StatusKilobytes("RssFile") / 1024.0;
        state.counters["score"] = static_cast<double>(score);
        EndGraphics();
    }
    SetClock(nullptr);
}
BENCHMARK(BM_FullGameInAWindow)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
