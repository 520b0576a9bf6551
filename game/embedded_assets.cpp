// Registration of the carried files with the embedded-file archive.
#include "game/embedded_assets.h"

#include "engine/system/incbin.h"

// Symbols from embedded_assets.S.
ZANDOR_INCBIN_DECLARE(asset_player_png);
ZANDOR_INCBIN_DECLARE(asset_enemy1_png);
ZANDOR_INCBIN_DECLARE(asset_enemy2_png);
ZANDOR_INCBIN_DECLARE(asset_enemycontrol_png);
ZANDOR_INCBIN_DECLARE(asset_enemycontroltrace_png);
ZANDOR_INCBIN_DECLARE(asset_enemymove_png);
ZANDOR_INCBIN_DECLARE(asset_enemybomb_png);
ZANDOR_INCBIN_DECLARE(asset_pointer_png);
ZANDOR_INCBIN_DECLARE(asset_layer_png);
ZANDOR_INCBIN_DECLARE(asset_playership_png);
ZANDOR_INCBIN_DECLARE(asset_borderexplosion_png);
ZANDOR_INCBIN_DECLARE(asset_background_jpg);
ZANDOR_INCBIN_DECLARE(asset_backgroundmask_png);
ZANDOR_INCBIN_DECLARE(asset_display_png);
ZANDOR_INCBIN_DECLARE(asset_title_png);
ZANDOR_INCBIN_DECLARE(asset_bgfx_png);
ZANDOR_INCBIN_DECLARE(asset_end_png);
ZANDOR_INCBIN_DECLARE(asset_base_png);
ZANDOR_INCBIN_DECLARE(asset_gameover_png);
ZANDOR_INCBIN_DECLARE(asset_explode_ogg);
ZANDOR_INCBIN_DECLARE(asset_music_ogg);
ZANDOR_INCBIN_DECLARE(asset_shoot_ogg);
ZANDOR_INCBIN_DECLARE(asset_playerhit_ogg);
ZANDOR_INCBIN_DECLARE(asset_playerexplode_ogg);

const std::array<const char*, kEmbeddedAssetCount> embeddedAssetNames = {
    "assets/graphics/player.png",
    "assets/graphics/enemy1.png",
    "assets/graphics/enemy2.png",
    "assets/graphics/enemycontrol.png",
    "assets/graphics/enemycontroltrace.png",
    "assets/graphics/enemymove.png",
    "assets/graphics/enemybomb.png",
    "assets/graphics/pointer.png",
    "assets/graphics/layer.png",
    "assets/graphics/playership.png",
    "assets/graphics/borderexplosion.png",
    "assets/graphics/background.jpg",
    "assets/graphics/backgroundmask.png",
    "assets/graphics/display.png",
    "assets/graphics/title.png",
    "assets/graphics/bgfx.png",
    "assets/graphics/end.png",
    "assets/graphics/base.png",
    "assets/graphics/gameover.png",
    "assets/sound/explode.ogg",
    "assets/sound/music.ogg",
    "assets/sound/shoot.ogg",
    "assets/sound/playerhit.ogg",
    "assets/sound/playerexplode.ogg",
};

const std::array<EmbeddedAsset, kEmbeddedAssetCount>& embeddedAssets() {
    // Each entry: name, first byte, byte length between the symbols around the file.
#define ASSET(index, symbol)                                                                       \
    EmbeddedAsset {                                                                                \
        embeddedAssetNames[index], symbol##_start, static_cast<int>(symbol##_end - symbol##_start) \
    }
    static const std::array<EmbeddedAsset, kEmbeddedAssetCount> assets = {
        ASSET(0, asset_player_png),
        ASSET(1, asset_enemy1_png),
        ASSET(2, asset_enemy2_png),
        ASSET(3, asset_enemycontrol_png),
        ASSET(4, asset_enemycontroltrace_png),
        ASSET(5, asset_enemymove_png),
        ASSET(6, asset_enemybomb_png),
        ASSET(7, asset_pointer_png),
        ASSET(8, asset_layer_png),
        ASSET(9, asset_playership_png),
        ASSET(10, asset_borderexplosion_png),
        ASSET(11, asset_background_jpg),
        ASSET(12, asset_backgroundmask_png),
        ASSET(13, asset_display_png),
        ASSET(14, asset_title_png),
        ASSET(15, asset_bgfx_png),
        ASSET(16, asset_end_png),
        ASSET(17, asset_base_png),
        ASSET(18, asset_gameover_png),
        ASSET(19, asset_explode_ogg),
        ASSET(20, asset_music_ogg),
        ASSET(21, asset_shoot_ogg),
        ASSET(22, asset_playerhit_ogg),
        ASSET(23, asset_playerexplode_ogg),
    };
#undef ASSET
    return assets;
}

void registerEmbeddedAssets() {
    for (const EmbeddedAsset& asset : embeddedAssets()) {
        RegisterEmbeddedFile(asset.name, asset.data, asset.size);
    }
}
