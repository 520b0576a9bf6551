// Installs a virtual clock for the lifetime of a test and restores the real one after.
#pragma once

#include "engine/system/clock.h"

class TScopedVirtualClock {
  public:
    explicit TScopedVirtualClock(std::uint32_t start = 0);
    ~TScopedVirtualClock();
    TScopedVirtualClock(const TScopedVirtualClock&) = delete;
    TScopedVirtualClock& operator=(const TScopedVirtualClock&) = delete;

    TVirtualClock& clock() { return clock_; }
    TVirtualClock* operator->() { return &clock_; }

  private:
    TVirtualClock clock_;
};
