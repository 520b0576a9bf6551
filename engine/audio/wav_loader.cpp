// WAV files: PCM 8- or 16-bit, mono or stereo. No header field can make the loader reserve
// more memory than the stream actually supplies.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/audio/audio.h"
#include "engine/audio/internal/audio_modules.h"
#include "engine/system/stream.h"

namespace {

// Reads up to `count` bytes; false when the stream ends first.
bool ReadExactly(TStream& stream, void* buf, std::int64_t count) {
    auto* out = static_cast<std::uint8_t*>(buf);
    while (count > 0) {
        const std::int64_t n = stream.Read(out, count);
        if (n <= 0) return false;
        out += n;
        count -= n;
    }
    return true;
}

bool ReadU32(TStream& stream, std::uint32_t& value) {
    std::uint8_t b[4];
    if (!ReadExactly(stream, b, 4)) return false;
    value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

bool ReadU16(TStream& stream, int& value) {
    std::uint8_t b[2];
    if (!ReadExactly(stream, b, 2)) return false;
    value = b[0] | (b[1] << 8);
    return true;
}

bool ReadTag(TStream& stream, char tag[4]) {
    return ReadExactly(stream, tag, 4);
}

bool Skip(TStream& stream, std::uint32_t count) {
    std::uint8_t scratch[4096];
    while (count > 0) {
        const auto n = std::min<std::uint32_t>(count, sizeof scratch);
        if (!ReadExactly(stream, scratch, n)) return false;
        count -= n;
    }
    return true;
}

int FormatFor(int channels, int bits) {
    if (channels == 1 && bits == 8) return SF_MONO8;
    if (channels == 2 && bits == 8) return SF_STEREO8;
    if (channels == 1 && bits == 16) return SF_MONO16LE;
    if (channels == 2 && bits == 16) return SF_STEREO16LE;
    return 0;
}

class TAudioSampleLoaderWAV final : public TAudioSampleLoader {
  public:
    std::shared_ptr<TAudioSample> LoadAudioSample(const std::shared_ptr<TStream>& stream) override {
        if (!stream) return nullptr;
        TStream& s = *stream;
        char tag[4];
        std::uint32_t size = 0;
        if (!ReadTag(s, tag) || std::memcmp(tag, "RIFF", 4) != 0) return nullptr;
        if (!ReadU32(s, size)) return nullptr;
        if (!ReadTag(s, tag) || std::memcmp(tag, "WAVE", 4) != 0) return nullptr;
        if (!ReadTag(s, tag) || std::memcmp(tag, "fmt ", 4) != 0) return nullptr;

        std::uint32_t chunk = 0, hertz = 0, byte_rate = 0;
        int tag_format = 0, channels = 0, align = 0, bits = 0;
        if (!ReadU32(s, chunk) || chunk < 16) return nullptr;
        if (!ReadU16(s, tag_format) || !ReadU16(s, channels) || !ReadU32(s, hertz) ||
            !ReadU32(s, byte_rate) || !ReadU16(s, align) || !ReadU16(s, bits)) {
            return nullptr;
        }
        if (tag_format != 1) return nullptr;
        const int format = FormatFor(channels, bits);
        if (format == 0 || hertz == 0 || hertz > 0x7FFFFFFF) return nullptr;
        if (!Skip(s, chunk - 16 + (chunk & 1))) return nullptr;

        for (;;) {
            std::uint32_t length = 0;
            if (!ReadTag(s, tag) || !ReadU32(s, length)) return nullptr;
            if (std::memcmp(tag, "data", 4) == 0) {
                return ReadData(s, length, static_cast<int>(hertz), format);
            }
            // RIFF chunks are padded to an even length.
            if (!Skip(s, length) || ((length & 1) && !Skip(s, 1))) return nullptr;
        }
    }

  private:
    // Reads the data chunk in pieces, so a length beyond the end of the stream is limited to
    // what the stream really holds.
    static std::shared_ptr<TAudioSample> ReadData(TStream& s, std::uint32_t length, int hertz,
                                                  int format) {
        const int frame_bytes = AudioSampleBytesPerFrame(format);
        std::vector<std::uint8_t> bytes;
        std::uint8_t piece[65536];
        std::uint32_t left = length;
        while (left > 0) {
            const std::int64_t n = s.Read(piece, std::min<std::uint32_t>(left, sizeof piece));
            if (n <= 0) break;
            bytes.insert(bytes.end(), piece, piece + n);
            left -= static_cast<std::uint32_t>(n);
            if (bytes.size() > 0x7FFFFFFF - sizeof piece) break;
        }
        const auto frames = static_cast<int>(bytes.size() / static_cast<std::size_t>(frame_bytes));
        auto sample = TAudioSample::Create(frames, hertz, format);
        if (!sample) return nullptr;
        if (frames > 0) {
            std::memcpy(sample->samples, bytes.data(),
                        static_cast<std::size_t>(frames) * frame_bytes);
        }
        return sample;
    }
};

}  // namespace

void RegisterWavLoader() {
    static TAudioSampleLoaderWAV loader;
}
