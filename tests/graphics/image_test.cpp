// Images: handles, load options, masking on store, animation cells, and the lazy driver
// frames that are remade after a write lock or a reopened graphics.
#include <gtest/gtest.h>

#include <climits>

#include "engine/graphics/graphics.h"
#include "engine/graphics/image.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/platform/headless/recording_driver.h"
#include "engine/graphics/tela2d.h"

namespace {

// Restores the global load options a test changes.
class ImageTest : public testing::Test {
  protected:
    void SetUp() override {
        SetAutoMidHandle(0);
        SetAutoImageFlags(IMAGE_MASKED | IMAGE_FILTERED);
        SetMaskColor(0, 0, 0);
    }
    void TearDown() override { SetUp(); }
};

std::shared_ptr<TPixmap> Filled(int w, int h, int format, std::uint32_t argb) {
    auto p = TPixmap::Create(w, h, format);
    p->ClearPixels(argb);
    return p;
}

int CreateFrameCalls(TRecordingDriver& d) {
    return static_cast<int>(d.CallsOf(TDrawKind::CreateFrame).size());
}

TEST_F(ImageTest, MidHandleIsHalfTheSizeInFloats) {
    struct Case {
        int w, h;
        float hx, hy;
    } cases[] = {{31, 20, 15.5f, 10.0f}, {30, 1, 15.0f, 0.5f}, {0, 0, 0.0f, 0.0f}};
    for (const auto& c : cases) {
        auto image = CreateImage(c.w, c.h);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->handle_x, 0.0f);
        MidHandleImage(image);
        EXPECT_EQ(ImageXHandle(image), c.hx);
        EXPECT_EQ(ImageYHandle(image), c.hy);
    }
    auto image = CreateImage(8, 8);
    SetImageHandle(image, -3.25f, 7);
    EXPECT_EQ(image->handle_x, -3.25f);
    EXPECT_EQ(image->handle_y, 7.0f);
    // Null images are ignored rather than dereferenced.
    MidHandleImage(nullptr);
    EXPECT_EQ(ImageWidth(nullptr), 0);
}

TEST_F(ImageTest, CreateImageUsesTheGlobalOptions) {
    auto plain = CreateImage(10, 6, 3);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->flags, IMAGE_MASKED | IMAGE_FILTERED | IMAGE_DYNAMIC);
    EXPECT_EQ(plain->pixmaps.size(), 3u);
    EXPECT_EQ(plain->frames.size(), 3u);
    EXPECT_EQ(plain->seqs, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(plain->handle_x, 0.0f);

    SetAutoMidHandle(1);
    SetAutoImageFlags(-1);  // ignored
    EXPECT_EQ(AutoImageFlags(), IMAGE_MASKED | IMAGE_FILTERED);
    SetAutoImageFlags(IMAGE_MIPMAPPED);
    SetMaskColor(1, 2, 3);
    auto handled = CreateImage(10, 6);
    EXPECT_EQ(handled->flags, IMAGE_MIPMAPPED | IMAGE_DYNAMIC);
    EXPECT_EQ(handled->handle_x, 5.0f);
    EXPECT_EQ(handled->handle_y, 3.0f);
    EXPECT_EQ(handled->mask_r, 1);
    EXPECT_EQ(handled->mask_b, 3);
    EXPECT_EQ(CreateImage(4, 4, 1, 0)->flags, IMAGE_DYNAMIC);
}

TEST_F(ImageTest, StoringMasksOnlyBuffersWithoutAlpha) {
    // A black pixel among white ones, as a background JPEG would have.
    auto rgb = Filled(3, 1, PF_RGB888, 0xffffffff);
    rgb->WritePixel(1, 0, 0xff000000);
    auto rgba = Filled(3, 1, PF_RGBA8888, 0x07000000);  // black with its own alpha 7

    struct Case {
        std::shared_ptr<TPixmap> pixmap;
        int flags;
        int format;
        std::uint32_t middle;
    } cases[] = {
        {rgb, IMAGE_MASKED, PF_RGBA8888, 0x00ffffff},   // black becomes transparent white
        {rgb, IMAGE_FILTERED, PF_RGB888, 0xff000000},   // unmasked: kept as it is
        {rgba, IMAGE_MASKED, PF_RGBA8888, 0x07000000},  // own alpha wins
    };
    for (const auto& c : cases) {
        auto image = LoadImage(c.pixmap, c.flags);
        ASSERT_TRUE(image);
        const auto& stored = image->pixmaps[0];
        EXPECT_EQ(stored->format, c.format) << "flags " << c.flags;
        EXPECT_EQ(stored->ReadPixel(1, 0), c.middle) << "flags " << c.flags;
    }
    // The default flags mask, with the mask colour taken when the image is made.
    SetMaskColor(255, 255, 255);
    auto keyed = LoadImage(rgb);
    SetMaskColor(0, 0, 0);
    EXPECT_EQ(keyed->mask_r, 255);
    EXPECT_EQ(keyed->pixmaps[0]->ReadPixel(0, 0) >> 24, 0u);
    EXPECT_EQ(keyed->pixmaps[0]->ReadPixel(1, 0), 0xff000000u);
}

TEST_F(ImageTest, AnimationCellsComeFromTheGrid) {
    // 110x100 strip of 50x50 cells: two columns (10 pixels left over), two rows. Each cell is
    // filled with its own colour.
    auto strip = TPixmap::Create(110, 100, PF_RGBA8888);
    strip->ClearPixels(0xff777777);
    for (int cell = 0; cell < 4; ++cell) {
        strip->Window(cell % 2 * 50, cell / 2 * 50, 50, 50)->ClearPixels(0xff000010 + cell);
    }
    struct Case {
        int first, count;
        bool ok;
    } cases[] = {{1, 1, true},
                 {0, 4, true},
                 {2, 2, true},
                 {3, 2, false},
                 {1, 4, false},
                 {0, 5, false},
                 // A first cell so large that adding the count would overflow.
                 {INT_MAX, 1, false}};
    for (const auto& c : cases) {
        auto image = LoadAnimImage(strip, 50, 50, c.first, c.count);
        ASSERT_EQ(bool(image), c.ok) << c.first << "+" << c.count;
        if (!image) continue;
        EXPECT_EQ(image->width, 50);
        EXPECT_EQ(image->height, 50);
        ASSERT_EQ(static_cast<int>(image->pixmaps.size()), c.count);
        for (int i = 0; i < c.count; ++i) {
            const auto& p = image->pixmaps[i];
            EXPECT_EQ(p->width, 50);
            EXPECT_EQ(p->ReadPixel(0, 0), 0xff000010u + c.first + i);
            EXPECT_EQ(p->ReadPixel(49, 49), 0xff000010u + c.first + i);
        }
    }
    // The 100x50 strip of the classic case: two cells.
    auto pair = TPixmap::Create(100, 50, PF_RGBA8888);
    pair->ClearPixels(0xff000001);
    pair->Window(50, 0, 50, 50)->ClearPixels(0xff000002);
    auto second = LoadAnimImage(pair, 50, 50, 1, 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->pixmaps[0]->ReadPixel(10, 10), 0xff000002u);
    EXPECT_FALSE(LoadAnimImage(pair, 50, 50, 1, 2));
    // Copies, not views: changing the strip afterwards changes nothing.
    pair->ClearPixels(0);
    EXPECT_EQ(second->pixmaps[0]->ReadPixel(10, 10), 0xff000002u);
    // Cell sizes that cannot make a grid.
    EXPECT_FALSE(LoadAnimImage(pair, 0, 50, 0, 1));
    EXPECT_FALSE(LoadAnimImage(pair, 50, -1, 0, 1));
    EXPECT_FALSE(LoadAnimImage(pair, 60, 60, 0, 1));
}

TEST_F(ImageTest, LoadFailuresGiveNull) {
    EXPECT_FALSE(LoadImage(std::string("incbin::no/such/image.png")));
    EXPECT_FALSE(LoadImage(std::shared_ptr<TPixmap>()));
    EXPECT_FALSE(LoadAnimImage(std::string("/no/such/file.png"), 8, 8, 0, 1));
}

TEST_F(ImageTest, LockCreatesAClearBufferAndWriteDropsTheFrame) {
    TRecordingGraphics gfx;
    auto image = CreateImage(3, 2, 2);
    auto p = LockImage(image, 1);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, PF_RGBA8888);
    EXPECT_EQ(p->width, 3);
    EXPECT_EQ(p->height, 2);
    EXPECT_EQ(p->pitch, 12);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(p->ReadPixel(x, y), 0u);
    }
    EXPECT_EQ(LockImage(image, 1), p);  // the same buffer each time
    EXPECT_FALSE(image->Lock(2, 1, 1));
    EXPECT_FALSE(image->Lock(-1, 1, 1));

    ASSERT_TRUE(image->Frame(1));
    EXPECT_NE(image->seqs[1], 0);
    image->Lock(1, 1, 0);  // a read lock keeps the frame
    EXPECT_TRUE(image->frames[1]);
    image->Lock(1, 1, 1);
    EXPECT_FALSE(image->frames[1]);
    EXPECT_EQ(image->seqs[1], 0);
}

TEST_F(ImageTest, FramesAreMadeLazilyAndRemadeWhenNeeded) {
    auto image = LoadImage(Filled(4, 4, PF_RGBA8888, 0xff102030));
    ASSERT_TRUE(image);
    {
        // Graphics driver installed but nothing open: no frame is made.
        TRecordingGraphics closed(false);
        EXPECT_FALSE(image->Frame(0));
        EXPECT_EQ(CreateFrameCalls(closed.driver()), 0);
    }
    TRecordingGraphics gfx;
    auto& d = gfx.driver();
    d.ClearCalls();
    auto first = image->Frame(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(CreateFrameCalls(d), 1);
    EXPECT_EQ(d.CallsOf(TDrawKind::CreateFrame)[0].pixmap, image->pixmaps[0].get());
    EXPECT_EQ(d.CallsOf(TDrawKind::CreateFrame)[0].args[0], float(image->flags));
    EXPECT_EQ(image->seqs[0], GraphicsSeq());
    EXPECT_EQ(image->Frame(0), first);  // cached
    EXPECT_EQ(CreateFrameCalls(d), 1);
    EXPECT_FALSE(image->Frame(1));  // no such frame
    EXPECT_FALSE(image->Frame(-1));

    // Storing a new buffer uploads again on the next use.
    image->SetPixmap(0, Filled(4, 4, PF_RGBA8888, 0xff000000));
    EXPECT_EQ(image->seqs[0], 0);
    auto second = image->Frame(0);
    EXPECT_NE(second, first);
    EXPECT_EQ(CreateFrameCalls(d), 2);

    // Reopened graphics: the old frame belongs to a dead context.
    EndGraphics();
    OpenGraphics(800, 600, 0, 60, 0);
    EXPECT_NE(image->seqs[0], GraphicsSeq());
    auto third = image->Frame(0);
    EXPECT_NE(third, second);
    EXPECT_EQ(CreateFrameCalls(d), 3);
    EXPECT_EQ(image->seqs[0], GraphicsSeq());
}

TEST_F(ImageTest, ADriverThatCannotMakeFramesIsAskedAgain) {
    TRecordingGraphics gfx;
    auto& d = gfx.driver();
    auto image = LoadImage(Filled(2, 2, PF_RGBA8888, 0xffffffff));
    d.fail_frames = true;
    d.ClearCalls();
    EXPECT_FALSE(image->Frame(0));
    EXPECT_EQ(image->seqs[0], 0);
    EXPECT_FALSE(image->Frame(0));
    EXPECT_EQ(CreateFrameCalls(d), 2);
    d.fail_frames = false;
    EXPECT_TRUE(image->Frame(0));
    EXPECT_EQ(CreateFrameCalls(d), 3);
}

TEST_F(ImageTest, GrabImageMasksWithTheGlobalColour) {
    TRecordingGraphics gfx;
    gfx.driver().grab_fill = 0xff000000;
    auto masked = CreateImage(5, 4);  // default flags: masked
    auto plain = CreateImage(5, 4, 1, 0);
    GrabImage(masked, 10, 20);
    GrabImage(plain, 10, 20);
    const auto grabs = gfx.driver().CallsOf(TDrawKind::GrabPixmap);
    ASSERT_EQ(grabs.size(), 2u);
    EXPECT_EQ(grabs[0].args, (std::vector<float>{10, 20, 5, 4}));
    EXPECT_EQ(masked->pixmaps[0]->ReadPixel(2, 2) >> 24, 0u);
    EXPECT_EQ(plain->pixmaps[0]->ReadPixel(2, 2), 0xff000000u);
}

}  // namespace
