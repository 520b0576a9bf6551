// Float pictures and anti-aliased shapes for the asset generator.
//
// Shapes are signed-distance functions (negative inside); filling one turns the distance into a
// one-pixel soft edge, so every outline is anti-aliased without supersampling. A Mask holds
// coverage only; a Canvas holds premultiplied RGBA and receives masks painted with a colour.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace assetgen {

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

// A colour from a 0xRRGGBB value, fully opaque.
Rgba Hex(std::uint32_t rgb, float alpha = 1.0f);
Rgba Mix(const Rgba& a, const Rgba& b, float t);

struct Mask {
    int width = 0, height = 0;
    std::vector<float> cover;

    Mask(int w, int h) : width(w), height(h), cover(static_cast<size_t>(w) * h, 0.0f) {}
    float& At(int x, int y) { return cover[static_cast<size_t>(y) * width + x]; }
    float At(int x, int y) const { return cover[static_cast<size_t>(y) * width + x]; }
    // Coverage outside the mask is 0.
    float Get(int x, int y) const;
};

using Sdf = std::function<float(float x, float y)>;
using Paint = std::function<Rgba(float x, float y)>;

// Union (max) of the shape's coverage into the mask; pixel centres are at +0.5.
// `soft` widens the edge ramp beyond one pixel.
void FillShape(Mask& mask, const Sdf& shape, float soft = 1.0f);

// Shapes; all distances in pixels.
Sdf Circle(float cx, float cy, float r);
Sdf Ring(float cx, float cy, float r, float half_width);
Sdf Segment(float x0, float y0, float x1, float y1, float half_width);
Sdf Box(float x0, float y0, float x1, float y1);
Sdf Polygon(std::vector<float> xy);  // x0, y0, x1, y1, ... closed, any winding
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
Sdf Intersect(Sdf a, Sdf b);

// Mask operations.
Mask Blurred(const Mask& mask, int radius, int passes = 3);  // repeated box blur
Mask Dilated(const Mask& mask, float radius);                // grows the shape by radius
void Scale(Mask& mask, float factor);
void Multiply(Mask& mask, const Mask& by);
void SubtractMask(Mask& mask, const Mask& minus);

struct Canvas {
    int width = 0, height = 0;
    std::vector<Rgba> px;  // premultiplied

    Canvas(int w, int h) : width(w), height(h), px(static_cast<size_t>(w) * h, Rgba{0, 0, 0, 0}) {}
    Rgba& At(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
    const Rgba& At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }

    // Covers every pixel with an unpremultiplied paint (replacing what was there).
    void Fill(const Paint& paint);
    // Composites paint through the mask "over" what is there, scaled by opacity.
    void Draw(const Mask& mask, const Paint& paint, float opacity = 1.0f);
    void Draw(const Mask& mask, const Rgba& colour, float opacity = 1.0f);
    // Multiplies the canvas' alpha (and so its premultiplied colour) by the mask.
    void Clip(const Mask& mask);

    // 8-bit straight RGBA. Fully transparent pixels take the colour of their nearest visible
    // neighbour (or `ground` when there is none), so filtered scaling never shows dark fringes.
    std::vector<std::uint8_t> ToRgba8(const Rgba& ground) const;
};

// Deterministic noise in [0, 1) for a pixel and a seed.
float Hash01(int x, int y, int seed);

}  // namespace assetgen
