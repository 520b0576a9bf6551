// Sine, cosine, tangent and their inverses in radians, computed here instead of by the C
// library: the game's state depends on them, and the C libraries of Linux, the browser and
// Windows round them differently. Only correctly rounded operations (+ - * /, square root) go
// in, so every platform gets the same bits. Build with -ffp-contract=off: the exact products
// inside rely on every multiplication being rounded on its own.
//
// Error: below 1 ulp for every finite argument, and by construction within 0.5 ulp plus about
// 2^-18 ulp, so the results are the correctly rounded ones but where the exact value is that
// close to halfway between two doubles. Measured against 64-bit-mantissa references: at most
// 0.5005 ulp over a grid of the game's angles (-3600..3600 degrees) and random doubles of every
// magnitude; see tests/system/maths_test.cpp.
//
// Arguments of any size are reduced with as many bits of 2/pi as they need, so Sine(1e300) is
// as accurate as Sine(1). NaN gives NaN, as do infinities given to Sine, Cosine and Tangent and
// arguments beyond -1..1 given to ArcSine and ArcCosine; the signs of zeros are kept, and
// ArcTangent2 takes the infinities and zeros as C's atan2 does.
#pragma once

double Sine(double radians);
double Cosine(double radians);
double Tangent(double radians);
// -pi/2..pi/2.
double ArcSine(double x);
// 0..pi.
double ArcCosine(double x);
// -pi/2..pi/2.
double ArcTangent(double x);
// The angle of the point (x, y), -pi..pi. y comes first.
double ArcTangent2(double y, double x);
