// The platform output in the browser: SDL's Web Audio back-end plays the mixer's ring, and
// its callback also drives the mixer's tick, since there are no threads.
//
// The callback runs on the page's main thread whenever Web Audio wants samples, which keeps
// happening while frames are late (the frame loop yields to the browser at least once a
// frame). Before playing a buffer it runs the ticks that are due by the clock, 5 ms apart as
// the timer thread would, so the ring is filled ahead of what it is about to play and the
// music keeps the clock's time. Until the page's first click the browser keeps the audio
// context suspended: no callbacks, no ticks, and nothing plays.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "engine/audio/internal/mixa_output.h"
#include "engine/system/clock.h"

namespace {

// After a stall (a hidden tab) carry on from now instead of ticking in a burst.
constexpr int kMaxTicksPerCallback = 8;

class TWebAudioOutputDevice final : public TAudioOutputDevice {
  public:
    ~TWebAudioOutputDevice() override { Close(); }

    bool Open(std::uint8_t* ring, int ring_bytes) override {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        subsystem_ = true;
        ring_ = ring;
        ring_bytes_ = ring_bytes;
        SDL_AudioSpec want{};
        want.freq = MIXA_OUTPUT_HERTZ;
        want.format = AUDIO_S16LSB;
        want.channels = 2;
        // 1024 frames (about 23 ms) per callback: two ring fragments, well inside the
        // tick's lead, and long enough that a busy main thread rarely starves Web Audio.
        want.samples = 1024;
        want.callback = &TWebAudioOutputDevice::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystem_ = false;
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void Close() override {
        tick_ = nullptr;
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
            device_ = 0;
        }
        if (subsystem_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystem_ = false;
        }
    }

    bool PlayPosition(std::int64_t& bytes) override {
        bytes = position_;
        return device_ != 0;
    }

    void Reset() override {
        playing_ = false;
        position_ = 0;
    }

    bool Submit() override {
        if (device_ == 0) return false;
        position_ = 0;
        playing_ = true;
        return true;
    }

    // Everything runs on the page's one thread, so the laps come off in one step.
    bool Rebase(std::int64_t bytes) override {
        if (device_ == 0) return false;
        position_ -= bytes;
        return true;
    }

    bool DriveTicks(std::function<void()> tick) override {
        tick_ = std::move(tick);
        next_tick_ = MillisecondClock();
        return true;
    }

  private:
    void RunDueTicks() {
        if (!tick_) return;
        const std::uint32_t now = MillisecondClock();
        for (int n = 0; n < kMaxTicksPerCallback && ClockDiff(now, next_tick_) >= 0; ++n) {
            tick_();
            next_tick_ += MIXA_TICK_MS;
        }
        if (ClockDiff(now, next_tick_) >= 0) next_tick_ = now + MIXA_TICK_MS;
    }

    // The page's main thread, from Web Audio.
    static void SDLCALL Callback(void* userdata, Uint8* stream, int len) {
        auto* self = static_cast<TWebAudioOutputDevice*>(userdata);
        self->RunDueTicks();
        if (!self->playing_) {
            std::memset(stream, 0, static_cast<std::size_t>(len));
            return;
        }
        int done = 0;
        while (done < len) {
            const int offset = static_cast<int>(self->position_ % self->ring_bytes_);
            const int chunk = std::min(len - done, self->ring_bytes_ - offset);
            std::memcpy(stream + done, self->ring_ + offset, static_cast<std::size_t>(chunk));
            done += chunk;
            self->position_ += chunk;
        }
    }

    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
    std::uint8_t* ring_ = nullptr;
    int ring_bytes_ = 0;
    bool playing_ = false;
    std::int64_t position_ = 0;
    std::function<void()> tick_;
    std::uint32_t next_tick_ = 0;
};

}  // namespace

std::unique_ptr<TAudioOutputDevice> CreatePlatformAudioOutputDevice() {
    return std::make_unique<TWebAudioOutputDevice>();
}
