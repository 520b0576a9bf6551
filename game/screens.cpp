// Screen handlers. Each runs its steps in a fixed order because the order decides what lies
// over what and which of two transitions in one frame wins.
//
// The title and play screens take the right button's hits every frame and drop them: a right
// press only means something on the closing screens, and one left pending from earlier would
// otherwise skip the closing screen after a single frame, before the player saw the score.
#include "game/screens.h"

#include "engine/audio/audio.h"
#include "engine/graphics/image.h"
#include "engine/graphics/render.h"
#include "engine/graphics/text.h"
#include "engine/system/input.h"
#include "engine/system/maths.h"
#include "game/draw_helpers.h"
#include "game/entities.h"
#include "game/game.h"
#include "game/globals.h"
#include "game/hud.h"
#include "game/rules.h"
#include "game/waves.h"

namespace {

constexpr float kFadeStep = 0.05f;
constexpr float kMusicFadeStep = 0.005f;

void drawFinalScore() {
    setDrawState(2, 2, 0, fadeAlpha / 1.5f);
    DrawText(LongToString(score), FIELD_CENTRE_X, 285);
    DrawText(IntToString(bestChain), FIELD_CENTRE_X, 321);
}

void returnToTitleOnRightClick() {
    if (TakeMouseHits(MOUSE_RIGHT) != 0) gameState = GAME_STATE_TITLE;
}

void fadeMusic(float stopBelow) {
    if (musicVolume > 0) {
        musicVolume -= kMusicFadeStep;
        if (musicChannel) SetChannelVolume(musicChannel, musicVolume);
    }
    if (musicVolume < stopBelow && musicChannel) StopChannel(musicChannel);
}

}  // namespace

void titleScreen() {
    setDrawStateRGB(1, 1, 0, 1, 255, 255, 255);
    DrawImage(backgroundImg, FIELD_CENTRE_X, FIELD_CENTRE_Y, 0);
    DrawImage(titleImg, FIELD_CENTRE_X, FIELD_CENTRE_Y, 0);
    if (TakeMouseHits(MOUSE_LEFT) != 0) startGame();
    TakeMouseHits(MOUSE_RIGHT);
}

void startGame() {
    resetGame();
    for (int i = 0; i < 6; ++i) tbgFX::ini();
    PlaySound(musicSnd, musicChannel);
    gameState = GAME_STATE_PLAY;
}

void playScreen() {
    drawBackground();
    updateEntities();
    updatePlayTime();
    drawHud();
    updateWaves();
    TakeMouseHits(MOUSE_RIGHT);
}

void gameOverScreen() {
    drawBackground();
    updateEntities();
    drawHud();
    if (fadeAlpha < 1) fadeAlpha += kFadeStep;
    setDrawStateRGB(1, 1, 0, fadeAlpha, 255, 255, 255);
    DrawImage(gameOverImg, FIELD_CENTRE_X, FIELD_CENTRE_Y, 0);
    drawFinalScore();
    returnToTitleOnRightClick();
    fadeMusic(0.05f);
}

void endScreen() {
    drawBackground();
    updateEntities();
    drawHud();
    setDrawStateRGB(1, 1, 0, fadeAlpha, 255, 255, 255);
    DrawImage(endImg, FIELD_CENTRE_X, FIELD_CENTRE_Y, 0);
    if (fadeAlpha < 1) fadeAlpha += kFadeStep;
    drawFinalScore();
    returnToTitleOnRightClick();
    fadeMusic(0.01f);
}

void easeBrightness() {
    bgBrightness = bgBrightness + (bgTargetBrightness - bgBrightness) / 30;
}

void drawBackground() {
    easeBrightness();
    if (bgBrightness >= 250) {
        SetClsColor(250, 250, 250);
    } else {
        const int t = TruncateToInt(bgBrightness);
        SetClsColor(t, t, t);
    }
    if (bgfxList) bgfxList->forEach([](const std::shared_ptr<tbgFX>& fx) { fx->update(); });
    const int t = TruncateToInt(bgBrightness);
    setDrawStateRGB(1, 1, 0, 1, t, t, t);
    DrawImage(backgroundMaskImg, FIELD_CENTRE_X, FIELD_CENTRE_Y, 0);
}
