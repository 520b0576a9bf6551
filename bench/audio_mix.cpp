// Cost of mixing one 1024-value fragment with 32 active 48000 Hz stereo voices, the
// mixer's worst steady case: every voice resamples, and in the second case every voice
// also ramps its volume. core_pct is the share of one core the mixer would use to keep up.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/audio/internal/mixa_mixer.h"
#include "engine/audio/internal/mixa_voices.h"

namespace {

std::shared_ptr<const TMixaSampleRecord> Noise(int frames) {
    std::vector<std::int16_t> values(static_cast<std::size_t>(frames) * 2);
    std::uint32_t seed = 7;
    for (auto& v : values) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<std::int16_t>(seed >> 16);
    }
    return TMixaSampleRecord::Create(values.data(), frames, 48000, 2, 16, true);
}

void MixFragment(benchmark::State& state, bool ramp) {
    TMixaMixer mixer(1024);
    TMixaVoices voices(mixer);
    auto record = Noise(48000 * 5);
    std::vector<int> handles;
    for (int i = 0; i < 32; ++i) {
        const int handle = voices.AllocHandle();
        voices.Voice(handle)->SetVolume(static_cast<std::int16_t>(1024 + 64 * i));
        voices.Voice(handle)->SetPan(static_cast<std::int16_t>(256 * (i - 16)));
        voices.Queue(record, handle, VOICE_LOOPED, 0);
        handles.push_back(handle);
    }
    std::vector<std::uint8_t> out(2048);
    mixer.MixFragment(out.data(), 20);  // takes the voices in
    int flip = 0;
    for (auto _ : state) {
        if (ramp) {
            flip ^= 1;
            for (int handle : handles) voices.Voice(handle)->SetVolume(flip ? 2048 : 4096);
        }
        mixer.MixFragment(out.data(), 20);
        benchmark::DoNotOptimize(out.data());
    }
    // The fragment holds 512 stereo frames: 11.6 ms of sound. Mixing it in that time would
    // take the whole of one core, so this is the share of a core the mixer needs.
    constexpr double kFragmentSeconds = 512.0 / 44100.0;
    state.counters["core_pct"] =
        benchmark::Counter(kFragmentSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    mixer.ReleaseAll();
}

void BM_Mix32Voices48k(benchmark::State& state) {
    MixFragment(state, false);
}
void BM_Mix32Voices48kRamping(benchmark::State& state) {
    MixFragment(state, true);
}

BENCHMARK(BM_Mix32Voices48k)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Mix32Voices48kRamping)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
