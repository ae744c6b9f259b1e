// Deterministic random numbers for the content generator.
// Every generated file seeds its own Rng from its name (seedOf), so files come out the same
// whatever order or thread they are generated in. splitmix64; no library distributions.
#pragma once
#include <cstdint>
#include <string_view>

uint64_t seedOf(std::string_view name);   // FNV-1a of the name, never 0

class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  explicit Rng(std::string_view name) : state_(seedOf(name)) {}
  uint64_t next();
  double uniform();                          // [0, 1)
  double range(double lo, double hi);        // [lo, hi)
  int below(int n);                          // 0 .. n-1, n >= 1
  bool chance(double p) { return uniform() < p; }

 private:
  uint64_t state_;
};
