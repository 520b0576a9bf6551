// The pump's platform part on Windows: the cheap "nothing pending" look at the thread's
// message queue, which SDL's windows video driver drains on the thread that made the windows.
#include <SDL2/SDL_syswm.h>
#include <windows.h>

#include "engine/system/internal/sdl_system_driver.h"

// Quiet when no message of any kind (input, posted, sent, paint, timer) waits in this
// thread's queue. The queue's state word may name a message that a later peek no longer
// finds; that costs a needless pump, never a missed event.
bool WindowSystemQuiet(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WINDOWS) return false;
    return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0;
}
