// The OpenAL driver against a fake library: device fallbacks, buffer formats, the source pool
// with its sequence numbers, static channels and pan on the circle.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/audio/audio.h"
#include "engine/audio/internal/openal_driver.h"

namespace {

struct FakeSource {
    ALint state = 0x1011;  // initial
    ALint buffer = 0, looping = 0, relative = 0;
    float gain = -1, pitch = -1, x = 9, y = 9, z = 9;
};
struct FakeBuffer {
    ALenum format = 0;
    std::vector<std::uint8_t> data;
    ALsizei frequency = 0;
};

// The fake library's state: one at a time, reset by each test.
struct FakeAL {
    std::set<std::string> devices = {"default"};  // names that open; "default" for null
    bool context_fails = false;
    int open_devices = 0, contexts = 0;
    ALenum distance_model = -1;
    ALuint next_id = 1;
    std::map<ALuint, FakeSource> sources;
    std::map<ALuint, FakeBuffer> buffers;
} fake;

char device_token, context_token;

const TOpenALApi& FakeApi() {
    static TOpenALApi api = [] {
        TOpenALApi a;
        a.alcOpenDevice = [](const char* name) -> ALCdevice* {
            if (!fake.devices.count(name ? name : "default")) return nullptr;
            ++fake.open_devices;
            return reinterpret_cast<ALCdevice*>(&device_token);
        };
        a.alcCloseDevice = [](ALCdevice*) -> ALCboolean { return --fake.open_devices, 1; };
        a.alcCreateContext = [](ALCdevice*, const ALint*) -> ALCcontext* {
            if (fake.context_fails) return nullptr;
            ++fake.contexts;
            return reinterpret_cast<ALCcontext*>(&context_token);
        };
        a.alcMakeContextCurrent = [](ALCcontext*) -> ALCboolean { return 1; };
        a.alcDestroyContext = [](ALCcontext*) { --fake.contexts; };
        a.alcIsExtensionPresent = [](ALCdevice*, const char*) -> ALCboolean { return 0; };
        a.alcGetString = [](ALCdevice*, ALenum) -> const char* { return ""; };
        a.alDistanceModel = [](ALenum model) { fake.distance_model = model; };
        a.alGenBuffers = [](ALsizei n, ALuint* ids) {
            for (int i = 0; i < n; ++i) fake.buffers[ids[i] = fake.next_id++] = {};
        };
        a.alDeleteBuffers = [](ALsizei n, const ALuint* ids) {
            for (int i = 0; i < n; ++i) fake.buffers.erase(ids[i]);
        };
        a.alBufferData = [](ALuint id, ALenum format, const void* data, ALsizei size, ALsizei hz) {
            auto* bytes = static_cast<const std::uint8_t*>(data);
            fake.buffers[id] = {format, std::vector<std::uint8_t>(bytes, bytes + size), hz};
        };
        a.alGenSources = [](ALsizei n, ALuint* ids) {
            for (int i = 0; i < n; ++i) fake.sources[ids[i] = fake.next_id++] = {};
        };
        a.alDeleteSources = [](ALsizei n, const ALuint* ids) {
            for (int i = 0; i < n; ++i) fake.sources.erase(ids[i]);
        };
        a.alSourcei = [](ALuint id, ALenum param, ALint value) {
            FakeSource& s = fake.sources.at(id);
            if (param == AL_BUFFER) s.buffer = value;
            if (param == AL_LOOPING) s.looping = value;
            if (param == AL_SOURCE_RELATIVE) s.relative = value;
        };
        a.alSourcef = [](ALuint id, ALenum param, ALfloat value) {
            FakeSource& s = fake.sources.at(id);
            if (param == AL_GAIN) s.gain = value;
            if (param == AL_PITCH) s.pitch = value;
        };
        a.alSource3f = [](ALuint id, ALenum param, ALfloat x, ALfloat y, ALfloat z) {
            if (param == AL_POSITION) {
                FakeSource& s = fake.sources.at(id);
                s.x = x, s.y = y, s.z = z;
            }
        };
        a.alGetSourcei = [](ALuint id, ALenum param, ALint* value) {
            if (param == AL_SOURCE_STATE) *value = fake.sources.at(id).state;
        };
        a.alSourcePlay = [](ALuint id) { fake.sources.at(id).state = AL_PLAYING; };
        a.alSourcePause = [](ALuint id) {
            if (fake.sources.at(id).state == AL_PLAYING) fake.sources.at(id).state = AL_PAUSED;
        };
        a.alSourceStop = [](ALuint id) { fake.sources.at(id).state = 0x1014; };
        a.alSourceRewind = [](ALuint id) { fake.sources.at(id).state = 0x1011; };
        return a;
    }();
    return api;
}

class OpenALDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ShutdownAudio();
        fake = FakeAL{};
        driver = std::make_unique<TOpenALAudioDriver>(
            std::shared_ptr<const TOpenALApi>(&FakeApi(), [](const TOpenALApi*) {}), "OpenAL Test",
            "");
    }
    void TearDown() override {
        ShutdownAudio();
        driver.reset();
    }
    std::shared_ptr<TSound> Sound(int format = SF_MONO16LE, int flags = 0) {
        auto sample = TAudioSample::Create(4, 22050, format);
        for (int i = 0; i < sample->capacity; ++i)
            sample->samples[i] = static_cast<std::uint8_t>(i);
        return LoadSound(sample, flags);
    }
    static FakeSource& SourceOf(const std::shared_ptr<TChannel>& channel) {
        auto* al = dynamic_cast<TOpenALChannel*>(channel.get());
        return fake.sources.at(al->Source()->_id);
    }
    std::unique_ptr<TOpenALAudioDriver> driver;
};

TEST_F(OpenALDriverTest, DeviceFallbacks) {
    struct Case {
        std::set<std::string> devices;
        bool context_fails;
        int started;
    };
    const std::vector<Case> cases = {
        {{"default"}, false, 1},          {{"Generic Hardware"}, false, 1},
        {{"Generic Software"}, false, 1}, {{"Something Else"}, false, 0},
        {{"default"}, true, 0},
    };
    for (const Case& c : cases) {
        fake.devices = c.devices;
        fake.context_fails = c.context_fails;
        fake.distance_model = -1;
        EXPECT_EQ(SetAudioDriver("openal test"), c.started);
        EXPECT_EQ(AudioDriver().Name(), c.started ? "OpenAL Test" : "Null");
        if (c.started) {
            EXPECT_EQ(fake.distance_model, AL_NONE);
        }
        ShutdownAudio();
        EXPECT_EQ(fake.open_devices, 0) << "every opened device is closed again";
        EXPECT_EQ(fake.contexts, 0);
    }
}

TEST_F(OpenALDriverTest, OneBufferPerSoundInItsFormat) {
    ASSERT_EQ(SetAudioDriver("OpenAL Test"), 1);
    struct Case {
        int format;
        ALenum al_format;
        std::vector<std::uint8_t> first_bytes;
    };
    const std::vector<Case> cases = {
        {SF_MONO8, AL_FORMAT_MONO8, {0, 1}},         {SF_MONO16LE, AL_FORMAT_MONO16, {0, 1}},
        {SF_MONO16BE, AL_FORMAT_MONO16, {1, 0}},  // swapped to little-endian
        {SF_STEREO8, AL_FORMAT_STEREO8, {0, 1}},     {SF_STEREO16LE, AL_FORMAT_STEREO16, {0, 1}},
        {SF_STEREO16BE, AL_FORMAT_STEREO16, {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        auto sound = std::dynamic_pointer_cast<TOpenALSound>(Sound(c.format, SOUND_LOOP));
        ASSERT_TRUE(sound);
        EXPECT_TRUE(sound->_loop);
        const FakeBuffer& buffer = fake.buffers.at(sound->_buffer);
        EXPECT_EQ(buffer.format, c.al_format);
        EXPECT_EQ(buffer.frequency, 22050);
        EXPECT_EQ(buffer.data.size(), 4u * AudioSampleBytesPerFrame(c.format));
        EXPECT_EQ(std::vector<std::uint8_t>(buffer.data.begin(), buffer.data.begin() + 2),
                  c.first_bytes);
        const ALuint id = sound->_buffer;
        sound.reset();
        EXPECT_EQ(fake.buffers.count(id), 0u) << "the buffer goes with the sound";
    }
}

TEST_F(OpenALDriverTest, PanPlacesTheSourceOnACircle) {
    ASSERT_EQ(SetAudioDriver("OpenAL Test"), 1);
    auto channel = AllocChannel();
    const FakeSource& fresh = SourceOf(channel);
    EXPECT_EQ(fresh.relative, 1);
    EXPECT_FLOAT_EQ(fresh.gain, 1.0f);
    EXPECT_FLOAT_EQ(fresh.pitch, 1.0f);
    EXPECT_FLOAT_EQ(fresh.z, 1.0f);
    struct Case {
        float pan, x, z;
    };
    for (const Case& c :
         std::vector<Case>{{-1, -1, 0}, {0, 0, -1}, {1, 1, 0}, {0.5f, 0.70710678f, -0.70710678f}}) {
        SetChannelPan(channel, c.pan);
        EXPECT_NEAR(SourceOf(channel).x, c.x, 1e-6) << c.pan;
        EXPECT_NEAR(SourceOf(channel).y, 0.0f, 1e-6) << c.pan;
        EXPECT_NEAR(SourceOf(channel).z, c.z, 1e-6) << c.pan;
    }
    SetChannelVolume(channel, 0.25f);
    SetChannelRate(channel, 2.0f);
    SetChannelDepth(channel, -1.0f);
    EXPECT_FLOAT_EQ(SourceOf(channel).gain, 0.25f);
    EXPECT_FLOAT_EQ(SourceOf(channel).pitch, 2.0f);
}

TEST_F(OpenALDriverTest, IdleSourcesAreReusedAndOldChannelsLoseThem) {
    ASSERT_EQ(SetAudioDriver("OpenAL Test"), 1);
    auto sound = Sound();
    auto first = PlaySound(sound);
    auto second = PlaySound(sound);
    EXPECT_EQ(ChannelPlaying(first), 1);
    EXPECT_EQ(fake.sources.size(), 2u) << "two playing sounds need two sources";
    SourceOf(first).state = 0x1014;  // it ended
    const ALuint first_id = dynamic_cast<TOpenALChannel*>(first.get())->Source()->_id;

    auto third = PlaySound(sound);
    EXPECT_EQ(fake.sources.size(), 2u);
    EXPECT_EQ(dynamic_cast<TOpenALChannel*>(third.get())->Source()->_id, first_id);
    SetChannelVolume(first, 0.1f);
    StopChannel(first);
    EXPECT_FLOAT_EQ(SourceOf(third).gain, 1.0f) << "the old channel no longer reaches it";
    EXPECT_EQ(ChannelPlaying(third), 1);
    EXPECT_EQ(ChannelPlaying(first), 0);
}

TEST_F(OpenALDriverTest, StaticChannelsKeepTheirSourceUntilDropped) {
    ASSERT_EQ(SetAudioDriver("OpenAL Test"), 1);
    auto sound = Sound();
    auto music = AllocChannel();
    const ALuint reserved = dynamic_cast<TOpenALChannel*>(music.get())->Source()->_id;
    SetChannelVolume(music, 0.5f);
    EXPECT_EQ(PlaySound(sound, music), music);
    EXPECT_FLOAT_EQ(SourceOf(music).gain, 0.5f) << "settings made before playing stay";
    SourceOf(music).state = 0x1014;  // ended, yet still the channel's
    auto other = PlaySound(sound);
    EXPECT_NE(dynamic_cast<TOpenALChannel*>(other.get())->Source()->_id, reserved);
    music.reset();
    SourceOf(other).state = 0x1014;
    std::set<ALuint> reused;
    for (int i = 0; i < 2; ++i) {
        auto channel = PlaySound(sound);
        reused.insert(dynamic_cast<TOpenALChannel*>(channel.get())->Source()->_id);
    }
    EXPECT_TRUE(reused.count(reserved)) << "dropping the channel gave the source back";
    EXPECT_EQ(fake.sources.size(), 2u);
}

TEST_F(OpenALDriverTest, CueWaitsForResume) {
    ASSERT_EQ(SetAudioDriver("OpenAL Test"), 1);
    auto sound = Sound(SF_MONO8, SOUND_LOOP);
    auto channel = CueSound(sound);
    ASSERT_TRUE(channel);
    EXPECT_EQ(SourceOf(channel).looping, 1);
    EXPECT_NE(SourceOf(channel).buffer, 0);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    ResumeChannel(channel);
    EXPECT_EQ(ChannelPlaying(channel), 1);
    PauseChannel(channel);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    ResumeChannel(channel);
    EXPECT_EQ(ChannelPlaying(channel), 1);
    StopChannel(channel);
    ResumeChannel(channel);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    EXPECT_EQ(PlaySound(sound, std::make_shared<TChannel>()), nullptr) << "foreign channel";
}

}  // namespace
