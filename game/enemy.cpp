// What every enemy does each frame: fade in and move, leave the field, draw itself with its
// aiming marker, absorb a ball or ram the ship, and count down to the burst that fires the
// next ball of a chain and scores it.
#include "engine/audio/audio.h"
#include "engine/graphics/collision.h"
#include "engine/graphics/render.h"
#include "engine/system/input.h"
#include "engine/system/maths.h"
#include "engine/system/random.h"
#include "game/draw_helpers.h"
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"

namespace {

// An activated enemy is removed once it is more than kActiveMargin outside the window, any
// enemy once it is more than kFarMargin outside.
constexpr int kActiveMargin = 30;
constexpr int kFarMargin = 200;
// A ball strikes an idle enemy only inside the window moved this far right and down.
constexpr int kStrikeOffset = 20;
// Half the turret ship's size: the flashes scatter over its square.
constexpr int kShipHalf = 30;

void removeEnemy(const tEnemy* enemy) {
    if (enemyList) enemyList->remove(enemy);
}

// A handful of flashes scattered over the ship. The y offset is drawn before the x offset.
void scatterOverShip(int count) {
    for (int i = 0; i < count; ++i) {
        const int dy = RandomInt(1, 60);
        const int dx = RandomInt(1, 60);
        tborderExplosion::ini(static_cast<float>(FIELD_CENTRE_X - kShipHalf + dx),
                              static_cast<float>(FIELD_CENTRE_Y - kShipHalf + dy));
    }
}

void spray(float x, float y, int count) {
    for (int i = 0; i < count; ++i) tExplosion::ini(x, y);
}

}  // namespace

void tEnemy::animate() {
    if (alpha < 1) alpha += 0.05f;
    rotation += speedRotation;
    x += speedX;
    y += speedY;
    if (name == "control") {
        const auto px = static_cast<float>(MousePosX());
        const auto py = static_cast<float>(MousePosY());
        const float d = pointDistance(px, x, py, y);
        rotation = static_cast<float>(ACosDeg((px - x) / d));
        if (py < y) rotation = -rotation;
    }
}

void tEnemy::checkIfInScreen() {
    if (active == 1 && (x < -kActiveMargin || x > FIELD_WIDTH + kActiveMargin ||
                        y < -kActiveMargin || y > FIELD_HEIGHT + kActiveMargin)) {
        removeEnemy(this);
    }
    if (x < -kFarMargin || x > FIELD_WIDTH + kFarMargin || y < -kFarMargin ||
        y > FIELD_HEIGHT + kFarMargin) {
        removeEnemy(this);
    }
}

void tEnemy::draw() {
    x += speedX;
    y += speedY;
    if (active == 1) {
        const int g = TruncateToInt(spriteGrey);
        setDrawStateRGB(1, 1, rotation, 0.5f, g, g, g);
        DrawImage(pointerImg, x, y, 0);
    }
    setDrawStateRGB(1, 1, rotation, alpha, 255, 255, 255);
    DrawImage(image, x, y, 0);
}

void tEnemy::checkCollision() {
    // Both tests run under the render state that draw() left: this enemy's scale and rotation.
    if (shotList) {
        shotList->forEach([this](const std::shared_ptr<tPlayer>& ball) {
            if (active == 0 && x > kStrikeOffset && x < FIELD_WIDTH + kStrikeOffset &&
                y > kStrikeOffset && y < FIELD_HEIGHT + kStrikeOffset && alpha > 0.9f &&
                ImagesCollide(image, TruncateToInt(x), TruncateToInt(y), 0, ball->image,
                              TruncateToInt(ball->x), TruncateToInt(ball->y), 0) != 0) {
                enemycombo = ball->combo;
                shotList->remove(ball);
                active = 1;
            }
        });
    }

    if (ImagesCollide(image, TruncateToInt(x), TruncateToInt(y), 0, playerShipImg, FIELD_CENTRE_X,
                      FIELD_CENTRE_Y, 0) != 0 &&
        life > 0) {
        life -= HIT_DAMAGE;
        PlaySound(explodeSnd, nullptr);
        scatterOverShip(4);
        spray(x, y, 21);
        if (life < 0) life = 0;
        if (life == 0) {
            PlaySound(playerExplodeSnd, nullptr);
            scatterOverShip(9);
            spray(x, y, 31);
        }
        removeEnemy(this);
        tborderExplosion::ini(x, y);
    }
}

void tEnemy::shootPlayer() {
    if (active == 1) timer -= 1;
    if (timer < 1 && life > 0) {
        PlaySound(explodeSnd, nullptr);
        active = 0;
        tPlayer::ini(x, y, static_cast<float>(CosDeg(rotation) * shotSpeed),
                     static_cast<float>(SinDeg(rotation) * shotSpeed), enemycombo + 1);
        removeEnemy(this);
        tborderExplosion::ini(x, y);
        if (enemycombo > 0) tchainfx::ini(x, y, TruncateToInt(enemycombo));
        if (life > 0) {
            score = TruncateToLong(DoubleFromLong(score) +
                                   static_cast<double>(enemycombo * enemycombo));
        }
        if (enemycombo > static_cast<float>(bestChain)) bestChain = TruncateToInt(enemycombo);
        spray(x, y, 11);
    }
}
