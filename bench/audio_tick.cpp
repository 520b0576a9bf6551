// Whether the mixer's tick runs on time: the mixer driver on the real SDL device (the disk
// driver writing to /dev/null unless SDL_AUDIODRIVER says otherwise) with its own timer
// thread, 24 looping voices, for a number of seconds. A wrapper round the device times each
// tick (the tick asks for the play position once), how long the tick waits for the device
// lock that SDL's callback holds, and how long it holds it.
//
//   bench_audio_tick [seconds] [normal]
//
// "normal" keeps the tick thread at normal priority (the wrapper does not pass on the
// request for an audio thread's priority), to compare under load, e.g. with
// `stress-ng --cpu 2` running alongside.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio/audio.h"
#include "engine/audio/internal/mixa_driver.h"
#include "engine/audio/internal/mixa_output.h"
#include "engine/system/stream.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Times {
    std::vector<double> tick_gap_ms, lock_wait_us, lock_hold_us;
};

Times& Measured() {
    static Times times;
    return times;
}

class TTimedDevice final : public TAudioOutputDevice {
  public:
    TTimedDevice(std::unique_ptr<TAudioOutputDevice> inner, bool raise)
        : inner_(std::move(inner)), raise_(raise) {}

    bool Open(std::uint8_t* ring, int ring_bytes) override {
        return inner_->Open(ring, ring_bytes);
    }
    void Close() override { inner_->Close(); }
    bool PlayPosition(std::int64_t& bytes) override {
        const auto now = Clock::now();
        if (ticking_) {
            Measured().tick_gap_ms.push_back(
                std::chrono::duration<double, std::milli>(now - last_tick_).count());
        }
        ticking_ = true;
        last_tick_ = now;
        return inner_->PlayPosition(bytes);
    }
    void Reset() override { inner_->Reset(); }
    bool Submit() override { return inner_->Submit(); }
    void BeginWrite() override {
        const auto before = Clock::now();
        inner_->BeginWrite();
        locked_ = Clock::now();
        Measured().lock_wait_us.push_back(
            std::chrono::duration<double, std::micro>(locked_ - before).count());
    }
    void EndWrite() override {
        Measured().lock_hold_us.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - locked_).count());
        inner_->EndWrite();
    }
    void Written(std::int64_t end_bytes) override { inner_->Written(end_bytes); }
    bool Rebase(std::int64_t bytes) override { return inner_->Rebase(bytes); }
    void TimerStarted() override {
        if (raise_) inner_->TimerStarted();
    }

  private:
    std::unique_ptr<TAudioOutputDevice> inner_;
    bool raise_;
    bool ticking_ = false;
    Clock::time_point last_tick_, locked_;
};

void Print(const char* what, std::vector<double> v, const char* unit) {
    if (v.empty()) return;
    std::sort(v.begin(), v.end());
    auto at = [&](double p) { return v[static_cast<std::size_t>(p * (v.size() - 1))]; };
    std::printf("%-28s n %7zu  median %8.3f  p99 %8.3f  p99.9 %8.3f  max %8.3f %s\n", what,
                v.size(), at(0.5), at(0.99), at(0.999), v.back(), unit);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const bool raise = !(argc > 2 && std::strcmp(argv[2], "normal") == 0);
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    StartStreamModules();
    StartAudioModules();
    SetAudioOutputFactory(
        [raise] {
            return std::make_unique<TTimedDevice>(CreatePlatformAudioOutputDevice(), raise);
        },
        true);
    if (SetAudioDriver("Mixa") != 1) return std::fputs("no SDL audio device\n", stderr), 1;

    auto sample = TAudioSample::Create(48000 * 3, 48000, SF_STEREO16LE);
    auto* values = reinterpret_cast<std::int16_t*>(sample->samples);
    std::uint32_t seed = 7;
    for (int i = 0; i < 48000 * 3 * 2; ++i) {
        seed = seed * 1664525u + 1013904223u;
        values[i] = static_cast<std::int16_t>(seed >> 20);
    }
    auto sound = LoadSound(sample, 1);
    std::vector<std::shared_ptr<TChannel>> channels;
    for (int i = 0; i < 24; ++i) channels.push_back(PlaySound(sound));
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const int lead = CurrentMixaOutput()->Lead();
    ShutdownAudio();

    const Times& t = Measured();
    std::printf("%d s, tick thread at %s priority, lead at the end %d fragments\n", seconds,
                raise ? "an audio thread's" : "normal", lead);
    Print("tick to tick", t.tick_gap_ms, "ms (due every 5)");
    Print("waiting for the device lock", t.lock_wait_us, "us");
    Print("holding the device lock", t.lock_hold_us, "us");
    return 0;
}
