// Builds WAV files in memory for the loader and API tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TWavChunk {
    std::string tag;
    std::vector<std::uint8_t> body;
};

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void PutU16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A RIFF/WAVE file: the fmt chunk, then `chunks` in order (the data chunk among them).
// `fmt_extra` bytes are appended to the 16-byte fmt body.
inline std::vector<std::uint8_t> MakeWav(int channels, int bits, int hertz,
                                         const std::vector<TWavChunk>& chunks, int tag_format = 1,
                                         int fmt_extra = 0) {
    std::vector<std::uint8_t> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutU32(out, 0);  // patched below
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutU32(out, 16 + fmt_extra);
    PutU16(out, tag_format);
    PutU16(out, channels);
    PutU32(out, hertz);
    PutU32(out, hertz * channels * bits / 8);
    PutU16(out, channels * bits / 8);
    PutU16(out, bits);
    out.insert(out.end(), fmt_extra, 0);
    for (const TWavChunk& chunk : chunks) {
        out.insert(out.end(), chunk.tag.begin(), chunk.tag.end());
        PutU32(out, static_cast<std::uint32_t>(chunk.body.size()));
        out.insert(out.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() % 2) out.push_back(0);
    }
    const auto riff = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    return out;
}

// `frames` frames of mono 16-bit PCM at a constant level.
inline std::vector<std::uint8_t> ConstantPcm16(int frames, int channels, std::int16_t level) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < frames * channels; ++i) PutU16(out, static_cast<std::uint16_t>(level));
    return out;
}
