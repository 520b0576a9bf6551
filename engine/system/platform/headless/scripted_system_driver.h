// The headless platform's system driver: instead of reading a window system it emits events
// a test or a recorded game scheduled, at given polls or frames. It installs itself while it lives.
//
// Frames are counted by the test or harness (NextFrame) or by a hook list such as the
// graphics flip hook (CountFramesOn). Events due at the same moment are emitted in the
// order they were scheduled.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "engine/system/event.h"
#include "engine/system/system_driver.h"

class TScriptedSystemDriver final : public TSystemDriver {
  public:
    TScriptedSystemDriver();
    ~TScriptedSystemDriver() override;
    TScriptedSystemDriver(const TScriptedSystemDriver&) = delete;
    TScriptedSystemDriver& operator=(const TScriptedSystemDriver&) = delete;

    // Emitted by the next Poll.
    void Queue(std::shared_ptr<TEvent> event);
    // Emitted by the first Poll once `poll` polls have been made (1 = the first Poll).
    void AtPoll(int poll, std::shared_ptr<TEvent> event);
    // Emitted by the first Poll once the frame counter has reached `frame`.
    void AtFrame(int frame, std::shared_ptr<TEvent> event);

    void NextFrame() { ++frame_; }
    int Frame() const { return frame_; }
    // Counts a frame every time hook list `hookId` runs (e.g. the flip hook).
    void CountFramesOn(int hookId);

    int Polls() const { return polls_; }
    int Waits() const { return waits_; }
    // Events scheduled and not yet emitted.
    int Pending() const { return static_cast<int>(script_.size()); }

    // Calls the game made of the pointer.
    const std::vector<std::pair<int, int>>& MouseMoves() const { return mouseMoves_; }
    int MouseVisible() const { return mouseVisible_; }

    // Emits every event that is due.
    void Poll() override;
    // Jumps to the earliest scheduled event and emits what is then due. With nothing left to
    // wait for it raises a runtime error instead of blocking the test for ever.
    void Wait() override;
    void MoveMouse(int x, int y) override { mouseMoves_.emplace_back(x, y); }
    void SetMouseVisible(int visible) override { mouseVisible_ = visible; }

    // Event makers for scripts (source null, mods 0 unless given).
    static std::shared_ptr<TEvent> KeyDown(int key, int mods = 0);
    static std::shared_ptr<TEvent> KeyRepeat(int key, int mods = 0);
    static std::shared_ptr<TEvent> KeyUp(int key, int mods = 0);
    static std::shared_ptr<TEvent> KeyChar(int character);
    static std::shared_ptr<TEvent> MouseDown(int button, int x, int y);
    static std::shared_ptr<TEvent> MouseUp(int button, int x, int y);
    static std::shared_ptr<TEvent> MouseMove(int x, int y);
    static std::shared_ptr<TEvent> MouseWheel(int detents);
    static std::shared_ptr<TEvent> AppSuspend();
    static std::shared_ptr<TEvent> AppResume();
    static std::shared_ptr<TEvent> AppTerminate();

  private:
    enum class TClock { kPoll, kFrame };
    struct TEntry {
        TClock clock;
        int at;
        std::shared_ptr<TEvent> event;
    };

    bool Due(const TEntry& entry) const;

    std::vector<TEntry> script_;
    TSystemDriver* previous_ = nullptr;
    int polls_ = 0;
    int waits_ = 0;
    int frame_ = 0;
    int frameHook_ = -1;
    std::vector<std::pair<int, int>> mouseMoves_;
    int mouseVisible_ = 1;
};
