// The entity pass: once per frame of the play, game-over and end screens, the turret and its
// balls act first, then each enemy runs its five operations, then the effects.
#include "game/entities.h"
#include "game/globals.h"

void updateEntities() {
    updateBase();
    if (enemyList) {
        // All five run for one enemy even if an earlier one removed it from the list.
        enemyList->forEach([](const std::shared_ptr<tEnemy>& enemy) {
            enemy->animate();
            enemy->checkIfInScreen();
            enemy->draw();
            enemy->checkCollision();
            enemy->shootPlayer();
        });
    }
    if (fxList) fxList->forEach([](const std::shared_ptr<tFX>& fx) { fx->update(); });
}
