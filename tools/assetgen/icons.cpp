// The desktop icons. One drawing in proportions of the edge length, with the strokes held to
// a pixel or more and the fine detail (base plate, hub ring, trail) left out where it would only
// blur, so each size is drawn for its own grid.
#include "tools/assetgen/icons.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/encoders.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;

// The turret aims up and to the right, towards the ball it has just fired.
constexpr float kAim = -kPi / 4;

Mask ShapeMask(int size, const Sdf& sdf, float soft = 1.0f) {
    Mask m(size, size);
    FillShape(m, sdf, soft);
    return m;
}

Sdf RoundedBox(float x0, float y0, float x1, float y1, float r) {
    Sdf inner = Box(x0 + r, y0 + r, x1 - r, y1 - r);
    return [=](float x, float y) { return inner(x, y) - r; };
}

Sdf Grown(Sdf shape, float by) {
    return [=](float x, float y) { return shape(x, y) - by; };
}

// The shape turned by angle about (cx, cy); shapes are drawn facing +x, then turned.
Sdf Turned(Sdf shape, float cx, float cy, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return [=](float x, float y) {
        float dx = x - cx, dy = y - cy;
        return shape(cx + dx * c + dy * s, cy - dx * s + dy * c);
    };
}

Paint RadialShade(float cx, float cy, float r, const Rgba& inner, const Rgba& outer) {
    return [=](float x, float y) {
        return Mix(inner, outer, std::clamp(std::hypot(x - cx, y - cy) / r, 0.0f, 1.0f));
    };
}

Paint VerticalShade(float y0, float y1, const Rgba& top, const Rgba& bottom) {
    return [=](float, float y) {
        return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f));
    };
}

Canvas Icon(int size) {
    const float s = static_cast<float>(size);
    Canvas c(size, size);

    // The dark tile, with a near-black edge so it stands out on light desktops too.
    const float margin = size <= 16 ? 0.0f : std::round(s / 32);
    const float radius = std::max(2.5f, 0.16f * (s - 2 * margin));
    const float edge = std::max(1.0f, s / 96);
    Sdf tile = RoundedBox(margin, margin, s - margin, s - margin, radius);
    Sdf inside = Grown(tile, -edge);
    c.Draw(ShapeMask(size, tile), Hex(0x0E0E10));
    Mask inside_mask = ShapeMask(size, inside);
    c.Draw(inside_mask, VerticalShade(margin, s - margin, Hex(0x3A3A40), Hex(0x1C1C20)));

    const float cx = 0.44f * s, cy = 0.56f * s, r = 0.33f * s;
    auto turned = [&](Sdf shape) { return Turned(std::move(shape), cx, cy, kAim); };

    // The base plate under the turret, cut off by the tile, where there is room for its lines.
    if (size >= 32) {
        Canvas plate(size, size);
        const float pr = 0.62f * s;
        plate.Draw(ShapeMask(size, Circle(cx, cy, pr)), Hex(0x2A2A2E));
        plate.Draw(ShapeMask(size, Circle(cx, cy, pr - std::max(1.0f, s / 48))),
                   RadialShade(cx - 0.1f * s, cy - 0.1f * s, pr, Hex(0x46464C), Hex(0x35353A)));
        const float line = std::max(0.5f, s / 160);
        Sdf lines = Ring(cx, cy, 0.5f * s, line * 0.6f);
        for (int i = 0; i < 8; ++i) {
            float a = kAim + kPi / 8 + i * kPi / 4;
            lines = Union(lines, Segment(cx + (r + 0.04f * s) * std::cos(a),
                                         cy + (r + 0.04f * s) * std::sin(a), cx + pr * std::cos(a),
                                         cy + pr * std::sin(a), line));
        }
        plate.Draw(ShapeMask(size, lines), Hex(0x55555C));
        plate.Clip(inside_mask);
        for (size_t i = 0; i < c.px.size(); ++i) {
            const Rgba& p = plate.px[i];
            Rgba& d = c.px[i];
            d = Rgba{p.r + d.r * (1 - p.a), p.g + d.g * (1 - p.a), p.b + d.b * (1 - p.a),
                     p.a + d.a * (1 - p.a)};
        }
    }

    // The ball in flight, with its trail back to the barrel and a soft glow.
    const float bd = 0.53f * s;
    const float bx = cx + bd * std::cos(kAim), by = cy + bd * std::sin(kAim);
    const float br = std::max(1.6f, 0.075f * s);
    const Rgba white{1, 1, 1, 1};
    if (size >= 24) {
        float tx = cx + (r + 0.06f * s) * std::cos(kAim),
              ty = cy + (r + 0.06f * s) * std::sin(kAim);
        Mask trail = ShapeMask(size, Segment(tx, ty, bx, by, std::max(0.6f, 0.02f * s)));
        c.Draw(trail, [=](float x, float y) {
            float t = std::clamp(std::hypot(x - tx, y - ty) / bd * 2.0f, 0.0f, 1.0f);
            return Rgba{1, 1, 1, 0.1f + 0.35f * t};
        });
    }
    Mask ball = ShapeMask(size, Circle(bx, by, br));
    c.Draw(Blurred(ball, std::max(1, size / 32)), white, 0.7f);
    c.Draw(ball, RadialShade(bx - br / 3, by - br / 3, br * 1.4f, white, Hex(0xD6D6D6)));

    // The turret: a grey disc with an orange rim open towards the aim, the barrel in the gap.
    if (size >= 24) c.Draw(ShapeMask(size, Circle(cx, cy, r + 0.05f * s)), Hex(0x1A1A1E), 0.7f);
    // At the smallest size the mouth opens wider and darker, so the gap still reads.
    const bool tiny = size < 24;
    const float gap = (tiny ? 50 : 38) * kPi / 180;
    Sdf mouth = turned(Polygon({cx, cy, cx + 2 * r * std::cos(gap), cy - 2 * r * std::sin(gap),
                                cx + 2 * r * std::cos(gap), cy + 2 * r * std::sin(gap)}));
    c.Draw(ShapeMask(size, Circle(cx, cy, r)),
           RadialShade(cx - 0.25f * r, cy - 0.3f * r, 1.2f * r, Hex(0xB4B6BC), Hex(0x74767C)));
    c.Draw(ShapeMask(size, Intersect(Circle(cx, cy, r),
                                     Subtract(mouth, Circle(cx, cy, (tiny ? 0.0f : 0.45f) * r)))),
           Hex(tiny ? 0x2C2D31 : 0x46474C));
    const float barrel = tiny ? 0.8f : std::max(1.0f, 0.065f * s);
    // Small sizes have no room for the barrel's highlight, so the whole barrel is light.
    c.Draw(ShapeMask(size, turned(Box(cx, cy - barrel, cx + r + 0.04f * s, cy + barrel))),
           Hex(size >= 32 ? 0x5C5E64 : 0xB8BAC0));
    if (size >= 32) {
        c.Draw(ShapeMask(size, turned(Box(cx, cy - barrel, cx + r + 0.04f * s,
                                          cy - barrel + std::max(1.0f, 0.4f * barrel)))),
               Hex(0xA0A2A8));
    }
    const float rim = std::max(1.0f, 0.11f * r);
    c.Draw(ShapeMask(size, Subtract(Ring(cx, cy, r, rim), mouth)),
           VerticalShade(cy - r, cy + r, Hex(0xFFB060), Hex(0xD8680C)));
    // The hub, with its orange ring where it is big enough to read.
    const float hub = 0.38f * r;
    if (size >= 24) c.Draw(ShapeMask(size, Circle(cx, cy, hub)), Hex(0x5A5C62));
    if (size >= 32) {
        c.Draw(ShapeMask(size, Ring(cx, cy, hub * 0.88f, std::max(0.6f, 0.12f * hub))),
               Hex(0xFF8A1E));
        c.Draw(ShapeMask(size, Circle(cx - 0.2f * hub, cy - 0.2f * hub, 0.32f * hub)),
               Hex(0x9A9CA2));
    }
    return c;
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One image of an icon file as a device-independent bitmap: the header counts the colour rows
// and the mask's rows in its height; then the BGRA rows bottom up, then the 1-bit mask (rows
// padded to 32 bits, set where the picture is clear), which Windows still uses where it draws
// an icon without alpha.
std::vector<std::uint8_t> IconBitmap(int size, const std::vector<std::uint8_t>& rgba) {
    const std::uint32_t edge = static_cast<std::uint32_t>(size);
    const std::uint32_t mask_row = (edge + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, edge);
    Put32(out, edge * 2);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, 0);   // uncompressed
    Put32(out, edge * edge * 4 + mask_row * edge);
    for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution and palette: unused
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(mask_row, 0);
        for (int x = 0; x < size; ++x) {
            if (rgba[(static_cast<size_t>(y) * size + x) * 4 + 3] == 0) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

const std::vector<int>& IconSizes() {
    static const std::vector<int> sizes = {16, 24, 32, 48, 64, 128, 256};
    return sizes;
}

std::string IconFileName(int size) {
    return "zandor-" + std::to_string(size) + ".png";
}

const std::vector<int>& WindowsIconSizes() {
    static const std::vector<int> sizes = {16, 24, 32, 48, 64, 256};
    return sizes;
}

void WriteWindowsIcon(const std::string& path) {
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : WindowsIconSizes()) {
        const std::vector<std::uint8_t> rgba = Icon(size).ToRgba8(Hex(0x1C1C20));
        // Windows reads PNG images in icons from Vista on; at 256 pixels a bitmap would be
        // a quarter of a megabyte.
        images.push_back(size >= 256 ? EncodePng(size, size, rgba) : IconBitmap(size, rgba));
    }
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // an icon, not a cursor
    Put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int size = WindowsIconSizes()[i];
        out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));  // 0 stands for 256
        out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<std::uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    WriteFile(path, out);
}

void WriteIcons(const std::string& dir) {
    for (int size : IconSizes()) {
        Canvas c = Icon(size);
        std::string path = (std::filesystem::path(dir) / IconFileName(size)).string();
        WritePng(path, size, size, c.ToRgba8(Hex(0x1C1C20)));
    }
}

}  // namespace assetgen
