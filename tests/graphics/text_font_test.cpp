// The built-in font file and the text calls: glyph bytes, glyph images, widths, and where
// DrawText puts each glyph under scale, rotation, handle and origin.
#include <gtest/gtest.h>

#include "engine/graphics/font_data.h"
#include "engine/graphics/image.h"
#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/graphics/render.h"
#include "engine/graphics/text.h"
#include "engine/system/stream.h"
#include "tests/support/scoped_clock.h"

namespace {

std::uint8_t FontByte(int ch, int row) {
    return DefaultFontData()[row * 96 + (ch - 32)];
}

TEST(BuiltInFont, GlyphsTheGameShowsHaveTheirExactRows) {
    // Rows 2..10 of the glyphs the game prints; every other row of these is empty.
    const struct {
        char ch;
        std::uint8_t rows[9];
    } glyphs[] = {
        {'0', {0x7C, 0xC6, 0xC6, 0xE6, 0xD6, 0xCE, 0xC6, 0xC6, 0x7C}},
        {'4', {0x20, 0x30, 0x38, 0x34, 0x32, 0x32, 0x7E, 0x30, 0x30}},
        {'7', {0xFE, 0xC0, 0xC0, 0x60, 0x30, 0x18, 0x0C, 0x06, 0x06}},
        {'-', {0x00, 0x00, 0x00, 0x00, 0x00, 0x7E, 0x00, 0x00, 0x00}},
        {'!', {0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x00, 0x18, 0x18}},
        {'A', {0x7C, 0xC6, 0xC6, 0xC6, 0xFE, 0xC6, 0xC6, 0xC6, 0xC6}},
        {'G', {0x7C, 0xC6, 0x06, 0x06, 0x06, 0xE6, 0xC6, 0xC6, 0x7C}},
        {'L', {0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0xFE}},
        {'N', {0xC6, 0xC6, 0xCE, 0xDE, 0xFE, 0xF6, 0xE6, 0xC6, 0xC6}},
        {'T', {0x7E, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18}},
    };
    for (const auto& g : glyphs) {
        SCOPED_TRACE(g.ch);
        for (int row = 0; row < 16; ++row) {
            const std::uint8_t expected = row >= 2 && row <= 10 ? g.rows[row - 2] : 0;
            EXPECT_EQ(FontByte(g.ch, row), expected) << "row " << row;
        }
    }
    for (int row = 0; row < 16; ++row) EXPECT_EQ(FontByte(' ', row), 0);
}

TEST(BuiltInFont, EveryGlyphKeepsToTheCellLayout) {
    for (int ch = 33; ch < 127; ++ch) {
        SCOPED_TRACE(static_cast<char>(ch));
        int ink = 0;
        for (int row = 0; row < 16; ++row) {
            const bool allowed = row >= 2 && row <= 12;
            if (!allowed) {
                EXPECT_EQ(FontByte(ch, row), 0) << "row " << row;
            }
            ink += FontByte(ch, row) != 0;
        }
        EXPECT_GT(ink, 0) << "every printable glyph shows something";
        if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) {
            EXPECT_EQ(FontByte(ch, 11) | FontByte(ch, 12), 0) << "capitals and digits: rows 2-10";
        }
    }
}

TEST(BuiltInFont, IsRegisteredAsAnEmbeddedFile) {
    RegisterDefaultFontFile();
    RegisterDefaultFontFile();  // once only
    EXPECT_EQ(EmbeddedFileSize(kDefaultFontName), kDefaultFontBytes);
    EXPECT_EQ(EmbeddedFileData(kDefaultFontName), DefaultFontData());
}

TEST(BuiltInFont, GlyphImagesAreTheBitsAsOpaqueWhiteOnClear) {
    std::shared_ptr<TImageFont> font = TImageFont::CreateDefault();
    ASSERT_EQ(font->CountGlyphs(), 96);
    for (int i = 0; i < 96; ++i) {
        std::shared_ptr<TImageGlyph> glyph = font->LoadGlyph(i);
        ASSERT_TRUE(glyph && glyph->_image);
        const TImage& image = *glyph->_image;
        ASSERT_EQ(image.width, 8);
        ASSERT_EQ(image.height, 16);
        EXPECT_EQ(image.flags, 0) << "unmasked, unfiltered: hard pixels when scaled";
        EXPECT_EQ(image.handle_x, 0.0f);
        EXPECT_EQ(glyph->_advance, 8.0f);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool ink = (FontByte(32 + i, y) >> x) & 1;
                ASSERT_EQ(image.pixmaps[0]->ReadPixel(x, y), ink ? 0xFFFFFFFFu : 0u)
                    << "glyph " << i << " at " << x << "," << y;
            }
        }
    }
}

TEST(BuiltInFont, CharactersMapToGlyphsOnlyInsidePrintableAscii) {
    std::shared_ptr<TImageFont> font = DefaultImageFont();
    const std::pair<int, int> cases[] = {{0, -1},  {9, -1},   {10, -1},  {31, -1},  {32, 0},
                                         {65, 33}, {127, 95}, {128, -1}, {233, -1}, {-1, -1}};
    for (auto [ch, glyph] : cases) EXPECT_EQ(font->CharToGlyph(ch), glyph) << ch;
    EXPECT_EQ(font->Height(), 16);
    EXPECT_EQ(font->Style(), 0);
}

TEST(TextDrawing, WidthCountsEightPerPrintableCharacter) {
    const std::pair<std::string, int> cases[] = {
        {"", 0},
        {"0123456789", 80},
        {"a b c d e ", 80},
        {"\tA\n", 8},
        {"caf\xC3\xA9", 24},  // the two bytes of a non-ASCII letter have no glyph
        {std::string(1, '\x7F'), 8},
    };
    for (const auto& [text, width] : cases) EXPECT_EQ(TextWidth(text), width) << text;
    EXPECT_EQ(TextHeight(), 16);
    EXPECT_FALSE(LoadImageFont("incbin::no-such-font.ttf", 12)) << "no font loader accepts it";
}

class TextOnScreen : public testing::Test {
  protected:
    TextOnScreen() { gfx.driver().ClearCalls(); }
    std::vector<TRecordedCall> Glyphs() { return gfx.driver().CallsOf(TDrawKind::DrawImage); }

    TScopedVirtualClock clock;
    TRecordingGraphics gfx;
};

TEST_F(TextOnScreen, ScaleAndRotationMoveThePenAlongTheBaseline) {
    struct Case {
        float rotation, scale;
        float step_x, step_y;      // pen advance per character
        float corner_x, corner_y;  // the first glyph's bottom-right corner, relative
    };
    const Case cases[] = {
        {0, 1, 8, 0, 8, 16},
        {0, 5, 40, 0, 40, 80},
        {90, 1, 0, 8, -16, 8},  // the text runs downwards
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rotation << " deg x" << c.scale);
        gfx.driver().ClearCalls();
        SetRotation(c.rotation);
        SetScale(c.scale, c.scale);
        DrawText("HI!", 100, 200);
        const auto glyphs = Glyphs();
        ASSERT_EQ(glyphs.size(), 3u);
        for (std::size_t i = 0; i < glyphs.size(); ++i) {
            EXPECT_NEAR(glyphs[i].screen[0], 100 + c.step_x * i, 1e-4);
            EXPECT_NEAR(glyphs[i].screen[1], 200 + c.step_y * i, 1e-4);
        }
        EXPECT_NEAR(glyphs[0].screen[4], 100 + c.corner_x, 1e-4);
        EXPECT_NEAR(glyphs[0].screen[5], 200 + c.corner_y, 1e-4);
        const auto texts = gfx.driver().Texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, "HI!");
        EXPECT_EQ(texts[0].scale_x, c.scale);
    }
}

TEST_F(TextOnScreen, UnknownCharactersNeitherDrawNorAdvance) {
    DrawText("A\tB\xC3\xA9 C", 0, 0);
    const auto glyphs = Glyphs();
    ASSERT_EQ(glyphs.size(), 4u);  // A, B, space, C
    const float xs[] = {0, 8, 16, 24};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(glyphs[i].screen[0], xs[i]);
    EXPECT_EQ(gfx.driver().Texts()[0].text, "AB C");
}

TEST_F(TextOnScreen, HandleIsScaledWithTheTextAndOriginIsAdded) {
    SetScale(2, 2);
    SetHandle(4, 8);
    SetOrigin(1000, 0);
    DrawText("X", 10, 20);
    const auto glyphs = Glyphs();
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_EQ(glyphs[0].screen[0], 1010 - 8);
    EXPECT_EQ(glyphs[0].screen[1], 20 - 16);
}

TEST_F(TextOnScreen, ColourAndAlphaInForceAreRecordedWithTheText) {
    SetColor(255, 0, 0);
    SetAlpha(0.25f);
    DrawText("7", 1, 2);
    SetColor(0, 255, 0);
    DrawRect(0, 0, 1, 1);
    DrawText("8", 3, 4);
    const auto texts = gfx.driver().Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "7");
    EXPECT_EQ(texts[0].red, 255);
    EXPECT_EQ(texts[0].alpha, 0.25f);
    EXPECT_EQ(texts[1].green, 255);
    EXPECT_EQ(texts[1].x, 3);
}

TEST_F(TextOnScreen, NullFontSelectsTheBuiltInOne) {
    SetImageFont(nullptr);
    EXPECT_EQ(GetImageFont(), DefaultImageFont());
}

}  // namespace
