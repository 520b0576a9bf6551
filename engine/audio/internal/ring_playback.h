// Playing the mixer's ring into a device's buffer, the part every output device shares.
//
// The tick fills the ring only up to its written mark; ring bytes past it still hold the
// audio of an earlier lap, so they are never played. Where the ring runs dry, playback
// stops, or the output is muted, the last frame taken is held and faded to silence over
// 2 ms, and audio that comes back fades in again over 2 ms, so neither edge clicks.
//
// One caller at a time: the device's callback (SDL's audio thread natively, the page's only
// thread in the browser). Integer-only, no allocation.
#pragma once

#include <cstdint>

#include "engine/audio/internal/mixa_mixer.h"

class TRingPlayback {
  public:
    static constexpr int kFrameBytes = 4;  // 16-bit stereo
    static constexpr int kRampFrames = MIXA_OUTPUT_HERTZ / 500;

    void Attach(const std::uint8_t* ring, int ring_bytes);

    // Fills `len` bytes of `out` (whole frames) and returns the new play position. While
    // `playing`, every frame advances the position by its bytes, and a frame comes from the
    // ring when it lies below `written`; otherwise the held frame fades. A muted output
    // advances the same way and fades to silence.
    std::int64_t Fill(std::uint8_t* out, int len, bool playing, std::int64_t position,
                      std::int64_t written, bool muted = false);

  private:
    const std::uint8_t* ring_ = nullptr;
    int ring_bytes_ = 0;
    std::int16_t held_[2] = {0, 0};
    int gain_ = 0;  // 0..kRampFrames
};
