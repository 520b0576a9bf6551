// The output tick: keeps the ring a few fragments ahead of the play position, recovers
// from underruns with a pause and a longer lead, and resets on a broken position.
#include "engine/audio/internal/mixa_output.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "engine/system/clock.h"

namespace {

TAudioOutputFactory& Factory() {
    static TAudioOutputFactory factory;
    return factory;
}

bool& TimerEnabled() {
    static bool enabled = true;
    return enabled;
}

// A position beyond this is taken as a device that has lost track.
constexpr std::int64_t kBrokenPosition = 0x10000000;
// A healthy device is rebased long before that (this is about 95 s of output), so only a
// position that jumps or runs wild reaches the limit.
constexpr std::int64_t kRebaseFrom = kBrokenPosition / 16;
constexpr int kMaxLeadBeforeGrowth = 9;
constexpr int kUnderrunMargin = 2;  // fragments

}  // namespace

void SetAudioOutputFactory(TAudioOutputFactory factory, bool run_timer) {
    Factory() = std::move(factory);
    TimerEnabled() = run_timer;
}

std::unique_ptr<TAudioOutputDevice> CreateAudioOutputDevice() {
    if (Factory()) return Factory()();
    return CreatePlatformAudioOutputDevice();
}

bool AudioOutputTimerEnabled() {
    return TimerEnabled();
}

TMixaOutput::TMixaOutput(std::unique_ptr<TAudioOutputDevice> device, int fragment_values)
    : device_(std::move(device)),
      fragment_values_(fragment_values),
      mixer_(fragment_values),
      ring_(static_cast<std::size_t>(fragment_values) * 2 * MIXA_RING_FRAGMENTS),
      fragment_(static_cast<std::size_t>(fragment_values) * 2) {}

TMixaOutput::~TMixaOutput() {
    Close();
}

bool TMixaOutput::Open(bool run_timer) {
    if (!device_ || !device_->Open(ring_.data(), static_cast<int>(ring_.size()))) return false;
    opened_ = true;
    restart_countdown_ = 0;
    lead_ = 6;
    write_position_ = 0;
    running_.store(true, std::memory_order_release);
    Tick();  // prefill before the device starts reading
    Resubmit();
    if (run_timer && !device_->DriveTicks([this] { Tick(); })) {
        stop_timer_.store(false);
        timer_ = std::thread([this] { TimerLoop(); });
    }
    return true;
}

void TMixaOutput::Close() {
    running_.store(false, std::memory_order_release);
    if (timer_.joinable()) {
        stop_timer_.store(true);
        timer_.join();
    }
    if (opened_) {
        device_->Reset();
        device_->Close();
        opened_ = false;
    }
    mixer_.ReleaseAll();
}

void TMixaOutput::TimerLoop() {
    using Clock = std::chrono::steady_clock;
    device_->TimerStarted();
    auto next = Clock::now();
    while (!stop_timer_.load()) {
        Tick();
        next += std::chrono::milliseconds(MIXA_TICK_MS);
        const auto now = Clock::now();
        // After a long stall, carry on from now instead of ticking in a burst.
        if (next < now) next = now;
        std::this_thread::sleep_until(next);
    }
}

void TMixaOutput::ClearRing() {
    device_->BeginWrite();
    std::memset(ring_.data(), 0, ring_.size());
    device_->EndWrite();
}

void TMixaOutput::Resubmit() {
    if (!device_->Submit()) {
        std::fputs("waveOutWrite error\n", stdout);
        std::fflush(stdout);
    }
}

// Mixer thread once the timer runs.
void TMixaOutput::Tick() {
    if (!running_.load(std::memory_order_acquire)) return;
    if (restart_countdown_ != 0) {
        if (--restart_countdown_ != 0) return;
        Resubmit();
    }

    std::int64_t bytes = 0;
    if (!device_->PlayPosition(bytes) || bytes < 0 || bytes > kBrokenPosition) {
        device_->Reset();
        write_position_ = 0;
        ClearRing();
        device_->Written(0);
        Resubmit();
        return;
    }
    if (bytes >= kRebaseFrom) {
        // Whole laps, one kept, so ring offsets and every comparison below stay as they were.
        const auto ring_bytes = static_cast<std::int64_t>(ring_.size());
        const std::int64_t drop = (bytes / ring_bytes - 1) * ring_bytes;
        if (device_->Rebase(drop)) {
            bytes -= drop;
            write_position_ -= drop / 2;
        }
    }

    const std::int64_t fragment = fragment_values_;
    const std::int64_t played = bytes / 2;
    if (played > 0 && write_position_ < played + kUnderrunMargin * fragment) {
        restart_countdown_ = MIXA_RESTART_TICKS;
        // Stopped first, so the device fades out what it was playing instead of reading
        // the ring half cleared.
        device_->Reset();
        ClearRing();
        if (lead_ <= kMaxLeadBeforeGrowth) lead_ += 2;
        write_position_ = 2 * lead_ * fragment;
        device_->Written(write_position_ * 2);  // the cleared ring is silence to play
        return;
    }

    const std::uint32_t now = MillisecondClock();
    while (write_position_ < played + lead_ * fragment) {
        const std::int64_t index = (write_position_ / fragment) % MIXA_RING_FRAGMENTS;
        // The device's callback waits while the ring is locked, so only the copy is.
        mixer_.MixFragment(fragment_.data(), now);
        device_->BeginWrite();
        std::memcpy(ring_.data() + index * fragment * 2, fragment_.data(), fragment_.size());
        write_position_ += fragment;
        device_->Written(write_position_ * 2);
        device_->EndWrite();
    }
}
