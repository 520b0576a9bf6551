// The executable's carried files: the registry holds all 24 in load order with their exact
// bytes, and they open and decode through "incbin::" URLs.
#include "game/embedded_assets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "engine/audio/audio.h"
#include "engine/graphics/pixmap.h"
#include "engine/system/stream.h"
#include "tests/assets/asset_decoding.h"

namespace {

// The rows of game/asset_list.h: kind and archive name.
struct AssetRow {
    std::string_view kind;
    std::string_view name;
};
constexpr AssetRow kAssetRows[] = {
#define ZANDOR_ASSET(kind, symbol, file, global) {#kind, file},
#include "game/asset_list.h"
#undef ZANDOR_ASSET
};
constexpr int kImageCount =
    static_cast<int>(std::count_if(std::begin(kAssetRows), std::end(kAssetRows),
                                   [](const AssetRow& row) { return row.kind == "Image"; }));

// The 24 archive names in registration and load order, written out here rather than read from
// the asset list, so that a misspelt, missing or reordered row in that list fails.
constexpr std::string_view kArchiveNames[] = {
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

TEST(EmbeddedAssets, CarriesTheListPicturesFirst) {
    ASSERT_EQ(std::size(kArchiveNames), 24u);
    ASSERT_EQ(std::size(kAssetRows), std::size(kArchiveNames));
    ASSERT_EQ(embeddedAssets().size(), std::size(kArchiveNames));
    EXPECT_EQ(kImageCount, 19);
    for (int i = 0; i < kEmbeddedAssetCount; ++i) {
        const std::string_view name = kArchiveNames[i];
        SCOPED_TRACE(name);
        EXPECT_EQ(kAssetRows[i].name, name);
        EXPECT_EQ(embeddedAssetNames[i], name);
        EXPECT_EQ(embeddedAssets()[i].name, name);
        if (i < kImageCount) {
            EXPECT_EQ(kAssetRows[i].kind, "Image");
            EXPECT_TRUE(name.starts_with("assets/graphics/"));
        } else {
            EXPECT_EQ(kAssetRows[i].kind, "Sound");
            EXPECT_TRUE(name.starts_with("assets/sound/") && name.ends_with(".ogg"));
        }
    }
}

TEST(EmbeddedAssets, RegistryHoldsEachFileWithItsBytes) {
    registerEmbeddedAssets();
    registerEmbeddedAssets();  // a second call must not disturb the first registration
    for (const char* name : embeddedAssetNames) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> file = ReadWholeFile(RepoPath(name));
        ASSERT_FALSE(file.empty());
        ASSERT_EQ(EmbeddedFileSize(name), static_cast<int>(file.size()));
        const void* data = EmbeddedFileData(name);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(std::memcmp(data, file.data(), file.size()), 0);
    }
    // Lookups are exact: no other letter case, no leading "./".
    EXPECT_EQ(EmbeddedFileData("assets/graphics/Player.png"), nullptr);
    EXPECT_EQ(EmbeddedFileData("./assets/graphics/player.png"), nullptr);
}

TEST(EmbeddedAssets, PicturesDecodeThroughTheArchive) {
    registerEmbeddedAssets();
    StartStreamModules();
    StartImageLoaders();
    for (int i = 0; i < kImageCount; ++i) {
        std::string name = embeddedAssetNames[i];
        SCOPED_TRACE(name);
        std::shared_ptr<TPixmap> pixmap = LoadPixmap("incbin::" + name);
        ASSERT_TRUE(pixmap);
        DecodedPng png = DecodePng(ReadWholeFile(RepoPath(name)));
        if (png.ok) {
            EXPECT_EQ(pixmap->width, png.width);
            EXPECT_EQ(pixmap->height, png.height);
            EXPECT_EQ(pixmap->format, PF_RGBA8888);
        } else {
            EXPECT_EQ(pixmap->width, 800);  // the JPEG background
            EXPECT_EQ(pixmap->height, 600);
        }
    }
}

TEST(EmbeddedAssets, SoundsDecodeThroughTheArchive) {
    registerEmbeddedAssets();
    StartStreamModules();
    StartAudioModules();
    const int frames[] = {132096, 10576896, 22512, 34800, 22512};
    ASSERT_EQ(kEmbeddedAssetCount - kImageCount, static_cast<int>(std::size(frames)));
    for (int i = 0; i < kEmbeddedAssetCount - kImageCount; ++i) {
        std::string name = embeddedAssetNames[kImageCount + i];
        SCOPED_TRACE(name);
        std::shared_ptr<TAudioSample> sample = LoadAudioSample("incbin::" + name);
        ASSERT_TRUE(sample);
        EXPECT_EQ(sample->length, frames[i]);
        EXPECT_EQ(sample->hertz, 48000);
        EXPECT_EQ(sample->format, SF_STEREO16LE);
    }
}

}  // namespace
