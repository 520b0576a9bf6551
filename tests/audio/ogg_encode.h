// Encodes 16-bit PCM to an in-memory Ogg Vorbis file through the project's Ogg writer, so
// tests and benchmarks make their own fixtures instead of carrying binary files.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/ogg_writer/ogg_writer.h"

inline std::vector<std::uint8_t> EncodeOgg(const std::vector<std::int16_t>& interleaved,
                                           int channels, int hertz, float quality = 0.3f) {
    std::vector<float> samples(interleaved.size());
    for (size_t i = 0; i < interleaved.size(); ++i) samples[i] = interleaved[i] / 32768.0f;
    return EncodeOggVorbis(samples, channels, hertz, quality, 1);
}
