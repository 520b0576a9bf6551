// Bitmap-font text: the built-in font's glyph images, loaded-font glyphs made on first use,
// and the text calls that place glyphs along the current matrix.
#include "engine/graphics/text.h"

#include <cmath>

#include "engine/graphics/font_data.h"
#include "engine/graphics/image.h"
#include "engine/graphics/image_frame.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/tela2d.h"
#include "engine/system/maths.h"

namespace {

constexpr int kFirstChar = 32;
constexpr int kGlyphCount = 96;
constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;

TFontLoader*& FontLoaders() {
    static TFontLoader* first = nullptr;
    return first;
}

std::shared_ptr<TImageFont>& DefaultFontSlot() {
    static auto* font = new std::shared_ptr<TImageFont>;
    return *font;
}

TImageFont* ActiveFont() {
    TTela2DGraphics* g = CurrentTela2DGraphics();
    if (g && g->image_font) return g->image_font.get();
    return DefaultImageFont().get();
}

}  // namespace

TFontLoader::TFontLoader() {
    _succ = FontLoaders();
    FontLoaders() = this;
}

TFontLoader::~TFontLoader() {
    for (TFontLoader** p = &FontLoaders(); *p; p = &(*p)->_succ) {
        if (*p == this) {
            *p = _succ;
            break;
        }
    }
}

void TImageGlyph::GetRect(int& x, int& y, int& width, int& height) const {
    x = _x;
    y = _y;
    width = _w;
    height = _h;
}

int TImageFont::Style() const {
    return _src_font ? _src_font->Style() : 0;
}
int TImageFont::Height() const {
    return _src_font ? _src_font->Height() : kCellHeight;
}
int TImageFont::CountGlyphs() const {
    return static_cast<int>(_glyphs.size());
}

int TImageFont::CharToGlyph(int ch) const {
    if (_src_font) return _src_font->CharToGlyph(ch);
    if (ch < kFirstChar || ch >= kFirstChar + kGlyphCount) return -1;
    return ch - kFirstChar;
}

std::shared_ptr<TImageGlyph> TImageFont::LoadGlyph(int index) {
    if (index < 0 || index >= CountGlyphs()) return nullptr;
    std::shared_ptr<TImageGlyph>& slot = _glyphs[static_cast<std::size_t>(index)];
    if (slot || !_src_font) return slot;
    std::shared_ptr<TGlyph> src = _src_font->LoadGlyph(index);
    auto glyph = std::make_shared<TImageGlyph>();
    if (src) {
        glyph->_advance = src->Advance();
        src->GetRect(glyph->_x, glyph->_y, glyph->_w, glyph->_h);
        if (std::shared_ptr<TPixmap> pixels = src->Pixels()) {
            glyph->_image = TImage::Load(pixels->Copy(), _imageFlags, 0, 0, 0);
        }
    }
    slot = glyph;
    return slot;
}

void TImageFont::Draw(const std::string& text, float x, float y, float ix, float iy, float jx,
                      float jy) {
    for (unsigned char c : text) {
        const int index = CharToGlyph(c);
        if (index < 0) continue;
        std::shared_ptr<TImageGlyph> glyph = LoadGlyph(index);
        if (!glyph) continue;
        if (glyph->_image) {
            if (std::shared_ptr<TImageFrame> frame = glyph->_image->Frame(0)) {
                const float gx = static_cast<float>(glyph->_x);
                const float gy = static_cast<float>(glyph->_y);
                frame->Draw(0, 0, static_cast<float>(glyph->_image->width),
                            static_cast<float>(glyph->_image->height), x + gx * ix + gy * iy,
                            y + gx * jx + gy * jy);
            }
        }
        x += ix * glyph->_advance;
        y += jx * glyph->_advance;
    }
}

std::shared_ptr<TImageFont> TImageFont::Load(const std::string& url, int size, int style) {
    for (TFontLoader* loader = FontLoaders(); loader; loader = loader->_succ) {
        std::shared_ptr<TFont> src = loader->LoadFont(url, size, style);
        if (!src) continue;
        auto font = std::make_shared<TImageFont>();
        font->_src_font = src;
        font->_glyphs.resize(static_cast<std::size_t>(std::max(src->CountGlyphs(), 0)));
        font->_imageFlags = (style & 16) ? (IMAGE_FILTERED | IMAGE_MIPMAPPED) : 0;
        return font;
    }
    return nullptr;
}

std::shared_ptr<TImageFont> TImageFont::CreateDefault() {
    const std::uint8_t* bytes = DefaultFontData();
    std::shared_ptr<TPixmap> sheet =
        TPixmap::Create(kGlyphCount * kCellWidth, kCellHeight, PF_RGBA8888);
    for (int r = 0; r < kCellHeight; ++r) {
        for (int j = 0; j < kGlyphCount; ++j) {
            const int row_bits = bytes[r * kGlyphCount + j];
            for (int k = 0; k < kCellWidth; ++k) {
                const bool ink = (row_bits >> k) & 1;
                std::uint8_t* p = sheet->PixelPtr(j * kCellWidth + k, r);
                p[0] = p[1] = p[2] = p[3] = ink ? 255 : 0;
            }
        }
    }
    auto font = std::make_shared<TImageFont>();
    font->_glyphs.reserve(kGlyphCount);
    for (int i = 0; i < kGlyphCount; ++i) {
        auto glyph = std::make_shared<TImageGlyph>();
        glyph->_advance = static_cast<float>(kCellWidth);
        glyph->_w = kCellWidth;
        glyph->_h = kCellHeight;
        std::shared_ptr<TPixmap> cell = sheet->Window(i * kCellWidth, 0, kCellWidth, kCellHeight);
        glyph->_image = TImage::Load(cell->Copy(), 0, 0, 0, 0);
        font->_glyphs.push_back(glyph);
    }
    return font;
}

std::shared_ptr<TImageFont> DefaultImageFont() {
    std::shared_ptr<TImageFont>& font = DefaultFontSlot();
    if (!font) font = TImageFont::CreateDefault();
    return font;
}

void DrawText(const std::string& text, float x, float y) {
    TTela2DGraphics* g = CurrentTela2DGraphics();
    if (!g || !g->_driver) return;
    TImageFont* font = g->image_font ? g->image_font.get() : DefaultImageFont().get();
    const float hx = g->handle_x, hy = g->handle_y;
    font->Draw(text, x + g->origin_x + hx * g->tform_ix + hy * g->tform_iy,
               y + g->origin_y + hx * g->tform_jx + hy * g->tform_jy, g->tform_ix, g->tform_iy,
               g->tform_jx, g->tform_jy);
}

int TextWidth(const std::string& text) {
    TImageFont* font = ActiveFont();
    int width = 0;
    for (unsigned char c : text) {
        const int index = font->CharToGlyph(c);
        if (index < 0) continue;
        std::shared_ptr<TImageGlyph> glyph = font->LoadGlyph(index);
        if (!glyph) continue;
        width = TruncateToInt(static_cast<double>(width) + glyph->_advance);
    }
    return width;
}

int TextHeight() {
    return ActiveFont()->Height();
}

void SetImageFont(const std::shared_ptr<TImageFont>& font) {
    TTela2DGraphics* g = CurrentTela2DGraphics();
    if (!g) return;
    g->image_font = font ? font : DefaultImageFont();
}

std::shared_ptr<TImageFont> GetImageFont() {
    TTela2DGraphics* g = CurrentTela2DGraphics();
    if (g && g->image_font) return g->image_font;
    return DefaultImageFont();
}

std::shared_ptr<TImageFont> LoadImageFont(const std::string& url, int size, int style) {
    return TImageFont::Load(url, size, style);
}
