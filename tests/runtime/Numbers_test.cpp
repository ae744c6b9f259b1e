#include "runtime/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/VbError.h"

namespace {
int errorOf(void (*f)()) {
  try {
    f();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}
}  // namespace

TEST(Numbers, CIntRoundsHalfToEvenWithinRange) {
  struct Case { double in; int out; };
  const Case cases[] = {
      {0.5, 0},     {1.5, 2},       {2.5, 2},       {3.5, 4},       {-0.5, 0},      {-1.5, -2},
      {-2.5, -2},   {0.49999, 0},   {0.50001, 1},   {-0.50001, -1}, {32767.4, 32767}, {32766.5, 32766},
      {-32768.5, -32768}, {-32767.5, -32768}, {1e-300, 0}, {7, 7},
  };
  for (const Case& c : cases) EXPECT_EQ(CInt(c.in), c.out) << c.in;
}

TEST(Numbers, CIntAndCLngRaiseOverflowOutsideTheirRange) {
  const double bad[] = {32767.5, 32768, -32768.51, -40000, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()};
  for (double v : bad) {
    try {
      CInt(v);
      ADD_FAILURE() << v;
    } catch (const VbError& e) {
      EXPECT_EQ(e.number(), vberr::Overflow);
    }
  }
  EXPECT_EQ(CLng(2147483647.4), 2147483647);
  EXPECT_EQ(CLng(-2147483648.5), -2147483647 - 1);
  EXPECT_EQ(CLng(2.5), 2);
  EXPECT_EQ(CLng(-3.5), -4);
  EXPECT_EQ(errorOf([] { CLng(2147483647.5); }), vberr::Overflow);
  EXPECT_EQ(errorOf([] { CLng(std::nan("")); }), vberr::Overflow);
}

TEST(Numbers, IntFloorsFixTruncates) {
  EXPECT_EQ(Int(-1.5), -2);
  EXPECT_EQ(Int(1.9), 1);
  EXPECT_EQ(Fix(-1.5), -1);
  EXPECT_EQ(Fix(1.9), 1);
}

TEST(Numbers, CheckedDivisionAndPower) {
  EXPECT_EQ(vbDiv(7, 2), 3.5);
  EXPECT_EQ(errorOf([] { vbDiv(1, 0); }), vberr::DivisionByZero);
  EXPECT_EQ(errorOf([] { vbDiv(0, 0); }), vberr::Overflow);
  EXPECT_EQ(vbPow(-2, 3), -8);
  EXPECT_EQ(vbPow(10, 4), 10000);
  EXPECT_EQ(errorOf([] { vbPow(-8, 1.0 / 3); }), vberr::InvalidCall);
  EXPECT_EQ(errorOf([] { vbPow(0, -1); }), vberr::InvalidCall);
}
