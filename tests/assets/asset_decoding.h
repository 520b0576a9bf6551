// Independent decoding of the asset files (straight through libpng, libjpeg and libvorbisfile,
// not the engine's loaders), so the checks do not rest on the code under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedPng {
    bool ok = false;
    int width = 0, height = 0, bit_depth = 0, colour_type = -1;
    std::vector<std::uint8_t> rgba;  // only filled for 8-bit RGBA files

    int Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
    const std::uint8_t* Pixel(int x, int y) const {
        return &rgba[(static_cast<size_t>(y) * width + x) * 4];
    }
};

struct DecodedJpeg {
    bool ok = false;
    bool progressive = true;
    int width = 0, height = 0, components = 0;
    std::vector<std::uint8_t> rgb;
};

struct DecodedOgg {
    bool ok = false;
    int channels = 0;
    long rate = 0;
    std::int64_t frames = -1;  // as the stream reports its length
    std::int64_t decoded = 0;  // frames actually decoded
    float peak = 0;
    float first_10ms_peak = 0;
    std::vector<float> left;  // the first channel, when asked for
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);
DecodedPng DecodePng(const std::vector<std::uint8_t>& bytes);
DecodedJpeg DecodeJpeg(const std::vector<std::uint8_t>& bytes);
DecodedOgg DecodeOgg(const std::string& path, bool keep_samples = false);

// Path of a file in the repository.
std::string RepoPath(const std::string& relative);
