#include "engine/system/maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr std::int64_t kLongMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kLongMin = std::numeric_limits<std::int64_t>::min();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(Maths, TruncateToIntGoesTowardZeroAndIsDefinedEverywhere) {
    struct Case {
        double x;
        int expected;
    };
    const Case cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {0.5, 0},
        {-0.5, 0},
        {2.5, 2},
        {-2.5, -2},
        {3.5, 3},  // round-half-even would give 4
        {-0.0, 0},
        {0.9999999999999999, 0},
        {2147483647.0, kIntMax},
        {2147483647.9, kIntMax},
        {-2147483648.0, kIntMin},
        {-2147483648.9, kIntMin},
        // Outside the range and not-a-number: saturate, and NaN is 0.
        {2147483648.0, kIntMax},
        {1e300, kIntMax},
        {kInf, kIntMax},
        {-2147483649.0, kIntMin},
        {-kInf, kIntMin},
        {kNaN, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TruncateToInt(c.x), c.expected) << c.x;
}

TEST(Maths, TruncateToLongGoesTowardZeroAndIsDefinedEverywhere) {
    struct Case {
        double x;
        std::int64_t expected;
    };
    const Case cases[] = {
        {-2.9, -2},
        {1e10 + 0.75, 10000000000},
        {-1e10 - 0.75, -10000000000},
        {4503599627370497.0, 4503599627370497},  // 2^52 + 1, exact in a double
        {-9223372036854775808.0, kLongMin},
        {9223372036854774784.0, 9223372036854774784},  // largest double below 2^63
        {9223372036854775808.0, kLongMax},
        {kInf, kLongMax},
        {-1e19, kLongMin},
        {-kInf, kLongMin},
        {kNaN, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TruncateToLong(c.x), c.expected) << c.x;
    EXPECT_EQ(DoubleFromLong(kLongMax), 9223372036854775808.0);  // nearest double
    EXPECT_EQ(DoubleFromLong(-42), -42.0);
}

TEST(Maths, IntegerText) {
    const struct {
        int n;
        const char* text;
    } ints[] = {
        {0, "0"}, {-7, "-7"}, {10, "10"}, {kIntMax, "2147483647"}, {kIntMin, "-2147483648"}};
    for (const auto& c : ints) EXPECT_EQ(IntToString(c.n), c.text);

    const struct {
        std::int64_t n;
        const char* text;
    } longs[] = {{10000000000, "10000000000"},
                 {0, "0"},
                 {-1, "-1"},
                 {kLongMax, "9223372036854775807"},
                 {kLongMin, "-9223372036854775808"}};
    for (const auto& c : longs) EXPECT_EQ(LongToString(c.n), c.text);
}

TEST(Maths, RealTextKeepsTrailingZeros) {
    EXPECT_EQ(FloatToString(1.5f), "1.50000000");
    EXPECT_EQ(FloatToString(0.1f), "0.100000001");  // the float's own value, shown as a double
    EXPECT_EQ(FloatToString(-2.0f), "-2.00000000");
    EXPECT_EQ(DoubleToString(1.0), "1.0000000000000000");
    EXPECT_EQ(DoubleToString(0.1), "0.10000000000000001");
    EXPECT_EQ(DoubleToString(1e20), "1.0000000000000000e+20");
}

TEST(Maths, DegreeTrigonometry) {
    const struct {
        const char* what;
        double got, expected;
    } cases[] = {
        {"ATan2Deg(1, 0)", ATan2Deg(1, 0), 90},
        {"ATan2Deg(0, -1)", ATan2Deg(0, -1), 180},
        {"ATan2Deg(-1, 0)", ATan2Deg(-1, 0), -90},
        {"ATan2Deg(1, 1)", ATan2Deg(1, 1), 45},
        {"ACosDeg(-1)", ACosDeg(-1), 180},
        {"ACosDeg(0.5)", ACosDeg(0.5), 60},
        {"ASinDeg(1)", ASinDeg(1), 90},
        {"ATanDeg(1)", ATanDeg(1), 45},
        {"SinDeg(30)", SinDeg(30), 0.5},
        {"SinDeg(90)", SinDeg(90), 1},
        {"SinDeg(-90)", SinDeg(-90), -1},
        {"CosDeg(60)", CosDeg(60), 0.5},
        {"CosDeg(180)", CosDeg(180), -1},
        {"CosDeg(360)", CosDeg(360), 1},
        {"TanDeg(45)", TanDeg(45), 1},
        {"SquareRoot(2)", SquareRoot(2), 1.4142135623730951},
        {"SquareRoot(0)", SquareRoot(0), 0},
    };
    for (const auto& c : cases) EXPECT_NEAR(c.got, c.expected, 1e-12) << c.what;
    EXPECT_TRUE(std::isnan(SquareRoot(-1)));
    EXPECT_TRUE(std::isnan(ACosDeg(1.5)));
}

TEST(Maths, CompareStrings) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"ab", "abc", -1},
        {"abc", "ab", 1},
        {"b", "a", 1},
        {"a", "b", -1},
        {"abc", "abc", 0},
        {"", "", 0},
        {"", "xyz", -3},
        {"aZ", "az", 'Z' - 'z'},
        {"\xC3\xA9", "e", 0xC3 - 'e'},  // bytes of non-ASCII text compare as unsigned
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareStrings(c.a, c.b), c.expected) << c.a << " vs " << c.b;
    }
    EXPECT_EQ(ConcatStrings("Chain ", "12"), "Chain 12");
    EXPECT_EQ(ConcatStrings("", ""), "");
}

}  // namespace
