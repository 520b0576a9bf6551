// The real OpenGL window: where it opens, its caption, cleared buffers, swap-interval and
// render-state caches, and failing softly without a display.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "engine/graphics/image.h"
#include "engine/graphics/internal/gl_graphics_driver.h"
#include "engine/graphics/internal/gl_tela2d_driver.h"
#include "engine/system/input.h"
#include "engine/system/system_driver.h"
#include "tests/support/gl_window.h"

#include <SDL.h>

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

using GLContext = GLWindowTest;

TEST_F(GLContext, WindowIs800x600At32x32WithTheCaption) {
    auto* window = static_cast<SDL_Window*>(GLGraphicsDriver()->CurrentWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(window), kTitle);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE, 0u);
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(GraphicsWidth(), 800);
    EXPECT_EQ(GraphicsHeight(), 600);
    EXPECT_EQ(GraphicsFlags() & GFX_BACKBUFFER, GFX_BACKBUFFER);
    int doublebuffer = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doublebuffer);
    EXPECT_EQ(doublebuffer, 1);

    // The X server's own view of the client area, when the tool is there.
    if (Shell("command -v xwininfo").empty()) return;
    const std::string info = Shell(std::string("xwininfo -name '") + kTitle + "'");
    ASSERT_FALSE(info.empty());
    EXPECT_NE(info.find("Absolute upper-left X:  32"), std::string::npos) << info;
    EXPECT_NE(info.find("Absolute upper-left Y:  32"), std::string::npos) << info;
    EXPECT_NE(info.find("Width: 800"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 600"), std::string::npos) << info;
    SDL_GetWindowPosition(window, &x, &y);
    EXPECT_EQ(x, 32);
    EXPECT_EQ(y, 32);
}

TEST_F(GLContext, BothBuffersStartClearedToBlack) {
    for (int buffer = 0; buffer < 2; ++buffer) {
        std::shared_ptr<TPixmap> all = GrabPixmap(0, 0, 800, 600);
        ASSERT_TRUE(all);
        int lit = 0;
        for (int y = 0; y < 600; y += 7) {
            for (int x = 0; x < 800; x += 7) lit += Rgb(all->ReadPixel(x, y)) != 0;
        }
        EXPECT_EQ(lit, 0) << "buffer " << buffer;
        Flip(0);
    }
}

TEST_F(GLContext, DisplayModesHaveAtLeastSixteenBits) {
    const std::vector<TGraphicsMode>& modes = GraphicsModes();
    ASSERT_FALSE(modes.empty());
    EXPECT_LE(modes.size(), 1024u);
    for (const TGraphicsMode& m : modes) {
        EXPECT_GE(m.depth, 16) << m.ToString();
        EXPECT_GT(m.width, 0) << m.ToString();
    }
}

TEST_F(GLContext, ClsUsesTheClearColour) {
    SetClsColor(10, 300, -4);
    Cls();
    EXPECT_EQ(Rgb(Pixel(5, 5)), 0x0AFF00u);
}

TEST_F(GLContext, DriverCachesFilterRedundantState) {
    TGLTela2DDriver* driver = GLTela2DDriver();
    ASSERT_EQ(CurrentTela2DDriver(), driver);
    EXPECT_EQ(driver->CachedBlend(), BLEND_MASK);
    SetBlend(BLEND_ALPHA);
    EXPECT_EQ(driver->CachedBlend(), BLEND_ALPHA);
    glDisable(GL_BLEND);  // behind the cache's back: the same mode must not be re-applied
    SetBlend(BLEND_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    driver->ResetGLContext(*CurrentTela2DGraphics());
    SetBlend(BLEND_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "after a reset the same mode goes through again";

    struct ColourCase {
        int r, g, b;
        float alpha;
        unsigned char bytes[4];
    };
    const ColourCase colours[] = {
        {300, -5, 128, 0.5f, {255, 0, 128, 127}},
        {0, 255, 1, 1.5f, {0, 255, 1, 255}},
        {7, 8, 9, -1.0f, {7, 8, 9, 0}},
    };
    for (const ColourCase& c : colours) {
        SetColor(c.r, c.g, c.b);
        SetAlpha(c.alpha);
        const unsigned char* bytes = driver->ColorBytes();
        EXPECT_EQ(std::vector<int>(bytes, bytes + 4), std::vector<int>(c.bytes, c.bytes + 4));
    }

    // Flip's sync value becomes a swap interval of 0 or 1, sent only when it changes.
    Flip(1);
    EXPECT_EQ(GLGraphicsDriver()->SwapIntervalCache(), 1);  // Xvfb may refuse the 1 itself
    Flip(-1);
    EXPECT_EQ(GLGraphicsDriver()->SwapIntervalCache(), 0);
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
}

TEST_F(GLContext, TexturesArePowerOfTwoAndMadeInTheSharedContext) {
    struct Case {
        int w, h;
        float u1, v1;
    };
    const Case cases[] = {{30, 30, 0.9375f, 0.9375f},
                          {1, 1, 1, 1},
                          {800, 600, 0.78125f, 0.5859375f},
                          {64, 3, 1, 0.75f}};
    TGLTela2DDriver* driver = GLTela2DDriver();
    DrawRect(0, 0, 1, 1);  // texturing off, nothing bound in the drawing context
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        std::shared_ptr<TPixmap> pixmap = TPixmap::Create(c.w, c.h, PF_RGBA8888);
        pixmap->ClearPixels(0xFF102030u);
        auto frame = std::dynamic_pointer_cast<TGLImageFrame>(
            driver->CreateFrameFromPixmap(pixmap, IMAGE_FILTERED | IMAGE_MIPMAPPED));
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->u1, c.u1);
        EXPECT_EQ(frame->v1, c.v1);
        EXPECT_EQ(frame->seq, GraphicsSeq());
        EXPECT_EQ(driver->CachedTexture(), 0u) << "the drawing context's binding is untouched";
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0);
    }
}

TEST_F(GLContext, EdgeTexelsAreDuplicatedForFiltering) {
    // 3x3 with distinct colours per pixel, in a 4x4 texture.
    std::shared_ptr<TPixmap> pixmap = TPixmap::Create(3, 3, PF_RGBA8888);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            pixmap->WritePixel(x, y, 0xFF000000u | (x * 40 << 16) | (y * 50));
    }
    auto frame = std::dynamic_pointer_cast<TGLImageFrame>(
        GLTela2DDriver()->CreateFrameFromPixmap(pixmap, IMAGE_FILTERED));
    ASSERT_TRUE(frame);
    std::uint32_t texels[16];
    {
        TGLSharedContextScope shared;
        ASSERT_TRUE(shared.Active());
        glBindTexture(GL_TEXTURE_2D, frame->name);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    for (int y = 0; y < 3; ++y) EXPECT_EQ(texels[y * 4 + 3], texels[y * 4 + 2]) << "row " << y;
    for (int x = 0; x < 3; ++x) EXPECT_EQ(texels[12 + x], texels[8 + x]) << "column " << x;
    EXPECT_EQ(texels[15], texels[10]);
}

TEST_F(GLContext, ADroppedFrameDeletesItsTextureAndTheBindingIsForgotten) {
    TGLTela2DDriver* driver = GLTela2DDriver();
    std::shared_ptr<TPixmap> pixmap = TPixmap::Create(8, 8, PF_RGBA8888);
    pixmap->ClearPixels(0xFFFFFFFFu);
    std::shared_ptr<TImage> image = TImage::Load(pixmap, 0, 0, 0, 0);
    DrawImage(image, 10, 10);
    auto frame = std::dynamic_pointer_cast<TGLImageFrame>(image->frames[0]);
    ASSERT_TRUE(frame);
    const unsigned int name = frame->name;
    EXPECT_EQ(driver->CachedTexture(), name);
    frame.reset();
    image.reset();
    EXPECT_EQ(driver->CachedTexture(), 0u) << "a new texture reusing the name must be bound";
    TGLSharedContextScope shared;
    ASSERT_TRUE(shared.Active());
    EXPECT_FALSE(glIsTexture(name));
}

// This test program again, in a child with `environment` in front, running only `filter`;
// its combined output followed by "exit=<status>".
std::string RunSelf(const std::string& environment, const std::string& filter) {
    const std::string self = Shell("readlink /proc/" + std::to_string(getpid()) + "/exe");
    return Shell("env " + environment + " ZANDOR_TEST_CHILD=1 " + self.substr(0, self.size() - 1) +
                 " --gtest_filter=" + filter + " 2>&1; echo exit=$?");
}

bool InChild() {
    return std::getenv("ZANDOR_TEST_CHILD") != nullptr;
}

// Without a reachable display the window cannot open: OpenGraphics gives null and says why,
// naming the display it tried, and SDL's invisible fallbacks are not taken for a display.
TEST(GLNoDisplay, OpenGraphicsReturnsNullAndSaysWhy) {
    if (!InChild()) {
        const std::string unset = "-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER";
        for (const std::string& environment :
             {unset, unset + " DISPLAY=:9999",
              unset + " DISPLAY=:9999 WAYLAND_DISPLAY=zandor-none"}) {
            const std::string out = RunSelf(environment, "GLNoDisplay.*");
            EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << environment << out;
            EXPECT_NE(out.find("exit=0"), std::string::npos) << environment << out;
        }
        // Only where Wayland is named may its probe speak.
        EXPECT_EQ(RunSelf(unset + " DISPLAY=:9999", "GLNoDisplay.*").find("XDG_RUNTIME_DIR"),
                  std::string::npos);
        return;
    }
    StartGraphicsModules();
    EXPECT_FALSE(OpenGraphics(800, 600, 0, 60, 0));
    EXPECT_FALSE(CurrentGraphics());
    // Not left running on an invisible driver.
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    std::string expected = "no display: DISPLAY is not set";
    if (std::getenv("WAYLAND_DISPLAY")) {
        expected = "cannot reach the X display \":9999\" or the Wayland display \"zandor-none\"";
    } else if (std::getenv("DISPLAY")) {
        expected = "cannot reach the X display \":9999\"";
    }
    EXPECT_EQ(GraphicsError(), expected);
    Flip(-1);
    Cls();
    DrawRect(0, 0, 10, 10);
}

// A window whose context cannot be made (here: SDL loads a libGL that refuses shared
// contexts) gives null with the platform's reason, and no window is left behind.
TEST(GLNoContext, AWindowWithoutAContextGivesNull) {
    if (!InChild()) {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no DISPLAY";
        const std::string out =
            RunSelf(std::string("SDL_OPENGL_LIBRARY=") + ZANDOR_GL_REFUSING_SHARED_CONTEXTS,
                    "GLNoContext.*");
        EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
        EXPECT_NE(out.find("exit=0"), std::string::npos) << out;
        return;
    }
    StartGraphicsModules();
    EXPECT_FALSE(OpenGraphics(800, 600, 0, 60, 0));
    EXPECT_FALSE(CurrentGraphics());
    // The hidden context was made: it is the window's own context that failed.
    EXPECT_TRUE(GLGraphicsDriver()->HasSharedContext());
    EXPECT_EQ(GraphicsError(), "Could not create GL context");
    int windows = 0;
    for (Uint32 id = 1; id < 64; ++id) windows += SDL_GetWindowFromID(id) != nullptr;
    EXPECT_EQ(windows, 1) << "only the hidden window";
}

// The display goes away under an open window: the server ends, or the window is destroyed
// from outside. Either way the display-lost handler gets one line and the process ends with
// status 1 instead of dying in Xlib. Runs on an X server of its own.
TEST(GLDisplayLost, TheHandlerSaysWhyAndTheProcessEndsWithStatusOne) {
    if (InChild()) {
        SetDisplayLostHandler(
            [](const std::string& what) { std::printf("lost: %s\n", what.c_str()); });
        StartSystemDriver();
        StartGraphicsModules();
        SetAppTitle("ZANDOR lost-display test");
        ASSERT_TRUE(OpenGraphics(320, 200, 0, 60, 0));
        std::printf("open\n");
        std::fflush(stdout);
        for (int frame = 0; frame < 600; ++frame) {
            Cls();
            Flip(-1);
            PollSystem();
        }
        ADD_FAILURE() << "the display was never lost";
        return;
    }
    if (Shell("command -v Xvfb >/dev/null && command -v xdotool").empty())
        GTEST_SKIP() << "no Xvfb or xdotool";
    const std::string self = Shell("readlink /proc/" + std::to_string(getpid()) + "/exe");
    for (const std::string how : {"close-window", "end-server"}) {
        // Xvfb picks a free display itself and names it on descriptor 3.
        const std::string script = "how=" + how + "\nself=" + self + R"(
            dir=$(mktemp -d); exec 3>"$dir/display"
            Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 & server=$!
            for i in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
            export DISPLAY=:$(cat "$dir/display") ZANDOR_TEST_CHILD=1
            timeout -s KILL 30 "$self" --gtest_filter=GLDisplayLost.* >"$dir/out" 2>&1 & child=$!
            for i in $(seq 300); do grep -q '^open$' "$dir/out" && break; sleep 0.1; done
            if [ $how = close-window ]; then
                xdotool search --name 'ZANDOR lost-display test' windowclose
            else
                kill $server
            fi
            wait $child; echo "exit=$?"; kill $server 2>/dev/null; wait $server
            grep '^lost: ' "$dir/out"; rm -rf "$dir")";
        const std::string out = Shell(script);
        SCOPED_TRACE(how);
        EXPECT_NE(out.find("exit=1\n"), std::string::npos) << out;
        if (how == "close-window") {
            EXPECT_NE(
                out.find(
                    "lost: the display was lost (the game window was destroyed from outside)\n"),
                std::string::npos)
                << out;
        } else {
            EXPECT_NE(out.find("\" broke)\n"), std::string::npos) << out;
            EXPECT_NE(out.find("lost: the display was lost (the connection to \":"),
                      std::string::npos)
                << out;
        }
    }
}

}  // namespace
