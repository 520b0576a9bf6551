// Render-state setters and getters and the global draw calls. The state lives in the current
// 2D graphics; the driver receives what changed. Drawing positions get the origin added here,
// primitives get the SetHandle offset; the driver applies the matrix.
#include "engine/graphics/render.h"

#include <cmath>

#include "engine/graphics/image.h"
#include "engine/graphics/image_frame.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/tela2d.h"
#include "engine/system/trigonometry.h"

namespace {

struct CollisionTransform {
    float ix = 0, iy = 0, jx = 0, jy = 0;
};

CollisionTransform& CollisionCopy() {
    static CollisionTransform transform;
    return transform;
}

// Builds the matrix from rotation and scale and sends it to the driver and to collision.
void UpdateTransform(TTela2DGraphics& g) {
    const double radians = static_cast<double>(g.tform_rot) * (M_PI / 180.0);
    const float s = static_cast<float>(Sine(radians));
    const float c = static_cast<float>(Cosine(radians));
    g.tform_ix = c * g.tform_scale_x;
    g.tform_iy = -s * g.tform_scale_y;
    g.tform_jx = s * g.tform_scale_x;
    g.tform_jy = c * g.tform_scale_y;
    if (g._driver) g._driver->SetTransform(g.tform_ix, g.tform_iy, g.tform_jx, g.tform_jy);
    CollisionCopy() = {g.tform_ix, g.tform_iy, g.tform_jx, g.tform_jy};
}

// Both the graphics and its driver, or null when nothing is current.
TTela2DGraphics* Graphics() {
    TTela2DGraphics* g = CurrentTela2DGraphics();
    return g && g->_driver ? g : nullptr;
}

}  // namespace

void SetColor(int red, int green, int blue) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->color_red = red;
    g->color_green = green;
    g->color_blue = blue;
    g->_driver->SetColor(red, green, blue);
}

void GetColor(int& red, int& green, int& blue) {
    TTela2DGraphics* g = Graphics();
    red = g ? g->color_red : 255;
    green = g ? g->color_green : 255;
    blue = g ? g->color_blue : 255;
}

void SetAlpha(float alpha) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->color_alpha = alpha;
    g->_driver->SetAlpha(alpha);
}

float GetAlpha() {
    TTela2DGraphics* g = Graphics();
    return g ? g->color_alpha : 1.0f;
}

void SetClsColor(int red, int green, int blue) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->clscolor_red = red;
    g->clscolor_green = green;
    g->clscolor_blue = blue;
    g->_driver->SetClsColor(red, green, blue);
}

void GetClsColor(int& red, int& green, int& blue) {
    TTela2DGraphics* g = Graphics();
    red = g ? g->clscolor_red : 0;
    green = g ? g->clscolor_green : 0;
    blue = g ? g->clscolor_blue : 0;
}

void SetBlend(int mode) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->blend_mode = mode;
    g->_driver->SetBlend(mode);
}

int GetBlend() {
    TTela2DGraphics* g = Graphics();
    return g ? g->blend_mode : BLEND_MASK;
}

void SetLineWidth(float width) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->line_width = width;
    g->_driver->SetLineWidth(width);
}

float GetLineWidth() {
    TTela2DGraphics* g = Graphics();
    return g ? g->line_width : 1.0f;
}

void SetViewport(int x, int y, int width, int height) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->viewport_x = x;
    g->viewport_y = y;
    g->viewport_w = width;
    g->viewport_h = height;
    g->_driver->SetViewport(x, y, width, height);
}

void GetViewport(int& x, int& y, int& width, int& height) {
    TTela2DGraphics* g = Graphics();
    x = g ? g->viewport_x : 0;
    y = g ? g->viewport_y : 0;
    width = g ? g->viewport_w : 0;
    height = g ? g->viewport_h : 0;
}

void SetRotation(float degrees) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->tform_rot = degrees;
    UpdateTransform(*g);
}

float GetRotation() {
    TTela2DGraphics* g = Graphics();
    return g ? g->tform_rot : 0.0f;
}

void SetScale(float scale_x, float scale_y) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->tform_scale_x = scale_x;
    g->tform_scale_y = scale_y;
    UpdateTransform(*g);
}

void GetScale(float& scale_x, float& scale_y) {
    TTela2DGraphics* g = Graphics();
    scale_x = g ? g->tform_scale_x : 1.0f;
    scale_y = g ? g->tform_scale_y : 1.0f;
}

void SetRotationScale(float degrees, float scale_x, float scale_y) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->tform_rot = degrees;
    g->tform_scale_x = scale_x;
    g->tform_scale_y = scale_y;
    UpdateTransform(*g);
}

void SetOrigin(float x, float y) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->origin_x = x;
    g->origin_y = y;
}

void GetOrigin(float& x, float& y) {
    TTela2DGraphics* g = Graphics();
    x = g ? g->origin_x : 0.0f;
    y = g ? g->origin_y : 0.0f;
}

void SetHandle(float x, float y) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->handle_x = -x;
    g->handle_y = -y;
}

void GetHandle(float& x, float& y) {
    TTela2DGraphics* g = Graphics();
    x = g ? -g->handle_x : 0.0f;
    y = g ? -g->handle_y : 0.0f;
}

void GetTransform(float& ix, float& iy, float& jx, float& jy) {
    TTela2DGraphics* g = Graphics();
    ix = g ? g->tform_ix : 1.0f;
    iy = g ? g->tform_iy : 0.0f;
    jx = g ? g->tform_jx : 0.0f;
    jy = g ? g->tform_jy : 1.0f;
}

void GetCollisionTransform(float& ix, float& iy, float& jx, float& jy) {
    const CollisionTransform& t = CollisionCopy();
    ix = t.ix;
    iy = t.iy;
    jx = t.jx;
    jy = t.jy;
}

void Plot(float x, float y) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->_driver->Plot(x + g->origin_x, y + g->origin_y);
}

void DrawLine(float x1, float y1, float x2, float y2, int drawLastPixel) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    const float hx = g->handle_x, hy = g->handle_y;
    const float tx = x1 + g->origin_x, ty = y1 + g->origin_y;
    g->_driver->DrawLine(hx, hy, hx + x2 - x1, hy + y2 - y1, tx, ty);
    if (drawLastPixel != 0) {
        const float px = hx + x2 - x1, py = hy + y2 - y1;
        g->_driver->Plot(px * g->tform_ix + py * g->tform_iy + tx,
                         px * g->tform_jx + py * g->tform_jy + ty);
    }
}

void DrawRect(float x, float y, float width, float height) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    const float hx = g->handle_x, hy = g->handle_y;
    g->_driver->DrawRect(hx, hy, hx + width, hy + height, x + g->origin_x, y + g->origin_y);
}

void DrawOval(float x, float y, float width, float height) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    const float hx = g->handle_x, hy = g->handle_y;
    g->_driver->DrawOval(hx, hy, hx + width, hy + height, x + g->origin_x, y + g->origin_y);
}

void DrawPoly(const std::vector<float>& xy) {
    TTela2DGraphics* g = Graphics();
    if (!g) return;
    g->_driver->DrawPoly(xy, g->handle_x, g->handle_y, g->origin_x, g->origin_y);
}

void DrawImageRect(const std::shared_ptr<TImage>& image, float x, float y, float width,
                   float height, int frame) {
    TTela2DGraphics* g = Graphics();
    if (!g || !image) return;
    std::shared_ptr<TImageFrame> f = image->Frame(frame);
    if (!f) return;
    const float x0 = -image->handle_x, y0 = -image->handle_y;
    f->Draw(x0, y0, x0 + width, y0 + height, x + g->origin_x, y + g->origin_y);
}

void DrawImage(const std::shared_ptr<TImage>& image, float x, float y, int frame) {
    if (!image) return;
    DrawImageRect(image, x, y, static_cast<float>(image->width), static_cast<float>(image->height),
                  frame);
}

void TileImage(const std::shared_ptr<TImage>& image, float x, float y, int frame) {
    TTela2DGraphics* g = Graphics();
    if (!g || !image) return;
    std::shared_ptr<TImageFrame> f = image->Frame(frame);
    if (!f) return;
    const int w = image->width, h = image->height;
    if (w <= 0 || h <= 0) return;
    g->_driver->SetTransform(1, 0, 0, 1);

    const float ox = static_cast<float>(g->viewport_x - w + 1);
    const float oy = static_cast<float>(g->viewport_y - h + 1);
    const float px = x + g->origin_x - image->handle_x;
    const float py = y + g->origin_y - image->handle_y;
    const float fx = px - std::floor(px), fy = py - std::floor(py);
    // The first tile starts at or just before the viewport's left/top edge. The remainder is
    // taken as non-negative for positions left of the edge too: counting it down from a whole
    // tile would put the first tile one tile too far on when the distance is a whole number
    // of tiles, leaving the viewport's first column or row bare.
    auto first = [](float p, float o, int size) {
        const float s = static_cast<float>(size);
        float r = std::fmod(std::floor(p) - o, s);
        if (r < 0) r += s;
        return r + o;
    };
    const float tx = first(px, ox, w), ty = first(py, oy, h);
    const float right = static_cast<float>(g->viewport_x + g->viewport_w);
    const float bottom = static_cast<float>(g->viewport_y + g->viewport_h);
    for (float iy = ty; iy < bottom; iy += static_cast<float>(h)) {
        for (float ix = tx; ix < right; ix += static_cast<float>(w)) {
            f->Draw(0, 0, static_cast<float>(w), static_cast<float>(h), ix + fx, iy + fy);
        }
    }
    UpdateTransform(*g);
}

void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
    TTela2DGraphics* g = Graphics();
    if (!g || !pixmap) return;
    g->_driver->DrawPixmap(pixmap, x, y);
}

std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) {
    TTela2DGraphics* g = Graphics();
    if (!g) return nullptr;
    return g->_driver->GrabPixmap(x, y, width, height);
}
