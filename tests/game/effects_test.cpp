// Effects: how many frames each kind is drawn and how, the trail puff's drift, the background
// blob's cycle, and the order in which they draw from the random generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/system/random.h"
#include "tests/game/entity_test_support.h"

namespace {

class Effects : public EntityWorld {};

// The start values drawn from the generator, compared with the same draws made by hand from
// the same seed in the documented order. A swapped pair of draws changes the values.
TEST_F(Effects, RandomStartValuesAreDrawnInFieldOrder) {
    const int seeds[] = {1, 4660, 123456789, 2147483646};
    for (int seed : seeds) {
        SCOPED_TRACE(seed);

        SeedRandom(seed);
        auto puff = tballfx::ini(0, 0);
        auto particle = tExplosion::ini(0, 0);
        auto blob = tbgFX::ini();

        SeedRandom(seed);
        const double puffX = RandomReal(4, 0) - 2;
        const double puffY = RandomReal(4, 0) - 2;
        const int partX = RandomInt(0, 20) - 10;
        const int partY = RandomInt(0, 20) - 10;
        const int bx = RandomInt(0, 800);
        const int by = RandomInt(0, 600);
        const int bscale = RandomInt(50, 100);
        const double balpha = RandomReal(1, 0);
        const double bsx = RandomReal(10, 0) - 5;
        const double bsy = RandomReal(10, 0) - 5;
        const int r = RandomInt(1, 255);
        const int g = RandomInt(1, 255);
        const int b = RandomInt(1, 255);

        EXPECT_EQ(puff->speedx, static_cast<float>(puffX));
        EXPECT_EQ(puff->speedy, static_cast<float>(puffY));
        EXPECT_EQ(particle->speedx, partX);
        EXPECT_EQ(particle->speedy, partY);
        EXPECT_EQ(blob->x, bx);
        EXPECT_EQ(blob->y, by);
        EXPECT_EQ(blob->scale, bscale);
        EXPECT_EQ(blob->alpha, static_cast<float>(balpha));
        EXPECT_EQ(blob->state, 1);
        EXPECT_EQ(blob->speedx, static_cast<float>(bsx));
        EXPECT_EQ(blob->speedy, static_cast<float>(bsy));
        EXPECT_EQ(blob->red, r);
        EXPECT_EQ(blob->green, g);
        EXPECT_EQ(blob->blue, b);
        EXPECT_TRUE(bgfxList->contains(blob));
        EXPECT_FALSE(fxList->contains(static_cast<const tFX*>(nullptr)));
    }
}

TEST_F(Effects, BackgroundBlobCyclesIn102UpdatesAndIsPlacedAnew) {
    SeedRandom(99);
    auto blob = tbgFX::ini();
    blob->alpha = 0;
    blob->state = 1;
    blob->x = -500;  // far outside: only the re-placement brings it back
    blob->y = -500;
    blob->speedx = 0;
    blob->speedy = 0;
    const float scale = blob->scale;

    int updates = 0;
    int turnedAt = 0;
    float highest = 0;
    while (updates < 1000) {
        const int before = blob->state;
        blob->update();
        ++updates;
        highest = std::max(highest, blob->alpha);
        if (before == 1 && blob->state == 2) turnedAt = updates;
        if (before == 2 && blob->state == 1) break;
        ASSERT_EQ(blob->x, -500) << "wanders only once placed anew";
    }
    EXPECT_EQ(updates, 102);
    // It falls again in the very update that turned it, so it never ends an update above 1.
    EXPECT_LE(highest, 1.0f);
    EXPECT_GT(turnedAt, 45);
    EXPECT_LT(turnedAt, 55);
    EXPECT_LT(blob->alpha, 0) << "alpha keeps its value at the re-placement";
    EXPECT_EQ(blob->scale, scale);

    // The re-placement draws x, y and the two speeds, in that order, after this update's move.
    SeedRandom(4242);
    blob->state = 2;
    blob->alpha = 0.01f;
    blob->update();
    SeedRandom(4242);
    const int nx = RandomInt(0, 800);
    const int ny = RandomInt(0, 600);
    const auto sx = static_cast<float>(RandomReal(10, 0) - 5);
    const auto sy = static_cast<float>(RandomReal(10, 0) - 5);
    EXPECT_EQ(blob->state, 1);
    EXPECT_EQ(blob->speedx, sx);
    EXPECT_EQ(blob->speedy, sy);
    EXPECT_EQ(blob->x, static_cast<float>(nx) + sx);
    EXPECT_EQ(blob->y, static_cast<float>(ny) + sy);
}

class EffectDrawing : public EntityGame {};

TEST_F(EffectDrawing, EachKindIsDrawnItsNumberOfFramesInTheSpriteGrey) {
    // How one frame's drawing of each kind shows in the recording.
    struct Case {
        std::string kind;
        std::function<void()> make;
        std::function<std::vector<TRecordedCall>(TGameHarness&)> drawsOf;
        int frames;
        float firstAlpha, firstScale;
    };
    const Case cases[] = {
        {"border explosion", [] { tborderExplosion::ini(200, 150); },
         [](TGameHarness& g) { return g.Draws().DrawsOf(borderExplosionImg); }, 9, 0.9f, 1.3f},
        {"ball trail puff", [] { tballfx::ini(200, 150); },
         [](TGameHarness& g) { return g.Draws().DrawsOf(playerImg); }, 20, 0.5f, 1.0f},
        {"particle", [] { tExplosion::ini(200, 150); },
         [](TGameHarness& g) { return g.Draws().CallsOf(TDrawKind::DrawOval); }, 32, 1.0f, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        fxList = std::make_shared<tEntityList<tFX>>();
        // A mid-grey field, so the sprite grey is 100 and differs from every default colour.
        bgBrightness = bgTargetBrightness = 155;
        c.make();
        int frames = 0;
        for (int i = 0; i < 60; ++i) {
            game.Frame();
            const auto draws = c.drawsOf(game);
            if (draws.empty()) continue;
            ASSERT_EQ(draws.size(), 1u);
            if (frames == 0) {
                EXPECT_FLOAT_EQ(draws[0].alpha, c.firstAlpha);
                EXPECT_FLOAT_EQ(draws[0].scale_x, c.firstScale);
            }
            EXPECT_EQ(draws[0].red, 100);
            EXPECT_EQ(draws[0].green, 100);
            EXPECT_EQ(draws[0].blue, 100);
            EXPECT_EQ(draws[0].rotation, 0);
            ++frames;
        }
        EXPECT_EQ(frames, c.frames);
    }
}

TEST_F(EffectDrawing, ChainLabelReadsItsValueFor51Frames) {
    tchainfx::ini(300, 200, 12);
    int frames = 0;
    float lastScale = 0;
    for (int i = 0; i < 80; ++i) {
        game.Frame();
        for (const auto& t : game.Texts()) {
            if (t.text.find("CHAIN") == std::string::npos) continue;
            EXPECT_EQ(t.text, "12 CHAIN");
            EXPECT_GT(t.scale_x, lastScale) << "grows every frame";
            lastScale = t.scale_x;
            ++frames;
        }
    }
    EXPECT_EQ(frames, 51);
    EXPECT_NEAR(lastScale, 2.0f, 1e-4);
}

}  // namespace
