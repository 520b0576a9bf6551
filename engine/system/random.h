// The process-wide seeded random generator: a Lehmer generator (multiplier 48271, modulus
// 2^31-1) whose exact sequence is part of the game's behaviour. Main thread only.
#pragma once

#include <cstdint>

// state <- seed & 0x7FFFFFFF; 0 and 0x7FFFFFFF (which would stick) become 4660.
void SeedRandom(int seed);
// The current state (4660 before any seeding).
int RandomSeed();
// One step; a multiple of 2^-24 in [0, 1).
float RandomFloat();
// Two steps; a double in [0, 1).
double RandomDouble();
// Two steps; a real in [min(a, b), max(a, b)), or a when a == b.
double RandomReal(double a, double b);
// Two steps; an integer in [min(a, b), max(a, b)], both ends included.
int RandomInt(int a, int b);
