// The mixer's output: a looping ring of 32 fragments that a platform device plays, kept
// ahead of the play position by a 5 ms tick.
//
// TAudioOutputDevice is the platform face. An implementation must:
//   - Open: accept the ring (44100 Hz, 16-bit little-endian stereo) and get ready to play
//     it from its start; false when no output exists. Nothing plays until Submit.
//   - PlayPosition: bytes played since the last Submit, growing past the ring size as the
//     ring repeats; false when the position cannot be had.
//   - Reset: stop playing and put the position back to 0.
//   - Submit: (re)start playing the ring from its start; false when the platform refuses.
//   - BeginWrite/EndWrite: bracket every write of the tick into the ring.
//   - Written: the tick has filled the ring up to this play position (bytes, counted like
//     PlayPosition); ring bytes from there on still hold audio of an earlier lap.
//   - Rebase: take whole ring laps off the play position and the written mark in one step
//     with playback, so a long-running device keeps a small position; false when it cannot.
//   - TimerStarted: called on the timer thread before its first tick.
//   - Close: stop for good; the ring is not touched afterwards.
//   - DriveTicks (optional): a device whose platform has no threads takes the tick and calls
//     it itself, every 5 ms of its own time, and returns true; the output then starts no
//     timer thread. The default returns false.
// The real device is the platform's (platform/<name>/audio_output.cpp); tests use a virtual
// device whose play position they move by hand.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine/audio/internal/mixa_mixer.h"

class TAudioOutputDevice {
  public:
    virtual ~TAudioOutputDevice() = default;
    virtual bool Open(std::uint8_t* ring, int ring_bytes) = 0;
    virtual void Close() = 0;
    virtual bool PlayPosition(std::int64_t& bytes) = 0;
    virtual void Reset() = 0;
    virtual bool Submit() = 0;
    virtual void BeginWrite() {}
    virtual void EndWrite() {}
    virtual void Written(std::int64_t /*end_bytes*/) {}
    virtual bool Rebase(std::int64_t /*bytes*/) { return false; }
    virtual void TimerStarted() {}
    virtual bool DriveTicks(std::function<void()> tick) {
        (void)tick;
        return false;
    }
};

// Makes the platform device; the default makes the SDL one.
using TAudioOutputFactory = std::function<std::unique_ptr<TAudioOutputDevice>()>;
// Installs the device factory the mixer driver uses from its next Startup on, and whether
// a timer thread drives the ticks (tests call Tick by hand). An empty factory restores the
// platform's device.
void SetAudioOutputFactory(TAudioOutputFactory factory, bool run_timer);
std::unique_ptr<TAudioOutputDevice> CreateAudioOutputDevice();
bool AudioOutputTimerEnabled();

// The platform's own device.
std::unique_ptr<TAudioOutputDevice> CreatePlatformAudioOutputDevice();

constexpr int MIXA_RING_FRAGMENTS = 32;
constexpr int MIXA_FRAGMENT_VALUES = 1024;
constexpr int MIXA_TICK_MS = 5;
constexpr int MIXA_RESTART_TICKS = 250;

// The multimedia output: the tick rules over a platform device.
class TMixaOutput {
  public:
    TMixaOutput(std::unique_ptr<TAudioOutputDevice> device, int fragment_values);
    ~TMixaOutput();
    TMixaOutput(const TMixaOutput&) = delete;
    TMixaOutput& operator=(const TMixaOutput&) = delete;

    // Opens the device, prefills the ring and starts playback (and the timer when asked).
    bool Open(bool run_timer);
    // Stops the timer, resets and closes the device, hands every voice back to the pool.
    void Close();

    // One tick; the timer thread (or a device that drives the ticks) calls it every 5 ms.
    void Tick();

    bool Running() const { return running_.load(std::memory_order_acquire); }
    TMixaMixer& Mixer() { return mixer_; }
    TAudioOutputDevice& Device() { return *device_; }
    const std::vector<std::uint8_t>& Ring() const { return ring_; }
    int FragmentValues() const { return fragment_values_; }
    // Tick state, for tests.
    std::int64_t WritePosition() const { return write_position_; }
    int Lead() const { return lead_; }
    int RestartCountdown() const { return restart_countdown_; }

  private:
    void ClearRing();
    void Resubmit();
    void TimerLoop();

    std::unique_ptr<TAudioOutputDevice> device_;
    int fragment_values_;
    TMixaMixer mixer_;
    std::vector<std::uint8_t> ring_;
    std::vector<std::uint8_t> fragment_;  // mixed here, outside the device's lock
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_timer_{false};
    std::thread timer_;
    bool opened_ = false;
    // Tick state: touched only by the tick (timer thread once running).
    std::int64_t write_position_ = 0;  // 16-bit values since the device started
    int restart_countdown_ = 0;
    int lead_ = 6;  // fragments
};
