#include "runtime/Strings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/Rnd.h"
#include "runtime/VbError.h"

TEST(Strings, ValReadsTheNumericPrefix) {
  struct Case { const char* in; double out; };
  const Case cases[] = {
      {"12abc", 12}, {"", 0},       {"1e3", 1000}, {"  -4.5 ", -4.5}, {"abc", 0},   {".5", 0.5},
      {"-.25x", -0.25}, {"1.2.3", 1.2}, {"1e", 1}, {"2E-2", 0.02},  {"1d2", 100}, {"1 000", 1000},
      {"+7", 7},     {"#TRUE#", 0}, {"3,4", 3},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(Val(c.in), c.out) << c.in;
  EXPECT_THROW(Val("1e999"), VbError);
}

TEST(Strings, StrHasTheLeadingSpaceAndCStrReadsBackExactly) {
  struct Case { double in; const char* out; };
  const Case cases[] = {{5, " 5"}, {-5, "-5"}, {0, " 0"}, {0.5, " .5"}, {-0.25, "-.25"},
                        {1234.5, " 1234.5"}, {1e15, " 1E+15"}, {0.1 + 0.2, " .3"}};
  for (const Case& c : cases) EXPECT_EQ(Str(c.in), c.out) << c.in;

  EXPECT_EQ(CStr(0.5), "0.5");
  EXPECT_EQ(CStr(-3), "-3");
  // Whole numbers and plain fractions stay in decimal notation (data files are read by people too).
  EXPECT_EQ(CStr(310), "310");
  EXPECT_EQ(CStr(1000), "1000");
  EXPECT_EQ(CStr(-2500.25), "-2500.25");
  EXPECT_EQ(CStr(0.001), "0.001");
  setRndSeedForTests(99);
  for (int i = 0; i < 200; ++i) {
    double v = (Rnd() - 0.5) * std::pow(10.0, i % 40 - 20);
    EXPECT_EQ(std::strtod(CStr(v).c_str(), nullptr), v) << CStr(v);
  }
  clearRndTestSeed();
}

TEST(Strings, SlicingIsOneBasedAndClamped) {
  EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Mid("abcdef", 5), "ef");
  EXPECT_EQ(Mid("abc", 4, 2), "");
  EXPECT_EQ(Mid("abc", 2, 99), "bc");
  EXPECT_THROW(Mid("abc", 0, 1), VbError);
  EXPECT_EQ(Left("abc", 5), "abc");
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Right("abc", 9), "abc");
  EXPECT_THROW(Left("abc", -1), VbError);
  EXPECT_EQ(InStr("a,b,c", ","), 2);
  EXPECT_EQ(InStr(3, "a,b,c", ","), 4);
  EXPECT_EQ(InStr("abc", "x"), 0);
  EXPECT_EQ(InStr(9, "abc", "a"), 0);
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Replace("a\"b\"", "\"", "'"), "a'b'");
  EXPECT_EQ(UCase("ab1"), "AB1");
  EXPECT_EQ(Chr(65), "A");
  EXPECT_EQ(Asc("a"), 97);
  EXPECT_THROW(Chr(256), VbError);
  EXPECT_THROW(Asc(""), VbError);
  EXPECT_TRUE(equalsIgnoreCase("Phantom", "pHANTOM"));
  EXPECT_FALSE(equalsIgnoreCase("Phantom", "Phantom2"));
}

TEST(Strings, FormatPatterns) {
  struct Case { double v; const char* pattern; const char* out; };
  const Case cases[] = {
      {5, "00", "05"},          {123, "00", "123"},        {12.345, "0000.00", "0012.35"},
      {2.5, "0", "3"},          {-2.5, "0", "-3"},         {1.005, "0.00", "1.01"},
      {0.04, "0.0", "0.0"},     {-0.04, "0.0", "0.0"},     {9.96, "0.0", "10.0"},
      {0.5, "#.0", ".5"},       {1234.5678, "0", "1235"},  {7, "0.##", "7"},
  };
  for (const Case& c : cases) EXPECT_EQ(Format(c.v, c.pattern), c.out) << c.v << " " << c.pattern;
}
