// The two halves of scripts/audio-soak that need more than a shell: recording what SDL's
// disk audio driver writes, with the wall time of every piece, and reading the recording.
//
//   audio_soak_report record <fifo> <out.raw> <out.times>
//   audio_soak_report report <rec.raw> <rec.times> <bot.log> <shoot.raw>
//   audio_soak_report gaps <file.raw>
//
// Recordings are 44100 Hz signed 16-bit little-endian stereo. The times file has one line per
// read from the pipe: bytes recorded so far and the wall time (µs since the epoch) it came.
// The bot log has "start <µs>", "stop <µs>" and "probe <µs>" lines: a game begun, the closing
// screen seen, and a click made after at least 0.7 s without one.
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kHertz = 44100;
constexpr int kLap = 16384;                    // frames in the mixer's 32-fragment ring
constexpr int kGapFrames = kHertz / 50;        // 20 ms
constexpr int kSilentLevel = 1;                // |value| at or below this is silence
constexpr int kStaleBlock = 256;               // frames compared at a time for replays
constexpr int kStaleFloor = 64;                // blocks quieter than this are not judged
constexpr long long kLevelMicros = 139000000;  // the level lasts 140 s

std::int64_t NowMicros() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return static_cast<std::int64_t>(tv.tv_sec) * 1000000 + tv.tv_usec;
}

int Record(const char* fifo, const char* raw, const char* times) {
    const int in = open(fifo, O_RDONLY);
    if (in < 0) return std::perror(fifo), 1;
    FILE* out = std::fopen(raw, "wb");
    FILE* log = std::fopen(times, "w");
    if (!out || !log) return std::perror("output"), 1;
    std::vector<char> buffer(1 << 16);
    std::int64_t total = 0;
    for (;;) {
        const ssize_t got = read(in, buffer.data(), buffer.size());
        if (got <= 0) break;
        const std::int64_t at = NowMicros();
        std::fwrite(buffer.data(), 1, static_cast<std::size_t>(got), out);
        total += got;
        std::fprintf(log, "%lld %lld\n", static_cast<long long>(total), static_cast<long long>(at));
    }
    std::fclose(out);
    std::fclose(log);
    return 0;
}

std::vector<std::int16_t> ReadRaw(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> values(bytes.size() / 2);
    std::memcpy(values.data(), bytes.data(), values.size() * 2);
    return values;
}

// Wall time <-> frame, from the pieces the pipe delivered. SDL's writer hands the pipe a
// piece once its buffer is full, so the last frame of a piece was produced when the piece
// came and the frames before it one after the other in the time they take to play.
struct Timeline {
    std::vector<std::pair<std::int64_t, std::int64_t>> pieces;  // (end frame, µs it came)

    std::int64_t FrameAt(std::int64_t micros) const {
        auto it = std::lower_bound(pieces.begin(), pieces.end(), micros,
                                   [](const auto& p, std::int64_t t) { return p.second < t; });
        if (it == pieces.end()) return pieces.empty() ? 0 : pieces.back().first;
        const std::int64_t start = it == pieces.begin() ? 0 : (it - 1)->first;
        return std::max(start, it->first - (it->second - micros) * kHertz / 1000000);
    }
    std::int64_t MicrosAt(std::int64_t frame) const {
        auto it = std::upper_bound(pieces.begin(), pieces.end(), frame,
                                   [](std::int64_t f, const auto& p) { return f < p.first; });
        if (it == pieces.end()) return pieces.empty() ? 0 : pieces.back().second;
        return it->second - (it->first - frame) * 1000000 / kHertz;
    }
};

Timeline ReadTimes(const char* path) {
    Timeline line;
    std::ifstream in(path);
    long long bytes = 0, at = 0;
    while (in >> bytes >> at) line.pieces.emplace_back(bytes / 4, at);
    return line;
}

bool Silent(const std::vector<std::int16_t>& v, std::size_t frame) {
    return std::abs(v[2 * frame]) <= kSilentLevel && std::abs(v[2 * frame + 1]) <= kSilentLevel;
}

struct Gap {
    std::size_t first, frames;
};

std::vector<Gap> Gaps(const std::vector<std::int16_t>& v, std::size_t from, std::size_t to) {
    std::vector<Gap> gaps;
    std::size_t run = 0;
    for (std::size_t f = from; f < to; ++f) {
        if (Silent(v, f)) {
            ++run;
            continue;
        }
        if (run > static_cast<std::size_t>(kGapFrames)) gaps.push_back({f - run, run});
        run = 0;
    }
    return gaps;
}

double Db(double ratio) {
    return ratio > 0 ? 20 * std::log10(ratio) : -999;
}

int GapsOnly(const char* path) {
    const auto v = ReadRaw(path);
    const auto gaps = Gaps(v, 0, v.size() / 2);
    for (const auto& g : gaps)
        std::printf("gap at %.3f s, %.1f ms\n", static_cast<double>(g.first) / kHertz,
                    g.frames * 1000.0 / kHertz);
    std::printf("%zu gaps over 20 ms in %.1f s\n", gaps.size(),
                static_cast<double>(v.size() / 2) / kHertz);
    return 0;
}

int Report(const char* raw, const char* times, const char* botlog, const char* shoot) {
    const auto v = ReadRaw(raw);
    const Timeline line = ReadTimes(times);
    const std::size_t frames = v.size() / 2;
    if (frames == 0 || line.pieces.empty()) return std::fputs("empty recording\n", stderr), 1;

    std::vector<std::pair<std::size_t, std::size_t>> play;  // frame ranges of play
    std::vector<std::int64_t> probes;
    {
        std::ifstream in(botlog);
        std::string what;
        long long at = 0;
        std::int64_t start = -1;
        while (in >> what >> at) {
            if (what == "start") start = at;
            if (what == "probe") probes.push_back(at);
            if (what == "stop" && start >= 0) {
                // From a second after the click (the music has begun) to the level's end
                // or a little before the closing screen was seen, whichever is first: the
                // music fades out and stops behind that screen.
                at = std::min<long long>(at - 5000000, start + kLevelMicros);
                const auto a = static_cast<std::size_t>(line.FrameAt(start + 1000000));
                const auto b =
                    static_cast<std::size_t>(std::max<std::int64_t>(0, line.FrameAt(at)));
                if (b > a) play.emplace_back(a, std::min(b, frames));
                start = -1;
            }
        }
    }

    // Clipping, peak and RMS.
    std::size_t clipped = 0;
    int peak = 0;
    for (std::int16_t s : v) {
        if (s == 32767 || s == -32768) ++clipped;
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    double sum = 0;
    std::size_t play_frames = 0, play_clipped = 0;
    for (auto [a, b] : play) {
        for (std::size_t i = 2 * a; i < 2 * b; ++i) {
            sum += static_cast<double>(v[i]) * v[i];
            if (v[i] == 32767 || v[i] == -32768) ++play_clipped;
        }
        play_frames += b - a;
    }
    const double minutes = static_cast<double>(frames) / kHertz / 60;
    const double play_minutes = static_cast<double>(play_frames) / kHertz / 60;

    // Gaps during play.
    std::vector<Gap> gaps;
    for (auto [a, b] : play) {
        const auto some = Gaps(v, a, b);
        gaps.insert(gaps.end(), some.begin(), some.end());
    }
    double gap_ms = 0, longest = 0;
    for (const auto& g : gaps) {
        gap_ms += g.frames * 1000.0 / kHertz;
        longest = std::max(longest, g.frames * 1000.0 / kHertz);
    }

    // Stale replays: audible stretches identical to the stretch one ring lap earlier.
    std::size_t stale_blocks = 0, stale_runs = 0;
    bool in_run = false;
    for (std::size_t f = kLap; f + kStaleBlock <= frames; f += kStaleBlock) {
        int loud = 0;
        for (std::size_t i = 2 * f; i < 2 * (f + kStaleBlock); ++i)
            loud = std::max(loud, std::abs(static_cast<int>(v[i])));
        const bool same =
            loud > kStaleFloor && std::memcmp(&v[2 * f], &v[2 * (f - kLap)], kStaleBlock * 4) == 0;
        if (same) {
            ++stale_blocks;
            if (!in_run) ++stale_runs;
        }
        in_run = same;
    }

    // Click to sound: where the shot's opening best matches after each lone click.
    std::vector<double> latencies;
    std::size_t missed = 0;
    {
        const auto shot = ReadRaw(shoot);
        const std::size_t n = std::min<std::size_t>(shot.size() / 2, 1024);
        std::vector<double> tpl(n);
        double tpl_energy = 0;
        for (std::size_t i = 0; i < n; ++i) {
            tpl[i] = static_cast<double>(shot[2 * i]) + shot[2 * i + 1];
            tpl_energy += tpl[i] * tpl[i];
        }
        std::vector<double> mono(frames);
        for (std::size_t i = 0; i < frames; ++i)
            mono[i] = static_cast<double>(v[2 * i]) + v[2 * i + 1];
        for (std::int64_t click : probes) {
            const auto from = static_cast<std::size_t>(
                std::max<std::int64_t>(0, line.FrameAt(click) - kHertz / 20));
            const std::size_t to = std::min(frames - n, from + kHertz / 2);
            double best = 0;
            std::size_t at = 0;
            for (std::size_t f = from; f < to; ++f) {
                double dot = 0, energy = 0;
                for (std::size_t i = 0; i < n; ++i) {
                    dot += mono[f + i] * tpl[i];
                    energy += mono[f + i] * mono[f + i];
                }
                const double score = energy > 0 ? dot / std::sqrt(energy * tpl_energy) : 0;
                if (score > best) best = score, at = f;
            }
            const double ms =
                static_cast<double>(line.MicrosAt(static_cast<std::int64_t>(at)) - click) / 1000;
            if (std::getenv("SOAK_VERBOSE"))
                std::printf("  lone click at %.3f s: match %.2f, %.1f ms\n",
                            static_cast<double>(from) / kHertz, best, ms);
            if (best < 0.6) {
                ++missed;
                continue;
            }
            latencies.push_back(ms);
        }
        std::sort(latencies.begin(), latencies.end());
    }
    auto pct = [&](double p) {
        return latencies.empty() ? 0.0
                                 : latencies[static_cast<std::size_t>(p * (latencies.size() - 1))];
    };

    std::printf("recording            %.1f s (%.1f s of it during play, %zu games)\n",
                static_cast<double>(frames) / kHertz, play_minutes * 60, play.size());
    std::printf("gaps over 20 ms      %zu during play, %.0f ms in all, longest %.0f ms\n",
                gaps.size(), gap_ms, longest);
    for (const auto& g : gaps)
        std::printf("  gap at %.3f s: %.1f ms\n", static_cast<double>(g.first) / kHertz,
                    g.frames * 1000.0 / kHertz);
    std::printf("stale replays        %zu (%.0f ms)\n", stale_runs,
                stale_blocks * kStaleBlock * 1000.0 / kHertz);
    std::printf("clipped samples      %zu (%.1f per minute); during play %zu (%.1f per minute)\n",
                clipped, clipped / minutes, play_clipped,
                play_minutes > 0 ? play_clipped / play_minutes : 0.0);
    std::printf("peak                 %d (%.2f dBFS)\n", peak, Db(peak / 32768.0));
    std::printf("RMS during play      %.2f dBFS\n",
                Db(play_frames ? std::sqrt(sum / (2.0 * play_frames)) / 32768.0 : 0));
    std::printf(
        "click to sound       %zu lone clicks, %zu found: median %.1f ms, p90 %.1f ms, max %.1f "
        "ms\n",
        probes.size(), latencies.size(), pct(0.5), pct(0.9),
        latencies.empty() ? 0.0 : latencies.back());
    (void)missed;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "record" && argc == 5) return Record(argv[2], argv[3], argv[4]);
    if (mode == "report" && argc == 6) return Report(argv[2], argv[3], argv[4], argv[5]);
    if (mode == "gaps" && argc == 3) return GapsOnly(argv[2]);
    std::fprintf(stderr,
                 "usage: %s record <fifo> <out.raw> <out.times>\n"
                 "       %s report <rec.raw> <rec.times> <bot.log> <shoot.raw>\n"
                 "       %s gaps <file.raw>\n",
                 argv[0], argv[0], argv[0]);
    return 2;
}
