// The 24 pictures and sounds the executable carries (listed in game/asset_list.h), and their
// registration with the embedded-file archive so they open through "incbin::" URLs.
#pragma once

#include <array>

#define ZANDOR_ASSET(kind, symbol, file, global) +1
constexpr int kEmbeddedAssetCount = 0
#include "game/asset_list.h"
    ;
#undef ZANDOR_ASSET

// Archive names in the order the game registers and loads them: the images, then the
// sounds (e.g. "assets/graphics/player.png").
extern const std::array<const char*, kEmbeddedAssetCount> embeddedAssetNames;

struct EmbeddedAsset {
    const char* name;
    const unsigned char* data;
    int size;  // byte length of the file as carried
};

// The carried files, in the order of embeddedAssetNames.
const std::array<EmbeddedAsset, kEmbeddedAssetCount>& embeddedAssets();

// Registers every carried file under its archive name, in order. Calling it again changes
// nothing (the archive keeps the first registration of a name).
void registerEmbeddedAssets();
