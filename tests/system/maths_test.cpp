#include "engine/system/maths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "engine/system/trigonometry.h"

namespace {

using Int = std::numeric_limits<int>;
using Long = std::numeric_limits<std::int64_t>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(Maths, TruncationGoesTowardZeroAndIsDefinedEverywhere) {
    const struct {
        double x;
        int as_int;
        std::int64_t as_long;
    } cases[] = {
        {2.9, 2, 2},
        {-2.9, -2, -2},
        {0.5, 0, 0},
        {-0.5, 0, 0},
        {2.5, 2, 2},
        {-2.5, -2, -2},
        {3.5, 3, 3},  // not rounded half to even
        {2147483647.9, Int::max(), 2147483647},
        {-2147483648.9, Int::min(), -2147483648},
        // Beyond the range saturates; not-a-number gives 0.
        {2147483648.0, Int::max(), 2147483648},
        {-2147483649.0, Int::min(), -2147483649},
        {4503599627370497.0, Int::max(), 4503599627370497},
        {9223372036854775808.0, Int::max(), Long::max()},
        {-9223372036854775808.0, Int::min(), Long::min()},
        {kInf, Int::max(), Long::max()},
        {-kInf, Int::min(), Long::min()},
        {kNaN, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TruncateToInt(c.x), c.as_int) << c.x;
        EXPECT_EQ(TruncateToLong(c.x), c.as_long) << c.x;
    }
    EXPECT_EQ(DoubleFromLong(Long::max()), 9223372036854775808.0);
}

TEST(Maths, NumberText) {
    const struct {
        std::string got, expected;
    } cases[] = {
        {IntToString(0), "0"},
        {IntToString(-7), "-7"},
        {IntToString(Int::max()), "2147483647"},
        {IntToString(Int::min()), "-2147483648"},
        {LongToString(10000000000), "10000000000"},
        {LongToString(Long::min()), "-9223372036854775808"},
        {FloatToString(1.5f), "1.50000000"},
        {FloatToString(0.1f), "0.100000001"},  // the float's own value
        {DoubleToString(1.0), "1.0000000000000000"},
        {DoubleToString(0.1), "0.10000000000000001"},
        {DoubleToString(1e20), "1.0000000000000000e+20"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(Maths, DegreeTrigonometry) {
    EXPECT_EQ(ATan2Deg(1, 0), 90);  // y comes first
    EXPECT_EQ(ATan2Deg(0, -1), 180);
    EXPECT_EQ(ACosDeg(-1), 180);
    EXPECT_EQ(ACosDeg(1), 0);
    EXPECT_EQ(SinDeg(0), 0);
    EXPECT_NEAR(SinDeg(30), 0.5, 1e-15);
    EXPECT_NEAR(CosDeg(60), 0.5, 1e-15);
}

// The error of a result in units in the last place of a double of the reference's size. The
// references are the C library's long double functions, whose 64 bits settle the rounding of
// all but the results within about 2^-11 ulp of halfway between two doubles.
long double UlpError(double got, long double reference) {
    int exponent = 0;
    std::frexp(std::fabs(reference), &exponent);
    return std::fabs(got - reference) / std::ldexp(1.0L, std::max(exponent, -1021) - 53);
}

// Correctly rounded, but where the reference cannot tell.
constexpr long double kRoundedBound = 0.501L;

struct WorstError {
    long double ulps = 0;
    double at = 0, at_x = 0;
    void Note(double got, long double reference, double argument, double x = 0) {
        const long double e = UlpError(got, reference);
        if (e > ulps) ulps = e, at = argument, at_x = x;
    }
};

#define EXPECT_ROUNDED(worst) \
    EXPECT_LE((worst).ulps, kRoundedBound) << "at " << (worst).at << ", " << (worst).at_x

struct OneArgument {
    const char* name;
    double (*ours)(double);
    long double (*reference)(long double);
};
const OneArgument kCircular[] = {
    {"Sine", Sine, sinl}, {"Cosine", Cosine, cosl}, {"Tangent", Tangent, tanl}};
const OneArgument kInverse[] = {{"ArcSine", ArcSine, asinl},
                                {"ArcCosine", ArcCosine, acosl},
                                {"ArcTangent", ArcTangent, atanl}};

// Every angle the game can turn to, as the degree helpers convert it; the multiples of 90
// degrees, where the results are smallest, are on the grid exactly.
TEST(Trigonometry, CorrectlyRoundedOverTheGameAngles) {
    for (const auto& f : kCircular) {
        WorstError worst;
        for (int i = -360000; i <= 360000; ++i) {
            const double radians = i / 100.0 * 0.017453292519943295;
            worst.Note(f.ours(radians), f.reference(radians), radians);
        }
        EXPECT_ROUNDED(worst) << " " << f.name;
    }
    for (const auto& f : kInverse) {
        WorstError worst;
        // ArcTangent over the same span of slopes, -64..64.
        const double scale = f.ours == ArcTangent ? 64 : 1;
        for (int i = -(1 << 17); i <= 1 << 17; ++i) {
            const double x = i / 131072.0 * scale;
            worst.Note(f.ours(x), f.reference(x), x);
        }
        EXPECT_ROUNDED(worst) << " " << f.name;
    }
    WorstError worst;
    for (int y = -400; y <= 400; y += 2) {
        for (int x = -400; x <= 400; x += 2) worst.Note(ArcTangent2(y, x), atan2l(y, x), y, x);
    }
    EXPECT_ROUNDED(worst) << " ArcTangent2";
}

// Random bits: every exponent equally often, so huge arguments (reduced with many bits of
// 2/pi) and tiny ones (left alone or kept from underflowing) get their share.
TEST(Trigonometry, CorrectlyRoundedForDoublesOfEveryMagnitude) {
    std::mt19937_64 bits(20240601);
    const auto random_double = [&](std::uint64_t below) {
        const std::uint64_t pattern = bits() % below | (bits() & 1) << 63;
        double d;
        std::memcpy(&d, &pattern, sizeof d);
        return d;
    };
    constexpr std::uint64_t kFinite = 0x7FF0000000000000, kUpToOne = 0x3FF0000000000001;
    for (const auto& f : kCircular) {
        WorstError worst;
        // The double nearest a multiple of pi/2: 2^-61.5 of a quarter turn away.
        const double nearest = 0x1.6ac5b262ca1ffp+849;
        worst.Note(f.ours(nearest), f.reference(nearest), nearest);
        for (int i = 0; i < 200000; ++i) {
            const double x = random_double(kFinite);
            worst.Note(f.ours(x), f.reference(x), x);
        }
        EXPECT_ROUNDED(worst) << " " << f.name;
    }
    for (const auto& f : kInverse) {
        WorstError worst;
        for (int i = 0; i < 200000; ++i) {
            const double x = random_double(f.ours == ArcTangent ? kFinite : kUpToOne);
            worst.Note(f.ours(x), f.reference(x), x);
        }
        EXPECT_ROUNDED(worst) << " " << f.name;
    }
    WorstError worst;
    for (int i = 0; i < 200000; ++i) {
        const double y = random_double(kFinite), x = random_double(kFinite);
        worst.Note(ArcTangent2(y, x), atan2l(y, x), y, x);
    }
    EXPECT_ROUNDED(worst) << " ArcTangent2";
}

TEST(Trigonometry, SpecialArguments) {
    const double pi = 3.141592653589793, half_pi = 1.5707963267948966;
    const struct {
        double got, expected;
    } cases[] = {
        // Signed zeros are kept.
        {Sine(-0.0), -0.0},
        {Tangent(-0.0), -0.0},
        {ArcSine(-0.0), -0.0},
        {ArcTangent(-0.0), -0.0},
        {Cosine(-0.0), 1},
        {ArcCosine(0), half_pi},
        // The ends of the inverse functions' ranges.
        {ArcCosine(1), 0},
        {ArcCosine(-1), pi},
        {ArcSine(-1), -half_pi},
        {ArcTangent(-kInf), -half_pi},
        {ArcTangent(1e300), half_pi},
        // atan2 on the axes and at infinity, as C defines it.
        {ArcTangent2(0.0, 0.0), 0.0},
        {ArcTangent2(-0.0, 0.0), -0.0},
        {ArcTangent2(0.0, -0.0), pi},
        {ArcTangent2(-0.0, -1), -pi},
        {ArcTangent2(1, 0), half_pi},
        {ArcTangent2(-1, -0.0), -half_pi},
        {ArcTangent2(kInf, 5), half_pi},
        {ArcTangent2(-3, kInf), -0.0},
        {ArcTangent2(3, -kInf), pi},
        {ArcTangent2(kInf, kInf), pi / 4},
        {ArcTangent2(-kInf, -kInf), -3 * pi / 4},
        {ArcTangent2(0x1p-1074, 0x1p1023), 0},  // below the least subnormal: rounds to 0
        {ArcTangent2(0x1p-1000, 0x1p20), 0x1p-1020},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.expected);
        EXPECT_EQ(std::signbit(c.got), std::signbit(c.expected)) << c.expected;
    }
    const double not_numbers[] = {
        Sine(kInf),    Cosine(-kInf),    Tangent(kNaN),        ArcSine(1.0000000000000002),
        ArcCosine(-2), ArcTangent(kNaN), ArcTangent2(kNaN, 1), ArcTangent2(1, kNaN),
        ArcSine(kNaN), ArcCosine(kInf),
    };
    for (const double v : not_numbers) EXPECT_TRUE(std::isnan(v)) << v;
}

TEST(Maths, CompareStrings) {
    const struct {
        const char *a, *b;
        int expected;
    } cases[] = {
        {"ab", "abc", -1},
        {"abc", "ab", 1},
        {"b", "a", 1},
        {"abc", "abc", 0},
        {"", "xyz", -3},
        {"", "", 0},
        {"aZ", "az", 'Z' - 'z'},
        {"\xC3\xA9", "e", 0xC3 - 'e'},  // bytes of non-ASCII text count as unsigned
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareStrings(c.a, c.b), c.expected) << c.a << "|" << c.b;
    EXPECT_EQ(ConcatStrings("Chain ", "12"), "Chain 12");
}

}  // namespace
