#include "runtime/Rnd.h"

#include <chrono>
#include <cstring>

// A 24-bit linear congruential generator, the kind the game's runtime uses: uniform steps of
// 2^-24 in [0, 1), period 2^24.
namespace {
uint32_t state = 0x50000;
bool testSeeded = false;

void mixSeed(uint64_t bits) {
  uint32_t folded = static_cast<uint32_t>(bits ^ (bits >> 24) ^ (bits >> 48));
  state = (state ^ folded) & 0xFFFFFF;
}
}  // namespace

float Rnd() {
  state = (state * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
  return static_cast<float>(state) / 16777216.0f;
}

void Randomize() {
  if (testSeeded) return;
  auto now = std::chrono::system_clock::now().time_since_epoch();
  mixSeed(static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
}

void Randomize(double seed) {
  if (testSeeded) return;
  uint64_t bits;
  std::memcpy(&bits, &seed, sizeof bits);
  mixSeed(bits);
}

void setRndSeedForTests(uint32_t seed) {
  state = seed & 0xFFFFFF;
  testSeeded = true;
}

void clearRndTestSeed() { testSeeded = false; }
