// Cost of loading the game's music: a 220 s stereo Ogg Vorbis file decoded whole at load
// time. Uses assets/sound/music.ogg when it exists, otherwise encodes a file of the same
// length and layout once before timing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "engine/audio/audio.h"
#include "engine/system/stream.h"
#include "tests/audio/ogg_encode.h"

namespace {

std::vector<std::uint8_t> MusicFile() {
    std::ifstream file(std::string(ZANDOR_SOURCE_DIR) + "/assets/sound/music.ogg",
                       std::ios::binary);
    if (file) {
        return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
    }
    // Chords with a little noise, so the encoder has real work to describe.
    constexpr int kHertz = 48000;
    constexpr int kFrames = 10576896;
    std::vector<std::int16_t> pcm(static_cast<std::size_t>(kFrames) * 2);
    std::uint32_t seed = 3;
    for (int i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kHertz;
        const double base = 110.0 * std::pow(2.0, ((i / (kHertz / 2)) % 12) / 12.0);
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<int>(seed >> 20) - 2048;
        const double v = 6000 * std::sin(2 * M_PI * base * t) +
                         4000 * std::sin(2 * M_PI * base * 1.5 * t) + noise;
        pcm[2 * i] = static_cast<std::int16_t>(v);
        pcm[2 * i + 1] =
            static_cast<std::int16_t>(v * 0.8 + 3000 * std::sin(2 * M_PI * base * 2 * t));
    }
    return EncodeOgg(pcm, 2, kHertz, 0.4f);
}

void BM_LoadMusicOgg(benchmark::State& state) {
    static const std::vector<std::uint8_t> file = MusicFile();
    StartStreamModules();
    StartAudioModules();
    RegisterEmbeddedFile("bench/music.ogg", file.data(), static_cast<int>(file.size()));
    for (auto _ : state) {
        auto sample = LoadAudioSample("incbin::bench/music.ogg");
        if (!sample) state.SkipWithError("the file did not load");
        benchmark::DoNotOptimize(sample);
    }
    state.counters["file_bytes"] = static_cast<double>(file.size());
}

BENCHMARK(BM_LoadMusicOgg)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
