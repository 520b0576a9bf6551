// Pixel collision: positions, transparency, scale, mirroring, rotation, alpha threshold,
// layers and ids. Graphics are opened on the recording driver so the render transform (which
// collision copies) is live.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "engine/graphics/collision.h"
#include "engine/graphics/image.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/graphics/render.h"

namespace {

class CollisionTest : public testing::Test {
  protected:
    void SetUp() override { ResetCollisions(0); }
    void TearDown() override { ResetCollisions(0); }
    TRecordingGraphics gfx_;
};

// A w x h RGBA image, opaque where `opaque(x, y)` says, handle at (hx, hy).
template <typename F>
std::shared_ptr<TImage> Shape(int w, int h, F opaque, float hx = 0, float hy = 0) {
    auto p = TPixmap::Create(w, h, PF_RGBA8888);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) p->WritePixel(x, y, opaque(x, y) ? 0xffffffff : 0x00ffffff);
    }
    auto image = TImage::Load(p, IMAGE_MASKED, 0, 0, 0);
    SetImageHandle(image, hx, hy);
    return image;
}

std::shared_ptr<TImage> Solid(int w, int h, float hx = 0, float hy = 0) {
    return Shape(
        w, h, [](int, int) { return true; }, hx, hy);
}

std::shared_ptr<void> Tag(const char* name) {
    return std::make_shared<std::string>(name);
}

std::string Names(const TCollisionIds& ids) {
    std::string out;
    for (const auto& id : ids) out += id ? *static_cast<std::string*>(id.get()) : "-";
    return out;
}

TEST_F(CollisionTest, OpaqueSquaresByOffset) {
    auto a = Solid(30, 30);
    auto b = Solid(30, 30);
    struct Case {
        int dx, dy, hit;
    } cases[] = {
        {0, 0, 1},   {29, 0, 1},  {30, 0, 0},  {-29, 0, 1}, {-30, 0, 0}, {0, 29, 1},  {0, 30, 0},
        {0, -29, 1}, {0, -30, 0}, {29, 29, 1}, {29, 30, 0}, {100, 0, 0}, {-31, 5, 0}, {15, -15, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ImagesCollide(a, 200, 200, 0, b, 200 + c.dx, 200 + c.dy, 0), c.hit)
            << "offset " << c.dx << "," << c.dy;
    }
}

TEST_F(CollisionTest, TransparentTexelsNeverHit) {
    // Left half opaque, right half clear.
    auto half = Shape(30, 30, [](int x, int) { return x < 15; });
    auto block = Solid(10, 10);
    struct Case {
        int x, hit;
    } cases[] = {{0, 1}, {5, 1}, {14, 1}, {15, 0}, {20, 0}, {29, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ImagesCollide(half, 0, 0, 0, block, c.x, 10, 0), c.hit) << "x " << c.x;
        // The order of the two images does not matter.
        EXPECT_EQ(ImagesCollide(block, c.x, 10, 0, half, 0, 0, 0), c.hit) << "x " << c.x;
    }
    auto clear = Shape(30, 30, [](int, int) { return false; });
    EXPECT_EQ(ImagesCollide(clear, 0, 0, 0, Solid(30, 30), 0, 0, 0), 0);
}

TEST_F(CollisionTest, AlphaThresholdIsHalfInEveryAlphaFormat) {
    for (int format : {PF_RGBA8888, PF_BGRA8888, PF_A8}) {
        for (int alpha : {0, 1, 127, 128, 200, 255}) {
            auto p = TPixmap::Create(8, 8, format);
            p->ClearPixels(static_cast<std::uint32_t>(alpha) << 24 | 0xffffff);
            auto image = TImage::Load(p, IMAGE_MASKED, 0, 0, 0);
            EXPECT_EQ(ImagesCollide(image, 0, 0, 0, Solid(8, 8), 0, 0, 0), alpha >= 128 ? 1 : 0)
                << "format " << format << " alpha " << alpha;
        }
    }
}

TEST_F(CollisionTest, BuffersWithoutAlphaAreSolid) {
    // Black RGB pixels: solid when stored unmasked, clear when the image masks black away.
    auto black = TPixmap::Create(10, 10, PF_RGB888);
    black->ClearPixels(0xff000000);
    auto unmasked = TImage::Load(black, 0, 0, 0, 0);
    auto masked = TImage::Load(black, IMAGE_MASKED, 0, 0, 0);
    auto block = Solid(4, 4);
    EXPECT_EQ(ImagesCollide(unmasked, 0, 0, 0, block, 3, 3, 0), 1);
    EXPECT_EQ(ImagesCollide(masked, 0, 0, 0, block, 3, 3, 0), 0);
}

TEST_F(CollisionTest, EmptyAndMissingImagesNeverHit) {
    auto block = Solid(10, 10);
    EXPECT_EQ(ImagesCollide(Solid(0, 10), 2, 0, 0, block, 0, 0, 0), 0);
    EXPECT_EQ(ImagesCollide(Solid(10, 0), 0, 2, 0, block, 0, 0, 0), 0);
    EXPECT_EQ(ImagesCollide(nullptr, 0, 0, 0, block, 0, 0, 0), 0);
    EXPECT_EQ(ImagesCollide(block, 0, 0, 0, block, 0, 0, 3), 0);  // no frame 3
    EXPECT_EQ(ImagesCollide(block, 0, 0, 0, block, 0, 0, 0), 1);
}

TEST_F(CollisionTest, ScaleAppliesToBothImages) {
    auto a = Solid(30, 30, 15, 15);
    auto b = Solid(30, 30, 15, 15);
    EXPECT_EQ(ImagesCollide(a, 100, 100, 0, b, 150, 100, 0), 0);
    SetScale(2, 2);
    EXPECT_EQ(ImagesCollide(a, 100, 100, 0, b, 150, 100, 0), 1);
    EXPECT_EQ(ImagesCollide(a, 100, 100, 0, b, 160, 100, 0), 0);
    SetScale(1, 1);
    EXPECT_EQ(ImagesCollide(a, 100, 100, 0, b, 150, 100, 0), 0);

    // The same through the transformed form, which leaves the render state as it was.
    SetRotation(10);
    SetScale(0.5f, 3);
    EXPECT_EQ(ImagesCollideTransformed(a, 100, 100, 0, 0, 2, 2, b, 150, 100, 0, 0, 2, 2), 1);
    EXPECT_EQ(ImagesCollideTransformed(a, 100, 100, 0, 0, 1, 1, b, 150, 100, 0, 0, 1, 1), 0);
    // Scaling only the first by 2.5 reaches x 137.5, past the second's left edge at 135;
    // scaling only the second by 1.5 starts it at 127.5, past the first's right edge at 115.
    EXPECT_EQ(ImagesCollideTransformed(a, 100, 100, 0, 0, 2.5f, 1, b, 150, 100, 0, 0, 1, 1), 1);
    EXPECT_EQ(ImagesCollideTransformed(a, 100, 100, 0, 0, 1, 1, b, 150, 100, 0, 0, 1.5f, 1), 0);
    EXPECT_EQ(GetRotation(), 10.0f);
    float sx, sy;
    GetScale(sx, sy);
    EXPECT_EQ(sx, 0.5f);
    EXPECT_EQ(sy, 3.0f);
    float ix, iy, jx, jy, cix, ciy, cjx, cjy;
    GetTransform(ix, iy, jx, jy);
    GetCollisionTransform(cix, ciy, cjx, cjy);
    EXPECT_EQ(ix, cix);
    EXPECT_EQ(iy, ciy);
    EXPECT_EQ(jx, cjx);
    EXPECT_EQ(jy, cjy);
    SetRotation(0);
    SetScale(1, 1);
}

TEST_F(CollisionTest, ScaledMaskMapsTexelsToTheRightPixels) {
    // A 2x2 mask with only the top-left texel opaque, drawn 10 times larger: the opaque
    // square covers (0,0)-(10,10) relative to the image.
    auto corner = Shape(2, 2, [](int x, int y) { return x == 0 && y == 0; });
    auto probe = Solid(3, 3);
    struct Case {
        int x, y, hit;
    } cases[] = {{1, 1, 1}, {7, 7, 1}, {8, 0, 1}, {10, 1, 0}, {1, 10, 0}, {12, 12, 0}, {15, 3, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ImagesCollideTransformed(corner, 50, 50, 0, 0, 10, 10, probe, 50 + c.x, 50 + c.y,
                                           0, 0, 1, 1),
                  c.hit)
            << c.x << "," << c.y;
    }
}

TEST_F(CollisionTest, DownscaledMaskSamplesTexelsAtPixelCentres) {
    // A 4x4 mask with only texel (1,1) opaque, drawn at half size over 2x2 pixels: the centre
    // of pixel (0,0) lies on texel (1,1), every other pixel centre on a clear texel.
    auto dot = Shape(4, 4, [](int x, int y) { return x == 1 && y == 1; });
    auto probe = Solid(1, 1);
    struct Case {
        int x, y, hit;
    } cases[] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ImagesCollideTransformed(dot, 50, 50, 0, 0, 0.5f, 0.5f, probe, 50 + c.x, 50 + c.y,
                                           0, 0, 1, 1),
                  c.hit)
            << c.x << "," << c.y;
    }
}

TEST_F(CollisionTest, NegativeScaleMirrors) {
    // Opaque left half, mid-handled at (100, 100): unmirrored it covers x 85..100, mirrored
    // along x it covers 100..115; mirrored along y as well changes nothing for a full-height
    // half.
    auto half = Shape(
        30, 30, [](int x, int) { return x < 15; }, 15, 15);
    auto probe = Solid(6, 6);
    struct Case {
        float sx, sy;
        int probe_x, hit;
    } cases[] = {
        {1, 1, 88, 1},    {1, 1, 106, 0}, {-1, 1, 88, 0},  {-1, 1, 106, 1},
        {-1, -1, 106, 1}, {1, -1, 88, 1}, {-2, 1, 120, 1}, {-2, 1, 75, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ImagesCollideTransformed(half, 100, 100, 0, 0, c.sx, c.sy, probe, c.probe_x, 97,
                                           0, 0, 1, 1),
                  c.hit)
            << "scale " << c.sx << "," << c.sy << " probe at " << c.probe_x;
    }
}

TEST_F(CollisionTest, RotationUsesTheTurnedShapeNotItsBox) {
    // A 40x40 square centred on (100, 100); turned 45 degrees it is a diamond reaching
    // 28.28 pixels along the axes.
    auto square = Solid(40, 40, 20, 20);
    auto probe = Solid(3, 3);
    struct Case {
        float rotation;
        int x, y, hit;
    } cases[] = {
        {0, 81, 81, 1},  {45, 81, 81, 0},   // a corner of the square, outside the diamond
        {0, 123, 99, 0}, {45, 123, 99, 1},  // beyond the square, inside the diamond's tip
        {90, 81, 81, 1}, {45, 99, 74, 1},  {45, 99, 68, 0}, {-45, 123, 99, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ImagesCollideTransformed(square, 100, 100, 0, c.rotation, 1, 1, probe, c.x, c.y,
                                           0, 0, 1, 1),
                  c.hit)
            << "rotation " << c.rotation << " probe " << c.x << "," << c.y;
    }
}

TEST_F(CollisionTest, OriginMovesEveryQuad) {
    auto a = Solid(10, 10);
    SetOrigin(300, 0);
    // Both images move, so their relation is unchanged.
    EXPECT_EQ(ImagesCollide(a, 0, 0, 0, a, 5, 5, 0), 1);
    // A stored quad keeps the origin it was made under.
    ResetCollisions(0);
    CollideRect(0, 0, 10, 10, 0, 1, Tag("r"));
    SetOrigin(0, 0);
    EXPECT_EQ(Names(CollideRect(302, 2, 2, 2, 1, 0)), "r");
    EXPECT_EQ(Names(CollideRect(2, 2, 2, 2, 1, 0)), "");
}

TEST_F(CollisionTest, AbsurdTransformsStayDefined) {
    // Huge, infinite and NaN transforms must neither crash nor run away; huge ones still hit.
    auto a = Solid(10, 10, 5, 5);
    auto probe = Solid(2, 2);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(ImagesCollideTransformed(a, 0, 0, 0, 0, 1e30f, 1e30f, probe, 1000, 1000, 0, 0, 1, 1),
              1);
    EXPECT_EQ(ImagesCollideTransformed(a, 0, 0, 0, 0, 1e30f, 1e30f, a, 0, 0, 0, 0, -1e30f, 1e30f),
              1);
    for (float bad : {inf, -inf, nan}) {
        ImagesCollideTransformed(a, 0, 0, 0, bad, bad, 1, probe, 0, 0, 0, 0, 1, 1);
        ImagesCollideTransformed(a, 0, 0, 0, 0, 1, 1, probe, 0, 0, 0, bad, bad, bad);
    }
}

TEST_F(CollisionTest, LayersReportIdsLowestLayerFirstNewestFirst) {
    auto a = Solid(20, 20);
    // "a" stored in layers 0, 3 and 5; "b" in layer 3 after it; "c" in layer 3 far away.
    CollideImage(a, 0, 0, 0, 0, 1u << 0 | 1u << 3 | 1u << 5, Tag("a"));
    CollideImage(a, 10, 10, 0, 0, 1u << 3, Tag("b"));
    CollideImage(a, 500, 500, 0, 0, 1u << 3, Tag("c"));
    const std::uint32_t all = 1u << 0 | 1u << 3 | 1u << 5;

    EXPECT_EQ(Names(CollideRect(12, 12, 4, 4, all, 0)), "abaa");
    EXPECT_EQ(Names(CollideRect(2, 2, 4, 4, all, 0)), "aaa");
    EXPECT_EQ(Names(CollideRect(2, 2, 4, 4, 1u << 3, 0)), "a");
    EXPECT_EQ(Names(CollideRect(505, 505, 4, 4, all, 0)), "c");
    EXPECT_EQ(Names(CollideRect(300, 300, 4, 4, all, 0)), "");
    EXPECT_EQ(Names(CollideRect(12, 12, 4, 4, 1u << 7, 0)), "");

    // A probe that writes is tested before it is stored: it never hits itself.
    EXPECT_EQ(Names(CollideRect(12, 12, 4, 4, 1u << 9, 1u << 9, Tag("d"))), "");
    EXPECT_EQ(Names(CollideRect(12, 12, 4, 4, 1u << 9, 0)), "d");

    ResetCollisions(1u << 3);
    EXPECT_EQ(Names(CollideRect(12, 12, 4, 4, all, 0)), "aa");
    ResetCollisions(0);
    EXPECT_EQ(Names(CollideRect(12, 12, 4, 4, all | 1u << 9, 0)), "");
}

TEST_F(CollisionTest, StoredQuadsReleaseTheirIdsWhenCleared) {
    auto id = Tag("x");
    std::weak_ptr<void> weak = id;
    CollideRect(0, 0, 5, 5, 0, 1u << 2, id);
    id.reset();
    EXPECT_FALSE(weak.expired());
    ResetCollisions(1u << 2);
    EXPECT_TRUE(weak.expired());
}

TEST_F(CollisionTest, StoredQuadsSeeLaterChangesToTheirMask) {
    auto image = Solid(10, 10);
    CollideImage(image, 0, 0, 0, 0, 1, Tag("s"));
    EXPECT_EQ(Names(CollideRect(4, 4, 2, 2, 1, 0)), "s");
    image->pixmaps[0]->ClearPixels(0);
    EXPECT_EQ(Names(CollideRect(4, 4, 2, 2, 1, 0)), "");
}

TEST_F(CollisionTest, QuadsFromCoordinatesInAnyWinding) {
    TQuad square, probe;
    square.SetCoords(0, 0, 20, 0, 20, 20, 0, 20);
    EXPECT_EQ(square.minx, 0.0f);
    EXPECT_EQ(square.maxy, 20.0f);
    probe.SetCoords(5, 5, 8, 5, 8, 8, 5, 8);
    EXPECT_EQ(QuadsCollide(square, probe), 1);
    // The same corners listed the other way round (as a mirror produces).
    TQuad reversed;
    reversed.SetCoords(0, 20, 20, 20, 20, 0, 0, 0);
    EXPECT_EQ(QuadsCollide(reversed, probe), 1);
    EXPECT_EQ(QuadsCollide(probe, reversed), 1);
    // Boxes that only touch go on to the pixel test and find nothing.
    TQuad touching;
    touching.SetCoords(20, 0, 40, 0, 40, 20, 20, 20);
    EXPECT_EQ(QuadsCollide(square, touching), 0);
    // A degenerate quad covers no pixel.
    TQuad line;
    line.SetCoords(10, 0, 10, 0, 10, 20, 10, 20);
    EXPECT_EQ(QuadsCollide(square, line), 0);
}

}  // namespace
