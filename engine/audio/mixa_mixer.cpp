// The fixed-point fragment mix: linear interpolation, 4.12 gains with pan and depth, ramps
// over one fragment, start delays and looping, into a 32-bit accumulator clipped once.
#include "engine/audio/internal/mixa_mixer.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "engine/system/clock.h"

namespace {

// Milliseconds a voice waits after its queue time, so sounds queued between two ticks keep
// their spacing in the output instead of starting together at the next fragment.
constexpr int kQueueLatencyMs = 20;

struct TGains {
    int left;
    int right;
};

// Mixer thread.
inline TGains GainsFor(int volume, int pan, int depth) {
    TGains g{volume, volume};
    if (pan > 0) g.left = (volume * (4096 - pan)) >> 12;
    if (pan < 0) g.right = (volume * (4096 + pan)) >> 12;
    if (depth < 0) g.right = -g.right;
    return g;
}

// Mixer thread: one value interpolated between a and b with the top 16 bits of the fraction.
template <int Bits>
inline int Interpolate(const std::uint8_t* data, std::size_t a, std::size_t b, int frac) {
    if constexpr (Bits == 8) {
        const int va = data[a];
        const int vb = data[b];
        return va * 256 - 32768 + (((vb - va) * frac) >> 8);
    } else {
        const auto* d = reinterpret_cast<const std::int16_t*>(data);
        const int va = d[a];
        const int vb = d[b];
        return va + static_cast<int>((static_cast<std::int64_t>(vb - va) * frac) >> 16);
    }
}

// Mixer thread: moves a voice on by `advance` (32.32 frames); false when a one-shot voice
// has reached the end of its sample, while a looping one wraps back into it.
inline bool Advance(std::uint64_t& position, std::uint64_t& played, std::uint64_t advance,
                    std::uint64_t end, bool loop) {
    position += advance;
    played += advance;
    if (position < end) return true;
    if (!loop || end == 0) return false;
    position %= end;
    return true;
}

// Mixer thread: mixes `frames` frames of one voice; returns false when a one-shot voice ended.
template <int Channels, int Bits, bool Ramp>
bool MixFrames(const TMixaSampleRecord& rec, std::int32_t* acc, int frames, bool loop,
               std::uint64_t& position, std::uint64_t& played, std::int64_t step,
               std::int64_t step_increment, int volume24, int volume_increment, TGains gains,
               int pan, int depth) {
    const std::uint64_t end = static_cast<std::uint64_t>(rec.length) << 32;
    const std::uint8_t* data = rec.data.get();
    for (int i = 0; i < frames; ++i, acc += 2) {
        if constexpr (Ramp) {
            gains = GainsFor(volume24 >> 8, pan, depth);
            volume24 += volume_increment;
        }
        const auto frame = static_cast<std::size_t>(position >> 32);
        const int frac = static_cast<int>((position >> 16) & 0xFFFF);
        if constexpr (Channels == 1) {
            const int v = Interpolate<Bits>(data, frame, frame + 1, frac);
            acc[0] += (v * gains.left) >> 8;
            acc[1] += (v * gains.right) >> 8;
        } else {
            const int l = Interpolate<Bits>(data, frame * 2, frame * 2 + 2, frac);
            const int r = Interpolate<Bits>(data, frame * 2 + 1, frame * 2 + 3, frac);
            acc[0] += (l * gains.left) >> 8;
            acc[1] += (r * gains.right) >> 8;
        }
        const bool alive =
            Advance(position, played, static_cast<std::uint64_t>(step) << 16, end, loop);
        if constexpr (Ramp) step += step_increment;
        if (!alive) return false;
    }
    return true;
}

using TMixFn = bool (*)(const TMixaSampleRecord&, std::int32_t*, int, bool, std::uint64_t&,
                        std::uint64_t&, std::int64_t, std::int64_t, int, int, TGains, int, int);

template <bool Ramp>
TMixFn PickMix(const TMixaSampleRecord& rec) {
    if (rec.channels == 1) {
        return rec.bits == 8 ? MixFrames<1, 8, Ramp> : MixFrames<1, 16, Ramp>;
    }
    return rec.bits == 8 ? MixFrames<2, 8, Ramp> : MixFrames<2, 16, Ramp>;
}

// Mixer thread: 16.16 sample frames per output frame. A negative rate plays nothing rather
// than running the position backwards out of the data.
inline std::int64_t StepFor(std::int32_t rate, int hertz) {
    if (rate <= 0) return 0;
    return static_cast<std::int64_t>(rate) * hertz / MIXA_OUTPUT_HERTZ;
}

// The frames' size in bytes without the guard frame, or -1 for a layout the mixer cannot
// read or a size that does not fit.
std::int64_t RecordBytes(int length, int channels, int bits) {
    if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16) || length < 0) return -1;
    const int bytes_per_frame = channels * bits / 8;
    const std::int64_t size = static_cast<std::int64_t>(length) * bytes_per_frame;
    return size + bytes_per_frame > INT_MAX ? -1 : size;
}

// Fills in a record around `owned` (with room for the guard frame) and writes the guard.
std::shared_ptr<TMixaSampleRecord> MakeRecord(
    std::unique_ptr<std::uint8_t, TMixaSampleRecord::TFree> owned, int length, int hertz,
    int channels, int bits, bool loop) {
    auto rec = std::make_shared<TMixaSampleRecord>();
    rec->data = std::move(owned);
    std::uint8_t* data = rec->data.get();
    rec->hertz = hertz;
    rec->channels = channels;
    rec->bits = bits;
    rec->length = length;
    rec->bytes_per_frame = channels * bits / 8;
    rec->loop = loop;
    const int bytes_per_frame = rec->bytes_per_frame;
    const std::int64_t size = static_cast<std::int64_t>(length) * bytes_per_frame;
    std::uint8_t* guard = data + size;
    if (length == 0) {
        // Silence in the layout's own zero.
        std::memset(guard, bits == 8 ? 128 : 0, static_cast<std::size_t>(bytes_per_frame));
    } else {
        const std::uint8_t* source = loop ? data : data + size - bytes_per_frame;
        std::memcpy(guard, source, static_cast<std::size_t>(bytes_per_frame));
    }
    return rec;
}

}  // namespace

std::shared_ptr<TMixaSampleRecord> TMixaSampleRecord::Create(const void* frames, int length,
                                                             int hertz, int channels, int bits,
                                                             bool loop) {
    const std::int64_t size = RecordBytes(length, channels, bits);
    if (size < 0) return nullptr;
    std::unique_ptr<std::uint8_t, TFree> data(static_cast<std::uint8_t*>(
        std::malloc(static_cast<std::size_t>(size) + channels * bits / 8)));
    if (!data) throw std::bad_alloc();
    if (size > 0) std::memcpy(data.get(), frames, static_cast<std::size_t>(size));
    return MakeRecord(std::move(data), length, hertz, channels, bits, loop);
}

std::shared_ptr<TMixaSampleRecord> TMixaSampleRecord::Adopt(std::uint8_t* frames,
                                                            std::size_t capacity, int length,
                                                            int hertz, int channels, int bits,
                                                            bool loop) {
    std::unique_ptr<std::uint8_t, TFree> owned(frames);
    const std::int64_t size = RecordBytes(length, channels, bits);
    if (size < 0 || !owned) return nullptr;
    const auto needed = static_cast<std::size_t>(size) + channels * bits / 8;
    if (capacity < needed) {
        // A large block grows in place or is remapped, not copied into a second block.
        auto* grown = static_cast<std::uint8_t*>(std::realloc(owned.get(), needed));
        if (!grown) throw std::bad_alloc();
        (void)owned.release();
        owned.reset(grown);
    }
    return MakeRecord(std::move(owned), length, hertz, channels, bits, loop);
}

void TMixaVoice::SetRate(std::int32_t value) {
    rate_target.store(value, std::memory_order_relaxed);
    if (status.load(std::memory_order_relaxed) & VOICE_PAUSED) {
        rate.store(value, std::memory_order_relaxed);
    }
}

void TMixaVoice::SetVolume(std::int16_t value) {
    volume_target.store(value, std::memory_order_relaxed);
    if (status.load(std::memory_order_relaxed) & VOICE_PAUSED) {
        volume.store(value, std::memory_order_relaxed);
    }
}

void TMixaVoice::SetPan(std::int16_t value) {
    pan_target.store(value, std::memory_order_relaxed);
    if (status.load(std::memory_order_relaxed) & VOICE_PAUSED) {
        pan.store(value, std::memory_order_relaxed);
    }
}

void TMixaVoice::SetDepth(std::int16_t value) {
    depth_target.store(value, std::memory_order_relaxed);
}

void TMixaVoice::Finish() {
    int old = status.load(std::memory_order_relaxed);
    while (old != VOICE_IDLE &&
           !status.compare_exchange_weak(old, VOICE_FINISHED, std::memory_order_relaxed)) {
    }
}

void TMixaVoice::Reset() {
    status.store(VOICE_FINISHED, std::memory_order_relaxed);
    auto_release.store(0, std::memory_order_relaxed);
    rate.store(0x10000, std::memory_order_relaxed);
    rate_target.store(0x10000, std::memory_order_relaxed);
    volume.store(4096, std::memory_order_relaxed);
    volume_target.store(4096, std::memory_order_relaxed);
    pan.store(0, std::memory_order_relaxed);
    pan_target.store(0, std::memory_order_relaxed);
    depth.store(0, std::memory_order_relaxed);
    depth_target.store(0, std::memory_order_relaxed);
    played.store(0, std::memory_order_relaxed);
    sample = nullptr;
    time_queued = 0;
    next = nullptr;
    position = 0;
    start_delay = 0;
    handle = 0;
    keep.reset();
}

bool TMixaVoiceRing::Push(TMixaVoice* voice) {
    const unsigned w = write_.load(std::memory_order_relaxed);
    const unsigned next = (w + 1) % MIXA_RING_SLOTS;
    if (next == read_.load(std::memory_order_acquire)) return false;
    slots_[w] = voice;
    write_.store(next, std::memory_order_release);
    return true;
}

TMixaVoice* TMixaVoiceRing::Pop() {
    const unsigned r = read_.load(std::memory_order_relaxed);
    if (r == write_.load(std::memory_order_acquire)) return nullptr;
    TMixaVoice* voice = slots_[r];
    read_.store((r + 1) % MIXA_RING_SLOTS, std::memory_order_release);
    return voice;
}

TMixaMixer::TMixaMixer(int fragment_values)
    : fragment_values_(fragment_values), accumulator_(static_cast<std::size_t>(fragment_values)) {}

// Mixer thread.
void TMixaMixer::MixFragment(std::uint8_t* out, std::uint32_t now) {
    while (TMixaVoice* voice = handover_.Pop()) {
        voice->next = active_;
        active_ = voice;
        const std::int64_t wait = ClockDiff(voice->time_queued, now) + kQueueLatencyMs;
        voice->start_delay = wait > 0 ? static_cast<int>(wait * MIXA_OUTPUT_HERTZ / 1000) : 0;
    }

    const int frames = fragment_values_ / 2;
    TMixaVoice** link = &active_;
    while (TMixaVoice* voice = *link) {
        TMixResult result = MixVoice(*voice, frames);
        if (result == TMixResult::kFinished) {
            if (!voice->auto_release.load(std::memory_order_relaxed)) {
                link = &voice->next;
                continue;
            }
            voice->status.store(VOICE_IDLE, std::memory_order_relaxed);
            result = TMixResult::kIdle;
        }
        // Unlinked before the hand-back: once pushed, the voice belongs to the main thread.
        // A full reuse ring keeps the idle voice listed; it is offered again next fragment.
        if (result == TMixResult::kIdle) {
            TMixaVoice* next = voice->next;
            if (reuse_.Push(voice)) {
                *link = next;
                continue;
            }
        }
        link = &voice->next;
    }

    for (int i = 0; i < fragment_values_; ++i) {
        const int v = std::clamp(accumulator_[i] >> 4, -32768, 32767);
        const auto u = static_cast<std::uint16_t>(v);
        out[2 * i] = static_cast<std::uint8_t>(u);
        out[2 * i + 1] = static_cast<std::uint8_t>(u >> 8);
    }
    std::fill(accumulator_.begin(), accumulator_.end(), 0);
}

// Mixer thread.
TMixaMixer::TMixResult TMixaMixer::MixVoice(TMixaVoice& voice, int frames) {
    const int status = voice.status.load(std::memory_order_relaxed);
    if (status == VOICE_IDLE) return TMixResult::kIdle;
    if (status == VOICE_FINISHED) return TMixResult::kFinished;
    if (status & VOICE_PAUSED) return TMixResult::kKeep;

    if (voice.start_delay >= frames) {
        voice.start_delay -= frames;
        return TMixResult::kKeep;
    }
    const int first = voice.start_delay;
    frames -= first;
    voice.start_delay = 0;

    const TMixaSampleRecord& rec = *voice.sample;
    if (rec.length == 0) {
        // Nothing to read, not even the first frame the interpolation would start from.
        voice.status.store(VOICE_FINISHED, std::memory_order_relaxed);
        return TMixResult::kFinished;
    }
    const bool loop = (status & VOICE_LOOPED) != 0;
    const std::int32_t rate = voice.rate.load(std::memory_order_relaxed);
    const std::int32_t rate_target = voice.rate_target.load(std::memory_order_relaxed);
    const int volume = voice.volume.load(std::memory_order_relaxed);
    const int volume_target = voice.volume_target.load(std::memory_order_relaxed);
    const int pan = voice.pan_target.load(std::memory_order_relaxed);
    const int depth = voice.depth_target.load(std::memory_order_relaxed);
    const std::int64_t step = StepFor(rate, rec.hertz);
    const std::int64_t step_target = StepFor(rate_target, rec.hertz);
    std::int32_t* acc = accumulator_.data() + 2 * first;
    std::uint64_t position = voice.position;
    std::uint64_t played = voice.played.load(std::memory_order_relaxed);

    bool alive;
    if (rate != rate_target || volume != volume_target) {
        alive = PickMix<true>(rec)(rec, acc, frames, loop, position, played, step,
                                   (step_target - step) / frames, volume << 8,
                                   (volume_target - volume) * 256 / frames, TGains{}, pan, depth);
        voice.rate.store(rate_target, std::memory_order_relaxed);
        voice.volume.store(static_cast<std::int16_t>(volume_target), std::memory_order_relaxed);
    } else if (volume == 0) {
        alive = Advance(position, played, static_cast<std::uint64_t>(step * frames) << 16,
                        static_cast<std::uint64_t>(rec.length) << 32, loop);
    } else {
        alive = PickMix<false>(rec)(rec, acc, frames, loop, position, played, step, 0, 0, 0,
                                    GainsFor(volume, pan, depth), pan, depth);
    }
    voice.pan.store(static_cast<std::int16_t>(pan), std::memory_order_relaxed);
    voice.depth.store(static_cast<std::int16_t>(depth), std::memory_order_relaxed);
    voice.position = position;
    voice.played.store(played, std::memory_order_relaxed);
    if (!alive) {
        voice.status.store(VOICE_FINISHED, std::memory_order_relaxed);
        return TMixResult::kFinished;
    }
    return TMixResult::kKeep;
}

void TMixaMixer::ReleaseAll() {
    while (TMixaVoice* voice = handover_.Pop()) {
        voice->next = active_;
        active_ = voice;
    }
    while (TMixaVoice* voice = active_) {
        active_ = voice->next;
        voice->status.store(VOICE_IDLE, std::memory_order_relaxed);
        if (!reuse_.Push(voice)) break;  // the owner frees every voice anyway
    }
    active_ = nullptr;
}
