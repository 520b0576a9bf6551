// A recorded game: the clock value at program start, then for every frame the clock step
// since the previous frame and the input events that frame's first poll delivered. Replay
// pins the virtual clock and the input to these, so the game runs exactly as recorded.
//
// Text format, version 1 (one item per line; blank lines and lines starting with '#' are
// ignored):
//
//   ZANDOR-REPLAY 1 <clock start>        header: format version, clock at program start (ms)
//   [<n>*]<step> [<event> ...]           one frame, or n identical frames without events
//   end <frame count>                    trailer: guards against a truncated file
//
// <step> is the milliseconds the clock moved since the previous frame began (the first
// frame counts from the clock start). Events, in the order they arrived:
//   m<x>,<y>   pointer moved to x,y          d<b> / u<b>  button b (0-3) pressed / released
//   k<c> / K<c> key c (0-255) down / up      q  window asked to close
//   s / r       application suspended / resumed
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TReplayEvent {
    enum class TKind : char {
        kMove = 'm',
        kButtonDown = 'd',
        kButtonUp = 'u',
        kKeyDown = 'k',
        kKeyUp = 'K',
        kClose = 'q',
        kSuspend = 's',
        kResume = 'r',
    };
    TKind kind = TKind::kMove;
    int a = 0;  // x, button or key
    int b = 0;  // y for moves

    bool operator==(const TReplayEvent&) const = default;
};

struct TReplayFrame {
    std::uint32_t step = 0;
    std::vector<TReplayEvent> events;

    bool operator==(const TReplayFrame&) const = default;
};

struct TRecording {
    std::uint32_t clockStart = 0;
    std::vector<TReplayFrame> frames;

    bool operator==(const TRecording&) const = default;
};

inline constexpr int kReplayFormatVersion = 1;
// Limits the parser enforces, so a damaged file cannot ask for absurd work.
inline constexpr std::uint32_t kMaxReplayStep = 3'600'000;  // an hour-long frame
inline constexpr int kMaxReplayFrames = 1'000'000;
inline constexpr int kMaxPointerCoordinate = 100'000;

// Parses `text`. On failure returns false and sets `error` to one line naming the line
// number and the fault; `out` then holds only part of the file.
bool ParseRecording(const std::string& text, TRecording& out, std::string& error);
// The text of `recording`; runs of identical event-free frames are folded into one line.
std::string FormatRecording(const TRecording& recording);

// Reads and parses a file; the error names the file on failure.
bool LoadRecording(const std::string& path, TRecording& out, std::string& error);
