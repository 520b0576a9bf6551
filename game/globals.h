// The game's one process-wide state: every global the screens, waves and entities share, and
// the 24 assets loaded once at start-up. Each rule module reads and writes these directly.
#pragma once

#include <cstdint>
#include <memory>

#include "game/entity_list.h"

class TImage;
class TSound;
class TChannel;
class tEnemy;
class tPlayer;
class tFX;
class tbgFX;

// Screen numbers held in gameState.
inline constexpr int GAME_STATE_TITLE = 1;
inline constexpr int GAME_STATE_PLAY = 2;
inline constexpr int GAME_STATE_GAME_OVER = 3;
inline constexpr int GAME_STATE_END = 4;

extern int gameState;
extern float baseX;
extern float baseY;
extern float baseAlpha;
extern float aimAngle;
extern float aimDistance;
extern int shotSpeed;
extern int life;
extern std::int64_t score;
extern int bestChain;
extern std::shared_ptr<tEntityList<tEnemy>> enemyList;
extern std::shared_ptr<tEntityList<tPlayer>> shotList;
extern std::shared_ptr<tEntityList<tFX>> fxList;
extern std::shared_ptr<tEntityList<tbgFX>> bgfxList;
extern float bgBrightness;
extern float bgTargetBrightness;
extern float spriteGrey;
extern int startTime;
extern int playTime;
extern int waveStep;
extern float fadeAlpha;
extern float musicVolume;
extern std::shared_ptr<TChannel> musicChannel;

// Images, in load order.
extern std::shared_ptr<TImage> playerImg, enemy1Img, enemy2Img, enemyControlImg,
    enemyControlTraceImg, enemyMoveImg, enemyBombImg, pointerImg, layerImg, playerShipImg,
    borderExplosionImg, backgroundImg, backgroundMaskImg, displayImg, titleImg, bgfxImg, endImg,
    baseImg, gameOverImg;

// Sounds, in load order.
extern std::shared_ptr<TSound> explodeSnd, musicSnd, shootSnd, playerHitSnd, playerExplodeSnd;

// Puts every global back to its program-start value (lists gone, assets kept), so one process
// can run several games from a clean slate. The program itself never needs it.
void restoreStartGlobals();
