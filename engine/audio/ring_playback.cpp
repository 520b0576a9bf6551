// The ring's playback, frame by frame, with the written guard and the short fades.
#include "engine/audio/internal/ring_playback.h"

#include <cstring>

void TRingPlayback::Attach(const std::uint8_t* ring, int ring_bytes) {
    ring_ = ring;
    ring_bytes_ = ring_bytes;
    held_[0] = held_[1] = 0;
    gain_ = 0;
}

// The device's callback.
std::int64_t TRingPlayback::Fill(std::uint8_t* out, int len, bool playing, std::int64_t position,
                                 std::int64_t written, bool muted) {
    for (int at = 0; at + kFrameBytes <= len; at += kFrameBytes) {
        std::int16_t frame[2] = {0, 0};
        const bool from_ring = playing && ring_ != nullptr && position + kFrameBytes <= written;
        if (from_ring) {
            const int offset = static_cast<int>(position % ring_bytes_);
            std::memcpy(frame, ring_ + offset, kFrameBytes);
            held_[0] = frame[0];
            held_[1] = frame[1];
        } else {
            frame[0] = held_[0];
            frame[1] = held_[1];
        }
        if (from_ring && !muted) {
            if (gain_ < kRampFrames) ++gain_;
        } else if (gain_ > 0) {
            --gain_;
        }
        if (gain_ < kRampFrames) {
            frame[0] = static_cast<std::int16_t>(frame[0] * gain_ / kRampFrames);
            frame[1] = static_cast<std::int16_t>(frame[1] * gain_ / kRampFrames);
        }
        std::memcpy(out + at, frame, kFrameBytes);
        if (playing) position += kFrameBytes;
    }
    return position;
}
