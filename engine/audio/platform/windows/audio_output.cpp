// Placeholder until the waveform output device comes: no device, so "Mixa" does not start and
// the game plays without sound.
#include "engine/audio/internal/mixa_output.h"

std::unique_ptr<TAudioOutputDevice> CreatePlatformAudioOutputDevice() {
    return nullptr;
}
