// The browser's side of the driver's platform calls, over emscripten's fixed-function
// emulation on WebGL 1, which lacks proxy textures, sized internal formats, row lengths,
// wide lines and glDrawPixels.
#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "engine/graphics/internal/gl_platform.h"
#include "engine/graphics/pixmap.h"

namespace {

// The pixmap's rows without padding between them, as WebGL 1 reads and writes them.
std::vector<unsigned char> TightRows(const TPixmap& pixmap) {
    const std::size_t row = static_cast<std::size_t>(pixmap.width) * 4;
    std::vector<unsigned char> bytes(row * static_cast<std::size_t>(pixmap.height));
    for (int y = 0; y < pixmap.height; ++y) {
        std::memcpy(bytes.data() + row * static_cast<std::size_t>(y), pixmap.PixelPtr(0, y), row);
    }
    return bytes;
}

}  // namespace

bool GLTextureSizeSupported(int width, int height) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return width >= 1 && height >= 1 && width <= largest && height <= largest;
}

void GLUploadTexture(const TPixmap& pixmap, int level) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const bool tight = pixmap.pitch == pixmap.width * 4;
    const std::vector<unsigned char> bytes =
        tight ? std::vector<unsigned char>() : TightRows(pixmap);
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, pixmap.width, pixmap.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, tight ? pixmap.pixels : bytes.data());
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
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
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

void GLReadPixels(int x, int y, TPixmap& pixmap) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (pixmap.pitch == pixmap.width * 4) {
        glReadPixels(x, y, pixmap.width, pixmap.height, GL_RGBA, GL_UNSIGNED_BYTE, pixmap.pixels);
        return;
    }
    std::vector<unsigned char> bytes = TightRows(pixmap);
    glReadPixels(x, y, pixmap.width, pixmap.height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    const std::size_t row = static_cast<std::size_t>(pixmap.width) * 4;
    for (int r = 0; r < pixmap.height; ++r) {
        std::memcpy(pixmap.PixelPtr(0, r), bytes.data() + row * static_cast<std::size_t>(r), row);
    }
}

// Every SDL context on the page is the canvas's one WebGL context (SDL's EGL emulation has
// just one), so deleting the game's would take the texture-owning context with it, and the
// textures freed after it would reach a context that is gone. It lives as long as the page.
void DeleteGLContext(void* context) {
    (void)context;
}
