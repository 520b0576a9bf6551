// Loads the platform's OpenAL library at run time, so the game neither links nor needs OpenAL.
#include "engine/audio/internal/openal_library.h"
#include "engine/audio/internal/openal_driver.h"

namespace {

template <typename T>
bool Bind(void* library, const char* name, T& entry) {
    entry = reinterpret_cast<T>(OpenALSymbol(library, name));
    return entry != nullptr;
}

}  // namespace

std::shared_ptr<const TOpenALApi> LoadOpenALLibrary() {
    // Kept loaded for the rest of the process: sounds and channels may outlive any driver.
    void* library = OpenOpenALLibrary();
    if (!library) return nullptr;
    auto api = std::make_shared<TOpenALApi>();
    const bool complete = Bind(library, "alcOpenDevice", api->alcOpenDevice) &&
                          Bind(library, "alcCloseDevice", api->alcCloseDevice) &&
                          Bind(library, "alcCreateContext", api->alcCreateContext) &&
                          Bind(library, "alcMakeContextCurrent", api->alcMakeContextCurrent) &&
                          Bind(library, "alcDestroyContext", api->alcDestroyContext) &&
                          Bind(library, "alcIsExtensionPresent", api->alcIsExtensionPresent) &&
                          Bind(library, "alcGetString", api->alcGetString) &&
                          Bind(library, "alDistanceModel", api->alDistanceModel) &&
                          Bind(library, "alGenBuffers", api->alGenBuffers) &&
                          Bind(library, "alDeleteBuffers", api->alDeleteBuffers) &&
                          Bind(library, "alBufferData", api->alBufferData) &&
                          Bind(library, "alGenSources", api->alGenSources) &&
                          Bind(library, "alDeleteSources", api->alDeleteSources) &&
                          Bind(library, "alSourcei", api->alSourcei) &&
                          Bind(library, "alSourcef", api->alSourcef) &&
                          Bind(library, "alSource3f", api->alSource3f) &&
                          Bind(library, "alGetSourcei", api->alGetSourcei) &&
                          Bind(library, "alSourcePlay", api->alSourcePlay) &&
                          Bind(library, "alSourcePause", api->alSourcePause) &&
                          Bind(library, "alSourceStop", api->alSourceStop) &&
                          Bind(library, "alSourceRewind", api->alSourceRewind);
    if (!complete) {
        CloseOpenALLibrary(library);
        return nullptr;
    }
    return api;
}
