// How many primitives a busy play frame draws: the floor page draws that many quads.
//
// Plays whole kept-alive games on the headless harness with the benchmarks' automatic player
// (aims at the nearest idle enemy, fires every 12 frames) and counts each play frame's calls
// to the recording 2D driver by kind. Prints the distribution of the textured quads (image and
// glyph draws) and of every primitive together, and the heaviest frame's mix.
// Not part of the CMake tree (bench/ builds benchmark programs only): bench/web-floor/count-quads
// builds it against a native build's libraries and runs it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/auto_player.h"
#include "game/globals.h"
#include "tools/headless/harness.h"

namespace {

struct TFrameCount {
    int images = 0, glyphs = 0, rects = 0, lines = 0, plots = 0, ovals = 0, polys = 0, clears = 0;
    // Vertices handed to GL (an oval is a fan of about one vertex per pixel of its half-axes)
    // and pixels covered, overlaps counted, before clipping to the screen.
    int vertices = 0;
    double area = 0;
    int Quads() const { return images + glyphs; }
    int All() const { return images + glyphs + rects + lines + plots + ovals + polys + clears; }
};

double quadArea(const std::vector<float>& p) {
    double twice = 0;
    for (size_t i = 0; i + 1 < p.size(); i += 2) {
        const size_t j = (i + 2) % p.size();
        twice += static_cast<double>(p[i]) * p[j + 1] - static_cast<double>(p[j]) * p[i + 1];
    }
    return std::fabs(twice) / 2;
}

TFrameCount countFrame(const TRecordingDriver& driver) {
    TFrameCount n;
    for (const TRecordedCall& call : driver.Calls()) {
        const std::vector<float>& a = call.args;
        switch (call.kind) {
            case TDrawKind::DrawImage:
                ++(call.glyph ? n.glyphs : n.images);
                n.vertices += 4;
                n.area += quadArea(call.screen);
                break;
            case TDrawKind::DrawRect:
                ++n.rects;
                n.vertices += 4;
                n.area += quadArea(call.screen);
                break;
            case TDrawKind::DrawLine:
                ++n.lines;
                n.vertices += 2;
                break;
            case TDrawKind::Plot:
                ++n.plots;
                n.vertices += 1;
                break;
            case TDrawKind::DrawOval: {
                ++n.ovals;
                const float span = (std::fabs(a[2] - a[0]) + std::fabs(a[3] - a[1])) / 2;
                n.vertices += span > 12 ? static_cast<int>(span) & ~3 : 12;
                n.area += 3.14159265 / 4 * std::fabs((a[2] - a[0]) * (a[3] - a[1])) *
                          std::fabs(call.ix * call.jy - call.iy * call.jx);
                break;
            }
            case TDrawKind::DrawPoly:
                ++n.polys;
                n.vertices += static_cast<int>(a.size() - 4) / 2;
                break;
            case TDrawKind::Cls:
                ++n.clears;
                n.area += 800 * 600;
                break;
            default:
                break;
        }
    }
    return n;
}

template <class F>
void describe(const char* what, std::vector<TFrameCount> frames, F value) {
    std::sort(frames.begin(), frames.end(),
              [&](const TFrameCount& a, const TFrameCount& b) { return value(a) < value(b); });
    const auto at = [&](double q) {
        return value(frames[std::min(frames.size() - 1, static_cast<size_t>(q * frames.size()))]);
    };
    double sum = 0;
    for (const TFrameCount& f : frames) sum += value(f);
    std::printf("%-38s mean %7.1f  median %7.1f  p90 %7.1f  p99 %7.1f  max %7.1f\n", what,
                sum / static_cast<double>(frames.size()), static_cast<double>(at(0.5)),
                static_cast<double>(at(0.9)), static_cast<double>(at(0.99)),
                static_cast<double>(value(frames.back())));
}

}  // namespace

int main(int argc, char** argv) {
    const int games = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    std::vector<TFrameCount> frames;
    for (int g = 0; g < games; ++g) {
        TGameHarness game(1'000'000 + static_cast<std::uint32_t>(g) * 7919);
        if (!game.StartUpFailure().empty()) {
            std::fprintf(stderr, "count_quads: %s\n", game.StartUpFailure().c_str());
            return 1;
        }
        game.StartNewGame();
        while (gameState == GAME_STATE_PLAY) {
            life = 50;
            AutoPlay(game);
            game.Frame();
            frames.push_back(countFrame(game.Draws()));
        }
    }
    std::printf("%zu play frames in %d kept-alive games\n", frames.size(), games);
    describe("textured quads (images + glyphs)", frames,
             [](const TFrameCount& f) { return f.Quads(); });
    describe("every primitive", frames, [](const TFrameCount& f) { return f.All(); });
    describe("vertices", frames, [](const TFrameCount& f) { return f.vertices; });
    describe("pixels covered / 800x600", frames,
             [](const TFrameCount& f) { return f.area / (800.0 * 600.0); });
    const TFrameCount heaviest = *std::max_element(
        frames.begin(), frames.end(),
        [](const TFrameCount& a, const TFrameCount& b) { return a.All() < b.All(); });
    std::printf(
        "heaviest frame: %d images, %d glyphs, %d rects, %d lines, %d plots, %d ovals, %d polys, "
        "%d clears; %d vertices, %.2f screens of pixels\n",
        heaviest.images, heaviest.glyphs, heaviest.rects, heaviest.lines, heaviest.plots,
        heaviest.ovals, heaviest.polys, heaviest.clears, heaviest.vertices,
        heaviest.area / (800.0 * 600.0));
    return 0;
}
