// Enemies in the running game: activation by a ball, the countdown and burst that carry a
// chain and score it, ship contacts, facing, and the order rules of the entity pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/system/event.h"
#include "engine/system/random.h"
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"
#include "tests/game/entity_test_support.h"

namespace {

class Enemies : public EntityGame {
  protected:
    // An idle mover already faded in, standing still.
    static std::shared_ptr<tEnemyMove> mover(float x, float y, float rotation = 0) {
        auto e = tEnemyMove::ini(x, y, 0, 0, rotation);
        e->alpha = 1;
        return e;
    }
    static std::shared_ptr<tEnemyControl> controller(float x, float y) {
        auto e = tEnemyControl::ini(x, y, 0, 0);
        e->alpha = 1;
        return e;
    }

    std::vector<std::string> textsContaining(const std::string& part) {
        std::vector<std::string> out;
        for (const auto& t : game.Texts()) {
            if (t.text.find(part) != std::string::npos) out.push_back(t.text);
        }
        return out;
    }
};

TEST_F(Enemies, ARowOfMoversInTheLineOfFireScoresTheSumOfSquares) {
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        shotList = std::make_shared<tEntityList<tPlayer>>();
        score = 0;
        bestChain = 0;
        game.Audio().ClearCalls();

        game.MovePointer(790, 300);  // aim along +x, the movers' facing
        for (int i = 0; i < n; ++i) mover(480 + 80.0f * i, 300);
        game.Frame();
        game.Click(MOUSE_LEFT);

        std::vector<std::string> labels;
        const int frames = game.RunUntil(
            [&] {
                for (const auto& t : textsContaining(" CHAIN")) {
                    if (std::find(labels.begin(), labels.end(), t) == labels.end()) {
                        labels.push_back(t);
                    }
                }
                return enemyList->empty() && shotList->empty();
            },
            400);
        ASSERT_GT(frames, 0) << "the chain never finished";

        std::int64_t expected = 0;
        std::vector<std::string> expectedLabels;
        for (int k = 0; k < n; ++k) {
            expected += static_cast<std::int64_t>(k) * k;
            if (k > 0) expectedLabels.push_back(std::to_string(k) + " CHAIN");
        }
        EXPECT_EQ(score, expected);
        EXPECT_EQ(bestChain, n - 1);
        EXPECT_EQ(labels, expectedLabels);
        EXPECT_EQ(plays(explodeSnd), n);
        EXPECT_EQ(plays(shootSnd), 1);
    }
}

TEST_F(Enemies, CountdownLengthDependsOnTheKind) {
    struct Case {
        std::string kind;
        std::shared_ptr<tEnemy> (*make)();
        int framesToBurst;  // counting the frame in which the ball strikes
    };
    const Case cases[] = {
        {"move", [] { return std::shared_ptr<tEnemy>(mover(600, 200)); }, 8},
        {"control", [] { return std::shared_ptr<tEnemy>(controller(600, 200)); }, 40},
        {"controltrace",
         [] {
             auto e = tEnemyControlTrace::ini(600, 200);
             e->alpha = 1;
             return std::shared_ptr<tEnemy>(e);
         },
         40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        shotList = std::make_shared<tEntityList<tPlayer>>();
        auto enemy = c.make();
        EXPECT_EQ(enemy->name, c.kind);
        auto ball = tPlayer::ini(600, 200, 0, 0, 0);  // a ball resting on the enemy
        const int frames = game.RunUntil([&] { return !enemyList->contains(enemy); }, 100);
        EXPECT_EQ(frames, c.framesToBurst);
        EXPECT_FALSE(shotList->contains(ball)) << "the ball was absorbed";
    }
}

TEST_F(Enemies, ActivationNeedsTheEnemyInsideTheFieldAndFadedIn) {
    // Operations called directly, in their order, with a ball on the enemy's centre.
    struct Case {
        float x, y, alpha;
        int active;
        bool activates;
    };
    const Case cases[] = {
        {600, 200, 1, 0, true},  {20, 200, 1, 0, false},     {20.5f, 200, 1, 0, true},
        {600, 20, 1, 0, false},  {600, 21, 1, 0, true},      {819.5f, 200, 1, 0, true},
        {820, 200, 1, 0, false}, {810, 200, 1, 0, true},     {600, 619, 1, 0, true},
        {600, 620, 1, 0, false}, {600, 200, 0.9f, 0, false}, {600, 200, 0.95f, 0, true},
        {600, 200, 1, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " alpha " << c.alpha);
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        shotList = std::make_shared<tEntityList<tPlayer>>();
        auto e = mover(c.x, c.y);
        e->alpha = c.alpha;
        e->active = c.active;
        auto ball = tPlayer::ini(c.x, c.y, 0, 0, 6);
        e->draw();
        e->checkCollision();
        EXPECT_EQ(shotList->contains(ball), !c.activates);
        EXPECT_EQ(e->active, c.activates ? 1 : c.active);
        EXPECT_EQ(e->enemycombo, c.activates ? 6 : 0);
    }
}

TEST_F(Enemies, AFreshEnemyCanBeActivatedFromItsEighteenthPass) {
    auto e = tEnemyMove::ini(600, 200, 0, 0, 0);
    tPlayer::ini(600, 200, 0, 0, 0);
    const int frames = game.RunUntil([&] { return e->active == 1; }, 50);
    EXPECT_EQ(frames, 18);
    EXPECT_GT(e->alpha, 0.9f);
    EXPECT_LT(e->alpha, 0.95f);
}

TEST_F(Enemies, OneBallActivatesOnlyTheFirstOfTwoOverlappingEnemies) {
    auto first = mover(600, 200);
    auto second = mover(600, 200);
    tPlayer::ini(600, 200, 0, 0, 2);
    game.Frame();
    EXPECT_EQ(first->active, 1);
    EXPECT_EQ(first->enemycombo, 2);
    EXPECT_EQ(second->active, 0);
    EXPECT_TRUE(shotList->empty());
}

TEST_F(Enemies, ABurstBallReachesLaterEnemiesThisFrameAndEarlierOnesTheNext) {
    // Later in the list: struck in the burst frame, by the burst ball at its birth place.
    {
        auto bursting = mover(600, 200);
        bursting->active = 1;
        bursting->timer = 1;
        bursting->enemycombo = 3;
        auto later = mover(600, 200);
        game.Frame();
        EXPECT_EQ(later->active, 1);
        EXPECT_EQ(later->enemycombo, 4);
    }
    // Earlier in the list: the ball has already moved on once it can be seen.
    enemyList = std::make_shared<tEntityList<tEnemy>>();
    shotList = std::make_shared<tEntityList<tPlayer>>();
    auto earlier = mover(615, 200);
    auto bursting = mover(600, 200);
    bursting->active = 1;
    bursting->timer = 1;
    game.Frame();
    EXPECT_EQ(earlier->active, 0);
    EXPECT_EQ(shotList->size(), 1u);
    game.Frame();
    EXPECT_EQ(earlier->active, 1);
    EXPECT_EQ(earlier->enemycombo, 1);
}

TEST_F(Enemies, ShipContactsTakeLifeToZeroAndEndTheGame) {
    struct Expect {
        int life;
        int borders;
        int particles;
        int playerExplodes;
    };
    const Expect steps[] = {
        {40, 5, 21, 0}, {30, 5, 21, 0}, {20, 5, 21, 0}, {10, 5, 21, 0}, {0, 14, 52, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.life);
        ASSERT_TRUE(fxList->empty()) << "earlier effects have faded";
        game.Audio().ClearCalls();
        // Still fading in and not activated: contact hurts all the same.
        auto e = tEnemyMove::ini(400, 300, 0, 0, 0);
        game.Frame();
        EXPECT_EQ(life, step.life);
        EXPECT_FALSE(enemyList->contains(e));
        EXPECT_EQ(effects<tborderExplosion>(), step.borders);
        EXPECT_EQ(effects<tExplosion>(), step.particles);
        EXPECT_EQ(plays(explodeSnd), 1);
        EXPECT_EQ(plays(playerExplodeSnd), step.playerExplodes);
        EXPECT_EQ(score, 0);
        EXPECT_EQ(gameState, GAME_STATE_PLAY);
        game.RunFrames(40);
        if (life > 0) {
            EXPECT_EQ(gameState, GAME_STATE_PLAY);
        }
    }
    EXPECT_EQ(gameState, GAME_STATE_GAME_OVER);
    game.Frame();
    EXPECT_EQ(game.Draws().DrawsOf(gameOverImg).size(), 1u) << "the game-over screen shows";

    // With no life left, enemies pass over the ship and struck ones never burst.
    game.Audio().ClearCalls();
    auto passer = mover(400, 300);
    auto struck = mover(600, 200);
    tPlayer::ini(600, 200, 0, 0, 1);
    game.RunFrames(60);
    EXPECT_EQ(life, 0);
    EXPECT_TRUE(enemyList->contains(passer));
    EXPECT_TRUE(enemyList->contains(struck));
    EXPECT_EQ(struck->active, 1);
    EXPECT_LT(struck->timer, -40);
    EXPECT_EQ(plays(explodeSnd), 0);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(bestChain, 0);
    EXPECT_EQ(game.Draws().DrawsOf(pointerImg).size(), 1u) << "the marker stays on";
}

TEST_F(Enemies, ShipHitFlashesDrawTheirYOffsetBeforeTheirX) {
    life = START_LIFE;
    tEnemyMove::ini(400, 300, 0, 0, 0);
    SeedRandom(31337);
    game.Frame();
    SeedRandom(31337);
    const auto borders = [] {
        std::vector<std::shared_ptr<tborderExplosion>> out;
        for (const auto& fx : fxList->items()) {
            if (auto b = std::dynamic_pointer_cast<tborderExplosion>(fx)) out.push_back(b);
        }
        return out;
    }();
    ASSERT_EQ(borders.size(), 5u);
    for (int i = 0; i < 4; ++i) {
        const int dy = RandomInt(1, 60);
        const int dx = RandomInt(1, 60);
        EXPECT_EQ(borders[i]->x, 370 + dx) << i;
        EXPECT_EQ(borders[i]->y, 270 + dy) << i;
    }
    // The last ring marks the enemy itself.
    EXPECT_EQ(borders[4]->x, 400);
    EXPECT_EQ(borders[4]->y, 300);
}

TEST_F(Enemies, ControllersFaceThePointerAndMoversKeepTheirFacing) {
    struct Case {
        int px, py;
    };
    const Case cases[] = {{700, 200}, {600, 300}, {500, 200}, {600, 100},
                          {700, 300}, {500, 100}, {123, 456}, {610, 199}};
    auto control = controller(600, 200);
    auto move = mover(200, 200, 135);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.px << "," << c.py);
        game.MovePointer(c.px, c.py);
        game.Frame();
        const double expected = std::atan2(c.py - 200.0, c.px - 600.0) * 180.0 / std::numbers::pi;
        EXPECT_NEAR(control->rotation, expected, 1e-3);
        EXPECT_EQ(move->rotation, 135);
        const auto draws = game.Draws().DrawsOf(enemyControlImg);
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_NEAR(draws[0].rotation, expected, 1e-3);
    }
}

TEST_F(Enemies, OnlyThePointerInTheBurstFrameSteersAControllersBall) {
    auto e = controller(600, 200);
    e->active = 1;
    e->timer = 3;
    e->enemycombo = 3;
    game.MovePointer(700, 200);
    game.Frame();
    game.MovePointer(500, 200);
    game.Frame();
    game.MovePointer(600, 450);  // straight down, in the burst frame
    game.Frame();
    EXPECT_FALSE(enemyList->contains(e));
    ASSERT_EQ(shotList->size(), 1u);
    const auto ball = shotList->first();
    EXPECT_NEAR(ball->speedx, 0, 1e-4);
    EXPECT_NEAR(ball->speedy, 20, 1e-4);
    EXPECT_EQ(ball->combo, 4);
    EXPECT_EQ(score, 9);
    EXPECT_EQ(bestChain, 3);
    EXPECT_EQ(textsContaining("CHAIN"), std::vector<std::string>{"3 CHAIN"});
}

TEST_F(Enemies, LeavingTheFieldDependsOnActivation) {
    struct Case {
        float x, y;
        int active;
        bool stays;
    };
    const Case cases[] = {
        {-29, 300, 1, true},   {-31, 300, 1, false}, {-31, 300, 0, true},   {831, 300, 1, false},
        {600, 631, 1, false},  {600, -31, 1, false}, {-199, 300, 0, true},  {-201, 300, 0, false},
        {1001, 300, 0, false}, {600, 801, 0, false}, {600, -201, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " active " << c.active);
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        auto e = mover(c.x, c.y);
        e->active = c.active;
        e->timer = 100;
        e->checkIfInScreen();
        EXPECT_EQ(enemyList->contains(e), c.stays);
    }
}

TEST_F(Enemies, ARemovedEnemyStillDrawsAndBurstsInThatFrame) {
    auto e = mover(1001, 300);
    e->active = 1;
    e->timer = 1;
    e->enemycombo = 2;
    game.Frame();
    EXPECT_FALSE(enemyList->contains(e));
    EXPECT_EQ(game.Draws().DrawsOf(enemyMoveImg).size(), 1u);
    EXPECT_EQ(score, 4);
    EXPECT_EQ(bestChain, 2);
    ASSERT_EQ(shotList->size(), 1u);
    game.Frame();
    EXPECT_TRUE(shotList->empty()) << "a ball born outside the box lives one update";
}

TEST_F(Enemies, AControllerRightUnderThePointerFiresABallThatVanishes) {
    auto e = controller(600, 200);
    e->active = 1;
    e->timer = 1;
    game.MovePointer(600, 200);
    game.Frame();
    EXPECT_TRUE(std::isnan(e->rotation));
    ASSERT_EQ(shotList->size(), 1u);
    EXPECT_TRUE(std::isnan(shotList->first()->speedx));
    game.Frame();
    EXPECT_TRUE(shotList->empty());
    const auto balls = game.Draws().DrawsOf(playerImg);
    ASSERT_FALSE(balls.empty()) << "drawn once at its birth place before it goes";
}

TEST_F(Enemies, TheBurstFrameAimsAfterTheFirstStepAndDrawsAndFiresAfterTheSecond) {
    // A struck enemy moving 3 px per step, bursting in this frame, with the pointer straight
    // below its position after the first step: a controller faces 90 there (from its final
    // position it would face about 91.7), a mover keeps its own facing.
    struct Case {
        std::string kind;
        std::shared_ptr<tEnemy> (*make)();
        float rotation;
    };
    const Case cases[] = {
        {"control", [] { return std::shared_ptr<tEnemy>(tEnemyControl::ini(600, 200, 3, 0)); }, 90},
        {"move", [] { return std::shared_ptr<tEnemy>(tEnemyMove::ini(600, 200, 3, 0, 45)); }, 45},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        shotList = std::make_shared<tEntityList<tPlayer>>();
        bgBrightness = bgTargetBrightness = 155;  // sprite grey 100
        game.MovePointer(603, 300);
        auto e = c.make();
        e->alpha = 1;
        e->active = 1;
        e->timer = 1;
        e->enemycombo = 2;
        game.Frame();

        EXPECT_FLOAT_EQ(e->rotation, c.rotation);
        ASSERT_EQ(shotList->size(), 1u);
        const auto ball = shotList->first();
        EXPECT_EQ(ball->x, 606);
        EXPECT_EQ(ball->y, 200);
        EXPECT_NEAR(ball->speedx, SHOT_SPEED * std::cos(c.rotation * std::numbers::pi / 180), 1e-4);
        EXPECT_NEAR(ball->speedy, SHOT_SPEED * std::sin(c.rotation * std::numbers::pi / 180), 1e-4);
        EXPECT_EQ(ball->combo, 3);

        // The marker in the grey of the frame at half opacity, then the enemy itself in
        // white at its own opacity, both centred on it and turned by its facing.
        struct Drawn {
            std::vector<TRecordedCall> draws;
            float alpha;
            int grey;
        };
        const Drawn drawn[] = {{game.Draws().DrawsOf(pointerImg), 0.5f, 100},
                               {game.Draws().DrawsOf(e->image), 1, 255}};
        for (const auto& d : drawn) {
            ASSERT_EQ(d.draws.size(), 1u);
            const auto& call = d.draws[0];
            EXPECT_EQ(call.alpha, d.alpha);
            EXPECT_EQ(call.red, d.grey);
            EXPECT_EQ(call.green, d.grey);
            EXPECT_EQ(call.blue, d.grey);
            EXPECT_FLOAT_EQ(call.rotation, c.rotation);
            EXPECT_EQ(call.scale_x, 1);
            EXPECT_EQ(call.scale_y, 1);
            ASSERT_EQ(call.screen.size(), 8u);
            EXPECT_NEAR((call.screen[0] + call.screen[2] + call.screen[4] + call.screen[6]) / 4,
                        606, 1e-3);
            EXPECT_NEAR((call.screen[1] + call.screen[3] + call.screen[5] + call.screen[7]) / 4,
                        200, 1e-3);
        }
    }
}

}  // namespace
