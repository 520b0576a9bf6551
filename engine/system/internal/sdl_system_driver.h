// The SDL system driver: drains SDL's event queue and turns each event into the TEvents a
// Windows build would emit (virtual-key codes, sided modifiers, buttons 1/2/3, wheel detents,
// enter/leave, activation, close).
//
// The translation is a separate class over a small window-system face, so the mapping rules
// can be driven with hand-made SDL_Events and no display.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>

#include "engine/system/system_driver.h"

// The Windows virtual-key number for an SDL key, or 0 for keys that have none.
// Letters and digits follow the keyboard layout (the key symbol); every other key follows
// its position (the scan code). Shift, Control and Alt are reported by side (160-165).
int KeyCodeFromSDL(SDL_Scancode scancode, SDL_Keycode symbol);

// What the translator needs to ask of or tell the window system.
class TSDLWindowSystem {
  public:
    virtual ~TSDLWindowSystem() = default;
    // Client-area size of the window; false if there is no such window.
    virtual bool ClientSize(std::uint32_t windowId, int* width, int* height) = 0;
    virtual bool IsFullScreen(std::uint32_t windowId) = 0;
    // Keeps mouse events coming while a button is held outside the window.
    virtual void CaptureMouse(bool capture) = 0;
    virtual void ShowCursor(bool shown) = 0;
    // The pointer's position now, in the window's client coordinates.
    virtual void PointerInWindow(std::uint32_t windowId, int* x, int* y) = 0;
    // True while one of the program's windows has the keyboard focus.
    virtual bool AnyWindowFocused() = 0;
};

class TSDLEventTranslator {
  public:
    explicit TSDLEventTranslator(TSDLWindowSystem& windows) : windows_(windows) {}

    // Emits the events (none, one or several) that `event` stands for.
    void Translate(const SDL_Event& event);
    // The pointer is hidden exactly while it is over a client area and this flag is 0.
    void SetMouseVisible(int visible);

    int Mods() const { return mods_; }
    std::uint32_t TrackedWindow() const { return tracked_; }

  private:
    void Emit(int id, int data = 0, int x = 0, int y = 0);
    void TranslateKey(const SDL_KeyboardEvent& key, bool down);
    void TranslateText(const char* utf8);
    void TranslateButton(const SDL_MouseButtonEvent& button, bool down);
    void TranslateWindow(const SDL_WindowEvent& window);
    void EnterLeave(std::uint32_t windowId, int x, int y);
    void LeaveTracked();
    void ApplyCursor();

    TSDLWindowSystem& windows_;
    int mods_ = 0;
    // Bits 1 left, 2 right, 4 middle of the buttons held in our windows.
    int held_buttons_ = 0;
    std::uint32_t tracked_ = 0;
    bool visible_ = true;
    bool cursor_shown_ = true;
    bool active_ = false;
    bool last_was_close_ = false;
};

// The platform part of the pump: platform/<name>/pump.cpp.
// True when the window system behind `window` holds nothing SDL has not queued yet.
bool WindowSystemQuiet(SDL_Window* window);

class TSDLSystemDriver final : public TSystemDriver, private TSDLWindowSystem {
  public:
    TSDLSystemDriver();

    void Poll() override;
    void Wait() override;
    void MoveMouse(int x, int y) override;
    void SetMouseVisible(int visible) override;

  private:
    bool ClientSize(std::uint32_t windowId, int* width, int* height) override;
    bool IsFullScreen(std::uint32_t windowId) override;
    void CaptureMouse(bool capture) override;
    void ShowCursor(bool shown) override;
    void PointerInWindow(std::uint32_t windowId, int* x, int* y) override;
    bool AnyWindowFocused() override;

    // True when a full pump would find nothing new (see the .cpp for the rule).
    bool NothingPending();
    void PumpAndTranslate();
    void Translate(const SDL_Event& event);

    TSDLEventTranslator translator_;
    // A window through which the X connection is found for the cheap pending check.
    std::uint32_t probe_window_ = 0;
    std::uint64_t last_pump_ns_ = 0;
};
