// Oscillators, filters, echo and reverb for the synthesised sounds.
#include "tools/assetgen/dsp.h"

#include <algorithm>

namespace assetgen {

namespace {

// Correction that rounds off a unit step at phase 0 (t is the phase, dt the increment).
float PolyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

}  // namespace

float Oscillator::Advance(float freq) {
    float dt = freq / kRate;
    phase_ += dt;
    phase_ -= std::floor(phase_);
    return dt;
}

float Oscillator::Saw(float freq) {
    float dt = std::min(Advance(freq), 0.5f);
    return 2.0f * phase_ - 1.0f - PolyBlep(phase_, dt);
}

float Oscillator::Square(float freq) {
    float dt = std::min(Advance(freq), 0.25f);
    float v = phase_ < 0.5f ? 1.0f : -1.0f;
    float shifted = phase_ + 0.5f;
    shifted -= std::floor(shifted);
    return v + PolyBlep(phase_, dt) - PolyBlep(shifted, dt);
}

float Oscillator::Sine(float freq) {
    Advance(freq);
    return std::sin(kTau * phase_);
}

void Svf::Set(float cutoff, float q) {
    cutoff = std::clamp(cutoff, 10.0f, kRate * 0.45f);
    float g = std::tan(3.14159265f * cutoff / kRate);
    k_ = 1.0f / q;
    a1_ = 1.0f / (1.0f + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

Svf::Out Svf::Run(float x) {
    float v3 = x - ic2_;
    float v1 = a1_ * ic1_ + a2_ * v3;
    float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2 * v1 - ic1_;
    ic2_ = 2 * v2 - ic2_;
    return Out{v2, v1, x - k_ * v1 - v2};
}

Reverb::Reverb(float room, float damp) : room_(room), damp_(damp) {}

void Reverb::Process(const std::vector<float>& send, std::vector<float>& left,
                     std::vector<float>& right, float wet) {
    static const int kCombs[] = {1215, 1293, 1390, 1476, 1548, 1623, 1695, 1760};
    static const int kPasses[] = {605, 480, 371, 245};
    const int spread = 25;
    for (int side = 0; side < 2; ++side) {
        std::vector<float>& out = side == 0 ? left : right;
        std::vector<std::vector<float>> combs, passes;
        for (int len : kCombs) combs.emplace_back(len + side * spread, 0.0f);
        for (int len : kPasses) passes.emplace_back(len + side * spread, 0.0f);
        std::vector<size_t> comb_pos(combs.size(), 0), pass_pos(passes.size(), 0);
        std::vector<float> comb_lp(combs.size(), 0.0f);
        for (size_t i = 0; i < send.size(); ++i) {
            float in = send[i] * 0.015f;
            float sum = 0;
            for (size_t c = 0; c < combs.size(); ++c) {
                float& cell = combs[c][comb_pos[c]];
                float y = cell;
                comb_lp[c] = y * (1 - damp_) + comb_lp[c] * damp_;
                cell = in + comb_lp[c] * room_;
                if (++comb_pos[c] == combs[c].size()) comb_pos[c] = 0;
                sum += y;
            }
            for (size_t p = 0; p < passes.size(); ++p) {
                float& cell = passes[p][pass_pos[p]];
                float buffered = cell;
                cell = sum + buffered * 0.5f;
                sum = buffered - sum;
                if (++pass_pos[p] == passes[p].size()) pass_pos[p] = 0;
            }
            out[i] += sum * wet;
        }
    }
}

void PingPongDelay(const std::vector<float>& send, std::vector<float>& left,
                   std::vector<float>& right, int delay_frames, float feedback, float wet) {
    std::vector<float> a(delay_frames, 0.0f), b(delay_frames, 0.0f);
    size_t pos = 0;
    OnePole tone_a, tone_b;
    for (size_t i = 0; i < send.size(); ++i) {
        float from_a = a[pos], from_b = b[pos];
        // Left echoes feed the right line and back, so repeats alternate sides.
        a[pos] = send[i] + tone_b.LowPass(from_b, 4500) * feedback;
        b[pos] = tone_a.LowPass(from_a, 4500) * feedback;
        left[i] += from_a * wet;
        right[i] += from_b * wet;
        if (++pos == a.size()) pos = 0;
    }
}

void NormalisePeak(std::vector<float>& stereo, float peak) {
    float largest = 0;
    for (float v : stereo) largest = std::max(largest, std::fabs(v));
    if (largest <= 0) return;
    float gain = peak / largest;
    for (float& v : stereo) v *= gain;
}

std::vector<float> Interleave(const std::vector<float>& left, const std::vector<float>& right) {
    std::vector<float> out(left.size() * 2);
    for (size_t i = 0; i < left.size(); ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
    return out;
}

float MidiToHz(float note) {
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

}  // namespace assetgen
