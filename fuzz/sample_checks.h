// What both sound targets share: a "fuzz::" protocol that serves the current input, so each
// input travels the public LoadAudioSample(url) path, and the checks on its result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/audio/audio.h"
#include "engine/system/ram_stream.h"
#include "engine/system/stream.h"
#include "fuzz/fuzz_check.h"

class TFuzzInputFactory : public TStreamFactory {
  public:
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    std::shared_ptr<TStream> CreateStream(const std::string&, const std::string& proto,
                                          const std::string&, int readable,
                                          int writeable) override {
        if (proto != "fuzz" || writeable) return nullptr;
        return TRamStream::Create(static_cast<const void*>(data), static_cast<std::int64_t>(size),
                                  readable, 0);
    }
};

// Loads the input through every registered sample loader.
inline std::shared_ptr<TAudioSample> LoadFuzzInput(const std::uint8_t* data, std::size_t size) {
    static TFuzzInputFactory* factory = [] {
        StartAudioModules();
        return new TFuzzInputFactory();
    }();
    factory->data = data;
    factory->size = size;
    return LoadAudioSample("fuzz::input");
}

// A loaded sample is self-consistent and its whole buffer can be read.
inline void CheckLoadedSample(const std::shared_ptr<TAudioSample>& sample) {
    if (!sample) return;
    const int frame_bytes = AudioSampleBytesPerFrame(sample->format);
    FUZZ_CHECK(frame_bytes > 0);
    FUZZ_CHECK(sample->length >= 0);
    FUZZ_CHECK(sample->hertz > 0);
    if (sample->length == 0) return;
    FUZZ_CHECK(sample->samples != nullptr);
    const std::int64_t bytes = std::int64_t{sample->length} * frame_bytes;
    FUZZ_CHECK(sample->capacity < 0 || bytes <= sample->capacity);
    unsigned sum = 0;
    for (std::int64_t i = 0; i < bytes; ++i) sum += sample->samples[i];
    (void)sum;
}
