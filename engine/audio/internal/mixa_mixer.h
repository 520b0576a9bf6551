// The software mixer: sample records, voices, the two hand-off rings and the fixed-point
// fragment mix.
//
// Threads: the main thread makes records and voices, writes voice parameters and hands
// voices over; the mixer thread mixes. They share no lock. Voices travel main -> mixer
// through one single-writer single-reader ring and mixer -> main through another; a voice's
// shared parameters are single atomic fields read whole. Everything marked "mixer thread"
// is integer-only and never allocates or frees.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

constexpr int MIXA_OUTPUT_HERTZ = 44100;
constexpr int MIXA_RING_SLOTS = 4096;

// One decoded sound as the mixer reads it: 8-bit unsigned or 16-bit signed host-order values,
// frames interleaved, plus one guard frame after the last so interpolation never reads
// outside (a copy of the first frame when looping, else of the last).
struct TMixaSampleRecord {
    int hertz = 0;
    int channels = 0;  // 1 or 2
    int bits = 0;      // 8 or 16
    int length = 0;    // frames
    int bytes_per_frame = 0;
    bool loop = false;
    struct TFree {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, TFree> data;  // from malloc

    // Copies `length` frames from `frames` (16-bit values in host order). Null when the
    // layout is not mono/stereo 8/16-bit or the size does not fit.
    [[nodiscard]] static std::shared_ptr<TMixaSampleRecord> Create(const void* frames, int length,
                                                                   int hertz, int channels,
                                                                   int bits, bool loop);
    // As Create, but takes ownership of `frames`, a malloc block of `capacity` bytes (freed
    // here also on failure), and grows it for the guard frame only if it has no room.
    [[nodiscard]] static std::shared_ptr<TMixaSampleRecord> Adopt(std::uint8_t* frames,
                                                                  std::size_t capacity, int length,
                                                                  int hertz, int channels, int bits,
                                                                  bool loop);
};

// Voice status values; VOICE_PAUSED is added while paused.
constexpr int VOICE_IDLE = 0;
constexpr int VOICE_FINISHED = 1;
constexpr int VOICE_ONCE = 2;
constexpr int VOICE_LOOPED = 4;
constexpr int VOICE_PAUSED = 16;

// One playing instance of a sample record.
struct TMixaVoice {
    // Shared between the threads, each read and written whole.
    std::atomic<int> status{VOICE_FINISHED};
    std::atomic<int> auto_release{0};
    std::atomic<std::int32_t> rate{0x10000};  // 16.16, 0x10000 = the sample's own rate
    std::atomic<std::int32_t> rate_target{0x10000};
    std::atomic<std::int16_t> volume{4096};  // 4.12
    std::atomic<std::int16_t> volume_target{4096};
    std::atomic<std::int16_t> pan{0};  // -4096 full left .. 4096 full right
    std::atomic<std::int16_t> pan_target{0};
    std::atomic<std::int16_t> depth{0};
    std::atomic<std::int16_t> depth_target{0};
    std::atomic<std::uint64_t> played{0};  // 32.32 frames since the start

    // Written by the main thread before the hand-over, read by the mixer after it.
    const TMixaSampleRecord* sample = nullptr;
    std::uint32_t time_queued = 0;  // MillisecondClock at queueing

    // Mixer thread only while the voice is in the mixer.
    TMixaVoice* next = nullptr;
    std::uint64_t position = 0;  // 32.32 frames into the sample
    int start_delay = 0;         // output frames

    // Main thread only.
    int handle = 0;
    bool in_mixer = false;
    std::shared_ptr<const TMixaSampleRecord> keep;  // holds the record while the voice uses it

    void SetRate(std::int32_t value);
    void SetVolume(std::int16_t value);
    void SetPan(std::int16_t value);
    void SetDepth(std::int16_t value);
    // Main thread: a playing or paused voice becomes finished, so the mixer lets it go; an
    // idle one (already handed back) stays idle.
    void Finish();
    // Frames played since the start.
    int Position() const { return static_cast<int>(played.load(std::memory_order_relaxed) >> 32); }
    // Back to a new voice: status finished, rate 1, volume 1, pan and depth 0.
    void Reset();
};

// A single-writer single-reader ring of voice pointers. It holds at most SLOTS - 1 voices;
// Push on a full ring refuses instead of overwriting.
class TMixaVoiceRing {
  public:
    bool Push(TMixaVoice* voice);  // writer thread
    TMixaVoice* Pop();             // reader thread; null when empty

  private:
    std::array<TMixaVoice*, MIXA_RING_SLOTS> slots_{};
    std::atomic<unsigned> read_{0};
    std::atomic<unsigned> write_{0};
};

class TMixaMixer {
  public:
    // `fragment_values` counts both channels (1024 = 512 stereo frames).
    explicit TMixaMixer(int fragment_values);

    int FragmentValues() const { return fragment_values_; }

    // Main thread: queue a voice for the mixer; false when the ring is full.
    bool HandOver(TMixaVoice* voice) { return handover_.Push(voice); }
    // Main thread: a voice the mixer has finished with, or null.
    TMixaVoice* TakeBack() { return reuse_.Pop(); }

    // Mixer thread: mixes one fragment of 16-bit little-endian stereo into `out`
    // (FragmentValues() * 2 bytes). `now` is the millisecond clock.
    void MixFragment(std::uint8_t* out, std::uint32_t now);

    // With the mixer thread stopped: hands every voice of the active list back.
    void ReleaseAll();

  private:
    enum class TMixResult { kIdle, kKeep, kFinished };
    TMixResult MixVoice(TMixaVoice& voice, int frames);  // mixer thread

    int fragment_values_;
    std::vector<std::int32_t> accumulator_;
    TMixaVoice* active_ = nullptr;
    TMixaVoiceRing handover_;
    TMixaVoiceRing reuse_;
};
