// Handing control back to the browser from the game's blocking frame loop (browser build).
//
// The page is drawn, input arrives and Web Audio asks for samples only while the program is
// not running, so the frame loop must yield at least once a frame. The clock's sleeps yield
// (through ASYNCIFY); a frame that is late skips its sleep, so the system driver's poll yields
// instead when the program has not yielded for a frame's time.
#pragma once

#include <cstdint>

// Sleeps `ms` milliseconds (0: just lets the browser run), counting the yield.
void WebYield(std::uint32_t ms);
// Yields at once when the last yield ended more than a frame's time (16 ms) ago.
void WebYieldIfStarved();
