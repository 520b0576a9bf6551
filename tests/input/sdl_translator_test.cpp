// The SDL-to-event rules, driven with hand-made SDL events and a fake window system.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "engine/system/event.h"
#include "engine/system/internal/sdl_system_driver.h"

namespace {

struct TRecorded {
    int id, data, mods, x, y;
    bool operator==(const TRecorded&) const = default;
};

void PrintTo(const TRecorded& e, std::ostream* os) {
    *os << EventName(e.id) << " data=" << e.data << " mods=" << e.mods << " at " << e.x << ","
        << e.y;
}

TObjectPtr Record(int, const TObjectPtr& data, void* context) {
    if (auto* event = dynamic_cast<TEvent*>(data.get())) {
        static_cast<std::vector<TRecorded>*>(context)->push_back(
            {event->id, event->data, event->mods, event->x, event->y});
    }
    return data;
}

class TFakeWindows final : public TSDLWindowSystem {
  public:
    bool ClientSize(std::uint32_t windowId, int* width, int* height) override {
        if (windowId != 1) return false;
        *width = 800;
        *height = 600;
        return true;
    }
    bool IsFullScreen(std::uint32_t) override { return fullScreen; }
    void CaptureMouse(bool capture) override { captures.push_back(capture); }
    void ShowCursor(bool shown) override { cursor.push_back(shown); }
    void PointerInWindow(std::uint32_t, int* x, int* y) override {
        *x = pointerX;
        *y = pointerY;
    }
    bool AnyWindowFocused() override { return focused; }

    bool fullScreen = false;
    bool focused = false;
    int pointerX = 0, pointerY = 0;
    std::vector<bool> captures;
    std::vector<bool> cursor;
};

class SDLTranslatorTest : public ::testing::Test {
  protected:
    void SetUp() override { InsertHook(EmitEventHookId(), Record, &events, 1000); }
    void TearDown() override { DeleteHook(EmitEventHookId(), Record, &events); }

    void Key(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = 0,
             Uint8 repeat = 0) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = 1;
        e.key.repeat = repeat;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        translator.Translate(e);
    }
    void Button(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = 1;
        e.button.button = button;
        e.button.clicks = clicks;
        e.button.x = x;
        e.button.y = y;
        translator.Translate(e);
    }
    void Motion(int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = 1;
        e.motion.x = x;
        e.motion.y = y;
        translator.Translate(e);
    }
    void Window(Uint8 what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = 1;
        e.window.event = what;
        translator.Translate(e);
    }
    void Text(const char* utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
        translator.Translate(e);
    }
    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const auto& event : events) ids.push_back(event.id);
        return ids;
    }

    std::vector<TRecorded> events;
    TFakeWindows windows;
    TSDLEventTranslator translator{windows};
};

TEST(KeyCodeFromSDLTest, MapsToVirtualKeyNumbers) {
    struct TCase {
        SDL_Scancode scancode;
        SDL_Keycode sym;
        int key;
    } cases[] = {
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 27},
        {SDL_SCANCODE_A, SDLK_a, 'A'},
        {SDL_SCANCODE_Z, SDLK_z, 'Z'},
        {SDL_SCANCODE_Q, SDLK_a, 'A'},  // an AZERTY layout: the letter follows the symbol
        {SDL_SCANCODE_0, SDLK_0, '0'},
        {SDL_SCANCODE_9, SDLK_9, '9'},
        {SDL_SCANCODE_2, SDLK_UNKNOWN, '2'},  // a digit key whose symbol is not a digit
        {SDL_SCANCODE_SPACE, SDLK_SPACE, 32},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, 13},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 13},
        {SDL_SCANCODE_F1, SDLK_F1, 112},
        {SDL_SCANCODE_F4, SDLK_F4, 115},
        {SDL_SCANCODE_F12, SDLK_F12, 123},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, 37},
        {SDL_SCANCODE_UP, SDLK_UP, 38},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, 39},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, 40},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 160},
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, 161},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, 162},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, 163},
        {SDL_SCANCODE_LALT, SDLK_LALT, 164},
        {SDL_SCANCODE_RALT, SDLK_RALT, 165},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, 91},
        {SDL_SCANCODE_RGUI, SDLK_RGUI, 92},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, 96},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, 105},
        {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, 192},
        {SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, 0},
        {SDL_SCANCODE_SLEEP, SDLK_SLEEP, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyCodeFromSDL(c.scancode, c.sym), c.key) << SDL_GetScancodeName(c.scancode);
    }
    // The generic Shift, Control and Alt codes are never produced by any key.
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        int key = KeyCodeFromSDL(static_cast<SDL_Scancode>(s), SDLK_UNKNOWN);
        EXPECT_TRUE(key != 16 && key != 17 && key != 18) << s;
        EXPECT_TRUE(key >= 0 && key <= 255) << s;
    }
}

TEST_F(SDLTranslatorTest, KeysGiveDownRepeatUpWithModifiersBySide) {
    Key(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT);
    Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT);
    Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT, 1);
    Key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT);
    Key(SDL_KEYUP, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 0);
    Key(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL | KMOD_NUM);
    Key(SDL_KEYDOWN, SDL_SCANCODE_SLEEP, SDLK_SLEEP, KMOD_RCTRL);  // no code: nothing
    std::vector<TRecorded> expected = {
        {EVENT_KEYDOWN, 160, 1, 0, 0},   {EVENT_KEYDOWN, 'A', 1, 0, 0},
        {EVENT_KEYREPEAT, 'A', 1, 0, 0}, {EVENT_KEYUP, 'A', 1, 0, 0},
        {EVENT_KEYUP, 160, 0, 0, 0},     {EVENT_KEYDOWN, 163, 2, 0, 0},
    };
    EXPECT_EQ(events, expected);
}

TEST_F(SDLTranslatorTest, TypedTextAndControlKeysBecomeCharacters) {
    Text("a\xC3\xA9\xE2\x82\xAC");  // a, e-acute, euro sign
    Text("\xF0\x9F\x98\x80");       // outside 16 bits: a surrogate pair
    Text("\xFFz");                  // a stray byte is skipped
    Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
    Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0, 1);
    Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL);
    Key(SDL_KEYDOWN, SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL);
    std::vector<int> chars;
    for (const auto& event : events) {
        if (event.id == EVENT_KEYCHAR) chars.push_back(event.data);
    }
    EXPECT_EQ(chars, (std::vector<int>{'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 'z', 13, 8, 3}));
}

TEST_F(SDLTranslatorTest, AltF4AsksToCloseAndAQuitRightAfterACloseIsNotDoubled) {
    Key(SDL_KEYDOWN, SDL_SCANCODE_F4, SDLK_F4);  // F4 alone is just a key
    Key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
    Key(SDL_KEYDOWN, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT, 0);
    EXPECT_EQ(Ids(),
              (std::vector<int>{EVENT_KEYDOWN, EVENT_KEYDOWN, EVENT_KEYDOWN, EVENT_APPTERMINATE}));
    events.clear();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    Window(SDL_WINDOWEVENT_CLOSE);
    translator.Translate(quit);
    translator.Translate(quit);  // a quit on its own (a signal) still ends the game
    EXPECT_EQ(Ids(), (std::vector<int>{EVENT_APPTERMINATE, EVENT_APPTERMINATE}));
}

TEST_F(SDLTranslatorTest, ButtonsMapAndCaptureUntilTheLastIsReleased) {
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 11, 21);
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -5, 700);  // outside while captured
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 12, 22);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 2, 2);  // a double click still counts
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 2);         // no code: nothing
    std::vector<TRecorded> expected = {
        {EVENT_MOUSEDOWN, 1, 0, 10, 20}, {EVENT_MOUSEDOWN, 2, 0, 11, 21},
        {EVENT_MOUSEUP, 1, 0, -5, 700},  {EVENT_MOUSEUP, 2, 0, 12, 22},
        {EVENT_MOUSEDOWN, 3, 0, 1, 2},
    };
    EXPECT_EQ(events, expected);
    EXPECT_EQ(windows.captures, (std::vector<bool>{true, true, false, true}));
    windows.captures.clear();
    windows.fullScreen = true;
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 2);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 2);
    EXPECT_EQ(windows.captures, (std::vector<bool>{false}));  // no capture in full screen
}

TEST_F(SDLTranslatorTest, WheelDetentsAreTruncatedTowardZero) {
    struct TCase {
        float amount;
        Uint32 direction;
        int detents;
    } cases[] = {
        {1.0f, SDL_MOUSEWHEEL_NORMAL, 1},
        {-1.0f, SDL_MOUSEWHEEL_NORMAL, -1},
        {0.5f, SDL_MOUSEWHEEL_NORMAL, 0},
        {-0.5f, SDL_MOUSEWHEEL_NORMAL, 0},
        {2.9f, SDL_MOUSEWHEEL_NORMAL, 2},
        {-2.9f, SDL_MOUSEWHEEL_NORMAL, -2},
        {1.0f, SDL_MOUSEWHEEL_FLIPPED, -1},
        {1e9f, SDL_MOUSEWHEEL_NORMAL, 273},
        {std::numeric_limits<float>::quiet_NaN(), SDL_MOUSEWHEEL_NORMAL, 0},
    };
    for (const auto& c : cases) {
        events.clear();
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = 1;
        e.wheel.preciseY = c.amount;
        e.wheel.y = static_cast<Sint32>(std::isfinite(c.amount) ? c.amount : 0);
        e.wheel.direction = c.direction;
        e.wheel.mouseX = 40;
        e.wheel.mouseY = 50;
        translator.Translate(e);
        ASSERT_EQ(events.size(), 1u) << c.amount;
        EXPECT_EQ(events[0].id, EVENT_MOUSEWHEEL);
        EXPECT_EQ(events[0].data, c.detents) << c.amount;
        EXPECT_EQ(events[0].x, 40);
        EXPECT_EQ(events[0].y, 50);
    }
}

TEST_F(SDLTranslatorTest, EnterAndLeaveFollowTheClientRectangle) {
    Motion(10, 10);    // enter
    Motion(799, 599);  // still inside
    windows.pointerX = 801;
    windows.pointerY = 300;
    Motion(800, 300);  // just outside the right edge: leave
    Motion(-1, 5);     // still outside
    Motion(0, 0);      // enter again
    windows.pointerX = 400;
    windows.pointerY = -3;
    Window(SDL_WINDOWEVENT_LEAVE);  // the window system says the pointer left
    Window(SDL_WINDOWEVENT_LEAVE);  // not tracked any more: nothing
    std::vector<TRecorded> expected = {
        {EVENT_MOUSEENTER, 0, 0, 10, 10},  {EVENT_MOUSEMOVE, 0, 0, 10, 10},
        {EVENT_MOUSEMOVE, 0, 0, 799, 599}, {EVENT_MOUSELEAVE, 0, 0, 801, 300},
        {EVENT_MOUSEMOVE, 0, 0, 800, 300}, {EVENT_MOUSEMOVE, 0, 0, -1, 5},
        {EVENT_MOUSEENTER, 0, 0, 0, 0},    {EVENT_MOUSEMOVE, 0, 0, 0, 0},
        {EVENT_MOUSELEAVE, 0, 0, 400, -3},
    };
    EXPECT_EQ(events, expected);
    EXPECT_EQ(translator.TrackedWindow(), 0u);
    EXPECT_TRUE(windows.cursor.empty());  // always shown while the visible flag is set
}

TEST_F(SDLTranslatorTest, HiddenPointerIsHiddenOnlyOverTheClientArea) {
    translator.SetMouseVisible(0);  // not over the window yet: stays shown
    Motion(5, 5);                   // over it: hide
    Motion(6, 6);                   // no change, no call
    translator.SetMouseVisible(1);  // show
    translator.SetMouseVisible(0);  // hide again
    Motion(-10, 5);                 // left: show
    EXPECT_EQ(windows.cursor, (std::vector<bool>{false, true, false, true}));
}

TEST_F(SDLTranslatorTest, ApplicationFocusBecomesResumeAndSuspend) {
    Window(SDL_WINDOWEVENT_FOCUS_GAINED);
    Window(SDL_WINDOWEVENT_FOCUS_GAINED);  // already active
    windows.focused = true;                // focus went to another of our windows
    Window(SDL_WINDOWEVENT_FOCUS_LOST);
    windows.focused = false;
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    windows.captures.clear();
    Window(SDL_WINDOWEVENT_FOCUS_LOST);
    Window(SDL_WINDOWEVENT_SHOWN);  // other window events say nothing
    EXPECT_EQ(Ids(), (std::vector<int>{EVENT_APPRESUME, EVENT_MOUSEDOWN, EVENT_APPSUSPEND}));
    EXPECT_EQ(windows.captures, (std::vector<bool>{false}));  // the capture is let go
}

}  // namespace
