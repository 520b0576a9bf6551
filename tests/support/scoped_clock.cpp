#include "tests/support/scoped_clock.h"

TScopedVirtualClock::TScopedVirtualClock(std::uint32_t start) : clock_(start) {
    SetClock(&clock_);
}
TScopedVirtualClock::~TScopedVirtualClock() {
    SetClock(nullptr);
}
