// Registration of the carried files with the embedded-file archive.
#include "game/embedded_assets.h"

#include "engine/system/incbin.h"

// Symbols from embedded_assets.S.
#define ZANDOR_ASSET(kind, symbol, file, global) ZANDOR_INCBIN_DECLARE(asset_##symbol);
#include "game/asset_list.h"
#undef ZANDOR_ASSET

const std::array<const char*, kEmbeddedAssetCount> embeddedAssetNames = {
#define ZANDOR_ASSET(kind, symbol, file, global) file,
#include "game/asset_list.h"
#undef ZANDOR_ASSET
};

const std::array<EmbeddedAsset, kEmbeddedAssetCount>& embeddedAssets() {
    // Each entry: name, first byte, byte length between the symbols around the file.
    static const std::array<EmbeddedAsset, kEmbeddedAssetCount> assets = {
#define ZANDOR_ASSET(kind, symbol, file, global) \
    EmbeddedAsset{file, asset_##symbol##_start,  \
                  static_cast<int>(asset_##symbol##_end - asset_##symbol##_start)},
#include "game/asset_list.h"
#undef ZANDOR_ASSET
    };
    return assets;
}

void registerEmbeddedAssets() {
    for (const EmbeddedAsset& asset : embeddedAssets()) {
        RegisterEmbeddedFile(asset.name, asset.data, asset.size);
    }
}
