// The state fingerprint: it must follow every gameplay detail it claims to cover, down to the
// last bit of a float, and tell apart states that hold the same numbers in other places.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/system/random.h"
#include "game/entities.h"
#include "game/globals.h"
#include "tools/replay/state_hash.h"

namespace {

TEST(StateHasher, IsFnv1a64AndOrderSensitive) {
    TStateHasher empty;
    EXPECT_EQ(empty.Value(), 0xcbf29ce484222325ULL);
    TStateHasher a;
    a.Bytes("a", 1);
    EXPECT_EQ(a.Value(), 0xaf63dc4c8601ec8cULL);  // the published FNV-1a test vector
    EXPECT_EQ(HashToHex(a.Value()), "af63dc4c8601ec8c");
    EXPECT_EQ(HashToHex(1), "0000000000000001");

    TStateHasher ab, ba;
    ab.Int(1);
    ab.Int(2);
    ba.Int(2);
    ba.Int(1);
    EXPECT_NE(ab.Value(), ba.Value());
    // Lengths go in with texts, so "ab"+"c" is not "a"+"bc".
    TStateHasher t1, t2;
    t1.Text("ab");
    t1.Text("c");
    t2.Text("a");
    t2.Text("bc");
    EXPECT_NE(t1.Value(), t2.Value());
}

TEST(StateHasher, FloatsHashByTheirBits) {
    TStateHasher zero, negativeZero, next;
    zero.Float(0.0f);
    negativeZero.Float(-0.0f);
    next.Float(std::nextafter(0.0f, 1.0f));
    EXPECT_NE(zero.Value(), negativeZero.Value());
    EXPECT_NE(zero.Value(), next.Value());
}

// Fresh globals with one of each entity, put back afterwards.
class GameStateHash : public ::testing::Test {
  protected:
    void SetUp() override {
        restoreStartGlobals();
        gameState = GAME_STATE_PLAY;
        life = 50;
        enemyList = std::make_shared<tEntityList<tEnemy>>();
        shotList = std::make_shared<tEntityList<tPlayer>>();
        fxList = std::make_shared<tEntityList<tFX>>();
        bgfxList = std::make_shared<tEntityList<tbgFX>>();
        enemy = std::make_shared<tEnemy>();
        enemy->x = 100;
        enemy->name = "enemyMove";
        enemyList->append(enemy);
        shot = std::make_shared<tPlayer>();
        shot->combo = 2;
        shotList->append(shot);
        ring = std::make_shared<tborderExplosion>();
        fxList->append(ring);
        blob = std::make_shared<tbgFX>();
        bgfxList->append(blob);
    }
    void TearDown() override { restoreStartGlobals(); }

    std::shared_ptr<tEnemy> enemy;
    std::shared_ptr<tPlayer> shot;
    std::shared_ptr<tborderExplosion> ring;
    std::shared_ptr<tbgFX> blob;
};

TEST_F(GameStateHash, IsStableAndFollowsEveryGlobalAndEntityField) {
    const std::uint64_t base = HashGameState();
    EXPECT_EQ(HashGameState(), base);

    // Whether setting `field` to `value` moves the hash; the field is put back.
    auto changes = [&](auto& field, auto value) {
        const auto saved = field;
        field = value;
        const bool moved = HashGameState() != base;
        field = saved;
        return moved;
    };
    EXPECT_TRUE(changes(gameState, GAME_STATE_END));
    EXPECT_TRUE(changes(score, std::int64_t{1}));
    EXPECT_TRUE(changes(bestChain, 1));
    EXPECT_TRUE(changes(life, 40));
    EXPECT_TRUE(changes(playTime, 1));
    EXPECT_TRUE(changes(waveStep, 1));
    EXPECT_TRUE(changes(aimAngle, 0.5f));
    EXPECT_TRUE(changes(bgBrightness, 1.0f));
    EXPECT_TRUE(changes(enemy->x, std::nextafter(100.0f, 200.0f)));
    EXPECT_TRUE(changes(enemy->active, 1));
    EXPECT_TRUE(changes(enemy->timer, 3));
    EXPECT_TRUE(changes(enemy->enemycombo, 1.0f));
    EXPECT_TRUE(changes(enemy->name, std::string("enemyControl")));
    EXPECT_TRUE(changes(shot->combo, 3.0f));
    EXPECT_TRUE(changes(shot->fxtime, 1));
    EXPECT_TRUE(changes(ring->scale, 2.0f));
    EXPECT_TRUE(changes(blob->state, 2));
    EXPECT_TRUE(changes(blob->red, 9));

    const int seed = RandomSeed();
    RandomFloat();
    EXPECT_NE(HashGameState(), base);
    SeedRandom(seed);
    EXPECT_EQ(HashGameState(), base);
}

TEST_F(GameStateHash, TellsListsKindsAndOrderApart) {
    const std::uint64_t base = HashGameState();

    // The same numbers in an effect of another kind.
    fxList->remove(ring);
    fxList->append(std::make_shared<tExplosion>());
    const std::uint64_t otherKind = HashGameState();
    EXPECT_NE(otherKind, base);

    // Two enemies swapped in list order.
    auto second = std::make_shared<tEnemy>();
    second->x = 300;
    enemyList->append(second);
    const std::uint64_t ordered = HashGameState();
    enemyList->remove(enemy);
    enemyList->append(enemy);
    EXPECT_NE(HashGameState(), ordered);

    // An empty list is not a missing one.
    fxList = std::make_shared<tEntityList<tFX>>();
    const std::uint64_t emptyFx = HashGameState();
    fxList.reset();
    EXPECT_NE(HashGameState(), emptyFx);
}

}  // namespace
