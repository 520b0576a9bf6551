// The sound API end to end: the driver registry and its fallbacks, the loader chain, and
// sounds and channels on the mixer driver over a virtual output device.
#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>

#include "engine/audio/audio.h"
#include "engine/audio/internal/mixa_driver.h"
#include "engine/audio/internal/mixa_output.h"
#include "engine/system/runtime_error.h"
#include "engine/system/stream.h"
#include "tests/audio/virtual_output.h"
#include "tests/audio/wav_fixture.h"
#include "tests/support/scoped_clock.h"

namespace {

constexpr int kFragmentBytes = MIXA_FRAGMENT_VALUES * 2;

// Registers `bytes` as an embedded file (kept alive for the process) and returns its URL.
std::string Embed(const std::string& name, std::vector<std::uint8_t> bytes) {
    static std::deque<std::vector<std::uint8_t>> kept;
    kept.push_back(std::move(bytes));
    RegisterEmbeddedFile(name, kept.back().data(), static_cast<int>(kept.back().size()));
    return "incbin::" + name;
}

std::shared_ptr<TAudioSample> ConstantSample(int frames, std::int16_t level) {
    auto s = TAudioSample::Create(frames, 44100, SF_MONO16LE);
    for (int i = 0; i < frames; ++i) {
        s->samples[2 * i] = static_cast<std::uint8_t>(level);
        s->samples[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(level) >> 8);
    }
    return s;
}

class SoundApiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartStreamModules();
        StartAudioModules();
        ShutdownAudio();
    }
    void TearDown() override { ShutdownAudio(); }

    // Plays one more fragment and returns its left value at `frame`.
    int NextFragmentLeft(int frame = 0) {
        TMixaOutput* output = CurrentMixaOutput();
        output->Device().PlayPosition(position_);
        output_.state().position = position_ + kFragmentBytes;
        output->Tick();
        const std::int64_t written = output->WritePosition() - MIXA_FRAGMENT_VALUES;
        const std::size_t index = (written / MIXA_FRAGMENT_VALUES) % MIXA_RING_FRAGMENTS;
        const auto& ring = output->Ring();
        const std::size_t at = index * kFragmentBytes + frame * 4;
        return static_cast<std::int16_t>(ring[at] | (ring[at + 1] << 8));
    }
    // Lets queued sounds reach the start of the next fragment.
    void Settle() { clock_->Advance(20); }

    TScopedVirtualClock clock_{7000};
    TScopedVirtualOutput output_;
    std::int64_t position_ = 0;
};

TEST_F(SoundApiTest, DriverNamesAndLookup) {
    std::vector<std::string> names = AudioDrivers();
    if (!names.empty() && names.front() == "OpenAL") names.erase(names.begin());
    EXPECT_EQ(names, (std::vector<std::string>{"Mixa", "Mixa Multimedia", "Null"}));
    EXPECT_EQ(AudioDriverExists("mIxA mULTIMEDIA"), 1);
    EXPECT_EQ(AudioDriverExists("null"), 1);
    EXPECT_EQ(AudioDriverExists("Mix"), 0);
    EXPECT_EQ(AudioDriverExists(""), 0);
}

TEST_F(SoundApiTest, SelectingDriversByName) {
    EXPECT_EQ(SetAudioDriver("MIXA"), 1);
    EXPECT_EQ(AudioDriver().Name(), "Mixa");
    EXPECT_NE(CurrentMixaOutput(), nullptr);

    EXPECT_EQ(SetAudioDriver("nobody"), 0);
    EXPECT_EQ(AudioDriver().Name(), "Null");
    EXPECT_EQ(CurrentMixaOutput(), nullptr) << "the previous driver was shut down";
    EXPECT_TRUE(output_.state().closed.load());

    EXPECT_EQ(SetAudioDriver("mixa multimedia"), 1);
    EXPECT_EQ(AudioDriver().Name(), "Mixa Multimedia");
}

TEST_F(SoundApiTest, NoDeviceFallsBackToSilence) {
    output_.state().open_fails = true;
    EXPECT_EQ(SetAudioDriver("Mixa"), 0);
    EXPECT_EQ(AudioDriver().Name(), "Null");
    ShutdownAudio();

    const std::string url =
        Embed("audio-test/silent.wav", MakeWav(1, 16, 22050, {{"data", ConstantPcm16(100, 1, 5)}}));
    auto sound = LoadSound(url);
    ASSERT_TRUE(sound) << "the file still decodes";
    EXPECT_EQ(AudioDriver().Name(), "Null") << "the default choice fell back";
    auto channel = PlaySound(sound);
    ASSERT_TRUE(channel);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    auto allocated = AllocChannel();
    ASSERT_TRUE(allocated);
    SetChannelVolume(allocated, 0.5f);
    PauseChannel(allocated);
    ResumeChannel(allocated);
    StopChannel(allocated);
    EXPECT_EQ(ChannelPlaying(allocated), 0);
}

TEST_F(SoundApiTest, AMissingFileChoosesNoDriver) {
    EXPECT_FALSE(LoadSound("incbin::audio-test/not-there.ogg"));
    EXPECT_FALSE(LoadSound(std::shared_ptr<TAudioSample>()));
    EXPECT_EQ(output_.state().submits.load(), 0);
    EXPECT_EQ(CurrentMixaOutput(), nullptr);
}

TEST_F(SoundApiTest, TheDefaultDriverIsTheMixer) {
    auto sound = LoadSound(ConstantSample(10, 1));
    ASSERT_TRUE(sound);
    EXPECT_EQ(AudioDriver().Name(), "Mixa");
    EXPECT_NE(std::dynamic_pointer_cast<TMixaSound>(sound), nullptr);
}

class UnseekableStream : public TStream {
  public:
    std::int64_t Pos() override { return -1; }
};

class UnseekableFactory : public TStreamFactory {
  public:
    std::shared_ptr<TStream> CreateStream(const std::string&, const std::string& proto,
                                          const std::string&, int, int) override {
        return proto == "unseekable" ? std::make_shared<UnseekableStream>() : nullptr;
    }
};

TEST_F(SoundApiTest, AStreamThatCannotSeekIsAFault) {
    UnseekableFactory factory;
    try {
        (void)LoadAudioSample("unseekable::x");
        ADD_FAILURE() << "no error";
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), "Stream is not seekable");
    }
}

// A loader that fails in a chosen way, put at the head of the chain while it lives.
class FailingLoader : public TAudioSampleLoader {
  public:
    explicit FailingLoader(bool stream_error) : stream_error_(stream_error) {}
    std::shared_ptr<TAudioSample> LoadAudioSample(const std::shared_ptr<TStream>& stream) override {
        ++calls;
        stream->SkipBytes(7);  // the next loader must start from the beginning again
        if (stream_error_) throw TStreamReadException();
        throw std::logic_error("broken loader");
    }
    int calls = 0;

  private:
    bool stream_error_;
};

TEST_F(SoundApiTest, LoaderChainTreatsStreamErrorsAsRefusals) {
    const std::string url =
        Embed("audio-test/chain.wav", MakeWav(2, 8, 11025, {{"data", {1, 2, 3, 4, 5, 6}}}));
    {
        FailingLoader refusing(true);
        auto sample = LoadAudioSample(url);
        EXPECT_EQ(refusing.calls, 1);
        ASSERT_TRUE(sample);
        EXPECT_EQ(sample->format, SF_STEREO8);
        EXPECT_EQ(sample->length, 3);
    }
    {
        FailingLoader broken(false);
        EXPECT_THROW((void)LoadAudioSample(url), std::logic_error);
    }
    EXPECT_TRUE(LoadAudioSample(url)) << "the test loaders left the chain";
}

TEST_F(SoundApiTest, TwoPlaysOverlapOnTheirOwnChannels) {
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    auto sound = LoadSound(ConstantSample(20000, 1000));
    auto a = PlaySound(sound);
    auto b = PlaySound(sound);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(ChannelPlaying(a), 1);
    EXPECT_EQ(ChannelPlaying(b), 1);
    Settle();
    EXPECT_EQ(NextFragmentLeft(), 2000);
    StopChannel(a);
    EXPECT_EQ(NextFragmentLeft(), 1000);
}

TEST_F(SoundApiTest, VolumeSetBeforePlayingAppliesToTheFirstSound) {
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    auto music = LoadSound(ConstantSample(20000, 8000));
    auto channel = AllocChannel();
    SetChannelVolume(channel, 0.5f);
    EXPECT_EQ(PlaySound(music, channel), channel);
    Settle();
    EXPECT_EQ(NextFragmentLeft(0), 4000);
    SetChannelVolume(channel, 0.25f);
    NextFragmentLeft();
    EXPECT_EQ(NextFragmentLeft(), 2000);
}

TEST_F(SoundApiTest, StoppingAndReplaying) {
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    auto sound = LoadSound(ConstantSample(20000, 1000));
    auto channel = PlaySound(sound);
    StopChannel(channel);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    StopChannel(channel);  // a second stop does nothing
    auto again = PlaySound(sound, channel);
    ASSERT_TRUE(again);
    EXPECT_NE(again, channel) << "a stopped channel owns no slot";
    EXPECT_EQ(ChannelPlaying(again), 1);
    EXPECT_EQ(ChannelPlaying(channel), 0);
}

TEST_F(SoundApiTest, CueStartsPausedUntilResumed) {
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    auto sound = LoadSound(ConstantSample(20000, 1000));
    auto channel = CueSound(sound);
    ASSERT_TRUE(channel);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    Settle();
    EXPECT_EQ(NextFragmentLeft(), 0);
    ResumeChannel(channel);
    EXPECT_EQ(ChannelPlaying(channel), 1);
    EXPECT_EQ(NextFragmentLeft(), 1000);
    PauseChannel(channel);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    EXPECT_EQ(NextFragmentLeft(), 0);
}

TEST_F(SoundApiTest, ForeignChannelsAreRefused) {
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    auto sound = LoadSound(ConstantSample(100, 1000));
    EXPECT_EQ(PlaySound(sound, std::make_shared<TChannel>()), nullptr);
}

TEST_F(SoundApiTest, DroppedChannelsPlayOnToTheirEnd) {
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    auto sound = LoadSound(ConstantSample(3000, 1000));
    auto channel = AllocChannel();
    PlaySound(sound, channel);
    PlaySound(sound);  // dropped at once, like the game's effects
    channel.reset();
    Settle();
    EXPECT_EQ(NextFragmentLeft(), 2000);
    for (int i = 0; i < 8; ++i) NextFragmentLeft();
    EXPECT_EQ(NextFragmentLeft(), 0) << "both ended";
}

TEST_F(SoundApiTest, BigEndianSamplesPlayAtTheirLevel) {
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    PlaySound(LoadSound(ConstantSample(5000, -1234)->Convert(SF_STEREO16BE)));
    Settle();
    EXPECT_EQ(NextFragmentLeft(), -1234);
}

TEST_F(SoundApiTest, ChannelsOfAnEndedDeviceDoNothing) {
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    auto sound = LoadSound(ConstantSample(5000, 1000));
    auto channel = PlaySound(sound);
    ShutdownAudio();
    EXPECT_EQ(ChannelPlaying(channel), 0);
    SetChannelVolume(channel, 0.5f);
    StopChannel(channel);
    EXPECT_EQ(PlaySound(sound), nullptr) << "no device runs";
    ASSERT_EQ(SetAudioDriver("Mixa"), 1);
    auto fresh = PlaySound(sound, channel);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(ChannelPlaying(fresh), 1);
}

}  // namespace
