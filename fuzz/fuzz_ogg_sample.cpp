// Protects the Ogg Vorbis loader behind LoadAudioSample: broken pages, lying headers, more
// than two channels or a chained second stream must be refused or cut short, never decoded
// past the buffer, and no sample may come back longer than 2^28 frames however long the
// header claims the stream is.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/checksums.h"
#include "fuzz/sample_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Pages with a damaged checksum are dropped by libogg unread; mended ones reach the
    // Vorbis headers and packets the mutation changed.
    std::vector<std::uint8_t> bytes(data, data + size);
    FixOggPageCrcs(bytes);
    auto sample = LoadFuzzInput(bytes.data(), bytes.size());
    CheckLoadedSample(sample);
    if (sample) {
        FUZZ_CHECK(sample->length <= (1 << 28));
        FUZZ_CHECK(sample->format == SF_MONO16LE || sample->format == SF_STEREO16LE ||
                   sample->format == SF_MONO8 || sample->format == SF_STEREO8);
    }
    return 0;
}
