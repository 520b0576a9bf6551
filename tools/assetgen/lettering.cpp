// FreeType glyph rendering into masks. Glyphs are rendered at sub-pixel positions (through the
// outline transform) so spacing stays exact at every size.
#include "tools/assetgen/lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

namespace assetgen {

namespace {

constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) throw std::runtime_error("FreeType failed to start");
        return l;
    }();
    return lib;
}

FT_Face Open(Face face) {
    static std::map<std::string, FT_Face> faces;
    std::string path = FontPath(face);
    auto it = faces.find(path);
    if (it != faces.end()) return it->second;
    FT_Face f = nullptr;
    if (FT_New_Face(Library(), path.c_str(), 0, &f) != 0) {
        throw std::runtime_error("cannot open font " + path);
    }
    faces[path] = f;
    return f;
}

// Horizontal shear of the oblique face (tan of about 11 degrees).
constexpr double kSlant = 0.2;

void SetSize(FT_Face f, float size) {
    FT_Set_Char_Size(f, 0, static_cast<FT_F26Dot6>(std::lround(size * 64)), 72, 72);
}

}  // namespace

std::string FontPath(Face face) {
    switch (face) {
        case Face::kBold:
            return std::string(kFontDir) + "DejaVuSans-Bold.ttf";
        case Face::kBoldOblique:
            return std::string(kFontDir) + "DejaVuSans-Bold.ttf";
        case Face::kRegular:
            return std::string(kFontDir) + "DejaVuSans.ttf";
    }
    return {};
}

float TextWidth(Face face, float size, const std::string& text) {
    FT_Face f = Open(face);
    SetSize(f, size);
    FT_Set_Transform(f, nullptr, nullptr);
    float width = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(f, ch);
        if (previous && glyph && FT_HAS_KERNING(f)) {
            FT_Vector k;
            FT_Get_Kerning(f, previous, glyph, FT_KERNING_UNFITTED, &k);
            width += k.x / 64.0f;
        }
        FT_Load_Glyph(f, glyph, FT_LOAD_NO_HINTING);
        width += f->glyph->linearHoriAdvance / 65536.0f;
        previous = glyph;
    }
    return width;
}

float CapHeight(Face face, float size) {
    FT_Face f = Open(face);
    SetSize(f, size);
    FT_Set_Transform(f, nullptr, nullptr);
    FT_Load_Char(f, 'H', FT_LOAD_NO_HINTING);
    return f->glyph->metrics.horiBearingY / 64.0f;
}

void DrawTextMask(Mask& mask, Face face, float size, const std::string& text, float x,
                  float baseline, float tracking) {
    FT_Face f = Open(face);
    SetSize(f, size);
    float pen = x;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(f, ch);
        if (previous && glyph && FT_HAS_KERNING(f)) {
            FT_Vector k;
            FT_Get_Kerning(f, previous, glyph, FT_KERNING_UNFITTED, &k);
            pen += k.x / 64.0f;
        }
        // Integer pixel origin plus the fraction as an outline shift.
        float ox = std::floor(pen), oy = std::floor(baseline);
        FT_Vector delta{static_cast<FT_Pos>(std::lround((pen - ox) * 64)),
                        static_cast<FT_Pos>(std::lround(-(baseline - oy) * 64))};
        FT_Matrix slant{0x10000, static_cast<FT_Fixed>(kSlant * 0x10000), 0, 0x10000};
        FT_Set_Transform(f, face == Face::kBoldOblique ? &slant : nullptr, &delta);
        FT_Load_Glyph(f, glyph, FT_LOAD_NO_HINTING | FT_LOAD_RENDER);
        FT_GlyphSlot g = f->glyph;
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row) {
            for (unsigned col = 0; col < bm.width; ++col) {
                int mx = static_cast<int>(ox) + g->bitmap_left + static_cast<int>(col);
                int my = static_cast<int>(oy) - g->bitmap_top + static_cast<int>(row);
                if (mx < 0 || my < 0 || mx >= mask.width || my >= mask.height) continue;
                float c = bm.buffer[row * bm.pitch + col] / 255.0f;
                float& m = mask.At(mx, my);
                m = std::max(m, c);
            }
        }
        FT_Set_Transform(f, nullptr, nullptr);
        FT_Load_Glyph(f, glyph, FT_LOAD_NO_HINTING);
        pen += g->linearHoriAdvance / 65536.0f + tracking;
        previous = glyph;
    }
}

}  // namespace assetgen
