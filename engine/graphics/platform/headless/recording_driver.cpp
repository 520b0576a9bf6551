// The recording 2D driver, its fake context level and the installer used by tests.
#include "engine/graphics/platform/headless/recording_driver.h"

#include <unordered_map>

#include "engine/graphics/image.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/render.h"
#include "engine/graphics/text.h"
#include "engine/system/clock.h"

namespace {

class TFakeGraphics : public TGraphics {
  public:
    TFakeGraphics(TFakeContextDriver* driver, int width, int height, int depth, int hertz,
                  int flags)
        : driver_(driver),
          width_(width),
          height_(height),
          depth_(depth),
          hertz_(hertz),
          flags_(flags) {}
    TGraphicsDriver* Driver() override { return driver_; }
    void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override {
        width = width_;
        height = height_;
        depth = depth_;
        hertz = hertz_;
        flags = flags_;
    }
    void Close() override {
        if (closed_) return;
        closed_ = true;
        ++driver_->graphics_closed;
    }

  private:
    TFakeContextDriver* driver_;
    int width_, height_, depth_, hertz_, flags_;
    bool closed_ = false;
};

class TRecordingFrame : public TImageFrame {
  public:
    TRecordingFrame(TRecordingDriver* driver, std::shared_ptr<TPixmap> pixmap)
        : driver_(driver), pixmap_(std::move(pixmap)) {}
    void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override {
        driver_->RecordFrameDraw(pixmap_, x0, y0, x1, y1, tx, ty);
    }

  private:
    TRecordingDriver* driver_;
    std::shared_ptr<TPixmap> pixmap_;
};

// The character whose built-in glyph image owns `pixmap`, or 0.
char GlyphOf(const TPixmap* pixmap) {
    static std::unordered_map<const TPixmap*, char> glyphs;
    if (glyphs.empty()) {
        std::shared_ptr<TImageFont> font = DefaultImageFont();
        for (int i = 0; i < font->CountGlyphs(); ++i) {
            std::shared_ptr<TImageGlyph> glyph = font->LoadGlyph(i);
            if (glyph && glyph->_image && !glyph->_image->pixmaps.empty()) {
                glyphs[glyph->_image->pixmaps[0].get()] = static_cast<char>(32 + i);
            }
        }
    }
    auto it = glyphs.find(pixmap);
    return it == glyphs.end() ? 0 : it->second;
}

}  // namespace

const char* DrawKindName(TDrawKind kind) {
    switch (kind) {
        case TDrawKind::ResetContext:
            return "ResetContext";
        case TDrawKind::CreateFrame:
            return "CreateFrame";
        case TDrawKind::SetBlend:
            return "SetBlend";
        case TDrawKind::SetAlpha:
            return "SetAlpha";
        case TDrawKind::SetColor:
            return "SetColor";
        case TDrawKind::SetClsColor:
            return "SetClsColor";
        case TDrawKind::SetViewport:
            return "SetViewport";
        case TDrawKind::SetTransform:
            return "SetTransform";
        case TDrawKind::SetLineWidth:
            return "SetLineWidth";
        case TDrawKind::Cls:
            return "Cls";
        case TDrawKind::Plot:
            return "Plot";
        case TDrawKind::DrawLine:
            return "DrawLine";
        case TDrawKind::DrawRect:
            return "DrawRect";
        case TDrawKind::DrawOval:
            return "DrawOval";
        case TDrawKind::DrawPoly:
            return "DrawPoly";
        case TDrawKind::DrawImage:
            return "DrawImage";
        case TDrawKind::DrawPixmap:
            return "DrawPixmap";
        case TDrawKind::GrabPixmap:
            return "GrabPixmap";
        case TDrawKind::Flip:
            return "Flip";
    }
    return "?";
}

bool TRecordedCall::Draws(const std::shared_ptr<TImage>& image, int frame) const {
    if (kind != TDrawKind::DrawImage || !image || frame < 0 ||
        frame >= static_cast<int>(image->pixmaps.size())) {
        return false;
    }
    return pixmap != nullptr && pixmap == image->pixmaps[static_cast<std::size_t>(frame)].get();
}

std::vector<TGraphicsMode> TFakeContextDriver::GraphicsModes() {
    return {{640, 480, 32, 60}, {800, 600, 32, 60}, {1024, 768, 32, 60}};
}

std::shared_ptr<TGraphics> TFakeContextDriver::AttachGraphics(void*, int flags) {
    return CreateGraphics(800, 600, 0, 0, flags);
}

std::shared_ptr<TGraphics> TFakeContextDriver::CreateGraphics(int width, int height, int depth,
                                                              int hertz, int flags) {
    if (fail_create) return nullptr;
    ++graphics_created;
    return std::make_shared<TFakeGraphics>(this, width, height, depth, hertz, flags);
}

void TFakeContextDriver::SetGraphics(const std::shared_ptr<TGraphics>& g) {
    current = g;
}

void TFakeContextDriver::Flip(int sync) {
    if (!current) return;
    if (sync != 0) SleepMilliseconds(vsync_ms);
    flip_syncs.push_back(sync);
    flip_times.push_back(MillisecondClock());
}

TRecordingDriver::TRecordingDriver(TFakeContextDriver* context) : TTela2DDriver(context) {}

TRecordedCall& TRecordingDriver::Record(TDrawKind kind, std::vector<float> args) {
    TRecordedCall call;
    call.kind = kind;
    call.args = std::move(args);
    call.red = red_;
    call.green = green_;
    call.blue = blue_;
    call.alpha = alpha_;
    call.blend = blend_;
    call.ix = ix_;
    call.iy = iy_;
    call.jx = jx_;
    call.jy = jy_;
    if (TTela2DGraphics* g = CurrentTela2DGraphics()) {
        call.rotation = g->tform_rot;
        call.scale_x = g->tform_scale_x;
        call.scale_y = g->tform_scale_y;
    }
    calls_.push_back(std::move(call));
    return calls_.back();
}

void TRecordingDriver::Map(float x, float y, float tx, float ty, std::vector<float>& out) const {
    out.push_back(x * ix_ + y * iy_ + tx);
    out.push_back(x * jx_ + y * jy_ + ty);
}

std::vector<TRecordedCall> TRecordingDriver::CallsOf(TDrawKind kind) const {
    std::vector<TRecordedCall> out;
    for (const TRecordedCall& c : calls_) {
        if (c.kind == kind) out.push_back(c);
    }
    return out;
}

std::vector<TRecordedCall> TRecordingDriver::DrawsOf(const std::shared_ptr<TImage>& image) const {
    std::vector<TRecordedCall> out;
    for (const TRecordedCall& c : calls_) {
        if (c.Draws(image)) out.push_back(c);
    }
    return out;
}

std::vector<TRecordedText> TRecordingDriver::Texts() const {
    std::vector<TRecordedText> texts;
    bool in_text = false;
    for (const TRecordedCall& c : calls_) {
        // A glyph's texture is made on its first draw; that does not split the text.
        if (c.kind == TDrawKind::CreateFrame) continue;
        if (c.kind != TDrawKind::DrawImage || c.glyph == 0) {
            in_text = false;
            continue;
        }
        if (!in_text) {
            texts.push_back(TextStartedBy(c));
            in_text = true;
        }
        texts.back().text += c.glyph;
    }
    return texts;
}

void TRecordingDriver::ResetContext(TTela2DGraphics&) {
    blend_ = 0;
    Record(TDrawKind::ResetContext, {});
}

std::shared_ptr<TImageFrame> TRecordingDriver::CreateFrameFromPixmap(
    const std::shared_ptr<TPixmap>& pixmap, int flags) {
    TRecordedCall& call = Record(TDrawKind::CreateFrame, {static_cast<float>(flags)});
    call.pixmap = pixmap.get();
    if (fail_frames || !pixmap) return nullptr;
    return std::make_shared<TRecordingFrame>(this, pixmap);
}

void TRecordingDriver::SetBlend(int mode) {
    blend_ = mode;
    Record(TDrawKind::SetBlend, {static_cast<float>(mode)});
}

void TRecordingDriver::SetAlpha(float alpha) {
    alpha_ = alpha;
    Record(TDrawKind::SetAlpha, {alpha});
}

void TRecordingDriver::SetColor(int red, int green, int blue) {
    red_ = red;
    green_ = green;
    blue_ = blue;
    Record(TDrawKind::SetColor,
           {static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue)});
}

void TRecordingDriver::SetClsColor(int red, int green, int blue) {
    Record(TDrawKind::SetClsColor,
           {static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue)});
}

void TRecordingDriver::SetViewport(int x, int y, int width, int height) {
    Record(TDrawKind::SetViewport, {static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(width), static_cast<float>(height)});
}

void TRecordingDriver::SetTransform(float ix, float iy, float jx, float jy) {
    ix_ = ix;
    iy_ = iy;
    jx_ = jx;
    jy_ = jy;
    Record(TDrawKind::SetTransform, {ix, iy, jx, jy});
}

void TRecordingDriver::SetLineWidth(float width) {
    Record(TDrawKind::SetLineWidth, {width});
}

void TRecordingDriver::Cls() {
    Record(TDrawKind::Cls, {});
}

void TRecordingDriver::Plot(float x, float y) {
    Record(TDrawKind::Plot, {x, y}).screen = {x, y};
}

void TRecordingDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
    TRecordedCall& c = Record(TDrawKind::DrawLine, {x0, y0, x1, y1, tx, ty});
    Map(x0, y0, tx, ty, c.screen);
    Map(x1, y1, tx, ty, c.screen);
}

void TRecordingDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
    TRecordedCall& c = Record(TDrawKind::DrawRect, {x0, y0, x1, y1, tx, ty});
    Map(x0, y0, tx, ty, c.screen);
    Map(x1, y0, tx, ty, c.screen);
    Map(x1, y1, tx, ty, c.screen);
    Map(x0, y1, tx, ty, c.screen);
}

void TRecordingDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
    TRecordedCall& c = Record(TDrawKind::DrawOval, {x0, y0, x1, y1, tx, ty});
    Map(x0, y0, tx, ty, c.screen);
    Map(x1, y1, tx, ty, c.screen);
}

void TRecordingDriver::DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y,
                                float origin_x, float origin_y) {
    std::vector<float> args{handle_x, handle_y, origin_x, origin_y};
    args.insert(args.end(), xy.begin(), xy.end());
    TRecordedCall& c = Record(TDrawKind::DrawPoly, std::move(args));
    for (std::size_t k = 0; k + 1 < xy.size(); k += 2) {
        Map(xy[k] + handle_x, xy[k + 1] + handle_y, origin_x, origin_y, c.screen);
    }
}

void TRecordingDriver::DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
    Record(TDrawKind::DrawPixmap, {static_cast<float>(x), static_cast<float>(y)}).pixmap =
        pixmap.get();
}

std::shared_ptr<TPixmap> TRecordingDriver::GrabPixmap(int x, int y, int width, int height) {
    Record(TDrawKind::GrabPixmap, {static_cast<float>(x), static_cast<float>(y),
                                   static_cast<float>(width), static_cast<float>(height)});
    std::shared_ptr<TPixmap> pixmap = TPixmap::Create(width, height, PF_RGBA8888);
    if (pixmap) pixmap->ClearPixels(grab_fill);
    return pixmap;
}

void TRecordingDriver::Flip(int sync) {
    Record(TDrawKind::Flip, {static_cast<float>(sync)});
    TTela2DDriver::Flip(sync);
}

void TRecordingDriver::RecordFrameDraw(const std::shared_ptr<TPixmap>& pixmap, float x0, float y0,
                                       float x1, float y1, float tx, float ty) {
    TRecordedCall& c = Record(TDrawKind::DrawImage, {x0, y0, x1, y1, tx, ty});
    c.pixmap = pixmap.get();
    c.glyph = GlyphOf(pixmap.get());
    Map(x0, y0, tx, ty, c.screen);
    Map(x1, y0, tx, ty, c.screen);
    Map(x1, y1, tx, ty, c.screen);
    Map(x0, y1, tx, ty, c.screen);
}

TRecordingGraphics::TRecordingGraphics(bool open, int width, int height, int hertz)
    : driver_(&context_) {
    SetGraphicsDriver(&driver_, GFX_BACKBUFFER);
    if (open) graphics_ = OpenGraphics(width, height, 0, hertz, 0);
}

TRecordingGraphics::~TRecordingGraphics() {
    EndGraphics();
    if (GetGraphicsDriver() == &driver_) SetGraphicsDriver(nullptr, 0);
    if (CurrentTela2DDriver() == &driver_) TTela2DGraphics::ClearCurrent();
}

TRecordedText TextStartedBy(const TRecordedCall& glyph) {
    TRecordedText t;
    t.x = glyph.screen[0];
    t.y = glyph.screen[1];
    t.red = glyph.red;
    t.green = glyph.green;
    t.blue = glyph.blue;
    t.alpha = glyph.alpha;
    t.scale_x = glyph.scale_x;
    t.scale_y = glyph.scale_y;
    t.rotation = glyph.rotation;
    return t;
}
