// The system driver: the one seam between the input layer and the window system.
//
// An implementation must provide Poll (drain every pending window-system message, turning
// each that matters into an emitted TEvent, without blocking), Wait (block until a message
// arrives, then drain), MoveMouse (move the system pointer to client coordinates of the
// active window; the polled position changes only when the resulting move event arrives)
// and SetMouseVisible (show or hide the pointer over the window's client area). The
// requesters and message boxes are never used by the game; the base class does nothing.
// All calls come from the main thread.
#pragma once

#include <string>

class TSystemDriver {
  public:
    virtual ~TSystemDriver() = default;
    virtual void Poll() {}
    virtual void Wait() {}
    virtual void MoveMouse(int x, int y) {
        (void)x;
        (void)y;
    }
    virtual void SetMouseVisible(int visible) { (void)visible; }
    virtual void Notify(const std::string& text, int serious) {
        (void)text;
        (void)serious;
    }
    virtual int Confirm(const std::string& text, int serious) {
        (void)text;
        (void)serious;
        return 0;
    }
    virtual int Proceed(const std::string& text, int serious) {
        (void)text;
        (void)serious;
        return 0;
    }
    virtual std::string RequestFile(const std::string& title, const std::string& filter, int save,
                                    const std::string& initial) {
        (void)title;
        (void)filter;
        (void)save;
        (void)initial;
        return std::string();
    }
    virtual std::string RequestDir(const std::string& title, const std::string& initial) {
        (void)title;
        (void)initial;
        return std::string();
    }
    virtual int OpenURL(const std::string& url) {
        (void)url;
        return 0;
    }
};

// The driver in force: the installed one, or a do-nothing driver.
TSystemDriver& CurrentSystemDriver();
// Installs `driver` (not owned; must outlive its use; null installs the do-nothing driver).
// Returns the driver that was installed before, so a caller can put it back.
TSystemDriver* SetSystemDriver(TSystemDriver* driver);
// Installs the SDL system driver. Idempotent. Call once at start-up, on the main thread.
void StartSystemDriver();

// Shortcuts for the driver in force.
void MoveMouse(int x, int y);
void ShowMouse();
void HideMouse();
