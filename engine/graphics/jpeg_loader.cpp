// JPEG decoding on libjpeg into PF_I8 (grey) or PF_RGB888 (colour) pixmaps.
//
// libjpeg's fatal errors leave by longjmp from our error handler. As with PNG, each setjmp sits
// in a function with only plain-data locals and the pixmap lives in the caller. Data that ends
// early is refused rather than padded with grey.
#include <csetjmp>
#include <cstdio>
#include <memory>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "engine/graphics/pixmap.h"
#include "engine/system/stream.h"

namespace {

constexpr int kBufferSize = 4096;

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

struct JpegSource {
    jpeg_source_mgr pub;
    TStream* stream;
    JOCTET buffer[kBufferSize];
};

struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    JpegSource source;
    std::uint8_t* pixels;
    int pitch;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

void JpegSilent(j_common_ptr) {}

void JpegInitSource(j_decompress_ptr) {}

boolean JpegFill(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
    std::int64_t n = 0;
    try {
        n = source->stream->Read(source->buffer, kBufferSize);
    } catch (...) {
        n = -1;
    }
    // Outside the handler: jumping out of a catch block would leak the exception.
    if (n <= 0) ERREXIT(cinfo, JERR_INPUT_EOF);
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = static_cast<std::size_t>(n);
    return TRUE;
}

void JpegSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
    while (count > static_cast<long>(source->pub.bytes_in_buffer)) {
        count -= static_cast<long>(source->pub.bytes_in_buffer);
        JpegFill(cinfo);
    }
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void JpegTermSource(j_decompress_ptr) {}

// Reads the header; false for foreign or bad data, an oversized image, or an unusable layout.
bool ReadJpegHeader(JpegJob* job) {
    j_decompress_ptr cinfo = &job->cinfo;
    cinfo->err = jpeg_std_error(&job->errors.pub);
    job->errors.pub.error_exit = JpegErrorExit;
    job->errors.pub.output_message = JpegSilent;
    if (setjmp(job->errors.jump)) return false;
    jpeg_create_decompress(cinfo);
    job->source.pub.init_source = JpegInitSource;
    job->source.pub.fill_input_buffer = JpegFill;
    job->source.pub.skip_input_data = JpegSkip;
    job->source.pub.resync_to_restart = jpeg_resync_to_restart;
    job->source.pub.term_source = JpegTermSource;
    job->source.pub.bytes_in_buffer = 0;
    job->source.pub.next_input_byte = nullptr;
    cinfo->src = &job->source.pub;
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
    if (cinfo->image_width == 0 || cinfo->image_height == 0 ||
        cinfo->image_width > MAX_IMAGE_DIMENSION || cinfo->image_height > MAX_IMAGE_DIMENSION) {
        return false;
    }
    if (cinfo->num_components == 1) {
        cinfo->out_color_space = JCS_GRAYSCALE;
    } else if (cinfo->num_components == 3) {
        cinfo->out_color_space = JCS_RGB;
    } else {
        return false;
    }
    return true;
}

bool ReadJpegPixels(JpegJob* job) {
    j_decompress_ptr cinfo = &job->cinfo;
    if (setjmp(job->errors.jump)) return false;
    jpeg_start_decompress(cinfo);
    const int expected = cinfo->num_components == 1 ? 1 : 3;
    if (cinfo->output_components != expected) return false;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row =
            job->pixels + static_cast<std::ptrdiff_t>(cinfo->output_scanline) * job->pitch;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    // Warnings (junk before a marker, as many cameras and editors write) still leave a picture;
    // only errors, running out of data among them, refuse it.
    jpeg_finish_decompress(cinfo);
    return true;
}

class TJpegLoader final : public TPixmapLoader {
  public:
    std::shared_ptr<TPixmap> LoadPixmap(TStream& stream) override {
        // The job holds libjpeg's plain C state only; it is big, so it lives on the heap.
        auto job = std::make_unique<JpegJob>();
        job->source.stream = &stream;
        std::shared_ptr<TPixmap> pixmap;
        if (ReadJpegHeader(job.get())) {
            const int format = job->cinfo.num_components == 1 ? PF_I8 : PF_RGB888;
            try {
                pixmap = TPixmap::Create(static_cast<int>(job->cinfo.image_width),
                                         static_cast<int>(job->cinfo.image_height), format, 4);
            } catch (...) {
                pixmap = nullptr;
            }
            if (pixmap) {
                job->pixels = pixmap->pixels;
                job->pitch = pixmap->pitch;
                if (!ReadJpegPixels(job.get())) pixmap = nullptr;
            }
        }
        jpeg_destroy_decompress(&job->cinfo);
        return pixmap;
    }
};

}  // namespace

std::shared_ptr<TPixmapLoader> NewJpegLoader() {
    return std::make_shared<TJpegLoader>();
}
