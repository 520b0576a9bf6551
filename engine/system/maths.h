// Small numeric helpers whose exact rules show on screen: degree-based trigonometry (on
// trigonometry.h, so the same bits on every platform), truncation to integers, and the
// decimal text of numbers.
#pragma once

#include <cstdint>
#include <string>

#include "engine/system/clock.h"  // MillisecondClock

double SquareRoot(double x);
double SinDeg(double degrees);
double CosDeg(double degrees);
double TanDeg(double degrees);
double ASinDeg(double x);
double ACosDeg(double x);
double ATanDeg(double x);
// The angle of the point (x, y) in degrees, -180..180. y comes first.
double ATan2Deg(double y, double x);

// Toward zero. Defined for every input: NaN gives 0, values beyond the range saturate at
// the nearest representable integer.
int TruncateToInt(double x);
std::int64_t TruncateToLong(double x);
double DoubleFromLong(std::int64_t n);

// Decimal digits, a leading '-' for negatives, no padding or grouping.
std::string IntToString(int n);
std::string LongToString(std::int64_t n);
// printf "%#.9g" of the value as a double, and "%#.17lg".
std::string FloatToString(float f);
std::string DoubleToString(double d);

// Difference of the first differing units (as unsigned bytes), else the length difference.
int CompareStrings(const std::string& a, const std::string& b);
std::string ConcatStrings(const std::string& a, const std::string& b);
