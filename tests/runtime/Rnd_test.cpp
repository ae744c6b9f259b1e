#include "runtime/Rnd.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Rnd, SeededSequenceRepeatsAndStaysInRange) {
  setRndSeedForTests(1234);
  std::vector<float> first;
  for (int i = 0; i < 1000; ++i) first.push_back(Rnd());
  setRndSeedForTests(1234);
  Randomize();        // ignored while a test seed is set
  Randomize(42.0);
  int low = 0;
  for (int i = 0; i < 1000; ++i) {
    float r = Rnd();
    EXPECT_EQ(r, first[i]);
    EXPECT_GE(r, 0.0f);
    EXPECT_LT(r, 1.0f);
    if (r < 0.5f) ++low;
  }
  EXPECT_GT(low, 400);
  EXPECT_LT(low, 600);
  clearRndTestSeed();
}
