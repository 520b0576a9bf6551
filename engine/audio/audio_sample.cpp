// Raw PCM sample buffers and the conversions between their six layouts.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "engine/audio/audio.h"
#include "engine/system/runtime_error.h"

namespace {

struct TLayout {
    int bytes;     // per frame
    int channels;  // 1 or 2
    int bits;      // per value
    bool big_endian;
};

bool LayoutOf(int format, TLayout& layout) {
    switch (format) {
        case SF_MONO8:
            layout = {1, 1, 8, false};
            return true;
        case SF_MONO16LE:
            layout = {2, 1, 16, false};
            return true;
        case SF_MONO16BE:
            layout = {2, 1, 16, true};
            return true;
        case SF_STEREO8:
            layout = {2, 2, 8, false};
            return true;
        case SF_STEREO16LE:
            layout = {4, 2, 16, false};
            return true;
        case SF_STEREO16BE:
            layout = {4, 2, 16, true};
            return true;
        default:
            return false;
    }
}

int ReadValue(const std::uint8_t* p, const TLayout& layout) {
    if (layout.bits == 8) return 257 * p[0] - 32768;
    unsigned v = layout.big_endian ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8);
    return static_cast<std::int16_t>(v);
}

void WriteValue(std::uint8_t* p, int v, const TLayout& layout) {
    if (layout.bits == 8) {
        p[0] = static_cast<std::uint8_t>((v + 32768) / 257);
        return;
    }
    auto u = static_cast<std::uint16_t>(v);
    if (layout.big_endian) {
        p[0] = static_cast<std::uint8_t>(u >> 8);
        p[1] = static_cast<std::uint8_t>(u);
    } else {
        p[0] = static_cast<std::uint8_t>(u);
        p[1] = static_cast<std::uint8_t>(u >> 8);
    }
}

}  // namespace

int AudioSampleBytesPerFrame(int format) {
    TLayout layout;
    return LayoutOf(format, layout) ? layout.bytes : 0;
}

int AudioSampleChannels(int format) {
    TLayout layout;
    return LayoutOf(format, layout) ? layout.channels : 0;
}

TAudioSample::~TAudioSample() {
    if (capacity >= 0) std::free(samples);
}

std::shared_ptr<TAudioSample> TAudioSample::Create(int length, int hertz, int format) {
    TLayout layout;
    if (length < 0 || !LayoutOf(format, layout)) return nullptr;
    std::int64_t size = static_cast<std::int64_t>(length) * layout.bytes;
    if (size > INT_MAX) return nullptr;
    auto sample = std::make_shared<TAudioSample>();
    // One spare byte so an empty sample still owns a block.
    sample->samples =
        static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(size) + 1, 1));
    if (!sample->samples) return nullptr;
    sample->length = length;
    sample->hertz = hertz;
    sample->format = format;
    sample->capacity = static_cast<int>(size);
    return sample;
}

std::shared_ptr<TAudioSample> TAudioSample::CreateStatic(void* samples, int length, int hertz,
                                                         int format) {
    auto sample = std::make_shared<TAudioSample>();
    sample->samples = static_cast<std::uint8_t*>(samples);
    sample->length = length;
    sample->hertz = hertz;
    sample->format = format;
    sample->capacity = -1;
    return sample;
}

std::shared_ptr<TAudioSample> TAudioSample::Copy() const {
    auto copy = Create(length, hertz, format);
    if (copy && length > 0) {
        std::memcpy(copy->samples, samples,
                    static_cast<std::size_t>(length) * AudioSampleBytesPerFrame(format));
    }
    return copy;
}

std::shared_ptr<TAudioSample> TAudioSample::Convert(int to_format) const {
    TLayout to;
    if (!LayoutOf(to_format, to)) RuntimeError("Unimplemented sample format conversion");
    if (to_format == format) return Copy();
    TLayout from;
    if (!LayoutOf(format, from)) RuntimeError("Unimplemented sample format conversion");
    auto out = Create(length, hertz, to_format);
    if (!out) return nullptr;
    const std::uint8_t* src = samples;
    std::uint8_t* dst = out->samples;
    const int src_step = from.bits / 8;
    const int dst_step = to.bits / 8;
    for (int i = 0; i < length; ++i, src += from.bytes, dst += to.bytes) {
        int left = ReadValue(src, from);
        int right = from.channels == 2 ? ReadValue(src + src_step, from) : left;
        if (to.channels == 2) {
            WriteValue(dst, left, to);
            WriteValue(dst + dst_step, right, to);
        } else {
            WriteValue(dst, (left + right) / 2, to);
        }
    }
    return out;
}
