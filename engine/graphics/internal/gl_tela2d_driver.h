// The OpenGL 2D driver: render state as fixed-function GL state and each primitive as one
// immediate-mode primitive, in call order. Redundant blend, texture-binding and
// texture-enable changes are filtered by caches that ResetGLContext clears.
#pragma once

#include <memory>

#include "engine/graphics/internal/gl_image_frame.h"
#include "engine/graphics/tela2d.h"

class TPixmap;

class TGLTela2DDriver : public TTela2DDriver, public TGLFrameDrawer {
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
                          float tx, float ty) override;
    void ForgetTexture(unsigned int name) override;

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
