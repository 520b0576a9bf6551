// PNG decoding on libpng into PF_I8, PF_RGB888 or PF_RGBA8888 pixmaps.
//
// libpng reports errors by longjmp. Every setjmp lives in a small function whose locals are
// plain data, so a jump never skips a C++ destructor; the pixmap and row table live in the
// caller, outside the jump's reach. The error handler is silent: bad data is just a refusal.
#include <png.h>

#include <csetjmp>
#include <vector>

#include "engine/graphics/pixmap.h"
#include "engine/system/stream.h"

namespace {

struct PngJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bit_depth = 0;
    int channels = 0;
    png_bytep* rows = nullptr;
};

[[noreturn]] void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep data, png_size_t length) {
    auto* stream = static_cast<TStream*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        png_size_t got = 0;
        while (got < length) {
            const std::int64_t n =
                stream->Read(data + got, static_cast<std::int64_t>(length - got));
            if (n <= 0) break;
            got += static_cast<png_size_t>(n);
        }
        failed = got < length;
    } catch (...) {
        failed = true;
    }
    // Outside the handler: jumping out of a catch block would leak the exception.
    if (failed) png_error(png, "truncated");
}

// Reads the header and sets the transforms; false for bad data or an oversized image.
bool ReadPngHeader(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    png_read_info(job->png, job->info);
    png_uint_32 width = 0, height = 0;
    int bit_depth = 0, color_type = 0;
    png_get_IHDR(job->png, job->info, &width, &height, &bit_depth, &color_type, nullptr, nullptr,
                 nullptr);
    if (width == 0 || height == 0 || width > MAX_IMAGE_DIMENSION || height > MAX_IMAGE_DIMENSION) {
        return false;
    }
    png_set_strip_16(job->png);
    png_set_expand(job->png);
    png_set_interlace_handling(job->png);
    png_read_update_info(job->png, job->info);
    job->width = width;
    job->height = height;
    job->bit_depth = png_get_bit_depth(job->png, job->info);
    job->channels = png_get_channels(job->png, job->info);
    return true;
}

bool ReadPngRows(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    png_read_image(job->png, job->rows);
    png_read_end(job->png, nullptr);
    return true;
}

std::shared_ptr<TPixmap> DecodePng(TStream& stream, PngJob& job) {
    png_set_read_fn(job.png, &stream, PngRead);
    png_set_sig_bytes(job.png, 8);
    // libpng itself refuses larger headers before allocating anything.
    png_set_user_limits(job.png, MAX_IMAGE_DIMENSION, MAX_IMAGE_DIMENSION);
    // Only IHDR, PLTE, tRNS and IDAT shape the pixels. libpng would allocate a text or profile
    // chunk whole, at the size its length field claims, before reading it: a few hundred
    // bytes could reserve hundreds of megabytes. Every other chunk is skipped unread instead.
    png_set_keep_unknown_chunks(job.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    if (!ReadPngHeader(&job) || job.bit_depth != 8) return nullptr;

    const int width = static_cast<int>(job.width);
    const int height = static_cast<int>(job.height);
    int format;
    switch (job.channels) {
        case 1:
            format = PF_I8;
            break;
        case 2:
            format = 0;
            break;  // grey + alpha: decoded aside, widened to RGBA below
        case 3:
            format = PF_RGB888;
            break;
        case 4:
            format = PF_RGBA8888;
            break;
        default:
            return nullptr;
    }
    auto pixmap = TPixmap::Create(width, height, format ? format : PF_RGBA8888, 4);
    if (!pixmap) return nullptr;
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    std::vector<png_byte> grey_alpha;
    if (format) {
        for (int y = 0; y < height; ++y) rows[y] = pixmap->PixelPtr(0, y);
    } else {
        grey_alpha.resize(static_cast<std::size_t>(width) * 2 * height);
        for (int y = 0; y < height; ++y) rows[y] = grey_alpha.data() + std::size_t{2} * width * y;
    }
    job.rows = rows.data();
    if (!ReadPngRows(&job)) return nullptr;
    if (!format) {
        for (int y = 0; y < height; ++y) {
            const png_byte* src = rows[y];
            std::uint8_t* dst = pixmap->PixelPtr(0, y);
            for (int x = 0; x < width; ++x, src += 2, dst += 4) {
                dst[0] = dst[1] = dst[2] = src[0];
                dst[3] = src[1];
            }
        }
    }
    return pixmap;
}

class TPngLoader final : public TPixmapLoader {
  public:
    std::shared_ptr<TPixmap> LoadPixmap(TStream& stream) override {
        png_byte signature[8];
        std::int64_t got = 0;
        while (got < 8) {
            const std::int64_t n = stream.Read(signature + got, 8 - got);
            if (n <= 0) return nullptr;
            got += n;
        }
        if (png_sig_cmp(signature, 0, 8) != 0) return nullptr;

        PngJob job;
        job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
        if (!job.png) return nullptr;
        job.info = png_create_info_struct(job.png);
        std::shared_ptr<TPixmap> pixmap;
        if (job.info) {
            try {
                pixmap = DecodePng(stream, job);
            } catch (...) {
                pixmap = nullptr;  // out of memory for the buffers: a refusal like any other
            }
        }
        png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
        return pixmap;
    }
};

}  // namespace

std::shared_ptr<TPixmapLoader> NewPngLoader() {
    return std::make_shared<TPngLoader>();
}
