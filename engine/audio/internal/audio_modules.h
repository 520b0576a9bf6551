// The registration hooks StartAudioModules calls, one per loader or driver file, so the
// start-up order lives in one place.
#pragma once

void RegisterWavLoader();
void RegisterOggLoader();
void RegisterMixaDrivers();
// Registers "OpenAL" only when the OpenAL library can be loaded at run time.
void RegisterOpenALDriver();
