// assetgen <dir>: writes every picture to <dir>/graphics and every sound to <dir>/sound.
// Optional further arguments name the only files to write (e.g. "title.png shoot.ogg").
// assetgen --icons <dir>: writes the desktop icons, which the game itself never loads.
// assetgen --windows-icon <out.ico>: writes the Windows program icon (the same drawing).
// The output depends on nothing but this program, so two runs give identical files.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tools/assetgen/dsp.h"
#include "tools/assetgen/effects.h"
#include "tools/assetgen/encoders.h"
#include "tools/assetgen/icons.h"
#include "tools/assetgen/music.h"
#include "tools/assetgen/pictures.h"

namespace {

using namespace assetgen;

struct SoundFile {
    const char* name;
    int frames;
    std::function<std::vector<float>(int)> make;
    float quality;
    float peak;  // of the file
};

// The mixer adds voices at unity and clamps once at the end, so the headroom is in the
// files. A long chain stacks up to twenty explosions (one every 8 frames, each 2.75 s) on
// the music while shots fly; with these peaks the whole level played by the stored game
// (bench_level_mix) peaks near -2 dBFS at about -18 dBFS RMS, and a shot's first 100 ms
// still stand a few dB over everything else sounding.
constexpr float kExplodePeak = 0.171f;  // -15.3 dBFS
constexpr float kMusicPeak = 0.287f;    // -10.8 dBFS
constexpr float kShotPeak = 0.41f;      // -7.7 dBFS; the turret's own sounds as loud

// Lengths in frames at 48 kHz; the music is long, so it uses a lower quality setting.
const SoundFile kSounds[] = {
    {"explode.ogg", 132096, ExplodeSound, 0.5f, kExplodePeak},
    {"music.ogg", 10576896, MusicTrack, 0.3f, kMusicPeak},
    {"shoot.ogg", 22512, ShootSound, 0.5f, kShotPeak},
    {"playerhit.ogg", 34800, PlayerHitSound, 0.5f, kShotPeak},
    {"playerexplode.ogg", 22512, PlayerExplodeSound, 0.5f, kShotPeak},
};

// Encoding can push peaks a little above the signal's own; the file is measured after
// encoding and, if it went over the ceiling, encoded again a little quieter.
constexpr float kCeiling = 1.03f;  // of the file's peak

void WriteSound(const SoundFile& s, int serial, const std::filesystem::path& dir) {
    std::string path = (dir / s.name).string();
    std::vector<float> samples = s.make(s.frames);
    for (float& v : samples) v *= s.peak / kEffectPeak;
    for (int attempt = 0; attempt < 4; ++attempt) {
        WriteOggVorbis(path, samples, kRate, s.quality, serial);
        float peak = DecodedPeak(path);
        if (peak <= kCeiling * s.peak) return;
        float gain = kCeiling * s.peak / peak * 0.99f;
        for (float& v : samples) v *= gain;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output dir> [file names...]\n", argv[0]);
        return 2;
    }
    if (std::string(argv[1]) == "--icons") {
        if (argc != 3) {
            std::fprintf(stderr, "usage: %s --icons <output dir>\n", argv[0]);
            return 2;
        }
        try {
            std::filesystem::create_directories(argv[2]);
            WriteIcons(argv[2]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "assetgen: %s\n", e.what());
            return 1;
        }
        return 0;
    }
    if (std::string(argv[1]) == "--windows-icon") {
        if (argc != 3) {
            std::fprintf(stderr, "usage: %s --windows-icon <out.ico>\n", argv[0]);
            return 2;
        }
        try {
            WriteWindowsIcon(argv[2]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "assetgen: %s\n", e.what());
            return 1;
        }
        return 0;
    }
    std::filesystem::path root = argv[1];
    std::set<std::string> only(argv + 2, argv + argc);
    auto wanted = [&](const std::string& name) { return only.empty() || only.count(name) > 0; };
    try {
        std::filesystem::create_directories(root / "graphics");
        std::filesystem::create_directories(root / "sound");
        std::exception_ptr music_error;
        // The music takes longest; it runs beside everything else.
        std::thread music([&] {
            try {
                if (wanted(kSounds[1].name)) WriteSound(kSounds[1], 1001, root / "sound");
            } catch (...) {
                music_error = std::current_exception();
            }
        });
        try {
            for (const std::string& name : PictureNames()) {
                if (wanted(name)) WritePicture(name, (root / "graphics" / name).string());
            }
            for (int i = 0; i < 5; ++i) {
                if (i != 1 && wanted(kSounds[i].name))
                    WriteSound(kSounds[i], 1000 + i, root / "sound");
            }
        } catch (...) {
            music.join();
            throw;
        }
        music.join();
        if (music_error) std::rethrow_exception(music_error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
