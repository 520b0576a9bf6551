// The OpenGL 2D driver: render state as fixed-function GL state and each primitive as one
// immediate-mode primitive, in call order. Redundant blend, texture-binding and
// texture-enable changes are filtered by caches that ResetGLContext clears.
#pragma once

#include <memory>

#include "engine/graphics/image_frame.h"
#include "engine/graphics/tela2d.h"

class TPixmap;
class TGLTela2DDriver;

// One image frame as a texture of the shared context. The image occupies the top-left
// u1 x v1 part of a power-of-two texture.
class TGLImageFrame : public TImageFrame {
  public:
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    unsigned int name = 0;  // GL texture name
    int seq = 0;            // the graphics sequence it was made under
    TGLTela2DDriver* driver = nullptr;
    std::weak_ptr<TPixmap> source;  // the image's pixmap, to make the texture again from
    int flags = 0;

    ~TGLImageFrame() override;
    void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override;

    // Must run with a GL context current (the driver makes the shared one current).
    // Raises "Unable to calculate tex size" when not even 1x1 is supported.
    [[nodiscard]] static std::shared_ptr<TGLImageFrame> CreateFromPixmap(
        const std::shared_ptr<TPixmap>& pixmap, int flags);
};

// After the platform has lost its GL context and got it back (a browser's WebGL context):
// every live image frame's texture is made again from its pixmap, and the current graphics'
// state is sent again. Frames whose pixmap is gone keep no texture.
void GraphicsContextRestored();

class TGLTela2DDriver : public TTela2DDriver {
  public:
    TGLTela2DDriver();

    void ResetContext(TTela2DGraphics& g) override { ResetGLContext(g); }
    // Projection for pixels with y down, viewport over the whole graphics, caches cleared.
    void ResetGLContext(TTela2DGraphics& g);

    std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const std::shared_ptr<TPixmap>& pixmap,
                                                       int flags) override;
    void SetBlend(int mode) override;
    void SetAlpha(float alpha) override;
    void SetColor(int red, int green, int blue) override;
    void SetClsColor(int red, int green, int blue) override;
    void SetViewport(int x, int y, int width, int height) override;
    void SetTransform(float ix, float iy, float jx, float jy) override;
    void SetLineWidth(float width) override;
    void Cls() override;
    void Plot(float x, float y) override;
    void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                  float origin_y) override;
    void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) override;
    std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) override;

    // Used by image frames: the textured quad, and forgetting a deleted texture.
    void DrawTexturedQuad(const TGLImageFrame& frame, float x0, float y0, float x1, float y1,
                          float tx, float ty);
    void ForgetTexture(unsigned int name);

    // Cache inspection for tests.
    int CachedBlend() const { return blend_; }
    unsigned int CachedTexture() const { return bound_texture_; }
    bool CachedTexturing() const { return texturing_; }
    // The colour bytes R, G, B, A last sent.
    const unsigned char* ColorBytes() const { return color_; }

  private:
    void EnableTexture(unsigned int name);
    void DisableTexture();
    void SendColor();

    float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1;
    float line_width_ = 1;
    unsigned char color_[4] = {255, 255, 255, 255};
    int blend_ = 0;
    unsigned int bound_texture_ = 0;
    bool texturing_ = false;
};

// The process-wide OpenGL 2D driver, over GLGraphicsDriver().
TGLTela2DDriver* GLTela2DDriver();
