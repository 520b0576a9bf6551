// Xlib's error handlers, so that a lost X display ends the game with one line of ours: left to
// itself Xlib prints its own text and exits, with the audio still open and exit handlers
// touching the dead display.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <string>

#include "engine/graphics/graphics.h"
#include "engine/graphics/internal/display_watch.h"

namespace {

XErrorHandler previous_error_handler = nullptr;
bool (*game_window)(unsigned long) = nullptr;

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

unsigned long NativeWindowId(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

// SDL puts its own error handler in place at every start of its video (and takes it away
// when video stops); that one stays behind ours for every error that is not about our windows.
void WatchForLostDisplay(bool (*is_game_window)(unsigned long native_id)) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string(driver) != "x11") return;
    game_window = is_game_window;
    const XErrorHandler previous = XSetErrorHandler(OnXError);
    if (previous != OnXError) previous_error_handler = previous;
    XSetIOErrorHandler(OnXIOError);
}
