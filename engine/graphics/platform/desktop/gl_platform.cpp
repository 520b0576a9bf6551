// Desktop OpenGL's side of the driver's platform calls: proxy textures, row lengths, wide
// lines and glDrawPixels are all there.
#include "engine/graphics/internal/gl_platform.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include "engine/graphics/pixmap.h"

namespace {

// glWindowPos2i came with OpenGL 1.4, after the 1.1 that Windows' opengl32.dll exports, so it
// is asked of the context's driver. Windows allows a driver to answer differently for each
// context, hence the fetch again after every change of context.
PFNGLWINDOWPOS2IPROC WindowPos2i() {
    static SDL_GLContext fetched_for = nullptr;
    static PFNGLWINDOWPOS2IPROC entry = nullptr;
    SDL_GLContext context = SDL_GL_GetCurrentContext();
    if (context != fetched_for) {
        entry = reinterpret_cast<PFNGLWINDOWPOS2IPROC>(SDL_GL_GetProcAddress("glWindowPos2i"));
        fetched_for = context;
    }
    return entry;
}

}  // namespace

bool GLTextureSizeSupported(int width, int height) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    GLint w = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    return w != 0;
}

void GLUploadTexture(const TPixmap& pixmap, int level) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pixmap.pitch / BytesPerPixel(pixmap.format));
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, pixmap.width, pixmap.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixmap.pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void GLLine(float x0, float y0, float x1, float y1, float width) {
    (void)width;
    glBegin(GL_LINES);
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
    glEnd();
}

void GLDrawPixels(const TPixmap& pixmap, int x, int y, int graphics_height) {
    // Rows go downwards from the raster position, so the pixmap keeps its top-down order. A
    // window position stays valid when the corner is off screen, unlike glRasterPos.
    PFNGLWINDOWPOS2IPROC window_pos = WindowPos2i();
    if (!window_pos) return;
    window_pos(x, graphics_height - y);
    glPixelZoom(1.0f, -1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pixmap.pitch / 4);
    glDrawPixels(pixmap.width, pixmap.height, GL_RGBA, GL_UNSIGNED_BYTE, pixmap.pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelZoom(1.0f, 1.0f);
}

void GLReadPixels(int x, int y, TPixmap& pixmap) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, pixmap.pitch / 4);
    glReadPixels(x, y, pixmap.width, pixmap.height, GL_RGBA, GL_UNSIGNED_BYTE, pixmap.pixels);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

void DeleteGLContext(void* context) {
    SDL_GL_DeleteContext(context);
}
