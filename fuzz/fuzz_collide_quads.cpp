// Protects the pixel collision test: quads from any transform (zero, negative, huge, NaN or
// infinite scales and rotations, or raw vertices, bounded as below) over masks of every pixel
// format, views with a wider pitch and empty masks must never read outside a mask or the line
// buffer, and the answer must not depend on which quad is asked first or whether one was stored in
// a layer.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include "engine/graphics/collision.h"
#include "engine/graphics/pixmap.h"
#include "fuzz/fuzz_check.h"

namespace {

// Values a transform is most likely to break on, besides whatever the raw bits give.
float SpecialFloat(FuzzedDataProvider& in) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    static const float kValues[] = {0.0f,
                                    -0.0f,
                                    1.0f,
                                    -1.0f,
                                    0.5f,
                                    2.0f,
                                    1e-30f,
                                    -1e-30f,
                                    1e6f,
                                    -1e6f,
                                    1e30f,
                                    -1e30f,
                                    kInf,
                                    -kInf,
                                    90.0f,
                                    45.0f,
                                    std::numeric_limits<float>::quiet_NaN(),
                                    std::numeric_limits<float>::denorm_min()};
    const int pick = in.ConsumeIntegralInRange(0, 19);
    if (pick < 18) return kValues[pick];
    if (pick == 18) return std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
    return in.ConsumeFloatingPointInRange(-4.0f, 4.0f);
}

// A mask of any format and size, possibly a view inside a larger buffer; null means solid.
std::shared_ptr<TPixmap> MakeMask(FuzzedDataProvider& in) {
    static const int kFormats[] = {0, PF_A8, PF_RGBA8888, PF_BGRA8888, PF_RGB888, PF_I8};
    const int format = kFormats[in.ConsumeIntegralInRange(0, 5)];
    if (format == 0) return nullptr;
    const int w = in.ConsumeIntegralInRange(0, 24);
    const int h = in.ConsumeIntegralInRange(0, 24);
    const bool view = in.ConsumeBool();
    auto whole = TPixmap::Create(w + (view ? 5 : 0), h + (view ? 3 : 0), format, 4);
    FUZZ_CHECK(whole != nullptr);
    // Alpha bytes come from the input: a mostly opaque, a mostly clear or a noisy mask.
    const int fill = in.ConsumeIntegralInRange(0, 2);
    for (int y = 0; y < whole->height; ++y) {
        std::uint8_t* row = whole->PixelPtr(0, y);
        for (int i = 0; i < whole->width * BytesPerPixel(format); ++i) {
            row[i] = fill == 0 ? 255 : fill == 1 ? 0 : in.ConsumeIntegral<std::uint8_t>();
        }
    }
    if (!view) return whole;
    return PixmapWindow(whole, 2, 1, w, h);
}

// The test's cost grows with the area two quads share (every covered pixel of a textured quad
// is sampled), so vertices are kept within 2048 pixels of the origin, well beyond the window, to
// keep each run short. NaN stays NaN: its handling is part of what is tested.
float Bounded(float f) {
    constexpr float kLimit = 2048.0f;
    return f > kLimit ? kLimit : f < -kLimit ? -kLimit : f;
}

void SetBoundedCoords(TQuad& q, const float v[8]) {
    q.SetCoords(Bounded(v[0]), Bounded(v[1]), Bounded(v[2]), Bounded(v[3]), Bounded(v[4]),
                Bounded(v[5]), Bounded(v[6]), Bounded(v[7]));
}

// A quad as drawing an image would place it, or four raw vertices.
void MakeQuad(FuzzedDataProvider& in, TQuad& q) {
    q.mask = MakeMask(in);
    if (in.ConsumeBool()) {
        float v[8];
        for (float& f : v)
            f = in.ConsumeBool() ? SpecialFloat(in)
                                 : in.ConsumeFloatingPointInRange(-300.0f, 300.0f);
        SetBoundedCoords(q, v);
        return;
    }
    const float w = static_cast<float>(in.ConsumeIntegralInRange(0, 64));
    const float h = static_cast<float>(in.ConsumeIntegralInRange(0, 64));
    const float hx = in.ConsumeBool() ? w / 2 : 0, hy = in.ConsumeBool() ? h / 2 : 0;
    const float x = static_cast<float>(in.ConsumeIntegralInRange(-200, 200));
    const float y = static_cast<float>(in.ConsumeIntegralInRange(-200, 200));
    const float rotation = SpecialFloat(in) * (in.ConsumeBool() ? 1.0f : 37.0f);
    const float sx = SpecialFloat(in), sy = in.ConsumeBool() ? sx : SpecialFloat(in);
    // The same matrix the renderer keeps for collision.
    const double radians = static_cast<double>(rotation) * (M_PI / 180.0);
    const float s = static_cast<float>(std::sin(radians));
    const float c = static_cast<float>(std::cos(radians));
    const float ix = c * sx, iy = -s * sy, jx = s * sx, jy = c * sy;
    const float x0 = -hx, y0 = -hy, x1 = x0 + w, y1 = y0 + h;
    auto cx = [&](float a, float b) { return x + a * ix + b * iy; };
    auto cy = [&](float a, float b) { return y + a * jx + b * jy; };
    const float v[8] = {cx(x0, y0), cy(x0, y0), cx(x1, y0), cy(x1, y0),
                        cx(x1, y1), cy(x1, y1), cx(x0, y1), cy(x0, y1)};
    SetBoundedCoords(q, v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TQuad a, b;
    MakeQuad(in, a);
    MakeQuad(in, b);
    const int ab = QuadsCollide(a, b);
    const int ba = QuadsCollide(b, a);
    FUZZ_CHECK(ab == 0 || ab == 1);
    FUZZ_CHECK(ab == ba);
    // Through the layers: store one quad, test the other against it.
    ResetCollisions(1u);
    a.id = std::make_shared<int>(1);
    CollideQuadList(a, 0, 1u);
    const TCollisionIds hits = CollideQuadList(b, 1u, 0);
    FUZZ_CHECK(static_cast<int>(hits.size()) == ab);
    FUZZ_CHECK(hits.empty() || hits[0] == a.id);
    ResetCollisions(1u);
    return 0;
}
