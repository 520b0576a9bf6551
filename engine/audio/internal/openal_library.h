// Where a desktop platform finds OpenAL, for the loader in platform/desktop/openal_library.cpp
// that binds the driver's entry points: platform/<name>/openal_location.cpp.
//
// An implementation must provide:
//   - OpenOpenALLibrary: the platform's OpenAL library loaded, or null when none is installed.
//   - OpenALSymbol: the address of an exported entry point, null when it is missing.
//   - CloseOpenALLibrary: unloads a library that OpenOpenALLibrary gave.
#pragma once

void* OpenOpenALLibrary();
void* OpenALSymbol(void* library, const char* name);
void CloseOpenALLibrary(void* library);
