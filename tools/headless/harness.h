// Runs the real game headless: a virtual clock (each Flip sleeps virtually, so a 140 s game
// takes a fraction of a second), a scripted system driver for mouse and keys, the recording
// 2D driver for every draw call, and the recording audio driver for every sound call.
//
// One harness at a time. The constructor starts the game exactly as the program does, up to
// the frame loop; Frame() then runs one iteration of the loop.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio/platform/headless/recording_audio.h"
#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/system/clock.h"
#include "engine/system/platform/headless/scripted_system_driver.h"

class TGameHarness {
  public:
    // The virtual clock starts at `clockStart` milliseconds.
    explicit TGameHarness(std::uint32_t clockStart = 1'000'000);
    ~TGameHarness();
    TGameHarness(const TGameHarness&) = delete;
    TGameHarness& operator=(const TGameHarness&) = delete;

    // Empty when start-up succeeded, else the line the program would print.
    const std::string& StartUpFailure() const { return failure_; }

    // Input, delivered at the first input query of the next frame.
    void Click(int button, int times = 1);
    void MovePointer(int x, int y);
    void PressKey(int key);
    void ReleaseKey(int key);
    void RequestClose();

    // One iteration of the frame loop; false once the loop would end.
    bool Frame();
    // Runs up to `frames` frames; stops early when the loop would end. Returns frames run.
    int RunFrames(int frames);
    // Runs frames until `done()` holds after a frame (at most `limit` frames). Returns the
    // number of frames run, or -1 if `done` never held.
    int RunUntil(const std::function<bool()>& done, int limit = 20000);
    // Clicks left on the title and runs that frame: the game is then on the play screen.
    void StartNewGame();

    // Frames run since construction.
    int Frames() const { return frames_; }
    TVirtualClock& Clock() { return clock_; }
    // Makes the next frame start `ms` milliseconds late, like a stall of the machine.
    void Stall(std::uint32_t ms) { clock_.Advance(ms); }

    // Sound calls since construction (or since the test cleared them).
    TRecordingAudioDriver& Audio() { return TRecordingAudioDriver::Instance(); }
    // The 2D driver; its calls are those of the last frame only (start-up's until the first).
    TRecordingDriver& Draws() { return graphics_->driver(); }
    // Texts drawn in the last frame, one per DrawText call: unlike the driver's own joining,
    // two calls drawn back to back are told apart by where their glyphs sit.
    std::vector<TRecordedText> Texts();
    TFakeContextDriver& Context() { return graphics_->context(); }
    TScriptedSystemDriver& Input() { return *input_; }

  private:
    TVirtualClock clock_;
    std::unique_ptr<TScriptedSystemDriver> input_;
    std::unique_ptr<TRecordingGraphics> graphics_;
    std::string failure_;
    int frames_ = 0;
    int pointerX_ = 0;
    int pointerY_ = 0;
};
