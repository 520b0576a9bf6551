// The Lehmer generator behind every random choice of the game. The sequence of states must
// match the reference exactly, so each step uses Schrage's decomposition in 32-bit integers.
#include "engine/system/random.h"

#include "engine/system/maths.h"

namespace {

constexpr int kModulus = 2147483647;  // 2^31 - 1 = 48271 * 44488 + 3399
constexpr int kMultiplier = 48271;
constexpr int kQuotient = 44488;
constexpr int kRemainder = 3399;
constexpr int kFallbackSeed = 4660;

int state = kFallbackSeed;

int Step() {
    const int hi = state / kQuotient;
    const int lo = state % kQuotient;
    state = kMultiplier * lo - kRemainder * hi;
    if (state < 0) state += kModulus;
    return state;
}

}  // namespace

void SeedRandom(int seed) {
    state = seed & 0x7FFFFFFF;
    // 0 would stay 0 for ever and 2^31 - 1 is 0 modulo the modulus.
    if (state == 0 || state == 0x7FFFFFFF) state = kFallbackSeed;
}

int RandomSeed() {
    return state;
}

float RandomFloat() {
    return static_cast<float>((Step() & 0x0FFFFFF0) / 268435456.0);
}

double RandomDouble() {
    const int s1 = Step();
    const int s2 = Step();
    return ((s1 & 0x1FFFFFFC) + (s2 & 0x1FFFFFF8) / 134217728.0) / 536870912.0;
}

double RandomReal(double a, double b) {
    const double r = RandomDouble();
    if (b > a) return a + r * (b - a);
    return b + r * (a - b);
}

int RandomInt(int a, int b) {
    const double r = RandomDouble();
    // Widened so that ranges near the full int span do not overflow; the results for every
    // range that fits are those of the 32-bit formula.
    const std::int64_t d = static_cast<std::int64_t>(b) - a;
    if (d > 0) return static_cast<int>(a + TruncateToLong(r * static_cast<double>(d + 1)));
    return static_cast<int>(b + TruncateToLong(r * static_cast<double>(1 - d)));
}
