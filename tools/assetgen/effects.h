// The game's four sound effects, synthesised as interleaved stereo at 48 kHz.
#pragma once

#include <vector>

namespace assetgen {

// Each returns exactly `frames` stereo frames (interleaved), peaking at kEffectPeak; the
// files are then written at their own levels (main.cpp).
std::vector<float> ShootSound(int frames);
std::vector<float> ExplodeSound(int frames);
std::vector<float> PlayerHitSound(int frames);
std::vector<float> PlayerExplodeSound(int frames);

// Peak level the effects and the music are synthesised at (about -3.3 dBFS).
constexpr float kEffectPeak = 0.683f;

}  // namespace assetgen
