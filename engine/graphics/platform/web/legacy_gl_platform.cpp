// The browser's fixed-function driver (the build's legacy 2D choice): emscripten's emulation
// of immediate mode over WebGL 1, which has no wide lines and no glDrawPixels.
#include <GL/gl.h>

#include "engine/graphics/internal/gl_image_frame.h"
#include "engine/graphics/internal/gl_platform.h"
#include "engine/graphics/internal/gl_tela2d_driver.h"
#include "engine/graphics/internal/platform_2d_driver.h"
#include "engine/graphics/pixmap.h"

TTela2DDriver* PlatformTela2DDriver() {
    return GLTela2DDriver();
}

// WebGL draws every line 1 pixel wide. A wider one becomes the quad desktop GL rasterises it
// as: the thin line moved width/2 either way along its minor axis.
void GLLine(float x0, float y0, float x1, float y1, float width) {
    if (!(width > 1.0f)) {
        glBegin(GL_LINES);
        glVertex2f(x0, y0);
        glVertex2f(x1, y1);
        glEnd();
        return;
    }
    const float dx = x1 - x0, dy = y1 - y0;
    const bool x_major = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const float ox = x_major ? 0.0f : width * 0.5f, oy = x_major ? width * 0.5f : 0.0f;
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(x0 - ox, y0 - oy);
    glVertex2f(x1 - ox, y1 - oy);
    glVertex2f(x1 + ox, y1 + oy);
    glVertex2f(x0 + ox, y0 + oy);
    glEnd();
}

// A texture of the pixmap's own size on a quad at the pixel grid, nearest-sampled, so every
// pixel lands unchanged; the texture is deleted again at once.
void GLDrawPixels(const TPixmap& pixmap, int x, int y, int graphics_height) {
    (void)graphics_height;
    GLuint name = NewNearestTexture();
    GLUploadTexture(pixmap, 0);
    glEnable(GL_TEXTURE_2D);
    glColor4ub(255, 255, 255, 255);
    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = x0 + static_cast<float>(pixmap.width),
                y1 = y0 + static_cast<float>(pixmap.height);
    glBegin(GL_TRIANGLE_FAN);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y0);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &name);
}
