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

namespace {

void removeEnemy(const tEnemy* enemy) {
    if (enemyList) enemyList->remove(enemy);
}

// A handful of flashes scattered over the ship. The y offset is drawn before the x offset.
void scatterOverShip(int count) {
    for (int i = 0; i < count; ++i) {
        const int dy = RandomInt(1, 60);
        const int dx = RandomInt(1, 60);
        tborderExplosion::ini(static_cast<float>(370 + dx), static_cast<float>(270 + dy));
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
    if (active == 1 && (x < -30 || x > 830 || y < -30 || y > 630)) removeEnemy(this);
    if (x < -200 || x > 1000 || y < -200 || y > 800) removeEnemy(this);
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
            if (active == 0 && x > 20 && x < 820 && y > 20 && y < 620 && alpha > 0.9f &&
                ImagesCollide(image, TruncateToInt(x), TruncateToInt(y), 0, ball->image,
                              TruncateToInt(ball->x), TruncateToInt(ball->y), 0) != 0) {
                enemycombo = ball->combo;
                shotList->remove(ball);
                active = 1;
            }
        });
    }

    if (ImagesCollide(image, TruncateToInt(x), TruncateToInt(y), 0, playerShipImg, 400, 300, 0) !=
            0 &&
        life > 0) {
        life -= 10;
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
