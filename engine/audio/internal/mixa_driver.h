// The software-mixer driver ("Mixa", "Mixa Multimedia"): sounds become mixer sample
// records, channels become handles into the mixer's handle table. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "engine/audio/audio.h"
#include "engine/audio/internal/mixa_mixer.h"

class TMixaOutput;
class TMixaVoices;
struct TMixaSession;

// The output and handle table of the driver that is running, or null when none is.
TMixaOutput* CurrentMixaOutput();
TMixaVoices* CurrentMixaVoices();

class TMixaAudioDriver : public TAudioDriver {
  public:
    std::string _name;
    int _mode = -1;  // 1 DirectSound, 0 multimedia, -1 multimedia then DirectSound

    // Makes and registers a driver; it lives for the rest of the process.
    static TMixaAudioDriver* Create(const std::string& name, int mode);

    std::string Name() override;
    int Startup() override;
    void Shutdown() override;
    std::shared_ptr<TSound> CreateSound(const std::shared_ptr<TAudioSample>& sample,
                                        int flags) override;
    // Takes the sample's data when nothing else holds the sample.
    std::shared_ptr<TSound> CreateSoundTakingSample(std::shared_ptr<TAudioSample> sample,
                                                    int flags) override;
    std::shared_ptr<TChannel> AllocChannel() override;
};

class TMixaSound : public TSound {
  public:
    std::shared_ptr<const TMixaSampleRecord> mixa_sound;

    static std::shared_ptr<TMixaSound> CreateWithSound(
        std::shared_ptr<const TMixaSampleRecord> record,
        const std::shared_ptr<TAudioSample>& sample);

    std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel) override;
    std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel) override;

  private:
    std::shared_ptr<TChannel> Queue(const std::shared_ptr<TChannel>& channel, int paused);
};

class TMixaChannel : public TChannel {
  public:
    int mixa_channel = 0;  // handle; 0 when the channel owns none

    // A channel for `handle` in the running driver's table.
    static std::shared_ptr<TMixaChannel> CreateWithChannel(int handle);
    // Frees the handle; the sound plays on.
    ~TMixaChannel() override;

    void Stop() override;
    void SetPaused(int paused) override;
    void SetVolume(float volume) override;
    void SetPan(float pan) override;
    void SetDepth(float depth) override;
    void SetRate(float rate) override;
    int Playing() override;
    // Frames played by the channel's sound since it started.
    virtual int Position();

  private:
    friend class TMixaSound;
    TMixaVoice* Voice();
    std::weak_ptr<TMixaSession> session_;
};
