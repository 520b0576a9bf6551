// Image frames as textures of the shared GL context, for every 2D driver that draws with
// OpenGL or WebGL: the power-of-two texture of a pixmap, and remaking all of them after the
// platform lost its context; and the pixel-exact texture and the read-back those drivers
// share.
#pragma once

#include <memory>

#include "engine/graphics/image_frame.h"

class TPixmap;
class TGLImageFrame;

// What a driver that owns GL image frames supplies to them.
class TGLFrameDrawer {
  public:
    // The frame's texture over the local rectangle, mapped and moved as every primitive is.
    virtual void DrawTexturedQuad(const TGLImageFrame& frame, float x0, float y0, float x1,
                                  float y1, float tx, float ty) = 0;
    // The texture `name` was deleted: a new texture may get the same name.
    virtual void ForgetTexture(unsigned int name) = 0;

  protected:
    ~TGLFrameDrawer() = default;
};

// One image frame as a texture of the shared context. The image occupies the top-left
// u1 x v1 part of a power-of-two texture.
class TGLImageFrame : public TImageFrame {
  public:
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    unsigned int name = 0;  // GL texture name
    int seq = 0;            // the graphics sequence it was made under
    TGLFrameDrawer* driver = nullptr;
    std::weak_ptr<TPixmap> source;  // the image's pixmap, to make the texture again from
    int flags = 0;

    ~TGLImageFrame() override;
    void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override;

    // Must run with a GL context current (the driver makes the shared one current).
    // Raises "Unable to calculate tex size" when not even 1x1 is supported.
    [[nodiscard]] static std::shared_ptr<TGLImageFrame> CreateFromPixmap(
        const std::shared_ptr<TPixmap>& pixmap, int flags);
};

// A frame of the pixmap drawn by `driver`, made while the shared context is current; null
// for an empty pixmap or when there is no shared context.
[[nodiscard]] std::shared_ptr<TGLImageFrame> CreateGLImageFrame(
    const std::shared_ptr<TPixmap>& pixmap, int flags, TGLFrameDrawer* driver);

// After the platform has lost its GL context and got it back (a browser's WebGL context):
// every live image frame's texture is made again from its pixmap, and the current graphics'
// state is sent again. Frames whose pixmap is gone keep no texture.
void GraphicsContextRestored();

// A new texture, bound, that draws a pixmap of its own size pixel for pixel: clamped at its
// edges and nearest-sampled. The caller deletes it.
[[nodiscard]] unsigned int NewNearestTexture();

// The window's width x height rectangle whose top-left pixel is (x, y), top row first, from
// the current context once everything drawn has been sent to it; zero where the window has
// no pixels. Null for an empty rectangle.
[[nodiscard]] std::shared_ptr<TPixmap> ReadWindowPixels(int x, int y, int width, int height);
