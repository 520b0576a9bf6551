// The platform output on Windows: the multimedia waveform output plays the mixer's ring as
// one header looped endlessly, and a one-shot multimedia timer drives the tick. The rules are
// TWaveOutDevice's; this is only its face over winmm.
#include <windows.h>

#include <mmsystem.h>

#include "engine/audio/internal/mixa_output.h"
#include "engine/audio/internal/wave_out_device.h"

namespace {

constexpr UINT kTimerResolutionMs = MIXA_TICK_MS;
// The loop count is a DWORD; at 65536 bytes a lap this many laps last longer than any run.
constexpr DWORD kEndlessLoops = 0xFFFFFFFF;

class TWinmmWaveOut final : public TWaveOutFace {
  public:
    bool Open() override {
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = MIXA_OUTPUT_HERTZ;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = MIXA_OUTPUT_HERTZ * 4;
        format.cbSize = 0;
        out_ = nullptr;
        return waveOutOpen(&out_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR;
    }

    bool Prepare(std::uint8_t* buffer, int bytes) override {
        header_ = WAVEHDR{};
        header_.lpData = reinterpret_cast<LPSTR>(buffer);
        header_.dwBufferLength = static_cast<DWORD>(bytes);
        header_.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
        header_.dwLoops = kEndlessLoops;
        prepared_ = waveOutPrepareHeader(out_, &header_, sizeof header_) == MMSYSERR_NOERROR;
        return prepared_;
    }

    // A header that was played and reset comes back marked done; it goes out again as a
    // fresh loop.
    bool Write() override {
        header_.dwFlags = (header_.dwFlags & WHDR_PREPARED) | WHDR_BEGINLOOP | WHDR_ENDLOOP;
        header_.dwLoops = kEndlessLoops;
        return waveOutWrite(out_, &header_, sizeof header_) == MMSYSERR_NOERROR;
    }

    bool Position(std::uint32_t& bytes) override {
        MMTIME time{};
        time.wType = TIME_BYTES;
        if (waveOutGetPosition(out_, &time, sizeof time) != MMSYSERR_NOERROR) return false;
        if (time.wType != TIME_BYTES) return false;
        bytes = time.u.cb;
        return true;
    }

    void Reset() override { waveOutReset(out_); }

    void Unprepare() override {
        if (prepared_) waveOutUnprepareHeader(out_, &header_, sizeof header_);
        prepared_ = false;
    }

    void Close() override {
        if (out_ != nullptr) waveOutClose(out_);
        out_ = nullptr;
    }

    // Synchronous kill: once timeKillEvent returns, that timer's callback neither runs nor
    // is to come.
    std::uint32_t SetTimer(int ms, std::uintptr_t token) override {
        return timeSetEvent(static_cast<UINT>(ms), kTimerResolutionMs, &TWinmmWaveOut::TimerProc,
                            static_cast<DWORD_PTR>(token),
                            TIME_ONESHOT | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    }

    void KillTimer(std::uint32_t id) override { timeKillEvent(id); }

    void RaiseThreadPriority() override {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    }

    void Sleep(int ms) override { ::Sleep(static_cast<DWORD>(ms)); }

  private:
    // The multimedia timer's thread.
    static void CALLBACK TimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        TWaveOutDevice::TimerFired(static_cast<std::uintptr_t>(user));
    }

    HWAVEOUT out_ = nullptr;
    WAVEHDR header_{};
    bool prepared_ = false;
};

}  // namespace

std::unique_ptr<TAudioOutputDevice> CreatePlatformAudioOutputDevice() {
    return std::make_unique<TWaveOutDevice>(std::make_unique<TWinmmWaveOut>());
}
