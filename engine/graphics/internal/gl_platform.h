// The few OpenGL calls of the 2D and context drivers that differ between desktop OpenGL and the
// browser's fixed-function emulation over WebGL: platform/<name>/gl_platform.cpp. Everything
// else in the driver is one code path.
//
// An implementation must provide, with a GL context current:
//   - GLTextureSizeSupported: whether a width x height RGBA texture can be made.
//   - GLUploadTexture: the pixmap (RGBA8888, any pitch) as level `level` of the bound texture.
//   - GLLine: a line between two window points, `width` pixels wide across its minor axis
//     (the width already given to glLineWidth).
//   - GLDrawPixels: the pixmap (RGBA8888) with its top-left corner at window pixel (x, y),
//     untinted and unblended; texturing is off and colour may be changed on return.
//   - GLReadPixels: the window rectangle whose bottom-left pixel is (x, y) into the pixmap,
//     bottom row first, leaving the pixmap's bytes alone where the window has none.
//   - DeleteGLContext: give back an SDL GL context the program made, when the platform can
//     do so without touching its other contexts.
#pragma once

class TPixmap;

bool GLTextureSizeSupported(int width, int height);
void GLUploadTexture(const TPixmap& pixmap, int level);
void GLLine(float x0, float y0, float x1, float y1, float width);
void GLDrawPixels(const TPixmap& pixmap, int x, int y, int graphics_height);
void GLReadPixels(int x, int y, TPixmap& pixmap);
void DeleteGLContext(void* context);
