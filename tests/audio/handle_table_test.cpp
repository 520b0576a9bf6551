// Channel handles: exhaustion, stale handles, settings carried to the first sound, and a
// full hand-over ring that must refuse rather than overwrite waiting voices.
#include <gtest/gtest.h>

#include <set>

#include "engine/audio/internal/mixa_mixer.h"
#include "engine/audio/internal/mixa_voices.h"
#include "tests/audio/mixer_test_util.h"

namespace {

class HandleTableTest : public ::testing::Test {
  protected:
    TMixaMixer mixer{1024};
    TMixaVoices voices{mixer};
};

TEST_F(HandleTableTest, FourThousandNinetyFiveSlotsThenNone) {
    std::set<int> handles;
    for (int i = 0; i < 4095; ++i) {
        const int handle = voices.AllocHandle();
        ASSERT_NE(handle, 0) << "allocation " << i;
        ASSERT_NE(handle & 4095, 0) << "slot 0 is never handed out";
        handles.insert(handle);
    }
    EXPECT_EQ(handles.size(), 4095u);
    EXPECT_EQ(voices.AllocHandle(), 0);
    EXPECT_EQ(voices.Queue(Constant16(10, 1, 1, 1), 0, VOICE_ONCE, 0), 0);

    const int freed = *handles.begin();
    voices.Free(freed);
    const int again = voices.AllocHandle();
    EXPECT_EQ(again & 4095, freed & 4095);
    EXPECT_NE(again, freed);
}

TEST_F(HandleTableTest, StaleHandlesAreIgnored) {
    const int old_handle = voices.AllocHandle();
    voices.Voice(old_handle)->SetVolume(1000);
    voices.Stop(old_handle);
    const int new_handle = voices.AllocHandle();
    ASSERT_EQ(new_handle & 4095, old_handle & 4095);

    const std::vector<int> bad = {old_handle, 0, 4096, new_handle + 4096, -1};
    for (int handle : bad) {
        SCOPED_TRACE(handle);
        EXPECT_FALSE(voices.Valid(handle));
        EXPECT_EQ(voices.Voice(handle), nullptr);
        voices.Stop(handle);
        voices.Free(handle);
    }
    // None of that touched the new owner of the slot.
    ASSERT_TRUE(voices.Valid(new_handle));
    EXPECT_EQ(voices.Voice(new_handle)->volume_target.load(), 4096);
    EXPECT_EQ(voices.FreeHandles(), 4094);
}

TEST_F(HandleTableTest, GenerationsSurviveEndlessReuse) {
    // The free list is last-in first-out, so one slot takes every allocation here.
    int previous = 0;
    for (int i = 0; i < 600000; ++i) {
        const int handle = voices.AllocHandle();
        ASSERT_GT(handle, 0);
        ASSERT_NE(handle, previous);
        previous = handle;
        voices.Free(handle);
    }
}

TEST_F(HandleTableTest, SettingsOnAFreshChannelCarryToItsFirstSound) {
    const int handle = voices.AllocHandle();
    voices.Voice(handle)->SetVolume(2048);
    voices.Voice(handle)->SetPan(-4096);
    ASSERT_EQ(voices.Queue(Constant16(600, 8000, 8000, 1), handle, VOICE_ONCE, 980), handle);
    auto out = MixFragments(mixer, 1, 1000);
    EXPECT_EQ(out[0], 4000);  // at once, no ramp from full volume
    EXPECT_EQ(out[1], 0);
}

TEST_F(HandleTableTest, ReplacingAChannelsSoundStopsTheOldOne) {
    const int handle = voices.AllocHandle();
    voices.Queue(Constant16(50000, 1000, 1000, 1), handle, VOICE_ONCE, 980);
    auto out = MixFragments(mixer, 1, 1000);
    EXPECT_EQ(out[0], 1000);
    voices.Queue(Constant16(50000, 3000, 3000, 1), handle, VOICE_ONCE, 980);
    out = MixFragments(mixer, 1, 1000);
    EXPECT_EQ(out[0], 3000);
    // The replaced voice is recycled rather than left in the mix for ever.
    MixFragments(mixer, 1, 1000);
    voices.Reclaim();
    const std::size_t made = voices.VoicesMade();
    for (int i = 0; i < 50; ++i) {
        voices.Queue(Constant16(50000, 3000, 3000, 1), handle, VOICE_ONCE, 980);
        MixFragments(mixer, 1, 1000);
    }
    EXPECT_LE(voices.VoicesMade(), made + 2);
}

TEST_F(HandleTableTest, AFullHandOverRingRefusesWithoutLosingWaitingVoices) {
    // Replays on one channel take no new slot, so the ring is what fills up.
    const int handle = voices.AllocHandle();
    std::vector<std::shared_ptr<const TMixaSampleRecord>> records;
    for (int i = 0; i < 4095; ++i) {
        records.push_back(Constant16(600, static_cast<std::int16_t>(i % 7), 0, 1));
        ASSERT_EQ(voices.Queue(records.back(), handle, VOICE_ONCE, 980), handle) << i;
    }
    TMixaVoice* last = voices.Voice(handle);
    const auto last_record = Constant16(600, 1234, 1234, 1);
    EXPECT_EQ(voices.Queue(last_record, handle, VOICE_ONCE, 980), 0);
    EXPECT_EQ(voices.Voice(handle), last) << "the channel keeps its queued voice";
    EXPECT_EQ(last->status.load(), VOICE_ONCE);

    // A self-releasing play is refused too, and gives its slot back.
    const int free_before = voices.FreeHandles();
    EXPECT_EQ(voices.Queue(last_record, 0, VOICE_ONCE, 980), 0);
    EXPECT_EQ(voices.FreeHandles(), free_before);

    // Every waiting voice reaches the mixer intact: only the newest still plays.
    auto out = MixFragments(mixer, 1, 1000);
    EXPECT_EQ(out[0], 4094 % 7);
    int handed_back = 0;
    MixFragments(mixer, 1, 1000);
    while (TMixaVoice* voice = mixer.TakeBack()) {
        ASSERT_EQ(voice->status.load(), VOICE_IDLE);
        ++handed_back;
    }
    EXPECT_EQ(handed_back, 4094);
}

}  // namespace
