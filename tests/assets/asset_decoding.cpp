// Decoders for the asset checks; each reports failure in its result instead of throwing.
#include "tests/assets/asset_decoding.h"

#include <jpeglib.h>
#include <png.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <fstream>
#include <iterator>

std::string RepoPath(const std::string& relative) {
    return std::string(ZANDOR_SOURCE_DIR) + "/" + relative;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

DecodedPng DecodePng(const std::vector<std::uint8_t>& bytes) {
    DecodedPng out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return out;
    // The simplified API hides the header fields we want to check; read them ourselves.
    if (bytes.size() < 33) return out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.bit_depth = bytes[24];
    out.colour_type = bytes[25];
    image.format = PNG_FORMAT_RGBA;
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) return out;
    out.ok = true;
    return out;
}

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

}  // namespace

DecodedJpeg DecodeJpeg(const std::vector<std::uint8_t>& bytes) {
    DecodedJpeg out;
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnJpegError;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return DecodedJpeg{};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    out.progressive = cinfo.progressive_mode != 0;
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.components = cinfo.output_components;
    out.rgb.resize(static_cast<size_t>(out.width) * out.height * out.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() +
                       static_cast<size_t>(cinfo.output_scanline) * out.width * out.components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out.ok = true;
    return out;
}

DecodedOgg DecodeOgg(const std::string& path, bool keep_samples) {
    DecodedOgg out;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return out;
    vorbis_info* info = ov_info(&vf, -1);
    out.channels = info->channels;
    out.rate = info->rate;
    out.frames = ov_pcm_total(&vf, -1);
    int section = 0;
    const std::int64_t first = out.rate / 100;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            return out;
        }
        if (n == 0) break;
        for (int ch = 0; ch < out.channels; ++ch) {
            for (long i = 0; i < n; ++i) {
                float v = std::fabs(pcm[ch][i]);
                out.peak = std::max(out.peak, v);
                if (out.decoded + i < first) out.first_10ms_peak = std::max(out.first_10ms_peak, v);
            }
        }
        if (keep_samples) out.left.insert(out.left.end(), pcm[0], pcm[0] + n);
        out.decoded += n;
    }
    ov_clear(&vf);
    out.ok = true;
    return out;
}
