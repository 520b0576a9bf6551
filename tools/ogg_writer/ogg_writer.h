// Ogg Vorbis encoding to memory over libvorbisenc, shared by the asset generator (the game's
// sounds) and the tests and benchmarks (fixtures made on the fly instead of binary files).
// The bytes depend only on the input: no time stamps, the stream serial is given.
#pragma once

#include <cstdint>
#include <vector>

// `interleaved` holds frames of `channels` samples in [-1, 1]; the file holds exactly
// interleaved.size() / channels frames. `quality` is the VBR quality (-0.1 to 1). Empty when
// the encoder refuses the settings.
[[nodiscard]] std::vector<std::uint8_t> EncodeOggVorbis(const std::vector<float>& interleaved,
                                                        int channels, int rate, float quality,
                                                        int serial);
