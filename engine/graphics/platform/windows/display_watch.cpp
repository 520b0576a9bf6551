// SDL's video on Windows is its windows driver, whatever the environment names: under Wine,
// DISPLAY is the X server behind Wine, not one for the game to open itself. A window there
// belongs to the thread that made it, so no other program can destroy it, and there is no
// connection to a display that could break: nothing needs watching.
#include <SDL.h>
#include <SDL_syswm.h>

#include "engine/graphics/internal/display_watch.h"

std::string DisplayUnavailable() {
    return "";
}

std::string UnreachableDisplay(const std::string& sdl_reason) {
    return "cannot open a window on this desktop: " + sdl_reason;
}

std::uintptr_t NativeWindowId(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WINDOWS) return 0;
    return reinterpret_cast<std::uintptr_t>(info.info.win.window);
}

void WatchForLostDisplay(bool (*)(std::uintptr_t)) {}
