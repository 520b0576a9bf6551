// Storage of the game's globals with their program-start values.
#include "game/globals.h"

int gameState = GAME_STATE_TITLE;
float baseX = 0;
float baseY = 0;
float baseAlpha = 0;
float aimAngle = 0;
float aimDistance = 0;
int shotSpeed = 0;
int life = 0;
std::int64_t score = 0;
int bestChain = 0;
std::shared_ptr<tEntityList<tEnemy>> enemyList;
std::shared_ptr<tEntityList<tPlayer>> shotList;
std::shared_ptr<tEntityList<tFX>> fxList;
std::shared_ptr<tEntityList<tbgFX>> bgfxList;
float bgBrightness = 0;
float bgTargetBrightness = 0;
float spriteGrey = 0;
int startTime = 0;
int playTime = 0;
int waveStep = 0;
float fadeAlpha = 0;
float musicVolume = 0;
std::shared_ptr<TChannel> musicChannel;

std::shared_ptr<TImage> playerImg, enemy1Img, enemy2Img, enemyControlImg, enemyControlTraceImg,
    enemyMoveImg, enemyBombImg, pointerImg, layerImg, playerShipImg, borderExplosionImg,
    backgroundImg, backgroundMaskImg, displayImg, titleImg, bgfxImg, endImg, baseImg, gameOverImg;

std::shared_ptr<TSound> explodeSnd, musicSnd, shootSnd, playerHitSnd, playerExplodeSnd;

void restoreStartGlobals() {
    gameState = GAME_STATE_TITLE;
    baseX = baseY = baseAlpha = aimAngle = aimDistance = 0;
    shotSpeed = 0;
    life = 0;
    score = 0;
    bestChain = 0;
    enemyList.reset();
    shotList.reset();
    fxList.reset();
    bgfxList.reset();
    bgBrightness = bgTargetBrightness = spriteGrey = 0;
    startTime = playTime = waveStep = 0;
    fadeAlpha = musicVolume = 0;
    musicChannel.reset();
}
