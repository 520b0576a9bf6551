// The headless platform's 2D driver: it draws nothing and records every call, so the game
// runs without a display (tests, benchmarks, the replay tool). Image frames are made without GL and
// remember the pixmap they were made from; glyph draws are recognised as text.
//
// Typical use:
//     TRecordingGraphics gfx;            // installs the driver and opens 800x600 at 60 Hz
//     DrawText("AB", 10, 20);
//     auto texts = gfx.driver().Texts(); // {"AB", 10, 20, ...}
//
// The game's StartGraphicsModules() installs the OpenGL driver only the first time it runs;
// call it before constructing TRecordingGraphics and the game's own call changes nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/graphics.h"
#include "engine/graphics/image_frame.h"
#include "engine/graphics/tela2d.h"

class TImage;
class TPixmap;

enum class TDrawKind {
    ResetContext,
    CreateFrame,
    SetBlend,
    SetAlpha,
    SetColor,
    SetClsColor,
    SetViewport,
    SetTransform,
    SetLineWidth,
    Cls,
    Plot,
    DrawLine,
    DrawRect,
    DrawOval,
    DrawPoly,
    DrawImage,  // an image frame's Draw (glyphs of text included)
    DrawPixmap,
    GrabPixmap,
    Flip,
};

const char* DrawKindName(TDrawKind kind);

struct TRecordedCall {
    TDrawKind kind = TDrawKind::Cls;
    // The driver call's arguments in order, as floats (ints converted). For DrawPoly the
    // handle and origin come first, then the points.
    std::vector<float> args;
    // DrawImage: the four mapped corners (x0,y0 x1,y0 x1,y1 x0,y1) in screen pixels.
    // Plot: the point. DrawLine/DrawRect/DrawOval: the mapped end points / corners.
    std::vector<float> screen;
    // The pixmap the drawn frame was made from (DrawImage, CreateFrame), else null.
    const TPixmap* pixmap = nullptr;
    // The character when the drawn frame is a glyph of the built-in font, else 0.
    char glyph = 0;

    // State in force at the call, as the driver last received it (unclamped).
    int red = 255, green = 255, blue = 255;
    float alpha = 1.0f;
    int blend = 0;
    float ix = 1, iy = 0, jx = 0, jy = 1;
    // Render state of the current 2D graphics at the call.
    float rotation = 0, scale_x = 1, scale_y = 1;

    // True when this DrawImage drew frame `frame` of `image`.
    bool Draws(const std::shared_ptr<TImage>& image, int frame = 0) const;
};

// A run of consecutive glyph draws: one DrawText call (or several drawn back to back).
struct TRecordedText {
    std::string text;
    float x = 0, y = 0;  // top-left of the first glyph on screen
    int red = 255, green = 255, blue = 255;
    float alpha = 1.0f;
    float scale_x = 1, scale_y = 1, rotation = 0;
};

// A text that begins with this glyph draw: its place and the render state it was drawn in.
TRecordedText TextStartedBy(const TRecordedCall& glyph);

// The context level: "windows" that only remember their settings, flips that count.
class TFakeContextDriver : public TGraphicsDriver {
  public:
    std::vector<TGraphicsMode> GraphicsModes() override;
    std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) override;
    std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                              int flags) override;
    void SetGraphics(const std::shared_ptr<TGraphics>& g) override;
    void Flip(int sync) override;

    // When set, CreateGraphics fails like a machine without a display.
    bool fail_create = false;
    // Milliseconds a Flip with a non-zero sync sleeps, like waiting for the vertical blank.
    // Full-screen OpenGraphics probes this for a second: keep it non-zero there.
    int vsync_ms = 0;
    // The sync value and clock reading of every Flip that reached this driver.
    std::vector<int> flip_syncs;
    std::vector<std::uint32_t> flip_times;
    int graphics_created = 0;
    int graphics_closed = 0;
    std::shared_ptr<TGraphics> current;
};

class TRecordingDriver : public TTela2DDriver {
  public:
    explicit TRecordingDriver(TFakeContextDriver* context);

    const std::vector<TRecordedCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // The recorded calls of one kind, in order.
    std::vector<TRecordedCall> CallsOf(TDrawKind kind) const;
    // Consecutive glyph draws joined into texts, in order.
    std::vector<TRecordedText> Texts() const;
    // DrawImage calls that drew `image`.
    std::vector<TRecordedCall> DrawsOf(const std::shared_ptr<TImage>& image) const;

    // Pixmap returned by GrabPixmap (a fresh PF_RGBA8888 pixmap filled with this colour).
    std::uint32_t grab_fill = 0xFF000000u;
    // When set, CreateFrameFromPixmap returns null like a driver that cannot make frames.
    bool fail_frames = false;

    void ResetContext(TTela2DGraphics& g) override;
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
    void Flip(int sync) override;

    // Called by recording frames.
    void RecordFrameDraw(const std::shared_ptr<TPixmap>& pixmap, float x0, float y0, float x1,
                         float y1, float tx, float ty);

  private:
    TRecordedCall& Record(TDrawKind kind, std::vector<float> args);
    void Map(float x, float y, float tx, float ty, std::vector<float>& out) const;

    std::vector<TRecordedCall> calls_;
    int red_ = 255, green_ = 255, blue_ = 255;
    float alpha_ = 1.0f;
    int blend_ = 0;
    float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1;
};

// Installs a recording driver over a fake context driver for its lifetime and, unless told
// otherwise, opens graphics as the game does (800, 600, 0, 60, 0). The destructor ends the
// graphics and uninstalls the driver.
class TRecordingGraphics {
  public:
    explicit TRecordingGraphics(bool open = true, int width = 800, int height = 600,
                                int hertz = 60);
    ~TRecordingGraphics();
    TRecordingGraphics(const TRecordingGraphics&) = delete;
    TRecordingGraphics& operator=(const TRecordingGraphics&) = delete;

    TRecordingDriver& driver() { return driver_; }
    TFakeContextDriver& context() { return context_; }
    // What OpenGraphics returned (null if not opened or it failed).
    const std::shared_ptr<TGraphics>& graphics() const { return graphics_; }

  private:
    TFakeContextDriver context_;
    TRecordingDriver driver_;
    std::shared_ptr<TGraphics> graphics_;
};
