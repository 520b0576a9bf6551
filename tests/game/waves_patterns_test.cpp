// The formations: each pattern's enemies in creation order with kind, position, velocity and
// facing. Expected values are the formation tables; trigonometry of multiples of 90 degrees
// is only exact up to rounding, hence the tolerances.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/entities.h"
#include "game/globals.h"
#include "game/waves.h"

namespace {

struct Expected {
    char kind;  // 'm' mover, 'c' controller
    float x, y, speedX, speedY, rotation;
};

class WavesPatterns : public ::testing::Test {
  protected:
    void SetUp() override { enemyList = std::make_shared<tEntityList<tEnemy>>(); }
    void TearDown() override { restoreStartGlobals(); }

    void expectEnemies(const std::vector<Expected>& expected, const std::string& what) {
        const auto items = enemyList->items();
        ASSERT_EQ(items.size(), expected.size()) << what;
        for (size_t i = 0; i < items.size(); ++i) {
            const tEnemy& e = *items[i];
            const Expected& want = expected[i];
            const std::string where = what + " #" + std::to_string(i + 1);
            if (want.kind == 'm') {
                EXPECT_NE(dynamic_cast<const tEnemyMove*>(&e), nullptr) << where;
                EXPECT_NEAR(e.rotation, want.rotation, 1e-3) << where;
            } else {
                EXPECT_NE(dynamic_cast<const tEnemyControl*>(&e), nullptr) << where;
            }
            EXPECT_NEAR(e.x, want.x, 1e-3) << where;
            EXPECT_NEAR(e.y, want.y, 1e-3) << where;
            EXPECT_NEAR(e.speedX, want.speedX, 1e-6) << where;
            EXPECT_NEAR(e.speedY, want.speedY, 1e-6) << where;
        }
    }
};

std::vector<Expected> row(float x0, float y, float sx, float sy, float rot, int moversFirst) {
    std::vector<Expected> out;
    for (int i = 0; i < 7; ++i) {
        const bool controller = moversFirst ? i == 6 : i == 0;
        out.push_back({controller ? 'c' : 'm', x0 + 40.0f * i, y, sx, sy, controller ? 0 : rot});
    }
    return out;
}

std::vector<Expected> column(float x, float y0, float sx, float rot, int moversFirst) {
    std::vector<Expected> out;
    for (int i = 0; i < 7; ++i) {
        const bool controller = moversFirst ? i == 6 : i == 0;
        out.push_back({controller ? 'c' : 'm', x, y0 + 40.0f * i, sx, 0, controller ? 0 : rot});
    }
    return out;
}

TEST_F(WavesPatterns, RowsAndColumns) {
    struct Case {
        const char* what;
        std::function<void()> spawn;
        std::vector<Expected> expected;
    };
    const std::vector<Case> cases = {
        {"top row", spawnRowTop, row(300, -20, 0, 0.2f, 0, 1)},
        {"bottom row", spawnRowBottom, row(300, 620, 0, -0.2f, 180, 0)},
        {"right column", spawnColumnRight, column(820, 200, -0.3f, 90, 1)},
        {"left column", spawnColumnLeft, column(-20, 200, 0.3f, -90, 0)},
    };
    for (const Case& c : cases) {
        SetUp();
        c.spawn();
        expectEnemies(c.expected, c.what);
    }
}

TEST_F(WavesPatterns, CornersFormAnLDriftingToTheCentre) {
    struct Case {
        int corner;
        float sx, sy;
        float pts[7][3];  // x, y, rotation (the last one is the controller)
    };
    const std::vector<Case> cases = {
        {1,
         0.4f,
         0.3f,
         {{0, 0, 90},
          {0, 40, 90},
          {0, 80, 90},
          {0, 120, 180},
          {-40, 120, 180},
          {-80, 120, 180},
          {-120, 120, 0}}},
        {2,
         0.4f,
         -0.3f,
         {{0, 600, 0},
          {40, 600, 0},
          {80, 600, 0},
          {120, 600, 90},
          {120, 640, 90},
          {120, 680, 90},
          {120, 720, 0}}},
        {3,
         -0.4f,
         -0.3f,
         {{800, 600, 270},
          {800, 560, 270},
          {800, 520, 270},
          {800, 480, 360},
          {840, 480, 360},
          {880, 480, 360},
          {920, 480, 0}}},
        {4,
         -0.4f,
         0.3f,
         {{800, 0, 180},
          {760, 0, 180},
          {720, 0, 180},
          {680, 0, 270},
          {680, -40, 270},
          {680, -80, 270},
          {680, -120, 0}}},
    };
    for (const Case& c : cases) {
        SetUp();
        spawnCorner(c.corner);
        std::vector<Expected> expected;
        for (int i = 0; i < 7; ++i) {
            expected.push_back(
                {i < 6 ? 'm' : 'c', c.pts[i][0], c.pts[i][1], c.sx, c.sy, c.pts[i][2]});
        }
        expectEnemies(expected, "corner " + std::to_string(c.corner));
    }
}

TEST_F(WavesPatterns, CornerOutsideOneToFourCreatesNothing) {
    for (int c : {0, 5, -1}) {
        spawnCorner(c);
        EXPECT_EQ(enemyList->size(), 0u) << c;
    }
}

TEST_F(WavesPatterns, SpiralTurnsAtItsCorners) {
    const float pts[16][3] = {
        {0, 0, 180},      {-40, 0, 180},    {-80, 0, 180},     {-120, 0, 270},
        {-120, -40, 270}, {-120, -80, 270}, {-120, -120, 360}, {-80, -120, 360},
        {-40, -120, 360}, {0, -120, 450},   {0, -80, 450},     {0, -40, 540},
        {-40, -40, 540},  {-80, -40, 630},  {-80, -80, 720},   {-40, -80, 0},
    };
    spawnSpiral();
    std::vector<Expected> expected;
    for (int i = 0; i < 16; ++i) {
        expected.push_back({i < 15 ? 'm' : 'c', pts[i][0], pts[i][1], 0.4f, 0.3f, pts[i][2]});
    }
    expectEnemies(expected, "spiral");
}

TEST_F(WavesPatterns, RingsCloseInOnTheCentre) {
    for (float R : {300.0f, 200.0f}) {
        SetUp();
        spawnRing(R);
        const auto items = enemyList->items();
        ASSERT_EQ(items.size(), 18u);
        std::vector<int> rotations;
        for (int i = 0; i < 16; ++i) {
            const tEnemy& e = *items[i];
            ASSERT_NE(dynamic_cast<const tEnemyMove*>(&e), nullptr);
            EXPECT_NEAR(std::hypot(e.x - 400, e.y - 300), R, 1e-3);
            EXPECT_NEAR(std::hypot(e.speedX, e.speedY), 0.2, 1e-6);
            // velocity points at the centre
            EXPECT_NEAR(e.speedX * (e.y - 300) - e.speedY * (e.x - 400), 0, 1e-3);
            EXPECT_LT(e.speedX * (e.x - 400) + e.speedY * (e.y - 300), 0);
            rotations.push_back(static_cast<int>(std::lround(e.rotation)));
        }
        std::vector<int> expectedRotations;
        for (int a = 20; a < 360; a += 20) {
            if (a != 180) expectedRotations.push_back(a + 90);
        }
        EXPECT_EQ(rotations, expectedRotations);
        const tEnemy& right = *items[16];
        const tEnemy& left = *items[17];
        ASSERT_NE(dynamic_cast<const tEnemyControl*>(&right), nullptr);
        ASSERT_NE(dynamic_cast<const tEnemyControl*>(&left), nullptr);
        EXPECT_NEAR(right.x, 400 + R, 1e-3);
        EXPECT_NEAR(right.y, 300, 1e-3);
        EXPECT_NEAR(right.speedX, -0.2, 1e-6);
        EXPECT_NEAR(right.speedY, 0, 1e-6);
        EXPECT_NEAR(left.x, 400 - R, 1e-3);
        EXPECT_NEAR(left.y, 300, 1e-3);
        EXPECT_NEAR(left.speedX, 0.2, 1e-6);
        EXPECT_NEAR(left.speedY, 0, 1e-6);
    }
    // The first mover of the wide ring, as the formation table gives it.
    SetUp();
    spawnRing(300);
    const tEnemy& first = *enemyList->first();
    EXPECT_NEAR(first.x, 681.9, 0.05);
    EXPECT_NEAR(first.y, 402.6, 0.05);
    EXPECT_NEAR(first.speedX, -0.188, 0.0005);
    EXPECT_NEAR(first.speedY, -0.068, 0.0005);
    EXPECT_NEAR(first.rotation, 110, 1e-4);
}

// The ring's movers are computed in double and stored once as float: a float 0.2 would put the
// speed of the movers at 40, 140, 220 and 320 degrees one float step off.
TEST_F(WavesPatterns, RingMoversStartExactlyWhereTheDoubleArithmeticPutsThem) {
    spawnRing(300);
    const tEnemy& second = *enemyList->items()[1];  // a = 40
    EXPECT_EQ(second.x, 629.8133544921875f);
    EXPECT_EQ(second.y, 492.83627319335938f);
    EXPECT_EQ(second.speedX, -0.15320888161659241f);
    EXPECT_EQ(second.speedY, -0.12855751812458038f);
    EXPECT_EQ(second.rotation, 130);
}

TEST_F(WavesPatterns, FiveControllersAimAtTheCentre) {
    struct Case {
        const char* what;
        void (*spawn)();
        float f;
        float pts[5][2];
    };
    const std::vector<Case> cases = {
        {"slow", spawnControlsSlow, 8, {{100, 0}, {700, 0}, {400, 600}, {0, 500}, {800, 500}}},
        {"fast", spawnControlsFast, 3, {{100, 600}, {700, 600}, {400, 0}, {0, 100}, {800, 100}}},
    };
    for (const Case& c : cases) {
        SetUp();
        c.spawn();
        const auto items = enemyList->items();
        ASSERT_EQ(items.size(), 5u) << c.what;
        for (int i = 0; i < 5; ++i) {
            const tEnemy& e = *items[i];
            EXPECT_NE(dynamic_cast<const tEnemyControl*>(&e), nullptr);
            EXPECT_EQ(e.x, c.pts[i][0]);
            EXPECT_EQ(e.y, c.pts[i][1]);
            const double d = std::hypot(400 - c.pts[i][0], 300 - c.pts[i][1]);
            EXPECT_NEAR(e.speedX, (400 - c.pts[i][0]) / (d * c.f), 1e-6) << c.what << i;
            EXPECT_NEAR(e.speedY, (300 - c.pts[i][1]) / (d * c.f), 1e-6) << c.what << i;
        }
    }
}

TEST_F(WavesPatterns, LanesChooseByLaneBelowTwo) {
    struct Case {
        bool mover;
        int lane;
        Expected expected;
    };
    const std::vector<Case> cases = {
        {false, 1, {'c', 0, 120, 0.7f, 0, 0}},  {false, 0, {'c', 0, 120, 0.7f, 0, 0}},
        {false, 2, {'c', 0, 480, 0.7f, 0, 0}},  {false, 7, {'c', 0, 480, 0.7f, 0, 0}},
        {true, 1, {'m', 800, 250, -2, 0, 135}}, {true, -3, {'m', 800, 250, -2, 0, 135}},
        {true, 2, {'m', 800, 350, -2, 0, -45}}, {true, 3, {'m', 800, 350, -2, 0, -45}},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.mover) {
            spawnLaneMover(c.lane);
        } else {
            spawnLaneControl(c.lane);
        }
        expectEnemies({c.expected}, std::string(c.mover ? "mover lane " : "control lane ") +
                                        std::to_string(c.lane));
    }
}

}  // namespace
