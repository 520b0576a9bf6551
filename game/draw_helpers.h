// The two calls every game drawing goes through to set its render state, and the game's
// distance function.
#pragma once

// Sets scale, rotation and alpha in one call.
void setDrawState(float scaleX, float scaleY, float rotation, float alpha);
// The same, then the colour.
void setDrawStateRGB(float scaleX, float scaleY, float rotation, float alpha, int red, int green,
                     int blue);
// Distance between (x1, y1) and (x2, y2); note both x values come first.
float pointDistance(float x1, float x2, float y1, float y2);
