// Degree trigonometry, defined truncation, and the decimal text of numbers.
#include "engine/system/maths.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/system/trigonometry.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kDegreesPerRadian = 57.29577951308232;

template <typename Int>
std::string IntegerText(Int n) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, n);
    return std::string(digits, result.ptr);
}

std::string Formatted(const char* format, double value) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, format, value);
    return std::string(text, length < 0 ? 0 : static_cast<std::size_t>(length));
}

}  // namespace

double SquareRoot(double x) {
    return std::sqrt(x);
}
double SinDeg(double degrees) {
    return Sine(degrees * kRadiansPerDegree);
}
double CosDeg(double degrees) {
    return Cosine(degrees * kRadiansPerDegree);
}
double TanDeg(double degrees) {
    return Tangent(degrees * kRadiansPerDegree);
}
double ASinDeg(double x) {
    return ArcSine(x) * kDegreesPerRadian;
}
double ACosDeg(double x) {
    return ArcCosine(x) * kDegreesPerRadian;
}
double ATanDeg(double x) {
    return ArcTangent(x) * kDegreesPerRadian;
}
double ATan2Deg(double y, double x) {
    return ArcTangent2(y, x) * kDegreesPerRadian;
}

// A float-to-integer conversion whose result does not fit is undefined in C++, so the ends
// of the range are decided here before converting.
int TruncateToInt(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483648.0) return std::numeric_limits<int>::max();
    if (x <= -2147483649.0) return std::numeric_limits<int>::min();
    return static_cast<int>(x);
}

std::int64_t TruncateToLong(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
    if (x < -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(x);
}

double DoubleFromLong(std::int64_t n) {
    return static_cast<double>(n);
}

std::string IntToString(int n) {
    return IntegerText(n);
}
std::string LongToString(std::int64_t n) {
    return IntegerText(n);
}
std::string FloatToString(float f) {
    return Formatted("%#.9g", static_cast<double>(f));
}
std::string DoubleToString(double d) {
    return Formatted("%#.17g", d);
}

int CompareStrings(const std::string& a, const std::string& b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const int diff = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
        if (diff != 0) return diff;
    }
    return static_cast<int>(static_cast<std::int64_t>(a.size()) -
                            static_cast<std::int64_t>(b.size()));
}

std::string ConcatStrings(const std::string& a, const std::string& b) {
    return a + b;
}
