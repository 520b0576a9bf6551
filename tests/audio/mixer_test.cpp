// The fragment mix: levels per layout, gains, ramps, interpolation at the loop wrap, one-shot
// ends, pitch and start delays.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "engine/audio/internal/mixa_mixer.h"
#include "engine/audio/internal/mixa_voices.h"
#include "tests/audio/mixer_test_util.h"

namespace {

constexpr std::uint32_t kNow = 1000;
// Queued this long before a mix, a voice starts at the first frame of the fragment.
constexpr std::uint32_t kStartsNow = kNow - 20;
constexpr int kFrames = 512;

class MixerTest : public ::testing::Test {
  protected:
    TMixaMixer mixer{1024};
    TMixaVoices voices{mixer};

    int Play(const std::shared_ptr<const TMixaSampleRecord>& record, int status = VOICE_ONCE,
             std::uint32_t queued = kStartsNow, int handle = 0) {
        return voices.Queue(record, handle, status, queued);
    }
    // A channel whose voice has the given targets before anything plays on it.
    int Channel(float volume, float pan, float depth) {
        const int handle = voices.AllocHandle();
        TMixaVoice* voice = voices.Voice(handle);
        voice->SetVolume(static_cast<std::int16_t>(volume * 4096));
        voice->SetPan(static_cast<std::int16_t>(pan * 4096));
        voice->SetDepth(static_cast<std::int16_t>(depth * 4096));
        return handle;
    }
};

TEST_F(MixerTest, EachLayoutComesOutAtItsOwnLevel) {
    struct Case {
        const char* name;
        int channels, bits;
        std::vector<std::uint8_t> frame;
        int left, right;
    };
    const std::vector<Case> cases = {
        {"mono 16", 1, 16, {0xE8, 0x03}, 1000, 1000},
        {"stereo 16", 2, 16, {0xE8, 0x03, 0x30, 0xF8}, 1000, -2000},
        {"mono 8", 1, 8, {200}, 200 * 256 - 32768, 200 * 256 - 32768},
        {"stereo 8", 2, 8, {0, 255}, -32768, 255 * 256 - 32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMixaMixer local(1024);
        TMixaVoices local_voices(local);
        std::vector<std::uint8_t> data;
        for (int i = 0; i < 600; ++i) data.insert(data.end(), c.frame.begin(), c.frame.end());
        auto record = TMixaSampleRecord::Create(data.data(), 600, 44100, c.channels, c.bits, false);
        ASSERT_TRUE(record);
        ASSERT_NE(local_voices.Queue(record, 0, VOICE_ONCE, kStartsNow), 0);
        auto out = MixFragments(local, 1, kNow);
        for (int f = 0; f < kFrames; ++f) {
            ASSERT_EQ(out[2 * f], c.left) << "frame " << f;
            ASSERT_EQ(out[2 * f + 1], c.right) << "frame " << f;
        }
    }
}

TEST_F(MixerTest, SumsClipOnlyAtTheOutput) {
    // Left: +30000 +30000 -30000 must give 30000 whatever order the voices mix in.
    // Right: three times -30000 saturates at the bottom of the range.
    Play(Constant16(600, -30000, -30000, 2));
    Play(Constant16(600, 30000, -30000, 2));
    Play(Constant16(600, 30000, -30000, 2));
    auto out = MixFragments(mixer, 1, kNow);
    EXPECT_EQ(out[0], 30000);
    EXPECT_EQ(out[1], -32768);
    Play(Constant16(600, 30000, 30000, 1), VOICE_ONCE, kNow + 12 - 20);  // 12 ms into the next
    Play(Constant16(600, 30000, 30000, 1), VOICE_ONCE, kNow + 12 - 20);
    out = MixFragments(mixer, 1, kNow + 12);
    EXPECT_EQ(out[0], 32767);
}

TEST_F(MixerTest, PanAndDepthGains) {
    struct Case {
        float pan, depth;
        int left, right;
    };
    const std::vector<Case> cases = {
        {0.0f, 0.0f, 8000, 8000},    {1.0f, 0.0f, 0, 8000},    {-1.0f, 0.0f, 8000, 0},
        {-0.5f, 0.0f, 8000, 4000},   {0.5f, 0.0f, 4000, 8000}, {0.0f, -1.0f, 8000, -8000},
        {-0.5f, -0.5f, 8000, -4000}, {0.0f, 0.5f, 8000, 8000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pan " << c.pan << " depth " << c.depth);
        TMixaMixer local(1024);
        TMixaVoices local_voices(local);
        const int handle = local_voices.AllocHandle();
        TMixaVoice* voice = local_voices.Voice(handle);
        voice->SetPan(static_cast<std::int16_t>(c.pan * 4096));
        voice->SetDepth(static_cast<std::int16_t>(c.depth * 4096));
        ASSERT_EQ(
            local_voices.Queue(Constant16(600, 8000, 8000, 1), handle, VOICE_ONCE, kStartsNow),
            handle);
        auto out = MixFragments(local, 1, kNow);
        EXPECT_EQ(out[100], c.left);
        EXPECT_EQ(out[101], c.right);
    }
}

TEST_F(MixerTest, VolumeChangeRampsOverOneFragmentWithoutAStep) {
    const int handle = voices.AllocHandle();
    ASSERT_EQ(Play(Constant16(5000, 8000, 8000, 1), VOICE_ONCE, kStartsNow, handle), handle);
    auto before = MixFragments(mixer, 1, kNow);
    EXPECT_EQ(before[2 * (kFrames - 1)], 8000);

    voices.Voice(handle)->SetVolume(2048);
    auto ramp = MixFragments(mixer, 1, kNow);
    EXPECT_GE(ramp[0], 7980);
    EXPECT_LE(ramp[2 * (kFrames - 1)], 4020);
    for (int f = 1; f < kFrames; ++f) {
        const int step = ramp[2 * f - 2] - ramp[2 * f];
        ASSERT_GE(step, 0) << "frame " << f;
        ASSERT_LE(step, 16) << "frame " << f;
    }
    auto after = MixFragments(mixer, 1, kNow);
    for (int f = 0; f < kFrames; ++f) ASSERT_EQ(after[2 * f], 4000);
}

TEST_F(MixerTest, LoopWrapInterpolatesIntoTheFirstFrame) {
    // 100 frames (not a fragment multiple) at half the output rate: every other output frame
    // lies half-way between two sample frames, including the one between the last and the
    // first frame at the wrap.
    constexpr int kLength = 100;
    std::vector<std::int16_t> wave;
    for (int i = 0; i < kLength; ++i) {
        wave.push_back(static_cast<std::int16_t>(
            std::lround(20000 * std::sin(i * 2 * std::numbers::pi / kLength))));
    }
    Play(Record16(wave, 1, 22050, true), VOICE_LOOPED);
    auto out = MixFragments(mixer, 2, kNow);
    for (int f = 0; f < 2 * kFrames; ++f) {
        const int j = (f / 2) % kLength;
        const int a = wave[j];
        const int b = wave[(j + 1) % kLength];
        const int expected = f % 2 == 0 ? a : (a + b) / 2;
        ASSERT_NEAR(out[2 * f], expected, 1) << "output frame " << f;
    }
}

TEST_F(MixerTest, OneShotEndsMidFragmentAndIsHandedBackOnce) {
    Play(Constant16(300, 1000, 1000, 1));
    auto out = MixFragments(mixer, 1, kNow);
    EXPECT_EQ(out[2 * 299], 1000);
    for (int f = 300; f < kFrames; ++f) ASSERT_EQ(out[2 * f], 0) << "frame " << f;
    TMixaVoice* back = mixer.TakeBack();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->status.load(), VOICE_IDLE);
    MixFragments(mixer, 2, kNow);
    EXPECT_EQ(mixer.TakeBack(), nullptr);
}

TEST_F(MixerTest, OneShotOnAChannelStaysFinished) {
    const int handle = voices.AllocHandle();
    Play(Constant16(300, 1000, 1000, 1), VOICE_ONCE, kStartsNow, handle);
    MixFragments(mixer, 3, kNow);
    EXPECT_EQ(mixer.TakeBack(), nullptr);
    EXPECT_EQ(voices.Voice(handle)->status.load(), VOICE_FINISHED);
    EXPECT_EQ(voices.Voice(handle)->Position(), 300);
}

TEST_F(MixerTest, ASampleAt48000HzKeepsItsPitch) {
    // 4800 frames last 0.1 s: 4410 output frames, not 4800.
    const int handle = voices.AllocHandle();
    Play(Constant16(4800, 1000, 1000, 1, 48000), VOICE_ONCE, kStartsNow, handle);
    auto out = MixFragments(mixer, 10, kNow);
    int first_silent = -1;
    for (int f = 0; f < 10 * kFrames; ++f) {
        if (out[2 * f] == 0) {
            first_silent = f;
            break;
        }
    }
    EXPECT_NEAR(first_silent, 4410, 1);
    EXPECT_NEAR(voices.Voice(handle)->Position(), 4800, 2);
}

TEST_F(MixerTest, QueueTimesKeepTheirSpacingAcrossFragments) {
    // Queued at 100 and 103, first mixed at 105: they start 15 and 18 ms into the output,
    // so 661 and 793 frames in, past the first fragment.
    Play(Constant16(5000, 1000, 1000, 1), VOICE_ONCE, 100);
    Play(Constant16(5000, 2000, 2000, 1), VOICE_ONCE, 103);
    auto out = MixFragments(mixer, 3, 105);
    EXPECT_EQ(out[2 * 660], 0);
    EXPECT_EQ(out[2 * 661], 1000);
    EXPECT_EQ(out[2 * 792], 1000);
    EXPECT_EQ(out[2 * 793], 3000);
    EXPECT_EQ(793 - 661, 3 * 44100 / 1000);
}

TEST_F(MixerTest, ALateVoiceStartsAtOnceAndTheClockMayWrap) {
    // Queued 50 ms before the mix, across the 32-bit wrap of the clock.
    Play(Constant16(600, 1000, 1000, 1), VOICE_ONCE, 0xFFFFFFF0u);
    auto out = MixFragments(mixer, 1, 0xFFFFFFF0u + 50);
    EXPECT_EQ(out[0], 1000);
}

TEST_F(MixerTest, PausedAndSilentVoices) {
    const int cued = voices.AllocHandle();
    Play(Constant16(5000, 1000, 1000, 1), VOICE_ONCE + VOICE_PAUSED, kStartsNow, cued);
    const int muted = Channel(0.0f, 0.0f, 0.0f);
    Play(Constant16(5000, 1000, 1000, 1), VOICE_ONCE, kStartsNow, muted);
    auto out = MixFragments(mixer, 2, kNow);
    for (int v : out) ASSERT_EQ(v, 0);
    EXPECT_EQ(voices.Voice(cued)->Position(), 0);
    // A silent voice still moves on, so it ends on time.
    EXPECT_EQ(voices.Voice(muted)->Position(), 2 * kFrames);

    voices.Voice(cued)->status.fetch_and(~VOICE_PAUSED);
    out = MixFragments(mixer, 1, kNow);
    EXPECT_EQ(out[0], 1000);
}

TEST_F(MixerTest, RateChangeRampsAndNegativeRatesHoldStill) {
    const int handle = voices.AllocHandle();
    Play(Constant16(100000, 1000, 1000, 1), VOICE_ONCE, kStartsNow, handle);
    MixFragments(mixer, 1, kNow);
    voices.Voice(handle)->SetRate(0x20000);
    MixFragments(mixer, 1, kNow);
    // Ramping from 1 to 2 covers about 1.5 fragments' worth of frames.
    EXPECT_NEAR(voices.Voice(handle)->Position(), kFrames + 1.5 * kFrames, 2.0);
    const int before = voices.Voice(handle)->Position();
    MixFragments(mixer, 1, kNow);
    EXPECT_EQ(voices.Voice(handle)->Position(), before + 2 * kFrames);
    voices.Voice(handle)->SetRate(-0x10000);
    MixFragments(mixer, 2, kNow);
    const int held = voices.Voice(handle)->Position();
    MixFragments(mixer, 1, kNow);
    EXPECT_EQ(voices.Voice(handle)->Position(), held);
}

TEST_F(MixerTest, EmptySamplesEndWithoutReadingAnything) {
    const int once = voices.AllocHandle();
    const int looped = voices.AllocHandle();
    Play(Constant16(0, 0, 0, 1), VOICE_ONCE, kStartsNow, once);
    Play(Record16({}, 2, 44100, true), VOICE_LOOPED, kStartsNow, looped);
    auto out = MixFragments(mixer, 1, kNow);
    for (int v : out) ASSERT_EQ(v, 0);
    EXPECT_EQ(voices.Voice(once)->status.load(), VOICE_FINISHED);
    EXPECT_EQ(voices.Voice(looped)->status.load(), VOICE_FINISHED);
}

}  // namespace
