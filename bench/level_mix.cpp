// How loud the game's mix gets: plays a stored game (by default the whole level with long
// chains, tests/data/replay/level.rec) through the headless harness, notes when each sound
// starts and how the music's volume moves, and mixes the sound files at those moments as
// the mixer would (unity gain, summed, one clamp at the end). Prints the mix's peak, the
// samples that would clip, the RMS during play and how far each shot stands out from
// everything else sounding in its first 100 ms. The real output under load comes from
// scripts/audio-soak; this is the quick, repeatable check when choosing asset levels.
//
//   bench_level_mix [recording] [name=gain ...]   e.g. bench_level_mix music=0.5 explode=0.7
//
// Extra gains scale one sound file (explode, music, shoot, playerhit, playerexplode), to
// try levels before regenerating the assets.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio/audio.h"
#include "engine/system/clock.h"
#include "game/globals.h"
#include "tools/headless/harness.h"
#include "tools/replay/recording.h"
#include "tools/replay/replay_player.h"

namespace {

constexpr int kHertz = 44100;
const char* const kNames[] = {"explode", "music", "shoot", "playerhit", "playerexplode"};

struct Event {
    std::uint32_t ms;
    TAudioCall call;
};

struct Voice {
    int sound;  // index into kNames
    int channel;
    double start;  // seconds since the first frame
    double stop;   // when its channel was stopped or replaced, else infinity
};

struct Sample {
    int hertz = 0;
    std::vector<float> left, right;
};

Sample Decode(const std::string& name) {
    Sample s;
    auto sample =
        LoadAudioSample(std::string(ZANDOR_SOURCE_DIR) + "/assets/sound/" + name + ".ogg");
    if (!sample) sample = LoadAudioSample("incbin::assets/sound/" + name + ".ogg");
    if (!sample) return s;
    auto stereo = sample->Convert(SF_STEREO16LE);
    s.hertz = stereo->hertz;
    const auto* v = reinterpret_cast<const std::int16_t*>(stereo->samples);
    for (int i = 0; i < stereo->length; ++i) {
        s.left.push_back(v[2 * i] / 32768.0f);
        s.right.push_back(v[2 * i + 1] / 32768.0f);
    }
    return s;
}

double Db(double x) {
    return x > 0 ? 20 * std::log10(x) : -999;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = std::string(ZANDOR_SOURCE_DIR) + "/tests/data/replay/level.rec";
    float gain[5] = {1, 1, 1, 1, 1};
    for (int i = 1; i < argc; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        if (!eq) {
            path = argv[i];
            continue;
        }
        const std::string name(argv[i], static_cast<std::size_t>(eq - argv[i]));
        bool known = false;
        for (int k = 0; k < 5; ++k) {
            if (name == kNames[k]) gain[k] = std::strtof(eq + 1, nullptr), known = true;
        }
        if (!known) return std::fprintf(stderr, "unknown sound %s\n", name.c_str()), 2;
    }

    TRecording recording;
    std::string error;
    if (!LoadRecording(path, recording, error))
        return std::fprintf(stderr, "%s\n", error.c_str()), 1;

    // Which sound object is which file, and every call with the clock of its frame.
    std::map<const TSound*, int> which;
    std::vector<Event> events;
    std::size_t seen = 0;
    std::uint32_t first_ms = 0, last_ms = 0, end_ms = 0;
    bool ended = false;
    PlayRecording(recording, [&](int frame, std::uint64_t) {
        const std::uint32_t now = MillisecondClock();
        if (frame == 1) {
            first_ms = now;
            const std::shared_ptr<TSound>* sounds[] = {&explodeSnd, &musicSnd, &shootSnd,
                                                       &playerHitSnd, &playerExplodeSnd};
            for (int k = 0; k < 5; ++k) which[sounds[k]->get()] = k;
        }
        const auto& calls = TRecordingAudioDriver::Instance().Calls();
        for (; seen < calls.size(); ++seen) events.push_back({now, calls[seen]});
        // Play ends where the closing screen begins: the music is lowered from there on.
        if (!ended && (gameState == GAME_STATE_GAME_OVER || gameState == GAME_STATE_END)) {
            ended = true;
            end_ms = now;
        }
        last_ms = now;
    });
    if (!ended) end_ms = last_ms;

    // Voices, and the music channel's volume over time.
    std::vector<Voice> voices;
    std::map<int, std::vector<std::pair<double, float>>> volume;  // channel -> (time, volume)
    double play_from = -1;
    for (const Event& e : events) {
        const double t = static_cast<std::uint32_t>(e.ms - first_ms) / 1000.0;
        const TAudioCall& c = e.call;
        if (c.kind == TAudioCall::PLAY) {
            auto it = which.find(c.sound);
            if (it == which.end()) continue;
            for (Voice& v : voices) {
                if (v.channel == c.channel && v.stop > t) v.stop = t;
            }
            voices.push_back({it->second, c.channel, t, INFINITY});
            if (it->second == 1 && play_from < 0) play_from = t;
        } else if (c.kind == TAudioCall::STOP) {
            for (Voice& v : voices) {
                if (v.channel == c.channel && v.stop > t) v.stop = t;
            }
        } else if (c.kind == TAudioCall::VOLUME) {
            volume[c.channel].emplace_back(t, c.value);
        }
    }
    const double length = static_cast<std::uint32_t>(last_ms - first_ms) / 1000.0 + 3;
    const auto frames = static_cast<std::size_t>(length * kHertz);

    Sample samples[5];
    for (int k = 0; k < 5; ++k) samples[k] = Decode(kNames[k]);

    // The whole mix, and the shots apart from everything else.
    std::vector<double> mix(2 * frames), shots(2 * frames);
    std::size_t counts[5] = {};
    for (const Voice& v : voices) {
        const Sample& s = samples[v.sound];
        if (s.hertz == 0) continue;
        ++counts[v.sound];
        const auto& vol = volume[v.channel];
        const auto from = static_cast<std::size_t>(v.start * kHertz);
        const double step = static_cast<double>(s.hertz) / kHertz;
        for (std::size_t f = from; f < frames; ++f) {
            const double t = static_cast<double>(f) / kHertz;
            if (t >= v.stop) break;
            const double at = (f - from) * step;
            const auto i = static_cast<std::size_t>(at);
            if (i + 1 >= s.left.size()) break;
            const double frac = at - i;
            float g = gain[v.sound];
            // The channel volume in force at t (the last change before it).
            auto it = std::upper_bound(vol.begin(), vol.end(), t,
                                       [](double x, const auto& p) { return x < p.first; });
            if (it != vol.begin()) g *= std::prev(it)->second;
            const double l = (s.left[i] + frac * (s.left[i + 1] - s.left[i])) * g;
            const double r = (s.right[i] + frac * (s.right[i + 1] - s.right[i])) * g;
            mix[2 * f] += l;
            mix[2 * f + 1] += r;
            if (v.sound == 2) {
                shots[2 * f] += l;
                shots[2 * f + 1] += r;
            }
        }
    }

    double peak = 0, sum = 0;
    std::size_t clipped = 0, played = 0;
    const double end = static_cast<std::uint32_t>(end_ms - first_ms) / 1000.0;
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double a = std::fabs(mix[i]) * 32768;
        peak = std::max(peak, a);
        if (a >= 32767) ++clipped;
        const double t = static_cast<double>(i / 2) / kHertz;
        if (t >= play_from && t < end) sum += mix[i] * mix[i], ++played;
    }

    // Each shot's first 100 ms against the rest of the mix in the same 100 ms.
    std::vector<double> stand_out;
    for (const Voice& v : voices) {
        if (v.sound != 2) continue;
        const auto a = static_cast<std::size_t>(v.start * kHertz), b = a + kHertz / 10;
        if (b >= frames) continue;
        double shot = 0, rest = 0;
        for (std::size_t i = 2 * a; i < 2 * b; ++i) {
            shot += shots[i] * shots[i];
            rest += (mix[i] - shots[i]) * (mix[i] - shots[i]);
        }
        stand_out.push_back(10 * std::log10(shot / std::max(rest, 1e-12)));
    }
    std::sort(stand_out.begin(), stand_out.end());

    std::printf("game: %s, %.1f s, play %.1f s to %.1f s\n", path.c_str(), length - 3, play_from,
                end);
    std::printf("sounds: %zu explode, %zu music, %zu shoot, %zu playerhit, %zu playerexplode\n",
                counts[0], counts[1], counts[2], counts[3], counts[4]);
    std::printf("gains: explode %.3f music %.3f shoot %.3f playerhit %.3f playerexplode %.3f\n",
                gain[0], gain[1], gain[2], gain[3], gain[4]);
    std::printf("peak %.0f (%.2f dBFS), samples at or past full scale %zu (%.1f per minute)\n",
                peak, Db(peak / 32768), clipped, clipped / (length / 60));
    std::printf("RMS during play %.2f dBFS\n",
                Db(std::sqrt(sum / std::max<std::size_t>(played, 1))));
    if (!stand_out.empty()) {
        std::printf(
            "shot over the rest, first 100 ms: median %+.1f dB, worst tenth %+.1f dB, worst %+.1f "
            "dB\n",
            stand_out[stand_out.size() / 2], stand_out[stand_out.size() / 10], stand_out.front());
    }
    return 0;
}
