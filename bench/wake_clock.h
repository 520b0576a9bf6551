// A clock for the pacing benchmarks: the real clock, plus a record of how late every paced
// sleep woke against the deadline the pacer set, measured in nanoseconds from the instant
// the millisecond counter reached that deadline.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

#include "engine/system/clock.h"

class TWakeClock final : public TClock {
  public:
    explicit TWakeClock(TClock& real) : real_(real) { late_ms_.reserve(16384); }

    std::uint32_t Milliseconds() override { return real_.Milliseconds(); }
    void Sleep(std::uint32_t ms) override { real_.Sleep(ms); }
    void SleepUntil(std::uint32_t deadline) override {
        real_.SleepUntil(deadline);
        Record(deadline);
    }

    // Records how long ago the real clock reached `deadline`.
    void Record(std::uint32_t deadline) {
        const std::uint64_t now = Nanoseconds();
        // The counter is the monotonic time in whole milliseconds, cut to 32 bits: the
        // deadline's instant is the start of that millisecond, counted back from now.
        const std::uint64_t whole_ms = now / 1000000u;
        const std::int32_t behind = ClockDiff(static_cast<std::uint32_t>(whole_ms), deadline);
        const std::uint64_t instant = (whole_ms - static_cast<std::uint64_t>(behind)) * 1000000u;
        late_ms_.push_back(static_cast<double>(static_cast<std::int64_t>(now - instant)) / 1e6);
    }

    void Reset() { late_ms_.clear(); }
    std::size_t Wakes() const { return late_ms_.size(); }
    // The q-quantile (0..1) of the recorded lateness in milliseconds; 0 with no wakes.
    double LateQuantileMs(double q) const {
        if (late_ms_.empty()) return 0;
        std::vector<double> sorted = late_ms_;
        std::sort(sorted.begin(), sorted.end());
        const auto index = static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1));
        return sorted[index];
    }

    double LateMeanMs() const {
        double sum = 0;
        for (double late : late_ms_) sum += late;
        return late_ms_.empty() ? 0 : sum / static_cast<double>(late_ms_.size());
    }

    static std::uint64_t Nanoseconds() {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u +
               static_cast<std::uint64_t>(ts.tv_nsec);
    }

  private:
    TClock& real_;
    std::vector<double> late_ms_;
};
