// The software-mixer driver: device start-up and shutdown, sound records, channel handles.
#include "engine/audio/internal/mixa_driver.h"

#include <cmath>
#include <limits>

#include "engine/audio/internal/audio_modules.h"
#include "engine/audio/internal/mixa_output.h"
#include "engine/audio/internal/mixa_voices.h"
#include "engine/system/clock.h"

struct TMixaSession {
    std::unique_ptr<TMixaOutput> output;
    std::unique_ptr<TMixaVoices> voices;

    // The timer thread stops and hands every voice back before the voices go.
    ~TMixaSession() {
        if (output) output->Close();
        voices.reset();
        output.reset();
    }
};

namespace {

std::shared_ptr<TMixaSession>& Session() {
    static std::shared_ptr<TMixaSession> session;
    return session;
}

// Float parameters to the fixed-point fields, defined for every input: NaN gives 0, values
// beyond the int range saturate, then the low bits are kept (the fields are 16 or 32 bits).
std::int32_t Truncate(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::int16_t Fixed412(float value) {
    return static_cast<std::int16_t>(Truncate(static_cast<double>(value) * 4096.0));
}

}  // namespace

TMixaOutput* CurrentMixaOutput() {
    return Session() ? Session()->output.get() : nullptr;
}

TMixaVoices* CurrentMixaVoices() {
    return Session() ? Session()->voices.get() : nullptr;
}

TMixaAudioDriver* TMixaAudioDriver::Create(const std::string& name, int mode) {
    auto* driver = new TMixaAudioDriver();
    driver->_name = name;
    driver->_mode = mode;
    return driver;
}

std::string TMixaAudioDriver::Name() {
    return _name;
}

int TMixaAudioDriver::Startup() {
    // Only the multimedia device exists on this platform; mode 1 has nothing to open.
    if (_mode == 1) return 0;
    Shutdown();
    auto output = std::make_unique<TMixaOutput>(CreateAudioOutputDevice(), MIXA_FRAGMENT_VALUES);
    auto session = std::make_shared<TMixaSession>();
    session->voices = std::make_unique<TMixaVoices>(output->Mixer());
    if (!output->Open(AudioOutputTimerEnabled())) return 0;
    session->output = std::move(output);
    Session() = std::move(session);
    return 1;
}

void TMixaAudioDriver::Shutdown() {
    Session().reset();
}

std::shared_ptr<TSound> TMixaAudioDriver::CreateSound(const std::shared_ptr<TAudioSample>& sample,
                                                      int flags) {
    return CreateSoundTakingSample(sample, flags);
}

// `sample` is a copy of the caller's pointer here, so a use count of one after a converted
// copy or a moved-in sample means no one else can see the data being taken.
std::shared_ptr<TSound> TMixaAudioDriver::CreateSoundTakingSample(
    std::shared_ptr<TAudioSample> sample, int flags) {
    if (!sample) return nullptr;
    std::shared_ptr<TAudioSample> source = std::move(sample);
    if (source->format == SF_MONO16BE) {
        source = source->Convert(SF_MONO16LE);
    } else if (source->format == SF_STEREO16BE) {
        source = source->Convert(SF_STEREO16LE);
    }
    if (!source) return nullptr;
    const int channels = AudioSampleChannels(source->format);
    if (channels == 0) return nullptr;
    const int bits = AudioSampleBytesPerFrame(source->format) * 8 / channels;
    const bool loop = (flags & SOUND_LOOP) != 0;
    std::shared_ptr<TMixaSampleRecord> record;
    if (source.use_count() == 1 && source->capacity >= 0 && source->samples) {
        std::uint8_t* frames = source->samples;
        const auto capacity = static_cast<std::size_t>(source->capacity);
        const int length = source->length;
        source->samples = nullptr;
        source->capacity = -1;
        source->length = 0;
        record =
            TMixaSampleRecord::Adopt(frames, capacity, length, source->hertz, channels, bits, loop);
    } else {
        record = TMixaSampleRecord::Create(source->samples, source->length, source->hertz, channels,
                                           bits, loop);
    }
    if (!record) return nullptr;
    return TMixaSound::CreateWithSound(std::move(record), source);
}

std::shared_ptr<TChannel> TMixaAudioDriver::AllocChannel() {
    if (!Session()) return nullptr;
    const int handle = Session()->voices->AllocHandle();
    if (handle == 0) return nullptr;
    return TMixaChannel::CreateWithChannel(handle);
}

std::shared_ptr<TMixaSound> TMixaSound::CreateWithSound(
    std::shared_ptr<const TMixaSampleRecord> record, const std::shared_ptr<TAudioSample>&) {
    auto sound = std::make_shared<TMixaSound>();
    sound->mixa_sound = std::move(record);
    return sound;
}

std::shared_ptr<TChannel> TMixaSound::Play(const std::shared_ptr<TChannel>& channel) {
    return Queue(channel, 0);
}

std::shared_ptr<TChannel> TMixaSound::Cue(const std::shared_ptr<TChannel>& channel) {
    return Queue(channel, VOICE_PAUSED);
}

std::shared_ptr<TChannel> TMixaSound::Queue(const std::shared_ptr<TChannel>& channel, int paused) {
    auto mixa = std::dynamic_pointer_cast<TMixaChannel>(channel);
    if (channel && !mixa) return nullptr;
    auto session = Session();
    if (!session || !session->output->Running() || !mixa_sound) return nullptr;
    int handle = 0;
    // A handle of an earlier device session means nothing to this one.
    if (mixa && mixa->session_.lock() == session) handle = mixa->mixa_channel;
    const int status = (mixa_sound->loop ? VOICE_LOOPED : VOICE_ONCE) + paused;
    const int queued = session->voices->Queue(mixa_sound, handle, status, MillisecondClock());
    if (queued == 0) return nullptr;
    if (mixa && handle != 0 && queued == handle) return channel;
    return TMixaChannel::CreateWithChannel(queued);
}

std::shared_ptr<TMixaChannel> TMixaChannel::CreateWithChannel(int handle) {
    auto channel = std::make_shared<TMixaChannel>();
    channel->mixa_channel = handle;
    channel->session_ = Session();
    return channel;
}

TMixaChannel::~TMixaChannel() {
    if (mixa_channel == 0) return;
    if (auto session = session_.lock()) session->voices->Free(mixa_channel);
}

TMixaVoice* TMixaChannel::Voice() {
    if (mixa_channel == 0) return nullptr;
    auto session = session_.lock();
    return session ? session->voices->Voice(mixa_channel) : nullptr;
}

void TMixaChannel::Stop() {
    if (mixa_channel == 0) return;
    if (auto session = session_.lock()) session->voices->Stop(mixa_channel);
    mixa_channel = 0;
}

void TMixaChannel::SetPaused(int paused) {
    TMixaVoice* voice = Voice();
    if (!voice) return;
    if (paused) {
        voice->status.fetch_or(VOICE_PAUSED, std::memory_order_relaxed);
    } else {
        voice->status.fetch_and(~VOICE_PAUSED, std::memory_order_relaxed);
    }
}

void TMixaChannel::SetVolume(float volume) {
    if (TMixaVoice* voice = Voice()) voice->SetVolume(Fixed412(volume));
}

void TMixaChannel::SetPan(float pan) {
    if (TMixaVoice* voice = Voice()) voice->SetPan(Fixed412(pan));
}

void TMixaChannel::SetDepth(float depth) {
    if (TMixaVoice* voice = Voice()) voice->SetDepth(Fixed412(depth));
}

void TMixaChannel::SetRate(float rate) {
    if (TMixaVoice* voice = Voice()) voice->SetRate(Truncate(static_cast<double>(rate) * 65536.0));
}

int TMixaChannel::Playing() {
    TMixaVoice* voice = Voice();
    if (!voice) return 0;
    const int status = voice->status.load(std::memory_order_relaxed);
    return status != 0 && (status & 1) == 0 && (status & VOICE_PAUSED) == 0 ? 1 : 0;
}

int TMixaChannel::Position() {
    TMixaVoice* voice = Voice();
    return voice ? voice->Position() : 0;
}

void RegisterMixaDrivers() {
    // Made now, before the exit handler is registered, so the handler runs while it exists.
    Session();
    // The DirectSound pair does not exist on this platform.
    TMixaAudioDriver::Create("Mixa Multimedia", 0);
    TMixaAudioDriver::Create("Mixa", -1);
}
