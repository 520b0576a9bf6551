// Frame pacing on the real clock and a real window: 600 frames of an empty loop paced by
// Flip(-1) should take 10.000 s of wall time, and the loop should cost almost no CPU because
// Flip sleeps to each deadline rather than spinning. Also reports how late each wake-up came
// after the deadline the pacer set (p99 and worst): the jitter a player would feel, apart
// from the schedule's own whole-millisecond steps (16, 17, 17 ms), and frames that reached
// Flip after their deadline.
// Run under an X server: `xvfb-run -a bench/bench_pacing`.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <ctime>

#include "bench/wake_clock.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/system/stream.h"
#include "engine/system/system_driver.h"

namespace {

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double NowSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Runs 600 paced frames after one flip that starts the schedule, and reports the wall time,
// the share of one core used, and how late each wake-up came after its deadline.
void Run600PacedFrames(benchmark::State& state) {
    TWakeClock wake(CurrentClock());
    SetClock(&wake);
    for (auto _ : state) {
        const double cpu_start = ProcessCpuSeconds();
        Cls();
        Flip(-1);
        wake.Reset();
        ResetPacingStats();
        const double start = NowSeconds();
        for (int frame = 1; frame <= 600; ++frame) {
            Cls();
            Flip(-1);
        }
        const double wall = NowSeconds() - start;
        const double cpu = ProcessCpuSeconds() - cpu_start;
        state.counters["wall_s"] = wall;
        state.counters["cpu_share_pct"] = 100.0 * cpu / wall;
        state.counters["wakes"] = static_cast<double>(wake.Wakes());
        state.counters["missed"] = static_cast<double>(PacingStats().missed_deadlines);
        state.counters["late_p99_ms"] = wake.LateQuantileMs(0.99);
        state.counters["late_max_ms"] = wake.LateQuantileMs(1.0);
    }
    SetClock(nullptr);
}

// The real window: clearing and presenting with Mesa's software renderer is part of the cost.
void BM_Pacing600FramesInAWindow(benchmark::State& state) {
    StartStreamModules();
    StartSystemDriver();
    StartGraphicsModules();
    if (!OpenGraphics(800, 600, 0, 60, 0)) {
        state.SkipWithError("no display");
        return;
    }
    Run600PacedFrames(state);
    EndGraphics();
}
BENCHMARK(BM_Pacing600FramesInAWindow)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The schedule alone, over a driver that draws nothing: what pacing itself costs.
void BM_Pacing600FramesScheduleOnly(benchmark::State& state) {
    TRecordingGraphics graphics;
    Run600PacedFrames(state);
}
BENCHMARK(BM_Pacing600FramesScheduleOnly)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The two ways of sleeping to a deadline side by side, on the real clock alone: the whole
// milliseconds left counted from now (the wake-up then lands anywhere in the millisecond
// after the deadline), against a sleep to the instant the counter reaches the deadline.
// The two alternate sleep by sleep, so both meet the same load on the machine.
void BM_SleepToDeadlinesBothWays(benchmark::State& state) {
    TWakeClock relative(CurrentClock());
    TWakeClock exact(CurrentClock());
    for (auto _ : state) {
        for (int i = 0; i < 600; ++i) {
            const std::uint32_t deadline = exact.Milliseconds() + 5;
            // Start from a point inside the millisecond, as a frame's work would.
            const std::uint64_t spin_until = TWakeClock::Nanoseconds() + 300000u * (i / 2 % 3);
            while (TWakeClock::Nanoseconds() < spin_until) {
            }
            if (i % 2 == 0) {
                exact.SleepUntil(deadline);
            } else {
                const int wait = ClockDiff(deadline, relative.Milliseconds());
                if (wait > 0) relative.Sleep(static_cast<std::uint32_t>(wait));
                relative.Record(deadline);
            }
        }
    }
    state.counters["whole_ms_mean_ms"] = relative.LateMeanMs();
    state.counters["whole_ms_p99_ms"] = relative.LateQuantileMs(0.99);
    state.counters["exact_mean_ms"] = exact.LateMeanMs();
    state.counters["exact_p99_ms"] = exact.LateQuantileMs(0.99);
}
BENCHMARK(BM_SleepToDeadlinesBothWays)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
