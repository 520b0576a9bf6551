// The pump's platform part in the browser. The browser hands SDL every event straight into
// its queue, so there is nothing behind it to look at.
#include "engine/system/internal/sdl_system_driver.h"

bool WindowSystemQuiet(SDL_Window* window) {
    (void)window;
    return true;
}
