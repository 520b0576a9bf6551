// The OpenAL driver: one buffer per sound, a pool of sources for channels, pan placed on a
// circle around the listener. The library is loaded at run time and never linked, so only
// the few types and entry points used here are declared, gathered in one table that tests
// can fill with a fake.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/audio/audio.h"

using ALuint = unsigned int;
using ALint = int;
using ALenum = int;
using ALsizei = int;
using ALfloat = float;
using ALCboolean = char;
struct ALCdevice;
struct ALCcontext;

constexpr ALenum AL_NONE = 0;
constexpr ALenum AL_PITCH = 0x1003;
constexpr ALenum AL_POSITION = 0x1004;
constexpr ALenum AL_LOOPING = 0x1007;
constexpr ALenum AL_BUFFER = 0x1009;
constexpr ALenum AL_GAIN = 0x100A;
constexpr ALenum AL_SOURCE_STATE = 0x1010;
constexpr ALenum AL_PLAYING = 0x1012;
constexpr ALenum AL_PAUSED = 0x1013;
constexpr ALenum AL_SOURCE_RELATIVE = 0x202;
constexpr ALenum AL_FORMAT_MONO8 = 0x1100;
constexpr ALenum AL_FORMAT_MONO16 = 0x1101;
constexpr ALenum AL_FORMAT_STEREO8 = 0x1102;
constexpr ALenum AL_FORMAT_STEREO16 = 0x1103;
constexpr ALenum ALC_DEVICE_SPECIFIER = 0x1005;

// The entry points the driver calls.
struct TOpenALApi {
    ALCdevice* (*alcOpenDevice)(const char* name) = nullptr;
    ALCboolean (*alcCloseDevice)(ALCdevice* device) = nullptr;
    ALCcontext* (*alcCreateContext)(ALCdevice* device, const ALint* attributes) = nullptr;
    ALCboolean (*alcMakeContextCurrent)(ALCcontext* context) = nullptr;
    void (*alcDestroyContext)(ALCcontext* context) = nullptr;
    ALCboolean (*alcIsExtensionPresent)(ALCdevice* device, const char* name) = nullptr;
    const char* (*alcGetString)(ALCdevice* device, ALenum param) = nullptr;
    void (*alDistanceModel)(ALenum model) = nullptr;
    void (*alGenBuffers)(ALsizei n, ALuint* buffers) = nullptr;
    void (*alDeleteBuffers)(ALsizei n, const ALuint* buffers) = nullptr;
    void (*alBufferData)(ALuint buffer, ALenum format, const void* data, ALsizei size,
                         ALsizei frequency) = nullptr;
    void (*alGenSources)(ALsizei n, ALuint* sources) = nullptr;
    void (*alDeleteSources)(ALsizei n, const ALuint* sources) = nullptr;
    void (*alSourcei)(ALuint source, ALenum param, ALint value) = nullptr;
    void (*alSourcef)(ALuint source, ALenum param, ALfloat value) = nullptr;
    void (*alSource3f)(ALuint source, ALenum param, ALfloat x, ALfloat y, ALfloat z) = nullptr;
    void (*alGetSourcei)(ALuint source, ALenum param, ALint* value) = nullptr;
    void (*alSourcePlay)(ALuint source) = nullptr;
    void (*alSourcePause)(ALuint source) = nullptr;
    void (*alSourceStop)(ALuint source) = nullptr;
    void (*alSourceRewind)(ALuint source) = nullptr;
};

// Loads the platform's OpenAL library and fills the table; null when the library or an entry
// is missing.
std::shared_ptr<const TOpenALApi> LoadOpenALLibrary();

struct TOpenALSource;
class TOpenALSound;

class TOpenALAudioDriver : public TAudioDriver {
  public:
    // `device` empty: the default device.
    TOpenALAudioDriver(std::shared_ptr<const TOpenALApi> api, std::string name, std::string device);
    ~TOpenALAudioDriver() override;

    std::string Name() override;
    int Startup() override;
    void Shutdown() override;
    std::shared_ptr<TSound> CreateSound(const std::shared_ptr<TAudioSample>& sample,
                                        int flags) override;
    std::shared_ptr<TChannel> AllocChannel() override;

    // A source for a new channel: an idle pooled one (its sequence moves on) or a new one.
    std::shared_ptr<TOpenALSource> TakeSource(bool is_static);
    std::size_t SourceCount() const { return sources_.size(); }

  private:
    std::shared_ptr<const TOpenALApi> api_;
    std::string name_;
    std::string device_name_;
    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    std::vector<std::shared_ptr<TOpenALSource>> sources_;
};

struct TOpenALSource {
    ALuint _id = 0;
    int _seq = 0;
    bool reserved = false;  // held by a static channel
    bool alive = true;      // false once the driver shut down
    std::shared_ptr<TOpenALSound> _sound;
};

class TOpenALSound : public TSound, public std::enable_shared_from_this<TOpenALSound> {
  public:
    TOpenALSound(std::shared_ptr<const TOpenALApi> api, TOpenALAudioDriver* driver, ALuint buffer,
                 bool loop);
    ~TOpenALSound() override;

    std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel) override;
    std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel) override;

    ALuint _buffer = 0;
    bool _loop = false;

  private:
    std::shared_ptr<TChannel> Start(const std::shared_ptr<TChannel>& channel, bool play);
    std::shared_ptr<const TOpenALApi> api_;
    TOpenALAudioDriver* driver_;
};

class TOpenALChannel : public TChannel {
  public:
    TOpenALChannel(std::shared_ptr<const TOpenALApi> api, std::shared_ptr<TOpenALSource> source,
                   bool is_static);
    ~TOpenALChannel() override;

    void Stop() override;
    void SetPaused(int paused) override;
    void SetVolume(float volume) override;
    void SetPan(float pan) override;
    void SetDepth(float depth) override;
    void SetRate(float rate) override;
    int Playing() override;

    // The source while this channel still owns it, else null.
    TOpenALSource* Source() const;

    std::shared_ptr<TOpenALSource> _source;
    int _seq = 0;
    bool _static = false;

  private:
    std::shared_ptr<const TOpenALApi> api_;
};
