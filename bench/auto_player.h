// The benchmarks' automatic player: it keeps shooting so chains keep going, the way a busy
// game goes, and it plays every game alike.
#pragma once

#include <cmath>

#include "engine/system/event.h"
#include "game/entities.h"
#include "game/globals.h"
#include "tools/headless/harness.h"

// Aims at the nearest idle enemy that can be struck and fires every 12 frames.
inline void AutoPlay(TGameHarness& game) {
    const tEnemy* target = nullptr;
    float best = 1e9f;
    if (enemyList) {
        for (const auto& e : enemyList->items()) {
            if (e->active != 0 || e->alpha <= 0.9f) continue;
            if (e->x <= 20 || e->x >= 800 || e->y <= 20 || e->y >= 580) continue;
            const float d = std::hypot(e->x - 400, e->y - 300);
            if (d < best) {
                best = d;
                target = e.get();
            }
        }
    }
    if (target) game.MovePointer(static_cast<int>(target->x), static_cast<int>(target->y));
    if (target && game.Frames() % 12 == 0) game.Click(MOUSE_LEFT);
}
