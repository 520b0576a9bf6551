#include "engine/system/maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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
    EXPECT_DOUBLE_EQ(ATan2Deg(1, 0), 90);  // y comes first
    EXPECT_DOUBLE_EQ(ATan2Deg(0, -1), 180);
    EXPECT_DOUBLE_EQ(ACosDeg(-1), 180);
    EXPECT_NEAR(SinDeg(30), 0.5, 1e-15);
    EXPECT_NEAR(CosDeg(60), 0.5, 1e-15);
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
