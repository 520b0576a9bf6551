// Anti-aliased shapes, masks and compositing for the asset generator.
#include "tools/assetgen/canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Rgba Hex(std::uint32_t rgb, float alpha) {
    return Rgba{((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f,
                alpha};
}

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
    return Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
                a.a + (b.a - a.a) * t};
}

float Mask::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
    return At(x, y);
}

void FillShape(Mask& mask, const Sdf& shape, float soft) {
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float d = shape(x + 0.5f, y + 0.5f);
            float c = std::clamp(0.5f - d / soft, 0.0f, 1.0f);
            float& m = mask.At(x, y);
            m = std::max(m, c);
        }
    }
}

Sdf Circle(float cx, float cy, float r) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Sdf Ring(float cx, float cy, float r, float half_width) {
    return [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r) - half_width; };
}

Sdf Segment(float x0, float y0, float x1, float y1, float half_width) {
    return [=](float x, float y) {
        float ex = x1 - x0, ey = y1 - y0;
        float wx = x - x0, wy = y - y0;
        float len2 = ex * ex + ey * ey;
        float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
        return std::hypot(wx - ex * t, wy - ey * t) - half_width;
    };
}

Sdf Box(float x0, float y0, float x1, float y1) {
    float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
    return [=](float x, float y) {
        float dx = std::fabs(x - cx) - hx, dy = std::fabs(y - cy) - hy;
        float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
        return outside + std::min(std::max(dx, dy), 0.0f);
    };
}

Sdf Polygon(std::vector<float> xy) {
    return [xy = std::move(xy)](float px, float py) {
        size_t n = xy.size() / 2;
        float d = (px - xy[0]) * (px - xy[0]) + (py - xy[1]) * (py - xy[1]);
        float s = 1.0f;
        for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
            float vix = xy[2 * i], viy = xy[2 * i + 1], vjx = xy[2 * j], vjy = xy[2 * j + 1];
            float ex = vjx - vix, ey = vjy - viy;
            float wx = px - vix, wy = py - viy;
            float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
            float bx = wx - ex * t, by = wy - ey * t;
            d = std::min(d, bx * bx + by * by);
            bool c1 = py >= viy, c2 = py<vjy, c3 = ex * wy> ey * wx;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
        }
        return s * std::sqrt(d);
    };
}

Sdf Union(Sdf a, Sdf b) {
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Sdf Subtract(Sdf a, Sdf b) {
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Sdf Intersect(Sdf a, Sdf b) {
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

namespace {

// One box-blur pass along a line of `count` values spaced `stride` apart.
void BoxLine(float* data, int count, int stride, int radius, std::vector<float>& scratch) {
    scratch.assign(count, 0.0f);
    float norm = 1.0f / (2 * radius + 1);
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        if (i >= 0 && i < count) sum += data[static_cast<size_t>(i) * stride];
    }
    for (int i = 0; i < count; ++i) {
        scratch[i] = static_cast<float>(sum) * norm;
        int out = i - radius, in = i + radius + 1;
        if (out >= 0) sum -= data[static_cast<size_t>(out) * stride];
        if (in < count) sum += data[static_cast<size_t>(in) * stride];
    }
    for (int i = 0; i < count; ++i) data[static_cast<size_t>(i) * stride] = scratch[i];
}

}  // namespace

Mask Blurred(const Mask& mask, int radius, int passes) {
    Mask out = mask;
    std::vector<float> scratch;
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < out.height; ++y) {
            BoxLine(&out.cover[static_cast<size_t>(y) * out.width], out.width, 1, radius, scratch);
        }
        for (int x = 0; x < out.width; ++x) {
            BoxLine(&out.cover[x], out.height, out.width, radius, scratch);
        }
    }
    return out;
}

Mask Dilated(const Mask& mask, float radius) {
    Mask out(mask.width, mask.height);
    int r = static_cast<int>(std::ceil(radius + 0.5f));
    struct Tap {
        int dx, dy;
        float weight;
    };
    std::vector<Tap> taps;
    for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
            float w = std::clamp(radius + 0.5f - std::hypot(float(dx), float(dy)), 0.0f, 1.0f);
            if (w > 0) taps.push_back({dx, dy, w});
        }
    }
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float best = 0;
            for (const Tap& t : taps)
                best = std::max(best, mask.Get(x + t.dx, y + t.dy) * t.weight);
            out.At(x, y) = best;
        }
    }
    return out;
}

void Scale(Mask& mask, float factor) {
    for (float& c : mask.cover) c = std::clamp(c * factor, 0.0f, 1.0f);
}

void Multiply(Mask& mask, const Mask& by) {
    for (size_t i = 0; i < mask.cover.size(); ++i) mask.cover[i] *= by.cover[i];
}

void SubtractMask(Mask& mask, const Mask& minus) {
    for (size_t i = 0; i < mask.cover.size(); ++i) {
        mask.cover[i] = std::max(0.0f, mask.cover[i] - minus.cover[i]);
    }
}

void Canvas::Fill(const Paint& paint) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgba c = paint(x + 0.5f, y + 0.5f);
            At(x, y) = Rgba{c.r * c.a, c.g * c.a, c.b * c.a, c.a};
        }
    }
}

void Canvas::Draw(const Mask& mask, const Paint& paint, float opacity) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float m = mask.Get(x, y) * opacity;
            if (m <= 0) continue;
            Rgba c = paint(x + 0.5f, y + 0.5f);
            float a = std::clamp(c.a * m, 0.0f, 1.0f);
            Rgba& d = At(x, y);
            d.r = c.r * a + d.r * (1 - a);
            d.g = c.g * a + d.g * (1 - a);
            d.b = c.b * a + d.b * (1 - a);
            d.a = a + d.a * (1 - a);
        }
    }
}

void Canvas::Draw(const Mask& mask, const Rgba& colour, float opacity) {
    Draw(
        mask, [&](float, float) { return colour; }, opacity);
}

void Canvas::Clip(const Mask& mask) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float m = mask.Get(x, y);
            Rgba& d = At(x, y);
            d = Rgba{d.r * m, d.g * m, d.b * m, d.a * m};
        }
    }
}

std::vector<std::uint8_t> Canvas::ToRgba8(const Rgba& ground) const {
    auto to8 = [](float v) {
        return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    };
    size_t n = px.size();
    std::vector<std::uint8_t> out(n * 4);
    std::vector<Rgba> colour(n);
    std::vector<char> known(n, 0);
    for (size_t i = 0; i < n; ++i) {
        const Rgba& p = px[i];
        std::uint8_t a8 = to8(p.a);
        out[i * 4 + 3] = a8;
        if (a8 > 0) {
            colour[i] = Rgba{p.r / p.a, p.g / p.a, p.b / p.a, 1};
            known[i] = 1;
        }
    }
    // Bleed visible colours a few pixels into the transparent ground.
    for (int pass = 0; pass < 4; ++pass) {
        std::vector<char> next = known;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                size_t i = static_cast<size_t>(y) * width + x;
                if (known[i]) continue;
                Rgba sum{0, 0, 0, 0};
                int count = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                        size_t j = static_cast<size_t>(ny) * width + nx;
                        if (!known[j]) continue;
                        sum.r += colour[j].r, sum.g += colour[j].g, sum.b += colour[j].b;
                        ++count;
                    }
                }
                if (count > 0) {
                    colour[i] = Rgba{sum.r / count, sum.g / count, sum.b / count, 1};
                    next[i] = 1;
                }
            }
        }
        known.swap(next);
    }
    for (size_t i = 0; i < n; ++i) {
        const Rgba& c = known[i] ? colour[i] : ground;
        out[i * 4 + 0] = to8(c.r);
        out[i * 4 + 1] = to8(c.g);
        out[i * 4 + 2] = to8(c.b);
    }
    return out;
}

float Hash01(int x, int y, int seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777216.0f;
}

}  // namespace assetgen
