// Text as coverage masks, rendered with FreeType from the DejaVu fonts the system provides.
#pragma once

#include <string>

#include "tools/assetgen/canvas.h"

namespace assetgen {

// Only the faces of the core DejaVu package are used; the oblique is the bold face slanted.
enum class Face { kBold, kBoldOblique, kRegular };

// Pixel width of the text's advance at the given pixel size (ASCII text).
float TextWidth(Face face, float size, const std::string& text);

// Draws text into the mask (union) with its left end of the baseline at (x, baseline).
// Extra tracking adds that many pixels after every letter.
void DrawTextMask(Mask& mask, Face face, float size, const std::string& text, float x,
                  float baseline, float tracking = 0.0f);

// Height of capital letters above the baseline at the given size.
float CapHeight(Face face, float size);

// Path of the font file used for a face; throws std::runtime_error if it cannot be opened.
std::string FontPath(Face face);

}  // namespace assetgen
