#include "engine/system/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>

namespace {

// std::minstd_rand is the same 48271 / 2^31-1 Lehmer generator, built independently.
unsigned State() {
    return static_cast<unsigned>(RandomSeed());
}

TEST(Random, SeedingMasksAndAvoidsStuckStates) {
    const struct {
        int seed, state;
    } cases[] = {{4660, 4660},
                 {0, 4660},
                 {0x7FFFFFFF, 4660},
                 {-1, 4660},
                 {-2, 2147483646},
                 {1, 1},
                 {std::numeric_limits<int>::min(), 4660}};
    for (const auto& c : cases) {
        SeedRandom(c.seed);
        EXPECT_EQ(RandomSeed(), c.state) << c.seed;
    }
}

TEST(Random, StepsFollowTheLehmerSequence) {
    SeedRandom(4660);
    for (int state : {224942860, 539475828, 650989866, 1951098782, 1446483090, 2049422479}) {
        RandomFloat();  // one step
        EXPECT_EQ(RandomSeed(), state);
    }
    // Long runs, from states near both ends too, where plain 32-bit products would overflow.
    for (int seed : {4660, 1, 2147483646, 44488, 987654321}) {
        SeedRandom(seed);
        std::minstd_rand reference(static_cast<unsigned>(seed));
        for (int i = 0; i < 20000; ++i) {
            RandomFloat();
            ASSERT_EQ(State(), reference()) << seed << " step " << i;
        }
    }
}

TEST(Random, RealsFromKnownStates) {
    SeedRandom(4660);
    EXPECT_NEAR(RandomFloat(), 0.837977409362793, 1e-15);
    SeedRandom(4660);
    for (double d : {0.4189887270692887, 0.21256311710331344, 0.694284713397524}) {
        EXPECT_NEAR(RandomDouble(), d, 1e-16);
    }
    // Either order of bounds computes the smaller bound plus the same fraction of the span;
    // a NaN bound fails the comparison and takes the second formula.
    const struct { double a, b; } bounds[] = {{0, 8}, {8, 0}};
    for (const auto& c : bounds) {
        SeedRandom(4660);
        EXPECT_NEAR(RandomReal(c.a, c.b), 0.4189887270692887 * 8, 1e-15);
    }
    EXPECT_TRUE(std::isnan(RandomReal(std::nan(""), 1.0)));
    EXPECT_EQ(RandomReal(2.5, 2.5), 2.5);
}

TEST(Random, RangesAndStepCounts) {
    SeedRandom(97531);
    std::minstd_rand reference(97531);
    for (int i = 0; i < 20000; ++i) {
        const float f = RandomFloat();
        ASSERT_TRUE(f >= 0.0f && f < 1.0f);
        ASSERT_EQ(std::ldexp(f, 24), std::floor(std::ldexp(f, 24)));  // 24 significant bits
        const double r = RandomReal(-3.0, -5.0);
        ASSERT_TRUE(r >= -5.0 && r < -3.0) << r;
        reference.discard(2);  // one step per float, two per double
        ASSERT_EQ(State(), reference());
    }
}

TEST(Random, IntegersCoverTheClosedRange) {
    for (const auto& bounds : {std::pair{1, 6}, std::pair{6, 1}}) {
        SeedRandom(4660);
        for (int expected : {3, 2, 5, 1, 4, 2}) {
            EXPECT_EQ(RandomInt(bounds.first, bounds.second), expected);
        }
    }
    SeedRandom(4660);
    std::minstd_rand reference(4660);
    EXPECT_EQ(RandomInt(5, 5), 5);
    reference.discard(1);
    EXPECT_EQ(State(), reference());  // still two steps

    const struct { int a, b; } ranges[] = {{0, 20}, {-3, 3}, {1, 60}, {1, 0}};
    for (const auto& range : ranges) {
        const int lo = std::min(range.a, range.b), hi = std::max(range.a, range.b);
        std::set<int> seen;
        for (int i = 0; i < 3000; ++i) {
            const int n = RandomInt(range.a, range.b);
            ASSERT_TRUE(n >= lo && n <= hi) << n;
            seen.insert(n);
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(hi - lo + 1)) << lo << ".." << hi;
    }
    // The full int span overflows 32-bit arithmetic; results still spread over it.
    bool low = false, high = false;
    for (int i = 0; i < 1000; ++i) {
        const int n = RandomInt(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        low = low || n < -0x40000000;
        high = high || n > 0x40000000;
    }
    EXPECT_TRUE(low && high);
}

}  // namespace
