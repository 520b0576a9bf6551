// The multimedia waveform output: the platform plays the mixer's ring as one buffer looped
// endlessly, reports how many bytes it has played, and a one-shot 5 ms timer that re-arms
// itself at the end of every run drives the mixer's tick.
//
// The rules live here, over TWaveOutFace, a thin face of the platform's waveform and timer
// calls, so that they build and are tested on every platform; platform/windows/ gives the
// face over winmm. What the device adds to the bare calls:
//   - the platform's 32-bit byte count is widened, so it keeps counting past 4 GiB, and
//     whole laps can be taken off it (Rebase) without touching playback;
//   - the platform plays whatever the buffer holds, so what it has played is cleared behind
//     it and a 2 ms fade of the last written frame follows the written mark: a device that
//     overtakes the tick plays a fade into silence, never the audio of the lap before;
//   - a stop while playing lets the device play a 2 ms fade first, and the first audio after
//     a stop fades in, so neither edge clicks;
//   - Close stops the timer for good: once it returns no tick runs and none is armed, even
//     when a timer run was under way and about to re-arm.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/audio/internal/mixa_output.h"

class TWaveOutFace {
  public:
    virtual ~TWaveOutFace() = default;
    // Opens the default output for PCM at 44100 Hz, 16 bits, 2 channels; false without one.
    virtual bool Open() = 0;
    // Prepares one header over the whole buffer, marked as the first and last block of a loop
    // repeated as often as the platform counts; false when refused.
    virtual bool Prepare(std::uint8_t* buffer, int bytes) = 0;
    // Queues the prepared header: playback starts at the buffer's start. False when refused.
    virtual bool Write() = 0;
    // Bytes played since the output was opened or last reset, as the platform's 32-bit count
    // (it wraps); false when the query fails or does not answer in bytes.
    virtual bool Position(std::uint32_t& bytes) = 0;
    // Stops at once, takes the header back and puts the position to 0.
    virtual void Reset() = 0;
    virtual void Unprepare() = 0;
    virtual void Close() = 0;
    // Arms a one-shot timer: after `ms` milliseconds TWaveOutDevice::TimerFired(token) runs
    // once on the timer's thread. Returns the timer's id, 0 when refused.
    virtual std::uint32_t SetTimer(int ms, std::uintptr_t token) = 0;
    // Cancels an armed timer (not called from the timer's own thread).
    virtual void KillTimer(std::uint32_t id) = 0;
    // Timer thread, before its first tick: ask for what audio threads get.
    virtual void RaiseThreadPriority() {}
    // Waits about `ms` milliseconds while the output plays on.
    virtual void Sleep(int ms) = 0;
};

class TWaveOutDevice final : public TAudioOutputDevice {
  public:
    explicit TWaveOutDevice(std::unique_ptr<TWaveOutFace> face);
    ~TWaveOutDevice() override;
    TWaveOutDevice(const TWaveOutDevice&) = delete;
    TWaveOutDevice& operator=(const TWaveOutDevice&) = delete;

    bool Open(std::uint8_t* ring, int ring_bytes) override;
    void Close() override;
    bool PlayPosition(std::int64_t& bytes) override;
    void Reset() override;
    bool Submit() override;
    void BeginWrite() override;
    void EndWrite() override;
    void Written(std::int64_t end_bytes) override;
    bool Rebase(std::int64_t bytes) override;
    void TimerStarted() override;
    // Arms the timer; false (the output then runs a timer thread of its own) when the
    // platform refuses one.
    bool DriveTicks(std::function<void()> tick) override;

    // Timer thread: runs the tick of the device that armed `token`, then re-arms its timer
    // unless it is closing. A token of a closed device does nothing.
    static void TimerFired(std::uintptr_t token);

    static constexpr int kFadeFrames = MIXA_OUTPUT_HERTZ / 500;  // 2 ms

  private:
    struct TTimers;
    static TTimers& Timers();
    void StopTimer();
    bool ReadPosition();
    void ClearPlayed();
    void FadeOutThenWait();
    void WriteTail();
    void FadeIn(std::int64_t from, std::int64_t to);
    void Clear(std::int64_t from, std::int64_t to);
    std::int16_t Value(std::int64_t at) const;
    void SetValue(std::int64_t at, std::int16_t value);

    std::unique_ptr<TWaveOutFace> face_;
    bool opened_ = false;
    std::uint8_t* ring_ = nullptr;
    std::int64_t ring_bytes_ = 0;

    // Playback state, under lock_ (the tick's thread and the main thread's stop both use it).
    // Byte counts run from the last reset and are not changed by Rebase, so a count modulo
    // the ring size is always its ring offset.
    std::recursive_mutex lock_;
    bool playing_ = false;
    std::uint32_t raw_ = 0;              // the platform's last count
    std::int64_t played_ = 0;            // widened
    std::int64_t base_ = 0;              // taken off by Rebase
    std::int64_t written_ = 0;           // the tick has filled the ring up to here
    std::int64_t cleared_ = 0;           // played bytes up to here are cleared
    bool fade_in_after_submit_ = false;  // set by a stop
    bool fade_in_next_ = false;          // the next stretch written starts from silence

    // Timer state, under the timers' lock.
    std::function<void()> tick_;
    std::uintptr_t token_ = 0;
    std::uint32_t timer_id_ = 0;
    bool stopping_ = false;
    bool priority_raised_ = false;
    int runs_ = 0;  // timer runs under way
    TWaveOutDevice* next_ = nullptr;
};
