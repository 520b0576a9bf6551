// The main-thread side of the mixer: the channel handle table with its generations, the
// pool of voices, and queueing, stopping and freeing voices by handle.
//
// A handle is slot | generation. Slot 0 heads the free list and is never handed out, so
// 4095 slots exist; taking a slot moves its generation on, so a handle kept after its slot
// was freed no longer matches and every operation ignores it. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audio/internal/mixa_mixer.h"

constexpr int MIXA_HANDLE_SLOTS = 4096;

class TMixaVoices {
  public:
    explicit TMixaVoices(TMixaMixer& mixer);
    // The mixer must no longer run (or hold voices) when this goes.
    ~TMixaVoices();
    TMixaVoices(const TMixaVoices&) = delete;
    TMixaVoices& operator=(const TMixaVoices&) = delete;

    // A new handle, or 0 when all slots are taken.
    int AllocHandle();
    bool Valid(int handle) const;

    // Queues a voice of `record` with `status`. A valid `handle` replaces the voice of that
    // channel (which keeps its settings); otherwise a new self-releasing handle is taken.
    // Returns the handle, or 0 when nothing could be queued (no slot, full hand-over ring).
    int Queue(const std::shared_ptr<const TMixaSampleRecord>& record, int handle, int status,
              std::uint32_t now);
    // Stops the voice of `handle` and frees the handle.
    void Stop(int handle);
    // Frees the handle; its voice plays on to its end and is then recycled.
    void Free(int handle);
    // The voice bound to a valid handle (an idle one is bound first); null for a stale handle.
    TMixaVoice* Voice(int handle);

    // Voices the mixer handed back become reusable. Called by the operations above.
    void Reclaim();

    // Counts for tests and diagnostics.
    int FreeHandles() const;
    std::size_t VoicesMade() const { return voices_.size(); }
    std::size_t SpareVoices() const { return spare_.size(); }

  private:
    TMixaVoice* NewVoice();
    TMixaVoice* BoundVoice(int handle);
    void Recycle(TMixaVoice* voice);
    void Release(int slot);

    TMixaMixer& mixer_;
    std::array<TMixaVoice*, MIXA_HANDLE_SLOTS> bound_{};
    std::array<int, MIXA_HANDLE_SLOTS> link_{};
    std::array<int, MIXA_HANDLE_SLOTS> generation_{};
    std::array<bool, MIXA_HANDLE_SLOTS> used_{};
    std::vector<std::unique_ptr<TMixaVoice>> voices_;
    std::vector<TMixaVoice*> spare_;
};
