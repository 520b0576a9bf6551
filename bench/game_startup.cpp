// Time from the start of the game's start-up to its first title frame on screen, on the real
// drivers: the window, the loading frame, every asset decoded (the music is most of it), the
// music channel, then one frame of the loop presented. Process start-up before main (loading
// shared libraries) is not included; `perf stat` or `hyperfine` on the binary cover that.
// Run under an X server: `xvfb-run -a bench/bench_game_startup`.
#include <benchmark/benchmark.h>

#include "engine/graphics/graphics.h"
#include "game/game.h"

namespace {

void BM_StartToFirstTitleFrame(benchmark::State& state) {
    registerGameFiles();
    startEngineModules();
    for (auto _ : state) {
        if (!startUp().empty()) {
            state.SkipWithError("start-up failed (no display?)");
            break;
        }
        runFrame();
        state.PauseTiming();
        EndGraphics();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstTitleFrame)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
