// Start-up in its fixed order, the frame loop, and resetGame.
#include "game/game.h"

#include <exception>
#include <iterator>
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
#include "game/screens.h"

namespace {

constexpr int kEscapeKey = 27;

// Where each loaded asset goes, in the order of embeddedAssetNames: the images, then the
// sounds.
std::shared_ptr<TImage>* const kImageTargets[] = {
    &playerImg,
    &enemy1Img,
    &enemy2Img,
    &enemyControlImg,
    &enemyControlTraceImg,
    &enemyMoveImg,
    &enemyBombImg,
    &pointerImg,
    &layerImg,
    &playerShipImg,
    &borderExplosionImg,
    &backgroundImg,
    &backgroundMaskImg,
    &displayImg,
    &titleImg,
    &bgfxImg,
    &endImg,
    &baseImg,
    &gameOverImg,
};
std::shared_ptr<TSound>* const kSoundTargets[] = {
    &explodeSnd, &musicSnd, &shootSnd, &playerHitSnd, &playerExplodeSnd,
};
static_assert(std::size(kImageTargets) + std::size(kSoundTargets) == kEmbeddedAssetCount);

void drawLoadingFrame() {
    SetBlend(BLEND_ALPHA);
    SetClsColor(255, 255, 255);
    SetColor(200, 200, 200);
    Cls();
    SetScale(5, 5);
    DrawText("OMG IT LOADS!!!", 100, 250);
    Flip(-1);
}

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
    for (std::shared_ptr<TImage>* target : kImageTargets) {
        // Translucent tinted and opaque white are drawn differently by some drivers.
        SetAlpha(0.5f);
        SetColor(128, 128, 128);
        DrawImage(*target, 400, 300, 0);
        SetAlpha(1);
        SetColor(255, 255, 255);
        DrawImage(*target, 400, 300, 0);
    }
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
    std::size_t next = 0;
    for (std::shared_ptr<TImage>* target : kImageTargets) {
        const std::string url = prefix + embeddedAssetNames[next++];
        *target = LoadImage(url, -1);
        if (!*target) return "cannot load " + url;
    }
    for (std::shared_ptr<TSound>* target : kSoundTargets) {
        const std::string url = prefix + embeddedAssetNames[next++];
        *target = LoadSound(url, 0);
        if (!*target) return "cannot load " + url;
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
    if (!OpenGraphics(800, 600, 0, 60, 0)) {
        const std::string& reason = GraphicsError();
        return "cannot open the 800x600 game window" + (reason.empty() ? "" : ": " + reason);
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

    // The last game's music is dropped, not stopped: at whatever volume its fade reached it
    // plays on to its end under the new game's music.
    musicChannel = AllocChannel();

    musicVolume = 1;
    waveStep = 0;
    fadeAlpha = 0;

    startTime = static_cast<int>(MillisecondClock());
}

int runZandor(std::ostream& err) {
    // A lost display ends the program from inside the platform layer: one line, the audio
    // closed, status 1.
    static std::ostream* lostDisplayErr = nullptr;
    lostDisplayErr = &err;
    SetDisplayLostHandler([](const std::string& what) {
        *lostDisplayErr << "zandor: " << what << '\n' << std::flush;
        ShutdownAudio();
    });
    struct TForgetHandler {
        ~TForgetHandler() { SetDisplayLostHandler(nullptr); }
    } forgetHandler;
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
