// Fixed-function OpenGL for the 2D driver: blend table, colour bytes, scissor viewport, the
// matrix applied on the CPU to every vertex, and textures made in the shared context.
#include "engine/graphics/internal/gl_tela2d_driver.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/graphics/image.h"
#include "engine/graphics/internal/draw_batch.h"
#include "engine/graphics/internal/gl_graphics_driver.h"
#include "engine/graphics/internal/gl_platform.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/render.h"
#include "engine/system/runtime_error.h"

namespace {

int Clamp255(int v) {
    return std::clamp(v, 0, 255);
}

}  // namespace

TGLTela2DDriver* GLTela2DDriver() {
    static auto* driver = new TGLTela2DDriver;
    return driver;
}

TGLTela2DDriver::TGLTela2DDriver() : TTela2DDriver(GLGraphicsDriver()) {}

void TGLTela2DDriver::ResetGLContext(TTela2DGraphics& g) {
    int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
    g.GetSettings(width, height, depth, hertz, flags);
    blend_ = 0;
    bound_texture_ = 0;
    texturing_ = false;
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, width, height);
}

std::shared_ptr<TImageFrame> TGLTela2DDriver::CreateFrameFromPixmap(
    const std::shared_ptr<TPixmap>& pixmap, int flags) {
    return CreateGLImageFrame(pixmap, flags, this);
}

void TGLTela2DDriver::ForgetTexture(unsigned int name) {
    // Another context's binding of a deleted name would survive the delete; a new texture
    // reusing that name must be bound again, not skipped by the cache.
    if (bound_texture_ == name) bound_texture_ = 0;
}

void TGLTela2DDriver::EnableTexture(unsigned int name) {
    if (!texturing_) {
        glEnable(GL_TEXTURE_2D);
        texturing_ = true;
    }
    if (bound_texture_ != name) {
        glBindTexture(GL_TEXTURE_2D, name);
        bound_texture_ = name;
    }
}

void TGLTela2DDriver::DisableTexture() {
    if (texturing_) {
        glDisable(GL_TEXTURE_2D);
        texturing_ = false;
    }
}

void TGLTela2DDriver::SendColor() {
    glColor4ub(color_[0], color_[1], color_[2], color_[3]);
}

void TGLTela2DDriver::SetBlend(int mode) {
    if (mode == blend_) return;
    blend_ = mode;
    switch (mode) {
        case BLEND_MASK:
            glDisable(GL_BLEND);
            glEnable(GL_ALPHA_TEST);
            glAlphaFunc(GL_GEQUAL, 0.5f);
            break;
        case BLEND_ALPHA:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glDisable(GL_ALPHA_TEST);
            break;
        case BLEND_LIGHT:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glDisable(GL_ALPHA_TEST);
            break;
        case BLEND_SHADE:
            glEnable(GL_BLEND);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            glDisable(GL_ALPHA_TEST);
            break;
        default:  // BLEND_SOLID and unknown modes
            glDisable(GL_BLEND);
            glDisable(GL_ALPHA_TEST);
            break;
    }
}

void TGLTela2DDriver::SetAlpha(float alpha) {
    // NaN compares false both ways and ends up transparent.
    const float a = alpha > 1.0f ? 1.0f : (alpha > 0.0f ? alpha : 0.0f);
    color_[3] = static_cast<unsigned char>(a * 255.0f);
    SendColor();
}

void TGLTela2DDriver::SetColor(int red, int green, int blue) {
    color_[0] = static_cast<unsigned char>(Clamp255(red));
    color_[1] = static_cast<unsigned char>(Clamp255(green));
    color_[2] = static_cast<unsigned char>(Clamp255(blue));
    SendColor();
}

void TGLTela2DDriver::SetClsColor(int red, int green, int blue) {
    glClearColor(Clamp255(red) / 255.0f, Clamp255(green) / 255.0f, Clamp255(blue) / 255.0f, 1.0f);
}

void TGLTela2DDriver::SetViewport(int x, int y, int width, int height) {
    const int graphics_height = GraphicsHeight();
    if (x == 0 && y == 0 && width == GraphicsWidth() && height == graphics_height) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        // GL counts rows from the bottom; wide arithmetic keeps absurd rectangles defined.
        const std::int64_t bottom = std::int64_t{graphics_height} - y - height;
        glScissor(x, static_cast<GLint>(std::clamp<std::int64_t>(bottom, INT32_MIN, INT32_MAX)),
                  std::max(width, 0), std::max(height, 0));
    }
}

void TGLTela2DDriver::SetTransform(float ix, float iy, float jx, float jy) {
    ix_ = ix;
    iy_ = iy;
    jx_ = jx;
    jy_ = jy;
}

void TGLTela2DDriver::SetLineWidth(float width) {
    line_width_ = width;
    glLineWidth(width);
}

void TGLTela2DDriver::Cls() {
    glClear(GL_COLOR_BUFFER_BIT);
}

void TGLTela2DDriver::Plot(float x, float y) {
    DisableTexture();
    glBegin(GL_POINTS);
    glVertex2f(x + 0.5f, y + 0.5f);
    glEnd();
}

void TGLTela2DDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
    DisableTexture();
    GLLine(x0 * ix_ + y0 * iy_ + tx + 0.5f, x0 * jx_ + y0 * jy_ + ty + 0.5f,
           x1 * ix_ + y1 * iy_ + tx + 0.5f, x1 * jx_ + y1 * jy_ + ty + 0.5f, line_width_);
}

void TGLTela2DDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
    DisableTexture();
    glBegin(GL_QUADS);
    glVertex2f(x0 * ix_ + y0 * iy_ + tx, x0 * jx_ + y0 * jy_ + ty);
    glVertex2f(x1 * ix_ + y0 * iy_ + tx, x1 * jx_ + y0 * jy_ + ty);
    glVertex2f(x1 * ix_ + y1 * iy_ + tx, x1 * jx_ + y1 * jy_ + ty);
    glVertex2f(x0 * ix_ + y1 * iy_ + tx, x0 * jx_ + y1 * jy_ + ty);
    glEnd();
}

void TGLTela2DDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
    DisableTexture();
    // A fan from the first vertex: the same triangles GL_POLYGON is drawn with, and the
    // browser's GL emulation has no GL_POLYGON.
    glBegin(GL_TRIANGLE_FAN);
    ForEachOvalPoint(x0, y0, x1, y1, [this, tx, ty](float x, float y) {
        glVertex2f(x * ix_ + y * iy_ + tx, x * jx_ + y * jy_ + ty);
    });
    glEnd();
}

void TGLTela2DDriver::DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y,
                               float origin_x, float origin_y) {
    if (xy.size() < 6 || (xy.size() & 1) != 0) return;
    DisableTexture();
    glBegin(GL_TRIANGLE_FAN);
    for (std::size_t k = 0; k + 1 < xy.size(); k += 2) {
        const float x = xy[k] + handle_x, y = xy[k + 1] + handle_y;
        glVertex2f(x * ix_ + y * iy_ + origin_x, x * jx_ + y * jy_ + origin_y);
    }
    glEnd();
}

void TGLTela2DDriver::DrawTexturedQuad(const TGLImageFrame& f, float x0, float y0, float x1,
                                       float y1, float tx, float ty) {
    EnableTexture(f.name);
    glBegin(GL_QUADS);
    glTexCoord2f(f.u0, f.v0);
    glVertex2f(x0 * ix_ + y0 * iy_ + tx, x0 * jx_ + y0 * jy_ + ty);
    glTexCoord2f(f.u1, f.v0);
    glVertex2f(x1 * ix_ + y0 * iy_ + tx, x1 * jx_ + y0 * jy_ + ty);
    glTexCoord2f(f.u1, f.v1);
    glVertex2f(x1 * ix_ + y1 * iy_ + tx, x1 * jx_ + y1 * jy_ + ty);
    glTexCoord2f(f.u0, f.v1);
    glVertex2f(x0 * ix_ + y1 * iy_ + tx, x0 * jx_ + y1 * jy_ + ty);
    glEnd();
}

void TGLTela2DDriver::DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return;
    std::shared_ptr<TPixmap> rgba =
        pixmap->format == PF_RGBA8888 ? pixmap : pixmap->Convert(PF_RGBA8888);
    if (!rgba) return;
    DisableTexture();
    const int previous_blend = blend_;
    SetBlend(BLEND_SOLID);
    GLDrawPixels(*rgba, x, y, GraphicsHeight());
    // The platform may have bound a texture of its own and changed the colour.
    bound_texture_ = 0;
    SendColor();
    SetBlend(previous_blend);
}

std::shared_ptr<TPixmap> TGLTela2DDriver::GrabPixmap(int x, int y, int width, int height) {
    const int previous_blend = blend_;
    SetBlend(BLEND_SOLID);
    std::shared_ptr<TPixmap> pixmap = ReadWindowPixels(x, y, width, height);
    SetBlend(previous_blend);
    return pixmap;
}
