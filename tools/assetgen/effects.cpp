// Sound effects: a bright shot, a burst with a long tail, a clank, and the ship's crunch.
#include "tools/assetgen/effects.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/dsp.h"

namespace assetgen {

namespace {

// A short linear fade over the last frames so a sound never ends on a click.
void FadeTail(std::vector<float>& left, std::vector<float>& right, int frames) {
    int n = static_cast<int>(left.size());
    for (int i = std::max(0, n - frames); i < n; ++i) {
        float g = static_cast<float>(n - 1 - i) / frames;
        left[i] *= g;
        right[i] *= g;
    }
}

std::vector<float> Finish(std::vector<float>& left, std::vector<float>& right, int fade) {
    FadeTail(left, right, fade);
    std::vector<float> out = Interleave(left, right);
    NormalisePeak(out, kEffectPeak);
    return out;
}

}  // namespace

std::vector<float> ShootSound(int frames) {
    std::vector<float> left(frames), right(frames);
    Oscillator square_l, saw_l, square_r, saw_r;
    Noise noise(11);
    Svf tone_l, tone_r;
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kRate;
        // Pitch falls from 1400 Hz to 300 Hz over 0.15 s, then stays low as it dies away.
        float sweep = std::min(t / 0.15f, 1.0f);
        float freq = 1400.0f * std::pow(300.0f / 1400.0f, sweep);
        float env = std::exp(-t / 0.07f) * std::min(1.0f, t / 0.002f);
        float cut = 2500 + 6000 * std::exp(-t / 0.05f);
        if (i % 32 == 0) {
            tone_l.Set(cut, 0.9f);
            tone_r.Set(cut, 0.9f);
        }
        float l = 0.55f * square_l.Square(freq) + 0.45f * saw_l.Saw(freq * 1.003f);
        float r = 0.55f * square_r.Square(freq * 0.997f) + 0.45f * saw_r.Saw(freq);
        float click = noise.Next() * std::exp(-t / 0.004f) * 0.8f;
        left[i] = tone_l.Low(l) * env + click;
        right[i] = tone_r.Low(r) * env + click;
    }
    return Finish(left, right, 480);
}

std::vector<float> ExplodeSound(int frames) {
    std::vector<float> left(frames), right(frames), send(frames);
    Oscillator sub;
    Noise noise_l(21), noise_r(22);
    Svf lp_l, lp_r;
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kRate;
        float sub_freq = 40 + 30 * std::exp(-t / 0.1f);
        float thump = sub.Sine(sub_freq) * std::exp(-t / 0.12f) * std::min(1.0f, t / 0.003f);
        float cut = 300 + 5700 * std::exp(-t / 0.25f);
        if (i % 32 == 0) {
            lp_l.Set(cut, 0.8f);
            lp_r.Set(cut * 0.92f, 0.8f);
        }
        float env = std::exp(-t / 0.35f) * std::min(1.0f, t / 0.004f);
        // A second, slower body keeps the rumble going under the crack.
        float rumble = std::exp(-t / 0.9f) * 0.35f;
        float nl = lp_l.Low(noise_l.Next()) * (env + rumble);
        float nr = lp_r.Low(noise_r.Next()) * (env + rumble);
        float crack = std::tanh(1.8f * thump);
        left[i] = crack * 0.9f + nl * 1.1f;
        right[i] = crack * 0.9f + nr * 1.1f;
        send[i] = (left[i] + right[i]) * 0.5f;
    }
    Reverb room(0.88f, 0.35f);
    room.Process(send, left, right, 1.4f);
    // Let the tail die away to silence over the last second.
    for (int i = 0; i < frames; ++i) {
        float remaining = static_cast<float>(frames - i) / kRate;
        float g = std::clamp(remaining / 1.2f, 0.0f, 1.0f);
        left[i] *= g * g;
        right[i] *= g * g;
    }
    return Finish(left, right, 240);
}

std::vector<float> PlayerHitSound(int frames) {
    std::vector<float> left(frames), right(frames);
    // Inharmonic partials of a struck plate: frequency, level, decay time, pan.
    struct Partial {
        float freq, level, decay, pan;
    };
    const Partial partials[] = {{523, 0.8f, 0.20f, 0.0f},  {1187, 0.6f, 0.14f, -0.4f},
                                {1741, 0.5f, 0.10f, 0.4f}, {2463, 0.35f, 0.07f, -0.2f},
                                {3301, 0.3f, 0.05f, 0.3f}, {4177, 0.2f, 0.035f, 0.0f}};
    Oscillator osc[6];
    Noise noise(31);
    OnePole hp;
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kRate;
        float l = 0, r = 0;
        for (int p = 0; p < 6; ++p) {
            float v = osc[p].Sine(partials[p].freq) * partials[p].level *
                      std::exp(-t / partials[p].decay);
            l += v * (1 - partials[p].pan);
            r += v * (1 + partials[p].pan);
        }
        float strike = hp.HighPass(noise.Next(), 2000) * std::exp(-t / 0.006f) * 1.2f;
        left[i] = l + strike;
        right[i] = r + strike;
    }
    return Finish(left, right, 480);
}

std::vector<float> PlayerExplodeSound(int frames) {
    std::vector<float> left(frames), right(frames);
    Oscillator tone;
    Noise noise_l(41), noise_r(42);
    Svf lp_l, lp_r;
    lp_l.Set(900, 1.4f);
    lp_r.Set(820, 1.4f);
    float held_l = 0, held_r = 0;
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kRate;
        float freq = 220 * std::pow(40.0f / 220.0f, std::min(t / 0.4f, 1.0f));
        float env = std::min(1.0f, t / 0.002f) * (0.3f + 0.7f * std::exp(-t / 0.1f));
        // Sample-and-hold at a falling rate gives the crunchy, torn texture.
        int hold = 2 + static_cast<int>(t * 40);
        if (i % hold == 0) {
            held_l = noise_l.Next();
            held_r = noise_r.Next();
        }
        float body = tone.Saw(freq) * 0.7f;
        float l = std::tanh(2.5f * (lp_l.Low(held_l) * 1.6f + body)) * env;
        float r = std::tanh(2.5f * (lp_r.Low(held_r) * 1.6f + body)) * env;
        left[i] = l;
        right[i] = r;
    }
    // It ends hard: only a few milliseconds of fade so the cut does not click.
    return Finish(left, right, 144);
}

}  // namespace assetgen
