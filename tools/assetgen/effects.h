// The game's four sound effects, synthesised as interleaved stereo at 48 kHz.
#pragma once

#include <vector>

namespace assetgen {

// Each returns exactly `frames` stereo frames (interleaved), peaking just under -3 dBFS.
std::vector<float> ShootSound(int frames);
std::vector<float> ExplodeSound(int frames);
std::vector<float> PlayerHitSound(int frames);
std::vector<float> PlayerExplodeSound(int frames);

// Peak level the effects and the music are normalised to (about -3.3 dBFS, so the encoded
// files stay at or below -3 dBFS).
constexpr float kEffectPeak = 0.683f;

}  // namespace assetgen
