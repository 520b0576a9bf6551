// Primitives as batched vertices: the fixed-function driver's vertices, colour bytes and
// blend/scissor state, kept on the CPU until the state a primitive needs changes.
#include "engine/graphics/internal/draw_batch.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/graphics/render.h"

namespace {

std::uint8_t Clamp255(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// The fraction a GL colour call makes of a byte, rounded once from double as a browser's
// GL layer does.
float Fraction(std::uint8_t byte) {
    return static_cast<float>(byte / 255.0);
}

}  // namespace

TDrawBatch::TDrawBatch(TDrawBatchTarget& target, std::size_t capacity)
    : target_(target), capacity_(std::max<std::size_t>(capacity, 6)) {
    vertices_.reserve(capacity_);
}

void TDrawBatch::SetColor(int red, int green, int blue) {
    color_[0] = Clamp255(red);
    color_[1] = Clamp255(green);
    color_[2] = Clamp255(blue);
    for (int i = 0; i < 3; ++i) color_fraction_[i] = Fraction(color_[i]);
}

void TDrawBatch::SetAlpha(float alpha) {
    // NaN compares false both ways and ends up transparent.
    const float a = alpha > 1.0f ? 1.0f : (alpha > 0.0f ? alpha : 0.0f);
    color_[3] = static_cast<std::uint8_t>(a * 255.0f);
    color_fraction_[3] = Fraction(color_[3]);
}

void TDrawBatch::SetClsColor(int red, int green, int blue) {
    clear_[0] = Clamp255(red) / 255.0f;
    clear_[1] = Clamp255(green) / 255.0f;
    clear_[2] = Clamp255(blue) / 255.0f;
}

void TDrawBatch::SetViewport(int x, int y, int width, int height, int graphics_width,
                             int graphics_height) {
    if (x == 0 && y == 0 && width == graphics_width && height == graphics_height) {
        scissor_ = TBatchScissor{};
        return;
    }
    // GL counts rows from the bottom; wide arithmetic keeps absurd rectangles defined.
    const std::int64_t bottom = std::int64_t{graphics_height} - y - height;
    scissor_ =
        TBatchScissor{true, x, static_cast<int>(std::clamp<std::int64_t>(bottom, INT_MIN, INT_MAX)),
                      std::max(width, 0), std::max(height, 0)};
}

void TDrawBatch::SetTransform(float ix, float iy, float jx, float jy) {
    ix_ = ix;
    iy_ = iy;
    jx_ = jx;
    jy_ = jy;
}

TBatchState TDrawBatch::StateFor(TBatchPrimitive primitive, unsigned int texture) const {
    return TBatchState{primitive, texture, blend_, scissor_};
}

void TDrawBatch::Begin(const TBatchState& state, std::size_t count) {
    if (!vertices_.empty() && (!(state == pending_) || vertices_.size() + count > capacity_)) {
        Flush();
    }
    pending_ = state;
}

void TDrawBatch::Flush() {
    if (vertices_.empty()) return;
    target_.DrawBatch(pending_, vertices_.data(), vertices_.size());
    vertices_.clear();
}

void TDrawBatch::Add(float x, float y, float u, float v) {
    vertices_.push_back(TBatchVertex{x, y, u, v, color_fraction_[0], color_fraction_[1],
                                     color_fraction_[2], color_fraction_[3]});
}

void TDrawBatch::AddMapped(float x, float y, float tx, float ty, float u, float v) {
    Add(x * ix_ + y * iy_ + tx, x * jx_ + y * jy_ + ty, u, v);
}

void TDrawBatch::AddFan(const std::vector<float>& xy) {
    const std::size_t points = xy.size() / 2;
    // A fan bigger than a whole batch goes as several fans from the same first point.
    const std::size_t per_call = capacity_ / 3;
    for (std::size_t next = 1; next + 1 < points;) {
        const std::size_t triangles = std::min(points - 1 - next, per_call);
        Begin(StateFor(TBatchPrimitive::Triangles, 0), triangles * 3);
        for (std::size_t t = 0; t < triangles; ++t, ++next) {
            Add(xy[0], xy[1]);
            Add(xy[2 * next], xy[2 * next + 1]);
            Add(xy[2 * next + 2], xy[2 * next + 3]);
        }
    }
}

void TDrawBatch::Cls() {
    Flush();
    target_.ClearBatch(scissor_, clear_[0], clear_[1], clear_[2]);
}

void TDrawBatch::Plot(float x, float y) {
    Begin(StateFor(TBatchPrimitive::Points, 0), 1);
    Add(x + 0.5f, y + 0.5f);
}

void TDrawBatch::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
    const float ax = x0 * ix_ + y0 * iy_ + tx + 0.5f, ay = x0 * jx_ + y0 * jy_ + ty + 0.5f;
    const float bx = x1 * ix_ + y1 * iy_ + tx + 0.5f, by = x1 * jx_ + y1 * jy_ + ty + 0.5f;
    if (!(line_width_ > 1.0f)) {
        Begin(StateFor(TBatchPrimitive::Lines, 0), 2);
        Add(ax, ay);
        Add(bx, by);
        return;
    }
    // WebGL draws every line 1 pixel wide. A wider one becomes the quad desktop GL
    // rasterises it as: the thin line moved width/2 either way along its minor axis.
    const float dx = bx - ax, dy = by - ay;
    const bool x_major = std::fabs(dx) >= std::fabs(dy);
    const float ox = x_major ? 0.0f : line_width_ * 0.5f;
    const float oy = x_major ? line_width_ * 0.5f : 0.0f;
    AddFan({ax - ox, ay - oy, bx - ox, by - oy, bx + ox, by + oy, ax + ox, ay + oy});
}

void TDrawBatch::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
    Begin(StateFor(TBatchPrimitive::Triangles, 0), 6);
    AddMapped(x0, y0, tx, ty);
    AddMapped(x1, y0, tx, ty);
    AddMapped(x1, y1, tx, ty);
    AddMapped(x0, y0, tx, ty);
    AddMapped(x1, y1, tx, ty);
    AddMapped(x0, y1, tx, ty);
}

void TDrawBatch::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
    std::vector<float> xy;
    ForEachOvalPoint(x0, y0, x1, y1, [&](float x, float y) {
        xy.push_back(x * ix_ + y * iy_ + tx);
        xy.push_back(x * jx_ + y * jy_ + ty);
    });
    AddFan(xy);
}

void TDrawBatch::DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y,
                          float origin_x, float origin_y) {
    if (xy.size() < 6 || (xy.size() & 1) != 0) return;
    std::vector<float> mapped;
    mapped.reserve(xy.size());
    for (std::size_t k = 0; k + 1 < xy.size(); k += 2) {
        const float x = xy[k] + handle_x, y = xy[k + 1] + handle_y;
        mapped.push_back(x * ix_ + y * iy_ + origin_x);
        mapped.push_back(x * jx_ + y * jy_ + origin_y);
    }
    AddFan(mapped);
}

void TDrawBatch::DrawTexturedQuad(unsigned int texture, float u0, float v0, float u1, float v1,
                                  float x0, float y0, float x1, float y1, float tx, float ty) {
    Begin(StateFor(TBatchPrimitive::Triangles, texture), 6);
    // The quad's triangles (0 1 2) and (0 2 3), as GL splits a quad.
    AddMapped(x0, y0, tx, ty, u0, v0);
    AddMapped(x1, y0, tx, ty, u1, v0);
    AddMapped(x1, y1, tx, ty, u1, v1);
    AddMapped(x0, y0, tx, ty, u0, v0);
    AddMapped(x1, y1, tx, ty, u1, v1);
    AddMapped(x0, y1, tx, ty, u0, v1);
}

void TDrawBatch::DrawPixels(unsigned int texture, int x, int y, int width, int height) {
    Flush();
    TBatchState state = StateFor(TBatchPrimitive::Triangles, texture);
    state.blend = BLEND_SOLID;
    Begin(state, 6);
    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = x0 + static_cast<float>(width), y1 = y0 + static_cast<float>(height);
    const float corners[6][4] = {{x0, y0, 0, 0}, {x1, y0, 1, 0}, {x1, y1, 1, 1},
                                 {x0, y0, 0, 0}, {x1, y1, 1, 1}, {x0, y1, 0, 1}};
    for (const auto& c : corners)
        vertices_.push_back(TBatchVertex{c[0], c[1], c[2], c[3], 1, 1, 1, 1});
    Flush();
}
