// SDL events to input events, and the SDL pump with a cheap "nothing new" check so queries
// can run many times a frame.
#include "engine/system/internal/sdl_system_driver.h"

#include <chrono>
#include <cmath>

#include "engine/system/event.h"

namespace {

struct TKeyMapping {
    SDL_Scancode scancode;
    int key;
};

// Keys by position. Letters and digits are handled by symbol in KeyCodeFromSDL.
constexpr TKeyMapping kScancodeKeys[] = {
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_NONUSHASH, 222},
    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_F1, 112},
    {SDL_SCANCODE_F2, 113},
    {SDL_SCANCODE_F3, 114},
    {SDL_SCANCODE_F4, 115},
    {SDL_SCANCODE_F5, 116},
    {SDL_SCANCODE_F6, 117},
    {SDL_SCANCODE_F7, 118},
    {SDL_SCANCODE_F8, 119},
    {SDL_SCANCODE_F9, 120},
    {SDL_SCANCODE_F10, 121},
    {SDL_SCANCODE_F11, 122},
    {SDL_SCANCODE_F12, 123},
    {SDL_SCANCODE_F13, 124},
    {SDL_SCANCODE_F14, 125},
    {SDL_SCANCODE_F15, 126},
    {SDL_SCANCODE_F16, 127},
    {SDL_SCANCODE_F17, 128},
    {SDL_SCANCODE_F18, 129},
    {SDL_SCANCODE_F19, 130},
    {SDL_SCANCODE_F20, 131},
    {SDL_SCANCODE_F21, 132},
    {SDL_SCANCODE_F22, 133},
    {SDL_SCANCODE_F23, 134},
    {SDL_SCANCODE_F24, 135},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_KP_1, 97},
    {SDL_SCANCODE_KP_2, 98},
    {SDL_SCANCODE_KP_3, 99},
    {SDL_SCANCODE_KP_4, 100},
    {SDL_SCANCODE_KP_5, 101},
    {SDL_SCANCODE_KP_6, 102},
    {SDL_SCANCODE_KP_7, 103},
    {SDL_SCANCODE_KP_8, 104},
    {SDL_SCANCODE_KP_9, 105},
    {SDL_SCANCODE_KP_0, 96},
    {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_MUTE, 173},
    {SDL_SCANCODE_VOLUMEDOWN, 174},
    {SDL_SCANCODE_VOLUMEUP, 175},
    {SDL_SCANCODE_AUDIONEXT, 176},
    {SDL_SCANCODE_AUDIOPREV, 177},
    {SDL_SCANCODE_AUDIOSTOP, 178},
    {SDL_SCANCODE_AUDIOPLAY, 179},
    {SDL_SCANCODE_LCTRL, 162},
    {SDL_SCANCODE_LSHIFT, 160},
    {SDL_SCANCODE_LALT, 164},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RCTRL, 163},
    {SDL_SCANCODE_RSHIFT, 161},
    {SDL_SCANCODE_RALT, 165},
    {SDL_SCANCODE_RGUI, 92},
};

bool IsModifierKey(SDL_Scancode scancode) {
    return scancode >= SDL_SCANCODE_LCTRL && scancode <= SDL_SCANCODE_RGUI;
}

int ModsFromSDL(Uint16 mod) {
    int mods = 0;
    if (mod & KMOD_SHIFT) mods |= MODIFIER_SHIFT;
    if (mod & KMOD_CTRL) mods |= MODIFIER_CONTROL;
    if (mod & KMOD_ALT) mods |= MODIFIER_OPTION;
    if (mod & KMOD_GUI) mods |= MODIFIER_SYSTEM;
    return mods;
}

// SDL's button numbers are 1 left, 2 middle, 3 right.
int ButtonFromSDL(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return MOUSE_LEFT;
        case SDL_BUTTON_RIGHT:
            return MOUSE_RIGHT;
        case SDL_BUTTON_MIDDLE:
            return MOUSE_MIDDLE;
        default:
            return 0;
    }
}

int ButtonBit(int button) {
    return 1 << (button - 1);
}

// The character a key press types that SDL's text input leaves out: control characters.
int ControlCharacter(int key, int mods) {
    switch (key) {
        case KEY_BACKSPACE:
        case KEY_TAB:
        case KEY_ENTER:
        case KEY_ESCAPE:
            return key;
        default:
            break;
    }
    if ((mods & (MODIFIER_CONTROL | MODIFIER_OPTION)) == MODIFIER_CONTROL && key >= 'A' &&
        key <= 'Z') {
        return key - 'A' + 1;
    }
    return 0;
}

// Wheel detents as the Windows message would give them: a delta of 120 per detent, cut to
// 16 bits, divided and rounded toward zero.
int WheelDetents(float amount) {
    if (!std::isfinite(amount)) return 0;
    constexpr float kLimit = 32767.0f / 120.0f;
    if (amount > kLimit) amount = kLimit;
    if (amount < -kLimit) amount = -kLimit;
    return static_cast<int>(std::trunc(amount));
}

// Decodes one UTF-8 sequence at `*p`; malformed bytes are skipped and yield 0.
std::uint32_t NextCodePoint(const unsigned char*& p) {
    unsigned char lead = *p++;
    if (lead < 0x80) return lead;
    int extra = 0;
    std::uint32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    for (int i = 0; i < extra; ++i) {
        if ((*p & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (*p++ & 0x3F);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return cp;
}

std::uint64_t NowNs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// A full pump still runs at least this often, so SDL's own housekeeping keeps going.
constexpr std::uint64_t kPumpIntervalNs = 1'000'000;

}  // namespace

int KeyCodeFromSDL(SDL_Scancode scancode, SDL_Keycode symbol) {
    if (symbol >= SDLK_a && symbol <= SDLK_z) return 'A' + (symbol - SDLK_a);
    if (symbol >= SDLK_0 && symbol <= SDLK_9) return '0' + (symbol - SDLK_0);
    // A letter or digit position whose layout gives another symbol keeps its US meaning.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    for (const auto& mapping : kScancodeKeys) {
        if (mapping.scancode == scancode) return mapping.key;
    }
    return 0;
}

void TSDLEventTranslator::Emit(int id, int data, int x, int y) {
    TEvent::Create(id, nullptr, data, mods_, x, y, nullptr)->Emit();
}

void TSDLEventTranslator::Translate(const SDL_Event& event) {
    bool wasClose = last_was_close_;
    last_was_close_ = false;
    switch (event.type) {
        case SDL_KEYDOWN:
            TranslateKey(event.key, true);
            break;
        case SDL_KEYUP:
            TranslateKey(event.key, false);
            break;
        case SDL_TEXTINPUT:
            TranslateText(event.text.text);
            break;
        case SDL_MOUSEBUTTONDOWN:
            TranslateButton(event.button, true);
            break;
        case SDL_MOUSEBUTTONUP:
            TranslateButton(event.button, false);
            break;
        case SDL_MOUSEMOTION: {
            EnterLeave(event.motion.windowID, event.motion.x, event.motion.y);
            int held = 0;
            if (event.motion.state & SDL_BUTTON_LMASK) held |= 0x01;
            if (event.motion.state & SDL_BUTTON_RMASK) held |= 0x02;
            if (event.motion.state & SDL_BUTTON_MMASK) held |= 0x10;
            Emit(EVENT_MOUSEMOVE, held, event.motion.x, event.motion.y);
            break;
        }
        case SDL_MOUSEWHEEL: {
            float amount = event.wheel.preciseY;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) amount = -amount;
            Emit(EVENT_MOUSEWHEEL, WheelDetents(amount), event.wheel.mouseX, event.wheel.mouseY);
            break;
        }
        case SDL_WINDOWEVENT:
            TranslateWindow(event.window);
            break;
        case SDL_QUIT:
            // Closing the only window brings a quit right after the close; a signal brings it
            // alone, and must end the game as a close would.
            if (!wasClose) Emit(EVENT_APPTERMINATE);
            break;
        default:
            break;
    }
}

void TSDLEventTranslator::TranslateKey(const SDL_KeyboardEvent& key, bool down) {
    if (IsModifierKey(key.keysym.scancode)) mods_ = ModsFromSDL(key.keysym.mod);
    int code = KeyCodeFromSDL(key.keysym.scancode, key.keysym.sym);
    if (code < 1 || code > 255) return;
    if (!down) {
        Emit(EVENT_KEYUP, code);
        return;
    }
    Emit(key.repeat ? EVENT_KEYREPEAT : EVENT_KEYDOWN, code);
    if (int c = ControlCharacter(code, mods_)) Emit(EVENT_KEYCHAR, c);
    // Alt+F4 asks the window to close, as the system menu would.
    if (code == KEY_F4 && (mods_ & MODIFIER_OPTION)) {
        Emit(EVENT_APPTERMINATE);
        last_was_close_ = true;
    }
}

void TSDLEventTranslator::TranslateText(const char* utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    const auto* end = p + SDL_TEXTINPUTEVENT_TEXT_SIZE;
    while (p < end && *p) {
        std::uint32_t cp = NextCodePoint(p);
        if (cp == 0) continue;
        // Characters travel as 16-bit code units, so others go as a surrogate pair.
        if (cp >= 0x10000) {
            cp -= 0x10000;
            Emit(EVENT_KEYCHAR, static_cast<int>(0xD800 + (cp >> 10)));
            Emit(EVENT_KEYCHAR, static_cast<int>(0xDC00 + (cp & 0x3FF)));
        } else {
            Emit(EVENT_KEYCHAR, static_cast<int>(cp));
        }
    }
}

void TSDLEventTranslator::TranslateButton(const SDL_MouseButtonEvent& button, bool down) {
    int code = ButtonFromSDL(button.button);
    if (!code) return;
    if (down) {
        if (!windows_.IsFullScreen(button.windowID)) windows_.CaptureMouse(true);
        held_buttons_ |= ButtonBit(code);
        Emit(EVENT_MOUSEDOWN, code, button.x, button.y);
    } else {
        // Released only when no button is left held, so a drag with another button keeps
        // reporting positions outside the window.
        held_buttons_ &= ~ButtonBit(code);
        if (!held_buttons_) windows_.CaptureMouse(false);
        Emit(EVENT_MOUSEUP, code, button.x, button.y);
    }
}

void TSDLEventTranslator::TranslateWindow(const SDL_WindowEvent& window) {
    switch (window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            Emit(EVENT_APPTERMINATE);
            last_was_close_ = true;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (!active_) {
                active_ = true;
                Emit(EVENT_APPRESUME);
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // Focus moving between two of our own windows is not a deactivation.
            if (active_ && !windows_.AnyWindowFocused()) {
                active_ = false;
                if (held_buttons_) windows_.CaptureMouse(false);
                held_buttons_ = 0;
                Emit(EVENT_APPSUSPEND);
            }
            break;
        case SDL_WINDOWEVENT_LEAVE:
            if (window.windowID == tracked_ && !held_buttons_) LeaveTracked();
            break;
        default:
            break;
    }
}

void TSDLEventTranslator::EnterLeave(std::uint32_t windowId, int x, int y) {
    int width = 0;
    int height = 0;
    std::uint32_t under = 0;
    if (windowId && windows_.ClientSize(windowId, &width, &height) && x >= 0 && x < width &&
        y >= 0 && y < height) {
        under = windowId;
    }
    if (under == tracked_) return;
    if (tracked_) LeaveTracked();
    tracked_ = under;
    ApplyCursor();
    if (tracked_) Emit(EVENT_MOUSEENTER, 0, x, y);
}

void TSDLEventTranslator::LeaveTracked() {
    int x = 0;
    int y = 0;
    windows_.PointerInWindow(tracked_, &x, &y);
    tracked_ = 0;
    ApplyCursor();
    Emit(EVENT_MOUSELEAVE, 0, x, y);
}

void TSDLEventTranslator::SetMouseVisible(int visible) {
    visible_ = visible != 0;
    ApplyCursor();
}

void TSDLEventTranslator::ApplyCursor() {
    bool shown = visible_ || tracked_ == 0;
    if (shown == cursor_shown_) return;
    cursor_shown_ = shown;
    windows_.ShowCursor(shown);
}

TSDLSystemDriver::TSDLSystemDriver() : translator_(*this) {}

void TSDLSystemDriver::Poll() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (NothingPending()) return;
    PumpAndTranslate();
}

void TSDLSystemDriver::Wait() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event event;
    if (SDL_WaitEvent(&event)) Translate(event);
    PumpAndTranslate();
}

// Nothing new can be waiting when SDL's queue is empty and the window system holds nothing
// SDL has not read yet. Only then is the full pump (which costs several microseconds and a
// few system calls) skipped; it still runs at least once a millisecond.
bool TSDLSystemDriver::NothingPending() {
    std::uint64_t now = NowNs();
    if (now - last_pump_ns_ >= kPumpIntervalNs) return false;
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return false;
    SDL_Window* window = probe_window_ ? SDL_GetWindowFromID(probe_window_) : nullptr;
    if (!window) {
        probe_window_ = 0;
        return false;
    }
    return WindowSystemQuiet(window);
}

void TSDLSystemDriver::PumpAndTranslate() {
    last_pump_ns_ = NowNs();
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        Translate(event);
    }
    if (!probe_window_) {
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        if (!window) window = SDL_GetKeyboardFocus();
        if (!window) window = SDL_GetMouseFocus();
        if (window) probe_window_ = SDL_GetWindowID(window);
    }
}

void TSDLSystemDriver::Translate(const SDL_Event& event) {
    if (!probe_window_ && event.type == SDL_WINDOWEVENT) probe_window_ = event.window.windowID;
    translator_.Translate(event);
}

void TSDLSystemDriver::MoveMouse(int x, int y) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Window* window = SDL_GetKeyboardFocus();
    if (window) {
        SDL_WarpMouseInWindow(window, x, y);
    } else {
        SDL_WarpMouseGlobal(x, y);
    }
}

void TSDLSystemDriver::SetMouseVisible(int visible) {
    translator_.SetMouseVisible(visible);
}

bool TSDLSystemDriver::ClientSize(std::uint32_t windowId, int* width, int* height) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    if (!window) return false;
    SDL_GetWindowSize(window, width, height);
    return true;
}

bool TSDLSystemDriver::IsFullScreen(std::uint32_t windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
}

void TSDLSystemDriver::CaptureMouse(bool capture) {
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

void TSDLSystemDriver::ShowCursor(bool shown) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

void TSDLSystemDriver::PointerInWindow(std::uint32_t windowId, int* x, int* y) {
    int gx = 0;
    int gy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    int wx = 0;
    int wy = 0;
    if (SDL_Window* window = SDL_GetWindowFromID(windowId)) SDL_GetWindowPosition(window, &wx, &wy);
    *x = gx - wx;
    *y = gy - wy;
}

bool TSDLSystemDriver::AnyWindowFocused() {
    return SDL_GetKeyboardFocus() != nullptr;
}

void StartSystemDriver() {
    static TSDLSystemDriver* sdlDriver = nullptr;
    if (sdlDriver) return;
    sdlDriver = new TSDLSystemDriver();  // lives for the whole process
    SetSystemDriver(sdlDriver);
}
