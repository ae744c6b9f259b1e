// The spawn commands of mission scripts through the real map: the script gives the tag first and
// the unit second, the map takes the unit first; spawnxy and spawnup place the ship at the
// script's x (third field) and y (fourth field).
#include <gtest/gtest.h>

#include "campaign/CMissionPhase.h"
#include "tests/levels/PopulationFixture.h"

TEST_F(PopulationTest, ScriptSpawnsPassTagUnitAndBothCoordinates) {
  MissionControl->Reading = true;
  CMap* const before = CurMap;
  CurMap = map.get();
  CMissionPhase p;
  p.Reset();
  for (const char* line : {"spawnxy alpha, zombie_trader, 300, 900", "spawnup beta, ZOMBIE_TRADER, 700, 800",
                           "spawn gamma, zombie_trader, 2", "spawnxy delta, zombie_trader, 450",
                           "spawn nobody, null, 2"})
    p.AddLine(line);
  p.StartRead();
  p.Waiting = 0;
  p.doRead();
  CurMap = before;

  ASSERT_EQ(ofUnit(0), 4);
  EXPECT_EQ(Ships[1]->getTag(), "alpha");
  EXPECT_FLOAT_EQ(Ships[1]->x, 300);
  EXPECT_FLOAT_EQ(Ships[1]->y, 900);
  EXPECT_EQ(Ships[2]->getTag(), "beta");
  EXPECT_FLOAT_EQ(Ships[2]->x, 700);
  EXPECT_FLOAT_EQ(Ships[2]->y, 800);
  EXPECT_FLOAT_EQ(Ships[2]->e, -10000);  // the raised placement
  EXPECT_EQ(Ships[3]->getTag(), "gamma");
  EXPECT_EQ(Ships[3]->getRealWarp(), 20);  // warps in
  EXPECT_FLOAT_EQ(Ships[3]->r, 2);
  EXPECT_FLOAT_EQ(Ships[4]->x, 450);  // without a fourth field y follows x
  EXPECT_FLOAT_EQ(Ships[4]->y, 450);
  EXPECT_EQ(existing(), 5);  // "null" names no unit: nothing spawns
}
