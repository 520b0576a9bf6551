// Decorations with no influence on play: burst rings, ball trails, chain labels, particles,
// and the wandering blobs of light behind the background mask. Each draws itself in the
// frame's sprite grey in its own update and, except the blobs, removes itself when faded.
#include "engine/graphics/render.h"
#include "engine/graphics/text.h"
#include "engine/system/maths.h"
#include "engine/system/random.h"
#include "game/draw_helpers.h"
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"

namespace {

int frameGrey() {
    return TruncateToInt(spriteGrey);
}

template <class Kind>
std::shared_ptr<Kind> enlistFx(std::shared_ptr<Kind> fx) {
    if (fxList) fxList->append(fx);
    return fx;
}

void removeFx(const tFX* fx) {
    if (fxList) fxList->remove(fx);
}

// A uniform real in [0, bound) shifted down by `shift`, stored as the game's float.
float randomOffset(double bound, double shift) {
    return static_cast<float>(RandomReal(bound, 0) - shift);
}

}  // namespace

std::shared_ptr<tborderExplosion> tborderExplosion::ini(float x, float y) {
    auto fx = std::make_shared<tborderExplosion>();
    fx->x = x;
    fx->y = y;
    return enlistFx(std::move(fx));
}

void tborderExplosion::update() {
    alpha -= 0.1f;
    scale += 0.3f;
    const int g = frameGrey();
    setDrawStateRGB(scale, scale, 0, alpha, g, g, g);
    DrawImage(borderExplosionImg, x, y, 0);
    if (alpha < 0.1f) removeFx(this);
}

std::shared_ptr<tballfx> tballfx::ini(float x, float y) {
    auto fx = std::make_shared<tballfx>();
    fx->speedx = randomOffset(4, 2);
    fx->speedy = randomOffset(4, 2);
    fx->x = x;
    fx->y = y;
    return enlistFx(std::move(fx));
}

void tballfx::update() {
    const int g = frameGrey();
    setDrawStateRGB(scale, scale, 0, alpha, g, g, g);
    DrawImage(playerImg, x, y, 0);
    alpha -= 0.01f;
    scale -= minus;
    if (scale < 0.01f) removeFx(this);
    x += speedx;
    y += speedy;
}

std::shared_ptr<tchainfx> tchainfx::ini(float x, float y, int chain) {
    auto fx = std::make_shared<tchainfx>();
    fx->x = x;
    fx->y = y;
    fx->chain = chain;
    return enlistFx(std::move(fx));
}

void tchainfx::update() {
    const int g = frameGrey();
    setDrawStateRGB(scale, scale, 0, alpha, g, g, g);
    DrawText(IntToString(chain) + " CHAIN", x, y);
    alpha -= 0.02f;
    scale += 0.02f;
    if (alpha < 0) removeFx(this);
}

std::shared_ptr<tExplosion> tExplosion::ini(float x, float y) {
    auto fx = std::make_shared<tExplosion>();
    fx->speedx = static_cast<float>(RandomInt(0, 20) - 10);
    fx->speedy = static_cast<float>(RandomInt(0, 20) - 10);
    fx->x = x;
    fx->y = y;
    return enlistFx(std::move(fx));
}

void tExplosion::update() {
    x += speedx;
    y += speedy;
    const int g = frameGrey();
    setDrawStateRGB(1, 1, 0, alpha, g, g, g);
    DrawOval(x - 5, y - 5, 10, 10);
    alpha -= 0.03f;
    if (alpha < 0.05f) removeFx(this);
}

std::shared_ptr<tbgFX> tbgFX::ini() {
    auto fx = std::make_shared<tbgFX>();
    // Drawn in field order, so a seeded run always places the same blobs.
    fx->x = static_cast<float>(RandomInt(0, FIELD_WIDTH));
    fx->y = static_cast<float>(RandomInt(0, FIELD_HEIGHT));
    fx->scale = static_cast<float>(RandomInt(50, 100));
    fx->alpha = static_cast<float>(RandomReal(1, 0));
    fx->state = 1;
    fx->speedx = randomOffset(10, 5);
    fx->speedy = randomOffset(10, 5);
    fx->red = RandomInt(1, 255);
    fx->green = RandomInt(1, 255);
    fx->blue = RandomInt(1, 255);
    if (bgfxList) bgfxList->append(fx);
    return fx;
}

void tbgFX::update() {
    const int g = frameGrey();
    setDrawStateRGB(scale, scale, 0, alpha, g, g, g);
    DrawImage(bgfxImg, x, y, 0);
    if (state == 1) {
        alpha += 0.02f;
        if (state == 1 && alpha > 1) state = 2;
    }
    if (state == 2) {
        alpha -= 0.02f;
        if (state == 2 && alpha < 0) {
            state = 1;
            x = static_cast<float>(RandomInt(0, FIELD_WIDTH));
            y = static_cast<float>(RandomInt(0, FIELD_HEIGHT));
            speedx = randomOffset(10, 5);
            speedy = randomOffset(10, 5);
        }
    }
    x += speedx;
    y += speedy;
}
