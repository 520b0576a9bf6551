// OpenAL on Windows: OpenAL32.dll, the name both Creative's installer and OpenAL Soft's use
// (as a router or the implementation itself), else OpenAL Soft's own soft_oal.dll placed
// beside the game. Only the game's folder and the system folder are searched, never the
// current folder or PATH, where any DLL of that name could be lying about.
#include <windows.h>

#include <initializer_list>

#include "engine/audio/internal/openal_library.h"

void* OpenOpenALLibrary() {
    // No box for a missing or broken DLL: not finding one is the usual case.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = nullptr;
    for (const wchar_t* name : {L"OpenAL32.dll", L"soft_oal.dll"}) {
        library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        if (library) break;
    }
    SetErrorMode(previous);
    return reinterpret_cast<void*>(library);
}

void* OpenALSymbol(void* library, const char* name) {
    // Through the generic function type, which GCC lets a cast change without a warning.
    auto entry = reinterpret_cast<void (*)()>(GetProcAddress(static_cast<HMODULE>(library), name));
    return reinterpret_cast<void*>(entry);
}

void CloseOpenALLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}
