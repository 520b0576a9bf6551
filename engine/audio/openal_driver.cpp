// The OpenAL driver, over the library platform/<name>/openal_library.cpp loads at run time:
// registered only when that library is present.
#include "engine/audio/internal/openal_driver.h"

#include <cmath>
#include <numbers>

#include "engine/audio/internal/audio_modules.h"

namespace {

constexpr ALenum kInitial = 0x1011;  // AL_INITIAL: cued, never started

ALenum FormatFor(int format) {
    switch (format) {
        case SF_MONO8:
            return AL_FORMAT_MONO8;
        case SF_MONO16LE:
            return AL_FORMAT_MONO16;
        case SF_STEREO8:
            return AL_FORMAT_STEREO8;
        case SF_STEREO16LE:
            return AL_FORMAT_STEREO16;
        default:
            return AL_NONE;
    }
}

}  // namespace

TOpenALAudioDriver::TOpenALAudioDriver(std::shared_ptr<const TOpenALApi> api, std::string name,
                                       std::string device)
    : api_(std::move(api)), name_(std::move(name)), device_name_(std::move(device)) {}

TOpenALAudioDriver::~TOpenALAudioDriver() {
    Shutdown();
}

std::string TOpenALAudioDriver::Name() {
    return name_;
}

int TOpenALAudioDriver::Startup() {
    Shutdown();
    if (device_name_.empty()) {
        for (const char* name :
             {static_cast<const char*>(nullptr), "Generic Hardware", "Generic Software"}) {
            device_ = api_->alcOpenDevice(name);
            if (device_) break;
        }
    } else {
        device_ = api_->alcOpenDevice(device_name_.c_str());
    }
    if (!device_) return 0;
    context_ = api_->alcCreateContext(device_, nullptr);
    if (!context_) {
        api_->alcCloseDevice(device_);
        device_ = nullptr;
        return 0;
    }
    api_->alcMakeContextCurrent(context_);
    api_->alDistanceModel(AL_NONE);
    return 1;
}

void TOpenALAudioDriver::Shutdown() {
    for (auto& source : sources_) {
        api_->alSourceStop(source->_id);
        api_->alDeleteSources(1, &source->_id);
        source->alive = false;
        source->_sound.reset();
    }
    sources_.clear();
    if (context_) {
        api_->alcMakeContextCurrent(nullptr);
        api_->alcDestroyContext(context_);
        context_ = nullptr;
    }
    if (device_) {
        api_->alcCloseDevice(device_);
        device_ = nullptr;
    }
}

std::shared_ptr<TSound> TOpenALAudioDriver::CreateSound(const std::shared_ptr<TAudioSample>& sample,
                                                        int flags) {
    if (!sample || !context_) return nullptr;
    std::shared_ptr<TAudioSample> source = sample;
    if (sample->format == SF_MONO16BE) source = sample->Convert(SF_MONO16LE);
    if (sample->format == SF_STEREO16BE) source = sample->Convert(SF_STEREO16LE);
    if (!source) return nullptr;
    const ALenum format = FormatFor(source->format);
    if (format == AL_NONE) return nullptr;
    ALuint buffer = 0;
    api_->alGenBuffers(1, &buffer);
    api_->alBufferData(buffer, format, source->samples,
                       source->length * AudioSampleBytesPerFrame(source->format), source->hertz);
    return std::make_shared<TOpenALSound>(api_, this, buffer, (flags & SOUND_LOOP) != 0);
}

std::shared_ptr<TChannel> TOpenALAudioDriver::AllocChannel() {
    if (!context_) return nullptr;
    return std::make_shared<TOpenALChannel>(api_, TakeSource(true), true);
}

std::shared_ptr<TOpenALSource> TOpenALAudioDriver::TakeSource(bool is_static) {
    std::shared_ptr<TOpenALSource> taken;
    for (auto& source : sources_) {
        if (source->reserved) continue;
        ALint state = 0;
        api_->alGetSourcei(source->_id, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING || state == AL_PAUSED) continue;
        taken = source;
        ++taken->_seq;  // channels still pointing here lose it
        break;
    }
    if (!taken) {
        taken = std::make_shared<TOpenALSource>();
        api_->alGenSources(1, &taken->_id);
        sources_.push_back(taken);
    }
    taken->reserved = is_static;
    api_->alSourceStop(taken->_id);
    api_->alSourcei(taken->_id, AL_SOURCE_RELATIVE, 1);
    api_->alSourcef(taken->_id, AL_GAIN, 1.0f);
    api_->alSourcef(taken->_id, AL_PITCH, 1.0f);
    api_->alSource3f(taken->_id, AL_POSITION, 0.0f, 0.0f, 1.0f);
    return taken;
}

TOpenALSound::TOpenALSound(std::shared_ptr<const TOpenALApi> api, TOpenALAudioDriver* driver,
                           ALuint buffer, bool loop)
    : _buffer(buffer), _loop(loop), api_(std::move(api)), driver_(driver) {}

TOpenALSound::~TOpenALSound() {
    api_->alDeleteBuffers(1, &_buffer);
}

std::shared_ptr<TChannel> TOpenALSound::Play(const std::shared_ptr<TChannel>& channel) {
    return Start(channel, true);
}

std::shared_ptr<TChannel> TOpenALSound::Cue(const std::shared_ptr<TChannel>& channel) {
    return Start(channel, false);
}

std::shared_ptr<TChannel> TOpenALSound::Start(const std::shared_ptr<TChannel>& channel, bool play) {
    auto al_channel = std::dynamic_pointer_cast<TOpenALChannel>(channel);
    if (channel && !al_channel) return nullptr;
    if (&AudioDriver() != driver_) return nullptr;  // this sound's driver is not running
    std::shared_ptr<TChannel> result = channel;
    if (!al_channel || !al_channel->Source()) {
        al_channel = std::make_shared<TOpenALChannel>(api_, driver_->TakeSource(false), false);
        result = al_channel;
    }
    TOpenALSource* source = al_channel->Source();
    api_->alSourceStop(source->_id);
    api_->alSourcei(source->_id, AL_BUFFER, static_cast<ALint>(_buffer));
    api_->alSourcei(source->_id, AL_LOOPING, _loop ? 1 : 0);
    source->_sound = shared_from_this();
    // Back to the initial state, so a cued sound waits for a resume to start it.
    api_->alSourceRewind(source->_id);
    if (play) api_->alSourcePlay(source->_id);
    return result;
}

TOpenALChannel::TOpenALChannel(std::shared_ptr<const TOpenALApi> api,
                               std::shared_ptr<TOpenALSource> source, bool is_static)
    : _source(std::move(source)), _static(is_static), api_(std::move(api)) {
    if (_source) _seq = _source->_seq;
}

TOpenALChannel::~TOpenALChannel() {
    // Dropping never stops the sound; a static channel only gives its source back to the pool.
    if (TOpenALSource* source = Source(); source && _static) source->reserved = false;
}

TOpenALSource* TOpenALChannel::Source() const {
    if (!_source || !_source->alive || _source->_seq != _seq) return nullptr;
    return _source.get();
}

void TOpenALChannel::Stop() {
    TOpenALSource* source = Source();
    if (!source) return;
    api_->alSourceStop(source->_id);
    if (_static) source->reserved = false;
    _source.reset();
}

void TOpenALChannel::SetPaused(int paused) {
    TOpenALSource* source = Source();
    if (!source) return;
    if (paused) {
        api_->alSourcePause(source->_id);
        return;
    }
    ALint state = 0;
    api_->alGetSourcei(source->_id, AL_SOURCE_STATE, &state);
    if (state == AL_PAUSED || state == kInitial) api_->alSourcePlay(source->_id);
}

void TOpenALChannel::SetVolume(float volume) {
    if (TOpenALSource* source = Source()) api_->alSourcef(source->_id, AL_GAIN, volume);
}

void TOpenALChannel::SetPan(float pan) {
    TOpenALSource* source = Source();
    if (!source) return;
    const double angle = pan * std::numbers::pi / 2;  // pan x 90 degrees
    api_->alSource3f(source->_id, AL_POSITION, static_cast<float>(std::sin(angle)), 0.0f,
                     static_cast<float>(-std::cos(angle)));
}

void TOpenALChannel::SetDepth(float) {}

void TOpenALChannel::SetRate(float rate) {
    if (TOpenALSource* source = Source()) api_->alSourcef(source->_id, AL_PITCH, rate);
}

int TOpenALChannel::Playing() {
    TOpenALSource* source = Source();
    if (!source) return 0;
    ALint state = 0;
    api_->alGetSourcei(source->_id, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING ? 1 : 0;
}

void RegisterOpenALDriver() {
    auto api = LoadOpenALLibrary();
    if (!api) return;
    // Devices first, so plain "OpenAL" ends up at the head of the chain.
    if (api->alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT")) {
        const char* names = api->alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
        if (names && *names) {
            new TOpenALAudioDriver(api, "OpenAL Default", "");
            for (const char* name = names; *name; name += std::string(name).size() + 1) {
                new TOpenALAudioDriver(api, std::string("OpenAL ") + name, name);
            }
        }
    }
    new TOpenALAudioDriver(api, "OpenAL", "");
}
