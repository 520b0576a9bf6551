// Rewrites the chunk and page checksums of a mutated input, so PNG chunks and Ogg pages that
// the fuzzer changed still pass libpng's and libogg's CRC checks and reach the code behind
// them; without this almost every mutation dies at the first checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// PNG: CRC-32 (reflected, 0xEDB88320) over each chunk's type and data, stored big-endian after
// the data. Stops at the first chunk whose length runs past the end.
inline void FixPngChunkCrcs(std::vector<std::uint8_t>& d) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (d.size() < 8 || std::memcmp(d.data(), kSignature, 8) != 0) return;
    std::size_t at = 8;
    while (d.size() - at >= 12) {
        const std::uint64_t length =
            (std::uint64_t{d[at]} << 24) | (d[at + 1] << 16) | (d[at + 2] << 8) | d[at + 3];
        if (length > d.size() - at - 12) return;
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t i = at + 4; i < at + 8 + length; ++i) {
            crc ^= d[i];
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        crc ^= 0xFFFFFFFFu;
        const std::size_t end = at + 8 + static_cast<std::size_t>(length);
        for (int b = 0; b < 4; ++b) d[end + b] = static_cast<std::uint8_t>(crc >> (24 - 8 * b));
        at = end + 4;
    }
}

// Ogg: CRC-32 (unreflected, 0x04C11DB7, no final xor) over each whole page with its checksum
// field zeroed, stored little-endian at offset 22. Junk between pages is left for the decoder
// to resynchronise over.
inline void FixOggPageCrcs(std::vector<std::uint8_t>& d) {
    std::size_t at = 0;
    while (d.size() - at >= 27) {
        if (std::memcmp(d.data() + at, "OggS", 4) != 0) {
            ++at;
            continue;
        }
        const std::size_t header = 27 + std::size_t{d[at + 26]};
        if (header > d.size() - at) return;
        std::size_t body = 0;
        for (std::size_t i = at + 27; i < at + header; ++i) body += d[i];
        if (body > d.size() - at - header) return;
        std::memset(d.data() + at + 22, 0, 4);
        std::uint32_t crc = 0;
        for (std::size_t i = at; i < at + header + body; ++i) {
            crc ^= std::uint32_t{d[i]} << 24;
            for (int k = 0; k < 8; ++k) crc = (crc << 1) ^ (0x04C11DB7u & (0u - (crc >> 31)));
        }
        for (int b = 0; b < 4; ++b) d[at + 22 + b] = static_cast<std::uint8_t>(crc >> (8 * b));
        at += header + body;
    }
}
