// Placed structures: the copy of the definition, the world box (from the model's bounds when the
// model loads) and the box tests.
#include <gtest/gtest.h>

#include "levels/CStruct.h"
#include "tests/levels/LevelFixture.h"
#include "tests/support/MediaFixture.h"

namespace {
// A definition whose box is (-100, 0, -50)..(100, 200, 50), scaled by 2 on x, raised by 10.
CStructDef boxDef() {
  CStructDef d;
  d.sName = "box";
  d.Title = "Box";
  d.ModelName = "boxmodel";
  d.TextureName = "boxtex";
  d.setScale(vec(2, 1, 1));
  d.zOff = 10;
  d.totalLights = 3;
  d.setLightPos(3, 5, 6, 7);
  d.setLightType(3, lightBlue);
  d.setlBounds(vec(-100, 0, -50));
  d.setuBounds(vec(100, 200, 50));
  d.setType(structBank);
  return d;
}

void expectVec(const D3DVECTOR& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}
}  // namespace

TEST(CStructTest, SetDefActivatesAndPlacesTheScaledRaisedBox) {
  CStruct s;
  EXPECT_FALSE(s.Exists);
  EXPECT_EQ(s.getDef(), -1);
  s.setLoc(1000, -200, 500);
  s.setDef(boxDef());
  EXPECT_TRUE(s.Exists);
  EXPECT_EQ(s.myName, "box");
  EXPECT_EQ(s.totalLights, 3);
  EXPECT_EQ(s.getType(), structBank);
  EXPECT_EQ(s.getDef(), structBank);  // the type, not a definition index
  expectVec(s.getLBounds(), 1000 - 200, -200 + 0 + 10, 500 - 50);
  expectVec(s.getUBounds(), 1000 + 200, -200 + 200 + 10, 500 + 50);

  s.setLoc(0, 0, 0);  // the box follows the location
  expectVec(s.getLBounds(), -200, 10, -50);
  expectVec(s.getUBounds(), 200, 210, 50);

  s.Exists = false;  // emptied by the map: the type stays readable
  EXPECT_EQ(s.getDef(), -1);
  EXPECT_EQ(s.getType(), structBank);
}

TEST(CStructTest, LightTableIsBoundedWhateverTheDefinitionClaims) {
  CStructDef d = boxDef();
  CStruct s;
  for (auto [claimed, visited] : {std::pair{0, 0}, {15, 15}, {16, 15}, {40, 15}, {-1, -1}}) {
    d.totalLights = static_cast<Integer>(claimed);
    s.setDef(d);
    EXPECT_EQ(s.totalLights, visited) << claimed;
  }
}

TEST(CStructTest, NegativeScaleGivesABoxNothingIsInside) {
  CStructDef d = boxDef();
  d.setScale(vec(-1, 1, 1));
  CStruct s;
  s.setDef(d);
  EXPECT_GT(s.getLBounds().x, s.getUBounds().x);  // corners are not re-ordered
  EXPECT_FALSE(s.cheapCheckWithin(0, 100, 0, 0));
  Single x = 0, y = 100, z = 0;
  EXPECT_FALSE(s.checkWithin(0, 100, 0, x, y, z, 0));
}

TEST(CStructTest, CheapCheckIsStrictAndWidensOnlyTheGround) {
  CStruct s;
  s.setDef(boxDef());  // box x -200..200, y 10..210, z -50..50
  const struct {
    float x, y, z, w;
    bool inside;
  } cases[] = {
      {0, 100, 0, 0, true},       {200, 100, 0, 0, false},  // on the x face
      {-200, 100, 0, 0, false},   {0, 10, 0, 0, false},     // on the floor
      {0, 210, 0, 1000, false},   {0, 210.5f, 0, 1000, false},  // the radius never widens y
      {249, 100, 0, 50, true},    {250, 100, 0, 50, false},  // widened x face, strict
      {0, 100, 99, 50, true},     {0, 100, 100, 50, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(s.cheapCheckWithin(c.x, c.y, c.z, c.w), c.inside)
        << c.x << "," << c.y << "," << c.z << " w " << c.w;
}

TEST(CStructTest, CheckWithinRevertsOnlyTheAxesThatCrossedAGrownFace) {
  CStruct s;
  s.setDef(boxDef());  // box x -200..200, y 10..210, z -50..50; w 20 grows y by 10
  {  // enters through the x face: only x falls back
    Single x = 195, y = 100, z = 0;
    EXPECT_TRUE(s.checkWithin(230, 90, 5, x, y, z, 20));
    EXPECT_EQ(x, 230);
    EXPECT_EQ(y, 100);
    EXPECT_EQ(z, 0);
  }
  {  // enters from above across the grown top (210 + 10): height falls back
    Single x = 0, y = 215, z = 0;
    EXPECT_TRUE(s.checkWithin(0, 225, 0, x, y, z, 20));
    EXPECT_EQ(y, 225);
  }
  {  // diagonal entry across x and z faces at once
    Single x = -215, y = 100, z = -65;
    EXPECT_TRUE(s.checkWithin(-225, 100, -75, x, y, z, 20));
    EXPECT_EQ(x, -225);
    EXPECT_EQ(z, -75);
  }
  {  // already inside: a hit that changes nothing
    Single x = 10, y = 100, z = 10;
    EXPECT_TRUE(s.checkWithin(0, 100, 0, x, y, z, 20));
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 100);
    EXPECT_EQ(z, 10);
  }
  {  // on the grown face: outside, untouched
    Single x = 220, y = 100, z = 0;
    EXPECT_FALSE(s.checkWithin(230, 100, 0, x, y, z, 20));
    EXPECT_EQ(x, 220);
  }
}

namespace {
using CStructModelTest = MediaFixture;
}  // namespace

TEST_F(CStructModelTest, TheModelsBoxOutlivesACollisionTest) {
  // Vertices (k, 2k, 3k) in the file's axes, k = 0..2: the model box (0, 0, 0)..(2, 6, 4).
  dir->write("\\models\\structs\\boxmodel.md2", encodeMd2(triangleModel(1)));
  CStruct s;
  s.setDef(boxDef());  // scale 2 on x, raised by 10
  expectVec(s.getLBounds(), 0, 10, 0);
  expectVec(s.getUBounds(), 4, 16, 4);
  Single x = 1, y = 12, z = 1;
  EXPECT_TRUE(s.checkWithin(1, 12, 1, x, y, z, 0));
  s.setLoc(100, 0, 0);
  expectVec(s.getLBounds(), 100, 10, 0);
  expectVec(s.getUBounds(), 104, 16, 4);
}
