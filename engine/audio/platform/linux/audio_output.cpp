// The platform output on Linux: an SDL audio device whose callback plays the mixer's ring
// in a loop and counts the bytes it has played, which is the play position the tick reads.
// Where the callback overtakes the tick it plays silence, not the ring's audio of a lap ago,
// fading into and out of it (the ring's playback, shared with the other devices).
#include <SDL.h>
#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>

#include "engine/audio/internal/mixa_output.h"
#include "engine/audio/internal/ring_playback.h"

namespace {

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// On a machine without a sound card ALSA writes a page of complaints to stderr while SDL
// probes it; the game says nothing outside its window, so ALSA's reports are silenced. SDL
// loads the same library, so the handler set here is the one it uses.
void SilenceAlsa() {
    static const bool done = [] {
        if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL)) {
            using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
            auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
            if (set) set(&SilentAlsaError);
        }
        return true;
    }();
    (void)done;
}

class TSDLAudioOutputDevice final : public TAudioOutputDevice {
  public:
    ~TSDLAudioOutputDevice() override { Close(); }

    bool Open(std::uint8_t* ring, int ring_bytes) override {
        SilenceAlsa();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        subsystem_ = true;
        playback_.Attach(ring, ring_bytes);
        SDL_AudioSpec want{};
        want.freq = MIXA_OUTPUT_HERTZ;
        want.format = AUDIO_S16LSB;
        want.channels = 2;
        want.samples = 512;
        want.callback = &TSDLAudioOutputDevice::Callback;
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
        bytes = position_.load(std::memory_order_acquire);
        return device_ != 0;
    }

    // Both under the device lock, so a callback in flight cannot put an old position back.
    void Reset() override {
        if (device_ != 0) SDL_LockAudioDevice(device_);
        playing_.store(false, std::memory_order_release);
        position_.store(0, std::memory_order_release);
        written_.store(0, std::memory_order_release);
        if (device_ != 0) SDL_UnlockAudioDevice(device_);
    }

    void Written(std::int64_t end_bytes) override {
        written_.store(end_bytes, std::memory_order_release);
    }

    bool Rebase(std::int64_t bytes) override {
        if (device_ == 0) return false;
        SDL_LockAudioDevice(device_);
        position_.store(position_.load(std::memory_order_relaxed) - bytes,
                        std::memory_order_release);
        written_.store(written_.load(std::memory_order_relaxed) - bytes, std::memory_order_release);
        SDL_UnlockAudioDevice(device_);
        return true;
    }

    // What a desktop gives its audio threads. On a busy machine a raised nice level still
    // let the tick start tens of ms late, so real-time round-robin comes first where the
    // scheduler permits it (root, CAP_SYS_NICE or an rtprio limit); then SDL's time-critical
    // request (a nice of -20, or RealtimeKit's grant). Where neither is allowed the thread
    // carries on at its normal priority.
    void TimerStarted() override {
        sched_param param{};
        param.sched_priority = kRealtimePriority;
        if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0) return;
        SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
    }

    bool Submit() override {
        if (device_ == 0) return false;
        SDL_LockAudioDevice(device_);
        position_.store(0, std::memory_order_release);
        playing_.store(true, std::memory_order_release);
        SDL_UnlockAudioDevice(device_);
        return true;
    }

    void BeginWrite() override {
        if (device_ != 0) SDL_LockAudioDevice(device_);
    }

    void EndWrite() override {
        if (device_ != 0) SDL_UnlockAudioDevice(device_);
    }

  private:
    // SDL's audio thread, holding the device lock.
    static void SDLCALL Callback(void* userdata, Uint8* stream, int len) {
        auto* self = static_cast<TSDLAudioOutputDevice*>(userdata);
        const bool playing = self->playing_.load(std::memory_order_acquire);
        const std::int64_t position = self->playback_.Fill(
            stream, len, playing, self->position_.load(std::memory_order_acquire),
            self->written_.load(std::memory_order_acquire));
        if (playing) self->position_.store(position, std::memory_order_release);
    }

    // Below the 20 a sound server usually asks for.
    static constexpr int kRealtimePriority = 10;

    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
    std::atomic<bool> playing_{false};
    std::atomic<std::int64_t> position_{0};
    std::atomic<std::int64_t> written_{0};  // the tick has filled the ring up to here
    TRingPlayback playback_;                // the callback's own
};

}  // namespace

std::unique_ptr<TAudioOutputDevice> CreatePlatformAudioOutputDevice() {
    return std::make_unique<TSDLAudioOutputDevice>();
}
