// The 2D graphics (a context plus its render state) and the part of every 2D driver that
// only forwards to the context-level driver it wraps.
#include "engine/graphics/tela2d.h"

#include "engine/graphics/render.h"
#include "engine/graphics/text.h"

namespace {

struct Current2D {
    std::shared_ptr<TTela2DGraphics> graphics;
    TTela2DDriver* driver = nullptr;
};

Current2D& Current2DState() {
    static Current2D* state = new Current2D;
    return *state;
}

}  // namespace

TTela2DDriver* CurrentTela2DDriver() {
    return Current2DState().driver;
}
TTela2DGraphics* CurrentTela2DGraphics() {
    return Current2DState().graphics.get();
}

TGraphicsDriver* TTela2DGraphics::Driver() {
    return _driver;
}

void TTela2DGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
    if (_graphics) {
        _graphics->GetSettings(width, height, depth, hertz, flags);
    } else {
        width = height = depth = hertz = flags = 0;
    }
}

void TTela2DGraphics::Close() {
    if (!_graphics) return;
    _graphics->Close();
    _graphics.reset();
    _driver = nullptr;
}

void TTela2DGraphics::Validate() {
    ::SetBlend(blend_mode);
    ::SetColor(color_red, color_green, color_blue);
    ::SetAlpha(color_alpha);
    ::SetClsColor(clscolor_red, clscolor_green, clscolor_blue);
    ::SetLineWidth(line_width);
    ::SetRotation(tform_rot);
    ::SetScale(tform_scale_x, tform_scale_y);
    ::SetViewport(viewport_x, viewport_y, viewport_w, viewport_h);
    ::SetOrigin(origin_x, origin_y);
    ::SetHandle(-handle_x, -handle_y);
    ::SetImageFont(image_font);
}

void TTela2DGraphics::MakeCurrent() {
    Current2D& current = Current2DState();
    current.graphics = shared_from_this();
    current.driver = _driver;
    Validate();
    if (_setup == 0) {
        // Both buffers start cleared, whichever one the first frame lands in.
        ::Cls();
        ::Flip(0);
        ::Cls();
        ::Flip(0);
        _setup = 1;
    }
}

void TTela2DGraphics::ClearCurrent() {
    Current2D& current = Current2DState();
    current.graphics.reset();
    current.driver = nullptr;
}

TTela2DGraphics* TTela2DGraphics::Current() {
    return CurrentTela2DGraphics();
}

std::shared_ptr<TTela2DGraphics> TTela2DGraphics::Create(const std::shared_ptr<TGraphics>& g,
                                                         TTela2DDriver* driver) {
    auto t = std::make_shared<TTela2DGraphics>();
    t->image_font = DefaultImageFont();
    t->_graphics = g;
    t->_driver = driver;
    int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
    if (g) g->GetSettings(width, height, depth, hertz, flags);
    t->viewport_w = width;
    t->viewport_h = height;
    return t;
}

std::vector<TGraphicsMode> TTela2DDriver::GraphicsModes() {
    return context_ ? context_->GraphicsModes() : std::vector<TGraphicsMode>{};
}

std::shared_ptr<TGraphics> TTela2DDriver::AttachGraphics(void* widget, int flags) {
    if (!context_) return nullptr;
    std::shared_ptr<TGraphics> g = context_->AttachGraphics(widget, flags);
    if (!g) return nullptr;
    return TTela2DGraphics::Create(g, this);
}

std::shared_ptr<TGraphics> TTela2DDriver::CreateGraphics(int width, int height, int depth,
                                                         int hertz, int flags) {
    if (!context_) return nullptr;
    std::shared_ptr<TGraphics> g = context_->CreateGraphics(width, height, depth, hertz, flags);
    if (!g) return nullptr;
    return TTela2DGraphics::Create(g, this);
}

void TTela2DDriver::SetGraphics(const std::shared_ptr<TGraphics>& g) {
    auto g2d = std::dynamic_pointer_cast<TTela2DGraphics>(g);
    if (!g2d) {
        TTela2DGraphics::ClearCurrent();
        if (context_) context_->SetGraphics(nullptr);
        return;
    }
    if (context_) context_->SetGraphics(g2d->_graphics);
    ResetContext(*g2d);
    g2d->MakeCurrent();
}

void TTela2DDriver::Flip(int sync) {
    if (context_) context_->Flip(sync);
}
