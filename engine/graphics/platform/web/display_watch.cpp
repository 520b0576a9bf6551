// The browser's page is the display: it cannot go away under a running game.
#include "engine/graphics/internal/display_watch.h"

unsigned long NativeWindowId(SDL_Window*) {
    return 0;
}

void WatchForLostDisplay(bool (*)(unsigned long)) {}
