// The built-in 8x16 font as the 1536-byte file the text layer reads: 16 rows of 96 bytes, one
// byte per glyph for characters 32..127, least significant bit the leftmost pixel.
#pragma once

#include <cstdint>

constexpr int kDefaultFontBytes = 1536;
constexpr const char* kDefaultFontName = "drovfont.bin";

// The file's bytes (static storage, lives for the whole run).
const std::uint8_t* DefaultFontData();
// Registers the bytes in the embedded-file registry under kDefaultFontName; once only.
void RegisterDefaultFontFile();
