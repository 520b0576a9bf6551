// Records a real game: the program's own start-up and frame loop in a real window on the real
// clock, with every frame's clock and input written down as the game took them.
#pragma once

#include <iosfwd>
#include <string>

struct TRecordOptions {
    std::string outPath;
    // Frames to keep recording once the game-over or end screen shows; negative: until the
    // loop ends (Escape or closing the window).
    int framesAfterEnd = 90;
    // Hard limit on frames recorded (0: none).
    int maxFrames = 0;
    // If set, the state hash of every frame of the real game is written there, in the form
    // `play` prints, so a replay can be checked against the game it came from.
    std::string tracePath;
};

// Runs the game and writes the recording. Returns the process status; failures are reported
// on `err` as one line.
int RecordGame(const TRecordOptions& options, std::ostream& out, std::ostream& err);
