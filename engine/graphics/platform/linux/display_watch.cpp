// SDL's video on X11 (or Wayland where asked for), and Xlib's error handlers, so that a lost X
// display ends the game with one line of ours: left to itself Xlib prints its own text and
// exits, with the audio still open and exit handlers touching the dead display.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <string>

#include "engine/graphics/graphics.h"
#include "engine/graphics/internal/display_watch.h"

namespace {

XErrorHandler previous_error_handler = nullptr;
bool (*game_window)(std::uintptr_t) = nullptr;

int OnXIOError(Display* display) {
    DisplayLost("the display was lost (the connection to \"" + std::string(DisplayString(display)) +
                "\" broke)");
}

int OnXError(Display* display, XErrorEvent* event) {
    if ((event->error_code == BadWindow || event->error_code == BadDrawable) && game_window &&
        game_window(event->resourceid)) {
        DisplayLost("the display was lost (the game window was destroyed from outside)");
    }
    return previous_error_handler ? previous_error_handler(display, event) : 0;
}

}  // namespace

// With no display server named, SDL's Wayland probe only prints a complaint of its own
// before failing; skip straight to the failure unless a driver was asked for by name.
std::string DisplayUnavailable() {
    const bool requested = std::getenv("SDL_VIDEODRIVER") != nullptr;
    const bool wayland = std::getenv("WAYLAND_DISPLAY") != nullptr;
    if (!requested && !wayland && !std::getenv("DISPLAY")) return "no display: DISPLAY is not set";
    // Only X11 is named: trying the others would only add Wayland's complaint about
    // XDG_RUNTIME_DIR to the output and end in an invisible fallback.
    if (!requested && !wayland) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    return "";
}

// The display servers the environment names: SDL's own reason says less than that.
std::string UnreachableDisplay(const std::string&) {
    std::string named;
    if (const char* x = std::getenv("DISPLAY")) named = "the X display \"" + std::string(x) + "\"";
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY")) {
        if (!named.empty()) named += " or ";
        named += "the Wayland display \"" + std::string(wayland) + "\"";
    }
    return "cannot reach " + (named.empty() ? std::string("any display") : named);
}

std::uintptr_t NativeWindowId(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

// SDL puts its own error handler in place at every start of its video (and takes it away
// when video stops); that one stays behind ours for every error that is not about our windows.
void WatchForLostDisplay(bool (*is_game_window)(std::uintptr_t native_id)) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string(driver) != "x11") return;
    game_window = is_game_window;
    const XErrorHandler previous = XSetErrorHandler(OnXError);
    if (previous != OnXError) previous_error_handler = previous;
    XSetIOErrorHandler(OnXIOError);
}
