// Handle table, voice pool and voice queueing for the mixer. Main thread only.
#include "engine/audio/internal/mixa_voices.h"

namespace {

constexpr int kSlotMask = MIXA_HANDLE_SLOTS - 1;
// Generations stay positive ints and never wrap into undefined behaviour, however often a
// slot is reused.
constexpr unsigned kGenerationMask = 0x7FFFFFFFu & ~static_cast<unsigned>(kSlotMask);

}  // namespace

TMixaVoices::TMixaVoices(TMixaMixer& mixer) : mixer_(mixer) {
    for (int i = 0; i < MIXA_HANDLE_SLOTS; ++i) {
        link_[i] = (i + 1) % MIXA_HANDLE_SLOTS;
        generation_[i] = MIXA_HANDLE_SLOTS;
    }
}

TMixaVoices::~TMixaVoices() = default;

int TMixaVoices::AllocHandle() {
    const int slot = link_[0];
    if (slot == 0) return 0;
    link_[0] = link_[slot];
    unsigned generation =
        (static_cast<unsigned>(generation_[slot]) + MIXA_HANDLE_SLOTS) & kGenerationMask;
    if (generation == 0) generation = MIXA_HANDLE_SLOTS;
    generation_[slot] = static_cast<int>(generation);
    used_[slot] = true;
    bound_[slot] = nullptr;
    return slot | generation_[slot];
}

bool TMixaVoices::Valid(int handle) const {
    const int slot = handle & kSlotMask;
    return slot != 0 && used_[slot] && (handle & ~kSlotMask) == generation_[slot];
}

int TMixaVoices::FreeHandles() const {
    int count = 0;
    for (int slot = link_[0]; slot != 0; slot = link_[slot]) ++count;
    return count;
}

TMixaVoice* TMixaVoices::NewVoice() {
    if (!spare_.empty()) {
        TMixaVoice* voice = spare_.back();
        spare_.pop_back();
        return voice;
    }
    voices_.push_back(std::make_unique<TMixaVoice>());
    return voices_.back().get();
}

void TMixaVoices::Recycle(TMixaVoice* voice) {
    voice->Reset();
    voice->in_mixer = false;
    spare_.push_back(voice);
}

void TMixaVoices::Reclaim() {
    while (TMixaVoice* voice = mixer_.TakeBack()) {
        // A self-releasing channel the game still holds loses its finished voice; its next
        // operation binds a fresh idle one instead of reaching a voice reused elsewhere.
        const int slot = voice->handle & kSlotMask;
        if (voice->handle != 0 && Valid(voice->handle) && bound_[slot] == voice) {
            bound_[slot] = nullptr;
        }
        Recycle(voice);
    }
}

TMixaVoice* TMixaVoices::Voice(int handle) {
    if (!Valid(handle)) return nullptr;
    Reclaim();
    return BoundVoice(handle);
}

TMixaVoice* TMixaVoices::BoundVoice(int handle) {
    const int slot = handle & kSlotMask;
    if (!bound_[slot]) {
        TMixaVoice* voice = NewVoice();
        voice->handle = handle;
        bound_[slot] = voice;
    }
    return bound_[slot];
}

int TMixaVoices::Queue(const std::shared_ptr<const TMixaSampleRecord>& record, int handle,
                       int status, std::uint32_t now) {
    if (!record || record->channels == 0) return 0;
    Reclaim();
    TMixaVoice* previous = Valid(handle) ? BoundVoice(handle) : nullptr;
    const bool own_handle = previous == nullptr;
    if (own_handle) {
        handle = AllocHandle();
        if (handle == 0) return 0;
    }
    TMixaVoice* voice = NewVoice();
    if (previous) {
        const auto relaxed = std::memory_order_relaxed;
        voice->rate.store(previous->rate_target.load(relaxed), relaxed);
        voice->rate_target.store(previous->rate_target.load(relaxed), relaxed);
        voice->volume.store(previous->volume_target.load(relaxed), relaxed);
        voice->volume_target.store(previous->volume_target.load(relaxed), relaxed);
        voice->pan.store(previous->pan_target.load(relaxed), relaxed);
        voice->pan_target.store(previous->pan_target.load(relaxed), relaxed);
        voice->depth.store(previous->depth_target.load(relaxed), relaxed);
        voice->depth_target.store(previous->depth_target.load(relaxed), relaxed);
    }
    voice->keep = record;
    voice->sample = record.get();
    voice->status.store(status, std::memory_order_relaxed);
    voice->time_queued = now;
    voice->handle = handle;
    voice->auto_release.store(own_handle ? 1 : 0, std::memory_order_relaxed);
    voice->in_mixer = true;
    if (!mixer_.HandOver(voice)) {
        // Full ring: nothing already waiting may be overwritten, so this play is dropped.
        Recycle(voice);
        if (own_handle) Release(handle & kSlotMask);
        return 0;
    }
    const int slot = handle & kSlotMask;
    if (previous) {
        previous->Finish();
        // Nothing can reach the replaced voice any more, so the mixer may recycle it.
        previous->auto_release.store(1, std::memory_order_relaxed);
        if (!previous->in_mixer) Recycle(previous);
    }
    bound_[slot] = voice;
    return handle;
}

void TMixaVoices::Release(int slot) {
    bound_[slot] = nullptr;
    used_[slot] = false;
    link_[slot] = link_[0];
    link_[0] = slot;
}

void TMixaVoices::Stop(int handle) {
    if (!Valid(handle)) return;
    const int slot = handle & kSlotMask;
    Reclaim();
    if (TMixaVoice* voice = bound_[slot]) {
        voice->auto_release.store(1, std::memory_order_relaxed);
        voice->Finish();
        if (!voice->in_mixer) Recycle(voice);
    }
    Release(slot);
}

void TMixaVoices::Free(int handle) {
    if (!Valid(handle)) return;
    const int slot = handle & kSlotMask;
    Reclaim();
    if (TMixaVoice* voice = bound_[slot]) {
        // It plays on to its end; once finished the mixer hands it back.
        voice->auto_release.store(1, std::memory_order_relaxed);
        if (!voice->in_mixer) Recycle(voice);
    }
    Release(slot);
}
