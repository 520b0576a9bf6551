// The batching driver's CPU half: which draw calls a frame's primitives become, under which
// GL state, and that each primitive's vertices are the fixed-function driver's.
#include "engine/graphics/internal/draw_batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/graphics/render.h"

namespace {

struct TCall {
    bool clear = false;
    TBatchState state;
    std::vector<TBatchVertex> vertices;
    float clear_rgb[3] = {0, 0, 0};
};

class TRecordingTarget : public TDrawBatchTarget {
  public:
    void DrawBatch(const TBatchState& state, const TBatchVertex* v, std::size_t n) override {
        calls.push_back(TCall{false, state, std::vector<TBatchVertex>(v, v + n)});
    }
    void ClearBatch(const TBatchScissor& scissor, float r, float g, float b) override {
        TCall call;
        call.clear = true;
        call.state.scissor = scissor;
        call.clear_rgb[0] = r;
        call.clear_rgb[1] = g;
        call.clear_rgb[2] = b;
        calls.push_back(call);
    }
    std::vector<TCall> calls;
};

void Quad(TDrawBatch& batch, unsigned int texture, float x) {
    batch.DrawTexturedQuad(texture, 0, 0, 0.5f, 0.25f, 0, 0, 10, 10, x, 0);
}

// A draw call per run of equal state, in call order; colour rides on each vertex, so it
// neither splits a run nor reaches vertices already queued; Cls draws what is queued, then
// clears through the scissor in force at that moment.
TEST(DrawBatch, StateRunsBecomeDrawCallsInOrder) {
    TRecordingTarget target;
    TDrawBatch batch(target);
    batch.SetBlend(BLEND_ALPHA);
    Quad(batch, 7, 0);
    batch.SetAlpha(0.5f);
    Quad(batch, 7, 10);
    batch.DrawRect(0, 0, 4, 4, 0, 0);
    batch.SetBlend(BLEND_LIGHT);
    batch.SetBlend(BLEND_ALPHA);  // no primitive under LIGHT: nothing to split
    Quad(batch, 7, 20);
    batch.SetBlend(BLEND_LIGHT);
    Quad(batch, 7, 30);
    batch.SetViewport(10, 20, 30, 40, 800, 600);
    batch.SetClsColor(255, 0, 51);
    EXPECT_EQ(target.calls.size(), 3u);
    batch.Cls();
    batch.SetViewport(0, 0, 800, 600, 800, 600);
    Quad(batch, 7, 40);
    batch.Flush();
    batch.Flush();

    const std::vector<TCall>& c = target.calls;
    ASSERT_EQ(c.size(), 6u);
    const TBatchScissor scissor{true, 10, 540, 30, 40};
    struct {
        bool clear;
        unsigned int texture;
        int blend;
        std::size_t vertices;
        bool scissored;
    } expected[] = {{false, 7, BLEND_ALPHA, 12, false},
                    {false, 0, BLEND_ALPHA, 6, false},
                    {false, 7, BLEND_ALPHA, 6, false},
                    {false, 7, BLEND_LIGHT, 6, false},
                    {true, 0, 0, 0, true},
                    {false, 7, BLEND_LIGHT, 6, false}};
    for (std::size_t i = 0; i < c.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(c[i].clear, expected[i].clear);
        EXPECT_EQ(c[i].vertices.size(), expected[i].vertices);
        EXPECT_EQ(c[i].state.scissor.enabled, expected[i].scissored);
        if (c[i].clear) continue;
        EXPECT_EQ(c[i].state.texture, expected[i].texture);
        EXPECT_EQ(c[i].state.blend, expected[i].blend);
    }
    EXPECT_EQ(c[4].state.scissor, scissor);
    EXPECT_EQ(c[4].clear_rgb[1], 0.0f);
    EXPECT_EQ(c[4].clear_rgb[2], 0.2f);
    // Alpha 0.5 is the byte 127, sent as 127/255; only the second quad carries it.
    EXPECT_EQ(c[0].vertices[5].a, 1.0f);
    EXPECT_EQ(c[0].vertices[6].a, static_cast<float>(127 / 255.0));
    EXPECT_EQ(batch.ColorBytes()[3], 127);
}

// A batch never splits a primitive: quads, lines and the triangles of a fan that is larger
// than the whole batch go out whole, and the split fan keeps every triangle on its first
// point. Pixel writes draw what was queued first and go out at once.
TEST(DrawBatch, FullBatchesSplitBetweenPrimitivesOnly) {
    TRecordingTarget target;
    TDrawBatch batch(target, 16);
    for (int i = 0; i < 3; ++i) Quad(batch, 1, static_cast<float>(i));
    batch.DrawOval(0, 0, 100, 100, 50, 50);  // 100 segments: 98 triangles
    batch.DrawLine(0, 0, 5, 0, 0, 0);
    batch.DrawPixels(9, 3, 4, 2, 2);
    batch.Plot(1, 1);
    EXPECT_EQ(batch.Queued(), 1u);

    std::size_t triangles = 0;
    std::size_t i = 0;
    const std::vector<TCall>& c = target.calls;
    for (; i < c.size() && c[i].state.texture == 1; ++i) EXPECT_EQ(c[i].vertices.size() % 6, 0u);
    for (; i < c.size() && c[i].state.texture == 0 &&
           c[i].state.primitive == TBatchPrimitive::Triangles;
         ++i) {
        const std::vector<TBatchVertex>& v = c[i].vertices;
        ASSERT_EQ(v.size() % 3, 0u);
        EXPECT_LE(v.size(), 16u);
        for (std::size_t k = 0; k < v.size(); k += 3) {
            EXPECT_EQ(v[k].x, 150.0f);  // the point at angle 0
            EXPECT_EQ(v[k].y, 100.0f);
        }
        triangles += v.size() / 3;
    }
    EXPECT_EQ(triangles, 98u);
    ASSERT_EQ(c.size(), i + 2);
    EXPECT_EQ(c[i].state.primitive, TBatchPrimitive::Lines);
    EXPECT_EQ(c[i].vertices.size(), 2u);
    EXPECT_EQ(c[i + 1].state.texture, 9u);
    EXPECT_EQ(c[i + 1].state.blend, BLEND_SOLID);
    EXPECT_EQ(c[i + 1].vertices[2].x, 5.0f);
    EXPECT_EQ(c[i + 1].vertices[2].y, 6.0f);
}

// What each primitive leaves in the batch: points and line ends on pixel centres, the matrix
// on every vertex but a point's, texture corners in quad order, and a wide line as the quad
// its width covers across the minor axis.
TEST(DrawBatch, PrimitivesKeepTheFixedFunctionVertices) {
    TRecordingTarget target;
    TDrawBatch batch(target);
    batch.SetTransform(0, -1, 1, 0);  // rotation by 90 degrees
    batch.Plot(3, 4);
    batch.DrawLine(0, 0, 2, 0, 10, 20);
    batch.DrawTexturedQuad(5, 0.1f, 0.2f, 0.3f, 0.4f, 0, 0, 2, 1, 10, 20);
    batch.SetTransform(1, 0, 0, 1);
    batch.SetLineWidth(4);
    batch.DrawLine(0, 0, 10, 2, 0, 0);
    batch.Flush();

    const std::vector<TCall>& c = target.calls;
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].vertices[0].x, 3.5f);
    EXPECT_EQ(c[0].vertices[0].y, 4.5f);
    EXPECT_EQ(c[1].vertices[1].x, 10.5f);
    EXPECT_EQ(c[1].vertices[1].y, 22.5f);
    const float corners[6][4] = {{10, 20, 0.1f, 0.2f}, {10, 22, 0.3f, 0.2f}, {9, 22, 0.3f, 0.4f},
                                 {10, 20, 0.1f, 0.2f}, {9, 22, 0.3f, 0.4f},  {9, 20, 0.1f, 0.4f}};
    ASSERT_EQ(c[2].vertices.size(), 6u);
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(k);
        const TBatchVertex& v = c[2].vertices[static_cast<std::size_t>(k)];
        EXPECT_EQ(std::vector<float>({v.x, v.y, v.u, v.v}),
                  std::vector<float>(corners[k], corners[k] + 4));
    }
    ASSERT_EQ(c[3].vertices.size(), 6u);
    EXPECT_EQ(c[3].state.primitive, TBatchPrimitive::Triangles);
    float top = 1e9f, bottom = -1e9f;
    for (const TBatchVertex& v : c[3].vertices) {
        top = std::min(top, v.y);
        bottom = std::max(bottom, v.y);
    }
    EXPECT_EQ(top, 0.5f - 2.0f);
    EXPECT_EQ(bottom, 2.5f + 2.0f);
}

}  // namespace
