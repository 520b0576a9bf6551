// Plays a recording through the headless game harness: the virtual clock is set to each
// frame's recorded time and the frame's events are queued for its first poll, so the game
// sees the clock and input it saw when the recording was made.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/replay/recording.h"

struct TReplayResult {
    std::vector<std::uint64_t> hashes;  // state after each frame played
    int framesPlayed = 0;
    bool loopEnded = false;  // the game's loop asked to end (Escape or close) at the last frame
    std::int64_t score = 0;
    int bestChain = 0;
    int life = 0;
    int finalState = 0;
    std::uint64_t finalHash = 0;
    std::uint64_t traceHash = 0;  // hash of every per-frame line of the printed output
    std::string failure;          // start-up failure; nothing was played
};

// Called after each frame with its number (from 1) and the state hash.
using TFrameReport = std::function<void(int frame, std::uint64_t hash)>;

// Plays `recording` in a fresh harness (only one may exist at a time).
TReplayResult PlayRecording(const TRecording& recording, const TFrameReport& report = nullptr);

// The per-frame line of the `play` output, newline included.
std::string FrameLine(int frame, std::uint64_t hash);
// The closing line of the `play` output, newline included.
std::string FinalLine(const TReplayResult& result);
