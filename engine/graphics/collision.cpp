// Pixel collision: quads from image frames, 32 stored layers with a pool of free quads, and a
// scanline rasteriser that walks two polygons together and reports a pixel both cover with
// opaque texels.
//
// Every float-to-int conversion truncates toward zero (clamped, so no input is undefined).
// ImagesCollide runs per enemy per frame: boxes are compared before any scan conversion, and
// nothing is allocated once the pool and line buffer have grown.
#include "engine/graphics/collision.h"

#include <algorithm>
#include <bit>
#include <climits>

#include "engine/graphics/image.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/render.h"

namespace {

constexpr int kLayers = 32;
constexpr std::uint32_t kLayer31 = 1u << 31;

// Truncation toward zero, limited to a million pixels either way (NaN gives 0). Far beyond any
// window, and it keeps every difference of two results, and the line buffer, within bounds
// whatever scale a caller passes.
constexpr int kCoordinateLimit = 1 << 20;

inline int Trunc(float f) {
    if (f >= kCoordinateLimit) return kCoordinateLimit;
    if (f <= -kCoordinateLimit) return -kCoordinateLimit;
    return f == f ? static_cast<int>(f) : 0;
}

struct CollisionState {
    TQuad* layers[kLayers] = {};
    TQuad* pool = nullptr;
    std::vector<int> line;  // only grows
    TQuad probe;            // the quad under test; reused so a test allocates nothing
};

CollisionState& State() {
    static CollisionState state;
    return state;
}

TQuad* TakeQuad() {
    CollisionState& s = State();
    if (TQuad* q = s.pool) {
        s.pool = q->link;
        q->link = nullptr;
        return q;
    }
    // Quads live for the whole run: they only move between the layers and the pool.
    return new TQuad();
}

// One polygon being scan-converted: 4 channels (x, y, u, v) per vertex.
struct RPoly {
    const TPixmap* texture = nullptr;
    float data[16];
    int size = 4;
    float ldat[4], ladd[4], rdat[4], radd[4];
    int left = 0, right = 0;
    int top = 0;
    int state = 0;  // 0 not started, 1 active, 2 finished
    int ty[4];      // truncated y of each vertex
};

void PreparePoly(RPoly& p, const TQuad& q) {
    p.texture = q.mask.get();
    const float* d = q.xyuv.data();
    const int n = p.size;
    // Winding about vertex 0; every cross product >= 0 means the order must be reversed so the
    // walk backwards from the top follows the left side.
    bool all_non_negative = true;
    for (int k = 1; k <= n - 2; ++k) {
        const float xk = d[k * 4], yk = d[k * 4 + 1];
        const float xk1 = d[(k + 1) * 4], yk1 = d[(k + 1) * 4 + 1];
        const int cross = Trunc((xk1 - xk) * (yk - d[1]) - (xk - d[0]) * (yk1 - yk));
        if (cross < 0) {
            all_non_negative = false;
            break;
        }
    }
    for (int v = 0; v < n; ++v) {
        const int from = all_non_negative ? n - 1 - v : v;
        for (int c = 0; c < 4; ++c) p.data[v * 4 + c] = d[from * 4 + c];
        p.ty[v] = Trunc(p.data[v * 4 + 1]);
    }
    int top_index = 0;
    for (int v = 1; v < n; ++v) {
        if (p.ty[v] < p.ty[top_index]) top_index = v;
    }
    p.left = p.right = top_index;
    p.top = p.ty[top_index];
    p.state = 0;
}

// Finds the edge of one side that covers scanline y, walking from `from` in direction `step`
// (-1 left, +1 right). Returns false when the polygon has no edge left on that side.
bool NextEdge(RPoly& p, int y, int& from, int step, float* dat, float* add) {
    const int n = p.size;
    int start = from;
    int end = (start + step + n) % n;
    for (;;) {
        if (end == from) return false;  // walked all the way round
        if (p.ty[end] > y) break;
        start = end;
        end = (end + step + n) % n;
    }
    const int dy = p.ty[end] - p.ty[start];
    if (dy < 1) return false;
    const float* s = p.data + start * 4;
    const float* e = p.data + end * 4;
    for (int c = 0; c < 4; ++c) {
        add[c] = (e[c] - s[c]) / dy;
        dat[c] = s[c] + 0.5f * add[c];
    }
    from = end;
    return true;
}

// -1 when, on the current scanline, a pixel inside the overlap of the first two active
// polygons is marked twice by the active polygons' opaque texels; 0 otherwise.
int SpanTest(RPoly* const* active, int count) {
    if (count < 2) return 0;
    const RPoly& a = *active[0];
    const RPoly& b = *active[1];
    const int a0 = Trunc(a.ldat[0]), a1 = Trunc(a.rdat[0]);
    const int b0 = Trunc(b.ldat[0]), b1 = Trunc(b.rdat[0]);
    if (!(b0 < a1 && a0 < b1)) return 0;
    const int start = std::max(a0, b0);
    const int width = std::min(a1, b1) - start;
    if (width <= 0) return 0;

    std::vector<int>& line = State().line;
    if (static_cast<int>(line.size()) < width) line.resize(width);
    int* buf = line.data();
    std::fill(buf, buf + width, 0);

    for (int k = 0; k < count; ++k) {
        const RPoly& p = *active[k];
        if (!p.texture) {
            for (int i = 0; i < width; ++i) {
                if (buf[i]) return -1;
                buf[i] = 1;
            }
            continue;
        }
        const int f = Trunc(p.ldat[0]), g = Trunc(p.rdat[0]);
        if (g - f < 1) continue;
        const TPixmap& mask = *p.texture;
        if (mask.width <= 0 || mask.height <= 0) continue;  // nothing opaque to find
        const float du = (p.rdat[2] - p.ldat[2]) / (g - f);
        const float dv = (p.rdat[3] - p.ldat[3]) / (g - f);
        float u = p.ldat[2] + (start - f + 0.5f) * du;
        float v = p.ldat[3] + (start - f + 0.5f) * dv;
        const float mw = static_cast<float>(mask.width), mh = static_cast<float>(mask.height);
        const int last_col = mask.width - 1, last_row = mask.height - 1;
        // Where each texel's alpha byte lives; a format without one counts as opaque.
        int stride = 4;
        const std::uint8_t* alpha = mask.pixels + 3;
        if (mask.format == PF_A8) {
            stride = 1;
            alpha = mask.pixels;
        }
        const bool solid = !FormatHasAlpha(mask.format);
        const std::ptrdiff_t pitch = mask.pitch;
        for (int i = 0; i < width; ++i) {
            if (!(u >= 0)) u = 0;
            if (u > 1) u = 1;
            if (!(v >= 0)) v = 0;
            if (v > 1) v = 1;
            // u and v are in [0, 1] here, so the products convert without overflow.
            const int col = std::min(static_cast<int>(u * mw), last_col);
            const int row = std::min(static_cast<int>(v * mh), last_row);
            if (solid || alpha[row * pitch + col * stride] >= 128) {
                if (buf[i]) return -1;
                buf[i] = 1;
            }
            u += du;
            v += dv;
        }
    }
    return 0;
}

// Scan-converts the polygons together; -1 as soon as a span test reports a shared pixel.
int ScanPolys(RPoly* polys, int count) {
    int ymin = INT_MAX, ymax = INT_MIN;
    for (int i = 0; i < count; ++i) {
        for (int v = 0; v < polys[i].size; ++v) {
            ymin = std::min(ymin, polys[i].ty[v]);
            ymax = std::max(ymax, polys[i].ty[v]);
        }
    }
    RPoly* active[2];
    int active_count = 0;
    auto deactivate = [&](RPoly* p) {
        p->state = 2;
        int j = 0;
        for (int i = 0; i < active_count; ++i) {
            if (active[i] != p) active[j++] = active[i];
        }
        active_count = j;
    };
    for (int y = ymin; y < ymax; ++y) {
        for (int i = 0; i < count; ++i) {
            RPoly* p = &polys[i];
            if (p->state == 2) continue;
            if (p->state == 0 && y < p->top) continue;
            if (y >= p->ty[p->left]) {
                if (!NextEdge(*p, y, p->left, -1, p->ldat, p->ladd)) {
                    deactivate(p);
                    continue;
                }
                if (p->state == 0) {
                    p->state = 1;
                    active[active_count++] = p;
                }
            }
            if (p->state == 1 && y >= p->ty[p->right]) {
                if (!NextEdge(*p, y, p->right, +1, p->rdat, p->radd)) deactivate(p);
            }
        }
        if (active_count > 0) {
            const int r = SpanTest(active, active_count);
            if (r < 0) return r;
        }
        for (int i = 0; i < active_count; ++i) {
            RPoly* p = active[i];
            for (int c = 0; c < 4; ++c) {
                p->ldat[c] += p->ladd[c];
                p->rdat[c] += p->radd[c];
            }
        }
        // Every polygon done: no later scanline can hit.
        if (active_count == 0 &&
            std::all_of(polys, polys + count, [](const RPoly& p) { return p.state == 2; })) {
            break;
        }
    }
    return 0;
}

// Builds the quad DrawImage would draw for a w x h rectangle with its handle at (hx, hy),
// placed at (x, y) under the current origin and collision transform.
void BuildQuad(TQuad& q, int x, int y, float hx, float hy, float w, float h) {
    float ox = 0, oy = 0;
    GetOrigin(ox, oy);
    float ix, iy, jx, jy;
    GetCollisionTransform(ix, iy, jx, jy);
    const float tx = x + ox, ty = y + oy;
    const float x0 = -hx, y0 = -hy, x1 = x0 + w, y1 = y0 + h;
    auto cx = [&](float a, float b) { return tx + a * ix + b * iy; };
    auto cy = [&](float a, float b) { return ty + a * jx + b * jy; };
    q.SetCoords(cx(x0, y0), cy(x0, y0), cx(x1, y0), cy(x1, y0), cx(x1, y1), cy(x1, y1), cx(x0, y1),
                cy(x0, y1));
}

// Tests `quad` against the layers of `collide_mask` and stores copies in those of
// `write_mask`; the copies own `owner`, the pixmap that `quad.mask` points at.
TCollisionIds CollideStored(const TQuad& quad, const std::shared_ptr<TPixmap>& owner,
                            std::uint32_t collide_mask, std::uint32_t write_mask) {
    CollisionState& s = State();
    TCollisionIds hits;
    // Set bits only, lowest layer first: most calls name one layer.
    for (std::uint32_t bits = collide_mask; bits; bits &= bits - 1) {
        const int i = std::countr_zero(bits);
        for (TQuad* stored = s.layers[i]; stored; stored = stored->link) {
            if (QuadsCollide(quad, *stored)) hits.push_back(stored->id);
        }
    }
    for (std::uint32_t bits = write_mask; bits; bits &= bits - 1) {
        const int i = std::countr_zero(bits);
        TQuad* copy = TakeQuad();
        copy->id = quad.id;
        copy->mask = owner;
        copy->frame = quad.frame;
        copy->xyuv = quad.xyuv;
        copy->minx = quad.minx;
        copy->miny = quad.miny;
        copy->maxx = quad.maxx;
        copy->maxy = quad.maxy;
        copy->link = s.layers[i];
        s.layers[i] = copy;
    }
    return hits;
}

// Tests (and stores) the quad of an image frame; nothing when there is no such frame.
TCollisionIds CollideImageFrame(const std::shared_ptr<TImage>& image, int x, int y, int frame,
                                std::uint32_t collide_mask, std::uint32_t write_mask,
                                std::shared_ptr<void> id) {
    if (!image || !image->Lock(frame, 1, 0)) return {};
    const std::shared_ptr<TPixmap>& pixmap = image->pixmaps[frame];
    const bool has_alpha = FormatHasAlpha(pixmap->format);
    TQuad& q = State().probe;
    q.id = std::move(id);
    q.frame = frame;
    // The probe only borrows the pixmap (the image holds it for the whole call), so a test
    // that stores nothing touches no reference count.
    q.mask =
        has_alpha ? std::shared_ptr<TPixmap>(std::shared_ptr<TPixmap>(), pixmap.get()) : nullptr;
    BuildQuad(q, x, y, image->handle_x, image->handle_y, static_cast<float>(image->width),
              static_cast<float>(image->height));
    static const std::shared_ptr<TPixmap> no_mask;
    TCollisionIds hits = CollideStored(q, has_alpha ? pixmap : no_mask, collide_mask, write_mask);
    // The probe is reused; it must not keep the caller's objects alive.
    q.id.reset();
    q.mask.reset();
    return hits;
}

}  // namespace

void TQuad::SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                      float y3) {
    xyuv = {x0, y0, 0, 0, x1, y1, 1, 0, x2, y2, 1, 1, x3, y3, 0, 1};
    minx = std::min(std::min(x0, x1), std::min(x2, x3));
    maxx = std::max(std::max(x0, x1), std::max(x2, x3));
    miny = std::min(std::min(y0, y1), std::min(y2, y3));
    maxy = std::max(std::max(y0, y1), std::max(y2, y3));
}

void ResetCollisions(std::uint32_t mask) {
    CollisionState& s = State();
    for (std::uint32_t bits = mask ? mask : ~0u; bits; bits &= bits - 1) {
        const int i = std::countr_zero(bits);
        while (TQuad* q = s.layers[i]) {
            s.layers[i] = q->link;
            q->id.reset();
            q->mask.reset();
            q->link = s.pool;
            s.pool = q;
        }
    }
}

int QuadsCollide(const TQuad& p, const TQuad& q) {
    if (!(p.maxx >= q.minx && p.maxy >= q.miny && p.minx <= q.maxx && p.miny <= q.maxy)) {
        return 0;
    }
    RPoly polys[2];
    PreparePoly(polys[0], p);
    PreparePoly(polys[1], q);
    return ScanPolys(polys, 2) < 0 ? 1 : 0;
}

TCollisionIds CollideQuadList(const TQuad& quad, std::uint32_t collide_mask,
                              std::uint32_t write_mask) {
    return CollideStored(quad, quad.mask, collide_mask, write_mask);
}

TCollisionIds CollideImage(const std::shared_ptr<TImage>& image, int x, int y, int frame,
                           std::uint32_t collide_mask, std::uint32_t write_mask,
                           std::shared_ptr<void> id) {
    return CollideImageFrame(image, x, y, frame, collide_mask, write_mask, std::move(id));
}

TCollisionIds CollideRect(int x, int y, int w, int h, std::uint32_t collide_mask,
                          std::uint32_t write_mask, std::shared_ptr<void> id) {
    TQuad& q = State().probe;
    q.id = std::move(id);
    q.mask.reset();
    q.frame = 0;
    BuildQuad(q, x, y, 0, 0, static_cast<float>(w), static_cast<float>(h));
    TCollisionIds hits = CollideQuadList(q, collide_mask, write_mask);
    q.id.reset();
    return hits;
}

int ImagesCollide(const std::shared_ptr<TImage>& image1, int x1, int y1, int frame1,
                  const std::shared_ptr<TImage>& image2, int x2, int y2, int frame2) {
    ResetCollisions(kLayer31);
    CollideImage(image1, x1, y1, frame1, 0, kLayer31);
    return CollideImage(image2, x2, y2, frame2, kLayer31, 0).empty() ? 0 : 1;
}

int ImagesCollideTransformed(const std::shared_ptr<TImage>& image1, int x1, int y1, int frame1,
                             float rotation1, float scale_x1, float scale_y1,
                             const std::shared_ptr<TImage>& image2, int x2, int y2, int frame2,
                             float rotation2, float scale_x2, float scale_y2) {
    const float rotation = GetRotation();
    float scale_x, scale_y;
    GetScale(scale_x, scale_y);
    ResetCollisions(kLayer31);
    SetRotation(rotation1);
    SetScale(scale_x1, scale_y1);
    CollideImage(image1, x1, y1, frame1, 0, kLayer31);
    SetRotation(rotation2);
    SetScale(scale_x2, scale_y2);
    const bool hit = !CollideImage(image2, x2, y2, frame2, kLayer31, 0).empty();
    SetRotation(rotation);
    SetScale(scale_x, scale_y);
    return hit ? 1 : 0;
}
