// Ogg Vorbis files, decoded whole at load time through libvorbisfile reading our stream.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>

#include "engine/audio/audio.h"
#include "engine/audio/audio_modules.h"
#include "engine/system/stream.h"

namespace {

// A header announcing more frames than this is refused instead of trusted with an
// allocation (2^28 frames is over 100 minutes at 44100 Hz).
constexpr ogg_int64_t kMaxFrames = ogg_int64_t{1} << 28;

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
    static std::shared_ptr<TAudioSample> Decode(OggVorbis_File& file) {
        const ogg_int64_t frames = ov_pcm_total(&file, 0);
        const vorbis_info* info = ov_info(&file, 0);
        if (frames < 0 || frames > kMaxFrames || !info) return nullptr;
        // Only mono and stereo fit the sample layouts; more channels would overrun the data.
        if (info->channels != 1 && info->channels != 2) return nullptr;
        if (info->rate <= 0 || info->rate > INT_MAX) return nullptr;
        const int channels = info->channels;
        auto sample = TAudioSample::Create(static_cast<int>(frames), static_cast<int>(info->rate),
                                           channels == 1 ? SF_MONO16LE : SF_STEREO16LE);
        if (!sample) return nullptr;
        char* out = reinterpret_cast<char*>(sample->samples);
        std::int64_t left = frames * 2 * channels;
        while (left > 0) {
            int section = 0;
            const long n =
                ov_read(&file, out, static_cast<int>(std::min<std::int64_t>(left, INT_MAX)), 0, 2,
                        1, &section);
            if (n < 0) return nullptr;
            // The end came early, or a later chained stream began: the rest stays silent.
            if (n == 0 || section != 0) break;
            out += n;
            left -= n;
        }
        return sample;
    }
};

}  // namespace

void RegisterOggLoader() {
    static TAudioSampleLoaderOGG loader;
}
