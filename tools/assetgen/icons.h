// The desktop icons: the turret firing a ball, on a dark tile, drawn separately for each size
// so the small ones stay sharp instead of being a shrunken big picture.
#pragma once

#include <string>
#include <vector>

namespace assetgen {

// Edge lengths in pixels of the square icons, smallest first.
const std::vector<int>& IconSizes();

// The file name of one size's icon, e.g. "zandor-16.png".
std::string IconFileName(int size);

// Draws every icon into dir (which must exist); throws std::runtime_error on failure.
void WriteIcons(const std::string& dir);

// Edge lengths of the images in the Windows icon, smallest first.
const std::vector<int>& WindowsIconSizes();

// The Windows program icon: one .ico file holding the same drawing at each of those sizes,
// 32-bit bitmaps with a transparency mask, the largest as PNG. Throws std::runtime_error.
void WriteWindowsIcon(const std::string& path);

}  // namespace assetgen
