// PNG, JPEG and Ogg Vorbis writers over libpng, libjpeg and the shared Ogg Vorbis encoder.
#include "tools/assetgen/encoders.h"

#include <jpeglib.h>
#include <png.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "tools/ogg_writer/ogg_writer.h"

namespace assetgen {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

File OpenForWriting(const std::string& path) {
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) throw std::runtime_error("cannot write " + path);
    return f;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
    if (rgba.size() != static_cast<size_t>(width) * height * 4) {
        throw std::runtime_error("pixel count does not match the picture's size");
    }
    std::vector<std::uint8_t> bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("libpng failed to start");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed to encode");
    }
    auto append = [](png_structp p, png_bytep data, png_size_t length) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        out->insert(out->end(), data, data + length);
    };
    png_set_write_fn(png, &bytes, append, nullptr);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, rgba.data() + static_cast<size_t>(y) * width * 4);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    File f = OpenForWriting(path);
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size() ||
        std::fflush(f.get()) != 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WritePng(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& rgba) {
    if (rgba.size() != static_cast<size_t>(width) * height * 4) {
        throw std::runtime_error("pixel count does not match the size of " + path);
    }
    WriteFile(path, EncodePng(width, height, rgba));
}

void WriteJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
               int quality) {
    if (rgb.size() != static_cast<size_t>(width) * height * 3) {
        throw std::runtime_error("pixel count does not match the size of " + path);
    }
    File f = OpenForWriting(path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f.get());
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;  // still baseline: only the Huffman tables are tuned
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(cinfo.next_scanline) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
}

void WriteOggVorbis(const std::string& path, const std::vector<float>& stereo, int rate,
                    float quality, int serial) {
    const std::vector<std::uint8_t> ogg = EncodeOggVorbis(stereo, 2, rate, quality, serial);
    if (ogg.empty()) throw std::runtime_error("vorbis encoder refused its settings for " + path);
    File f = OpenForWriting(path);
    std::fwrite(ogg.data(), 1, ogg.size(), f.get());
    if (std::ferror(f.get())) throw std::runtime_error("failed writing " + path);
}

float DecodedPeak(const std::string& path) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) throw std::runtime_error("cannot decode " + path);
    float peak = 0;
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) break;
        for (int ch = 0; ch < vf.vi->channels; ++ch) {
            for (long i = 0; i < n; ++i) peak = std::max(peak, std::fabs(pcm[ch][i]));
        }
    }
    ov_clear(&vf);
    return peak;
}

}  // namespace assetgen
