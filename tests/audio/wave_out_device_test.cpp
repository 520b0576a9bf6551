// The waveform output over a fake platform face. The fake plays the looped buffer the way the
// platform does, from its byte count on and whatever the buffer holds, and keeps what it
// played; the timer's runs are direct calls.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/audio/internal/mixa_output.h"
#include "engine/audio/internal/mixa_voices.h"
#include "engine/audio/internal/wave_out_device.h"
#include "tests/audio/mixer_test_util.h"
#include "tests/support/scoped_clock.h"

namespace {

constexpr int kFragment = MIXA_FRAGMENT_VALUES;  // values
constexpr int kFragmentFrames = kFragment / 2;
constexpr int kFragmentBytes = kFragment * 2;
constexpr int kRingBytes = MIXA_RING_FRAGMENTS * kFragmentBytes;

struct TFakeWaveOutState {
    std::uint8_t* buffer = nullptr;
    int buffer_bytes = 0;
    bool opened = false;
    bool prepared = false;
    bool playing = false;
    bool open_fails = false;
    bool prepare_fails = false;
    bool write_fails = false;
    std::uint32_t position = 0;  // the platform's 32-bit count
    int writes = 0;
    int resets = 0;
    int priority_raises = 0;
    bool record = true;
    std::vector<std::int16_t> heard;  // left, right, left, ...

    std::mutex timer_lock;  // the timer calls come from the test's threads too
    std::map<std::uint32_t, std::uintptr_t> armed;
    std::uint32_t last_timer = 0;
    int timer_ms = 0;

    // The platform plays on from its count, through whatever the buffer holds.
    void Play(int frames) {
        if (!playing) return;
        for (int i = 0; i < frames; ++i) {
            const std::size_t at = position % static_cast<std::uint32_t>(buffer_bytes);
            if (record) {
                for (int v = 0; v < 2; ++v) {
                    heard.push_back(static_cast<std::int16_t>(buffer[at + 2 * v] |
                                                              (buffer[at + 2 * v + 1] << 8)));
                }
            }
            position += 4;
        }
    }
    std::size_t Armed() {
        std::lock_guard<std::mutex> guard(timer_lock);
        return armed.size();
    }
    // The one armed timer's token, now spent.
    std::uintptr_t Expire() {
        std::lock_guard<std::mutex> guard(timer_lock);
        EXPECT_EQ(armed.size(), 1u);
        if (armed.empty()) return 0;
        const std::uintptr_t token = armed.begin()->second;
        armed.erase(armed.begin());
        return token;
    }
};

class TFakeWaveOut final : public TWaveOutFace {
  public:
    explicit TFakeWaveOut(std::shared_ptr<TFakeWaveOutState> state) : s_(std::move(state)) {}

    bool Open() override { return s_->opened = !s_->open_fails; }
    bool Prepare(std::uint8_t* buffer, int bytes) override {
        if (s_->prepare_fails) return false;
        s_->buffer = buffer;
        s_->buffer_bytes = bytes;
        return s_->prepared = true;
    }
    bool Write() override {
        ++s_->writes;
        if (s_->write_fails) return false;
        return s_->playing = true;
    }
    bool Position(std::uint32_t& bytes) override {
        bytes = s_->position;
        return true;
    }
    void Reset() override {
        ++s_->resets;
        s_->playing = false;
        s_->position = 0;
    }
    void Unprepare() override { s_->prepared = false; }
    void Close() override { s_->opened = false; }
    std::uint32_t SetTimer(int ms, std::uintptr_t token) override {
        std::lock_guard<std::mutex> guard(s_->timer_lock);
        s_->timer_ms = ms;
        s_->armed[++s_->last_timer] = token;
        return s_->last_timer;
    }
    void KillTimer(std::uint32_t id) override {
        std::lock_guard<std::mutex> guard(s_->timer_lock);
        s_->armed.erase(id);
    }
    void RaiseThreadPriority() override { ++s_->priority_raises; }
    void Sleep(int ms) override { s_->Play(ms * 44); }

  private:
    std::shared_ptr<TFakeWaveOutState> s_;
};

// The largest step between neighbouring values of one channel, from `from` (a value index).
int LargestStep(const std::vector<std::int16_t>& heard, std::size_t from) {
    int largest = 0;
    for (std::size_t i = from + 2; i < heard.size(); ++i) {
        largest = std::max(largest, std::abs(heard[i] - heard[i - 2]));
    }
    return largest;
}

class WaveOutDeviceTest : public ::testing::Test {
  protected:
    TScopedVirtualClock clock{5000};
    std::shared_ptr<TFakeWaveOutState> state = std::make_shared<TFakeWaveOutState>();
    TMixaOutput output{std::make_unique<TWaveOutDevice>(std::make_unique<TFakeWaveOut>(state)),
                       kFragment};

    void Fire() { TWaveOutDevice::TimerFired(state->Expire()); }
    void PlayAndTick(int frames) {
        state->Play(frames);
        Fire();
    }
    // A loud tone that plays on, queued now and played until the whole ring has held it;
    // returns the index of its first value heard.
    std::size_t PlayTone(TMixaVoices& voices) {
        voices.Queue(Constant16(441, kTone, -kTone, 2, 44100, true), 0, VOICE_LOOPED,
                     clock->Milliseconds() - 20);
        for (int i = 0; i < 2 * MIXA_RING_FRAGMENTS; ++i) PlayAndTick(kFragmentFrames);
        for (std::size_t i = 0; i < state->heard.size(); ++i) {
            if (state->heard[i] == kTone) return i;
        }
        ADD_FAILURE() << "the tone was never heard";
        return state->heard.size();
    }

    static constexpr std::int16_t kTone = 8000;
    // A 2 ms fade of the tone moves by this much per frame; a cut moves by the whole tone.
    static constexpr int kFadeStep = kTone / TWaveOutDevice::kFadeFrames + 2;
};

TEST_F(WaveOutDeviceTest, TheTimerTicksAndReArmsOnceARunWithoutResetsOrRestarts) {
    ASSERT_TRUE(output.Open(true));
    EXPECT_TRUE(state->opened && state->prepared);
    EXPECT_EQ(state->buffer_bytes, kRingBytes);
    EXPECT_EQ(state->writes, 1);
    EXPECT_EQ(output.WritePosition(), 6 * kFragment) << "prefilled before the write";
    EXPECT_EQ(state->Armed(), 1u);
    EXPECT_EQ(state->timer_ms, 5);

    // Past the point where the output takes whole laps off the position (16 MiB, about
    // 95 s): it plays on from the same count, without a reset or a rewrite.
    state->record = false;
    const int ticks = 0x10000000 / 16 / kFragmentBytes + 200;
    for (int i = 0; i < ticks; ++i) {
        PlayAndTick(kFragmentFrames);
        ASSERT_EQ(state->Armed(), 1u) << "tick " << i;
        ASSERT_EQ(output.Lead(), 6) << "tick " << i;
    }
    std::int64_t position = 0;
    ASSERT_TRUE(output.Device().PlayPosition(position));
    EXPECT_LT(position, 0x10000000 / 16) << "rebased";
    EXPECT_EQ(output.WritePosition(), position / 2 + 6 * kFragment);
    EXPECT_EQ(state->resets, 0);
    EXPECT_EQ(state->writes, 1);
    EXPECT_EQ(state->priority_raises, 1) << "once, on the timer's first run";
}

TEST_F(WaveOutDeviceTest, AStallFadesIntoSilenceInsteadOfReplayingTheLastLapThenFadesBackIn) {
    ASSERT_TRUE(output.Open(true));
    TMixaVoices voices(output.Mixer());
    const std::size_t tone = PlayTone(voices);

    // The tick stalls for 12 fragments while the platform plays on past the 6 written.
    const std::size_t stall = state->heard.size();
    state->Play(12 * kFragmentFrames);
    int silent = 0;
    for (std::size_t i = stall + 6 * kFragment; i < state->heard.size(); ++i) {
        silent += state->heard[i] == 0;
    }
    EXPECT_GT(silent, 5 * kFragment) << "the ring's last lap was played again";
    EXPECT_EQ(state->heard.back(), 0);

    // The next run sees the underrun: a stop, 250 silent ticks, then the ring again.
    Fire();
    EXPECT_EQ(state->resets, 1);
    EXPECT_EQ(output.RestartCountdown(), 250);
    for (int i = 0; i < 250; ++i) Fire();
    EXPECT_EQ(state->writes, 2);
    for (int i = 0; i < 40; ++i) PlayAndTick(kFragmentFrames);
    EXPECT_EQ(state->heard[state->heard.size() - 2], kTone);
    EXPECT_LE(LargestStep(state->heard, tone), kFadeStep) << "an edge clicks";
    output.Close();
}

TEST_F(WaveOutDeviceTest, CloseWhilePlayingFadesOutStopsTheTimerAndReleasesThePlatform) {
    ASSERT_TRUE(output.Open(true));
    TMixaVoices voices(output.Mixer());
    const std::size_t tone = PlayTone(voices);
    const std::size_t before = state->heard.size();
    output.Close();

    EXPECT_GT(state->heard.size(), before) << "stopped without playing a fade";
    EXPECT_EQ(state->heard.back(), 0);
    EXPECT_LE(LargestStep(state->heard, tone), kFadeStep);
    EXPECT_FALSE(state->playing || state->prepared || state->opened);
    EXPECT_EQ(state->Armed(), 0u);
}

// An earlier device let a timer run that was under way when Close came re-arm itself
// afterwards, so a tick ran on a closed device.
TEST(WaveOutDeviceTimer, CloseDuringATimerRunWaitsForItAndNothingReArms) {
    auto state = std::make_shared<TFakeWaveOutState>();
    std::vector<std::uint8_t> ring(kRingBytes);
    TWaveOutDevice device(std::make_unique<TFakeWaveOut>(state));
    ASSERT_TRUE(device.Open(ring.data(), kRingBytes));
    std::atomic<int> ticks{0};
    std::atomic<bool> in_tick{false};
    std::atomic<bool> closing{false};
    std::atomic<bool> closed{false};
    std::atomic<bool> closed_during_tick{false};
    ASSERT_TRUE(device.DriveTicks([&] {
        ++ticks;
        in_tick = true;
        while (!closing) std::this_thread::yield();
        // Close has had the time to run into the lock; it must still be waiting.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        closed_during_tick = closed.load();
    }));
    const std::uintptr_t token = state->Expire();

    std::thread timer([&] { TWaveOutDevice::TimerFired(token); });
    while (!in_tick) std::this_thread::yield();
    std::thread closer([&] {
        closing = true;
        device.Close();
        closed = true;
    });
    closer.join();
    timer.join();
    EXPECT_FALSE(closed_during_tick);
    EXPECT_EQ(state->Armed(), 0u);

    TWaveOutDevice::TimerFired(token);  // a run the platform had already started
    EXPECT_EQ(ticks.load(), 1);
}

// The platform's byte count is 32 bits: after 4 GiB (6.8 hours) it starts again from 0,
// which read as it is would put the play position far behind the written mark for good.
TEST(WaveOutDevicePosition, TheByteCountKeepsCountingPastItsWrapAndRebasesByWholeLaps) {
    auto state = std::make_shared<TFakeWaveOutState>();
    std::vector<std::uint8_t> ring(kRingBytes);
    TWaveOutDevice device(std::make_unique<TFakeWaveOut>(state));
    ASSERT_TRUE(device.Open(ring.data(), kRingBytes));
    ASSERT_TRUE(device.Submit());
    const std::vector<std::pair<std::uint32_t, std::int64_t>> counts = {
        {0x60000000u, 0x60000000},  {0xC0000000u, 0xC0000000},  {0xFFFFFFF0u, 0xFFFFFFF0},
        {0x00000010u, 0x100000010}, {0x00000008u, 0x100000008},  // a count that steps back is not a
                                                                 // wrap
    };
    for (auto [raw, widened] : counts) {
        state->position = raw;
        std::int64_t position = 0;
        ASSERT_TRUE(device.PlayPosition(position));
        EXPECT_EQ(position, widened) << std::hex << raw;
    }
    EXPECT_FALSE(device.Rebase(kRingBytes + 4)) << "not a whole lap";
    ASSERT_TRUE(device.Rebase(std::int64_t{0x100000000} - kRingBytes));
    std::int64_t position = 0;
    ASSERT_TRUE(device.PlayPosition(position));
    EXPECT_EQ(position, kRingBytes + 8);
    EXPECT_EQ(state->resets, 0);
}

TEST_F(WaveOutDeviceTest, PlatformRefusalsFailTheOpenOrPrintTheLine) {
    state->open_fails = true;
    EXPECT_FALSE(output.Open(true));
    EXPECT_EQ(state->Armed(), 0u);

    state->open_fails = false;
    state->prepare_fails = true;
    EXPECT_FALSE(output.Open(true));
    EXPECT_FALSE(state->opened) << "left open";
    EXPECT_EQ(state->Armed(), 0u);

    state->prepare_fails = false;
    state->write_fails = true;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(output.Open(true));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "waveOutWrite error\n");
    EXPECT_TRUE(output.Running());
    Fire();
    EXPECT_EQ(state->Armed(), 1u) << "the tick runs on";
    output.Close();
    EXPECT_EQ(state->Armed(), 0u);
}

}  // namespace
