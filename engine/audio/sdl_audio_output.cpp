// The platform output on Linux: an SDL audio device whose callback plays the mixer's ring
// in a loop and counts the bytes it has played, which is the play position the tick reads.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "engine/audio/internal/mixa_output.h"

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
        ring_ = ring;
        ring_bytes_ = ring_bytes;
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
        if (device_ != 0) SDL_UnlockAudioDevice(device_);
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
    // SDL's audio thread.
    static void SDLCALL Callback(void* userdata, Uint8* stream, int len) {
        auto* self = static_cast<TSDLAudioOutputDevice*>(userdata);
        if (!self->playing_.load(std::memory_order_acquire)) {
            std::memset(stream, 0, static_cast<std::size_t>(len));
            return;
        }
        std::int64_t position = self->position_.load(std::memory_order_acquire);
        int done = 0;
        while (done < len) {
            const int offset = static_cast<int>(position % self->ring_bytes_);
            const int chunk = std::min(len - done, self->ring_bytes_ - offset);
            std::memcpy(stream + done, self->ring_ + offset, static_cast<std::size_t>(chunk));
            done += chunk;
            position += chunk;
        }
        self->position_.store(position, std::memory_order_release);
    }

    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
    std::uint8_t* ring_ = nullptr;
    int ring_bytes_ = 0;
    std::atomic<bool> playing_{false};
    std::atomic<std::int64_t> position_{0};
};

}  // namespace

std::unique_ptr<TAudioOutputDevice> CreateSDLAudioOutputDevice() {
    return std::make_unique<TSDLAudioOutputDevice>();
}
