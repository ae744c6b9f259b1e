#include "runtime/Trap.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

TEST(Trap, TrappedErrorsBecomeOneLineAndTheCallReturns) {
  std::vector<std::string> lines;
  setTrapSink([&](const std::string& l) { lines.push_back(l); });
  int after = 0;
  EXPECT_FALSE(vbTrap("loadShipDefs", [&] {
    CInt(1e9);
    after = 1;
  }));
  EXPECT_FALSE(vbTrap("LoadTex", [] { throw std::runtime_error("bad header"); }));
  EXPECT_TRUE(vbTrap("fine", [] {}));
  setTrapSink(nullptr);
  EXPECT_EQ(after, 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"Error in loadShipDefs: Overflow", "Error in LoadTex: bad header"}));
}
