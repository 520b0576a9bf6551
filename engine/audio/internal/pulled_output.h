// An output device for a platform that pulls audio by callback and has no thread to spare
// for the tick's timer: the callback runs the mixer's ticks itself, one for every 5 ms of
// audio it is asked for, in step with the frames it plays.
//
// The tick's time is then the audio's own: a burst of callbacks gets as many ticks as the
// audio it takes (the ring never looks overrun to the mixer, so there is no restart pause
// and the lead does not grow), a long wait between callbacks runs no ticks at all, and the
// restart countdown, when there is one, lasts 1.25 s of audio whatever the callbacks' timing.
// The ring is played with the written guard and the short fades of every device.
//
// Everything, the callback included, runs on the caller's one thread. A platform supplies
// the stream (OpenStream/CloseStream) and calls Pull from its callback.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/audio/internal/mixa_output.h"
#include "engine/audio/internal/ring_playback.h"

class TPulledOutputDevice : public TAudioOutputDevice {
  public:
    bool Open(std::uint8_t* ring, int ring_bytes) override;
    void Close() override;
    bool PlayPosition(std::int64_t& bytes) override;
    void Reset() override;
    bool Submit() override;
    void Written(std::int64_t end_bytes) override { written_ = end_bytes; }
    bool Rebase(std::int64_t bytes) override;
    bool DriveTicks(std::function<void()> tick) override;

    // The platform's callback: fills `len` bytes (whole 16-bit stereo frames), ticking as
    // the audio it hands out requires.
    void Pull(std::uint8_t* out, int len);
    // Silence at the output; the ticks, the mixer and the play position go on as before.
    void SetMuted(bool muted) { muted_ = muted; }

  protected:
    // The platform's stream: open it (false when there is none) and stop it for good.
    virtual bool OpenStream() = 0;
    virtual void CloseStream() = 0;

  private:
    // Ticks are due every 5 ms of audio, 220.5 frames: counted in half frames.
    static constexpr int kTickHalfFrames = 2 * MIXA_OUTPUT_HERTZ * MIXA_TICK_MS / 1000;

    bool open_ = false;
    bool playing_ = false;
    bool muted_ = false;
    std::int64_t position_ = 0;
    std::int64_t written_ = 0;
    std::function<void()> tick_;
    int until_tick_ = 0;  // half frames of audio before the next tick is due
    TRingPlayback playback_;
};
