// The HUD's draw calls: strip, life bar track and bar with its colour by life, score and best
// chain texts, and the render state it leaves behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/graphics/render.h"
#include "game/globals.h"
#include "game/hud.h"
#include "tools/headless/harness.h"

namespace {

struct TLine {
    float x0, y0, x1, y1;
    float width;
    int red, green, blue;
    float alpha;
};

// The lines of the recorded calls with the line width in force at each.
std::vector<TLine> linesOf(const std::vector<TRecordedCall>& calls) {
    std::vector<TLine> lines;
    float width = -1;
    for (const TRecordedCall& c : calls) {
        if (c.kind == TDrawKind::SetLineWidth) width = c.args[0];
        if (c.kind != TDrawKind::DrawLine) continue;
        lines.push_back({c.screen[0], c.screen[1], c.screen[2], c.screen[3], width, c.red, c.green,
                         c.blue, c.alpha});
    }
    return lines;
}

class HudDraw : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(game_.StartUpFailure(), "");
        game_.StartNewGame();
        game_.Frame();
    }
    void drawOnly() {
        game_.Draws().ClearCalls();
        drawHud();
    }
    TGameHarness game_;
};

TEST_F(HudDraw, LifeBarLengthAndColourFollowLife) {
    struct Case {
        int life;
        float endX;
        int red, green, blue;
    };
    const std::vector<Case> cases = {
        {50, 760, 0, 200, 255}, {40, 720, 0, 200, 255}, {30, 680, 0, 200, 255},
        {20, 640, 255, 100, 0}, {10, 600, 255, 0, 0},   {0, 560, 0, 0, 0},
        {35, 700, 0, 0, 0},  // not a value play produces: the track's black stays
    };
    for (const Case& c : cases) {
        life = c.life;
        drawOnly();
        const auto lines = linesOf(game_.Draws().Calls());
        ASSERT_EQ(lines.size(), 2u) << c.life;
        const TLine& track = lines[0];
        EXPECT_EQ(track.x0, 560);
        EXPECT_EQ(track.y0, 584);
        EXPECT_EQ(track.x1, 760);
        EXPECT_EQ(track.y1, 584);
        EXPECT_EQ(track.width, 12);
        EXPECT_EQ(track.alpha, 0.5f);
        EXPECT_EQ(track.red + track.green + track.blue, 0);
        const TLine& bar = lines[1];
        EXPECT_EQ(bar.x0, 560) << c.life;
        EXPECT_EQ(bar.y0, 584) << c.life;
        EXPECT_EQ(bar.x1, c.endX) << c.life;
        EXPECT_EQ(bar.y1, 584) << c.life;
        EXPECT_EQ(bar.width, 10) << c.life;
        EXPECT_EQ(bar.alpha, 1) << c.life;
        EXPECT_EQ(bar.red, c.red) << c.life;
        EXPECT_EQ(bar.green, c.green) << c.life;
        EXPECT_EQ(bar.blue, c.blue) << c.life;
    }
}

TEST_F(HudDraw, StripLiesAlongTheBottomEdge) {
    drawOnly();
    const auto strips = game_.Draws().DrawsOf(displayImg);
    ASSERT_EQ(strips.size(), 1u);
    const TRecordedCall& strip = strips[0];
    // 800x35 centred on (400, 584)
    EXPECT_EQ(strip.screen[0], 0);
    EXPECT_EQ(strip.screen[1], 584 - 17.5f);
    EXPECT_EQ(strip.scale_x, 1);
    EXPECT_EQ(strip.rotation, 0);
    EXPECT_EQ(strip.alpha, 1);
    EXPECT_EQ(strip.red + strip.green + strip.blue, 3 * 255);
    // The strip comes first, under the bar and the numbers.
    const auto& calls = game_.Draws().Calls();
    size_t firstLine = calls.size();
    size_t stripAt = calls.size();
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].kind == TDrawKind::DrawLine && firstLine == calls.size()) firstLine = i;
        if (calls[i].Draws(displayImg)) stripAt = i;
    }
    EXPECT_LT(stripAt, firstLine);
}

TEST_F(HudDraw, ScoreAndBestChainAreDrawnInFullAtTwiceTheSize) {
    struct Case {
        std::int64_t score;
        int bestChain;
        std::string scoreText, chainText;
    };
    const std::vector<Case> cases = {
        {0, 0, "0", "0"},
        {30, 4, "30", "4"},
        {5'000'000'000LL, 123, "5000000000", "123"},  // past the 32-bit range
    };
    for (const Case& c : cases) {
        score = c.score;
        bestChain = c.bestChain;
        drawOnly();
        const auto texts = game_.Texts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0].text, c.scoreText);
        EXPECT_EQ(texts[0].x, 110);
        EXPECT_EQ(texts[0].y, 570);
        EXPECT_EQ(texts[1].text, c.chainText);
        EXPECT_EQ(texts[1].x, 400);
        EXPECT_EQ(texts[1].y, 570);
        for (const auto& t : texts) {
            EXPECT_EQ(t.scale_x, 2);
            EXPECT_EQ(t.scale_y, 2);
            EXPECT_EQ(t.alpha, 0.8f);
            EXPECT_EQ(t.red + t.green + t.blue, 3 * 255);
        }
    }
}

TEST_F(HudDraw, LeavesScaleTwoAlphaPointEightWhite) {
    life = 10;
    drawOnly();
    float sx = 0, sy = 0;
    GetScale(sx, sy);
    EXPECT_EQ(sx, 2);
    EXPECT_EQ(sy, 2);
    EXPECT_EQ(GetAlpha(), 0.8f);
    int r = 0, g = 0, b = 0;
    GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
    EXPECT_EQ(GetRotation(), 0);
}

}  // namespace
