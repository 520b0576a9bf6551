// Real X input through the SDL system driver: xdotool drives the pointer and keyboard of an
// X server (Xvfb), and the polled-input state must show what a player did.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/system/input.h"
#include "engine/system/system_driver.h"

// Xlib's macros (None, Bool, Status) collide with names in the headers above: last.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <dlfcn.h>

namespace {

constexpr int kWindowX = 32;
constexpr int kWindowY = 32;
constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct TRecorded {
    int id, data, x, y;
};

TObjectPtr Record(int, const TObjectPtr& data, void* context) {
    if (auto* event = dynamic_cast<TEvent*>(data.get())) {
        static_cast<std::vector<TRecorded>*>(context)->push_back(
            {event->id, event->data, event->x, event->y});
    }
    return data;
}

bool Xdotool(const std::string& args) {
    std::string command = "xdotool " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Pumps input (as every query does) until `done` holds or `ms` milliseconds pass.
bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
    Uint32 start = SDL_GetTicks();
    while (SDL_GetTicks() - start < static_cast<Uint32>(ms)) {
        PollEvents();
        if (done()) return true;
        SDL_Delay(5);
    }
    return false;
}

class InputSDLTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no DISPLAY";
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xdotool";
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        StartSystemDriver();
        // One window for the whole suite, as the game has: after a window is destroyed and
        // video restarted, X sometimes withholds the next button press from the new one.
        if (!window) {
            window = SDL_CreateWindow("ZANDOR input test", kWindowX, kWindowY, kWidth, kHeight,
                                      SDL_WINDOW_SHOWN);
        }
        ASSERT_NE(window, nullptr) << SDL_GetError();
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(window, &info));
        ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
        display = info.info.x11.display;
        xwindow = info.info.x11.window;
        StartPolledInput();
        InsertHook(EmitEventHookId(), Record, &events, 100);
        // Without a window manager nobody gives the window the keyboard: take it, and wait
        // until the window is mapped and focused.
        ASSERT_TRUE(PumpUntil([&] {
            SDL_SetWindowInputFocus(window);
            return (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
        })) << "the window never got the focus";
        Xdotool("mousemove " + std::to_string(kWindowX + 10) + " " + std::to_string(kWindowY + 10));
        ASSERT_TRUE(PumpUntil([] { return MousePosX() == 10 && MousePosY() == 10; }));
        ClearMouse();
        ClearKeys();
        TakeAppTerminate();
        events.clear();
    }

    void TearDown() override {
        DeleteHook(EmitEventHookId(), Record, &events);
        StopPolledInput();
    }

    static void TearDownTestSuite() {
        if (window) SDL_DestroyWindow(window);
        window = nullptr;
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    std::string Screen(int x, int y) {
        return std::to_string(kWindowX + x) + " " + std::to_string(kWindowY + y);
    }

    bool Saw(int id, int data) const {
        for (const auto& event : events) {
            if (event.id == id && event.data == data) return true;
        }
        return false;
    }

    static inline SDL_Window* window = nullptr;
    Display* display = nullptr;
    Window xwindow = 0;
    std::vector<TRecorded> events;
};

TEST_F(InputSDLTest, LeftClickIsOneHitAtItsPosition) {
    ASSERT_TRUE(Xdotool("mousemove " + Screen(50, 60) + " click 1"));
    ASSERT_TRUE(PumpUntil([&] { return Saw(EVENT_MOUSEUP, MOUSE_LEFT); }));
    EXPECT_EQ(TakeMouseHits(MOUSE_LEFT), 1);
    EXPECT_EQ(TakeMouseHits(MOUSE_LEFT), 0);
    EXPECT_EQ(TakeMouseHits(MOUSE_RIGHT), 0);
    EXPECT_EQ(IsMouseDown(MOUSE_LEFT), 0);
    EXPECT_EQ(MousePosX(), 50);
    EXPECT_EQ(MousePosY(), 60);

    ASSERT_TRUE(Xdotool("click 3 click 3"));
    ASSERT_TRUE(PumpUntil([&] {
        int ups = 0;
        for (const auto& event : events) ups += event.id == EVENT_MOUSEUP && event.data == 2;
        return ups == 2;
    }));
    EXPECT_EQ(TakeMouseHits(MOUSE_RIGHT), 2);
}

TEST_F(InputSDLTest, KeysArriveAsVirtualKeyCodes) {
    struct TCase {
        const char* keysym;
        int code;
    } cases[] = {
        {"Escape", 27},     {"a", 'A'},       {"5", '5'},       {"F1", 112},
        {"Left", 37},       {"Shift_L", 160}, {"Shift_R", 161}, {"Control_L", 162},
        {"Control_R", 163}, {"Alt_L", 164},   {"space", 32},
    };
    for (const auto& c : cases) {
        events.clear();
        ASSERT_TRUE(Xdotool(std::string("keydown ") + c.keysym));
        ASSERT_TRUE(PumpUntil([&] { return IsKeyDown(c.code) == 1; })) << c.keysym;
        ASSERT_TRUE(Xdotool(std::string("keyup ") + c.keysym));
        ASSERT_TRUE(PumpUntil([&] { return IsKeyDown(c.code) == 0; })) << c.keysym;
        EXPECT_EQ(TakeKeyHits(c.code), 1) << c.keysym;
        EXPECT_TRUE(Saw(EVENT_KEYDOWN, c.code)) << c.keysym;
        EXPECT_TRUE(Saw(EVENT_KEYUP, c.code)) << c.keysym;
        // The generic Shift, Control and Alt codes never appear.
        for (int generic : {16, 17, 18}) EXPECT_FALSE(Saw(EVENT_KEYDOWN, generic)) << c.keysym;
    }
    // Escape, a, 5 and space typed characters above; start the text afresh.
    ClearKeys();
    events.clear();
    ASSERT_TRUE(Xdotool("type hi"));
    ASSERT_TRUE(PumpUntil([&] { return Saw(EVENT_KEYCHAR, 'i'); }));
    EXPECT_EQ(NextChar(), 'h');
    EXPECT_EQ(NextChar(), 'i');
    EXPECT_EQ(NextChar(), 0);
}

TEST_F(InputSDLTest, DraggingOutsideReportsOutsidePositions) {
    // Pressed a moment after the move has arrived: a press sent hard on the heels of a move
    // in a fresh X server is sometimes never delivered.
    ASSERT_TRUE(Xdotool("mousemove " + Screen(40, 40)));
    ASSERT_TRUE(PumpUntil([] { return MousePosX() == 40; }));
    SDL_Delay(200);
    ASSERT_TRUE(Xdotool("mousedown 1"));
    ASSERT_TRUE(PumpUntil([] { return IsMouseDown(MOUSE_LEFT) == 1; }));
    // Above and left of the window while the button is held: negative client positions.
    ASSERT_TRUE(Xdotool("mousemove 5 7"));
    ASSERT_TRUE(PumpUntil([] { return MousePosX() < 0; }));
    EXPECT_EQ(MousePosX(), 5 - kWindowX);
    EXPECT_EQ(MousePosY(), 7 - kWindowY);
    ASSERT_TRUE(Xdotool("mousemove " + Screen(kWidth + 100, kHeight + 50)));
    ASSERT_TRUE(PumpUntil([] { return MousePosX() == kWidth + 100; }));
    EXPECT_EQ(MousePosY(), kHeight + 50);
    ASSERT_TRUE(Xdotool("mouseup 1"));
    ASSERT_TRUE(PumpUntil([] { return IsMouseDown(MOUSE_LEFT) == 0; }));
    EXPECT_EQ(TakeMouseHits(MOUSE_LEFT), 1);

    // Without a button the pointer outside is not followed: the position stays where the
    // pointer was last seen over the client area.
    ASSERT_TRUE(Xdotool("mousemove " + Screen(100, 100)));
    ASSERT_TRUE(PumpUntil([] { return MousePosX() == 100 && MousePosY() == 100; }));
    ASSERT_TRUE(Xdotool("mousemove " + Screen(kWidth + 200, 100)));
    ASSERT_TRUE(PumpUntil([&] { return Saw(EVENT_MOUSELEAVE, 0); }));
    int x = MousePosX();
    int y = MousePosY();
    EXPECT_TRUE(x >= 0 && x < kWidth && y >= 0 && y < kHeight) << x << "," << y;
    ASSERT_TRUE(Xdotool("mousemove " + Screen(kWidth + 250, kHeight + 150)));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(MousePosX(), x);
    EXPECT_EQ(MousePosY(), y);
}

// What a window manager's close button sends: a WM_PROTOCOLS client message naming
// WM_DELETE_WINDOW. Xlib is reached through the library SDL already loaded.
bool SendCloseRequest(Display* display, Window window) {
    void* xlib = dlopen("libX11.so.6", RTLD_NOW);
    if (!xlib) return false;
    auto internAtom =
        reinterpret_cast<Atom (*)(Display*, const char*, Bool)>(dlsym(xlib, "XInternAtom"));
    auto sendEvent = reinterpret_cast<Status (*)(Display*, Window, Bool, long, XEvent*)>(
        dlsym(xlib, "XSendEvent"));
    auto flush = reinterpret_cast<int (*)(Display*)>(dlsym(xlib, "XFlush"));
    bool sent = false;
    if (internAtom && sendEvent && flush) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = internAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(internAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        sent = sendEvent(display, window, False, NoEventMask, &event) != 0;
        flush(display);
    }
    dlclose(xlib);
    return sent;
}

TEST_F(InputSDLTest, AltF4IsACloseRequest) {
    ASSERT_TRUE(Xdotool("key alt+F4"));
    ASSERT_TRUE(PumpUntil([] { return TakeAppTerminate() == 1; }));
    EXPECT_TRUE(Saw(EVENT_KEYDOWN, KEY_F4));
    EXPECT_EQ(TakeAppTerminate(), 0);
}

TEST_F(InputSDLTest, CloseRequestSetsTerminateAndLeavesTheWindowOpen) {
    std::uint32_t id = SDL_GetWindowID(window);
    ASSERT_TRUE(SendCloseRequest(display, xwindow));
    int terminate = 0;
    ASSERT_TRUE(PumpUntil([&] { return (terminate = TakeAppTerminate()) == 1; }));
    EXPECT_EQ(TakeAppTerminate(), 0);
    EXPECT_EQ(SDL_GetWindowFromID(id), window);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);
    // Still a live window: it goes on receiving input.
    ASSERT_TRUE(Xdotool("mousemove " + Screen(20, 30) + " click 1"));
    ASSERT_TRUE(PumpUntil([&] { return Saw(EVENT_MOUSEUP, MOUSE_LEFT); }));
    EXPECT_EQ(TakeMouseHits(MOUSE_LEFT), 1);
}

}  // namespace
