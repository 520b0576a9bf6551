// The graphics context level: the current driver, the one window the game opens, presenting
// frames and pacing the main loop to the requested refresh rate in software.
//
// A context-level driver (TGraphicsDriver) makes and presents contexts (TGraphics); the 2D
// level (tela2d.h) wraps one of those and adds drawing. The OpenGL driver over SDL is the
// real one; tests install a driver that needs no display.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Flags passed to OpenGraphics/CreateGraphics, OR-ed with the driver's default flags.
constexpr int GFX_BACKBUFFER = 2;
constexpr int GFX_ALPHABUFFER = 4;
constexpr int GFX_DEPTHBUFFER = 8;
constexpr int GFX_STENCILBUFFER = 16;
constexpr int GFX_ACCUMBUFFER = 32;

struct TGraphicsMode {
    int width = 0;
    int height = 0;
    int depth = 0;
    int hertz = 0;
    // "800,600,32 60Hz"
    std::string ToString() const;
};

class TGraphicsDriver;

// One open context (a window with its drawing context).
class TGraphics {
  public:
    virtual ~TGraphics() = default;
    virtual TGraphicsDriver* Driver() = 0;
    virtual void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) = 0;
    virtual void Close() = 0;
};

// What a context-level back-end must supply. Drivers are process-wide objects that outlive
// every graphics they make; whoever installs one keeps it alive while it is installed.
class TGraphicsDriver {
  public:
    virtual ~TGraphicsDriver() = default;
    // Display modes of at least 16 bits per pixel.
    virtual std::vector<TGraphicsMode> GraphicsModes() = 0;
    // A context over a window made elsewhere (for SDL: an SDL_Window* made with SDL_WINDOW_OPENGL).
    virtual std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) = 0;
    // depth 0: a window; otherwise full screen at that colour depth. Null on failure.
    virtual std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                                      int flags) = 0;
    // Makes `g` current; null makes nothing current.
    virtual void SetGraphics(const std::shared_ptr<TGraphics>& g) = 0;
    // Presents the back buffer; a non-zero `sync` waits for the vertical blank.
    virtual void Flip(int sync) = 0;
};

// Installs `driver` (not owned; null uninstalls) and its default flags; drops the current graphics.
void SetGraphicsDriver(TGraphicsDriver* driver, int defaultFlags = GFX_BACKBUFFER);
TGraphicsDriver* GetGraphicsDriver();
// The default flags given to the last SetGraphicsDriver.
int GraphicsDefaultFlags();

// The driver's display modes, cached until the driver changes.
const std::vector<TGraphicsMode>& GraphicsModes();
int CountGraphicsModes();

// Creates a context without making it current; null on any failure.
[[nodiscard]] std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                                        int flags);
void SetGraphics(const std::shared_ptr<TGraphics>& g);
void CloseGraphics(const std::shared_ptr<TGraphics>& g);
// Closes any previous window, opens a new one, makes it current and starts polled input.
// Null when the window cannot be opened (for example without a display).
std::shared_ptr<TGraphics> OpenGraphics(int width, int height, int depth = 0, int hertz = 60,
                                        int flags = 0);
// Closes the graphics opened by OpenGraphics, if any. Also runs at process exit.
void EndGraphics();
// Why the last CreateGraphics or OpenGraphics gave null, in the platform's words (empty when
// the driver gave no reason). Drivers report it with SetGraphicsError.
const std::string& GraphicsError();
void SetGraphicsError(const std::string& reason);

// Called when the display goes away under an open window (its server ended, the connection
// was killed, or the window was destroyed from outside) with one line saying so. Nothing may
// touch the display any more; once the handler returns the process ends with status 1.
void SetDisplayLostHandler(void (*handler)(const std::string& what));
// For drivers: runs the handler, then ends the process with status 1.
[[noreturn]] void DisplayLost(const std::string& what);
// The graphics current at the context level (null when none).
std::shared_ptr<TGraphics> CurrentGraphics();
// The graphics opened by OpenGraphics (null when none).
std::shared_ptr<TGraphics> OpenedGraphics();

// Presents the frame. -1 paces to the rate given to OpenGraphics; 0 and 1 present at once
// (1 with vertical sync).
void Flip(int sync = -1);
// Clears the colour buffer with the clear colour.
void Cls();

// What the software pacing of Flip(-1) saw since the window opened or the last reset.
// A frame misses its deadline when it reaches Flip after the millisecond its deadline names.
struct TPacingStats {
    std::uint64_t paced_frames = 0;
    std::uint64_t missed_deadlines = 0;
    std::uint32_t worst_late_ms = 0;  // the latest arrival of a missed frame
    std::uint32_t last_deadline = 0;  // clock reading the last paced frame waited for
};
TPacingStats PacingStats();
void ResetPacingStats();

// Settings of the current graphics (all 0 when none is current).
int GraphicsWidth();
int GraphicsHeight();
int GraphicsDepth();
int GraphicsHertz();
int GraphicsFlags();

// Bumped on every OpenGraphics and EndGraphics, never 0; driver frames remember it so they
// are remade for a new context.
int GraphicsSeq();

// The hook id run with no data at the start of every Flip (-1 before StartGraphicsModules).
int FlipHookId();

// The window caption used for windows created from now on.
void SetAppTitle(const std::string& title);
const std::string& AppTitle();

// Installs the OpenGL 2D driver, takes the flip hook id and registers the built-in font.
// Safe to call more than once.
void StartGraphicsModules();
