// The headless platform's audio driver: it plays nothing and writes down every sound call: which
// sound was played on which channel, volume changes and stops, in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/audio/audio.h"

struct TAudioCall {
    enum Kind { PLAY, CUE, STOP, VOLUME, PAUSE };
    Kind kind;
    const TSound* sound;  // PLAY and CUE
    int channel;          // id of the channel; ids count from 1 per log
    float value;          // VOLUME: the volume; PAUSE: the paused flag
};

class TRecordingAudioDriver final : public TAudioDriver {
  public:
    // The one instance, linked into the driver chain on first use and kept for the process.
    static TRecordingAudioDriver& Instance();
    // Makes it the current audio driver (name "Recording") and clears the log.
    static void Install();

    std::string Name() override { return "Recording"; }
    int Startup() override { return 1; }
    std::shared_ptr<TSound> CreateSound(const std::shared_ptr<TAudioSample>& sample,
                                        int flags) override;
    std::shared_ptr<TChannel> AllocChannel() override;

    const std::vector<TAudioCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // Channels allocated or created since the last Install.
    int ChannelsMade() const { return next_channel_ - 1; }
    // Channel ids on which a PLAY is still going: played and neither stopped nor replaced.
    // Sounds are never reported as finished, so a dropped channel still counts as playing.
    std::vector<int> PlayingChannels(const TSound* sound) const;

    void Record(const TAudioCall& call) { calls_.push_back(call); }
    int NextChannelId() { return next_channel_++; }

  private:
    TRecordingAudioDriver() = default;
    std::vector<TAudioCall> calls_;
    int next_channel_ = 1;
};
