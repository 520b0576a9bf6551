// Start-up in its fixed order, the frame loop, and resetGame.
#include "game/game.h"

#include <exception>
#include <ostream>
#include <utility>

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
#include "game/screens.h"

namespace {

constexpr int kEscapeKey = 27;

struct ImageAsset {
    const char* name;
    std::shared_ptr<TImage>* target;
};
struct SoundAsset {
    const char* name;
    std::shared_ptr<TSound>* target;
};

const ImageAsset kImages[] = {
    {"assets/graphics/player.png", &playerImg},
    {"assets/graphics/enemy1.png", &enemy1Img},
    {"assets/graphics/enemy2.png", &enemy2Img},
    {"assets/graphics/enemycontrol.png", &enemyControlImg},
    {"assets/graphics/enemycontroltrace.png", &enemyControlTraceImg},
    {"assets/graphics/enemymove.png", &enemyMoveImg},
    {"assets/graphics/enemybomb.png", &enemyBombImg},
    {"assets/graphics/pointer.png", &pointerImg},
    {"assets/graphics/layer.png", &layerImg},
    {"assets/graphics/playership.png", &playerShipImg},
    {"assets/graphics/borderexplosion.png", &borderExplosionImg},
    {"assets/graphics/background.jpg", &backgroundImg},
    {"assets/graphics/backgroundmask.png", &backgroundMaskImg},
    {"assets/graphics/display.png", &displayImg},
    {"assets/graphics/title.png", &titleImg},
    {"assets/graphics/bgfx.png", &bgfxImg},
    {"assets/graphics/end.png", &endImg},
    {"assets/graphics/base.png", &baseImg},
    {"assets/graphics/gameover.png", &gameOverImg},
};

const SoundAsset kSounds[] = {
    {"assets/sound/explode.ogg", &explodeSnd},
    {"assets/sound/music.ogg", &musicSnd},
    {"assets/sound/shoot.ogg", &shootSnd},
    {"assets/sound/playerhit.ogg", &playerHitSnd},
    {"assets/sound/playerexplode.ogg", &playerExplodeSnd},
};

void drawLoadingFrame() {
    SetBlend(BLEND_ALPHA);
    SetClsColor(255, 255, 255);
    SetColor(200, 200, 200);
    Cls();
    SetScale(5, 5);
    DrawText("OMG IT LOADS!!!", 100, 250);
    Flip(-1);
}

}  // namespace

std::string loadGameAssets(const std::string& prefix) {
    for (const ImageAsset& asset : kImages) {
        *asset.target = LoadImage(prefix + asset.name, -1);
        if (!*asset.target) return "cannot load " + prefix + asset.name;
    }
    for (const SoundAsset& asset : kSounds) {
        *asset.target = LoadSound(prefix + asset.name, 0);
        if (!*asset.target) return "cannot load " + prefix + asset.name;
    }
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
    if (!OpenGraphics(800, 600, 0, 60, 0)) return "cannot open the 800x600 game window";
    drawLoadingFrame();
    SetAutoMidHandle(1);
    SeedRandom(static_cast<int>(MillisecondClock()));
    std::string failure = loadGameAssets("incbin::");
    if (!failure.empty()) return failure;
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
    if (IsKeyDown(kEscapeKey) != 0) return false;
    return TakeAppTerminate() == 0;
}

void resetGame() {
    aimDistance = 0;
    baseX = 400;
    baseY = 300;
    life = 50;
    baseAlpha = 0;
    aimAngle = 0;

    enemyList = std::make_shared<tEntityList<tEnemy>>();
    shotList = std::make_shared<tEntityList<tPlayer>>();
    fxList = std::make_shared<tEntityList<tFX>>();
    bgfxList = std::make_shared<tEntityList<tbgFX>>();

    score = 0;
    bestChain = 0;
    shotSpeed = 20;

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
