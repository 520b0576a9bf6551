// The recording audio driver's sounds and channels.
#include "engine/audio/platform/headless/recording_audio.h"

#include <algorithm>

namespace {

class TRecordingChannel final : public TChannel {
  public:
    explicit TRecordingChannel(int id) : id_(id) {}
    int Id() const { return id_; }
    bool Stopped() const { return stopped_; }

    void Stop() override {
        if (stopped_) return;
        stopped_ = true;
        TRecordingAudioDriver::Instance().Record({TAudioCall::STOP, nullptr, id_, 0});
    }
    void SetPaused(int paused) override {
        TRecordingAudioDriver::Instance().Record(
            {TAudioCall::PAUSE, nullptr, id_, static_cast<float>(paused)});
    }
    void SetVolume(float volume) override {
        TRecordingAudioDriver::Instance().Record({TAudioCall::VOLUME, nullptr, id_, volume});
    }
    int Playing() override { return stopped_ ? 0 : 1; }

  private:
    int id_;
    bool stopped_ = false;
};

class TRecordingSound final : public TSound {
  public:
    std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel) override {
        return Start(channel, TAudioCall::PLAY);
    }
    std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel) override {
        return Start(channel, TAudioCall::CUE);
    }

  private:
    // A stopped channel owns no slot any more: playing on it acts like playing on null.
    std::shared_ptr<TChannel> Start(const std::shared_ptr<TChannel>& channel,
                                    TAudioCall::Kind kind) {
        auto& driver = TRecordingAudioDriver::Instance();
        auto target = std::dynamic_pointer_cast<TRecordingChannel>(channel);
        if (!target || target->Stopped()) {
            target = std::make_shared<TRecordingChannel>(driver.NextChannelId());
        }
        driver.Record({kind, this, target->Id(), 0});
        return target;
    }
};

}  // namespace

TRecordingAudioDriver& TRecordingAudioDriver::Instance() {
    static TRecordingAudioDriver* driver = new TRecordingAudioDriver();
    return *driver;
}

void TRecordingAudioDriver::Install() {
    auto& driver = Instance();
    SetAudioDriver(driver.Name());
    driver.calls_.clear();
    driver.next_channel_ = 1;
}

std::shared_ptr<TSound> TRecordingAudioDriver::CreateSound(
    const std::shared_ptr<TAudioSample>& sample, int flags) {
    (void)sample;
    (void)flags;
    return std::make_shared<TRecordingSound>();
}

std::shared_ptr<TChannel> TRecordingAudioDriver::AllocChannel() {
    return std::make_shared<TRecordingChannel>(NextChannelId());
}

std::vector<int> TRecordingAudioDriver::PlayingChannels(const TSound* sound) const {
    std::vector<std::pair<int, const TSound*>> playing;
    for (const TAudioCall& call : calls_) {
        if (call.kind == TAudioCall::PLAY || call.kind == TAudioCall::CUE ||
            call.kind == TAudioCall::STOP) {
            std::erase_if(playing, [&](const auto& p) { return p.first == call.channel; });
        }
        if (call.kind == TAudioCall::PLAY) playing.emplace_back(call.channel, call.sound);
    }
    std::vector<int> out;
    for (const auto& [id, s] : playing) {
        if (s == sound) out.push_back(id);
    }
    return out;
}
