// The pulled device, whose callback runs the mixer's ticks: bursts and gaps of callbacks,
// the restart countdown counted in audio, no stale ring audio, the fade on a reset, and mute.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audio/internal/mixa_output.h"
#include "engine/audio/internal/mixa_voices.h"
#include "engine/audio/internal/pulled_output.h"
#include "tests/audio/mixer_test_util.h"
#include "tests/support/scoped_clock.h"

namespace {

constexpr int kFragment = MIXA_FRAGMENT_VALUES;  // values
constexpr int kFragmentFrames = kFragment / 2;
constexpr int kCallbackFrames = 1024;  // what the browser's device asks for
constexpr int kTickFrames2 = 441;      // 5 ms of audio, in half frames
constexpr int kRamp = MIXA_OUTPUT_HERTZ / 500;

class TFakePulledDevice final : public TPulledOutputDevice {
  protected:
    bool OpenStream() override { return true; }
    void CloseStream() override {}
};

class PulledOutputTest : public ::testing::Test {
  protected:
    TScopedVirtualClock clock{5000};
    TFakePulledDevice* device = nullptr;
    std::unique_ptr<TMixaOutput> output;
    std::unique_ptr<TMixaVoices> voices;

    // `drive`: the device runs the ticks, as in the browser; otherwise the test does.
    void Open(bool drive) {
        auto owned = std::make_unique<TFakePulledDevice>();
        device = owned.get();
        output = std::make_unique<TMixaOutput>(std::move(owned), kFragment);
        ASSERT_TRUE(output->Open(drive));
        voices = std::make_unique<TMixaVoices>(output->Mixer());
    }
    void TearDown() override {
        if (output) output->Close();  // hands the voices back before they go
    }
    // One callback of `frames` frames: the left values.
    std::vector<int> Pull(int frames) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * 4);
        device->Pull(bytes.data(), static_cast<int>(bytes.size()));
        std::vector<int> left(static_cast<std::size_t>(frames));
        for (int f = 0; f < frames; ++f) {
            left[f] = static_cast<std::int16_t>(bytes[4 * f] | (bytes[4 * f + 1] << 8));
        }
        return left;
    }
    // A looping mono sound whose n-th frame has the value n (1..1000), so a lost, repeated or
    // silent stretch of output breaks the count.
    void QueueCounter() {
        std::vector<std::int16_t> values(1000);
        for (int i = 0; i < 1000; ++i) values[i] = static_cast<std::int16_t>(i + 1);
        voices->Queue(Record16(values, 1, 44100, true), 0, VOICE_LOOPED, clock->Milliseconds());
    }
    void QueueLevel(std::int16_t level) {
        voices->Queue(Constant16(44100, level, level, 1, 44100, true), 0, VOICE_LOOPED,
                      clock->Milliseconds());
    }
};

// Web Audio may ask for several buffers at once, with no time passing on the clock: 60 s of
// audio in bursts of three to seven callbacks, some of them longer than the lead, play the
// sound without a gap, and the mixer never sees an underrun.
TEST_F(PulledOutputTest, BurstsOfCallbacksPlayOnWithoutAGap) {
    Open(true);
    QueueCounter();
    const std::vector<int> sizes = {kCallbackFrames, kCallbackFrames, kCallbackFrames, 4096, 512};
    int expected = 0, silent_run = 0, longest_silence = 0;
    std::int64_t frames = 0;
    for (int burst = 0; frames < 60 * MIXA_OUTPUT_HERTZ; ++burst) {
        for (int n = 0; n < 3 + burst % 5; ++n) {
            const int size = sizes[(burst + n) % sizes.size()];
            for (int value : Pull(size)) {
                if (expected == 0 && value == 0) continue;  // the 20 ms before the sound
                if (expected == 0) expected = value;
                ASSERT_EQ(value, expected) << "at " << frames << " frames";
                expected = expected % 1000 + 1;
                silent_run = value == 0 ? silent_run + 1 : 0;
                longest_silence = std::max(longest_silence, silent_run);
            }
            frames += size;
            ASSERT_EQ(output->RestartCountdown(), 0) << "at " << frames << " frames";
            ASSERT_EQ(output->Lead(), 6);
        }
        clock->Advance(burst % 7 == 0 ? 1 : 0);
    }
    EXPECT_NE(expected, 0) << "the sound was heard";
    EXPECT_EQ(longest_silence, 0);
}

// After an underrun (forced here by withholding the ticks) the restart countdown lasts its
// 250 ticks of audio, 1.25 s, even when a second of the clock passes between callbacks.
TEST_F(PulledOutputTest, TheRestartCountdownIsCountedInAudioNotInWaiting) {
    Open(false);
    QueueLevel(8000);
    Pull(10 * kFragmentFrames);  // past the prefilled lead with no tick
    device->DriveTicks([this] { output->Tick(); });
    std::int64_t pulled = 0;
    bool counting = false;
    while (pulled < 3 * MIXA_OUTPUT_HERTZ) {
        const std::vector<int> left = Pull(kCallbackFrames);
        if (output->RestartCountdown() != 0) counting = true;
        if (counting && output->RestartCountdown() == 0) break;
        pulled += kCallbackFrames;
        clock->Advance(1000);
    }
    ASSERT_TRUE(counting) << "the withheld ticks looked like an underrun";
    EXPECT_EQ(output->RestartCountdown(), 0) << "the countdown never ended";
    // It ended inside the callback that was due: 250 ticks of 220.5 frames.
    const std::int64_t countdown_frames = 250 * kTickFrames2 / 2;
    EXPECT_GE(pulled + kCallbackFrames, countdown_frames);
    EXPECT_LE(pulled, countdown_frames + kCallbackFrames);
    EXPECT_EQ(output->Lead(), 8);
}

// The ticks stop after two laps of the ring (the tick's thread starved, or gone): past the
// last written fragment the device fades out the sound and then plays silence, not the
// earlier lap that is still in the ring.
TEST_F(PulledOutputTest, PastTheWrittenAudioTheOldLapIsNotReplayed) {
    Open(false);
    QueueLevel(8000);
    std::int64_t position = 0;
    while (position < 2 * MIXA_RING_FRAGMENTS * kFragment * 2) {
        Pull(kCallbackFrames);
        output->Tick();
        ASSERT_TRUE(device->PlayPosition(position));
    }
    const std::int64_t written = output->WritePosition() * 2;
    const std::int64_t left_to_play = (written - position) / 4;
    const auto& ring = output->Ring();
    ASSERT_TRUE(std::any_of(ring.begin(), ring.end(), [](std::uint8_t b) { return b != 0; }));

    const std::vector<int> out = Pull(static_cast<int>(left_to_play) + 40 * kFragmentFrames);
    for (std::int64_t f = 0; f < left_to_play; ++f) ASSERT_EQ(out[f], 8000) << f;
    for (std::size_t f = static_cast<std::size_t>(left_to_play); f < out.size(); ++f) {
        const int before = out[f - 1];
        ASSERT_LE(out[f], before) << "frame " << f - left_to_play << " past the written audio";
        ASSERT_LE(before - out[f], 8000 / kRamp + 1);
        if (f >= static_cast<std::size_t>(left_to_play + kRamp)) {
            ASSERT_EQ(out[f], 0);
        }
    }
}

// A reset (what the tick does on an underrun or a broken position) stops the sound with a
// 2 ms fade, not a step; muting fades out the same way while the mixer keeps its time, and
// unmuting fades the sound back in where it has got to.
TEST_F(PulledOutputTest, ResetAndMuteFadeInsteadOfStepping) {
    Open(true);
    QueueLevel(8000);
    Pull(4 * kCallbackFrames);
    ASSERT_EQ(Pull(1).back(), 8000);

    auto expect_fade_out = [](const std::vector<int>& out, const char* what) {
        SCOPED_TRACE(what);
        int before = 8000;
        for (std::size_t f = 0; f < out.size(); ++f) {
            ASSERT_LE(out[f], before) << f;
            ASSERT_LE(before - out[f], 8000 / kRamp + 1) << f;
            if (f >= static_cast<std::size_t>(kRamp)) {
                ASSERT_EQ(out[f], 0) << f;
            }
            before = out[f];
        }
    };

    device->SetMuted(true);
    std::int64_t before = 0, after = 0;
    ASSERT_TRUE(device->PlayPosition(before));
    expect_fade_out(Pull(kCallbackFrames), "mute");
    ASSERT_TRUE(device->PlayPosition(after));
    EXPECT_EQ(after, before + kCallbackFrames * 4) << "muted, the device plays on";
    device->SetMuted(false);
    const std::vector<int> back = Pull(kCallbackFrames);
    EXPECT_GT(back[0], 0);
    EXPECT_LT(back[0], 8000 / kRamp * 2) << "unmuting fades in";
    EXPECT_EQ(back.back(), 8000);

    device->Reset();
    expect_fade_out(Pull(kCallbackFrames), "reset");
}

}  // namespace
