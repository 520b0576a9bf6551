// Bitmap-font text drawn as a row of glyph images through the same path as DrawImage, so it
// follows the current colour, alpha, blend, scale, rotation, origin and handle.
#pragma once

#include <memory>
#include <string>
#include <vector>

class TImage;
class TPixmap;

// An outline or bitmap source glyph supplied by a font loader.
class TGlyph {
  public:
    virtual ~TGlyph() = default;
    // The glyph's pixels as a pixmap (null for a blank glyph).
    virtual std::shared_ptr<TPixmap> Pixels() = 0;
    virtual float Advance() = 0;
    virtual void GetRect(int& x, int& y, int& width, int& height) = 0;
};

class TFont {
  public:
    virtual ~TFont() = default;
    virtual int Style() = 0;
    virtual int Height() = 0;
    virtual int CountGlyphs() = 0;
    virtual int CharToGlyph(int ch) = 0;
    virtual std::shared_ptr<TGlyph> LoadGlyph(int index) = 0;
};

// A font loader links itself into the chain (newest first) when it is constructed.
class TFontLoader {
  public:
    TFontLoader();
    virtual ~TFontLoader();
    virtual std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style) = 0;
    TFontLoader* _succ = nullptr;
};

class TImageGlyph {
  public:
    std::shared_ptr<TImage> _image;  // null for a blank glyph
    float _advance = 0.0f;
    int _x = 0, _y = 0;
    int _w = 0, _h = 0;

    std::shared_ptr<TImage> Pixels() const { return _image; }
    float Advance() const { return _advance; }
    void GetRect(int& x, int& y, int& width, int& height) const;
};

class TImageFont {
  public:
    std::shared_ptr<TFont> _src_font;  // null for the built-in font
    std::vector<std::shared_ptr<TImageGlyph>> _glyphs;
    int _imageFlags = 0;

    int Style() const;
    int Height() const;
    int CountGlyphs() const;
    // -1 when the character has no glyph.
    int CharToGlyph(int ch) const;
    std::shared_ptr<TImageGlyph> LoadGlyph(int index);
    // (x, y) is the top-left of the first glyph; the pen moves along the matrix's x axis.
    void Draw(const std::string& text, float x, float y, float ix, float iy, float jx, float jy);

    [[nodiscard]] static std::shared_ptr<TImageFont> Load(const std::string& url, int size,
                                                          int style);
    // The 8x16 built-in font for characters 32..127.
    static std::shared_ptr<TImageFont> CreateDefault();
};

// The built-in font, made on first use and shared by every graphics.
std::shared_ptr<TImageFont> DefaultImageFont();

void DrawText(const std::string& text, float x, float y);
int TextWidth(const std::string& text);
int TextHeight();
// Null selects the built-in font.
void SetImageFont(const std::shared_ptr<TImageFont>& font);
std::shared_ptr<TImageFont> GetImageFont();
// Null when no font loader accepts the url.
[[nodiscard]] std::shared_ptr<TImageFont> LoadImageFont(const std::string& url, int size,
                                                        int style = 0);
