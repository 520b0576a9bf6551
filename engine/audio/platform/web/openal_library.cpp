// The browser loads no shared libraries (dlopen aborts the program there), so the OpenAL
// driver is never registered and the mixer is the one sound driver.
#include "engine/audio/internal/openal_driver.h"

std::shared_ptr<const TOpenALApi> LoadOpenALLibrary() {
    return nullptr;
}
