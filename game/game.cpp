// Start-up in its fixed order, the frame loop, and resetGame.
#include "game/game.h"

#include <exception>
#include <ostream>
#include <string>

#include "engine/audio/audio.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/render.h"
#include "engine/graphics/text.h"
#include "engine/system/clock.h"
#include "engine/system/input.h"
#include "engine/system/random.h"
#include "engine/system/stream.h"
#include "engine/system/system_driver.h"
#include "game/embedded_assets.h"
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"
#include "game/screens.h"

namespace {

// Loads one asset into its global; false when it cannot be loaded.
bool loadAsset(std::shared_ptr<TImage>& image, const std::string& url) {
    image = LoadImage(url, -1);
    return image != nullptr;
}
bool loadAsset(std::shared_ptr<TSound>& sound, const std::string& url) {
    sound = LoadSound(url, 0);
    return sound != nullptr;
}

void drawLoadingFrame() {
    SetBlend(BLEND_ALPHA);
    SetClsColor(255, 255, 255);
    SetColor(200, 200, 200);
    Cls();
    SetScale(5, 5);
    DrawText("OMG IT LOADS!!!", 100, 250);
    Flip(-1);
}

// Draws a picture the way play does: translucent tinted and opaque white are drawn
// differently by some drivers. Sounds need no warming up.
void warmUpAsset(const std::shared_ptr<TImage>& image) {
    SetAlpha(0.5f);
    SetColor(128, 128, 128);
    DrawImage(image, FIELD_CENTRE_X, FIELD_CENTRE_Y, 0);
    SetAlpha(1);
    SetColor(255, 255, 255);
    DrawImage(image, FIELD_CENTRE_X, FIELD_CENTRE_Y, 0);
}
void warmUpAsset(const std::shared_ptr<TSound>&) {}

// OpenGL drivers make a picture's texture, and software ones like Mesa's llvmpipe compile the
// code that draws it, only when it is first drawn: several milliseconds each, enough to miss
// the first frame of play and the first frames of each new sight. Drawing every picture and
// glyph once now, behind the loading frame and wiped before anything is shown, moves that
// cost into start-up. The draw state is left as it was.
void warmUpRenderer() {
    int red = 0, green = 0, blue = 0;
    GetColor(red, green, blue);
    const float alpha = GetAlpha();
    float scaleX = 1, scaleY = 1;
    GetScale(scaleX, scaleY);

    SetScale(1, 1);
#define ZANDOR_ASSET(kind, symbol, file, global) warmUpAsset(global);
#include "game/asset_list.h"
#undef ZANDOR_ASSET
    std::string glyphs;
    for (char c = ' '; c <= '~'; ++c) glyphs += c;
    DrawText(glyphs, 0, 0);
    DrawLine(0, 0, 10, 10, 1);
    DrawOval(0, 0, 10, 10);
    DrawRect(0, 0, 10, 10);
    Cls();

    SetColor(red, green, blue);
    SetAlpha(alpha);
    SetScale(scaleX, scaleY);
}

}  // namespace

std::string loadGameAssets(const std::string& prefix) {
#define ZANDOR_ASSET(kind, symbol, file, global) \
    if (!loadAsset(global, prefix + file)) return "cannot load " + prefix + file;
#include "game/asset_list.h"
#undef ZANDOR_ASSET
    return {};
}

void registerGameFiles() {
    registerEmbeddedAssets();
}

void startEngineModules() {
    StartStreamModules();
    StartSystemDriver();
    StartGraphicsModules();
    StartImageLoaders();
    StartAudioModules();
}

std::string startUp() {
    SetAppTitle(kAppTitle);
    if (!OpenGraphics(FIELD_WIDTH, FIELD_HEIGHT, 0, 60, 0)) {
        return "cannot open the 800x600 game window";
    }
    drawLoadingFrame();
    SetAutoMidHandle(1);
    SeedRandom(static_cast<int>(MillisecondClock()));
    std::string failure = loadGameAssets("incbin::");
    if (!failure.empty()) return failure;
    warmUpRenderer();
    musicChannel = AllocChannel();
    return {};
}

bool runFrame() {
    Cls();
    spriteGrey = 255 - bgBrightness;
    switch (gameState) {
        case GAME_STATE_TITLE:
            titleScreen();
            break;
        case GAME_STATE_PLAY:
            playScreen();
            break;
        case GAME_STATE_GAME_OVER:
            gameOverScreen();
            break;
        case GAME_STATE_END:
            endScreen();
            break;
        default:
            break;
    }
    Flip(-1);
    if (IsKeyDown(KEY_ESCAPE) != 0) return false;
    return TakeAppTerminate() == 0;
}

void resetGame() {
    aimDistance = 0;
    baseX = FIELD_CENTRE_X;
    baseY = FIELD_CENTRE_Y;
    life = START_LIFE;
    baseAlpha = 0;
    aimAngle = 0;

    enemyList = std::make_shared<tEntityList<tEnemy>>();
    shotList = std::make_shared<tEntityList<tPlayer>>();
    fxList = std::make_shared<tEntityList<tFX>>();
    bgfxList = std::make_shared<tEntityList<tbgFX>>();

    score = 0;
    bestChain = 0;
    shotSpeed = SHOT_SPEED;

    bgBrightness = 255;
    bgTargetBrightness = 255;

    // The previous game's music may still be fading; stopping it keeps two copies
    // of the music from playing over each other once the new game starts its own.
    if (musicChannel) StopChannel(musicChannel);
    musicChannel = AllocChannel();

    musicVolume = 1;
    waveStep = 0;
    fadeAlpha = 0;

    startTime = static_cast<int>(MillisecondClock());
}

int runZandor(std::ostream& err) {
    try {
        registerGameFiles();
        startEngineModules();
        const std::string failure = startUp();
        if (!failure.empty()) {
            err << "zandor: " << failure << '\n';
            return 1;
        }
        while (runFrame()) {
        }
        return 0;
    } catch (const std::exception& error) {
        err << "zandor: " << error.what() << '\n';
        return 1;
    }
}
