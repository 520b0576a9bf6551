// The driver-side copy of one image frame (a texture for OpenGL). Images keep their pixels on
// the CPU and ask the current 2D driver for one of these lazily, on the first draw.
#pragma once

class TImageFrame {
  public:
    virtual ~TImageFrame() = default;
    // Draws the frame stretched over the local rectangle (x0, y0)-(x1, y1), mapped through the
    // driver's current matrix and moved by (tx, ty).
    virtual void Draw(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
};
