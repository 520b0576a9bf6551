// The turret at the centre and the balls it fires: aiming at the pointer, firing on a left
// press, and each ball's flight with its trail until it leaves the field.
#include "engine/audio/audio.h"
#include "engine/graphics/render.h"
#include "engine/system/input.h"
#include "engine/system/maths.h"
#include "game/draw_helpers.h"
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"

std::shared_ptr<tPlayer> tPlayer::ini(float x, float y, float speedx, float speedy, float combo) {
    auto ball = std::make_shared<tPlayer>();
    ball->image = playerImg;
    ball->x = x;
    ball->y = y;
    ball->speedx = speedx;
    ball->speedy = speedy;
    ball->combo = combo;
    if (shotList) shotList->append(ball);
    return ball;
}

namespace {

// A ball leaves the field this far beyond the left and top edges, and as far beyond the
// right and bottom ones: the bounds are the window's moved by this much, not widened.
constexpr int kEdge = 10;

}  // namespace

void tPlayer::update() {
    tballfx::ini(x, y);

    const int g = TruncateToInt(spriteGrey);
    setDrawStateRGB(1, 1, 0, 1, g, g, g);
    DrawImage(image, x, y, 0);

    x += speedx;
    y += speedy;

    // Written as "not inside" so that a ball with a non-numeric coordinate also leaves.
    const bool inside =
        x >= kEdge && x <= FIELD_WIDTH + kEdge && y >= kEdge && y <= FIELD_HEIGHT + kEdge;
    if (!inside && shotList) shotList->remove(this);
}

void updateBase() {
    // No clamp: the fade stops at the first value not below 1.
    if (baseAlpha < 1) baseAlpha += 0.05f;

    const auto px = static_cast<float>(MousePosX());
    const auto py = static_cast<float>(MousePosY());
    aimDistance = pointDistance(px, baseX, py, baseY);
    aimAngle = static_cast<float>(ACosDeg((px - baseX) / aimDistance));
    if (py < baseY) aimAngle = -aimAngle;

    setDrawStateRGB(1, 1, 0, baseAlpha, 255, 255, 255);
    DrawImage(baseImg, baseX, baseY, 0);
    if (life > 0) {
        setDrawStateRGB(1, 1, aimAngle, baseAlpha, 255, 255, 255);
        DrawImage(playerShipImg, baseX, baseY, 0);
    }

    if (TakeMouseHits(MOUSE_LEFT) != 0) {
        PlaySound(shootSnd, nullptr);
        tPlayer::ini(baseX, baseY, static_cast<float>(CosDeg(aimAngle) * shotSpeed),
                     static_cast<float>(SinDeg(aimAngle) * shotSpeed), 0);
    }

    if (shotList) shotList->forEach([](const std::shared_ptr<tPlayer>& ball) { ball->update(); });

    checkGameOver();
}

void checkGameOver() {
    if (life < 1) gameState = GAME_STATE_GAME_OVER;
}
