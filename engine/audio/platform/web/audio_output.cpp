// The platform output in the browser: SDL's Web Audio back-end asks for audio by callback on
// the page's only thread, and the pulled device answers it, running the mixer's ticks by the
// audio handed out (there are no threads for a timer).
//
// Until the page's first click the browser keeps the audio context suspended: no callbacks,
// no ticks, nothing plays. While the page is hidden the context is suspended too (the game
// holds then, see the clock), and resumed when the page shows again. The page's mute control
// calls Module.zandorSetMuted(bool): silence at the output while the mixer keeps its time.
#include <SDL.h>
#include <emscripten.h>

#include "engine/audio/internal/pulled_output.h"

namespace {

bool& Muted() {
    static bool muted = false;
    return muted;
}

class TWebAudioOutputDevice;
TWebAudioOutputDevice*& OpenDevice() {
    static TWebAudioOutputDevice* device = nullptr;
    return device;
}

// The page's side: the mute entry point, and the context held while the page is hidden.
// Installed once; the listener finds SDL's audio context wherever it is at the time.
void InstallPageHooks() {
    EM_ASM({
        Module.zandorSetMuted = function(muted) {
            Module._zandor_set_muted(muted ? 1 : 0);
        };
        if (Module.zandorAudioHooks) return;
        Module.zandorAudioHooks = true;
        document.addEventListener(
            'visibilitychange', function() {
                var ctx = Module.SDL2 && Module.SDL2.audioContext;
                if (!ctx) return;
                if (document.hidden) {
                    if (ctx.state == 'running') {
                        Module.zandorAudioHeld = true;
                        ctx.suspend();
                    }
                } else if (Module.zandorAudioHeld) {
                    Module.zandorAudioHeld = false;
                    ctx.resume();
                }
            });
    });
}

// The page shows its "Click to play" cover once the game can hear the click: after the
// device has been opened, or has failed to open and the game plays silent.
void TellPageAudioSettled() {
    EM_ASM({ Module.zandorAudioSettled = true; });
}

class TWebAudioOutputDevice final : public TPulledOutputDevice {
  public:
    ~TWebAudioOutputDevice() override { Close(); }

  protected:
    bool OpenStream() override {
        const bool open = TryOpenStream();
        TellPageAudioSettled();
        return open;
    }

    void CloseStream() override {
        if (OpenDevice() == this) OpenDevice() = nullptr;
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
            device_ = 0;
        }
        if (subsystem_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystem_ = false;
        }
    }

  private:
    bool TryOpenStream() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        subsystem_ = true;
        SDL_AudioSpec want{};
        want.freq = MIXA_OUTPUT_HERTZ;
        want.format = AUDIO_S16LSB;
        want.channels = 2;
        // 1024 frames (about 23 ms) per callback: long enough that a busy main thread
        // rarely starves Web Audio; the ticks run inside the callback, so its length does
        // not have to fit the lead.
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
        SetMuted(Muted());
        OpenDevice() = this;
        InstallPageHooks();
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    // The page's main thread, from Web Audio.
    static void SDLCALL Callback(void* userdata, Uint8* stream, int len) {
        static_cast<TWebAudioOutputDevice*>(userdata)->Pull(stream, len);
    }

    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
};

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void zandor_set_muted(int muted) {
    Muted() = muted != 0;
    if (OpenDevice() != nullptr) OpenDevice()->SetMuted(Muted());
}

std::unique_ptr<TAudioOutputDevice> CreatePlatformAudioOutputDevice() {
    return std::make_unique<TWebAudioOutputDevice>();
}
