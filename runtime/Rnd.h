// The game's one random generator. Rnd() is uniform in [0, 1). Randomize() reseeds from the
// time of day, as many operations do before they draw; tests fix the sequence with
// setRndSeedForTests, after which both Randomize calls keep the fixed sequence until
// clearRndTestSeed.
#pragma once
#include <cstdint>

float Rnd();
void Randomize();
void Randomize(double seed);
void setRndSeedForTests(uint32_t seed);
void clearRndTestSeed();
