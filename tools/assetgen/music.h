// The game's music track, composed and synthesised in code.
#pragma once

#include <vector>

namespace assetgen {

// Interleaved stereo at 48 kHz, exactly `frames` frames long.
std::vector<float> MusicTrack(int frames);

}  // namespace assetgen
