// Pixel-accurate overlap tests between images, on the CPU from their pixel buffers.
//
// Each image frame becomes the quad DrawImage would draw under the collision transform
// (the copy of the drawing matrix that render.h keeps, see GetCollisionTransform);
// quads are scan-converted together and a hit is a pixel covered by opaque texels of two
// quads. Quads can be stored in 32 layers and tested by later quads; ImagesCollide borrows
// layer 31 for itself.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TImage;
class TPixmap;

using TCollisionIds = std::vector<std::shared_ptr<void>>;

class TQuad {
  public:
    TQuad* link = nullptr;          // next quad in its layer or in the free pool
    std::shared_ptr<void> id;       // caller's tag, returned by hits (may be null)
    std::shared_ptr<TPixmap> mask;  // null: the whole quad is solid
    int frame = 0;
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
    // Four vertices of (x, y, u, v): corners at uv (0,0), (1,0), (1,1), (0,1).
    std::array<float, 16> xyuv{};

    void SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3);
};

// Empties every layer whose bit is set in `mask` (all 32 when `mask` is 0) into the pool.
void ResetCollisions(std::uint32_t mask = 0);

// Tests the image's quad at (x, y) against the layers in `collide_mask`, then stores it in the
// layers of `write_mask`. Returns the ids of the stored quads it hits.
TCollisionIds CollideImage(const std::shared_ptr<TImage>& image, int x, int y, int frame,
                           std::uint32_t collide_mask, std::uint32_t write_mask,
                           std::shared_ptr<void> id = nullptr);
// The same with a solid rectangle.
TCollisionIds CollideRect(int x, int y, int w, int h, std::uint32_t collide_mask,
                          std::uint32_t write_mask, std::shared_ptr<void> id = nullptr);

// 1 when the two images overlap on an opaque pixel under the current transform, else 0.
int ImagesCollide(const std::shared_ptr<TImage>& image1, int x1, int y1, int frame1,
                  const std::shared_ptr<TImage>& image2, int x2, int y2, int frame2);
// The same with a rotation and scale for each image; the render transform is restored after.
int ImagesCollideTransformed(const std::shared_ptr<TImage>& image1, int x1, int y1, int frame1,
                             float rotation1, float scale_x1, float scale_y1,
                             const std::shared_ptr<TImage>& image2, int x2, int y2, int frame2,
                             float rotation2, float scale_x2, float scale_y2);

// Tests `quad` against the stored quads of `collide_mask` and stores copies in `write_mask`.
TCollisionIds CollideQuadList(const TQuad& quad, std::uint32_t collide_mask,
                              std::uint32_t write_mask);
// 1 when the two quads share a pixel covered by opaque texels of both, else 0.
int QuadsCollide(const TQuad& p, const TQuad& q);
