// On Windows a program started from Explorer has no console, so the failure is shown in a
// message box under the game's title; SDL draws one with or without its video running.
#include <SDL.h>

#include "engine/graphics/graphics.h"
#include "engine/graphics/internal/failure_box.h"

void ShowFailureBox(const std::string& line) {
    const std::string& title = AppTitle();
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.empty() ? "Error" : title.c_str(),
                             line.c_str(), nullptr);
}
