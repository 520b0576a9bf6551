// Cost of the pixel collision test the game runs for every enemy against every ball each frame.
#include <benchmark/benchmark.h>

#include "engine/graphics/collision.h"
#include "engine/graphics/image.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/graphics/render.h"

namespace {

// A 50x50 mid-handled sprite whose opaque part is a disc, like the game's round enemies; or a
// ring when `hollow`, so overlapping sprites can cover each other's box without touching.
std::shared_ptr<TImage> Sprite(bool hollow = false) {
    auto p = TPixmap::Create(50, 50, PF_RGBA8888);
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 50; ++x) {
            const int dx = x - 25, dy = y - 25, d2 = dx * dx + dy * dy;
            const bool opaque = hollow ? (d2 <= 24 * 24 && d2 >= 20 * 20) : d2 <= 24 * 24;
            p->WritePixel(x, y, opaque ? 0xffc08040 : 0x00000000);
        }
    }
    auto image = TImage::Load(p, IMAGE_MASKED | IMAGE_FILTERED, 0, 0, 0);
    MidHandleImage(image);
    return image;
}

void BM_ImagesCollideOverlapping(benchmark::State& state) {
    TRecordingGraphics gfx;
    auto a = Sprite(), b = Sprite();
    int hits = 0;
    for (auto _ : state) hits += ImagesCollide(a, 400, 300, 0, b, 430, 320, 0);
    if (hits != static_cast<int>(state.iterations())) state.SkipWithError("expected a hit");
}
BENCHMARK(BM_ImagesCollideOverlapping);

// The worst case: a disc inside a ring's hole. The boxes overlap completely but the shapes
// never meet, so every shared scanline is scanned to its end.
void BM_ImagesCollideDiscInRingNoHit(benchmark::State& state) {
    TRecordingGraphics gfx;
    auto ring = Sprite(true);
    auto p = TPixmap::Create(36, 36, PF_RGBA8888);
    for (int y = 0; y < 36; ++y) {
        for (int x = 0; x < 36; ++x) {
            const int dx = x - 18, dy = y - 18;
            p->WritePixel(x, y, dx * dx + dy * dy <= 17 * 17 ? 0xffffffff : 0);
        }
    }
    auto dot = TImage::Load(p, IMAGE_MASKED, 0, 0, 0);
    MidHandleImage(dot);
    int hits = 0;
    for (auto _ : state) hits += ImagesCollide(ring, 400, 300, 0, dot, 400, 300, 0);
    if (hits != 0) state.SkipWithError("expected no hit");
}
BENCHMARK(BM_ImagesCollideDiscInRingNoHit);

void BM_ImagesCollideRingsNoHit(benchmark::State& state) {
    TRecordingGraphics gfx;
    auto a = Sprite(true), b = Sprite(true);
    // Side by side, boxes overlapping by a few pixels at a corner the rings leave clear.
    int hits = 0;
    for (auto _ : state) hits += ImagesCollide(a, 400, 300, 0, b, 446, 346, 0);
    if (hits != 0) state.SkipWithError("expected no hit");
}
BENCHMARK(BM_ImagesCollideRingsNoHit);

void BM_ImagesCollideDisjoint(benchmark::State& state) {
    TRecordingGraphics gfx;
    auto a = Sprite(), b = Sprite();
    int hits = 0;
    for (auto _ : state) hits += ImagesCollide(a, 100, 100, 0, b, 300, 250, 0);
    if (hits != 0) state.SkipWithError("expected no hit");
}
BENCHMARK(BM_ImagesCollideDisjoint);

void BM_ImagesCollideTransformedOverlapping(benchmark::State& state) {
    TRecordingGraphics gfx;
    auto a = Sprite(), b = Sprite();
    int hits = 0;
    for (auto _ : state) {
        hits += ImagesCollideTransformed(a, 400, 300, 0, 30, 1.2f, 1.2f, b, 440, 320, 0, 0, 1, 1);
    }
    if (hits != static_cast<int>(state.iterations())) state.SkipWithError("expected a hit");
}
BENCHMARK(BM_ImagesCollideTransformedOverlapping);

}  // namespace

BENCHMARK_MAIN();
