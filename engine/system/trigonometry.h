// Sine, cosine, tangent and their inverses in radians, computed here instead of by the C
// library: the game's state depends on them, and the C libraries of Linux, the browser and
// Windows round them differently. Only correctly rounded operations (+ - * /, square root) go
// in, so every platform gets the same bits. Build with -ffp-contract=off: the exact products
// inside rely on every multiplication being rounded on its own.
//
// Error: below 1 ulp for every finite argument. The sum before the one rounding is within a
// relative 2^-71 or so of the exact value, so a result is the correctly rounded one unless
// the exact value lies within about 2^-18 ulp of halfway between two doubles. Measured:
// correctly rounded on all of 77.6 million arguments (the game's angles every 0.001 degree
// over -3600..3600, dense grids of the inverse functions' domains, random doubles of every
// magnitude), against 64-bit references and, within 0.003 ulp of halfway, 256-bit ones.
// tests/system/maths_test.cpp checks 0.501 ulp against the 64-bit ones.
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
