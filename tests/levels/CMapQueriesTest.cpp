// Collision and landing queries on a small hand-made map (fixture boxes: see fixtureDef).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "tests/levels/LevelFixture.h"

namespace {
// Definition indexes of the fixture and their boxes around the location:
constexpr Long Parts = 0;      // Parts: x, z -100..100, y 0..100
constexpr Long Landing = 2;    // Landing: x, z -50..50, y -10..0
constexpr Long Tall = 4;       // Generic: x, z -100..100, y -100..400
constexpr Long Catwalk = 5;    // Generic: x -200..200, y -10..10, z -20..20
constexpr Long Gas = 7;        // Gas
constexpr Long Generic = 3;    // Generic
constexpr Long Bank = 16;      // Bank
constexpr Long Control = 17;   // MControl

class CMapQueriesTest : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    map = newMap();
    LastStructHit = -1;
  }
  void place(Integer slot, Long def, float x, float y, float z) {
    map->setStructPos(slot, x, y, z);
    map->setStructDef(slot, def);
  }
  std::unique_ptr<CMap> map;
};
}  // namespace

TEST_F(CMapQueriesTest, CheckLandFindsThePadStrictlyBelow) {
  place(3, Landing, 1000, -200, 0);  // pad box x 950..1050, y -210..-200, z -50..50
  place(4, Parts, 1000, -400, 0);    // not a landing
  const struct {
    float x, z, h;
    Integer slot;
  } cases[] = {
      {1000, 0, -150, 3}, {1000, 0, -200, -1},  // level with the top is not above it
      {1049, 49, 0, 3},   {1050, 0, 0, -1},     // on the side face
      {950, 0, 0, -1},    {1000, -50, 0, -1},   {2000, 0, 0, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(map->checkLand(c.x, c.z, c.h), c.slot) << c.x << "," << c.z << "," << c.h;

  place(9, Landing, 1020, -300, 0);  // overlapping pads: the higher slot wins
  EXPECT_EQ(map->checkLand(1000, 0, 0), 9);
  map->setStructDef(9, -1);  // an emptied slot is skipped
  EXPECT_EQ(map->checkLand(1000, 0, 0), 3);
}

TEST_F(CMapQueriesTest, BoundsAccessorsGiveTheWorldBox) {
  place(6, Tall, 10, 20, 30);
  EXPECT_FLOAT_EQ(map->getStructYMin(6), -80);
  EXPECT_FLOAT_EQ(map->getStructYMax(6), 420);
  EXPECT_FLOAT_EQ(map->getStructLBounds(6).x, -90);
  EXPECT_FLOAT_EQ(map->getStructUBounds(6).z, 130);
}

TEST_F(CMapQueriesTest, CheapCollisionRecordsTheFirstHitAndKeepsTheOldOneOnAMiss) {
  place(2, Parts, 0, 0, 0);
  place(5, Parts, 50, 0, 0);  // overlaps slot 2
  EXPECT_TRUE(map->checkCheapStructCol(60, 50, 0, 0));
  EXPECT_EQ(LastStructHit, 2);
  EXPECT_TRUE(map->checkCheapStructCol(140, 50, 0, 0));
  EXPECT_EQ(LastStructHit, 5);
  EXPECT_FALSE(map->checkCheapStructCol(500, 50, 0, 0));
  EXPECT_EQ(LastStructHit, 5);
  EXPECT_TRUE(map->checkCheapStructCol(180, 50, 0, 40));  // the radius widens x and z
  EXPECT_FALSE(map->checkCheapStructCol(0, 100, 0, 500));  // but never the height
  map->setStructDef(2, -1);
  map->setStructDef(5, -1);
  EXPECT_FALSE(map->checkCheapStructCol(60, 50, 0, 0));
}

// Probes along a line ask only the structures near its stretch: over random maps (crowded, sparse,
// emptied slots) and random stretches, every probe gives the answer and the recorded slot that
// asking every structure gives.
TEST_F(CMapQueriesTest, ProbesAskingOnlyTheStructuresNearTheirStretchAnswerAsAskingAll) {
  const Long defs[] = {Parts, Landing, Tall, Catwalk, Generic};
  int hits = 0;
  for (unsigned seed = 1; seed <= 10; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    const float spread = seed % 2 ? 800.0f : 5000.0f;
    map = newMap();
    for (Integer slot = 0; slot < MapSlots; ++slot)
      if (rng() % 4 != 0)
        place(slot, defs[rng() % 5], uniform(-spread, spread), uniform(-100, 100), uniform(-spread, spread));
    map->setStructDef(static_cast<Integer>(rng() % MapSlots), -1);
    for (int line = 0; line < 200; ++line) {
      const float ax = uniform(-spread, spread), az = uniform(-spread, spread);
      const float bx = ax + uniform(-3000, 3000), bz = az + uniform(-3000, 3000);
      const float y = uniform(-150, 450), radius = line % 3 == 0 ? 0.0f : uniform(0, 300);
      const float dx = bx - ax, dz = bz - az;
      auto probe = [&](int k, float& x, float& z) {
        x = static_cast<float>(ax + dx * (k / 40.0));
        z = static_cast<float>(az + dz * (k / 40.0));
      };
      float x0, z0, x1, z1;
      probe(0, x0, z0);
      probe(40, x1, z1);
      const uint32_t near = map->cheapStructsNear(std::min(x0, x1), std::max(x0, x1), y, std::min(z0, z1),
                                                  std::max(z0, z1), radius);
      for (int k = 0; k <= 40; ++k) {
        float x, z;
        probe(k, x, z);
        LastStructHit = -7;
        const bool all = map->checkCheapStructCol(x, y, z, radius);
        const Integer allSlot = LastStructHit;
        LastStructHit = -7;
        ASSERT_EQ(map->checkCheapStructCol(x, y, z, radius, near), all) << line << " " << k;
        ASSERT_EQ(LastStructHit, allSlot);
        hits += all;
      }
    }
  }
  EXPECT_GT(hits, 100);
}

TEST_F(CMapQueriesTest, StructCollisionPushesBackAndLaterSlotsSeeTheCorrection) {
  place(1, Parts, 0, 0, 0);      // x -100..100, y 0..100
  place(2, Parts, 0, 0, 300);    // z 200..400
  {  // into slot 1 through its x face
    Single x = 90, y = 50, z = 0;
    EXPECT_TRUE(map->checkStructCol(130, 50, 0, x, y, z, 20));
    EXPECT_EQ(LastStructHit, 1);
    EXPECT_EQ(x, 130);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(z, 0);
  }
  {  // a diagonal move that slot 1 pushes back in x and slot 2 then sees corrected
    place(3, Parts, 300, 0, 0);  // x 200..400
    Single x = 210, y = 50, z = 0;
    EXPECT_TRUE(map->checkStructCol(90, 50, 0, x, y, z, 0));  // old point inside slot 1
    EXPECT_EQ(x, 90);  // slot 3 sent x back to the old value
    EXPECT_EQ(LastStructHit, 3);
  }
  {  // a miss clears the record
    Single x = 1000, y = 50, z = 1000;
    EXPECT_FALSE(map->checkStructCol(1000, 50, 990, x, y, z, 20));
    EXPECT_EQ(LastStructHit, -1);
  }
}

TEST_F(CMapQueriesTest, TallBuildingDoesNotReplaceAnEarlierLowHit) {
  place(4, Catwalk, 0, 0, 0);  // y -10..10
  place(7, Tall, 0, 0, 0);     // y -100..400 reaches through -50..50
  Single x = 0, y = 0, z = 0;
  EXPECT_TRUE(map->checkStructCol(0, 0, 0, x, y, z, 10));
  EXPECT_EQ(LastStructHit, 4);
  map->setStructDef(4, -1);
  EXPECT_TRUE(map->checkStructCol(0, 0, 0, x, y, z, 10));
  EXPECT_EQ(LastStructHit, 7);  // alone it is recorded
}

TEST_F(CMapQueriesTest, LineOfSightSamplesEveryStepAlongTheGround) {
  const D3DVECTOR a = vec(0, 50, 0), b = vec(250, 50, 0);  // n = 250 \ 100 = 2: 125 and 250
  const struct {
    float boxX;
    bool blocked;
  } cases[] = {
      {125, true},    // a box of x 25..225 holds the middle sample
      {300, true},    // x 200..400 holds the end point
      {-90, false},   // x -190..10 holds only the start, which is not sampled
  };
  for (const auto& c : cases) {
    place(0, Parts, c.boxX, 0, 0);
    EXPECT_EQ(map->quickTestConnect(a, b, 100), c.blocked) << c.boxX;
  }
  place(0, Parts, 0, 0, 0);  // x -100..100: the samples at 125 and 250 pass it by
  EXPECT_FALSE(map->quickTestConnect(a, b, 100));
  EXPECT_TRUE(map->quickTestConnect(a, b, 50));  // 5 samples: the one at 50 is inside
  // Two points 40 apart inside that box: no sample at all.
  EXPECT_FALSE(map->quickTestConnect(vec(0, 50, 0), vec(40, 50, 0), 100));
  EXPECT_THROW(map->quickTestConnect(a, b, 0), VbError);
  place(0, Parts, 250, 0, 0);  // the height counts too: above the box is clear
  EXPECT_FALSE(map->quickTestConnect(vec(0, 150, 0), vec(250, 150, 0), 100));
}

TEST_F(CMapQueriesTest, MissionControlPresence) {
  EXPECT_FALSE(map->getHasMissionControl());
  place(30, Control, 0, 0, 0);
  EXPECT_TRUE(map->getHasMissionControl());
  map->setStructDef(30, -1);
  EXPECT_FALSE(map->getHasMissionControl());
}

TEST_F(CMapQueriesTest, RandomLandingTakesEveryPadAlike) {
  EXPECT_EQ(map->getRandLanding(), -1);
  place(5, Landing, 0, 0, 0);
  place(6, Parts, 500, 0, 0);
  for (int k = 0; k < 20; ++k) EXPECT_EQ(map->getRandLanding(), 5);
  place(12, Landing, 1000, 0, 0);
  place(20, Landing, 2000, 0, 0);
  setRndSeedForTests(1234);
  std::map<Integer, int> seen;
  for (int k = 0; k < 3000; ++k) ++seen[map->getRandLanding()];
  clearRndTestSeed();
  EXPECT_EQ(seen.size(), 3u);
  for (Integer s : {5, 12, 20}) {
    EXPECT_GT(seen[s], 850) << s;
    EXPECT_LT(seen[s], 1150) << s;
  }
}

TEST_F(CMapQueriesTest, AutoSaveLandingIsThePadNearestToABank) {
  place(1, Landing, 0, 0, 0);
  EXPECT_EQ(map->getAutoSaveLanding(), -1);  // no bank
  place(2, Bank, 3000, 0, 0);
  place(3, Landing, 2000, 0, 0);
  place(4, Landing, 4000, 0, 0);   // as near as slot 3: the first pair wins
  EXPECT_EQ(map->getAutoSaveLanding(), 3);
  place(5, Bank, -500, 0, 0);      // a second bank nearer to slot 1
  EXPECT_EQ(map->getAutoSaveLanding(), 1);
  map->setStructDef(1, -1);
  map->setStructDef(3, -1);
  map->setStructDef(4, -1);
  place(6, Landing, 3000, 0, 9999);  // 9999 from the bank is too far
  EXPECT_EQ(map->getAutoSaveLanding(), -1);
}

TEST_F(CMapQueriesTest, CloseLandingIsTheNearestServiceOrSlotZero) {
  place(10, Landing, 0, 0, 0);
  EXPECT_EQ(map->getCloseLanding(10), 0);  // nothing at all
  place(11, Landing, 10, 0, 0);    // landings and generic buildings are no service
  place(12, Generic, 20, 0, 0);
  place(13, Gas, 9999, 0, 0);      // at 9999: too far
  EXPECT_EQ(map->getCloseLanding(10), 0);
  place(14, Bank, 700, 0, 0);
  place(15, Parts, 0, 0, -600);
  EXPECT_EQ(map->getCloseLanding(10), 15);
  place(16, Control, 300, 0, 400);  // 500 away
  EXPECT_EQ(map->getCloseLanding(10), 16);
  EXPECT_EQ(map->getCloseLanding(16), 14);  // from the control: bank 566 away, parts 1044
}
