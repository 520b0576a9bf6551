// The main thread plays, stops, pauses and re-volumes thousands of sounds while another
// thread ticks the mixer, as the timer does. Built with ThreadSanitizer this checks that the
// two sides share nothing but the rings and whole atomic fields; in any build it checks that
// every voice and handle comes back once the sounds end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/audio/audio.h"
#include "engine/audio/internal/mixa_driver.h"
#include "engine/audio/internal/mixa_output.h"
#include "engine/audio/internal/mixa_voices.h"
#include "engine/system/stream.h"
#include "tests/audio/virtual_output.h"

namespace {

std::shared_ptr<TAudioSample> Tone(int frames, std::int16_t level) {
    auto s = TAudioSample::Create(frames, 44100, SF_STEREO16LE);
    auto* values = reinterpret_cast<std::int16_t*>(s->samples);
    for (int i = 0; i < 2 * frames; ++i)
        values[i] = static_cast<std::int16_t>(i % 2 ? -level : level);
    return s;
}

TEST(MixerStressTest, PlaysStopsAndVolumesWhileTheTickRuns) {
    StartStreamModules();
    StartAudioModules();
    ShutdownAudio();
    TScopedVirtualOutput output;
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    TMixaOutput* mixa = CurrentMixaOutput();
    TMixaVoices* voices = CurrentMixaVoices();

    std::atomic<bool> stop{false};
    std::atomic<long> ticks{0};
    std::thread timer([&] {
        while (!stop.load()) {
            // The device plays one fragment per tick, so the mixer never falls behind.
            output.state().position += MIXA_FRAGMENT_VALUES * 2;
            mixa->Tick();
            ++ticks;
            std::this_thread::yield();
        }
    });

    auto shot = LoadSound(Tone(300, 3000));
    auto loop = LoadSound(Tone(2000, 1000), SOUND_LOOP);
    std::vector<std::shared_ptr<TChannel>> held;
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        if (PlaySound(shot)) ++accepted;
        if (i % 8 == 0) {
            auto channel = AllocChannel();
            ASSERT_TRUE(channel);
            SetChannelVolume(channel, static_cast<float>(i % 5) / 4.0f);
            SetChannelPan(channel, static_cast<float>(i % 3) - 1.0f);
            CueSound(loop, channel);
            if (i % 16 == 0) ResumeChannel(channel);
            held.push_back(channel);
        }
        if (held.size() > 40) {
            SetChannelRate(held[5], 1.5f);
            PauseChannel(held[7]);
            (void)ChannelPlaying(held[9]);
            StopChannel(held.front());
            held.erase(held.begin());
        }
        if (i % 64 == 63) {
            // Let at least one tick run between bursts, so the two sides truly interleave.
            const long seen = ticks.load();
            while (ticks.load() == seen) std::this_thread::yield();
        }
    }
    EXPECT_GT(accepted, 0);
    for (auto& channel : held) StopChannel(channel);
    held.clear();

    // Everything ends: every voice returns to the pool and every handle to the free list.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool settled = false;
    while (!settled && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        voices->Reclaim();
        settled = voices->SpareVoices() == voices->VoicesMade() && voices->FreeHandles() == 4095;
    }
    stop = true;
    timer.join();
    EXPECT_TRUE(settled) << voices->SpareVoices() << " of " << voices->VoicesMade()
                         << " voices back, " << voices->FreeHandles() << " free handles";
    EXPECT_GE(ticks.load(), 20000 / 64);
    ShutdownAudio();
}

}  // namespace
