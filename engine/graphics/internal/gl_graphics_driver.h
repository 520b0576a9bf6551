// The OpenGL context level over SDL2: windows with their GL contexts, presenting, and the
// hidden 1x1 context that owns every texture so textures survive window changes.
//
// Every window's context is created sharing texture objects with the hidden one. Texture
// creation and deletion happen with the hidden context current (TGLSharedContextScope), so
// the drawing context's bound texture is never disturbed.
#pragma once

#include <memory>
#include <vector>

#include "engine/graphics/graphics.h"

class TGLGraphicsDriver;

class TGLGraphics : public TGraphics {
  public:
    int _context = 0;  // handle of the driver's context record; 0 once closed
    TGLGraphicsDriver* _driver = nullptr;

    TGraphicsDriver* Driver() override;
    // The record's values; width and height are the client area measured after creation.
    void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
    // Destroys the context and, for windows the program made, the window.
    void Close() override;
};

class TGLGraphicsDriver : public TGraphicsDriver {
  public:
    std::vector<TGraphicsMode> GraphicsModes() override;
    // `widget` is an SDL_Window* created with SDL_WINDOW_OPENGL.
    std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) override;
    std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                              int flags) override;
    void SetGraphics(const std::shared_ptr<TGraphics>& g) override;
    // Sets the swap interval (only when it changed) and swaps the current window.
    void Flip(int sync) override;

    // The hidden shared context exists (it is made by the first create or attach).
    bool HasSharedContext() const;
    // The SDL_Window* of the current graphics, or null.
    void* CurrentWindow() const;
    // The last swap interval sent to the platform (-1 before the first present).
    int SwapIntervalCache() const;
};

// The process-wide OpenGL context driver.
TGLGraphicsDriver* GLGraphicsDriver();

// Makes the hidden shared context current for its lifetime and restores the previous one.
// Active() is false when there is no shared context (nothing may be done in GL then).
class TGLSharedContextScope {
  public:
    TGLSharedContextScope();
    ~TGLSharedContextScope();
    TGLSharedContextScope(const TGLSharedContextScope&) = delete;
    TGLSharedContextScope& operator=(const TGLSharedContextScope&) = delete;
    bool Active() const { return active_; }

  private:
    bool active_ = false;
    void* previous_window_ = nullptr;
    void* previous_context_ = nullptr;
};
