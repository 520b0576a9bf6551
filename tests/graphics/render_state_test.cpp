// Render-state setters and getters and what each draw call hands the driver, checked on the
// recording driver: handles, origin, the matrix, image corners, tiling and frame creation.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/graphics/image.h"
#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/graphics/render.h"
#include "engine/graphics/tela2d.h"
#include "tests/support/scoped_clock.h"

namespace {

class RenderState : public testing::Test {
  protected:
    RenderState() { gfx.driver().ClearCalls(); }
    TRecordingDriver& driver() { return gfx.driver(); }
    TRecordedCall Last(TDrawKind kind) {
        auto calls = driver().CallsOf(kind);
        EXPECT_FALSE(calls.empty()) << DrawKindName(kind);
        return calls.empty() ? TRecordedCall{} : calls.back();
    }

    TScopedVirtualClock clock;
    TRecordingGraphics gfx;
};

void ExpectPoints(const std::vector<float>& actual, const std::vector<float>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-4) << "coordinate " << i;
    }
}

std::shared_ptr<TImage> MakeImage(int width, int height, bool midhandle) {
    std::shared_ptr<TImage> image = TImage::Create(width, height, 1, 0, 0, 0, 0);
    if (midhandle) MidHandleImage(image);
    return image;
}

TEST_F(RenderState, GettersReturnWhatWasSetUnclamped) {
    SetColor(300, -5, 128);
    SetAlpha(1.5f);
    SetClsColor(-1, 256, 7);
    SetBlend(BLEND_LIGHT);
    SetLineWidth(3.5f);
    SetViewport(10, 20, 30, 40);
    SetOrigin(1.5f, -2.5f);
    SetHandle(10, -4);
    SetRotationScale(45, 2, 3);

    int r, g, b, x, y, w, h;
    float fx, fy;
    GetColor(r, g, b);
    EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({300, -5, 128}));
    EXPECT_EQ(GetAlpha(), 1.5f);
    GetClsColor(r, g, b);
    EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({-1, 256, 7}));
    EXPECT_EQ(GetBlend(), BLEND_LIGHT);
    EXPECT_EQ(GetLineWidth(), 3.5f);
    GetViewport(x, y, w, h);
    EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({10, 20, 30, 40}));
    GetOrigin(fx, fy);
    EXPECT_EQ(fx, 1.5f);
    EXPECT_EQ(fy, -2.5f);
    GetHandle(fx, fy);
    EXPECT_EQ(fx, 10.0f);
    EXPECT_EQ(fy, -4.0f);
    EXPECT_EQ(CurrentTela2DGraphics()->handle_x, -10.0f) << "stored negated";
    EXPECT_EQ(GetRotation(), 45.0f);
    GetScale(fx, fy);
    EXPECT_EQ(fx, 2.0f);
    EXPECT_EQ(fy, 3.0f);
    // The driver receives the raw values; clamping is its business.
    EXPECT_EQ(Last(TDrawKind::SetColor).args, (std::vector<float>{300, -5, 128}));
    EXPECT_EQ(Last(TDrawKind::SetAlpha).args, std::vector<float>{1.5f});
}

TEST_F(RenderState, MatrixFollowsRotationAndScale) {
    struct Case {
        float rotation, sx, sy;
        float local_x, local_y;
        float screen_x, screen_y;  // relative to the drawing position
    };
    const Case cases[] = {
        {0, 1, 1, 1, 0, 1, 0},     {90, 1, 1, 1, 0, 0, 1},          {90, 1, 1, 0, 1, -1, 0},
        {180, 1, 1, 1, 2, -1, -2}, {0, 2, 3, 1, 1, 2, 3},           {90, 2, 3, 1, 1, -3, 2},
        {-90, 1, 1, 1, 0, 0, -1},  {30, 1, 1, 2, 0, 1.7320508f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rotation << " deg, scale " << c.sx << "," << c.sy);
        SetRotation(c.rotation);
        SetScale(c.sx, c.sy);
        float ix, iy, jx, jy, cix, ciy, cjx, cjy;
        GetTransform(ix, iy, jx, jy);
        GetCollisionTransform(cix, ciy, cjx, cjy);
        EXPECT_EQ(std::vector<float>({ix, iy, jx, jy}), std::vector<float>({cix, ciy, cjx, cjy}))
            << "collision sees the same matrix";
        ExpectPoints(Last(TDrawKind::SetTransform).args, {ix, iy, jx, jy});
        DrawRect(100, 100, c.local_x, c.local_y);
        const TRecordedCall rect = Last(TDrawKind::DrawRect);
        // Corner 2 of the rectangle is the local point (w, h).
        ExpectPoints({rect.screen[4], rect.screen[5]}, {100 + c.screen_x, 100 + c.screen_y});
    }
}

TEST_F(RenderState, PrimitivesGetHandleAndOrigin) {
    SetHandle(10, 10);
    DrawRect(100, 100, 20, 20);
    ExpectPoints(Last(TDrawKind::DrawRect).screen, {90, 90, 110, 90, 110, 110, 90, 110});
    ExpectPoints(Last(TDrawKind::DrawRect).args, {-10, -10, 10, 10, 100, 100});

    SetOrigin(5, 7);
    DrawOval(0, 0, 10, 10);
    ExpectPoints(Last(TDrawKind::DrawOval).args, {-10, -10, 0, 0, 5, 7});
    Plot(1, 2);  // points ignore the handle and the matrix
    ExpectPoints(Last(TDrawKind::Plot).args, {6, 9});
    DrawPoly({0, 0, 4, 0, 4, 4});
    ExpectPoints(Last(TDrawKind::DrawPoly).args, {-10, -10, 5, 7, 0, 0, 4, 0, 4, 4});
}

TEST_F(RenderState, LineLightsItsLastPixelThroughTheMatrix) {
    struct Case {
        float rotation;
        int last_pixel;
        std::vector<float> plot;  // empty: no point drawn
    };
    const Case cases[] = {
        {0, 1, {30, 15}},
        {90, 1, {10, 35}},  // the 20-pixel run along x turns to run down y
        {0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        driver().ClearCalls();
        SetRotation(c.rotation);
        DrawLine(10, 15, 30, 15, c.last_pixel);
        ExpectPoints(Last(TDrawKind::DrawLine).args, {0, 0, 20, 0, 10, 15});
        const auto plots = driver().CallsOf(TDrawKind::Plot);
        if (c.plot.empty()) {
            EXPECT_TRUE(plots.empty());
        } else {
            ASSERT_EQ(plots.size(), 1u);
            ExpectPoints(plots[0].args, c.plot);
            EXPECT_EQ(driver().Calls().back().kind, TDrawKind::Plot) << "after the line";
        }
    }
}

TEST_F(RenderState, ImagesUseTheirOwnHandleNotSetHandle) {
    std::shared_ptr<TImage> image = MakeImage(31, 20, true);
    EXPECT_EQ(image->handle_x, 15.5f);
    SetHandle(100, 100);
    SetOrigin(1, 2);
    DrawImage(image, 50, 60);
    const TRecordedCall draw = Last(TDrawKind::DrawImage);
    EXPECT_TRUE(draw.Draws(image));
    ExpectPoints(draw.args, {-15.5f, -10, 15.5f, 10, 51, 62});

    // Mid-handled and turned 90 degrees: the image spins about its centre.
    SetRotation(90);
    DrawImage(image, 50, 60);
    ExpectPoints(Last(TDrawKind::DrawImage).screen, {61, 46.5f, 61, 77.5f, 41, 77.5f, 41, 46.5f});

    SetRotation(0);
    DrawImageRect(image, 0, 0, 100, 40);
    ExpectPoints(Last(TDrawKind::DrawImage).args, {-15.5f, -10, 84.5f, 30, 1, 2});
}

TEST_F(RenderState, FramesAreMadeOncePerOpenedGraphicsAndNullDrawsNothing) {
    std::shared_ptr<TImage> image = MakeImage(8, 8, false);
    DrawImage(image, 0, 0);
    DrawImage(image, 1, 1);
    EXPECT_EQ(driver().CallsOf(TDrawKind::CreateFrame).size(), 1u);
    EXPECT_EQ(driver().DrawsOf(image).size(), 2u);

    OpenGraphics(800, 600, 0, 60, 0);
    driver().ClearCalls();
    DrawImage(image, 0, 0);
    EXPECT_EQ(driver().CallsOf(TDrawKind::CreateFrame).size(), 1u) << "remade after reopening";

    std::shared_ptr<TImage> other = MakeImage(8, 8, false);
    driver().fail_frames = true;
    DrawImage(other, 0, 0);
    DrawImage(other, 0, 0);
    DrawImage(image, 0, 5, 3);  // no such frame
    EXPECT_EQ(driver().CallsOf(TDrawKind::CreateFrame).size(), 3u) << "a failed frame is retried";
    EXPECT_EQ(driver().CallsOf(TDrawKind::DrawImage).size(), 1u);
}

TEST_F(RenderState, TileImageCoversTheViewportUnrotatedAndRestoresTheMatrix) {
    std::shared_ptr<TImage> image = MakeImage(64, 64, false);
    SetViewport(100, 50, 200, 100);
    SetRotation(30);
    SetScale(2, 2);
    driver().ClearCalls();
    TileImage(image, 10.25f, 3);
    const auto tiles = driver().CallsOf(TDrawKind::DrawImage);
    // Columns start at the last tile edge at or left of x=100 (10 + 64k), rows likewise.
    std::vector<float> lefts, tops;
    for (const TRecordedCall& t : tiles) {
        EXPECT_EQ(std::vector<float>({t.ix, t.iy, t.jx, t.jy}), std::vector<float>({1, 0, 0, 1}));
        EXPECT_EQ(t.args[2], 64.0f);
        if (t.args[5] == tiles[0].args[5]) lefts.push_back(t.args[4]);
        if (t.args[4] == tiles[0].args[4]) tops.push_back(t.args[5]);
    }
    EXPECT_EQ(lefts, (std::vector<float>{74.25f, 138.25f, 202.25f, 266.25f}));
    EXPECT_EQ(tops, (std::vector<float>{3, 67, 131}));
    EXPECT_EQ(tiles.size(), lefts.size() * tops.size());
    float ix, iy, jx, jy;
    GetTransform(ix, iy, jx, jy);
    ExpectPoints(driver().Calls().back().args, {ix, iy, jx, jy});
    EXPECT_NEAR(ix, 2 * std::cos(30 * M_PI / 180), 1e-5);
}

TEST_F(RenderState, TileImageCoversTheViewportEdgeFromEitherSide) {
    // 64x64 tiles over a viewport at (0, 0): the first tile must start within one tile before
    // the edge, wherever the tiled position lies; whole tiles left of the edge included.
    std::shared_ptr<TImage> image = MakeImage(64, 64, false);
    SetViewport(0, 0, 200, 100);
    struct Case {
        float at, first;
    } cases[] = {{10, -54},   {-63, -63},        {-100, -36}, {-127, -63},
                 {-191, -63}, {-126.5f, -62.5f}, {-128, 0}};
    for (const Case& c : cases) {
        driver().ClearCalls();
        TileImage(image, c.at, c.at);
        const auto tiles = driver().CallsOf(TDrawKind::DrawImage);
        ASSERT_FALSE(tiles.empty()) << c.at;
        EXPECT_EQ(tiles[0].args[4], c.first) << "left, tiled at " << c.at;
        EXPECT_EQ(tiles[0].args[5], c.first) << "top, tiled at " << c.at;
    }
}

TEST_F(RenderState, EachGraphicsKeepsItsOwnStateAcrossSwitches) {
    std::shared_ptr<TGraphics> first = gfx.graphics();
    SetColor(10, 20, 30);
    SetRotation(45);
    std::shared_ptr<TGraphics> second = CreateGraphics(320, 200, 0, 0, 0);
    ASSERT_TRUE(second);
    SetGraphics(second);
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(r, 255) << "a new graphics starts from the defaults";
    EXPECT_EQ(GetRotation(), 0.0f);
    driver().ClearCalls();
    SetGraphics(first);
    GetColor(r, g, b);
    EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({10, 20, 30}));
    EXPECT_EQ(Last(TDrawKind::SetColor).args, (std::vector<float>{10, 20, 30}))
        << "switching back re-sends the stored state";
    EXPECT_TRUE(driver().CallsOf(TDrawKind::Cls).empty()) << "buffers are cleared only once";
    CloseGraphics(second);
}

TEST(RenderWithoutGraphics, DrawingBeforeGraphicsOpenMakesNoFrame) {
    TScopedVirtualClock clock;
    TRecordingGraphics gfx(false);
    std::shared_ptr<TImage> image = MakeImage(4, 4, false);
    DrawImage(image, 0, 0);
    EXPECT_TRUE(gfx.driver().Calls().empty());
    EXPECT_FALSE(image->frames[0]);
    OpenGraphics(800, 600, 0, 60, 0);
    DrawImage(image, 0, 0);
    EXPECT_EQ(gfx.driver().CallsOf(TDrawKind::CreateFrame).size(), 1u);
}

}  // namespace
