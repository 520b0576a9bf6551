// CPU cost of handing one game-like frame to the OpenGL driver: 800 textured sprites with
// their per-sprite scale, rotation, alpha and colour, 200 small ovals and 20 lines of text.
// The GPU (llvmpipe under Xvfb) finishes each frame outside the timed region.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics/graphics.h"
#include "engine/graphics/image.h"
#include "engine/graphics/render.h"
#include "engine/graphics/text.h"

namespace {

std::vector<std::shared_ptr<TImage>> MakeSprites() {
    std::vector<std::shared_ptr<TImage>> sprites;
    for (int i = 0; i < 12; ++i) {
        const int size = 16 + 4 * i;
        std::shared_ptr<TPixmap> pixmap = TPixmap::Create(size, size, PF_RGBA8888);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int d = std::abs(x - size / 2) + std::abs(y - size / 2);
                pixmap->WritePixel(x, y, d < size / 2 ? 0xFF80C0FFu : 0x00000000u);
            }
        }
        std::shared_ptr<TImage> image =
            TImage::Load(pixmap, IMAGE_MASKED | IMAGE_FILTERED, 0, 0, 0);
        MidHandleImage(image);
        sprites.push_back(image);
    }
    return sprites;
}

void SubmitFrame(const std::vector<std::shared_ptr<TImage>>& sprites, int frame) {
    Cls();
    SetBlend(BLEND_ALPHA);
    for (int i = 0; i < 800; ++i) {
        SetScale(0.5f + (i % 7) * 0.2f, 0.5f + (i % 5) * 0.25f);
        SetRotation(static_cast<float>((i * 37 + frame * 3) % 360));
        SetAlpha(0.3f + (i % 8) * 0.1f);
        SetColor(200, 200 - i % 100, 255);
        DrawImage(sprites[static_cast<std::size_t>(i) % sprites.size()],
                  static_cast<float>((i * 53) % 800), static_cast<float>((i * 97) % 600));
    }
    SetRotation(0);
    SetScale(1, 1);
    for (int i = 0; i < 200; ++i) {
        SetAlpha(0.5f);
        SetColor(255, i, 0);
        DrawOval(static_cast<float>((i * 41) % 790), static_cast<float>((i * 29) % 590), 10, 10);
    }
    SetAlpha(1);
    SetColor(255, 255, 255);
    for (int line = 0; line < 20; ++line) {
        DrawText("CHAIN " + std::to_string(line * 1234 + frame) + " SCORE 0000", 10,
                 static_cast<float>(10 + line * 20));
    }
}

void BM_SubmitGameFrame(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no DISPLAY");
        return;
    }
    StartGraphicsModules();
    SetAppTitle("ZANDOR graphics benchmark");
    if (!OpenGraphics(800, 600, 0, 0, 0)) {
        state.SkipWithError("the window did not open");
        return;
    }
    const std::vector<std::shared_ptr<TImage>> sprites = MakeSprites();
    SubmitFrame(sprites, 0);  // textures are made on first draw, not measured
    glFinish();
    int frame = 0;
    for (auto _ : state) {
        SubmitFrame(sprites, ++frame);
        state.PauseTiming();
        glFinish();
        Flip(0);
        state.ResumeTiming();
    }
    state.counters["quads"] = 800;
    EndGraphics();
}
BENCHMARK(BM_SubmitGameFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
