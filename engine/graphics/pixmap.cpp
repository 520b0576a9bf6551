// Pixel buffers: storage, views, per-pixel access and row conversion through RGBA.
#include "engine/graphics/pixmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Expands `count` pixels of `format` into RGBA bytes.
void RowToRgba(const std::uint8_t* src, int format, std::uint8_t* dst, int count) {
    switch (format) {
        case PF_I8:
            for (int i = 0; i < count; ++i, dst += 4) {
                dst[0] = dst[1] = dst[2] = src[i];
                dst[3] = 255;
            }
            break;
        case PF_A8:
            for (int i = 0; i < count; ++i, dst += 4) {
                dst[0] = dst[1] = dst[2] = 255;
                dst[3] = src[i];
            }
            break;
        case PF_BGR888:
            for (int i = 0; i < count; ++i, dst += 4, src += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = 255;
            }
            break;
        case PF_RGB888:
            for (int i = 0; i < count; ++i, dst += 4, src += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                dst[3] = 255;
            }
            break;
        case PF_BGRA8888:
            for (int i = 0; i < count; ++i, dst += 4, src += 4) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = src[3];
            }
            break;
        case PF_RGBA8888:
            std::memcpy(dst, src, static_cast<std::size_t>(count) * 4);
            break;
        default:
            std::memset(dst, 0, static_cast<std::size_t>(count) * 4);
            break;
    }
}

// Packs `count` RGBA pixels into `format`, keeping only the channels it has.
void RowFromRgba(const std::uint8_t* src, std::uint8_t* dst, int format, int count) {
    switch (format) {
        case PF_I8:
            for (int i = 0; i < count; ++i, src += 4) {
                dst[i] = static_cast<std::uint8_t>((src[0] + src[1] + src[2]) / 3);
            }
            break;
        case PF_A8:
            for (int i = 0; i < count; ++i, src += 4) dst[i] = src[3];
            break;
        case PF_BGR888:
            for (int i = 0; i < count; ++i, src += 4, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            break;
        case PF_RGB888:
            for (int i = 0; i < count; ++i, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
            break;
        case PF_BGRA8888:
            for (int i = 0; i < count; ++i, src += 4, dst += 4) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = src[3];
            }
            break;
        case PF_RGBA8888:
            std::memcpy(dst, src, static_cast<std::size_t>(count) * 4);
            break;
        default:
            break;
    }
}

bool KnownFormat(int format) {
    return format >= PF_I8 && format <= PF_RGBA8888;
}

}  // namespace

int BytesPerPixel(int format) {
    switch (format) {
        case PF_I8:
        case PF_A8:
            return 1;
        case PF_BGR888:
        case PF_RGB888:
            return 3;
        case PF_BGRA8888:
        case PF_RGBA8888:
            return 4;
        default:
            return 0;
    }
}

bool FormatHasAlpha(int format) {
    return format == PF_A8 || format == PF_BGRA8888 || format == PF_RGBA8888;
}

void ConvertPixels(const std::uint8_t* src, int src_format, std::uint8_t* dst, int dst_format,
                   int count) {
    if (count <= 0) return;
    if (src_format == dst_format) {
        std::memmove(dst, src, static_cast<std::size_t>(count) * BytesPerPixel(src_format));
        return;
    }
    if (src_format == PF_RGBA8888) {
        RowFromRgba(src, dst, dst_format, count);
        return;
    }
    if (dst_format == PF_RGBA8888) {
        RowToRgba(src, src_format, dst, count);
        return;
    }
    // Small fixed chunks keep the intermediate row on the stack whatever the width.
    std::uint8_t rgba[256 * 4];
    const int src_bpp = BytesPerPixel(src_format);
    const int dst_bpp = BytesPerPixel(dst_format);
    for (int done = 0; done < count;) {
        const int n = std::min(256, count - done);
        RowToRgba(src + done * src_bpp, src_format, rgba, n);
        RowFromRgba(rgba, dst + done * dst_bpp, dst_format, n);
        done += n;
    }
}

TPixmap::~TPixmap() {
    delete[] owned_;
}

std::shared_ptr<TPixmap> TPixmap::Create(int width, int height, int format, int align) {
    if (width < 0 || height < 0 || !KnownFormat(format)) return nullptr;
    if (align < 1) align = 1;
    const std::int64_t row = static_cast<std::int64_t>(width) * BytesPerPixel(format);
    const std::int64_t pitch = (row + align - 1) / align * align;
    const std::int64_t bytes = pitch * height;
    if (pitch > 0x7fffffff || bytes > 0x7fffffff) return nullptr;
    auto pixmap = std::make_shared<TPixmap>();
    pixmap->width = width;
    pixmap->height = height;
    pixmap->pitch = static_cast<int>(pitch);
    pixmap->format = format;
    pixmap->capacity = static_cast<int>(bytes);
    if (bytes > 0) pixmap->owned_ = new std::uint8_t[static_cast<std::size_t>(bytes)];
    pixmap->pixels = pixmap->owned_;
    return pixmap;
}

std::shared_ptr<TPixmap> TPixmap::CreateStatic(void* pixels, int width, int height, int pitch,
                                               int format) {
    if (width < 0 || height < 0 || !KnownFormat(format)) return nullptr;
    auto pixmap = std::make_shared<TPixmap>();
    pixmap->pixels = static_cast<std::uint8_t*>(pixels);
    pixmap->width = width;
    pixmap->height = height;
    pixmap->pitch = pitch;
    pixmap->format = format;
    pixmap->capacity = -1;
    return pixmap;
}

std::uint8_t* TPixmap::PixelPtr(int x, int y) const {
    return pixels + static_cast<std::ptrdiff_t>(y) * pitch +
           static_cast<std::ptrdiff_t>(x) * BytesPerPixel(format);
}

std::shared_ptr<TPixmap> TPixmap::Window(int x, int y, int w, int h) {
    // A view past the edges would read and write someone else's memory.
    if (x < 0 || y < 0 || w < 0 || h < 0 || x > width - w || y > height - h) return nullptr;
    auto view = CreateStatic(PixelPtr(x, y), w, h, pitch, format);
    if (!view) return nullptr;
    // A pixmap held outside a shared_ptr has nothing to keep alive; the caller owns it.
    view->_source = weak_from_this().lock();
    return view;
}

std::shared_ptr<TPixmap> TPixmap::Copy() const {
    return Convert(format);
}

std::shared_ptr<TPixmap> TPixmap::Convert(int to_format) const {
    auto out = Create(width, height, to_format, 4);
    if (!out) return nullptr;
    out->Paste(*this, 0, 0);
    return out;
}

void TPixmap::Paste(const TPixmap& src, int x, int y) {
    for (int row = 0; row < src.height; ++row) {
        ConvertPixels(src.PixelPtr(0, row), src.format, PixelPtr(x, y + row), format, src.width);
    }
}

std::uint32_t TPixmap::ReadPixel(int x, int y) const {
    std::uint8_t rgba[4];
    RowToRgba(PixelPtr(x, y), format, rgba, 1);
    return static_cast<std::uint32_t>(rgba[3]) << 24 | static_cast<std::uint32_t>(rgba[0]) << 16 |
           static_cast<std::uint32_t>(rgba[1]) << 8 | rgba[2];
}

void TPixmap::WritePixel(int x, int y, std::uint32_t argb) {
    const std::uint8_t rgba[4] = {
        static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
        static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)};
    RowFromRgba(rgba, PixelPtr(x, y), format, 1);
}

void TPixmap::ClearPixels(std::uint32_t argb) {
    if (width <= 0 || height <= 0) return;
    const int row_bytes = width * BytesPerPixel(format);
    if (argb == 0) {
        for (int y = 0; y < height; ++y) std::memset(PixelPtr(0, y), 0, row_bytes);
        return;
    }
    // Build the first row pixel by pixel, then copy it to the others.
    for (int x = 0; x < width; ++x) WritePixel(x, 0, argb);
    for (int y = 1; y < height; ++y) std::memcpy(PixelPtr(0, y), PixelPtr(0, 0), row_bytes);
}

std::shared_ptr<TPixmap> CreatePixmap(int width, int height, int format, int align) {
    return TPixmap::Create(width, height, format, align);
}

std::shared_ptr<TPixmap> CreateStaticPixmap(void* pixels, int width, int height, int pitch,
                                            int format) {
    return TPixmap::CreateStatic(pixels, width, height, pitch, format);
}

std::shared_ptr<TPixmap> ConvertPixmap(const std::shared_ptr<TPixmap>& pixmap, int format) {
    return pixmap ? pixmap->Convert(format) : nullptr;
}

std::shared_ptr<TPixmap> CopyPixmap(const std::shared_ptr<TPixmap>& pixmap) {
    return pixmap ? pixmap->Copy() : nullptr;
}

std::shared_ptr<TPixmap> PixmapWindow(const std::shared_ptr<TPixmap>& pixmap, int x, int y, int w,
                                      int h) {
    return pixmap ? pixmap->Window(x, y, w, h) : nullptr;
}
