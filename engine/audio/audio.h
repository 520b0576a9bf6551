// The sound API the game sees: raw sample buffers, the chain of sample loaders, sounds,
// channels and the registry of audio drivers with its default choice.
//
// Everything here runs on the main thread. A driver may mix on a thread of its own, but it
// only ever reaches these objects through its own hand-off.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStream;

// Sample layouts. Stereo frames store left then right.
constexpr int SF_MONO8 = 1;       // mono, 8-bit unsigned
constexpr int SF_MONO16LE = 2;    // mono, 16-bit signed little-endian
constexpr int SF_MONO16BE = 3;    // mono, 16-bit signed big-endian
constexpr int SF_STEREO8 = 4;     // stereo, 8-bit unsigned
constexpr int SF_STEREO16LE = 5;  // stereo, 16-bit signed little-endian
constexpr int SF_STEREO16BE = 6;  // stereo, 16-bit signed big-endian

// Sound flag: the sound loops.
constexpr int SOUND_LOOP = 1;

// Bytes per frame and channels of a layout; 0 for format 0 or any unknown code.
int AudioSampleBytesPerFrame(int format);
int AudioSampleChannels(int format);

class TAudioSample {
  public:
    std::uint8_t* samples = nullptr;  // frames interleaved
    int length = 0;                   // frames
    int hertz = 0;
    int format = 0;
    int capacity = -1;  // bytes owned; -1 when the data belongs to someone else

    TAudioSample() = default;
    TAudioSample(const TAudioSample&) = delete;
    TAudioSample& operator=(const TAudioSample&) = delete;
    virtual ~TAudioSample();

    virtual std::shared_ptr<TAudioSample> Copy() const;
    // Raises "Unimplemented sample format conversion" for a target outside 1-6.
    virtual std::shared_ptr<TAudioSample> Convert(int format) const;

    // Zeroed data of length x bytes-per-frame. Null for a negative length, an unknown
    // format or a size that does not fit an int.
    [[nodiscard]] static std::shared_ptr<TAudioSample> Create(int length, int hertz, int format);
    // Wraps memory the caller keeps alive; it is never freed by the sample.
    [[nodiscard]] static std::shared_ptr<TAudioSample> CreateStatic(void* samples, int length,
                                                                    int hertz, int format);
};

// A decoder for one file format. Constructing one links it at the head of the process-wide
// chain (newest first); destroying it unlinks it.
class TAudioSampleLoader {
  public:
    TAudioSampleLoader* _succ = nullptr;

    TAudioSampleLoader();
    TAudioSampleLoader(const TAudioSampleLoader&) = delete;
    TAudioSampleLoader& operator=(const TAudioSampleLoader&) = delete;
    virtual ~TAudioSampleLoader();

    // Null when the data is not this loader's format or is broken.
    [[nodiscard]] virtual std::shared_ptr<TAudioSample> LoadAudioSample(
        const std::shared_ptr<TStream>& stream) = 0;
};

class TChannel {
  public:
    virtual ~TChannel() = default;
    virtual void Stop() {}
    virtual void SetPaused(int /*paused*/) {}
    virtual void SetVolume(float /*volume*/) {}
    virtual void SetPan(float /*pan*/) {}
    virtual void SetDepth(float /*depth*/) {}
    virtual void SetRate(float /*rate*/) {}
    virtual int Playing() { return 0; }
};

class TSound {
  public:
    virtual ~TSound() = default;
    // The base sound is silent: it returns a new inert channel.
    virtual std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel);
    virtual std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel);

    [[nodiscard]] static std::shared_ptr<TSound> Load(const std::string& url, int flags);
    [[nodiscard]] static std::shared_ptr<TSound> Load(const std::shared_ptr<TAudioSample>& sample,
                                                      int flags);
};

// The base class is the silent "Null" driver. Constructing a driver links it at the head of
// the process-wide chain; destroying it unlinks it.
class TAudioDriver {
  public:
    TAudioDriver* _succ = nullptr;

    TAudioDriver();
    TAudioDriver(const TAudioDriver&) = delete;
    TAudioDriver& operator=(const TAudioDriver&) = delete;
    virtual ~TAudioDriver();

    virtual std::string Name();
    virtual int Startup();
    virtual void Shutdown();
    virtual std::shared_ptr<TSound> CreateSound(const std::shared_ptr<TAudioSample>& sample,
                                                int flags);
    // CreateSound for a sample its caller will not read again. A driver may take over the
    // sample's data instead of copying it, so a long sound (the music is over 40 MB decoded)
    // is never held twice. The default copies, as CreateSound does.
    virtual std::shared_ptr<TSound> CreateSoundTakingSample(std::shared_ptr<TAudioSample> sample,
                                                            int flags);
    virtual std::shared_ptr<TChannel> AllocChannel();
};

// Registers the WAV and Ogg Vorbis loaders and the audio drivers. Idempotent.
void StartAudioModules();

[[nodiscard]] std::shared_ptr<TSound> LoadSound(const std::string& url, int flags = 0);
[[nodiscard]] std::shared_ptr<TSound> LoadSound(const std::shared_ptr<TAudioSample>& sample,
                                                int flags = 0);
std::shared_ptr<TChannel> PlaySound(const std::shared_ptr<TSound>& sound,
                                    const std::shared_ptr<TChannel>& channel = nullptr);
std::shared_ptr<TChannel> CueSound(const std::shared_ptr<TSound>& sound,
                                   const std::shared_ptr<TChannel>& channel = nullptr);
std::shared_ptr<TChannel> AllocChannel();
void StopChannel(const std::shared_ptr<TChannel>& channel);
void PauseChannel(const std::shared_ptr<TChannel>& channel);
void ResumeChannel(const std::shared_ptr<TChannel>& channel);
void SetChannelVolume(const std::shared_ptr<TChannel>& channel, float volume);
void SetChannelPan(const std::shared_ptr<TChannel>& channel, float pan);
void SetChannelDepth(const std::shared_ptr<TChannel>& channel, float depth);
void SetChannelRate(const std::shared_ptr<TChannel>& channel, float rate);
int ChannelPlaying(const std::shared_ptr<TChannel>& channel);

// Raises "Stream is not seekable" when the opened stream cannot report its position.
[[nodiscard]] std::shared_ptr<TAudioSample> LoadAudioSample(const std::string& url);

// The current driver, choosing "Mixa" (else "Null") on first use.
TAudioDriver& AudioDriver();
int SetAudioDriver(const std::string& name);
std::vector<std::string> AudioDrivers();
int AudioDriverExists(const std::string& name);
// Shuts the current driver down and leaves none current (program exit).
void ShutdownAudio();
