// Population spawning: the level start by world type, the random pick, groups, the era rule for
// cyborgs, the mission refusals, derelicts, placement, ammunition by difficulty, bounties, the
// carrier, mission spawns and the gas attendant.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "runtime/Rnd.h"
#include "tests/levels/PopulationFixture.h"

namespace {
// Non-zero weights of a few world types (as the table gives them).
std::set<Long> weighted(CMap& m) {
  std::set<Long> out;
  for (int u = 0; u < UnitTypes; ++u)
    if (CMapLifeProbe::weight(m, u) > 0) out.insert(u);
  return out;
}
}  // namespace

TEST_F(PopulationTest, LevelStartFillsTheMapByItsWorldType) {
  struct Case {
    Long worldType;
    Integer median;
    std::set<Long> units;  // exactly the units with a weight
  };
  const Case cases[] = {
      {9, 3, {10, 11, 18, 19, 20, 25, 29}},               // Pirate Cove
      {15, 3, {12, 13, 17, 29, 30, 31, 36, 37, 38, 39}},  // Cyborg Base
      {22, 4, {14, 16, 40, 41, 43, 44}},                  // Cops And Zafia
      {24, 4, {10, 11, 14, 18, 24, 28}},                  // Cops And Pirates
  };
  for (const Case& c : cases) {
    makeWorld(c.worldType);
    for (int round = 0; round < 20; ++round) {
      map->ShipInit();
      EXPECT_EQ(CMapLifeProbe::medianShips(*map), c.median) << c.worldType;
      EXPECT_EQ(weighted(*map), c.units) << c.worldType;
      Single sum = 0;
      for (int u = 0; u < UnitTypes; ++u) sum += CMapLifeProbe::weight(*map, u);
      EXPECT_NEAR(sum, 1.0, 1e-5);
      // count = median + 2 - 4 Rnd rounded: median - 2 .. median + 2 (a pirate_poor pick may
      // bring two more ships each)
      const int ai = existing() - 1;
      EXPECT_GE(ai, 0);
      EXPECT_LE(ai, c.median + 2 + 2 * (c.median + 2));
      for (Long u : unitsPresent())
        EXPECT_TRUE(c.units.count(u)) << "unit " << u << " on world " << c.worldType;
      EXPECT_EQ(SceneEvent, 0);
    }
  }
}

TEST_F(PopulationTest, InitialCountIsTheMedianGiveOrTakeTwo) {
  makeWorld(16);  // Cyborg HQ: median 6, no unit that comes in groups
  std::set<int> counts;
  for (int round = 0; round < 300; ++round) {
    map->ShipInit();
    counts.insert(existing() - 1);
  }
  EXPECT_EQ(counts, (std::set<int>{4, 5, 6, 7, 8}));
}

TEST_F(PopulationTest, PirateBaseAndUnknownWorldTypesKeepTheShipsTheyHave) {
  for (Long type : {10L, 26L, -3L}) {
    clearShips();
    Ships[5]->setDef(*ShipDefs[0]);
    Ships[5]->Init(5);
    SceneEvent = 3;
    makeWorld(type);
    map->ShipInit();
    EXPECT_EQ(CMapLifeProbe::medianShips(*map), 0) << type;
    EXPECT_TRUE(Ships[5]->Exists) << type;
    EXPECT_EQ(existing(), 2) << type;
    EXPECT_EQ(SceneEvent, 0);
  }
}

TEST_F(PopulationTest, RandomPickFollowsTheWeights) {
  CMapLifeProbe::setWeights(*map, {{0, 3}, {6, 0}, {8, 1}});
  std::map<Long, int> drawn;
  for (int k = 0; k < 4000; ++k) {
    clearShips();
    CMapLifeProbe::spawn(*map, false, -1, -20000, -20000, -1, "", false);
    for (Long u : unitsPresent()) ++drawn[u];
  }
  EXPECT_EQ(drawn[0] + drawn[8], 4000);
  EXPECT_EQ(drawn.count(6), 0u);
  EXPECT_NEAR(drawn[0] / 4000.0, 0.75, 0.03);
}

TEST_F(PopulationTest, PiratePoorComesInGroupsAndCyborgsThinOutAfterEraFour) {
  CMapLifeProbe::setWeights(*map, {{10, 1}});
  std::map<int, int> groups;
  for (int k = 0; k < 600; ++k) {
    clearShips();
    CMapLifeProbe::spawn(*map, false, -1, -20000, -20000, -1, "", false);
    ++groups[ofUnit(10)];
  }
  EXPECT_EQ(groups.count(0), 0u);
  EXPECT_GT(groups[1], 0);
  EXPECT_GT(groups[2], groups[1]);  // 2 Rnd rounds to 1 half the time
  EXPECT_GT(groups[3], 0);
  EXPECT_EQ(groups.size(), 3u);
  // A group ends when the slots run out.
  clearShips();
  for (int i = 1; i < 15; ++i) Ships[i]->Exists = true;
  int spawned = 0;
  for (int k = 0; k < 50 && spawned < 2; ++k) {
    Ships[15]->Exists = false;
    CMapLifeProbe::spawn(*map, false, -1, -20000, -20000, -1, "", false);
    spawned += Ships[15]->Exists ? 1 : 0;
  }
  EXPECT_EQ(spawned, 2);

  // A caller's unit is always one ship.
  clearShips();
  CMapLifeProbe::spawn(*map, false, 10, -20000, -20000, -1, "", false);
  EXPECT_EQ(ofUnit(10), 1);

  // Cyborgs: every pick in era 4, about one in ten from era 5.
  CMapLifeProbe::setWeights(*map, {{12, 1}});
  for (Integer era : {4, 5}) {
    World->CurrentEra = era;
    int made = 0;
    for (int k = 0; k < 2000; ++k) {
      clearShips();
      CMapLifeProbe::spawn(*map, false, -1, -20000, -20000, -1, "", false);
      made += ofUnit(12);
    }
    if (era == 4) {
      EXPECT_EQ(made, 2000);
    } else {
      EXPECT_NEAR(made / 2000.0, 0.1, 0.025);
    }
  }
}

TEST_F(PopulationTest, RunningMissionsRefuseUntaggedSpawns) {
  struct Case {
    bool warpIn;
    const char* tag;
    bool reading, locked;
    bool spawned;
  };
  const Case cases[] = {
      {false, "", false, false, true}, {false, "", true, false, false}, {false, "x", true, true, true},
      {true, "", true, false, true},   {true, "", true, true, false},   {true, "x", true, true, true},
  };
  for (const Case& c : cases) {
    clearShips();
    MissionControl->Reading = c.reading;
    MissionControl->LockedArea = c.locked;
    CMapLifeProbe::spawn(*map, c.warpIn, 0, -20000, -20000, -1, c.tag, false);
    EXPECT_EQ(ofUnit(0), c.spawned ? 1 : 0) << c.warpIn << " '" << c.tag << "' " << c.reading << c.locked;
  }
}

TEST_F(PopulationTest, SpawnedShipTakesItsUnit) {
  for (Long difficulty : {2L, 3L, 4L}) {
    clearShips();
    Player->Difficulty = difficulty;
    CMapLifeProbe::spawn(*map, false, 0, 300, -400, 1.5f, "tagged", false);
    const CShip& s = *Ships[1];
    ASSERT_TRUE(s.Exists);
    EXPECT_EQ(s.ID, 1);
    EXPECT_EQ(s.ShipType, FixtureShip);
    EXPECT_EQ(s.getAlign(), 2);
    EXPECT_FLOAT_EQ(s.x, 300);
    EXPECT_FLOAT_EQ(s.y, -400);
    EXPECT_FLOAT_EQ(s.r, 1.5f);
    EXPECT_EQ(s.getTag(), "tagged");
    EXPECT_TRUE(s.getHasSecondary(0));
    // 15 missiles: hard 22.5 rounds half to even, armageddon x 3
    EXPECT_EQ(s.getSecondaryAmmo(0), difficulty == 3 ? 22 : difficulty == 4 ? 45 : 15);
    EXPECT_EQ(s.getCharTexture(), "zom1");
  }
}

TEST_F(PopulationTest, DerelictsAreNeverWarpedInAndLieDisabled) {
  CMapLifeProbe::spawn(*map, true, 29, -20000, -20000, -1, "", false);
  EXPECT_EQ(existing(), 1);
  CMapLifeProbe::spawn(*map, false, 29, -20000, -20000, -1, "", false);
  const CShip& s = *Ships[1];
  ASSERT_TRUE(s.Exists);
  EXPECT_EQ(s.Armor, -1);
  EXPECT_EQ(s.Shields, 0);
  EXPECT_GE(s.getCash(), 5);
  // placed at random within the map's middle
  EXPECT_GE(s.x, -1200);
  EXPECT_LT(s.x, 1300);
}

TEST_F(PopulationTest, WarpedInShipsStartAtTheEdgeAndHeadingMinusFiveSinks) {
  CMapLifeProbe::spawn(*map, true, 0, 0, 0, 0.0f, "t", false);
  const CShip& s = *Ships[1];
  // heading 0 points along +y: the ship starts 30000 back along -y, at 2320
  EXPECT_NEAR(s.x, 0, 30);
  EXPECT_NEAR(s.y, -30000, 1);
  EXPECT_FLOAT_EQ(s.e, 2320);
  EXPECT_EQ(s.getRealWarp(), 20);
  CMapLifeProbe::spawn(*map, false, 0, 100, 100, -5, "t", false);
  EXPECT_FLOAT_EQ(Ships[2]->e, -10000);
}

TEST_F(PopulationTest, PlacedShipsArePushedOutOfStructuresAlongX) {
  map->setStructPos(1, 1000, -50, 1000);
  map->setStructDef(1, 4);  // Tall: x 900..1100, y -150..350, z 900..1100
  CMapLifeProbe::spawn(*map, false, 0, 950, 1000, -1, "t", false);
  // radius 80 widens the box to x 820..1180: 950 -> 1050 -> 1150 -> 1250
  EXPECT_FLOAT_EQ(Ships[1]->x, 1250);
  EXPECT_FLOAT_EQ(Ships[1]->y, 1000);
}

TEST_F(PopulationTest, BountyTargetsAreRolledOnTheSixthLevelStartAndMarkedOnce) {
  constexpr Long Lawyer = 35;  // not among the weights of world type 0
  Player->setBountyHunted(4, 1);
  CInterfaceLevelProbe::setBounty(*GameInterface, 4, Lawyer);
  for (int start = 1; start <= 5; ++start) {
    map->ShipInit();
    EXPECT_EQ(CMapLifeProbe::bountyCounter(*map), start);
    EXPECT_EQ(ofUnit(Lawyer), 0);
  }
  map->ShipInit();
  EXPECT_LE(CMapLifeProbe::bountyCounter(*map), 1);
  ASSERT_EQ(ofUnit(Lawyer), 1);
  Integer target = -1;
  for (size_t i = 1; i < Ships.size(); ++i)
    if (Ships[i]->Exists && Ships[i]->getAIType() == Lawyer) target = static_cast<Integer>(i);
  EXPECT_EQ(Ships[target]->IsBounty, 4);

  // A second ship of the unit does not stand for the same bounty.
  Integer free = 1;
  while (Ships[free]->Exists) ++free;
  CMapLifeProbe::spawn(*map, false, Lawyer, -20000, -20000, -1, "t", false);
  EXPECT_EQ(Ships[free]->IsBounty, -1);
  // Nor is any marked while a mission runs.
  clearShips();
  MissionControl->Reading = true;
  CMapLifeProbe::spawn(*map, false, Lawyer, -20000, -20000, -1, "t", false);
  EXPECT_EQ(Ships[1]->IsBounty, -1);
}

TEST_F(PopulationTest, TheCarrierLeftAtThisNodeIsPutBack) {
  MotherPlayer->ShipType = 0;
  MotherPlayer->Armor = 70;
  MotherNodePath = "home";
  MotherNodeTitle = "Home";
  map->ShipInit();
  EXPECT_EQ(MotherShip, 1);
  EXPECT_EQ(MotherNodePath, "");
  EXPECT_EQ(MotherNodeTitle, "");
  const CShip& m = *Ships[1];
  EXPECT_TRUE(m.Exists);
  EXPECT_EQ(m.getAIType(), 21);
  EXPECT_FLOAT_EQ(m.e, 2500);
  EXPECT_EQ(m.Armor, 70);
  // another node's carrier stays away
  MotherShip = -1;
  MotherNodePath = "away";
  map->ShipInit();
  EXPECT_EQ(MotherShip, -1);
  EXPECT_EQ(MotherNodePath, "away");
}

TEST_F(PopulationTest, MissionSpawnsByHeightAndUnknownUnitsAreReported) {
  MissionControl->Reading = true;
  map->MissionSpawn("zombie_trader", "a", 500, 600, -1);   // placed
  map->MissionSpawn("ZOMBIE_TRADER", "b", 500, 600, 2);    // warps in with heading 2
  map->MissionSpawn("zombie_trader", "c", 700, 800, 150);  // placed at -10000
  ASSERT_EQ(ofUnit(0), 3);
  EXPECT_FLOAT_EQ(Ships[1]->x, 500);
  EXPECT_FLOAT_EQ(Ships[1]->y, 600);
  EXPECT_EQ(Ships[2]->getRealWarp(), 20);
  EXPECT_FLOAT_EQ(Ships[2]->r, 2);
  EXPECT_FLOAT_EQ(Ships[3]->e, -10000);
  EXPECT_FLOAT_EQ(Ships[3]->x, 700);

  // An unknown keyword spawns nothing (no random ship in its place) and is reported.
  CMapLifeProbe::setWeights(*map, {{0, 1}});
  map->MissionSpawn("zombie_tradr", "d", 0, 0, -1);
  EXPECT_EQ(existing(), 4);
  EXPECT_TRUE(logged("zombie_tradr"));

  map->MissionRespawn(0);
  EXPECT_EQ(Ships[4]->getTag(), "respawn");
  EXPECT_EQ(Ships[4]->getRealWarp(), 20);
}

// A design whose file failed to read, or a unit whose lines were damaged, brings no ship, quietly
// (both were told when read).
TEST_F(PopulationTest, ADesignOrUnitThatCouldNotBeReadSpawnsNothing) {
  ShipDefs[2]->ReadFailed = true;  // the unit file's units fly design 2
  CMapLifeProbe::spawn(*map, false, 0, -20000, -20000, -1, "", false);
  EXPECT_EQ(existing(), 1);
  ShipDefs[2]->ReadFailed = false;
  dir->write("\\data\\shipinfo.pnd", "#zombie_trader\r\nship beetle\r\nm1 lazer\r\n");
  auto damaged = newMap();
  CMapLifeProbe::spawn(*damaged, false, 0, -20000, -20000, -1, "", false);
  EXPECT_EQ(existing(), 1);
  CMapLifeProbe::spawn(*damaged, false, 3, -20000, -20000, -1, "", false);  // a unit never named
  EXPECT_EQ(existing(), 2);
  EXPECT_FALSE(logged("Error in"));
}

TEST_F(PopulationTest, AUnitWhoseDesignIsMissingIsReportedAndSpawnsNothing) {
  ShipDefs.resize(1);  // the unit file's units fly design 2
  CMapLifeProbe::spawn(*map, false, 0, -20000, -20000, -1, "", false);
  EXPECT_EQ(existing(), 1);
  EXPECT_FALSE(Ships[1]->Exists);
  EXPECT_TRUE(logged("Error in CMap.SpawnShip: "));
}

TEST_F(PopulationTest, GasAttendantByWorldTypeOnTheLandingNearestTheGasStation) {
  map->setStructPos(0, 0, -200, 0);
  map->setStructDef(0, 7);  // gas station at the origin
  map->setStructPos(1, 900, -200, 0);
  map->setStructDef(1, 2);  // far landing
  map->setStructPos(2, 0, -200, 400);
  map->setStructDef(2, 2);  // near landing
  struct Case {
    Long worldType;
    Long unit;
  };
  for (Case c : {Case{3, 49}, Case{8, 50}, Case{0, 51}, Case{14, 51}}) {
    clearShips();
    CMapLifeProbe::worldType(*map) = c.worldType;
    for (bool alert : {false, true}) {
      clearShips();
      Player->HasRefuelAlert = alert;
      map->checkAddGasman();
      ASSERT_EQ(ofUnit(c.unit), 1) << c.worldType;
      const CShip& g = *Ships[1];
      EXPECT_FLOAT_EQ(g.x, 0);
      EXPECT_FLOAT_EQ(g.y, 400);
      EXPECT_EQ(g.Meeter, alert ? 0 : -1);
    }
  }
  EXPECT_EQ(map->getWorldAlign(), 0);
  CMapLifeProbe::worldType(*map) = 12;
  EXPECT_EQ(map->getWorldAlign(), 1);
  // Without a landing nothing comes.
  clearShips();
  map->setStructDef(1, -1);
  map->setStructDef(2, -1);
  map->checkAddGasman();
  EXPECT_EQ(existing(), 1);
}
