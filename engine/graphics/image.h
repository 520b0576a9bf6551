// Images: a size, a handle and one or more frames, each a CPU pixel buffer plus a driver copy
// (a texture) made lazily on first draw and made again whenever graphics are reopened.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/pixmap.h"

class TImageFrame;

// Image flags.
constexpr int IMAGE_MASKED = 1;     // buffers without alpha are colour-key masked when stored
constexpr int IMAGE_FILTERED = 2;   // linear texture filtering
constexpr int IMAGE_MIPMAPPED = 4;  // full mipmap chain
constexpr int IMAGE_DYNAMIC = 8;    // added by CreateImage: meant to be written at run time

class TImage {
  public:
    int width = 0;
    int height = 0;
    int flags = 0;
    int mask_r = 0;
    int mask_g = 0;
    int mask_b = 0;
    float handle_x = 0;
    float handle_y = 0;
    std::vector<std::shared_ptr<TPixmap>> pixmaps;
    std::vector<std::shared_ptr<TImageFrame>> frames;
    std::vector<int> seqs;  // graphics sequence each driver frame was made under; 0 = none

    // The driver copy of frame `index`, made now if missing or made under older graphics.
    // Null when no driver is current, the driver cannot make one, or index is out of range.
    std::shared_ptr<TImageFrame> Frame(int index);
    // The pixel buffer of frame `index` (created as PF_RGBA8888 if missing). A write lock
    // drops the driver copy so the next draw uploads again. Null for an index out of range.
    std::shared_ptr<TPixmap> Lock(int index, int read, int write);
    // Stores a pixel buffer (masked first if the image is masked and it has no alpha).
    void SetPixmap(int index, const std::shared_ptr<TPixmap>& pixmap);

    [[nodiscard]] static std::shared_ptr<TImage> Create(int width, int height, int frame_count,
                                                        int flags, int mask_r, int mask_g,
                                                        int mask_b);
    [[nodiscard]] static std::shared_ptr<TImage> Load(const std::shared_ptr<TPixmap>& pixmap,
                                                      int flags, int mask_r, int mask_g,
                                                      int mask_b);
    [[nodiscard]] static std::shared_ptr<TImage> Load(const std::string& url, int flags, int mask_r,
                                                      int mask_g, int mask_b);
    [[nodiscard]] static std::shared_ptr<TImage> LoadAnim(const std::shared_ptr<TPixmap>& pixmap,
                                                          int cell_width, int cell_height,
                                                          int first_cell, int cell_count, int flags,
                                                          int mask_r, int mask_g, int mask_b);
    [[nodiscard]] static std::shared_ptr<TImage> LoadAnim(const std::string& url, int cell_width,
                                                          int cell_height, int first_cell,
                                                          int cell_count, int flags, int mask_r,
                                                          int mask_g, int mask_b);
};

// Flags -1 means the automatic image flags. Mid-handled when automatic mid-handling is on.
[[nodiscard]] std::shared_ptr<TImage> LoadImage(const std::string& url, int flags = -1);
[[nodiscard]] std::shared_ptr<TImage> LoadImage(const std::shared_ptr<TPixmap>& pixmap,
                                                int flags = -1);
[[nodiscard]] std::shared_ptr<TImage> LoadAnimImage(const std::string& url, int cell_width,
                                                    int cell_height, int first_cell, int cell_count,
                                                    int flags = -1);
[[nodiscard]] std::shared_ptr<TImage> LoadAnimImage(const std::shared_ptr<TPixmap>& pixmap,
                                                    int cell_width, int cell_height, int first_cell,
                                                    int cell_count, int flags = -1);
// Always adds IMAGE_DYNAMIC.
[[nodiscard]] std::shared_ptr<TImage> CreateImage(int width, int height, int frames = 1,
                                                  int flags = -1);

void SetAutoMidHandle(int enable);
int AutoMidHandle();
// -1 is ignored.
void SetAutoImageFlags(int flags);
int AutoImageFlags();
void SetMaskColor(int r, int g, int b);
void GetMaskColor(int& r, int& g, int& b);

void MidHandleImage(const std::shared_ptr<TImage>& image);
void SetImageHandle(const std::shared_ptr<TImage>& image, float x, float y);
float ImageXHandle(const std::shared_ptr<TImage>& image);
float ImageYHandle(const std::shared_ptr<TImage>& image);
int ImageWidth(const std::shared_ptr<TImage>& image);
int ImageHeight(const std::shared_ptr<TImage>& image);

std::shared_ptr<TPixmap> LockImage(const std::shared_ptr<TImage>& image, int frame = 0,
                                   int read = 1, int write = 1);
// Unlocking has nothing to do; kept so callers can pair it with LockImage.
void UnlockImage(const std::shared_ptr<TImage>& image, int frame = 0);
// Copies the back-buffer rectangle at (x, y) of the image's size into frame `frame`.
void GrabImage(const std::shared_ptr<TImage>& image, int x, int y, int frame = 0);
