// The game's nineteen pictures, drawn in code.
#pragma once

#include <string>
#include <vector>

namespace assetgen {

// File names (e.g. "player.png") in the order the game loads them.
const std::vector<std::string>& PictureNames();

// Draws the named picture and writes it to path; throws std::runtime_error on failure.
void WritePicture(const std::string& name, const std::string& path);

}  // namespace assetgen
