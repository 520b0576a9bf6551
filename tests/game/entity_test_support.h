// Two fixtures for entity tests. EntityWorld: a clean set of game globals for tests that
// drive the entity code directly, without the frame loop (fresh lists, the reset values of a
// new game, and the previous values put back afterwards). EntityGame: the headless game on
// its play screen, for tests that need real images, input, drawing and sound.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "game/entities.h"
#include "game/entity_list.h"
#include "game/globals.h"
#include "tools/headless/harness.h"

class EntityWorld : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = {gameState,  life,      score,    bestChain, shotSpeed,
                  spriteGrey, enemyList, shotList, fxList,    bgfxList};
        gameState = GAME_STATE_PLAY;
        life = 50;
        score = 0;
        bestChain = 0;
        shotSpeed = 20;
        spriteGrey = 0;
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        shotList = std::make_shared<tEntityList<tPlayer>>();
        fxList = std::make_shared<tEntityList<tFX>>();
        bgfxList = std::make_shared<tEntityList<tbgFX>>();
    }
    void TearDown() override {
        gameState = saved_.gameState;
        life = saved_.life;
        score = saved_.score;
        bestChain = saved_.bestChain;
        shotSpeed = saved_.shotSpeed;
        spriteGrey = saved_.spriteGrey;
        enemyList = saved_.enemyList;
        shotList = saved_.shotList;
        fxList = saved_.fxList;
        bgfxList = saved_.bgfxList;
    }

  private:
    struct Saved {
        int gameState;
        int life;
        std::int64_t score;
        int bestChain;
        int shotSpeed;
        float spriteGrey;
        std::shared_ptr<tEntityList<tEnemy>> enemyList;
        std::shared_ptr<tEntityList<tPlayer>> shotList;
        std::shared_ptr<tEntityList<tFX>> fxList;
        std::shared_ptr<tEntityList<tbgFX>> bgfxList;
    } saved_{};
};

class EntityGame : public ::testing::Test {
  protected:
    // Start-up is the slow part, so one headless game serves a whole suite and each test
    // begins a new game from the title, which resets every global and list.
    static void SetUpTestSuite() { shared = std::make_unique<TGameHarness>(); }
    static void TearDownTestSuite() { shared.reset(); }

    void SetUp() override {
        ASSERT_EQ(game.StartUpFailure(), "");
        gameState = GAME_STATE_TITLE;
        game.MovePointer(0, 0);
        game.StartNewGame();
        ASSERT_EQ(gameState, GAME_STATE_PLAY);
        game.Audio().ClearCalls();
        // The background blobs draw random numbers; these tests want the generator to
        // themselves. The first wave arrives after 12 s, far beyond any test here.
        bgfxList = std::make_shared<tEntityList<tbgFX>>();
    }

    // PLAY calls of `sound` since the test began.
    int plays(const std::shared_ptr<TSound>& sound) {
        int n = 0;
        for (const auto& call : game.Audio().Calls()) {
            if (call.kind == TAudioCall::PLAY && call.sound == sound.get()) ++n;
        }
        return n;
    }

    // Live effects of one kind.
    template <class Kind>
    static int effects() {
        int n = 0;
        for (const auto& fx : fxList->items()) n += std::dynamic_pointer_cast<Kind>(fx) ? 1 : 0;
        return n;
    }

    static inline std::unique_ptr<TGameHarness> shared;
    TGameHarness& game = *shared;
};
