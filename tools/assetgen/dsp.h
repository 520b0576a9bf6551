// Small signal-processing parts shared by the sound effects and the music: a noise source,
// band-limited oscillators, filters, a delay and a reverb. Everything is deterministic.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace assetgen {

constexpr int kRate = 48000;
constexpr float kTau = 6.28318530717958f;

// White noise in [-1, 1) from a 32-bit xorshift generator.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    float Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
    }

  private:
    std::uint32_t state_;
};

// A sawtooth and a square with polynomial band-limiting at their edges.
class Oscillator {
  public:
    float Saw(float freq);
    float Square(float freq);
    float Sine(float freq);
    void Reset(float phase = 0) { phase_ = phase; }

  private:
    float Advance(float freq);
    float phase_ = 0;
};

class OnePole {
  public:
    float LowPass(float x, float cutoff) {
        float a = 1.0f - std::exp(-kTau * cutoff / kRate);
        y_ += a * (x - y_);
        return y_;
    }
    float HighPass(float x, float cutoff) { return x - LowPass(x, cutoff); }

  private:
    float y_ = 0;
};

// State-variable filter (trapezoidal); set the cutoff, then run samples through it.
class Svf {
  public:
    void Set(float cutoff, float q);
    struct Out {
        float low, band, high;
    };
    Out Run(float x);
    float Low(float x) { return Run(x).low; }

  private:
    float a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1, ic1_ = 0, ic2_ = 0;
};

// A stereo plate-like reverb: parallel damped combs into series all-passes per side.
class Reverb {
  public:
    explicit Reverb(float room = 0.84f, float damp = 0.25f);
    // Adds the reverb of the mono send into left/right.
    void Process(const std::vector<float>& send, std::vector<float>& left,
                 std::vector<float>& right, float wet);

  private:
    float room_, damp_;
};

// Ping-pong echo of a mono send into left/right.
void PingPongDelay(const std::vector<float>& send, std::vector<float>& left,
                   std::vector<float>& right, int delay_frames, float feedback, float wet);

// Scales interleaved stereo so its largest magnitude is `peak`.
void NormalisePeak(std::vector<float>& stereo, float peak);

// Interleaves two channels.
std::vector<float> Interleave(const std::vector<float>& left, const std::vector<float>& right);

float MidiToHz(float note);

}  // namespace assetgen
