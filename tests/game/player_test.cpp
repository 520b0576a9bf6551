// The turret and its balls: aiming, firing, the ball's flight, trail and bounds, the fade-in,
// and what remains of the turret once its life is gone.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/system/event.h"
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"
#include "tests/game/entity_test_support.h"

namespace {

class Balls : public EntityWorld {};

TEST_F(Balls, ABallLeavesOnlyOutsideItsBox) {
    // One update from a start point and speed; the box is 10..810 by 10..610, inclusive.
    struct Case {
        float x, y, sx, sy;
        bool stays;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {15, 300, -5, 0, true},    {15, 300, -6, 0, false},   {805, 300, 5, 0, true},
        {805, 300, 6, 0, false},   {400, 15, 0, -5, true},    {400, 15, 0, -6, false},
        {400, 605, 0, 5, true},    {400, 605, 0, 6, false},   {400, 300, 20, 20, true},
        {900, 300, -20, 0, false}, {400, 300, nan, 0, false}, {400, 300, 0, nan, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " +" << c.sx << "," << c.sy);
        shotList = std::make_shared<tEntityList<tPlayer>>();
        fxList = std::make_shared<tEntityList<tFX>>();
        auto ball = tPlayer::ini(c.x, c.y, c.sx, c.sy, 0);
        shotList->forEach([](const std::shared_ptr<tPlayer>& b) { b->update(); });
        EXPECT_EQ(shotList->contains(ball), c.stays);
        // Whatever happens, one trail puff is left where the ball was before it moved.
        ASSERT_EQ(fxList->size(), 1u);
        const auto puff = std::dynamic_pointer_cast<tballfx>(fxList->first());
        ASSERT_TRUE(puff);
        EXPECT_EQ(puff->x, c.x);
        EXPECT_EQ(puff->y, c.y);
    }
}

class Turret : public EntityGame {
  protected:
    // The one ball fired by a left click with the pointer at (px, py).
    std::shared_ptr<tPlayer> fireAt(int px, int py) {
        shotList = std::make_shared<tEntityList<tPlayer>>();
        game.MovePointer(px, py);
        game.Click(MOUSE_LEFT);
        game.Frame();
        return shotList->first();
    }
};

TEST_F(Turret, AimsAtThePointerAndFiresTowardsIt) {
    struct Case {
        int px, py;
        float angle;
    };
    const Case cases[] = {
        {400, 100, -90}, {400, 500, 90},   {700, 300, 0},   {100, 300, 180},
        {500, 400, 45},  {300, 200, -135}, {401, 299, -45},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.px << "," << c.py);
        const auto ball = fireAt(c.px, c.py);
        EXPECT_NEAR(aimAngle, c.angle, 1e-3);
        EXPECT_NEAR(aimDistance, std::hypot(c.px - FIELD_CENTRE_X, c.py - FIELD_CENTRE_Y), 1e-3);
        ASSERT_TRUE(ball);
        EXPECT_EQ(ball->combo, 0);
        EXPECT_NEAR(ball->speedx, SHOT_SPEED * std::cos(c.angle * std::numbers::pi / 180), 1e-3);
        EXPECT_NEAR(ball->speedy, SHOT_SPEED * std::sin(c.angle * std::numbers::pi / 180), 1e-3);
        // Updated in the frame it was fired: drawn at the centre, then moved once.
        EXPECT_FLOAT_EQ(ball->x, FIELD_CENTRE_X + ball->speedx);
        EXPECT_FLOAT_EQ(ball->y, FIELD_CENTRE_Y + ball->speedy);
        const auto ship = game.Draws().DrawsOf(playerShipImg);
        ASSERT_EQ(ship.size(), 1u);
        EXPECT_NEAR(ship[0].rotation, c.angle, 1e-3);
        const auto drawn = game.Draws().DrawsOf(playerImg);
        ASSERT_GE(drawn.size(), 1u);
    }
}

TEST_F(Turret, SeveralPressesInOneFrameFireOneBall) {
    game.MovePointer(700, 300);
    game.Click(MOUSE_LEFT, 3);
    game.Frame();
    EXPECT_EQ(shotList->size(), 1u);
    EXPECT_EQ(plays(shootSnd), 1);
    game.Frame();
    EXPECT_EQ(shotList->size(), 1u) << "the presses were used up";
}

TEST_F(Turret, FadesInOverTwentyFramesAndFiresMeanwhile) {
    // The title frame that started the game ran no entity pass, so the fade starts here.
    std::vector<float> drawn;
    game.MovePointer(700, 300);
    game.Click(MOUSE_LEFT);
    for (int i = 0; i < 22; ++i) {
        game.Frame();
        const auto base = game.Draws().DrawsOf(baseImg);
        ASSERT_EQ(base.size(), 1u);
        drawn.push_back(base[0].alpha);
    }
    EXPECT_FLOAT_EQ(drawn[0], 0.05f);
    EXPECT_LT(drawn[18], 1.0f);
    EXPECT_GE(drawn[19], 1.0f);
    EXPECT_EQ(drawn[21], drawn[19]) << "no clamp and no further step";
    EXPECT_EQ(plays(shootSnd), 1) << "a click during the fade fires normally";
}

TEST_F(Turret, WithoutLifeTheShipIsGoneButTheTurretStillFires) {
    life = 0;
    game.MovePointer(700, 300);
    game.Click(MOUSE_LEFT);
    game.Frame();
    EXPECT_EQ(gameState, GAME_STATE_GAME_OVER);
    EXPECT_TRUE(game.Draws().DrawsOf(playerShipImg).empty());
    EXPECT_EQ(game.Draws().DrawsOf(baseImg).size(), 1u);
    EXPECT_EQ(shotList->size(), 1u);
    // The game-over screen runs the same pass: left clicks go on firing there.
    game.Frame();
    game.Click(MOUSE_LEFT);
    game.Frame();
    EXPECT_EQ(gameState, GAME_STATE_GAME_OVER);
    EXPECT_EQ(plays(shootSnd), 2);
}

TEST_F(Turret, PointerOnTheCentreFiresABallThatVanishesAtOnce) {
    game.MovePointer(400, 300);
    game.Click(MOUSE_LEFT);
    game.Frame();
    EXPECT_EQ(aimDistance, 0);
    EXPECT_TRUE(std::isnan(aimAngle));
    EXPECT_TRUE(shotList->empty());
    // Drawn once, opaque and centred on the turret, beside its one trail puff.
    std::vector<TRecordedCall> opaque;
    for (const auto& call : game.Draws().DrawsOf(playerImg)) {
        if (call.alpha == 1) opaque.push_back(call);
    }
    ASSERT_EQ(opaque.size(), 1u);
    EXPECT_EQ(opaque[0].screen[0], 390);
    EXPECT_EQ(opaque[0].screen[1], 290);
    EXPECT_EQ(effects<tballfx>(), 1);
}

}  // namespace
