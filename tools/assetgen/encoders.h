// File writers: PNG (8-bit RGBA), baseline JPEG and Ogg Vorbis. Each output depends only on
// its input: no time stamps, fixed stream serial numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// rgba holds width*height*4 bytes, rows top to bottom.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);
void WritePng(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& rgba);

// The bytes as the whole file; throws std::runtime_error when it cannot be written.
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// rgb holds width*height*3 bytes.
void WriteJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
               int quality);

// Interleaved stereo samples in [-1, 1]; the file holds exactly frames = samples.size() / 2.
void WriteOggVorbis(const std::string& path, const std::vector<float>& stereo, int rate,
                    float quality, int serial);

// Largest sample magnitude of an Ogg Vorbis file as it decodes; throws if it cannot be read.
float DecodedPeak(const std::string& path);

}  // namespace assetgen
