// Images: per-frame pixel buffers with driver copies made lazily and remade when graphics are
// reopened, plus the global load options (automatic flags, mid-handling, mask colour).
#include "engine/graphics/image.h"

#include "engine/graphics/graphics.h"
#include "engine/graphics/image_frame.h"
#include "engine/graphics/render.h"
#include "engine/graphics/tela2d.h"

namespace {

int auto_imageflags = IMAGE_MASKED | IMAGE_FILTERED;
int auto_midhandle = 0;
int mask_red = 0;
int mask_green = 0;
int mask_blue = 0;

int Flags(int flags) {
    return flags == -1 ? auto_imageflags : flags;
}

std::shared_ptr<TImage> AutoHandled(std::shared_ptr<TImage> image) {
    if (image && auto_midhandle) MidHandleImage(image);
    return image;
}

}  // namespace

std::shared_ptr<TImageFrame> TImage::Frame(int index) {
    if (index < 0 || index >= static_cast<int>(frames.size())) return nullptr;
    const int seq = GraphicsSeq();
    if (seqs[index] == seq) return frames[index];
    std::shared_ptr<TImageFrame> frame;
    if (TTela2DDriver* driver = CurrentTela2DDriver()) {
        frame = driver->CreateFrameFromPixmap(Lock(index, 1, 0), flags);
    }
    frames[index] = frame;
    seqs[index] = frame ? seq : 0;
    return frame;
}

std::shared_ptr<TPixmap> TImage::Lock(int index, int read, int write) {
    (void)read;
    if (index < 0 || index >= static_cast<int>(pixmaps.size())) return nullptr;
    if (write) {
        seqs[index] = 0;
        frames[index] = nullptr;
    }
    if (!pixmaps[index]) {
        // Start transparent rather than with whatever the allocator left behind: the buffer
        // may be uploaded or used as a collision mask before anything is written to it.
        auto pixmap = TPixmap::Create(width, height, PF_RGBA8888, 4);
        if (pixmap) pixmap->ClearPixels(0);
        pixmaps[index] = pixmap;
    }
    return pixmaps[index];
}

void TImage::SetPixmap(int index, const std::shared_ptr<TPixmap>& pixmap) {
    if (index < 0 || index >= static_cast<int>(pixmaps.size())) return;
    std::shared_ptr<TPixmap> stored = pixmap;
    if (stored && (flags & IMAGE_MASKED) && !FormatHasAlpha(stored->format)) {
        stored = MaskPixmap(stored, mask_r, mask_g, mask_b);
    }
    pixmaps[index] = stored;
    seqs[index] = 0;
    frames[index] = nullptr;
}

std::shared_ptr<TImage> TImage::Create(int width, int height, int frame_count, int flags,
                                       int mask_r, int mask_g, int mask_b) {
    if (width < 0 || height < 0 || frame_count < 0) return nullptr;
    auto image = std::make_shared<TImage>();
    image->width = width;
    image->height = height;
    image->flags = flags;
    image->mask_r = mask_r;
    image->mask_g = mask_g;
    image->mask_b = mask_b;
    image->pixmaps.resize(frame_count);
    image->frames.resize(frame_count);
    image->seqs.assign(frame_count, 0);
    return image;
}

std::shared_ptr<TImage> TImage::Load(const std::shared_ptr<TPixmap>& pixmap, int flags, int mask_r,
                                     int mask_g, int mask_b) {
    if (!pixmap) return nullptr;
    auto image = Create(pixmap->width, pixmap->height, 1, flags, mask_r, mask_g, mask_b);
    if (image) image->SetPixmap(0, pixmap);
    return image;
}

std::shared_ptr<TImage> TImage::Load(const std::string& url, int flags, int mask_r, int mask_g,
                                     int mask_b) {
    return Load(LoadPixmap(url), flags, mask_r, mask_g, mask_b);
}

std::shared_ptr<TImage> TImage::LoadAnim(const std::shared_ptr<TPixmap>& pixmap, int cell_width,
                                         int cell_height, int first_cell, int cell_count, int flags,
                                         int mask_r, int mask_g, int mask_b) {
    if (!pixmap || cell_width <= 0 || cell_height <= 0 || first_cell < 0 || cell_count < 0) {
        return nullptr;
    }
    const int columns = pixmap->width / cell_width;
    const int cells = columns * (pixmap->height / cell_height);
    // Summed wide: a first cell near the int limit must be refused, not wrap round.
    if (static_cast<long long>(first_cell) + cell_count > cells) return nullptr;
    auto image = Create(cell_width, cell_height, cell_count, flags, mask_r, mask_g, mask_b);
    if (!image) return nullptr;
    for (int i = 0; i < cell_count; ++i) {
        const int cell = first_cell + i;
        auto view = pixmap->Window(cell % columns * cell_width, cell / columns * cell_height,
                                   cell_width, cell_height);
        image->SetPixmap(i, view ? view->Copy() : nullptr);
    }
    return image;
}

std::shared_ptr<TImage> TImage::LoadAnim(const std::string& url, int cell_width, int cell_height,
                                         int first_cell, int cell_count, int flags, int mask_r,
                                         int mask_g, int mask_b) {
    return LoadAnim(LoadPixmap(url), cell_width, cell_height, first_cell, cell_count, flags, mask_r,
                    mask_g, mask_b);
}

std::shared_ptr<TImage> LoadImage(const std::string& url, int flags) {
    return AutoHandled(TImage::Load(url, Flags(flags), mask_red, mask_green, mask_blue));
}

std::shared_ptr<TImage> LoadImage(const std::shared_ptr<TPixmap>& pixmap, int flags) {
    return AutoHandled(TImage::Load(pixmap, Flags(flags), mask_red, mask_green, mask_blue));
}

std::shared_ptr<TImage> LoadAnimImage(const std::string& url, int cell_width, int cell_height,
                                      int first_cell, int cell_count, int flags) {
    return AutoHandled(TImage::LoadAnim(url, cell_width, cell_height, first_cell, cell_count,
                                        Flags(flags), mask_red, mask_green, mask_blue));
}

std::shared_ptr<TImage> LoadAnimImage(const std::shared_ptr<TPixmap>& pixmap, int cell_width,
                                      int cell_height, int first_cell, int cell_count, int flags) {
    return AutoHandled(TImage::LoadAnim(pixmap, cell_width, cell_height, first_cell, cell_count,
                                        Flags(flags), mask_red, mask_green, mask_blue));
}

std::shared_ptr<TImage> CreateImage(int width, int height, int frames, int flags) {
    return AutoHandled(TImage::Create(width, height, frames, Flags(flags) | IMAGE_DYNAMIC, mask_red,
                                      mask_green, mask_blue));
}

void SetAutoMidHandle(int enable) {
    auto_midhandle = enable;
}
int AutoMidHandle() {
    return auto_midhandle;
}

void SetAutoImageFlags(int flags) {
    if (flags != -1) auto_imageflags = flags;
}
int AutoImageFlags() {
    return auto_imageflags;
}

void SetMaskColor(int r, int g, int b) {
    mask_red = r;
    mask_green = g;
    mask_blue = b;
}

void GetMaskColor(int& r, int& g, int& b) {
    r = mask_red;
    g = mask_green;
    b = mask_blue;
}

void MidHandleImage(const std::shared_ptr<TImage>& image) {
    if (!image) return;
    image->handle_x = image->width * 0.5f;
    image->handle_y = image->height * 0.5f;
}

void SetImageHandle(const std::shared_ptr<TImage>& image, float x, float y) {
    if (!image) return;
    image->handle_x = x;
    image->handle_y = y;
}

float ImageXHandle(const std::shared_ptr<TImage>& image) {
    return image ? image->handle_x : 0;
}
float ImageYHandle(const std::shared_ptr<TImage>& image) {
    return image ? image->handle_y : 0;
}
int ImageWidth(const std::shared_ptr<TImage>& image) {
    return image ? image->width : 0;
}
int ImageHeight(const std::shared_ptr<TImage>& image) {
    return image ? image->height : 0;
}

std::shared_ptr<TPixmap> LockImage(const std::shared_ptr<TImage>& image, int frame, int read,
                                   int write) {
    return image ? image->Lock(frame, read, write) : nullptr;
}

void UnlockImage(const std::shared_ptr<TImage>&, int) {}

void GrabImage(const std::shared_ptr<TImage>& image, int x, int y, int frame) {
    if (!image) return;
    auto pixmap = GrabPixmap(x, y, image->width, image->height);
    if (!pixmap) return;
    if (image->flags & IMAGE_MASKED) pixmap = MaskPixmap(pixmap, mask_red, mask_green, mask_blue);
    image->SetPixmap(frame, pixmap);
}
