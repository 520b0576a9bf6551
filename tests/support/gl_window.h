// A real 800x600 OpenGL window for display tests, opened the way the game opens it, plus
// pixel read-back helpers. Skips the test when there is no X display.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "engine/graphics/graphics.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/render.h"

class GLWindowTest : public testing::Test {
  protected:
    static constexpr const char* kTitle = "ZANDOR gl test";

    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no DISPLAY";
        StartGraphicsModules();
        SetAppTitle(kTitle);
        graphics = OpenGraphics(800, 600, 0, 60, 0);
        ASSERT_TRUE(graphics) << "the window did not open: " << GraphicsError();
    }
    void TearDown() override { EndGraphics(); }

    // 0xAARRGGBB of the back-buffer pixel at (x, y).
    static std::uint32_t Pixel(int x, int y) {
        std::shared_ptr<TPixmap> p = GrabPixmap(x, y, 1, 1);
        return p ? p->ReadPixel(0, 0) : 0xDEADBEEFu;
    }
    static int Red(std::uint32_t argb) { return static_cast<int>((argb >> 16) & 255); }
    static int Green(std::uint32_t argb) { return static_cast<int>((argb >> 8) & 255); }
    static int Blue(std::uint32_t argb) { return static_cast<int>(argb & 255); }
    static std::uint32_t Rgb(std::uint32_t argb) { return argb & 0xFFFFFFu; }

    std::shared_ptr<TGraphics> graphics;
};
