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

// Every global of the game's state, with the value it holds at program start and again after
// restoreStartGlobals: X(type, name, start value).
// clang-format off
#define ZANDOR_GAME_GLOBALS(X)                                                          \
    X(int, gameState, GAME_STATE_TITLE)                                                 \
    /* the turret */                                                                    \
    X(float, baseX, 0) X(float, baseY, 0) X(float, baseAlpha, 0)                        \
    X(float, aimAngle, 0) X(float, aimDistance, 0) X(int, shotSpeed, 0) X(int, life, 0) \
    /* the chains */                                                                    \
    X(std::int64_t, score, 0) X(int, bestChain, 0)                                      \
    /* the entity lists; each new game makes them */                                    \
    X(std::shared_ptr<tEntityList<tEnemy>>, enemyList, nullptr)                         \
    X(std::shared_ptr<tEntityList<tPlayer>>, shotList, nullptr)                         \
    X(std::shared_ptr<tEntityList<tFX>>, fxList, nullptr)                               \
    X(std::shared_ptr<tEntityList<tbgFX>>, bgfxList, nullptr)                           \
    /* the background */                                                                \
    X(float, bgBrightness, 0) X(float, bgTargetBrightness, 0) X(float, spriteGrey, 0)   \
    /* the wave clock */                                                                \
    X(int, startTime, 0) X(int, playTime, 0) X(int, waveStep, 0)                        \
    /* the closing screens and the music */                                             \
    X(float, fadeAlpha, 0) X(float, musicVolume, 0)                                     \
    X(std::shared_ptr<TChannel>, musicChannel, nullptr)
// clang-format on

#define ZANDOR_DECLARE_GLOBAL(type, name, start) extern type name;
ZANDOR_GAME_GLOBALS(ZANDOR_DECLARE_GLOBAL)
#undef ZANDOR_DECLARE_GLOBAL

// The pictures and sounds, loaded once at start-up in the order of game/asset_list.h.
#define ZANDOR_ASSET(kind, symbol, file, global) extern std::shared_ptr<T##kind> global;
#include "game/asset_list.h"
#undef ZANDOR_ASSET

// Puts every global back to its program-start value (lists gone, assets kept), so one process
// can run several games from a clean slate. The program itself never needs it.
void restoreStartGlobals();
