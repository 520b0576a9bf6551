// The game's music: an electronic track at 120 BPM in A minor whose sections follow the level
// (sparse intro, groove, build-up, drop, half-time bridge, climax a tone up, calm outro).
//
// Notes are rendered one by one into a dry stereo mix and two mono sends (reverb, echo);
// the sends are processed at the end and a soft limiter sets the final level.
#include "tools/assetgen/music.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "tools/assetgen/dsp.h"
#include "tools/assetgen/effects.h"

namespace assetgen {

namespace {

constexpr double kStep = 0.125;  // a sixteenth note at 120 BPM
constexpr double kBar = 2.0;

struct Mix {
    std::vector<float> left, right, reverb, echo;
    explicit Mix(int frames) : left(frames), right(frames), reverb(frames), echo(frames) {}
    int Frames() const { return static_cast<int>(left.size()); }

    // Adds one sample of a voice at frame i with equal-power pan in [-1, 1] and its sends.
    void Add(int i, float v, float pan, float rev, float echo_send) {
        if (i < 0 || i >= Frames()) return;
        float angle = (pan + 1) * 0.25f * 3.14159265f;
        left[i] += v * std::cos(angle) * 1.41421356f;
        right[i] += v * std::sin(angle) * 1.41421356f;
        reverb[i] += v * rev;
        echo[i] += v * echo_send;
    }
    void AddStereo(int i, float l, float r, float rev) {
        if (i < 0 || i >= Frames()) return;
        left[i] += l;
        right[i] += r;
        reverb[i] += (l + r) * 0.5f * rev;
    }
};

int Frame(double seconds) {
    return static_cast<int>(std::lround(seconds * kRate));
}

// ---- instruments ---------------------------------------------------------------------------

void Kick(Mix& m, double at, float vel) {
    Oscillator osc;
    Noise noise(1);
    int start = Frame(at), n = Frame(0.42);
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float freq = 46 + 120 * std::exp(-t / 0.028f);
        float body = osc.Sine(freq) * std::exp(-t / 0.17f) * std::min(1.0f, t / 0.0015f);
        float click = noise.Next() * std::exp(-t / 0.0025f) * 0.35f;
        m.Add(start + i, std::tanh(1.6f * (body + click)) * vel * 0.9f, 0, 0.03f, 0);
    }
}

void Snare(Mix& m, double at, float vel, std::uint32_t seed) {
    Oscillator osc;
    Noise noise(seed);
    OnePole lp;
    Svf body;
    body.Set(5200, 0.7f);
    int start = Frame(at), n = Frame(0.28);
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float tone = osc.Sine(185 + 40 * std::exp(-t / 0.02f)) * std::exp(-t / 0.045f) * 0.55f;
        float hiss = body.Low(lp.HighPass(noise.Next(), 900)) * std::exp(-t / 0.085f);
        m.Add(start + i, (tone + hiss) * vel * 0.55f, 0.05f, 0.22f, 0);
    }
}

void Hat(Mix& m, double at, float vel, bool open, float pan, std::uint32_t seed) {
    Noise noise(seed);
    OnePole lp1, lp2;
    int start = Frame(at), n = Frame(open ? 0.32 : 0.07);
    float decay = open ? 0.11f : 0.018f;
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float x = lp2.HighPass(lp1.HighPass(noise.Next(), 7000), 7000);
        m.Add(start + i, x * std::exp(-t / decay) * vel * 0.42f, pan, 0.08f, 0);
    }
}

void Crash(Mix& m, double at, float vel) {
    Noise nl(71), nr(72);
    OnePole hl, hr;
    int start = Frame(at), n = Frame(2.6);
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float env = std::exp(-t / 0.75f) * std::min(1.0f, t / 0.002f) * vel * 0.22f;
        m.AddStereo(start + i, hl.HighPass(nl.Next(), 3500) * env,
                    hr.HighPass(nr.Next(), 3500) * env, 0.3f);
    }
}

void Bass(Mix& m, double at, double dur, float note, float vel, float bright) {
    Oscillator saw, sub;
    Svf filter;
    int start = Frame(at), n = Frame(dur), release = Frame(0.02);
    float freq = MidiToHz(note);
    for (int i = 0; i < n + release; ++i) {
        float t = static_cast<float>(i) / kRate;
        if (i % 16 == 0) filter.Set(bright * (220 + 1600 * std::exp(-t / 0.07f)), 1.3f);
        float amp = std::min(1.0f, t / 0.003f);
        if (i >= n) amp *= 1.0f - static_cast<float>(i - n) / release;
        float x = filter.Low(saw.Saw(freq)) * 0.8f + sub.Sine(freq) * 0.45f;
        m.Add(start + i, std::tanh(1.3f * x) * amp * vel * 0.42f, 0, 0.0f, 0);
    }
}

void Pad(Mix& m, double at, double dur, float note, float vel, float cutoff) {
    const float detune[3] = {-0.11f, 0.0f, 0.12f};  // semitones
    const float pans[3] = {-0.7f, 0.0f, 0.7f};
    int start = Frame(at), n = Frame(dur), release = Frame(0.6), attack = Frame(0.35);
    for (int v = 0; v < 3; ++v) {
        Oscillator osc;
        osc.Reset(0.31f * v);
        OnePole a, b;
        float freq = MidiToHz(note + detune[v]);
        for (int i = 0; i < n + release; ++i) {
            float amp = std::min(1.0f, static_cast<float>(i) / attack);
            if (i >= n) amp *= 1.0f - static_cast<float>(i - n) / release;
            float x = b.LowPass(a.LowPass(osc.Saw(freq), cutoff), cutoff);
            m.Add(start + i, x * amp * vel * 0.1f, pans[v], 0.5f, 0);
        }
    }
}

void Pluck(Mix& m, double at, float note, float vel, float cutoff, float pan) {
    Oscillator a, b;
    Svf filter;
    int start = Frame(at), n = Frame(0.34);
    float freq = MidiToHz(note);
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        if (i % 16 == 0) filter.Set(cutoff * (1 + 2.5f * std::exp(-t / 0.04f)), 1.6f);
        float env = std::exp(-t / 0.13f) * std::min(1.0f, t / 0.002f);
        float x = filter.Low(0.6f * a.Saw(freq) + 0.4f * b.Square(freq * 1.004f));
        m.Add(start + i, x * env * vel * 0.2f, pan, 0.3f, 0.32f);
    }
}

void Lead(Mix& m, double at, double dur, float note, float vel) {
    Oscillator a, b, c;
    Svf filter;
    int start = Frame(at), n = Frame(dur), release = Frame(0.09);
    for (int i = 0; i < n + release; ++i) {
        float t = static_cast<float>(i) / kRate;
        // Vibrato fades in once the note has settled.
        float vib =
            0.16f * std::min(1.0f, std::max(0.0f, (t - 0.18f) / 0.25f)) * std::sin(kTau * 5.5f * t);
        float freq = MidiToHz(note + vib);
        if (i % 16 == 0) filter.Set(2400 + 3000 * std::exp(-t / 0.12f), 1.1f);
        float amp = std::min(1.0f, t / 0.006f) * (0.8f + 0.2f * std::exp(-t / 0.2f));
        if (i >= n) amp *= 1.0f - static_cast<float>(i - n) / release;
        float x = 0.45f * a.Saw(freq * 1.0035f) + 0.45f * b.Saw(freq * 0.9965f) +
                  0.25f * c.Square(freq * 0.5f);
        m.Add(start + i, filter.Low(x) * amp * vel * 0.27f, 0.1f, 0.32f, 0.24f);
    }
}

// A noise sweep and a rising tone that lead into a section.
void Riser(Mix& m, double at, double dur, float vel) {
    Noise noise(91);
    Svf band;
    Oscillator tone;
    int start = Frame(at), n = Frame(dur);
    for (int i = 0; i < n; ++i) {
        float p = static_cast<float>(i) / n;
        if (i % 32 == 0) band.Set(300 * std::pow(30.0f, p), 2.5f);
        float amp = p * p * vel;
        float x = band.Run(noise.Next()).band * 0.5f + tone.Saw(110 * std::pow(8.0f, p)) * 0.05f;
        float pan = 0.6f * std::sin(kTau * 0.7f * p * static_cast<float>(dur));
        m.Add(start + i, x * amp * 0.6f, pan, 0.4f, 0.1f);
    }
}

// ---- composition ---------------------------------------------------------------------------

// Chords of the progression Am - F - C - G: pad voicing and bass root (MIDI notes).
struct Chord {
    float pad[3];
    float root;
};
const Chord kChords[4] = {
    {{57, 60, 64}, 33}, {{57, 60, 65}, 29}, {{55, 60, 64}, 36}, {{55, 59, 62}, 31}};

struct Note {
    int step;  // sixteenths from the start of the phrase
    int length;
    float pitch;
};

// Parses "A4:2 C5:2 r:4 ..." into notes (name, octave, length in sixteenths).
std::vector<Note> Phrase(const std::string& text) {
    static const int kOffsets[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
    std::vector<Note> notes;
    std::istringstream in(text);
    std::string token;
    int step = 0;
    while (in >> token) {
        size_t colon = token.find(':');
        int length = std::stoi(token.substr(colon + 1));
        std::string name = token.substr(0, colon);
        if (name != "r") {
            int pitch = kOffsets[name[0] - 'A'];
            size_t pos = 1;
            if (name[pos] == '#') ++pitch, ++pos;
            int octave = name[pos] - '0';
            notes.push_back({step, length, static_cast<float>(12 * (octave + 1) + pitch)});
        }
        step += length;
    }
    return notes;
}

const std::vector<Note>& MelodyA() {
    static const std::vector<Note> notes = Phrase(
        "A4:2 C5:2 E5:3 A5:3 G5:2 E5:4 "
        "F5:3 E5:3 C5:2 A4:4 C5:2 D5:2 "
        "E5:3 G5:3 E5:2 C5:2 D5:2 E5:2 G5:2 "
        "D5:6 B4:2 G4:4 r:4");
    return notes;
}

const std::vector<Note>& MelodyB() {
    static const std::vector<Note> notes = Phrase(
        "A5:3 G5:3 E5:2 C5:2 E5:2 A5:2 B5:2 "
        "C6:4 A5:4 F5:4 A5:2 C6:2 "
        "G5:3 E5:3 C5:2 G5:4 E5:2 G5:2 "
        "B5:4 A5:2 G5:2 D5:6 r:2");
    return notes;
}

enum class Part { kIntro, kGroove, kBuild, kDrop, kBridge, kClimax, kOutro };

struct Section {
    Part part;
    double start, end;
    float transpose;
};

// The sections follow the level's moments: first enemies at 12 s, dimming at 48 s, black
// field at 59 s, brightening at 84 s, the climax from 107 s and the end of play at 140 s.
const Section kSections[] = {{Part::kIntro, 0, 12, 0},       {Part::kGroove, 12, 48, 0},
                             {Part::kBuild, 48, 59, 0},      {Part::kDrop, 59, 84, 0},
                             {Part::kBridge, 84, 107, 0},    {Part::kClimax, 107, 140, 2},
                             {Part::kOutro, 140, 220.352, 0}};

class Composer {
  public:
    explicit Composer(Mix& mix) : m_(mix) {}

    void Play(const Section& s) {
        int bars = static_cast<int>(std::ceil((s.end - s.start) / kBar - 1e-9));
        for (int bar = 0; bar < bars; ++bar) {
            double at = s.start + bar * kBar;
            // The last bar of a section may be a half bar.
            int steps = std::min(16, static_cast<int>(std::lround((s.end - at) / kStep)));
            PlayBar(s, bar, bars, at, steps);
        }
    }

  private:
    void PlayBar(const Section& s, int bar, int bars, double at, int steps) {
        const Chord& chord = kChords[bar % 4];
        float tr = s.transpose;
        double len = steps * kStep;
        bool last = bar == bars - 1;
        auto t = [&](int step) { return at + step * kStep; };
        switch (s.part) {
            case Part::kIntro: {
                float fade = std::min(1.0f, (bar + 1) / 3.0f);
                PadChord(chord, tr, at, len, 0.8f * fade, 900 + 150 * bar);
                for (int i = 0; i < steps; ++i) {
                    Arp(chord, tr, t(i), i, 0.6f + 0.1f * bar, 500 + 220 * bar);
                }
                if (last) Riser(m_, at, len, 0.5f);
                break;
            }
            case Part::kGroove: {
                if (bar == 0) Crash(m_, at, 0.8f);
                PadChord(chord, tr, at, len, 0.75f, 1800);
                for (int i = 0; i < steps; ++i) {
                    if (i % 4 == 0) Kick(m_, t(i), 1.0f);
                    if (i % 4 == 2) Hat(m_, t(i), 0.9f, false, 0.3f, 100 + i);
                    if (bar >= 8 && i % 4 != 2) Hat(m_, t(i), 0.45f, false, -0.3f, 200 + i);
                    if (bar >= 4 && (i == 4 || i == 12)) Snare(m_, t(i), 0.8f, 300 + i);
                    if (i % 2 == 0) {
                        float note = chord.root + tr + (i % 4 == 2 ? 12 : 0);
                        Bass(m_, t(i), kStep * 1.6, note, 0.9f, 1.0f);
                    }
                    Arp(chord, tr, t(i), i, 0.55f, 1300);
                }
                if (bar % 8 == 7) Fill(at, 0.7f);
                break;
            }
            case Part::kBuild: {
                float rise = static_cast<float>(bar) / bars;
                PadChord(chord, tr, at, len, 0.8f, 1500 + 2000 * rise);
                if (bar == 0) Riser(m_, s.start, s.end - s.start, 0.9f);
                int every = bar < 2 ? 4 : bar < 4 ? 2 : 1;
                for (int i = 0; i < steps; ++i) {
                    float vel = 0.35f + 0.6f * (rise + i / 16.0f / bars);
                    if (i % every == 0) Snare(m_, t(i), vel, 400 + i);
                    if (last) Snare(m_, t(i) + kStep / 2, vel, 450 + i);
                    if (bar < 4 && i % 4 == 0) Kick(m_, t(i), 0.9f);
                    if (!last) Bass(m_, t(i), kStep * 0.8, chord.root + tr + 12, 0.7f, 1.0f + rise);
                    Arp(chord, tr, t(i), i, 0.5f + 0.3f * rise, 1500 + 3500 * rise);
                }
                break;
            }
            case Part::kDrop:
            case Part::kClimax: {
                bool climax = s.part == Part::kClimax;
                if (bar % 4 == 0) Crash(m_, at, 1.0f);
                PadChord(chord, tr, at, len, 0.85f, 2600);
                FullBeat(chord, tr, at, steps, bar);
                if (!last) {
                    const std::vector<Note>& melody = (bar / 4) % 2 == 0 ? MelodyA() : MelodyB();
                    LeadBar(melody, bar % 4, tr, at, steps, 1.0f);
                    if (climax) LeadBar(melody, bar % 4, tr + 12, at, steps, 0.45f);
                }
                if (bar % 8 == 7 || last) Fill(at + len - kBar, 0.9f);
                break;
            }
            case Part::kBridge: {
                if (bar == 0) Crash(m_, at, 0.7f);
                PadChord(chord, tr, at, len, 1.0f, 2200);
                PadChord(chord, tr + 12, at, len, 0.4f, 2600);
                bool lift = bar >= bars - 2;
                for (int i = 0; i < steps; ++i) {
                    if (i == 0 || i == 10) Kick(m_, t(i), 0.9f);
                    if (i == 8) Snare(m_, t(i), 0.85f, 500 + i);
                    if (i % 2 == 0) Hat(m_, t(i), i % 4 == 2 ? 0.7f : 0.35f, false, 0.25f, 600 + i);
                    if (i % 8 == 0) Bass(m_, t(i), kStep * 7, chord.root + tr, 0.8f, 0.8f);
                    if (i % 2 == 0) Arp(chord, tr + 12, t(i), i / 2, 0.35f, 1800);
                    if (lift && i % 2 == 1) Snare(m_, t(i), 0.3f + 0.3f * i / 16.0f, 550 + i);
                }
                if (bar == bars - 2) Riser(m_, at, s.end - at, 0.8f);
                if (!lift) {
                    const std::vector<Note>& melody = (bar / 4) % 2 == 0 ? MelodyA() : MelodyB();
                    LeadBar(melody, bar % 4, tr + 12, at, steps, 0.6f);
                }
                break;
            }
            case Part::kOutro: {
                float fade = std::clamp(1.0f - (bar - 8) / 32.0f, 0.0f, 1.0f);
                if (bar == 0) {
                    Crash(m_, at, 0.7f);
                    Kick(m_, at, 0.9f);
                }
                if (fade > 0) PadChord(chord, tr, at, len, 0.9f * fade, 1400 - 20 * bar);
                int every = bar < 8 ? 1 : bar < 16 ? 2 : bar < 24 ? 4 : 8;
                for (int i = 0; i < steps; ++i) {
                    if (bar < 4 && i % 8 == 0)
                        Bass(m_, t(i), kStep * 7, chord.root + tr, 0.6f, 0.7f);
                    if (i % every == 0 && fade > 0) {
                        Arp(chord, tr, t(i), i / every, 0.55f * fade, 1100 - 15 * bar);
                    }
                }
                if (bar < 4) LeadBar(MelodyA(), bar % 4, tr + 12, at, steps, 0.3f);
                break;
            }
        }
    }

    void PadChord(const Chord& c, float tr, double at, double len, float vel, float cutoff) {
        for (float note : c.pad) Pad(m_, at, len, note + tr, vel, cutoff);
    }

    // Sixteenth arpeggio over the chord, two octaves up, alternating sides.
    void Arp(const Chord& c, float tr, double at, int index, float vel, float cutoff) {
        static const int kOrder[8] = {0, 1, 2, 3, 2, 1, 3, 1};
        int k = kOrder[index % 8];
        float note = k == 3 ? c.pad[0] + 12 : c.pad[k];
        Pluck(m_, at, note + 12 + tr, vel, cutoff, index % 2 == 0 ? -0.45f : 0.45f);
    }

    // Kick on every beat, snare on two and four, open hats on the off-beats, closed
    // sixteenths, and a rolling bass with octave jumps.
    void FullBeat(const Chord& c, float tr, double at, int steps, int bar) {
        static const int kBassOct[16] = {0, 0, 12, 0, 0, 12, 0, 0, 0, 0, 12, 0, 0, 12, 0, 7};
        for (int i = 0; i < steps; ++i) {
            double t = at + i * kStep;
            if (i % 4 == 0) Kick(m_, t, 1.0f);
            if (i == 4 || i == 12) Snare(m_, t, 1.0f, 700 + i);
            if (i % 4 == 2)
                Hat(m_, t, 0.75f, true, 0.35f, 800 + i);
            else
                Hat(m_, t, i % 2 == 0 ? 0.5f : 0.35f, false, -0.35f, 900 + i);
            float vel = i % 4 == 0 ? 1.0f : 0.8f;
            Bass(m_, t, kStep * 0.85, c.root + tr + kBassOct[i], vel, 1.3f);
            if (bar % 2 == 1 || i % 2 == 0) Arp(c, tr, t, i, 0.45f, 2600);
        }
    }

    // One bar (phrase bar 0-3) of a four-bar melody.
    void LeadBar(const std::vector<Note>& melody, int phrase_bar, float tr, double at, int steps,
                 float vel) {
        for (const Note& n : melody) {
            int step = n.step - phrase_bar * 16;
            if (step < 0 || step >= steps) continue;
            Lead(m_, at + step * kStep, n.length * kStep * 0.92, n.pitch + tr, vel);
        }
    }

    // A snare fill over the last beat of the bar that begins at `at`.
    void Fill(double at, float vel) {
        for (int i = 12; i < 16; ++i)
            Snare(m_, at + i * kStep, vel * (0.6f + 0.1f * (i - 12)), 1000 + i);
        Snare(m_, at + 14.5 * kStep, vel * 0.5f, 1020);
        Snare(m_, at + 15.5 * kStep, vel * 0.6f, 1021);
    }

    Mix& m_;
};

// Brings loud passages to a comfortable loudness: a gentle saturation above a knee, so the
// peaks are rounded rather than clipped.
float Limit(float x) {
    const float knee = 0.55f;
    float a = std::fabs(x);
    if (a <= knee) return x;
    float over = (a - knee) / (1 - knee);
    float y = knee + (1 - knee) * std::tanh(over);
    return x < 0 ? -y : y;
}

}  // namespace

std::vector<float> MusicTrack(int frames) {
    Mix mix(frames);
    Composer composer(mix);
    for (const Section& s : kSections) composer.Play(s);

    Reverb reverb(0.86f, 0.3f);
    reverb.Process(mix.reverb, mix.left, mix.right, 1.0f);
    PingPongDelay(mix.echo, mix.left, mix.right, Frame(0.375), 0.38f, 0.55f);

    std::vector<float> out = Interleave(mix.left, mix.right);
    // Bring the loudest passages to the limiter's knee region, then set the final peak.
    NormalisePeak(out, 1.25f);
    for (float& v : out) v = Limit(v);
    NormalisePeak(out, kEffectPeak);
    return out;
}

}  // namespace assetgen
