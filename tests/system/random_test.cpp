#include "engine/system/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>

namespace {

// std::minstd_rand is the same 48271 / 2^31-1 Lehmer generator, built independently.
std::minstd_rand ReferenceFrom(int state) {
    return std::minstd_rand(static_cast<std::minstd_rand::result_type>(state));
}

TEST(Random, SeedingMasksAndAvoidsStuckStates) {
    const struct {
        int seed;
        int state;
    } cases[] = {
        {4660, 4660},
        {0, 4660},
        {0x7FFFFFFF, 4660},
        {-1, 4660},  // all 31 low bits set
        {-2, 2147483646},
        {std::numeric_limits<int>::min(), 4660},  // low 31 bits are zero
        {1, 1},
        {123456789, 123456789},
    };
    for (const auto& c : cases) {
        SeedRandom(c.seed);
        EXPECT_EQ(RandomSeed(), c.state) << c.seed;
    }
}

TEST(Random, StepsFollowTheLehmerSequence) {
    SeedRandom(4660);
    const int expected[] = {224942860, 539475828, 650989866, 1951098782, 1446483090, 2049422479};
    for (int state : expected) {
        RandomFloat();  // one step each
        EXPECT_EQ(RandomSeed(), state);
    }

    // Long runs from several seeds, including states near both ends of the range, where a
    // step computed in plain 32-bit arithmetic would overflow.
    for (int seed : {4660, 1, 2147483646, 44488, 1073741823, 987654321}) {
        SeedRandom(seed);
        std::minstd_rand reference = ReferenceFrom(seed);
        for (int i = 0; i < 20000; ++i) {
            RandomFloat();
            ASSERT_EQ(static_cast<unsigned>(RandomSeed()), reference()) << seed << " step " << i;
        }
    }
}

TEST(Random, RealsFromKnownStates) {
    SeedRandom(4660);  // state 224942860: bits 4-27 are 224942848
    EXPECT_EQ(RandomFloat(), 224942848.0f / 268435456.0f);
    SeedRandom(4660);
    EXPECT_NEAR(RandomFloat(), 0.837977409362793, 1e-15);

    SeedRandom(4660);
    const double doubles[] = {0.4189887270692887, 0.21256311710331344, 0.694284713397524};
    for (double d : doubles) EXPECT_NEAR(RandomDouble(), d, 1e-16);
}

TEST(Random, RealsStayInTheirHalfOpenRanges) {
    SeedRandom(97531);
    std::minstd_rand reference = ReferenceFrom(97531);
    unsigned last = 0;
    for (int i = 0; i < 20000; ++i) {
        const float f = RandomFloat();
        ASSERT_GE(f, 0.0f);
        ASSERT_LT(f, 1.0f);
        // 24 significant bits: an exact multiple of 2^-24.
        ASSERT_EQ(std::ldexp(static_cast<double>(f), 24), std::floor(std::ldexp(f, 24)));
        reference();

        const double r = RandomReal(10.0, 0.0);
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 10.0);
        const double s = RandomReal(-3.0, -5.0);
        ASSERT_GE(s, -5.0);
        ASSERT_LT(s, -3.0);
        reference.discard(3);
        last = reference();
    }
    // Every real costs exactly the steps stated: one per float, two per double.
    EXPECT_EQ(static_cast<unsigned>(RandomSeed()), last);
    EXPECT_EQ(RandomReal(2.5, 2.5), 2.5);
}

TEST(Random, RealOrderOfBoundsGivesTheSameValue) {
    SeedRandom(4660);
    const double r = RandomDouble();
    SeedRandom(4660);
    EXPECT_DOUBLE_EQ(RandomReal(0, 8), r * 8);
    SeedRandom(4660);
    EXPECT_DOUBLE_EQ(RandomReal(8, 0), r * 8);
    SeedRandom(4660);  // a NaN bound fails the comparison: the second formula is used
    EXPECT_TRUE(std::isnan(RandomReal(std::nan(""), 1.0)));
}

TEST(Random, IntegersFromKnownStates) {
    const int dice[] = {3, 2, 5, 1, 4, 2};
    for (const auto& bounds : {std::pair{1, 6}, std::pair{6, 1}}) {
        SeedRandom(4660);
        for (int expected : dice) EXPECT_EQ(RandomInt(bounds.first, bounds.second), expected);
    }

    SeedRandom(4660);
    std::minstd_rand reference = ReferenceFrom(4660);
    EXPECT_EQ(RandomInt(5, 5), 5);
    reference.discard(1);
    EXPECT_EQ(static_cast<unsigned>(RandomSeed()), reference());
}

TEST(Random, IntegersCoverTheClosedRange) {
    const struct { int a, b; } ranges[] = {{1, 6}, {6, 1}, {0, 20}, {-3, 3}, {1, 60}, {0, 1}};
    SeedRandom(24680);
    for (const auto& range : ranges) {
        const int lo = std::min(range.a, range.b);
        const int hi = std::max(range.a, range.b);
        std::set<int> seen;
        for (int i = 0; i < 5000; ++i) {
            const int n = RandomInt(range.a, range.b);
            ASSERT_GE(n, lo);
            ASSERT_LE(n, hi);
            seen.insert(n);
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(hi - lo + 1)) << lo << ".." << hi;
    }
    // The widest ranges overflow 32-bit arithmetic; the results still spread over the range.
    bool negative = false, positive = false;
    for (int i = 0; i < 1000; ++i) {
        const int n = RandomInt(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        const int m = RandomInt(std::numeric_limits<int>::max(), std::numeric_limits<int>::min());
        negative = negative || n < -0x40000000 || m < -0x40000000;
        positive = positive || n > 0x40000000 || m > 0x40000000;
    }
    EXPECT_TRUE(negative && positive);
}

}  // namespace
