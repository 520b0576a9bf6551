// The three enemy kinds: each only chooses its start values, image, countdown and name.
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"

namespace {

template <class Kind>
std::shared_ptr<Kind> makeEnemy(const std::shared_ptr<TImage>& image, const char* name, int timer) {
    auto enemy = std::make_shared<Kind>();
    enemy->image = image;
    enemy->name = name;
    enemy->timer = timer;
    return enemy;
}

template <class Kind>
std::shared_ptr<Kind> enlist(std::shared_ptr<Kind> enemy) {
    if (enemyList) enemyList->append(enemy);
    return enemy;
}

}  // namespace

std::shared_ptr<tEnemyControl> tEnemyControl::ini(float x, float y, float speedX, float speedY) {
    auto enemy = makeEnemy<tEnemyControl>(enemyControlImg, "control", CONTROL_COUNTDOWN);
    enemy->x = x;
    enemy->y = y;
    enemy->speedX = speedX;
    enemy->speedY = speedY;
    enemy->rotation = 0;
    enemy->speedRotation = 0;
    return enlist(std::move(enemy));
}

std::shared_ptr<tEnemyControlTrace> tEnemyControlTrace::ini(float x, float y) {
    auto enemy =
        makeEnemy<tEnemyControlTrace>(enemyControlTraceImg, "controltrace", CONTROL_COUNTDOWN);
    enemy->x = x;
    enemy->y = y;
    enemy->rotation = 0;
    enemy->speedRotation = 0;
    return enlist(std::move(enemy));
}

std::shared_ptr<tEnemyMove> tEnemyMove::ini(float x, float y, float speedX, float speedY,
                                            float rotation) {
    auto enemy = makeEnemy<tEnemyMove>(enemyMoveImg, "move", MOVE_COUNTDOWN);
    enemy->x = x;
    enemy->y = y;
    enemy->speedX = speedX;
    enemy->speedY = speedY;
    enemy->rotation = rotation;
    enemy->speedRotation = 0;
    return enlist(std::move(enemy));
}
