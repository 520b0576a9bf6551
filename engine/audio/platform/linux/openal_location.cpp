// OpenAL on Linux: the soname every distribution's OpenAL Soft package installs.
#include <dlfcn.h>

#include "engine/audio/internal/openal_library.h"

void* OpenOpenALLibrary() {
    return dlopen("libopenal.so.1", RTLD_NOW | RTLD_LOCAL);
}

void* OpenALSymbol(void* library, const char* name) {
    return dlsym(library, name);
}

void CloseOpenALLibrary(void* library) {
    dlclose(library);
}
