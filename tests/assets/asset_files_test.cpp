// The committed asset files: formats and sizes the game relies on, and the parts of each
// picture the game's drawing and collision depend on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "tests/assets/asset_decoding.h"

namespace {

DecodedPng LoadPng(const std::string& name) {
    return DecodePng(ReadWholeFile(RepoPath("assets/graphics/" + name)));
}

TEST(AssetFiles, EveryPngIsEightBitRgbaOfItsSize) {
    struct Case {
        const char* name;
        int width, height;
    };
    const Case cases[] = {
        {"player.png", 20, 20},
        {"enemy1.png", 30, 30},
        {"enemy2.png", 30, 30},
        {"enemycontrol.png", 50, 50},
        {"enemycontroltrace.png", 50, 50},
        {"enemymove.png", 50, 50},
        {"enemybomb.png", 50, 50},
        {"pointer.png", 400, 80},
        {"layer.png", 800, 600},
        {"playership.png", 60, 60},
        {"borderexplosion.png", 50, 50},
        {"backgroundmask.png", 800, 600},
        {"display.png", 800, 35},
        {"title.png", 800, 600},
        {"bgfx.png", 3, 3},
        {"end.png", 800, 600},
        {"base.png", 180, 180},
        {"gameover.png", 800, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedPng png = LoadPng(c.name);
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(png.width, c.width);
        EXPECT_EQ(png.height, c.height);
        EXPECT_EQ(png.bit_depth, 8);
        EXPECT_EQ(png.colour_type, 6);  // truecolour with alpha
        // Nothing drawn is entirely invisible.
        int visible = 0;
        for (int y = 0; y < png.height; ++y) {
            for (int x = 0; x < png.width; ++x) visible += png.Alpha(x, y) > 0;
        }
        EXPECT_GT(visible, 0);
    }
}

TEST(AssetFiles, BackgroundIsABaselineJpegOfTheWindowSize) {
    DecodedJpeg jpeg = DecodeJpeg(ReadWholeFile(RepoPath("assets/graphics/background.jpg")));
    ASSERT_TRUE(jpeg.ok);
    EXPECT_FALSE(jpeg.progressive);
    EXPECT_EQ(jpeg.width, 800);
    EXPECT_EQ(jpeg.height, 600);
    EXPECT_EQ(jpeg.components, 3);
    // A pale warm ground, darker in the corners than in the middle.
    auto luma = [&](int x, int y) {
        const std::uint8_t* p = &jpeg.rgb[(static_cast<size_t>(y) * 800 + x) * 3];
        return (p[0] * 3 + p[1] * 6 + p[2]) / 10;
    };
    EXPECT_GT(luma(400, 300), 220);
    EXPECT_GT(luma(400, 300), luma(2, 2) + 8);
    EXPECT_GT(luma(400, 300), luma(797, 597) + 8);
    const std::uint8_t* centre = &jpeg.rgb[(300 * 800 + 400) * 3];
    EXPECT_GT(centre[0], centre[2]);  // warm: more red than blue
}

TEST(AssetFiles, SoundsAreStereo48kHzVorbisOfExactLength) {
    // Peaks leave the mix its headroom: music plus a long chain plus shots stays under full
    // scale at about -18 dBFS RMS (bench_level_mix measures the mix).
    struct Case {
        const char* name;
        std::int64_t frames;
        float peak;
    };
    const Case cases[] = {{"explode.ogg", 132096, 0.171f},
                          {"music.ogg", 10576896, 0.287f},
                          {"shoot.ogg", 22512, 0.41f},
                          {"playerhit.ogg", 34800, 0.41f},
                          {"playerexplode.ogg", 22512, 0.41f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedOgg ogg = DecodeOgg(RepoPath(std::string("assets/sound/") + c.name));
        ASSERT_TRUE(ogg.ok);
        EXPECT_EQ(ogg.channels, 2);
        EXPECT_EQ(ogg.rate, 48000);
        EXPECT_EQ(ogg.frames, c.frames);
        EXPECT_EQ(ogg.decoded, c.frames);
        EXPECT_LE(ogg.peak, c.peak * 1.03f);
        EXPECT_GE(ogg.peak, c.peak * 0.9f);
    }
}

TEST(AssetFiles, EffectsStartAtOnce) {
    for (const char* name : {"explode.ogg", "shoot.ogg", "playerhit.ogg", "playerexplode.ogg"}) {
        SCOPED_TRACE(name);
        DecodedOgg ogg = DecodeOgg(RepoPath(std::string("assets/sound/") + name));
        ASSERT_TRUE(ogg.ok);
        EXPECT_GT(ogg.first_10ms_peak, ogg.peak / 7);
    }
}

// Sign changes per second of the first channel over [from, to) seconds: a rough pitch.
double CrossingRate(const std::vector<float>& samples, double from, double to) {
    size_t a = static_cast<size_t>(from * 48000), b = static_cast<size_t>(to * 48000);
    int crossings = 0;
    for (size_t i = a + 1; i < b && i < samples.size(); ++i) {
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    }
    return crossings / (to - from);
}

float PeakIn(const std::vector<float>& samples, double from, double to) {
    float peak = 0;
    for (size_t i = static_cast<size_t>(from * 48000); i < static_cast<size_t>(to * 48000); ++i) {
        if (i < samples.size()) peak = std::max(peak, std::fabs(samples[i]));
    }
    return peak;
}

TEST(AssetFiles, EffectsHaveTheirShapes) {
    DecodedOgg shoot = DecodeOgg(RepoPath("assets/sound/shoot.ogg"), true);
    DecodedOgg explode = DecodeOgg(RepoPath("assets/sound/explode.ogg"), true);
    DecodedOgg hit = DecodeOgg(RepoPath("assets/sound/playerhit.ogg"), true);
    ASSERT_TRUE(shoot.ok && explode.ok && hit.ok);
    // The shot's pitch falls steeply (from about 1400 Hz to about 300 Hz).
    double early = CrossingRate(shoot.left, 0.005, 0.03);
    double late = CrossingRate(shoot.left, 0.16, 0.26);
    EXPECT_GT(early, 2000);
    EXPECT_LT(late, 1200);
    EXPECT_GT(early, 3 * late);
    // Shot and clank die away; the burst's tail fades to silence by its end.
    for (const DecodedOgg* sound : {&shoot, &explode, &hit}) {
        double length = sound->left.size() / 48000.0;
        EXPECT_LT(PeakIn(sound->left, length - 0.05, length), 0.02f);
    }
    // The burst is punchy: its first fifth of a second is far louder than its second half.
    EXPECT_GT(PeakIn(explode.left, 0, 0.2), 10 * PeakIn(explode.left, 1.4, 2.752));
    EXPECT_GT(PeakIn(explode.left, 1.0, 1.4), 0.0f);  // but the tail is there
}

// Pictures the game tints by a grey level must be white or light grey wherever they show,
// or the tint could never make them bright. The ball alone has a thin dark rim round its
// light body, so that tinted it still reads on a field of its own grey.
TEST(AssetFiles, TintedSpritesAreLight) {
    for (const char* name : {"player.png", "pointer.png", "borderexplosion.png", "bgfx.png"}) {
        SCOPED_TRACE(name);
        DecodedPng png = LoadPng(name);
        ASSERT_TRUE(png.ok);
        const bool rimmed = std::string(name) == "player.png";
        int dark = 0, rim = 0;
        for (int y = 0; y < png.height; ++y) {
            for (int x = 0; x < png.width; ++x) {
                const std::uint8_t* p = png.Pixel(x, y);
                if (p[3] == 0 || std::min({p[0], p[1], p[2]}) >= 190) continue;
                if (rimmed && p[3] < 255) {
                    ++rim;
                } else {
                    ++dark;
                }
            }
        }
        EXPECT_EQ(dark, 0);
        EXPECT_EQ(rim > 30, rimmed) << rim << " rim pixels";
    }
}

TEST(AssetFiles, BackgroundDotHasOnlyItsCentreOpaque) {
    DecodedPng png = LoadPng("bgfx.png");
    ASSERT_TRUE(png.ok);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(png.Alpha(x, y), x == 1 && y == 1 ? 255 : 0) << x << "," << y;
        }
    }
}

// Bounding box of the solid pixels (alpha >= 128, the collision threshold).
struct SolidBox {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    double centroid_x = 0, centroid_y = 0;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

SolidBox SolidBounds(const DecodedPng& png) {
    SolidBox box;
    long count = 0;
    for (int y = 0; y < png.height; ++y) {
        for (int x = 0; x < png.width; ++x) {
            if (png.Alpha(x, y) < 128) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
            box.centroid_x += x + 0.5;
            box.centroid_y += y + 0.5;
            ++count;
        }
    }
    if (count > 0) box.centroid_x /= count, box.centroid_y /= count;
    return box;
}

TEST(AssetFiles, SolidBodiesHaveTheSizesCollisionExpects) {
    struct Case {
        const char* name;
        int min, max;  // larger side of the solid body, in pixels
    };
    const Case cases[] = {{"player.png", 12, 14},
                          {"playership.png", 46, 56},
                          {"enemycontrol.png", 36, 44},
                          {"enemycontroltrace.png", 36, 44},
                          {"enemymove.png", 36, 44}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedPng png = LoadPng(c.name);
        ASSERT_TRUE(png.ok);
        SolidBox box = SolidBounds(png);
        int size = std::max(box.Width(), box.Height());
        EXPECT_GE(size, c.min);
        EXPECT_LE(size, c.max);
        // Centred on the image, since every image is drawn about its middle.
        EXPECT_NEAR((box.top + box.bottom + 1) / 2.0, png.height / 2.0, 1.0);
    }
}

// Ships face +x: they are mirror images about the horizontal centre line, and their mass sits
// behind the middle while their points reach forward to the right.
TEST(AssetFiles, EnemyShipsPointRight) {
    for (const char* name : {"enemycontrol.png", "enemycontroltrace.png", "enemymove.png"}) {
        SCOPED_TRACE(name);
        DecodedPng png = LoadPng(name);
        ASSERT_TRUE(png.ok);
        int asymmetric = 0;
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 50; ++x) {
                asymmetric += (png.Alpha(x, y) >= 128) != (png.Alpha(x, 49 - y) >= 128);
            }
        }
        EXPECT_EQ(asymmetric, 0);
        SolidBox box = SolidBounds(png);
        EXPECT_LT(box.centroid_x, (box.left + box.right + 1) / 2.0 - 2);
        EXPECT_GE(box.right, 42);  // the points reach close to the right edge
    }
}

TEST(AssetFiles, PointerRingsTheCentreAndBeamsToTheRight) {
    DecodedPng png = LoadPng("pointer.png");
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.Alpha(200, 40), 0);  // the enemy shows through the ring
    // The ring crosses the vertical line through the centre above and below it.
    auto column_has_solid = [&](int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y) {
            if (png.Alpha(x, y) >= 128) return true;
        }
        return false;
    };
    EXPECT_TRUE(column_has_solid(200, 5, 20));
    EXPECT_TRUE(column_has_solid(200, 60, 75));
    for (int x = 240; x < 396; x += 12) EXPECT_GE(png.Alpha(x, 40), 100) << "x " << x;
    // Nothing of the beam on the left side.
    for (int x = 0; x < 150; x += 10) EXPECT_EQ(png.Alpha(x, 40), 0) << "x " << x;
}

// Light (text) pixels in a rectangle of a picture.
int LightPixels(const DecodedPng& png, int x0, int y0, int x1, int y1, int threshold = 150) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* p = png.Pixel(x, y);
            if (p[3] > 128 && std::max({p[0], p[1], p[2]}) > threshold) ++count;
        }
    }
    return count;
}

TEST(AssetFiles, HudLabelsLeaveRoomForTheNumbersAndTheBar) {
    DecodedPng png = LoadPng("display.png");
    ASSERT_TRUE(png.ok);
    EXPECT_GT(LightPixels(png, 0, 0, 105, 35), 40);    // SCORE
    EXPECT_GT(LightPixels(png, 250, 0, 395, 35), 60);  // MAX CHAIN
    EXPECT_GT(LightPixels(png, 405, 0, 555, 35), 40);  // ENERGY
    EXPECT_EQ(LightPixels(png, 105, 0, 250, 35), 0);   // the score's digits
    EXPECT_EQ(LightPixels(png, 395, 0, 470, 35), 0);   // the chain's digits
    EXPECT_EQ(LightPixels(png, 555, 0, 800, 35), 0);   // the energy bar
    // Opaque strip, so the field does not show through the HUD.
    for (int x = 0; x < 800; x += 50) EXPECT_EQ(png.Alpha(x, 17), 255);
}

TEST(AssetFiles, ClosingScreenLabelsEndLeftOfTheNumbers) {
    for (const char* name : {"gameover.png", "end.png"}) {
        SCOPED_TRACE(name);
        DecodedPng png = LoadPng(name);
        ASSERT_TRUE(png.ok);
        // SCORE around y 298 and MAX CHAIN around y 334, both ending left of x 400.
        EXPECT_GT(LightPixels(png, 300, 288, 398, 308), 30);
        EXPECT_GT(LightPixels(png, 250, 324, 398, 344), 30);
        EXPECT_EQ(LightPixels(png, 398, 270, 800, 360), 0);
        // Something bright on the band across the upper third: the big word.
        EXPECT_GT(LightPixels(png, 0, 80, 800, 230), 2000);
    }
}

TEST(AssetFiles, TitleShowsItsNameAndInstructionsOnBlack) {
    DecodedPng png = LoadPng("title.png");
    ASSERT_TRUE(png.ok);
    EXPECT_GT(LightPixels(png, 0, 80, 800, 230), 4000);      // ZANDOR
    EXPECT_GT(LightPixels(png, 0, 260, 800, 520), 2000);     // start line and how to play
    EXPECT_GT(LightPixels(png, 0, 560, 800, 600, 90), 100);  // credits, dim
    const std::uint8_t* corner = png.Pixel(5, 5);
    EXPECT_LT(std::max({corner[0], corner[1], corner[2]}), 16);
    EXPECT_EQ(corner[3], 255);
}

TEST(AssetFiles, BackgroundMaskIsDenserInTheCorners) {
    DecodedPng png = LoadPng("backgroundmask.png");
    ASSERT_TRUE(png.ok);
    int centre = png.Alpha(400, 300);
    EXPECT_GT(centre, 0);
    EXPECT_LT(centre, 255);
    for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}}) {
        EXPECT_GT(png.Alpha(x, y), centre + 40) << x << "," << y;
    }
    const std::uint8_t* p = png.Pixel(400, 300);
    EXPECT_GT(p[0], 220);   // pale
    EXPECT_GE(p[0], p[2]);  // warm
}

}  // namespace
