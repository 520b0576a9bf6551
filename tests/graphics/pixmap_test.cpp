// Pixel buffers: layout, views, per-format channel rules, conversion, masking, resampling.
#include <gtest/gtest.h>

#include <vector>

#include "engine/graphics/pixmap.h"

namespace {

constexpr int kAllFormats[] = {PF_I8, PF_A8, PF_BGR888, PF_RGB888, PF_BGRA8888, PF_RGBA8888};

std::vector<int> Bytes(const TPixmap& p, int x, int y) {
    const std::uint8_t* q = p.PixelPtr(x, y);
    return std::vector<int>(q, q + BytesPerPixel(p.format));
}

std::vector<int> Rgba(const TPixmap& p, int x, int y) {
    const std::uint32_t c = p.ReadPixel(x, y);
    return {int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255), int(c >> 24)};
}

TEST(PixmapTest, PitchIsRowBytesRoundedUpToAlignment) {
    struct Case {
        int width, format, align, pitch;
    } cases[] = {
        {3, PF_RGB888, 4, 12}, {3, PF_I8, 4, 4},       {4, PF_I8, 4, 4}, {5, PF_RGBA8888, 4, 20},
        {3, PF_RGB888, 1, 9},  {0, PF_RGBA8888, 4, 0}, {7, PF_A8, 8, 8}, {1, PF_BGR888, 0, 3},
    };
    for (const auto& c : cases) {
        auto p = TPixmap::Create(c.width, 2, c.format, c.align);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->pitch, c.pitch) << c.width << " px, format " << c.format;
        EXPECT_EQ(p->capacity, c.pitch * 2);
        EXPECT_EQ(p->PixelPtr(1, 1) - p->pixels, c.pitch + BytesPerPixel(c.format));
    }
    EXPECT_FALSE(TPixmap::Create(-1, 2, PF_I8));
    EXPECT_FALSE(TPixmap::Create(2, 2, 7));
    EXPECT_FALSE(TPixmap::Create(2, 2, 0));
}

TEST(PixmapTest, WindowSharesMemoryAndKeepsParentAlive) {
    auto parent = TPixmap::Create(3, 3, PF_RGB888, 4);
    parent->ClearPixels(0);
    auto view = parent->Window(1, 1, 2, 2);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->pitch, 12);
    EXPECT_EQ(view->format, PF_RGB888);
    EXPECT_EQ(view->capacity, -1);
    EXPECT_EQ(view->pixels, parent->PixelPtr(1, 1));

    view->WritePixel(1, 1, 0xff0a141e);
    EXPECT_EQ(Bytes(*parent, 2, 2), (std::vector<int>{10, 20, 30}));

    std::weak_ptr<TPixmap> weak = parent;
    parent.reset();
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(view->ReadPixel(1, 1), 0xff0a141eu);
    view.reset();
    EXPECT_TRUE(weak.expired());
}

TEST(PixmapTest, WindowOutsideTheParentIsRefused) {
    auto parent = TPixmap::Create(4, 3, PF_I8, 4);
    struct Rect {
        int x, y, w, h;
        bool ok;
    } rects[] = {{0, 0, 4, 3, true},   {3, 2, 1, 1, true},   {4, 3, 0, 0, true},
                 {-1, 0, 2, 2, false}, {0, -1, 2, 2, false}, {3, 0, 2, 1, false},
                 {0, 2, 1, 2, false},  {0, 0, -1, 1, false}};
    for (const auto& r : rects) {
        EXPECT_EQ(bool(parent->Window(r.x, r.y, r.w, r.h)), r.ok)
            << r.x << "," << r.y << " " << r.w << "x" << r.h;
    }
}

TEST(PixmapTest, WritePixelKeepsOnlyTheFormatsChannels) {
    // A = 0x80, R = 0xC0, G = 0x60, B = 0x30; grey is (192 + 96 + 48) / 3 = 112.
    const std::uint32_t colour = 0x80c06030;
    struct Case {
        int format;
        std::vector<int> bytes;
        std::uint32_t read_back;
    } cases[] = {
        {PF_I8, {112}, 0xff707070},
        {PF_A8, {0x80}, 0x80ffffff},
        {PF_BGR888, {0x30, 0x60, 0xc0}, 0xffc06030},
        {PF_RGB888, {0xc0, 0x60, 0x30}, 0xffc06030},
        {PF_BGRA8888, {0x30, 0x60, 0xc0, 0x80}, 0x80c06030},
        {PF_RGBA8888, {0xc0, 0x60, 0x30, 0x80}, 0x80c06030},
    };
    for (const auto& c : cases) {
        auto p = TPixmap::Create(2, 2, c.format);
        p->ClearPixels(0);
        p->WritePixel(1, 1, colour);
        EXPECT_EQ(Bytes(*p, 1, 1), c.bytes) << "format " << c.format;
        EXPECT_EQ(p->ReadPixel(1, 1), c.read_back) << "format " << c.format;
        EXPECT_EQ(Bytes(*p, 0, 1), std::vector<int>(c.bytes.size(), 0)) << "neighbour untouched";
    }
}

TEST(PixmapTest, ConvertBetweenEveryPairMatchesReadThenWrite) {
    // Converting a buffer must give what reading each pixel and writing it into the target
    // format gives: the row path through RGBA may not lose or invent channels.
    const std::uint32_t colours[] = {0x00000000, 0xffffffff, 0x80c06030, 0x7f01fe42, 0xff102030};
    for (int from : kAllFormats) {
        auto src = TPixmap::Create(5, 3, from, 4);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) src->WritePixel(x, y, colours[(x + y) % 5]);
        }
        for (int to : kAllFormats) {
            auto dst = src->Convert(to);
            ASSERT_TRUE(dst);
            ASSERT_EQ(dst->format, to);
            auto one = TPixmap::Create(1, 1, to);
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 5; ++x) {
                    one->WritePixel(0, 0, src->ReadPixel(x, y));
                    EXPECT_EQ(dst->ReadPixel(x, y), one->ReadPixel(0, 0))
                        << from << "->" << to << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(PixmapTest, PasteConvertsIntoPlace) {
    auto dst = TPixmap::Create(4, 4, PF_RGBA8888);
    dst->ClearPixels(0);
    auto src = TPixmap::Create(2, 2, PF_I8);
    src->ClearPixels(0xff505050);
    src->WritePixel(1, 1, 0xffa0a0a0);
    dst->Paste(*src, 1, 2);
    EXPECT_EQ(dst->ReadPixel(0, 2), 0u);
    EXPECT_EQ(dst->ReadPixel(1, 2), 0xff505050u);
    EXPECT_EQ(dst->ReadPixel(2, 3), 0xffa0a0a0u);
    EXPECT_EQ(dst->ReadPixel(3, 3), 0u);
    EXPECT_EQ(dst->ReadPixel(1, 1), 0u);
}

TEST(PixmapTest, ClearPixelsStaysInsideAView) {
    auto parent = TPixmap::Create(4, 4, PF_RGBA8888);
    parent->ClearPixels(0);
    parent->Window(1, 1, 2, 2)->ClearPixels(0x80ff0000);
    int set = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_EQ(parent->ReadPixel(x, y), inside ? 0x80ff0000u : 0u) << x << "," << y;
            set += inside;
        }
    }
    EXPECT_EQ(set, 4);
}

TEST(PixmapTest, MaskTurnsKeyPixelsTransparentWithNeighbourAverage) {
    // 5x5 RGB buffer, a 3x3 black block in the middle, colours around it: R = 10x + y,
    // G = 100, B = 7y.
    auto p = TPixmap::Create(5, 5, PF_RGB888);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool black = x >= 1 && x <= 3 && y >= 1 && y <= 3;
            const std::uint32_t r = 10 * x + y, g = 100, b = 7 * y;
            p->WritePixel(x, y, black ? 0xff000000 : (0xff000000 | r << 16 | g << 8 | b));
        }
    }
    auto m = MaskPixmap(p, 0, 0, 0);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->format, PF_RGBA8888);
    EXPECT_EQ(Rgba(*m, 0, 0), (std::vector<int>{0, 100, 0, 255}));
    EXPECT_EQ(Rgba(*m, 4, 2), (std::vector<int>{42, 100, 14, 255}));
    // (1,1) sees (0,0) (1,0) (2,0) (0,1) (0,2): R 0+10+20+1+2 = 33 / 5, B 0+0+0+7+14 = 21 / 5.
    EXPECT_EQ(Rgba(*m, 1, 1), (std::vector<int>{6, 100, 4, 0}));
    // (2,1) sees (1,0) (2,0) (3,0): R 10+20+30 / 3.
    EXPECT_EQ(Rgba(*m, 2, 1), (std::vector<int>{20, 100, 0, 0}));
    // Nothing around the centre but black.
    EXPECT_EQ(Rgba(*m, 2, 2), (std::vector<int>{0, 0, 0, 0}));
}

TEST(PixmapTest, MaskDiscardsSourceAlphaAndHonoursOtherKeys) {
    auto p = TPixmap::Create(3, 1, PF_RGBA8888);
    p->WritePixel(0, 0, 0x07ff00ff);  // magenta, nearly transparent
    p->WritePixel(1, 0, 0x00102030);  // visible colour with zero alpha
    p->WritePixel(2, 0, 0xffff00ff);
    auto m = MaskPixmap(p, 255, 0, 255);
    EXPECT_EQ(Rgba(*m, 1, 0), (std::vector<int>{0x10, 0x20, 0x30, 255}));
    EXPECT_EQ(Rgba(*m, 0, 0), (std::vector<int>{0x10, 0x20, 0x30, 0}));
    EXPECT_EQ(Rgba(*m, 2, 0), (std::vector<int>{0x10, 0x20, 0x30, 0}));
    EXPECT_FALSE(MaskPixmap(nullptr, 0, 0, 0));
}

TEST(PixmapTest, ResizeUsesPixelCentresAndClampsAtTheEdges) {
    struct Case {
        int src_w;
        std::vector<int> src;
        int dst_w;
        std::vector<int> expected;
    } cases[] = {
        // Source coordinates -0.25, 0.25, 0.75, 1.25.
        {2, {0, 255}, 4, {0, 63, 191, 255}},
        // Source coordinates 0.5 and 2.5.
        {4, {0, 100, 200, 255}, 2, {50, 227}},
        {3, {9, 80, 200}, 3, {9, 80, 200}},
        {1, {77}, 3, {77, 77, 77}},
    };
    for (const auto& c : cases) {
        // Run every case along x and along y.
        for (int vertical = 0; vertical < 2; ++vertical) {
            auto p = vertical ? TPixmap::Create(1, c.src_w, PF_RGB888)
                              : TPixmap::Create(c.src_w, 1, PF_RGB888);
            for (int i = 0; i < c.src_w; ++i) {
                const std::uint32_t v = c.src[i];
                p->WritePixel(vertical ? 0 : i, vertical ? i : 0, 0xff000000 | v << 16 | v);
            }
            auto r = vertical ? ResizePixmap(p, 1, c.dst_w) : ResizePixmap(p, c.dst_w, 1);
            ASSERT_TRUE(r);
            EXPECT_EQ(r->format, PF_RGB888);
            for (int i = 0; i < c.dst_w; ++i) {
                const auto px = Rgba(*r, vertical ? 0 : i, vertical ? i : 0);
                EXPECT_EQ(px, (std::vector<int>{c.expected[i], 0, c.expected[i], 255}))
                    << (vertical ? "column " : "row ") << c.src_w << "->" << c.dst_w << " at " << i;
            }
        }
    }
}

TEST(PixmapTest, ResizeInterpolatesInBothAxesAndAlpha) {
    auto p = TPixmap::Create(2, 2, PF_RGBA8888);
    p->WritePixel(0, 0, 0x00000000);
    p->WritePixel(1, 0, 0xff000000);
    p->WritePixel(0, 1, 0xff000000);
    p->WritePixel(1, 1, 0xff000000);
    auto r = ResizePixmap(p, 4, 4);
    // (1,1) samples (0.25, 0.25): alpha 255 * (1 - 0.75 * 0.75) = 111.56.
    EXPECT_EQ(r->ReadPixel(1, 1) >> 24, 111u);
    EXPECT_EQ(r->ReadPixel(0, 0) >> 24, 0u);
    EXPECT_EQ(r->ReadPixel(3, 3) >> 24, 255u);
}

}  // namespace
