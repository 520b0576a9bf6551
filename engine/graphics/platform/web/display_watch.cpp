// The browser's page is the display: it is always there (the page names SDL's driver for it)
// and cannot go away under a running game.
#include "engine/graphics/internal/display_watch.h"

std::string DisplayUnavailable() {
    return "";
}

std::string UnreachableDisplay(const std::string&) {
    return "cannot reach any display";
}

std::uintptr_t NativeWindowId(SDL_Window*) {
    return 0;
}

void WatchForLostDisplay(bool (*)(std::uintptr_t)) {}
