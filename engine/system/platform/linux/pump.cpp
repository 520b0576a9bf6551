// The pump's platform part under X11: the cheap "nothing pending" look at the X connection.
#include <SDL2/SDL_syswm.h>
#include <poll.h>

#include "engine/system/internal/sdl_system_driver.h"

// Quiet when Xlib holds no unread event and the X connection has nothing to read.
bool WindowSystemQuiet(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    if (!display || QLength(display) > 0) return false;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    return poll(&fd, 1, 0) == 0;
}
