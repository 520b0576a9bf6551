// Protects the WAV loader behind LoadAudioSample: chunk lengths are untrusted, so a data
// chunk claiming more than the file holds must yield only the frames really present, and odd
// chunk sizes, a short "fmt " chunk or a missing "data" chunk must be refused, not overrun.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/sample_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto sample = LoadFuzzInput(data, size);
    CheckLoadedSample(sample);
    if (sample && size >= 4 && std::memcmp(data, "RIFF", 4) == 0) {
        // A WAV's frames come from bytes after the 44-byte minimum of headers.
        const std::int64_t bytes =
            std::int64_t{sample->length} * AudioSampleBytesPerFrame(sample->format);
        FUZZ_CHECK(bytes <= static_cast<std::int64_t>(size) - 44);
    }
    return 0;
}
