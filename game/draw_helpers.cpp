// Render-state shorthands shared by every game drawing, and the distance helper.
#include "game/draw_helpers.h"

#include "engine/graphics/render.h"
#include "engine/system/maths.h"

void setDrawState(float scaleX, float scaleY, float rotation, float alpha) {
    SetScale(scaleX, scaleY);
    SetRotation(rotation);
    SetAlpha(alpha);
}

void setDrawStateRGB(float scaleX, float scaleY, float rotation, float alpha, int red, int green,
                     int blue) {
    setDrawState(scaleX, scaleY, rotation, alpha);
    SetColor(red, green, blue);
}

float pointDistance(float x1, float x2, float y1, float y2) {
    // The differences are single precision like the coordinates; squares and root in double.
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    return static_cast<float>(SquareRoot(dx * dx + dy * dy));
}
