// Whole-buffer filters: colour-key masking and bilinear resampling, both worked in RGBA.
#include <algorithm>
#include <cmath>

#include "engine/graphics/pixmap.h"

namespace {

std::shared_ptr<TPixmap> AsRgba(const std::shared_ptr<TPixmap>& pixmap) {
    return pixmap->format == PF_RGBA8888 ? pixmap : pixmap->Convert(PF_RGBA8888);
}

}  // namespace

std::shared_ptr<TPixmap> MaskPixmap(const std::shared_ptr<TPixmap>& pixmap, int mr, int mg,
                                    int mb) {
    if (!pixmap) return nullptr;
    const auto src = AsRgba(pixmap);
    auto out = TPixmap::Create(src->width, src->height, PF_RGBA8888, 4);
    if (!out) return nullptr;
    const int w = src->width;
    const int h = src->height;
    auto is_key = [&](const std::uint8_t* p) { return p[0] == mr && p[1] == mg && p[2] == mb; };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* s = src->PixelPtr(x, y);
            std::uint8_t* d = out->PixelPtr(x, y);
            if (!is_key(s)) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 255;
                continue;
            }
            // A transparent pixel takes its visible neighbours' colour, so linear filtering
            // at the edge of a shape does not blend the key colour in.
            int r = 0, g = 0, b = 0, n = 0;
            for (int ny = std::max(0, y - 1); ny <= std::min(h - 1, y + 1); ++ny) {
                for (int nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1); ++nx) {
                    const std::uint8_t* q = src->PixelPtr(nx, ny);
                    if (is_key(q)) continue;
                    r += q[0];
                    g += q[1];
                    b += q[2];
                    ++n;
                }
            }
            d[0] = static_cast<std::uint8_t>(n ? r / n : 0);
            d[1] = static_cast<std::uint8_t>(n ? g / n : 0);
            d[2] = static_cast<std::uint8_t>(n ? b / n : 0);
            d[3] = 0;
        }
    }
    return out;
}

std::shared_ptr<TPixmap> ResizePixmap(const std::shared_ptr<TPixmap>& pixmap, int w, int h) {
    if (!pixmap) return nullptr;
    auto out = TPixmap::Create(w, h, PF_RGBA8888, 4);
    if (!out) return nullptr;
    const auto src = AsRgba(pixmap);
    const int sw = src->width;
    const int sh = src->height;
    if (sw <= 0 || sh <= 0) {
        out->ClearPixels(0);
        return out->format == pixmap->format ? out : out->Convert(pixmap->format);
    }
    // Source coordinate of target pixel i: centre-to-centre mapping, clamped so the outermost
    // target pixels repeat the edge instead of reading outside.
    auto source_coordinate = [](int i, int source, int target, int& index, double& frac) {
        double s = (i + 0.5) * (static_cast<double>(source) / target) - 0.5;
        if (!(s >= 0)) s = 0;
        if (s >= source - 1) {
            index = source - 1;
            frac = 0;
            return;
        }
        index = static_cast<int>(s);
        frac = s - index;
    };
    for (int y = 0; y < h; ++y) {
        int y0;
        double fy;
        source_coordinate(y, sh, h, y0, fy);
        const int y1 = fy > 0 ? y0 + 1 : y0;
        for (int x = 0; x < w; ++x) {
            int x0;
            double fx;
            source_coordinate(x, sw, w, x0, fx);
            const int x1 = fx > 0 ? x0 + 1 : x0;
            const std::uint8_t* a = src->PixelPtr(x0, y0);
            const std::uint8_t* b = src->PixelPtr(x1, y0);
            const std::uint8_t* c = src->PixelPtr(x0, y1);
            const std::uint8_t* d = src->PixelPtr(x1, y1);
            std::uint8_t* o = out->PixelPtr(x, y);
            for (int k = 0; k < 4; ++k) {
                const double top = a[k] + (b[k] - a[k]) * fx;
                const double bottom = c[k] + (d[k] - c[k]) * fx;
                o[k] = static_cast<std::uint8_t>(top + (bottom - top) * fy);
            }
        }
    }
    return pixmap->format == PF_RGBA8888 ? out : out->Convert(pixmap->format);
}
