// Textures of the shared GL context for image frames: the pixmap padded to a power of two
// the context supports, with the filtering its flags ask for, and the list of live frames
// from which a lost context's textures are all made again.
#include "engine/graphics/internal/gl_image_frame.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/graphics/graphics.h"
#include "engine/graphics/image.h"
#include "engine/graphics/internal/gl_graphics_driver.h"
#include "engine/graphics/internal/gl_platform.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/tela2d.h"
#include "engine/system/runtime_error.h"

namespace {

int NextPowerOfTwo(int v) {
    int p = 1;
    while (p < v && p < (1 << 30)) p <<= 1;
    return p;
}

// The largest supported power-of-two size at or below the next powers of two of the image.
void ChooseTextureSize(int width, int height, int& tex_width, int& tex_height) {
    tex_width = NextPowerOfTwo(std::max(width, 1));
    tex_height = NextPowerOfTwo(std::max(height, 1));
    while (!GLTextureSizeSupported(tex_width, tex_height)) {
        if (tex_width == 1 && tex_height == 1) RuntimeError("Unable to calculate tex size");
        if (tex_width > 1) tex_width /= 2;
        if (tex_height > 1) tex_height /= 2;
    }
}

void CopyPixel(TPixmap& p, int from_x, int from_y, int to_x, int to_y) {
    std::memcpy(p.PixelPtr(to_x, to_y), p.PixelPtr(from_x, from_y), 4);
}

// Every frame that holds a texture, so a lost context's textures can all be made again.
std::vector<TGLImageFrame*>& LiveFrames() {
    static std::vector<TGLImageFrame*> frames;
    return frames;
}

// Makes a texture of the pixmap, padded to the power-of-two size chosen for it; the image
// covers the top-left u1 x v1 of it.
GLuint UploadTexture(const std::shared_ptr<TPixmap>& source, int flags, float& u1, float& v1) {
    int tex_width = 0, tex_height = 0;
    ChooseTextureSize(source->width, source->height, tex_width, tex_height);
    const int width = std::min(source->width, tex_width);
    const int height = std::min(source->height, tex_height);

    std::shared_ptr<TPixmap> pixmap = source;
    if (source->width > width || source->height > height) {
        pixmap = ResizePixmap(source, width, height);
    }
    if (tex_width > width || tex_height > height) {
        // Duplicate the last column and row once so linear filtering at the image's edges
        // reads the image's own colours rather than whatever lies beyond.
        std::shared_ptr<TPixmap> padded = TPixmap::Create(tex_width, tex_height, PF_RGBA8888);
        padded->Paste(*pixmap, 0, 0);
        if (tex_width > width) {
            for (int y = 0; y < height; ++y) CopyPixel(*padded, width - 1, y, width, y);
        }
        if (tex_height > height) {
            for (int x = 0; x < width; ++x) CopyPixel(*padded, x, height - 1, x, height);
        }
        if (tex_width > width && tex_height > height) {
            CopyPixel(*padded, width - 1, height - 1, width, height);
        }
        pixmap = padded;
    } else if (pixmap->format != PF_RGBA8888) {
        pixmap = pixmap->Convert(PF_RGBA8888);
    }

    const bool filtered = (flags & IMAGE_FILTERED) != 0;
    const bool mipmapped = (flags & IMAGE_MIPMAPPED) != 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
    GLint min_filter = filtered ? GL_LINEAR : GL_NEAREST;
    if (mipmapped) min_filter = filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);

    GLUploadTexture(*pixmap, 0);
    if (mipmapped) {
        std::shared_ptr<TPixmap> level_pixmap = pixmap;
        for (int level = 1; level_pixmap->width > 1 || level_pixmap->height > 1; ++level) {
            const int w = level_pixmap->width > 1 ? level_pixmap->width / 2 : 1;
            const int h = level_pixmap->height > 1 ? level_pixmap->height / 2 : 1;
            level_pixmap = ResizePixmap(level_pixmap, w, h);
            GLUploadTexture(*level_pixmap, level);
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    u1 = static_cast<float>(width) / static_cast<float>(tex_width);
    v1 = static_cast<float>(height) / static_cast<float>(tex_height);
    return name;
}

}  // namespace

std::shared_ptr<TGLImageFrame> TGLImageFrame::CreateFromPixmap(
    const std::shared_ptr<TPixmap>& source, int flags) {
    auto frame = std::make_shared<TGLImageFrame>();
    frame->name = UploadTexture(source, flags, frame->u1, frame->v1);
    frame->seq = GraphicsSeq();
    frame->source = source;
    frame->flags = flags;
    LiveFrames().push_back(frame.get());
    return frame;
}

// Runs between frames, with the restored context current. The old names belong to objects
// that went with the lost context; deleting them only frees the names.
void GraphicsContextRestored() {
    TGLSharedContextScope shared;
    if (!shared.Active()) return;
    for (TGLImageFrame* frame : LiveFrames()) {
        GLuint old = frame->name;
        if (old != 0) glDeleteTextures(1, &old);
        const std::shared_ptr<TPixmap> source = frame->source.lock();
        frame->name = source ? UploadTexture(source, frame->flags, frame->u1, frame->v1) : 0;
    }
    if (TTela2DGraphics* g = TTela2DGraphics::Current()) {
        g->_driver->ResetContext(*g);
        g->Validate();
    }
}

TGLImageFrame::~TGLImageFrame() {
    auto& live = LiveFrames();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (seq == 0 || name == 0) return;
    if (driver) driver->ForgetTexture(name);
    TGLSharedContextScope shared;
    if (!shared.Active()) return;
    GLuint texture = name;
    glDeleteTextures(1, &texture);
}

void TGLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty) {
    if (driver) driver->DrawTexturedQuad(*this, x0, y0, x1, y1, tx, ty);
}

std::shared_ptr<TGLImageFrame> CreateGLImageFrame(const std::shared_ptr<TPixmap>& pixmap, int flags,
                                                  TGLFrameDrawer* driver) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
    TGLSharedContextScope shared;
    if (!shared.Active()) return nullptr;
    std::shared_ptr<TGLImageFrame> frame = TGLImageFrame::CreateFromPixmap(pixmap, flags);
    if (frame) frame->driver = driver;
    return frame;
}

unsigned int NewNearestTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    return name;
}

std::shared_ptr<TPixmap> ReadWindowPixels(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    std::shared_ptr<TPixmap> pixmap = TPixmap::Create(width, height, PF_RGBA8888);
    if (!pixmap) return nullptr;
    // GL writes nothing for the part of the rectangle outside the window.
    pixmap->ClearPixels(0);
    GLReadPixels(x, GraphicsHeight() - y - height, *pixmap);
    // GL reads bottom row first; the pixmap is top row first.
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 4);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::memcpy(row.data(), pixmap->PixelPtr(0, top), row.size());
        std::memcpy(pixmap->PixelPtr(0, top), pixmap->PixelPtr(0, bottom), row.size());
        std::memcpy(pixmap->PixelPtr(0, bottom), row.data(), row.size());
    }
    return pixmap;
}
