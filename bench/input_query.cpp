// Cost of one input query on the real SDL/X11 path with nothing new to read, against the
// plain SDL pump it replaces and against the bare state read. Needs DISPLAY (run under
// xvfb-run).
#include <benchmark/benchmark.h>

#include <SDL2/SDL.h>

#include <cstdlib>

#include "engine/system/input.h"
#include "engine/system/system_driver.h"

namespace {

SDL_Window* OpenWindow() {
    static SDL_Window* window = nullptr;
    if (window) return window;
    if (!std::getenv("DISPLAY") || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    StartSystemDriver();
    StartPolledInput();
    window = SDL_CreateWindow("ZANDOR input bench", 32, 32, 320, 240, SDL_WINDOW_SHOWN);
    // Let the window map and its first events arrive before timing an empty queue.
    for (int i = 0; i < 50; ++i) {
        PollEvents();
        SDL_Delay(2);
    }
    return window;
}

void BM_MousePosXEmptyQueue(benchmark::State& state) {
    if (!OpenWindow()) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(MousePosX());
}
BENCHMARK(BM_MousePosXEmptyQueue);

void BM_TakeMouseHitsEmptyQueue(benchmark::State& state) {
    if (!OpenWindow()) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(TakeMouseHits(1));
}
BENCHMARK(BM_TakeMouseHitsEmptyQueue);

// What a query would cost if it ran SDL's full pump every time.
void BM_FullSDLPump(benchmark::State& state) {
    if (!OpenWindow()) {
        state.SkipWithError("no display");
        return;
    }
    SDL_Event event;
    for (auto _ : state) {
        SDL_PumpEvents();
        benchmark::DoNotOptimize(
            SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT));
    }
}
BENCHMARK(BM_FullSDLPump);

// The state read alone, with the do-nothing driver installed.
void BM_MousePosXNoDriver(benchmark::State& state) {
    TSystemDriver idle;
    TSystemDriver* previous = SetSystemDriver(&idle);
    for (auto _ : state) benchmark::DoNotOptimize(MousePosX());
    SetSystemDriver(previous);
}
BENCHMARK(BM_MousePosXNoDriver);

}  // namespace

BENCHMARK_MAIN();
