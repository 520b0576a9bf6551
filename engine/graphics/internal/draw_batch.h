// The frame's drawing as batches of vertices, for a 2D driver over a GL without immediate
// mode (WebGL). The render state stays on the CPU; each primitive becomes the vertices the
// fixed-function driver would send for it (the same corners, half-pixel offsets, colour
// bytes and texture coordinates), appended to one array. The array goes to the target as one
// draw call whenever the next primitive needs other GL state (primitive kind, texture, blend,
// scissor), at Cls, on Flush and when it is full, so the pixels and their order stay those
// of one immediate-mode primitive per call.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

#include "engine/system/trigonometry.h"

// The points, in local coordinates, that an oval in the box (x0, y0)-(x1, y1) is drawn
// through as a fan from the first: about a pixel apart, at least 12 and a multiple of 4,
// counter-clockwise on the screen from the right. Both GL 2D drivers draw these same points.
template <class Point>
void ForEachOvalPoint(float x0, float y0, float x1, float y1, Point&& point) {
    const float xr = (x1 - x0) * 0.5f, yr = (y1 - y0) * 0.5f;
    const float span = std::fabs(xr) + std::fabs(yr);
    int segments = span > 12.0f ? (span < 1e6f ? static_cast<int>(span) : 1000000) : 12;
    segments &= ~3;
    const float cx = x0 + xr, cy = y0 + yr;
    for (int i = 0; i < segments; ++i) {
        const double t = i * 360.0 / segments * (std::numbers::pi / 180.0);
        point(cx + static_cast<float>(Cosine(t)) * xr, cy - static_cast<float>(Sine(t)) * yr);
    }
}

// Colour as the fraction byte / 255, as a GL colour call sends it.
struct TBatchVertex {
    float x, y;  // window pixels, y downwards
    float u, v;
    float r, g, b, a;
};

enum class TBatchPrimitive : std::uint8_t { Triangles, Lines, Points };

// Scissor rectangle in GL's window coordinates (rows counted from the bottom).
struct TBatchScissor {
    bool enabled = false;
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const TBatchScissor&) const = default;
};

// The GL state one draw call of the batch is made under. Texture 0 is no texture.
struct TBatchState {
    TBatchPrimitive primitive = TBatchPrimitive::Triangles;
    unsigned int texture = 0;
    int blend = 0;
    TBatchScissor scissor;
    bool operator==(const TBatchState&) const = default;
};

// What a back-end supplies: one draw call, and a clear of the colour buffer.
class TDrawBatchTarget {
  public:
    // Never empty; a primitive's vertices never straddle two calls.
    virtual void DrawBatch(const TBatchState& state, const TBatchVertex* vertices,
                           std::size_t count) = 0;
    virtual void ClearBatch(const TBatchScissor& scissor, float red, float green, float blue) = 0;

  protected:
    ~TDrawBatchTarget() = default;
};

class TDrawBatch {
  public:
    // `capacity` vertices at most per draw call (at least 6).
    explicit TDrawBatch(TDrawBatchTarget& target, std::size_t capacity = 6144);

    void SetBlend(int mode) { blend_ = mode; }
    int Blend() const { return blend_; }
    void SetColor(int red, int green, int blue);
    void SetAlpha(float alpha);
    void SetClsColor(int red, int green, int blue);
    // The graphics' size decides whether the viewport is the whole window (no scissor).
    void SetViewport(int x, int y, int width, int height, int graphics_width, int graphics_height);
    void SetTransform(float ix, float iy, float jx, float jy);
    void SetLineWidth(float width) { line_width_ = width; }
    // The colour bytes R, G, B, A.
    const std::uint8_t* ColorBytes() const { return color_; }

    // Draws what is queued, then clears (through the scissor, as glClear does).
    void Cls();
    void Plot(float x, float y);
    void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty);
    void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty);
    void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty);
    void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                  float origin_y);
    // The texture's (u0, v0)-(u1, v1) over the mapped local rectangle, tinted by the colour.
    void DrawTexturedQuad(unsigned int texture, float u0, float v0, float u1, float v1, float x0,
                          float y0, float x1, float y1, float tx, float ty);
    // The whole texture over window pixels (x, y)-(x + width, y + height), untinted and
    // unblended, drawn at once (the texture may be deleted on return).
    void DrawPixels(unsigned int texture, int x, int y, int width, int height);

    // Hands the queued vertices to the target.
    void Flush();
    // Drops what is queued (its context is gone).
    void Discard() { vertices_.clear(); }
    std::size_t Queued() const { return vertices_.size(); }

  private:
    // Room for `count` more vertices under `state`, flushing first when needed.
    void Begin(const TBatchState& state, std::size_t count);
    TBatchState StateFor(TBatchPrimitive primitive, unsigned int texture) const;
    void Add(float x, float y, float u = 0, float v = 0);
    void AddMapped(float x, float y, float tx, float ty, float u = 0, float v = 0);
    // A filled convex polygon as the triangles of a fan from its first point.
    void AddFan(const std::vector<float>& window_xy);

    TDrawBatchTarget& target_;
    std::size_t capacity_;
    std::vector<TBatchVertex> vertices_;
    TBatchState pending_;  // the state of the queued vertices

    float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1;
    float line_width_ = 1;
    std::uint8_t color_[4] = {255, 255, 255, 255};
    float color_fraction_[4] = {1, 1, 1, 1};
    float clear_[3] = {0, 0, 0};
    int blend_ = 0;
    TBatchScissor scissor_;
};
