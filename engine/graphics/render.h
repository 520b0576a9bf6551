// The immediate-mode render state and draw calls the game uses. Each setter stores its value
// in the current 2D graphics (so it survives a context change) and forwards it to the current
// 2D driver; each draw call is issued at once, so later calls paint over earlier ones.
// Calls made while no graphics is open do nothing (getters then return the defaults).
#pragma once

#include <memory>
#include <vector>

#include "engine/graphics/graphics.h"

class TImage;
class TPixmap;

constexpr int BLEND_MASK = 1;   // opaque; texels with alpha below 0.5 are dropped
constexpr int BLEND_SOLID = 2;  // opaque, alpha ignored
constexpr int BLEND_ALPHA = 3;  // source over destination by source alpha
constexpr int BLEND_LIGHT = 4;  // additive by source alpha
constexpr int BLEND_SHADE = 5;  // multiplies the destination

void SetColor(int red, int green, int blue);
void GetColor(int& red, int& green, int& blue);
void SetAlpha(float alpha);
float GetAlpha();
void SetClsColor(int red, int green, int blue);
void GetClsColor(int& red, int& green, int& blue);
void SetBlend(int mode);
int GetBlend();
void SetLineWidth(float width);
float GetLineWidth();
// Clip rectangle in pixels from the top-left; the full window switches clipping off.
void SetViewport(int x, int y, int width, int height);
void GetViewport(int& x, int& y, int& width, int& height);
// Degrees, positive turning clockwise on screen.
void SetRotation(float degrees);
float GetRotation();
void SetScale(float scale_x, float scale_y);
void GetScale(float& scale_x, float& scale_y);
void SetRotationScale(float degrees, float scale_x, float scale_y);
// Added to every drawing position.
void SetOrigin(float x, float y);
void GetOrigin(float& x, float& y);
// The point of primitives and text that lands on the drawing position (images use their own).
void SetHandle(float x, float y);
void GetHandle(float& x, float& y);
// The 2x2 matrix built from rotation and scale (identity when no graphics is current).
void GetTransform(float& ix, float& iy, float& jx, float& jy);
// The copy of the matrix kept for pixel collision: refreshed by every rotation or scale
// change, all zero until the first one.
void GetCollisionTransform(float& ix, float& iy, float& jx, float& jy);

void Plot(float x, float y);
// drawLastPixel non-zero also lights the end pixel.
void DrawLine(float x1, float y1, float x2, float y2, int drawLastPixel = 1);
void DrawRect(float x, float y, float width, float height);
void DrawOval(float x, float y, float width, float height);
// Pairs of x, y; fewer than 3 points or an odd count draws nothing.
void DrawPoly(const std::vector<float>& xy);
// Draws the frame with the image's handle on (x, y); a missing frame draws nothing.
void DrawImage(const std::shared_ptr<TImage>& image, float x, float y, int frame = 0);
// As DrawImage but stretched to width x height.
void DrawImageRect(const std::shared_ptr<TImage>& image, float x, float y, float width,
                   float height, int frame = 0);
// Repeats the image over the whole viewport, unrotated and unscaled.
void TileImage(const std::shared_ptr<TImage>& image, float x = 0, float y = 0, int frame = 0);
void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y);
// Reads back a rectangle of the back buffer as a PF_RGBA8888 pixmap (top row first).
[[nodiscard]] std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height);
