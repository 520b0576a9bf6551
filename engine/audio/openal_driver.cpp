// The OpenAL driver, loaded at run time: registered only when libopenal.so.1 is present.
#include <dlfcn.h>

#include "engine/audio/audio.h"
#include "engine/audio/audio_modules.h"

void RegisterOpenALDriver() {
    void* library = dlopen("libopenal.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) return;
    dlclose(library);
}
