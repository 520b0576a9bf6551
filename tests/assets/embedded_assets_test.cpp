// The executable's carried files: the registry holds all 24 in load order with their exact
// bytes, and they open and decode through "incbin::" URLs.
#include "game/embedded_assets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/audio/audio.h"
#include "engine/graphics/pixmap.h"
#include "engine/system/stream.h"
#include "tests/assets/asset_decoding.h"

namespace {

TEST(EmbeddedAssets, NamesFollowTheLoadOrder) {
    const char* expected[] = {"assets/graphics/player.png",
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
                              "assets/sound/playerexplode.ogg"};
    ASSERT_EQ(std::size(expected), embeddedAssetNames.size());
    for (size_t i = 0; i < embeddedAssetNames.size(); ++i) {
        EXPECT_STREQ(embeddedAssetNames[i], expected[i]) << "entry " << i;
        EXPECT_STREQ(embeddedAssets()[i].name, expected[i]) << "entry " << i;
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
    for (int i = 0; i < 19; ++i) {
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
    for (int i = 0; i < 5; ++i) {
        std::string name = embeddedAssetNames[19 + i];
        SCOPED_TRACE(name);
        std::shared_ptr<TAudioSample> sample = LoadAudioSample("incbin::" + name);
        ASSERT_TRUE(sample);
        EXPECT_EQ(sample->length, frames[i]);
        EXPECT_EQ(sample->hertz, 48000);
        EXPECT_EQ(sample->format, SF_STEREO16LE);
    }
}

}  // namespace
