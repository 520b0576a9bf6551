// Program start-up, the frame loop and the new-game reset.
//
// Start-up is split so a test can run the real game over fake drivers: the entry registers
// the embedded files and starts the engine modules, then startUp() does the rest (title,
// window, loading frame, seed, assets, music channel) with whatever drivers are installed,
// and runFrame() runs one iteration of the loop.
#pragma once

#include <iosfwd>
#include <string>

// Caption of the window.
inline constexpr const char* kAppTitle = "Qel Arcade /// ZANDOR by QEL 2008";

// Registers the 24 embedded files, in load order.
void registerGameFiles();
// Starts the engine modules in start-up order: streams, system driver, graphics, image
// loaders, audio.
void startEngineModules();

// Start-up from the title to the music channel. Returns an empty string on success, or one
// line saying what failed (the window, or the asset that did not load).
[[nodiscard]] std::string startUp();

// Loads the 19 images and then the 5 sounds, in table order, from `prefix` followed by each
// archive name. Stops at the first that does not load and names it in the result.
[[nodiscard]] std::string loadGameAssets(const std::string& prefix);

// One iteration of the frame loop; false once Escape is held or the window asked to close.
bool runFrame();

// The new-game reset of every game global.
void resetGame();

// The whole program: files, modules, start-up, loop. Failures are written to `err` as one
// line and give a non-zero result; runtime errors thrown by the engine are caught here too.
int runZandor(std::ostream& err);
