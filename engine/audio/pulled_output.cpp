// The pulled device: the callback's audio is the tick's clock.
#include "engine/audio/internal/pulled_output.h"

#include <algorithm>

bool TPulledOutputDevice::Open(std::uint8_t* ring, int ring_bytes) {
    playback_.Attach(ring, ring_bytes);
    playing_ = false;
    position_ = written_ = 0;
    open_ = OpenStream();
    return open_;
}

void TPulledOutputDevice::Close() {
    tick_ = nullptr;
    if (open_) CloseStream();
    open_ = false;
}

bool TPulledOutputDevice::PlayPosition(std::int64_t& bytes) {
    bytes = position_;
    return open_;
}

// What was playing fades out from the held frame in the next callback.
void TPulledOutputDevice::Reset() {
    playing_ = false;
    position_ = 0;
    written_ = 0;
}

bool TPulledOutputDevice::Submit() {
    if (!open_) return false;
    position_ = 0;
    playing_ = true;
    return true;
}

bool TPulledOutputDevice::Rebase(std::int64_t bytes) {
    if (!open_) return false;
    position_ -= bytes;
    written_ -= bytes;
    return true;
}

bool TPulledOutputDevice::DriveTicks(std::function<void()> tick) {
    tick_ = std::move(tick);
    until_tick_ = 0;
    return true;
}

void TPulledOutputDevice::Pull(std::uint8_t* out, int len) {
    const int frames = len / TRingPlayback::kFrameBytes;
    int at = 0;
    while (at < frames) {
        int run = frames - at;
        if (tick_) {
            if (until_tick_ <= 0) {
                tick_();
                until_tick_ += kTickHalfFrames;
            }
            run = std::min(run, (until_tick_ + 1) / 2);
        }
        position_ =
            playback_.Fill(out + at * TRingPlayback::kFrameBytes, run * TRingPlayback::kFrameBytes,
                           playing_, position_, written_, muted_);
        at += run;
        if (tick_) until_tick_ -= 2 * run;
    }
}
