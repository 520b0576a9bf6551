// A stand-in for the platform output: the test moves the play position by hand and can make
// the position query or the submission fail, and every call is counted.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/audio/internal/mixa_output.h"

struct TVirtualOutputState {
    std::uint8_t* ring = nullptr;
    int ring_bytes = 0;
    std::atomic<std::int64_t> position{0};  // bytes played since the last Submit
    std::atomic<bool> open_fails{false};
    std::atomic<bool> position_fails{false};
    std::atomic<bool> submit_fails{false};
    std::atomic<int> submits{0};
    std::atomic<int> resets{0};
    std::atomic<std::int64_t> written{0};  // the tick's last written mark
    std::atomic<int> rebases{0};
    std::atomic<bool> closed{false};
};

class TVirtualOutputDevice final : public TAudioOutputDevice {
  public:
    explicit TVirtualOutputDevice(std::shared_ptr<TVirtualOutputState> state)
        : state_(std::move(state)) {}

    bool Open(std::uint8_t* ring, int ring_bytes) override {
        if (state_->open_fails) return false;
        state_->ring = ring;
        state_->ring_bytes = ring_bytes;
        return true;
    }
    void Close() override { state_->closed = true; }
    bool PlayPosition(std::int64_t& bytes) override {
        bytes = state_->position;
        return !state_->position_fails;
    }
    void Reset() override {
        ++state_->resets;
        state_->position = 0;
    }
    bool Submit() override {
        ++state_->submits;
        state_->position = 0;
        return !state_->submit_fails;
    }
    void Written(std::int64_t end_bytes) override { state_->written = end_bytes; }
    bool Rebase(std::int64_t bytes) override {
        ++state_->rebases;
        state_->position -= bytes;
        state_->written -= bytes;
        return true;
    }

  private:
    std::shared_ptr<TVirtualOutputState> state_;
};

// Installs the virtual device for the mixer driver for the lifetime of the object.
class TScopedVirtualOutput {
  public:
    explicit TScopedVirtualOutput(bool run_timer = false)
        : state_(std::make_shared<TVirtualOutputState>()) {
        auto state = state_;
        SetAudioOutputFactory([state] { return std::make_unique<TVirtualOutputDevice>(state); },
                              run_timer);
    }
    ~TScopedVirtualOutput() { SetAudioOutputFactory(nullptr, true); }
    TScopedVirtualOutput(const TScopedVirtualOutput&) = delete;
    TScopedVirtualOutput& operator=(const TScopedVirtualOutput&) = delete;

    TVirtualOutputState& state() { return *state_; }

  private:
    std::shared_ptr<TVirtualOutputState> state_;
};
