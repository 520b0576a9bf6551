// The 2D drawing level: a graphics that carries the render state (TTela2DGraphics) and the
// abstract driver that turns that state and the drawing primitives into pixels.
//
// A 2D driver wraps a context-level driver: it forwards window creation, presenting and mode
// queries to it and wraps every context it makes in a TTela2DGraphics. A back-end supplies the
// state operations and primitives below; coordinates are pixels with y growing downwards.
#pragma once

#include <memory>
#include <vector>

#include "engine/graphics/graphics.h"
#include "engine/graphics/image_frame.h"

class TPixmap;
class TImageFont;
class TTela2DDriver;

class TTela2DGraphics : public TGraphics, public std::enable_shared_from_this<TTela2DGraphics> {
  public:
    // Render state, stored exactly as the setters received it (drivers clamp, not this).
    int color_red = 255, color_green = 255, color_blue = 255;
    float color_alpha = 1.0f;
    int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
    float line_width = 1.0f;
    float tform_rot = 0.0f;
    float tform_scale_x = 1.0f, tform_scale_y = 1.0f;
    float tform_ix = 1.0f, tform_iy = 0.0f, tform_jx = 0.0f, tform_jy = 1.0f;
    int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
    float origin_x = 0.0f, origin_y = 0.0f;
    // Stored negated: SetHandle(10, 10) keeps -10, -10.
    float handle_x = 0.0f, handle_y = 0.0f;
    std::shared_ptr<TImageFont> image_font;
    int blend_mode = 1;

    std::shared_ptr<TGraphics> _graphics;  // the wrapped context
    TTela2DDriver* _driver = nullptr;      // the driver that made it
    int _setup = 0;                        // 1 once both buffers have been cleared

    TGraphicsDriver* Driver() override;
    void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
    void Close() override;
    // Re-sends the whole stored state through the public setters.
    virtual void Validate();
    // Becomes the current 2D graphics; the first time also clears and presents both buffers.
    virtual void MakeCurrent();

    static void ClearCurrent();
    static TTela2DGraphics* Current();
    static std::shared_ptr<TTela2DGraphics> Create(const std::shared_ptr<TGraphics>& g,
                                                   TTela2DDriver* driver);
};

class TTela2DDriver : public TGraphicsDriver {
  public:
    // `context` makes and presents the windows; not owned, must outlive this driver's use.
    explicit TTela2DDriver(TGraphicsDriver* context) : context_(context) {}

    TGraphicsDriver* ContextDriver() const { return context_; }

    // Context-level operations, forwarded to the context driver; made contexts are wrapped.
    std::vector<TGraphicsMode> GraphicsModes() override;
    std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) override;
    std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                              int flags) override;
    // Null: nothing current. Otherwise the wrapped context becomes current, then ResetContext,
    // then the 2D graphics' MakeCurrent.
    void SetGraphics(const std::shared_ptr<TGraphics>& g) override;
    void Flip(int sync) override;

    // Back-end state after a context became current (OpenGL: projection, viewport, caches).
    virtual void ResetContext(TTela2DGraphics& g) { (void)g; }

    // Null when the driver cannot make a frame; drawing then does nothing.
    [[nodiscard]] virtual std::shared_ptr<TImageFrame> CreateFrameFromPixmap(
        const std::shared_ptr<TPixmap>& pixmap, int flags) = 0;
    virtual void SetBlend(int mode) = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual void SetColor(int red, int green, int blue) = 0;
    virtual void SetClsColor(int red, int green, int blue) = 0;
    virtual void SetViewport(int x, int y, int width, int height) = 0;
    virtual void SetTransform(float ix, float iy, float jx, float jy) = 0;
    virtual void SetLineWidth(float width) = 0;
    virtual void Cls() = 0;
    // A single pixel; the matrix does not apply.
    virtual void Plot(float x, float y) = 0;
    // Local coordinates are mapped by the matrix, then moved by (tx, ty).
    virtual void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y,
                          float origin_x, float origin_y) = 0;
    virtual void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) = 0;
    [[nodiscard]] virtual std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width,
                                                              int height) = 0;

  private:
    TGraphicsDriver* context_;
};

// The current 2D driver and graphics: null until a 2D graphics is first made current.
TTela2DDriver* CurrentTela2DDriver();
TTela2DGraphics* CurrentTela2DGraphics();
