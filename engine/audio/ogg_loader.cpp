// Ogg Vorbis files, decoded whole at load time through libvorbisfile reading our stream.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

#include "engine/audio/audio.h"
#include "engine/audio/internal/audio_modules.h"
#include "engine/system/stream.h"

namespace {

// A header announcing more frames than this is refused instead of trusted with an
// allocation (2^28 frames is over 100 minutes at 44100 Hz).
constexpr ogg_int64_t kMaxFrames = ogg_int64_t{1} << 28;
// The decode buffer starts at this size and doubles as data arrives.
constexpr std::int64_t kFirstBlock = std::int64_t{1} << 22;

// The callbacks run inside C code: nothing may escape them as an exception.
size_t ReadCallback(void* ptr, size_t size, size_t count, void* source) {
    if (size == 0) return 0;
    try {
        auto* stream = static_cast<TStream*>(source);
        const std::int64_t n = stream->Read(ptr, static_cast<std::int64_t>(size * count));
        return n > 0 ? static_cast<size_t>(n) / size : 0;
    } catch (...) {
        return 0;
    }
}

int SeekCallback(void* source, ogg_int64_t offset, int whence) {
    try {
        auto* stream = static_cast<TStream*>(source);
        const auto low = static_cast<std::int32_t>(offset);
        std::int64_t target;
        switch (whence) {
            case SEEK_SET:
                target = low;
                break;
            case SEEK_CUR:
                target = stream->Pos() + low;
                break;
            case SEEK_END:
                target = stream->Size() + low;
                break;
            default:
                return -1;
        }
        if (target < 0) return -1;
        stream->Seek(target);
        return 0;
    } catch (...) {
        return -1;
    }
}

long TellCallback(void* source) {
    try {
        return static_cast<long>(static_cast<TStream*>(source)->Pos());
    } catch (...) {
        return -1;
    }
}

int CloseCallback(void*) {
    return 0;
}  // the caller closes the stream

class TAudioSampleLoaderOGG final : public TAudioSampleLoader {
  public:
    std::shared_ptr<TAudioSample> LoadAudioSample(const std::shared_ptr<TStream>& stream) override {
        if (!stream) return nullptr;
        OggVorbis_File file;
        const ov_callbacks callbacks{ReadCallback, SeekCallback, CloseCallback, TellCallback};
        if (ov_open_callbacks(stream.get(), &file, nullptr, 0, callbacks) != 0) return nullptr;
        auto sample = Decode(file);
        ov_clear(&file);
        return sample;
    }

  private:
    // The announced length is only a header field: the buffer grows as decoded data
    // arrives, so a small file claiming a long stream cannot make the loader reserve the
    // memory it claims. A stream that ends early (or runs into a chained stream) is kept at
    // the length actually decoded.
    static std::shared_ptr<TAudioSample> Decode(OggVorbis_File& file) {
        const ogg_int64_t frames = ov_pcm_total(&file, 0);
        const vorbis_info* info = ov_info(&file, 0);
        if (frames < 0 || frames > kMaxFrames || !info) return nullptr;
        // Only mono and stereo fit the sample layouts; more channels would overrun the data.
        if (info->channels != 1 && info->channels != 2) return nullptr;
        if (info->rate <= 0 || info->rate > INT_MAX) return nullptr;
        const int format = info->channels == 1 ? SF_MONO16LE : SF_STEREO16LE;
        const int frame_bytes = AudioSampleBytesPerFrame(format);
        const std::int64_t total = frames * frame_bytes;

        std::unique_ptr<std::uint8_t, decltype(&std::free)> data(nullptr, &std::free);
        std::int64_t capacity = 0;
        std::int64_t filled = 0;
        while (filled < total) {
            if (filled == capacity) {
                const std::int64_t grown = std::min(total, std::max(capacity * 2, kFirstBlock));
                auto* bigger = static_cast<std::uint8_t*>(
                    std::realloc(data.get(), static_cast<std::size_t>(grown)));
                if (!bigger) return nullptr;
                data.release();
                data.reset(bigger);
                capacity = grown;
            }
            int section = 0;
            const long n =
                ov_read(&file, reinterpret_cast<char*>(data.get() + filled),
                        static_cast<int>(std::min<std::int64_t>(capacity - filled, INT_MAX)), 0, 2,
                        1, &section);
            if (n < 0) return nullptr;
            if (n == 0 || section != 0) break;
            filled += n;
        }

        auto sample = TAudioSample::Create(0, static_cast<int>(info->rate), format);
        if (!sample) return nullptr;
        const int length = static_cast<int>(filled / frame_bytes);
        if (length > 0) {
            std::free(sample->samples);
            sample->samples = data.release();
            sample->capacity = static_cast<int>(capacity);
            sample->length = length;
        }
        return sample;
    }
};

}  // namespace

void RegisterOggLoader() {
    static TAudioSampleLoaderOGG loader;
}
