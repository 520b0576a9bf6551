// What the OpenGL driver actually paints, read back from the back buffer: image placement
// under rotation, blending, the mask test, scissoring, ovals, line ends and scaled text.
#include <gtest/gtest.h>

#include "engine/graphics/font_data.h"
#include "engine/graphics/image.h"
#include "engine/graphics/text.h"
#include "tests/support/gl_window.h"

namespace {

using GLDraw = GLWindowTest;

std::shared_ptr<TImage> ImageFrom(const std::shared_ptr<TPixmap>& pixmap) {
    return TImage::Load(pixmap, 0, 0, 0, 0);
}

TEST_F(GLDraw, MidHandledImageTurnedNinetyDegreesLandsWhereTheMatrixSays) {
    // 20x10: left half red, right half blue.
    std::shared_ptr<TPixmap> pixmap = TPixmap::Create(20, 10, PF_RGBA8888);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) pixmap->WritePixel(x, y, x < 10 ? 0xFFFF0000u : 0xFF0000FFu);
    }
    std::shared_ptr<TImage> image = ImageFrom(pixmap);
    MidHandleImage(image);
    SetRotation(90);
    DrawImage(image, 400, 300);
    SetRotation(0);
    // Local x runs down the screen, local y runs right to left: a 10 wide, 20 tall block.
    struct Probe {
        int x, y;
        std::uint32_t rgb;
    } probes[] = {
        {400, 291, 0xFF0000}, {396, 299, 0xFF0000}, {404, 290, 0xFF0000}, {400, 309, 0x0000FF},
        {395, 300, 0x0000FF}, {404, 305, 0x0000FF}, {400, 288, 0x000000}, {400, 311, 0x000000},
        {393, 300, 0x000000}, {406, 300, 0x000000},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(Rgb(Pixel(p.x, p.y)), p.rgb) << p.x << "," << p.y;
    }
}

TEST_F(GLDraw, HalfAlphaBlendsByTruncatedByte) {
    SetClsColor(0, 0, 200);
    Cls();
    SetBlend(BLEND_ALPHA);
    SetColor(255, 255, 255);
    SetAlpha(0.5f);
    DrawRect(10, 10, 20, 20);
    const std::uint32_t p = Pixel(15, 15);
    // Source alpha byte 127: 255 * 127/255 = 127 over black, plus 200 * 128/255 over blue.
    EXPECT_NEAR(Red(p), 127, 1);
    EXPECT_NEAR(Green(p), 127, 1);
    EXPECT_NEAR(Blue(p), 127 + 200 * 128 / 255, 1);
    SetBlend(BLEND_LIGHT);
    SetAlpha(1);
    SetColor(100, 0, 0);
    DrawRect(10, 10, 20, 20);
    EXPECT_NEAR(Red(Pixel(15, 15)), 227, 1) << "additive";
}

TEST_F(GLDraw, MaskBlendDropsTexelsBelowHalfAlpha) {
    std::shared_ptr<TPixmap> pixmap = TPixmap::Create(3, 1, PF_RGBA8888);
    pixmap->WritePixel(0, 0, 0x7FFF0000u);  // alpha 127: dropped
    pixmap->WritePixel(1, 0, 0x8000FF00u);  // alpha 128: kept, written opaque
    pixmap->WritePixel(2, 0, 0x000000FFu);  // alpha 0: dropped
    std::shared_ptr<TImage> image = ImageFrom(pixmap);
    SetBlend(BLEND_MASK);
    SetScale(10, 10);
    DrawImage(image, 100, 100);
    SetScale(1, 1);
    EXPECT_EQ(Rgb(Pixel(105, 105)), 0x000000u);
    EXPECT_EQ(Rgb(Pixel(115, 105)), 0x00FF00u);
    EXPECT_EQ(Rgb(Pixel(125, 105)), 0x000000u);
}

TEST_F(GLDraw, PartialViewportScissorsDrawing) {
    SetViewport(100, 120, 50, 30);
    SetColor(255, 255, 255);
    DrawRect(0, 0, 800, 600);
    SetViewport(0, 0, 800, 600);
    const struct {
        int x, y;
        bool lit;
    } probes[] = {{100, 120, true},  {149, 149, true},  {99, 130, false},
                  {150, 130, false}, {120, 119, false}, {120, 150, false}};
    for (const auto& p : probes) {
        EXPECT_EQ(Rgb(Pixel(p.x, p.y)) != 0, p.lit) << p.x << "," << p.y;
    }
    DrawRect(0, 0, 1, 1);
    EXPECT_NE(Rgb(Pixel(0, 0)), 0u) << "the full viewport switches clipping off";
}

TEST_F(GLDraw, TenByTenOvalIsARoundTwelveSidedDisc) {
    SetColor(255, 255, 255);
    DrawOval(100, 200, 10, 10);
    std::shared_ptr<TPixmap> area = GrabPixmap(98, 198, 14, 14);
    int lit = 0, outside = 0;
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 14; ++x) {
            if (Rgb(area->ReadPixel(x, y)) == 0) continue;
            ++lit;
            if (x < 2 || x >= 12 || y < 2 || y >= 12) ++outside;
        }
    }
    // A 12-gon of radius 5 covers 75 square pixels.
    EXPECT_NEAR(lit, 75, 8);
    EXPECT_EQ(outside, 0);
    EXPECT_NE(Rgb(area->ReadPixel(7, 7)), 0u);
    EXPECT_EQ(Rgb(area->ReadPixel(2, 2)), 0u) << "corners stay dark";
    EXPECT_EQ(Rgb(area->ReadPixel(11, 11)), 0u);
}

TEST_F(GLDraw, LineLightsItsLastPixelOnlyWhenAsked) {
    SetColor(255, 255, 255);
    DrawLine(10, 10, 20, 10, 1);
    DrawLine(10, 30, 20, 30, 0);
    for (int x = 10; x < 20; ++x) {
        EXPECT_NE(Rgb(Pixel(x, 10)), 0u) << x;
        EXPECT_NE(Rgb(Pixel(x, 30)), 0u) << x;
    }
    EXPECT_NE(Rgb(Pixel(20, 10)), 0u);
    EXPECT_EQ(Rgb(Pixel(20, 30)), 0u) << "GL leaves the end pixel out";
    EXPECT_EQ(Rgb(Pixel(21, 10)), 0u);
}

TEST_F(GLDraw, ScaledTextIsHardBlocksOfTheGlyphBits) {
    SetBlend(BLEND_ALPHA);
    SetColor(255, 255, 255);
    SetScale(5, 5);
    DrawText("A4", 100, 100);
    SetScale(1, 1);
    const std::uint8_t* font = DefaultFontData();
    std::shared_ptr<TPixmap> area = GrabPixmap(100, 100, 80, 80);
    for (int glyph = 0; glyph < 2; ++glyph) {
        const int ch = glyph == 0 ? 'A' : '4';
        for (int row = 0; row < 16; ++row) {
            for (int bit = 0; bit < 8; ++bit) {
                const bool ink = (font[row * 96 + ch - 32] >> bit) & 1;
                // Every pixel of the 5x5 block, edges included, has the bit's colour.
                for (int dy = 0; dy < 5; ++dy) {
                    for (int dx = 0; dx < 5; ++dx) {
                        const int x = glyph * 40 + bit * 5 + dx, y = row * 5 + dy;
                        if (y >= 80) continue;
                        ASSERT_EQ(Rgb(area->ReadPixel(x, y)), ink ? 0xFFFFFFu : 0u)
                            << static_cast<char>(ch) << " row " << row << " bit " << bit;
                    }
                }
            }
        }
    }
}

TEST_F(GLDraw, TextBlendModesShowInkOnlyOrTheWholeCell) {
    // Glyph '-' has ink only in row 7, columns 1-6.
    struct Case {
        int blend;
        float alpha;
        std::uint32_t ink, background;  // expected over a blue clear colour
    };
    const Case cases[] = {
        {BLEND_ALPHA, 1.0f, 0xFF0000, 0x0000C8},
        {BLEND_ALPHA, 0.5f, 0x7F0064, 0x0000C8},
        {BLEND_SOLID, 1.0f, 0xFF0000, 0x000000},  // the cell is an opaque box
        {BLEND_MASK, 1.0f, 0xFF0000, 0x0000C8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blend);
        SetClsColor(0, 0, 200);
        Cls();
        SetBlend(c.blend);
        SetColor(255, 0, 0);
        SetAlpha(c.alpha);
        SetScale(4, 4);
        DrawText("-", 100, 100);
        SetScale(1, 1);
        const std::uint32_t ink = Rgb(Pixel(100 + 4 * 3 + 1, 100 + 4 * 7 + 1));
        const std::uint32_t background = Rgb(Pixel(100 + 4 * 3 + 1, 100 + 4 * 3 + 1));
        EXPECT_NEAR(Red(ink), Red(c.ink), 1);
        EXPECT_NEAR(Blue(ink), Blue(c.ink), 1);
        EXPECT_EQ(background, c.background);
    }
}

TEST_F(GLDraw, ShadeMultipliesAndPolygonsNeedThreePoints) {
    SetClsColor(200, 100, 50);
    Cls();
    SetBlend(BLEND_SHADE);
    SetColor(128, 255, 0);
    DrawRect(0, 0, 10, 10);
    const std::uint32_t shaded = Pixel(5, 5);
    EXPECT_NEAR(Red(shaded), 200 * 128 / 255, 1);
    EXPECT_EQ(Green(shaded), 100);
    EXPECT_EQ(Blue(shaded), 0);

    SetBlend(BLEND_SOLID);
    SetColor(255, 255, 255);
    DrawPoly({300, 300, 340, 300});                 // two points: nothing
    DrawPoly({300, 300, 340, 300, 340, 340, 300});  // odd count: nothing
    EXPECT_EQ(Rgb(Pixel(335, 305)), 0xC86432u);
    DrawPoly({300, 300, 340, 300, 340, 340});
    EXPECT_EQ(Rgb(Pixel(335, 305)), 0xFFFFFFu);
    EXPECT_EQ(Rgb(Pixel(305, 335)), 0xC86432u) << "outside the triangle";
}

TEST_F(GLDraw, PixmapRoundTripsThroughTheBackBuffer) {
    std::shared_ptr<TPixmap> pixmap = TPixmap::Create(4, 3, PF_RGB888);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            pixmap->WritePixel(x, y, 0xFF000000u | (x * 60 << 16) | (y * 90 << 8));
    }
    DrawPixmap(pixmap, 50, 60);
    std::shared_ptr<TPixmap> back = GrabPixmap(50, 60, 4, 3);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->format, PF_RGBA8888);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(Rgb(back->ReadPixel(x, y)), Rgb(pixmap->ReadPixel(x, y))) << x << "," << y;
        }
    }
    EXPECT_EQ(GetBlend(), BLEND_MASK) << "the blend mode is restored";

    // Partly off the top-left corner: the visible part still lands in place.
    DrawPixmap(pixmap, -2, -1);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(Rgb(Pixel(x, y)), Rgb(pixmap->ReadPixel(x + 2, y + 1))) << x << "," << y;
        }
    }

    // Grabbing across the top-left corner: the part outside the window holds no pixels, so it
    // reads as transparent black, not as whatever the allocator last left in that memory (a
    // freed buffer of the same size, left all white, is the likeliest to be handed out).
    TPixmap::Create(4, 4, PF_RGBA8888)->ClearPixels(0xFFFFFFFFu);
    std::shared_ptr<TPixmap> corner = GrabPixmap(-2, -2, 4, 4);
    ASSERT_TRUE(corner);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const std::uint32_t expected = x < 2 || y < 2 ? 0u : pixmap->ReadPixel(x, y - 1);
            EXPECT_EQ(corner->ReadPixel(x, y), expected) << x << "," << y;
        }
    }
}

}  // namespace
