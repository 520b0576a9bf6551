// A sound made from a sample its caller gives up takes the sample's data instead of copying
// it, so the decoded music is never held twice; a sample someone still holds is copied and
// left intact. Either way the mixer's record ends with the right guard frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "engine/audio/audio.h"
#include "engine/audio/internal/mixa_driver.h"
#include "tests/audio/virtual_output.h"
#include "tests/support/scoped_clock.h"

namespace {

// Frames 100, 200, ... (stereo: the right value is the left one plus 1).
std::shared_ptr<TAudioSample> Ramp(int frames, int format, int spare_frames = 0) {
    const int channels = AudioSampleChannels(format);
    auto sample = TAudioSample::Create(frames + spare_frames, 22050, format);
    sample->length = frames;
    auto* values = reinterpret_cast<std::int16_t*>(sample->samples);
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            values[i * channels + c] = static_cast<std::int16_t>(100 * (i + 1) + c);
        }
    }
    return sample;
}

const TMixaSampleRecord& RecordOf(const std::shared_ptr<TSound>& sound) {
    auto mixa = std::dynamic_pointer_cast<TMixaSound>(sound);
    EXPECT_TRUE(mixa && mixa->mixa_sound);
    return *mixa->mixa_sound;
}

std::int16_t Value(const TMixaSampleRecord& record, int index) {
    std::int16_t v;
    std::memcpy(&v, record.data.get() + 2 * index, 2);
    return v;
}

class SoundMemoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartAudioModules();
        ShutdownAudio();
        ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    }
    void TearDown() override { ShutdownAudio(); }

    TScopedVirtualClock clock_{100};
    TScopedVirtualOutput output_;
};

TEST_F(SoundMemoryTest, AGivenUpSampleIsTakenNotCopied) {
    for (bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "looped" : "once");
        auto sample = Ramp(50, SF_STEREO16LE, 1);  // room for the guard frame: no regrowth
        const std::uint8_t* buffer = sample->samples;
        auto sound =
            AudioDriver().CreateSoundTakingSample(std::move(sample), loop ? SOUND_LOOP : 0);
        const TMixaSampleRecord& record = RecordOf(sound);
        EXPECT_EQ(record.data.get(), buffer) << "the record must own the decoded block itself";
        EXPECT_EQ(record.length, 50);
        EXPECT_EQ(record.hertz, 22050);
        EXPECT_EQ(Value(record, 0), 100);
        EXPECT_EQ(Value(record, 99), 5001);
        // The guard frame repeats the first frame of a loop, else the last.
        EXPECT_EQ(Value(record, 100), loop ? 100 : 5000);
        EXPECT_EQ(Value(record, 101), loop ? 101 : 5001);
    }
}

TEST_F(SoundMemoryTest, AHeldSampleIsCopiedAndLeftIntact) {
    auto sample = Ramp(40, SF_MONO16LE);
    auto kept = sample;  // someone else still reads it
    auto taken = AudioDriver().CreateSoundTakingSample(std::move(sample), 0);
    auto loaded = LoadSound(kept);
    for (const auto& sound : {taken, loaded}) {
        const TMixaSampleRecord& record = RecordOf(sound);
        EXPECT_NE(record.data.get(), kept->samples);
        EXPECT_EQ(record.length, 40);
        EXPECT_EQ(Value(record, 39), 4000);
        EXPECT_EQ(Value(record, 40), 4000);
    }
    ASSERT_NE(kept->samples, nullptr);
    EXPECT_EQ(kept->length, 40);
    EXPECT_EQ(reinterpret_cast<std::int16_t*>(kept->samples)[39], 4000);
}

// A big-endian sample is converted; the converted copy is private, so it is taken, and the
// caller's own sample is not touched.
TEST_F(SoundMemoryTest, AConvertedCopyIsTakenAndTheOriginalKept) {
    auto big = Ramp(30, SF_MONO16LE)->Convert(SF_MONO16BE);
    const std::vector<std::uint8_t> before(big->samples, big->samples + 60);
    auto sound = LoadSound(big);
    const TMixaSampleRecord& record = RecordOf(sound);
    EXPECT_EQ(Value(record, 0), 100);
    EXPECT_EQ(Value(record, 29), 3000);
    EXPECT_EQ(Value(record, 30), 3000);
    EXPECT_EQ(std::vector<std::uint8_t>(big->samples, big->samples + 60), before);
}

TEST(MixaSampleRecord, AdoptGrowsABlockWithoutRoomAndFreesWhatItRefuses) {
    struct Case {
        int length, channels, bits;
        bool loop;
        bool valid;
    };
    const Case cases[] = {
        {8, 2, 16, true, true},   {8, 1, 16, false, true},  {8, 1, 8, false, true},
        {0, 2, 16, false, true},  // empty: the guard is silence
        {8, 3, 16, false, false}, {8, 2, 12, false, false}, {-1, 1, 16, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " frames " << c.channels << "x" << c.bits);
        const int frame = c.channels * c.bits / 8;
        const std::size_t size = c.length > 0 ? static_cast<std::size_t>(c.length * frame) : 0;
        auto* block = static_cast<std::uint8_t*>(std::malloc(size + 1));
        for (std::size_t i = 0; i < size; ++i) block[i] = static_cast<std::uint8_t>(i + 1);
        // Exactly the frames: the guard frame needs the block to grow. A refused layout must
        // still free it (the sanitizer build reports a leak otherwise).
        auto record =
            TMixaSampleRecord::Adopt(block, size, c.length, 44100, c.channels, c.bits, c.loop);
        ASSERT_EQ(record != nullptr, c.valid);
        if (!record) continue;
        const std::uint8_t* data = record->data.get();
        for (std::size_t i = 0; i < size; ++i) ASSERT_EQ(data[i], i + 1) << "byte " << i;
        for (int b = 0; b < frame; ++b) {
            const int expected = c.length == 0 ? (c.bits == 8 ? 128 : 0)
                                 : c.loop      ? b + 1
                                               : static_cast<int>(size) - frame + b + 1;
            EXPECT_EQ(data[size + static_cast<std::size_t>(b)], expected) << "guard byte " << b;
        }
    }
}

}  // namespace
