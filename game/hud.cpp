// HUD drawing. Life only takes the values 50, 40, ... 0, so the bar colour is a lookup by
// those steps; anything else keeps the track's black.
#include "game/hud.h"

#include "engine/graphics/image.h"
#include "engine/graphics/render.h"
#include "engine/graphics/text.h"
#include "engine/system/maths.h"
#include "game/draw_helpers.h"
#include "game/globals.h"
#include "game/rules.h"

namespace {

constexpr float kBarLeft = 560;
constexpr float kBarY = 584;

void setLifeBarColour() {
    switch (life) {
        case 50:
        case 40:
        case 30:
            SetColor(0, 200, 255);
            break;
        case 20:
            SetColor(255, 100, 0);
            break;
        case 10:
            SetColor(255, 0, 0);
            break;
        default:
            break;
    }
}

}  // namespace

void drawHud() {
    setDrawStateRGB(1, 1, 0, 1, 255, 255, 255);
    DrawImage(displayImg, FIELD_CENTRE_X, 584, 0);

    SetAlpha(0.5f);
    SetColor(0, 0, 0);
    SetLineWidth(12);
    DrawLine(kBarLeft, kBarY, 760, kBarY, 1);

    setLifeBarColour();
    SetAlpha(1);
    SetLineWidth(10);
    const int barEnd = 560 + life * 4;
    DrawLine(kBarLeft, kBarY, static_cast<float>(barEnd), kBarY, 1);

    setDrawStateRGB(2, 2, 0, 0.8f, 255, 255, 255);
    DrawText(LongToString(score), 110, 570);
    DrawText(IntToString(bestChain), FIELD_CENTRE_X, 570);
}
