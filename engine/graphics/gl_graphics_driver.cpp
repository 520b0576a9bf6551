// SDL2 windows and OpenGL contexts for the context level, plus the hidden texture-owning
// context. SDL's video subsystem is started lazily; without a display every create fails
// softly with null instead of ending the program.
#include "engine/graphics/internal/gl_graphics_driver.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <list>
#include <string>

#include "engine/graphics/internal/display_watch.h"
#include "engine/graphics/internal/gl_platform.h"
#include "engine/system/runtime_error.h"

namespace {

// Where a context's window comes from; only a window the program made is destroyed with it.
enum class ContextKind { None, ForeignWindow, Windowed, FullScreen };

// One window/context pair.
struct ContextRecord {
    int handle = 0;
    ContextKind kind = ContextKind::None;
    int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    std::uintptr_t native_window = 0;  // the window system's id, 0 where it has none
};

struct DriverState {
    bool video_ready = false;
    SDL_Window* hidden_window = nullptr;
    SDL_GLContext hidden_context = nullptr;
    std::list<ContextRecord> records;  // newest first
    int next_handle = 1;
    int current = 0;  // handle of the current record
    int swap_interval = -1;
    std::uintptr_t hidden_native_window = 0;
};

DriverState& State() {
    static DriverState* state = new DriverState;
    return *state;
}

ContextRecord* FindRecord(int handle) {
    for (ContextRecord& r : State().records) {
        if (r.handle == handle) return &r;
    }
    return nullptr;
}

// Without a display SDL falls back to drivers whose windows nobody can see; unless asked for
// by name, that counts as having no display at all.
bool InvisibleVideoDriver() {
    const char* name = SDL_GetCurrentVideoDriver();
    if (!name) return true;
    const std::string driver = name;
    if (driver != "offscreen" && driver != "dummy") return false;
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    return !requested || driver != requested;
}

// Records why no window can be made and gives false.
bool Fail(const std::string& reason) {
    SetGraphicsError(reason);
    return false;
}

std::string SDLError() {
    const char* error = SDL_GetError();
    return error && *error ? error : "no reason given by SDL";
}

bool IsGameWindow(std::uintptr_t native_window) {
    const DriverState& s = State();
    if (native_window != 0 && native_window == s.hidden_native_window) return true;
    for (const ContextRecord& r : s.records) {
        if (r.native_window != 0 && r.native_window == native_window) return true;
    }
    return false;
}

bool StartVideo() {
    DriverState& s = State();
    if (s.video_ready && SDL_WasInit(SDL_INIT_VIDEO)) return true;
    s.video_ready = false;
    const std::string unavailable = DisplayUnavailable();
    if (!unavailable.empty()) return Fail(unavailable);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (const char* requested = std::getenv("SDL_VIDEODRIVER")) {
            return Fail("SDL video driver \"" + std::string(requested) + "\": " + SDLError());
        }
        return Fail(UnreachableDisplay(SDLError()));
    }
    if (InvisibleVideoDriver()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return Fail(UnreachableDisplay("only an invisible video driver started"));
    }
    WatchForLostDisplay(IsGameWindow);
    s.video_ready = true;
    return true;
}

// The pixel format request: RGBA, at least one bit per colour, plus what the flags ask for.
void RequestPixelFormat(int flags) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 1);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 1);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (flags & GFX_BACKBUFFER) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, (flags & GFX_ALPHABUFFER) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, (flags & GFX_DEPTHBUFFER) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, (flags & GFX_STENCILBUFFER) ? 1 : 0);
    const int accum = (flags & GFX_ACCUMBUFFER) ? 1 : 0;
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);
}

bool EnsureSharedContext() {
    DriverState& s = State();
    if (s.hidden_context) return true;
    if (!StartVideo()) return false;
    RequestPixelFormat(0);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    s.hidden_window = SDL_CreateWindow(
        "", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    if (!s.hidden_window) return Fail(SDLError());
    s.hidden_context = SDL_GL_CreateContext(s.hidden_window);
    if (!s.hidden_context) {
        Fail(SDLError());
        SDL_DestroyWindow(s.hidden_window);
        s.hidden_window = nullptr;
        return false;
    }
    s.hidden_native_window = NativeWindowId(s.hidden_window);
    return true;
}

// Creates a context for `window` sharing textures with the hidden one; leaves whatever was
// current before made current again.
SDL_GLContext CreateSharedContext(SDL_Window* window) {
    DriverState& s = State();
    SDL_Window* previous_window = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous_context = SDL_GL_GetCurrentContext();
    SDL_GL_MakeCurrent(s.hidden_window, s.hidden_context);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    if (previous_context) {
        SDL_GL_MakeCurrent(previous_window, previous_context);
    } else {
        SDL_GL_MakeCurrent(s.hidden_window, nullptr);
    }
    return context;
}

Uint32 FormatForDepth(int depth) {
    switch (depth) {
        case 16:
            return SDL_PIXELFORMAT_RGB565;
        case 24:
            return SDL_PIXELFORMAT_RGB888;
        default:
            return SDL_PIXELFORMAT_ARGB8888;
    }
}

// Full screen at width x height x depth (x hertz when non-zero), retrying without the rate.
void SetFullScreenMode(SDL_Window* window, int width, int height, int depth, int hertz) {
    SDL_DisplayMode mode{FormatForDepth(depth), width, height, hertz, nullptr};
    if (SDL_SetWindowDisplayMode(window, &mode) != 0) {
        mode.refresh_rate = 0;
        if (SDL_SetWindowDisplayMode(window, &mode) != 0) {
            RuntimeError("GLGraphicsDriver failed to set display mode");
        }
    }
}

std::shared_ptr<TGraphics> WrapRecord(TGLGraphicsDriver* driver, ContextRecord record) {
    DriverState& s = State();
    record.handle = s.next_handle++;
    s.records.push_front(record);
    auto g = std::make_shared<TGLGraphics>();
    g->_context = record.handle;
    g->_driver = driver;
    return g;
}

}  // namespace

TGLGraphicsDriver* GLGraphicsDriver() {
    static auto* driver = new TGLGraphicsDriver;
    return driver;
}

TGraphicsDriver* TGLGraphics::Driver() {
    return _driver;
}

void TGLGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
    const ContextRecord* r = FindRecord(_context);
    width = r ? r->width : 0;
    height = r ? r->height : 0;
    depth = r ? r->depth : 0;
    hertz = r ? r->hertz : 0;
    flags = r ? r->flags : 0;
}

void TGLGraphics::Close() {
    DriverState& s = State();
    ContextRecord* r = FindRecord(_context);
    _context = 0;
    // At exit SDL may already be gone, and with it every window and context.
    if (!r || !SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (SDL_GL_GetCurrentContext() == r->context) SDL_GL_MakeCurrent(s.hidden_window, nullptr);
    if (s.current == r->handle) s.current = 0;
    if (r->context) DeleteGLContext(r->context);
    if (r->window && r->kind != ContextKind::ForeignWindow) SDL_DestroyWindow(r->window);
    const int handle = r->handle;
    s.records.remove_if([handle](const ContextRecord& c) { return c.handle == handle; });
}

std::vector<TGraphicsMode> TGLGraphicsDriver::GraphicsModes() {
    std::vector<TGraphicsMode> modes;
    if (!StartVideo()) return modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count && modes.size() < 1024; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        const int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
        if (bits < 16) continue;
        modes.push_back({mode.w, mode.h, bits == 24 ? 32 : bits, mode.refresh_rate});
    }
    return modes;
}

std::shared_ptr<TGraphics> TGLGraphicsDriver::AttachGraphics(void* widget, int flags) {
    auto* window = static_cast<SDL_Window*>(widget);
    if (!window || !EnsureSharedContext()) return nullptr;
    RequestPixelFormat(flags);
    SDL_GLContext context = CreateSharedContext(window);
    if (!context) return nullptr;
    ContextRecord record;
    record.kind = ContextKind::ForeignWindow;
    record.native_window = NativeWindowId(window);
    SDL_GetWindowSize(window, &record.width, &record.height);
    record.flags = flags;
    record.window = window;
    record.context = context;
    return WrapRecord(this, record);
}

std::shared_ptr<TGraphics> TGLGraphicsDriver::CreateGraphics(int width, int height, int depth,
                                                             int hertz, int flags) {
    if (width <= 0 || height <= 0 || !EnsureSharedContext()) return nullptr;
    RequestPixelFormat(flags);
    Uint32 window_flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    int x = 32, y = 32;
    if (depth != 0) {
        window_flags |= SDL_WINDOW_FULLSCREEN;
        x = y = 0;
    }
    // SDL sizes and places the client area, so no frame arithmetic is needed here.
    SDL_Window* window = SDL_CreateWindow(AppTitle().c_str(), x, y, width, height, window_flags);
    if (!window) {
        Fail(SDLError());
        return nullptr;
    }
    if (depth != 0) {
        try {
            SetFullScreenMode(window, width, height, depth, hertz);
        } catch (...) {
            SDL_DestroyWindow(window);
            throw;
        }
    }
    SDL_GLContext context = CreateSharedContext(window);
    if (!context) {
        // No usable pixel format or context: no graphics at all, rather than a dead one.
        Fail(SDLError());
        SDL_DestroyWindow(window);
        return nullptr;
    }
    ContextRecord record;
    record.kind = depth != 0 ? ContextKind::FullScreen : ContextKind::Windowed;
    record.native_window = NativeWindowId(window);
    SDL_GetWindowSize(window, &record.width, &record.height);
    record.depth = depth;
    record.hertz = hertz;
    record.flags = flags;
    record.window = window;
    record.context = context;
    std::shared_ptr<TGraphics> g = WrapRecord(this, record);
    SDL_ShowWindow(window);
    return g;
}

void TGLGraphicsDriver::SetGraphics(const std::shared_ptr<TGraphics>& g) {
    DriverState& s = State();
    auto gl = std::dynamic_pointer_cast<TGLGraphics>(g);
    ContextRecord* r = gl ? FindRecord(gl->_context) : nullptr;
    if (!r) {
        s.current = 0;
        if (s.hidden_window) SDL_GL_MakeCurrent(s.hidden_window, nullptr);
        return;
    }
    SDL_GL_MakeCurrent(r->window, r->context);
    s.current = r->handle;
}

void TGLGraphicsDriver::Flip(int sync) {
    DriverState& s = State();
    ContextRecord* r = FindRecord(s.current);
    if (!r) return;
    const int interval = sync != 0 ? 1 : 0;
    if (interval != s.swap_interval) {
        s.swap_interval = interval;
        SDL_GL_SetSwapInterval(interval);
    }
    SDL_GL_SwapWindow(r->window);
}

bool TGLGraphicsDriver::HasSharedContext() const {
    return State().hidden_context != nullptr;
}

void* TGLGraphicsDriver::CurrentWindow() const {
    const ContextRecord* r = FindRecord(State().current);
    return r ? r->window : nullptr;
}

int TGLGraphicsDriver::SwapIntervalCache() const {
    return State().swap_interval;
}

TGLSharedContextScope::TGLSharedContextScope() {
    DriverState& s = State();
    // After SDL has shut down at exit there is nothing to switch to.
    if (!s.hidden_context || !SDL_WasInit(SDL_INIT_VIDEO)) return;
    previous_window_ = SDL_GL_GetCurrentWindow();
    previous_context_ = SDL_GL_GetCurrentContext();
    active_ = SDL_GL_MakeCurrent(s.hidden_window, s.hidden_context) == 0;
}

TGLSharedContextScope::~TGLSharedContextScope() {
    if (!active_) return;
    DriverState& s = State();
    if (previous_context_) {
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(previous_window_),
                           static_cast<SDL_GLContext>(previous_context_));
    } else {
        SDL_GL_MakeCurrent(s.hidden_window, nullptr);
    }
}
