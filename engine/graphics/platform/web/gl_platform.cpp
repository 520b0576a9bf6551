// The browser's side of the GL drivers' platform calls that plain WebGL 1 serves too: it
// lacks proxy textures, sized internal formats and row lengths.
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
