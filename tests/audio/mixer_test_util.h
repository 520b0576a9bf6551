// Small helpers shared by the mixer tests: sample records from values and decoding a mixed
// fragment back to 16-bit values.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audio/internal/mixa_mixer.h"

inline std::shared_ptr<const TMixaSampleRecord> Record16(const std::vector<std::int16_t>& values,
                                                         int channels, int hertz,
                                                         bool loop = false) {
    return TMixaSampleRecord::Create(values.data(), static_cast<int>(values.size()) / channels,
                                     hertz, channels, 16, loop);
}

inline std::shared_ptr<const TMixaSampleRecord> Constant16(int frames, std::int16_t left,
                                                           std::int16_t right, int channels,
                                                           int hertz = 44100, bool loop = false) {
    std::vector<std::int16_t> values;
    for (int i = 0; i < frames; ++i) {
        values.push_back(left);
        if (channels == 2) values.push_back(right);
    }
    return Record16(values, channels, hertz, loop);
}

// Mixes `fragments` fragments at clock `now` and returns the interleaved output values.
inline std::vector<std::int16_t> MixFragments(TMixaMixer& mixer, int fragments, std::uint32_t now) {
    std::vector<std::int16_t> out;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(mixer.FragmentValues()) * 2);
    for (int f = 0; f < fragments; ++f) {
        mixer.MixFragment(bytes.data(), now);
        for (std::size_t i = 0; i < bytes.size(); i += 2) {
            out.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
        }
    }
    return out;
}
