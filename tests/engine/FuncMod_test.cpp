#include "engine/FuncMod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "runtime/Trap.h"
#include "tests/support/TempGameDir.h"

TEST(FuncMod, StrItemCutsFields) {
  struct Case { const char* text; Integer n; const char* sep; bool toEnd; const char* out; };
  const Case cases[] = {
      {"a,b,c", 1, ",", false, "a"},   {"a,b,c", 2, ",", false, "b"},      {"a,b,c", 3, ",", false, "c"},
      {"a,b,c", 4, ",", false, ""},    {"a,,c", 2, ",", false, ""},        {"a,,c", 3, ",", false, "c"},
      {"a,b,c", 2, ",", true, "b,c"},  {"a,b,c", 1, ",", true, "a,b,c"},   {"a,b,c", 9, ",", true, ""},
      {"a::b", 1, "::", false, "a::b"}, {"a::b", 2, "::", false, ""},      {"", 1, ",", false, ""},
      {"unit 12  fast", 3, " ", false, ""}, {"unit 12  fast", 4, " ", false, "fast"},
      {",x", 1, ",", false, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(strItem(c.text, c.n, c.sep, c.toEnd), c.out) << c.text << " #" << c.n << " '" << c.sep << "'";
}

TEST(FuncMod, StrItemTrapsAFieldNumberBelowOne) {
  std::vector<std::string> lines;
  setTrapSink([&](const std::string& l) { lines.push_back(l); });
  EXPECT_EQ(strItem("a,b", 0, ",", false), "");
  EXPECT_EQ(strItem("a,b", -3, ",", true), "");
  setTrapSink(nullptr);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Error in strItem: Invalid procedure call or argument");
}

TEST(FuncMod, GetFileListListsBareNamesOrOneEmptyElement) {
  TempGameDir dir;
  dir.write("\\missions\\era0\\tut.pnd", "");
  dir.write("\\missions\\era0\\Alpha.pnd", "");
  dir.write("\\missions\\era0\\notes.txt", "");
  dir.write("\\missions\\era0\\sub\\x.pnd", "");
  EXPECT_EQ(getFileList("\\missions\\era0\\*.pnd"), (std::vector<std::string>{"Alpha.pnd", "tut.pnd"}));
  EXPECT_EQ(getFileList("\\Missions\\ERA0\\"), (std::vector<std::string>{"Alpha.pnd", "notes.txt", "tut.pnd"}));
  EXPECT_EQ(getFileList("\\missions\\era0\\*.mp3"), (std::vector<std::string>{""}));
  EXPECT_EQ(getFileList("\\missions\\era7\\*.*"), (std::vector<std::string>{""}));
}

TEST(FuncMod, GetAngleUsesTheRoundedConstants) {
  struct Case { Single x2, z2; double out; };
  const Case cases[] = {
      {10, 0, 0},        {0, 10, 4.7124},  {0, -10, 1.571},  {-10, 0, 3.1416}, {0, 0, 3.1416},
      {10, -10, 0.785398}, {10, 10, 6.2832 - 0.785398}, {-10, -10, 3.1416 - 0.785398},
      {-10, 10, 3.1416 + 0.785398},
  };
  for (const Case& c : cases) EXPECT_NEAR(getAngle(0, 0, c.x2, c.z2), c.out, 1e-5) << c.x2 << "," << c.z2;
  EXPECT_FLOAT_EQ(getAngle(5, 5, 5, 5), 3.1416f);
}

TEST(FuncMod, GetHuntTurnsTowardTheTarget) {
  // Target straight along +x (bearing 0).
  EXPECT_FLOAT_EQ(getHunt(0, 0, 10, 0, 0), 3.14f);              // d = 0
  EXPECT_NEAR(getHunt(0, 0, 0, -10, 1.571f - 3.14f), 0, 1e-6);   // bearing = heading + 3.14
  EXPECT_NEAR(getHunt(0, 0, 0, -10, 1.571f + 3.14f), 0, 1e-6);   // bearing = heading - 3.14
  EXPECT_GT(getHunt(0, 0, 0, -10, 1.0f), 0);
  EXPECT_LT(getHunt(0, 0, 0, -10, 2.0f), 0);
}

TEST(FuncMod, Distances) {
  EXPECT_DOUBLE_EQ(getDist(1, 2, 4, 6), 5.0);
  EXPECT_DOUBLE_EQ(getQuickDist(1, 2, 4, -6), 11.0);
  FrameTime = 0.01;
  EXPECT_FLOAT_EQ(getTimeFactor(), 0.5f);
  FrameTime = 0;
}

TEST(FuncMod, PickCornerByAngleTakesTheSmallerOuterDifference) {
  const D3DXVECTOR2 centre = makeVec2(0, 0);
  const D3DXVECTOR2 target = makeVec2(100, 0);  // bearing 0
  auto at = [](double bearing) {  // a corner at that bearing from the centre
    return makeVec2(static_cast<Single>(100 * std::cos(bearing)), static_cast<Single>(-100 * std::sin(bearing)));
  };
  // Differences target - corner: +0.5 (corner at -0.5 = 5.78), 0, -0.4, and +0.2.
  D3DXVECTOR2 cA = at(6.2832 - 0.5), cB = at(0.0), cC = at(0.4), cD = at(6.2832 - 0.2);
  D3DXVECTOR2 got = pickCornerByAngle(cA, cB, cC, cD, centre, target);
  EXPECT_FLOAT_EQ(got.x, cC.x);
  EXPECT_FLOAT_EQ(got.y, cC.y);
  // A tie takes the last of the order (the largest difference).
  D3DXVECTOR2 t1 = at(0.3), t2 = at(6.2832 - 0.3);
  got = pickCornerByAngle(t1, t2, t1, t2, centre, target);
  EXPECT_FLOAT_EQ(got.y, t2.y);
}

TEST(FuncMod, SoundCoordsPanAndAttenuate) {
  CamEye = D3DVECTOR{0, 0, 0};
  CamTarget = D3DVECTOR{0, 0, 100};  // looking along +z (bearing 4.7124)
  D3DVECTOR at = getSoundCoords(D3DVECTOR{0, 0, 0});
  EXPECT_FLOAT_EQ(at.z, -1.0f);
  D3DVECTOR far = getSoundCoords(D3DVECTOR{0, 0, 10000});
  EXPECT_FLOAT_EQ(far.z, -10000.0f);
  EXPECT_NEAR(far.x, std::sin(3.14) * -10000, 0.01);  // straight ahead: nearly centred
  EXPECT_FLOAT_EQ(getSoundCoords(D3DVECTOR{0, 0, 2000}).z, -100.0f);
  D3DVECTOR right = getSoundCoords(D3DVECTOR{1000, 0, 0});  // +x is to the right looking along +z
  D3DVECTOR left = getSoundCoords(D3DVECTOR{-1000, 0, 0});
  EXPECT_GT(right.x, 9000);
  EXPECT_LT(left.x, -9000);
  EXPECT_FLOAT_EQ(right.z, -10.0f);
  CamTarget = D3DVECTOR{};
}

TEST(FuncMod, VecSubtractIsComponentwise) {
  const D3DVECTOR d = vecSubtract(D3DVECTOR{1.5f, -2, 100}, D3DVECTOR{0.5f, 3, -100});
  EXPECT_EQ(d.x, 1.0f);
  EXPECT_EQ(d.y, -5.0f);
  EXPECT_EQ(d.z, 200.0f);
}
