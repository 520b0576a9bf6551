// The output tick over a virtual device: prefill, keeping the lead, underrun recovery with
// the restart countdown and a growing lead, broken positions, failed submissions, and a
// device that drives the ticks itself.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine/audio/internal/mixa_output.h"
#include "engine/audio/internal/mixa_voices.h"
#include "tests/audio/mixer_test_util.h"
#include "tests/audio/virtual_output.h"
#include "tests/support/scoped_clock.h"

namespace {

constexpr int kFragment = MIXA_FRAGMENT_VALUES;  // values
constexpr int kFragmentBytes = kFragment * 2;

class OutputTickTest : public ::testing::Test {
  protected:
    TScopedVirtualClock clock{5000};
    std::shared_ptr<TVirtualOutputState> state = std::make_shared<TVirtualOutputState>();
    TMixaOutput output{std::make_unique<TVirtualOutputDevice>(state), kFragment};

    void PlayedFragments(double fragments) {
        state->position = static_cast<std::int64_t>(fragments * kFragmentBytes);
    }
    std::int16_t RingValue(int fragment, int value) const {
        const auto& ring = output.Ring();
        const std::size_t at = (static_cast<std::size_t>(fragment) * kFragment + value) * 2;
        return static_cast<std::int16_t>(ring[at] | (ring[at + 1] << 8));
    }
};

TEST_F(OutputTickTest, OpenPrefillsTheLeadAndStartsPlayback) {
    ASSERT_TRUE(output.Open(false));
    EXPECT_EQ(output.WritePosition(), 6 * kFragment);
    EXPECT_EQ(state->submits.load(), 1);
    EXPECT_EQ(state->ring_bytes, 32 * kFragmentBytes);

    // The tick keeps the write position `lead` fragments past the play position.
    const std::vector<std::pair<double, int>> steps = {
        {0.5, 7},   {1.0, 7},   {3.2, 10},  {8.0, 14},  {12.0, 18},
        {16.0, 22}, {20.0, 26}, {24.0, 30}, {28.0, 34}, {31.5, 38}};
    for (auto [played, written] : steps) {
        PlayedFragments(played);
        output.Tick();
        EXPECT_EQ(output.WritePosition(), written * kFragment) << "played " << played;
    }
    EXPECT_EQ(state->resets.load(), 0);
}

TEST_F(OutputTickTest, FragmentsLandInTheRingModuloItsSize) {
    ASSERT_TRUE(output.Open(false));
    TMixaVoices voices(output.Mixer());
    voices.Queue(Constant16(44100, 700, -700, 2, 44100, true), 0, VOICE_LOOPED, 5000 - 20);
    // Fragments 6..33 are mixed; 32 and 33 wrap to ring slots 0 and 1.
    for (int played = 1; played <= 28; ++played) {
        PlayedFragments(played);
        output.Tick();
    }
    EXPECT_EQ(RingValue(2, 0), 0) << "prefilled before the sound was queued";
    EXPECT_EQ(RingValue(6, 0), 700);
    EXPECT_EQ(RingValue(31, 1), -700);
    EXPECT_EQ(RingValue(0, 0), 700);
    EXPECT_EQ(RingValue(1, 1023), -700);
    output.Close();  // hands the voices back before they go
}

TEST_F(OutputTickTest, UnderrunsPauseThenRestartWithALongerLead) {
    ASSERT_TRUE(output.Open(false));
    const std::vector<int> leads = {8, 10, 10};
    for (int lead : leads) {
        SCOPED_TRACE(testing::Message() << "lead " << lead);
        // The device has caught up with all but one written fragment.
        PlayedFragments(static_cast<double>(output.WritePosition()) / kFragment - 1);
        const int resets = state->resets;
        output.Tick();
        EXPECT_EQ(output.Lead(), lead);
        EXPECT_EQ(output.RestartCountdown(), 250);
        EXPECT_EQ(output.WritePosition(), 2 * lead * kFragment);
        EXPECT_EQ(state->resets.load(), resets + 1);
        for (std::uint8_t byte : output.Ring()) ASSERT_EQ(byte, 0);

        // 249 silent ticks; the 250th restarts playback and mixes on.
        const int submits = state->submits;
        for (int i = 0; i < 249; ++i) output.Tick();
        EXPECT_EQ(state->submits.load(), submits);
        EXPECT_EQ(output.WritePosition(), 2 * lead * kFragment);
        output.Tick();
        EXPECT_EQ(state->submits.load(), submits + 1);
        EXPECT_EQ(output.RestartCountdown(), 0);
        // Playback starts over from the ring's start, behind the silence already written.
        PlayedFragments(lead + 1);
        output.Tick();
        EXPECT_EQ(output.WritePosition(), (2 * lead + 1) * kFragment);
    }
}

TEST_F(OutputTickTest, ABrokenPositionResetsTheRing) {
    struct Case {
        const char* name;
        bool fails;
        std::int64_t position;
    };
    const std::vector<Case> cases = {
        {"query fails", true, 0},
        {"beyond the limit", false, 0x10000001},
        {"negative", false, -4},
    };
    ASSERT_TRUE(output.Open(false));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int resets = state->resets;
        const int submits = state->submits;
        state->position_fails = c.fails;
        state->position = c.position;
        output.Tick();
        EXPECT_EQ(output.WritePosition(), 0);
        EXPECT_EQ(state->resets.load(), resets + 1);
        EXPECT_EQ(state->submits.load(), submits + 1);
        state->position_fails = false;
        state->position = 0;
        output.Tick();
        EXPECT_EQ(output.WritePosition(), 6 * kFragment) << "mixing resumes from the start";
    }
    // Exactly at the limit is still a position.
    state->position = 0x10000000;
    const int resets = state->resets;
    output.Tick();
    EXPECT_EQ(state->resets.load(), resets + 1) << "far behind: an underrun, not a broken device";
    EXPECT_EQ(output.RestartCountdown(), 250);
}

// A device that has played 0x10000000 bytes (25 minutes) without an underrun is healthy,
// not lost: its position is rebased by whole laps and it plays on without a gap.
TEST_F(OutputTickTest, ALongRunningDeviceIsRebasedInsteadOfReset) {
    ASSERT_TRUE(output.Open(false));
    TMixaVoices voices(output.Mixer());
    constexpr int kLoop = 1000;  // frames; each frame's value is its index, so a lost,
                                 // repeated or silent fragment breaks the count
    std::vector<std::int16_t> values(kLoop);
    for (int i = 0; i < kLoop; ++i) values[i] = static_cast<std::int16_t>(i + 1);
    voices.Queue(Record16(values, 1, 44100, true), 0, VOICE_LOOPED, 5000 - 20);

    const auto& ring = output.Ring();
    const std::int64_t ring_bytes = static_cast<std::int64_t>(ring.size());
    int expected = 0;  // the next frame's value once the sound has begun
    std::int64_t played = 0;
    while (played < 0x10000000 + 16 * ring_bytes) {
        // The device plays one fragment from where its position points into the ring.
        const std::int64_t at = state->position % ring_bytes;
        ASSERT_LE(state->position + kFragmentBytes, state->written.load()) << "played " << played;
        for (int i = 0; i < kFragmentBytes; i += 4) {
            const auto value = static_cast<std::int16_t>(ring[at + i] | (ring[at + i + 1] << 8));
            if (expected == 0 && value == 0) continue;  // the prefill before the sound
            if (expected == 0) expected = value;
            ASSERT_EQ(value, expected) << "played " << played;
            expected = expected % kLoop + 1;
        }
        state->position += kFragmentBytes;
        played += kFragmentBytes;
        output.Tick();
        ASSERT_EQ(output.Lead(), 6);
        ASSERT_EQ(output.WritePosition() * 2, state->written.load());
    }
    EXPECT_NE(expected, 0);
    EXPECT_EQ(state->resets.load(), 0);
    EXPECT_EQ(state->submits.load(), 1);
    EXPECT_EQ(output.RestartCountdown(), 0);
    EXPECT_GE(state->rebases.load(), 1);
    EXPECT_LT(state->position.load(), 0x10000000 / 8);
    output.Close();
}

TEST_F(OutputTickTest, ARefusedSubmissionPrintsOneLineAndCarriesOn) {
    state->submit_fails = true;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(output.Open(false));
    state->position_fails = true;
    output.Tick();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "waveOutWrite error\nwaveOutWrite error\n");
    EXPECT_TRUE(output.Running());
}

TEST_F(OutputTickTest, CloseStopsTheDeviceAndHandsVoicesBack) {
    ASSERT_TRUE(output.Open(false));
    {
        TMixaVoices voices(output.Mixer());
        voices.Queue(Constant16(44100, 700, -700, 2, 44100, true), 0, VOICE_LOOPED, 5000 - 20);
        PlayedFragments(1);
        output.Tick();
        output.Close();
        EXPECT_TRUE(state->closed.load());
        EXPECT_FALSE(output.Running());
        TMixaVoice* back = output.Mixer().TakeBack();
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->status.load(), VOICE_IDLE);
    }
    const auto written = output.WritePosition();
    output.Tick();
    EXPECT_EQ(output.WritePosition(), written);
}

// A device with no threads of its own to spare: it takes the tick and calls it itself.
class TTickingDevice final : public TAudioOutputDevice {
  public:
    std::function<void()> tick;
    std::int64_t position = 0;

    bool Open(std::uint8_t*, int) override { return true; }
    void Close() override {}
    bool PlayPosition(std::int64_t& bytes) override {
        bytes = position;
        return true;
    }
    void Reset() override { position = 0; }
    bool Submit() override { return true; }
    bool DriveTicks(std::function<void()> t) override {
        tick = std::move(t);
        return true;
    }
};

TEST(OutputTickDriver, ADeviceThatDrivesTheTicksGetsThemAndNoTimerRuns) {
    TScopedVirtualClock clock{5000};
    auto owned = std::make_unique<TTickingDevice>();
    TTickingDevice* device = owned.get();
    TMixaOutput output{std::move(owned), kFragment};
    ASSERT_TRUE(output.Open(true));
    ASSERT_TRUE(device->tick);

    // A timer thread would have ticked several times by now; only the device may.
    device->position = 3 * kFragmentBytes;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(output.WritePosition(), 6 * kFragment);
    device->tick();
    EXPECT_EQ(output.WritePosition(), 9 * kFragment);
    output.Close();
}

}  // namespace
