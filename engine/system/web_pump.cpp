// The pump's platform part in the browser. The browser hands SDL every event straight into
// its queue, so there is nothing behind it to look at; what the pump must do is give the
// browser its turn when the frames' sleeps have not for a frame's time (late frames skip them).
#include "engine/system/sdl_system_driver.h"
#include "engine/system/web_yield.h"

bool WindowSystemQuiet(SDL_Window* window) {
    (void)window;
    return true;
}

void BeforePump() {
    WebYieldIfStarved();
}
