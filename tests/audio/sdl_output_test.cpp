// The real output path: the mixer driver on an SDL audio device with its own timer thread.
// SDL's "disk" driver writes what the device plays to a file, so the test can read back the
// exact stream; an unknown SDL driver stands for a machine without sound.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <unistd.h>

#include "engine/audio/audio.h"
#include "engine/audio/internal/mixa_driver.h"
#include "engine/audio/internal/mixa_output.h"
#include "engine/system/stream.h"

namespace {

class SDLOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartStreamModules();
        StartAudioModules();
        ShutdownAudio();
        SetAudioOutputFactory(nullptr, true);
    }
    void TearDown() override {
        ShutdownAudio();
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }
    // A file of this process's own: other runs of the suite (another build's, in parallel)
    // write their device output at the same time.
    static std::string DiskFile(const char* name) {
        return testing::TempDir() + "zandor_" + std::to_string(getpid()) + "_" + name + ".raw";
    }
};

TEST_F(SDLOutputTest, APlayedSoundComesOutOfTheDeviceAtItsLevel) {
    const std::string path = DiskFile("disk_audio");
    std::remove(path.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);

    constexpr int kFrames = 13230;  // 0.3 s
    auto sample = TAudioSample::Create(kFrames, 44100, SF_STEREO16LE);
    auto* values = reinterpret_cast<std::int16_t*>(sample->samples);
    for (int i = 0; i < kFrames; ++i) values[2 * i] = 5000, values[2 * i + 1] = -5000;
    auto sound = LoadSound(sample);
    auto channel = PlaySound(sound);
    ASSERT_TRUE(channel);
    EXPECT_EQ(ChannelPlaying(channel), 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ChannelPlaying(channel) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ChannelPlaying(channel), 0) << "the sound ended";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the lead drains
    ShutdownAudio();

    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << "SDL wrote no output file";
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const std::size_t frames = bytes.size() / 4;
    ASSERT_GT(frames, static_cast<std::size_t>(kFrames));
    auto value = [&bytes](std::size_t index) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + 2 * index;
        return static_cast<std::int16_t>(b[0] | (b[1] << 8));
    };
    std::size_t at_level = 0, other = 0;
    for (std::size_t f = 0; f < frames; ++f) {
        const int l = value(2 * f), r = value(2 * f + 1);
        if (l == 5000 && r == -5000) {
            ++at_level;
        } else if (l != 0 || r != 0) {
            ++other;
        }
    }
    EXPECT_EQ(other, 0u) << "only silence and the sound";
    // Every frame of the sound, unless a scheduling hiccup cleared a fragment or two.
    EXPECT_LE(at_level, static_cast<std::size_t>(kFrames));
    EXPECT_GE(at_level, static_cast<std::size_t>(kFrames - 2 * 512));
    std::remove(path.c_str());
}

// The tick stops (as when its thread is starved) while the device plays on: past the last
// fragment written the device fades to silence instead of replaying the ring's last lap,
// and its position and the ring stay as the tick left them.
TEST_F(SDLOutputTest, PastTheWrittenAudioTheDeviceFadesToSilence) {
    const std::string path = DiskFile("disk_stale");
    std::remove(path.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    SetAudioOutputFactory(nullptr, false);  // the test ticks

    constexpr std::int16_t kLevel = 8000;
    auto sample = TAudioSample::Create(88200, 44100, SF_STEREO16LE);
    auto* values = reinterpret_cast<std::int16_t*>(sample->samples);
    for (int i = 0; i < 88200; ++i) values[2 * i] = kLevel, values[2 * i + 1] = -kLevel;
    // The test thread ticks on the real clock; if it was starved into an underrun (the
    // device then stops), the stretch is played again from the start.
    TMixaOutput* output = nullptr;
    for (int attempt = 0; attempt < 5; ++attempt) {
        ShutdownAudio();
        ASSERT_EQ(SetAudioDriver("Mixa"), 1);
        output = CurrentMixaOutput();
        ASSERT_NE(output, nullptr);
        ASSERT_TRUE(PlaySound(LoadSound(sample)));
        for (int i = 0; i < 50; ++i) {
            output->Tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (output->RestartCountdown() == 0) break;
    }
    ASSERT_EQ(output->RestartCountdown(), 0) << "every attempt underran";
    const auto ring = output->Ring();
    const std::int64_t written = output->WritePosition() * 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    std::int64_t position = 0;
    ASSERT_TRUE(output->Device().PlayPosition(position));
    EXPECT_GT(position, written) << "the device counts on past the written audio";
    EXPECT_EQ(output->Ring(), ring) << "the ring is the tick's alone";
    ShutdownAudio();
    SetAudioOutputFactory(nullptr, true);

    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    std::size_t level = 0, last = 0;
    for (std::size_t f = 0; 2 * f + 1 < out.size(); ++f) {
        if (out[2 * f] == kLevel && out[2 * f + 1] == -kLevel) {
            ++level;
            last = f;
        }
    }
    ASSERT_GT(level, 0u);
    EXPECT_LE(static_cast<std::int64_t>(level), written / 4) << "nothing was played twice";
    // After the sound's last frame: a fade of about 2 ms in small steps, then silence.
    int before = kLevel;
    for (std::size_t f = last + 1; 2 * f + 1 < out.size(); ++f) {
        const int now = out[2 * f];
        ASSERT_LE(before - now, 100) << "frame " << f - last << " after the sound";
        ASSERT_LE(now, before);
        ASSERT_EQ(out[2 * f + 1], -now);
        if (f - last > 100) {
            ASSERT_EQ(now, 0);
        }
        before = now;
    }
    std::remove(path.c_str());
}

TEST_F(SDLOutputTest, WithoutAnAudioDeviceTheGameRunsSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(SetAudioDriver("Mixa"), 0);
    ShutdownAudio();
    auto sample = TAudioSample::Create(100, 44100, SF_MONO16LE);
    auto sound = LoadSound(sample);
    ASSERT_TRUE(sound);
    EXPECT_EQ(AudioDriver().Name(), "Null");
    EXPECT_EQ(ChannelPlaying(PlaySound(sound)), 0);
    EXPECT_EQ(CurrentMixaOutput(), nullptr);
}

}  // namespace
