// The player record beyond its options: a new campaign, the mission and mapped-node lists, era
// changes, bounties, the cheat mirror, building the flying ship and copying it back, buying ships
// and carriers, copies between records, and the installed parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"

// The interface's screen fade.
struct CoreProbe {
  static Single& fadeLevel(CInterface& g) { return g.fadeLevel; }
};
#include "engine/MessageLog.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "tests/support/TempGameDir.h"

// Reads the record's private state for the tests.
class CPlayerProbe {
 public:
  static std::vector<Integer> installedParts(const CPlayer& p) { return p.installedParts(); }
  static void setMount(CPlayer& p, int k, Long m) { p.Mounts[k] = m; }
};

namespace {
int errorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}

// Design n of the test table: 0 a car, 1 the campaign's first ship (a car), 2 a bike, 3 a capital
// with 8 mounts (4 bays), 4 a capital with 3 mounts (2 bays), 5 a fleshy ship with 5 mounts.
std::shared_ptr<CShipDef> design(Integer n) {
  struct Row {
    Long body;
    Integer lastMount, armor, shields, fuel;
  } rows[] = {{sbCar, 2, 300, 250, 3000},     {sbCar, 1, 200, 150, 2500},     {sbBike, 0, 100, 80, 1500},
               {sbCapital, 7, 3000, 900, 9000}, {sbCapital, 3, 2500, 800, 8000}, {sbFleshy, 5, 2000, 500, 7000}};
  auto d = std::make_shared<CShipDef>();
  d->ShipName = "design" + std::to_string(n);
  d->ShipBody = rows[n].body;
  d->TotalMounts = rows[n].lastMount;
  if (d->ShipBody == sbCapital) d->DockBays = CInt(d->TotalMounts / 2.0);
  d->MaxArmor = rows[n].armor;
  d->MaxShields = rows[n].shields;
  d->MaxFuel = rows[n].fuel;
  d->Cargo = 50;
  d->Price = 1000 * (n + 1);
  return d;
}

class CPlayerRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(777);
    dir.write("\\data\\readme.txt", "");
    GameMode = pmPlay;
    ShipDefs.clear();
    for (Integer n = 0; n < 6; ++n) ShipDefs.push_back(design(n));
    Ships.clear();
    for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
    Player = std::make_shared<CPlayer>();
    Player->Init();
  }
  void TearDown() override {
    Ships.clear();
    ShipDefs.clear();
    Player.reset();
    MotherPlayer.reset();
    for (auto& sub : SubPlayers) sub.reset();
    World.reset();
    MissionControl.reset();
    GameMode = 0;
    clearRndTestSeed();
    CheatGod = CheatAmmo = CheatCash = CheatSlowMo = false;
    DevMode = ClassicView = FollowMouse = false;
  }
  TempGameDir dir;
};
}  // namespace

TEST_F(CPlayerRecordTest, ANewCampaign) {
  CPlayer fresh;  // before Init: zeros and empty lists
  EXPECT_EQ(fresh.Cash, 0);
  EXPECT_EQ(fresh.ShipType, 0);
  EXPECT_EQ(fresh.getMount(0), 0);
  EXPECT_EQ(fresh.getMissionCompletes(), 0);
  EXPECT_TRUE(fresh.checkMissionComplete(""));  // the empty entry
  EXPECT_EQ(fresh.getMappedLocs(), 0);

  const CPlayer& p = *Player;
  EXPECT_EQ(p.Cash, 10000);
  EXPECT_EQ(p.ShipType, 1);
  EXPECT_EQ(p.Armor, 200);
  EXPECT_EQ(p.Shields, 150);
  EXPECT_EQ(p.Fuel, 2500);
  EXPECT_EQ(p.getCharDef(0), 4);
  EXPECT_EQ(p.getCharDef(1), 16);
  EXPECT_FALSE(p.SubVersion);
  for (Integer k = 0; k < 8; ++k) EXPECT_EQ(p.getMount(k), -1);
  EXPECT_FALSE(p.getRscNotEmpty());
  const std::vector<std::string> drivers = {"rupert", "murdock", "roger", "hans"};
  const std::vector<std::string> gunners = {"yuko", "suki", "azumi", "ami"};
  EXPECT_NE(std::find(drivers.begin(), drivers.end(), p.DriverName), drivers.end()) << p.DriverName;
  EXPECT_NE(std::find(gunners.begin(), gunners.end(), p.GunnerName), gunners.end()) << p.GunnerName;
  for (const auto& sub : SubPlayers) {
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->ShipType, -1);
    EXPECT_TRUE(sub->SubVersion);
  }
  // The first campaign ship must exist among the designs.
  ShipDefs.resize(1);
  CPlayer q;
  EXPECT_EQ(errorNumber([&] { q.Init(); }), vberr::Subscript);
}

TEST_F(CPlayerRecordTest, MissionAndMappedNodeLists) {
  CPlayer& p = *Player;
  p.addMissionComplete("first.pnd");
  EXPECT_EQ(p.getMissionCompletes(), 0);  // the empty entry was overwritten
  EXPECT_EQ(p.getMissionComplete(0), "first.pnd");
  EXPECT_FALSE(p.checkMissionComplete(""));
  p.addMissionComplete("second.pnd");
  p.addMissionComplete("first.pnd");
  EXPECT_EQ(p.getMissionCompletes(), 1);
  EXPECT_TRUE(p.checkCompletedMission("second.pnd"));
  EXPECT_FALSE(p.checkCompletedMission("Second.pnd"));  // exact compare
  EXPECT_EQ(errorNumber([&] { p.getMissionComplete(2); }), vberr::Subscript);

  p.AddMappedLoc("losgatos");
  p.AddMappedLoc("tut");
  p.AddMappedLoc("losgatos");
  EXPECT_EQ(p.getMappedLocs(), 1);
  EXPECT_EQ(p.getMappedLocName(1), "tut");
  EXPECT_TRUE(p.checkMappedLoc("tut"));
  EXPECT_FALSE(p.checkMappedLoc("TUT"));
  EXPECT_EQ(p.checkMapFavor("tut"), 0);
  EXPECT_EQ(p.getMappedLocFavor(0), 0);
}

TEST_F(CPlayerRecordTest, ANewEraClearsTheFactionLevels) {
  World = std::make_shared<CWorld>();
  MissionControl = std::make_shared<CMissionControl>();
  MissionControl->EraUnlocks = {{1, "ninja3"}, {2, "boss"}};
  CPlayer& p = *Player;
  p.setAlignLevel(3, 2);
  p.setAlignLevel(3, 1);  // never lowered
  EXPECT_EQ(p.getAlignLevel(3), 2);

  p.addMissionComplete("ninja2.pnd");
  EXPECT_EQ(World->CurrentEra, 0);
  EXPECT_EQ(p.getAlignLevel(3), 2);
  p.addMissionComplete("ninja3.pnd");
  EXPECT_EQ(World->CurrentEra, 1);
  EXPECT_EQ(p.getAlignLevel(3), 0);
  p.setAlignLevel(1, 4);
  p.addMissionComplete("ninja4.pnd");
  EXPECT_EQ(World->CurrentEra, 1);
  EXPECT_EQ(p.getAlignLevel(1), 4);
  EXPECT_EQ(errorNumber([&] { p.setAlignLevel(6, 1); }), vberr::Subscript);
}

TEST_F(CPlayerRecordTest, BountiesAreKeptForTheFirst63Only) {
  CPlayer& p = *Player;
  struct Case {
    Integer index;
    Long stored;
  } cases[] = {{0, 2}, {62, 1}, {63, 0}, {-1, 0}, {64, 0}};
  for (const Case& c : cases) {
    p.setBountyHunted(c.index, c.stored == 0 ? 1 : c.stored);
    EXPECT_EQ(p.getBountyHunted(c.index), c.stored) << c.index;
  }
}

TEST_F(CPlayerRecordTest, CheatFlagsMirrorIntoTheGlobals) {
  CPlayer& p = *Player;
  bool* globals[] = {&CheatGod, &CheatAmmo, &CheatCash, &CheatSlowMo};
  for (Long i = 0; i < 4; ++i) {
    for (Integer v : {2, 1, 0, 2}) {
      p.setHasCheat(i, v);
      EXPECT_EQ(*globals[i], v == 2) << "cheat " << i << " = " << v;
    }
  }
  p.setHasCheat(4, 2);  // no global of its own
  EXPECT_EQ(p.getHasCheat(4), 2);
  p.setHasCheat(0, 1);
  EXPECT_FALSE(CheatGod);
  EXPECT_TRUE(CheatAmmo && CheatCash && CheatSlowMo);
}

TEST_F(CPlayerRecordTest, TheFlyingShipIsBuiltFromTheRecordAndCopiedBack) {
  CPlayer& p = *Player;
  CPlayerProbe::setMount(p, 0, 1);
  CPlayerProbe::setMount(p, 1, 5);
  p.setSecondary(3, true);
  p.setSecondaryAmmo(3, 12);
  p.Fuel = 1000;
  p.Armor = 150.5f;
  p.Shields = 20;
  p.MakeShipFromPlayer(0, 10, 20, 30);
  const CShip& s = *Ships[0];
  EXPECT_TRUE(s.Exists);
  EXPECT_EQ(s.ID, 0);
  EXPECT_EQ(s.x, 10);
  EXPECT_EQ(s.y, 20);
  EXPECT_EQ(s.e, 30);
  EXPECT_EQ(s.ShipType, 1);
  EXPECT_EQ(s.getValue(), 2000);
  EXPECT_EQ(s.getMount(0), 1);
  EXPECT_EQ(s.getMount(1), 5);
  EXPECT_EQ(s.getMount(2), -1);
  EXPECT_TRUE(s.getHasSecondary(3));
  EXPECT_EQ(s.getSecondaryAmmo(3), 12);
  EXPECT_EQ(s.Fuel, 1000);
  EXPECT_EQ(s.Armor, 150.5f);
  EXPECT_EQ(s.Shields, 20);
  EXPECT_FALSE(s.getCharTexture().empty());  // the driver sits in seat 0

  CShip& t = *Ships[0];
  t.setMount(2, 9);
  t.setSecondaryAmmo(3, 4);
  t.setSecondary(7, true);
  t.Armor = 99;
  t.Fuel = 7;
  p.updateFromShip(0);
  EXPECT_EQ(p.getMount(2), 9);
  EXPECT_EQ(p.getAmmo(3), 4);
  EXPECT_TRUE(p.getHasWeapon(7));
  EXPECT_EQ(p.Armor, 99);
  EXPECT_EQ(p.Fuel, 7);
  EXPECT_EQ(errorNumber([&] { p.updateFromShip(16); }), vberr::Subscript);
  p.ShipType = 40;
  EXPECT_EQ(errorNumber([&] { p.MakeShipFromPlayer(0, 0, 0, 0); }), vberr::Subscript);
}

TEST_F(CPlayerRecordTest, BuyingACarrierWhileFlyingAPlainShipDocksTheOldShip) {
  CPlayer& p = *Player;
  CPlayerProbe::setMount(p, 0, 2);
  p.setResource(4, 17);
  p.Cash = 4321;
  p.HasRoboLoader = true;
  p.ArmorLev = 2;
  p.MakeShipFromPlayer(0, 100, 200, 50);
  Ships[0]->r = 2.5f;
  GameInterface = std::make_shared<CInterface>();
  p.BuyNewShip(3, 0);
  EXPECT_EQ(CoreProbe::fadeLevel(*GameInterface), 1.5f);  // the screen fades in on the new ship
  GameInterface.reset();

  ASSERT_TRUE(SubPlayers[0]);
  const CPlayer& old = *SubPlayers[0];
  EXPECT_TRUE(old.SubVersion);
  EXPECT_EQ(old.ShipType, 1);
  EXPECT_EQ(old.getMount(0), 2);
  EXPECT_EQ(old.getResource(4), 17);
  EXPECT_EQ(old.Cash, 4321);
  EXPECT_TRUE(old.HasRoboLoader);
  for (int k = 1; k < 4; ++k) EXPECT_EQ(SubPlayers[k]->ShipType, -1) << k;

  EXPECT_EQ(p.ShipType, 3);
  EXPECT_FALSE(p.HasRoboLoader);
  EXPECT_EQ(p.ArmorLev, 0);
  for (Integer k = 0; k < 8; ++k) EXPECT_EQ(p.getMount(k), -1);
  const CShip& s = *Ships[0];
  EXPECT_EQ(s.ShipType, 3);
  EXPECT_EQ(s.x, 100);
  EXPECT_EQ(s.y, 200);
  EXPECT_EQ(s.e, 500);
  EXPECT_EQ(s.r, 2.5f);
  EXPECT_EQ(s.Armor, 3000);
  EXPECT_EQ(p.Armor, 3000);
  EXPECT_EQ(p.Shields, 900);
  EXPECT_EQ(p.Fuel, 9000);
  EXPECT_EQ(s.getTotalDockBays(), 4);
}

TEST_F(CPlayerRecordTest, BuyingASmallerCarrierEmptiesOnlyTheMissingBays) {
  CPlayer& p = *Player;
  p.ShipType = 3;
  p.MakeShipFromPlayer(0, 0, 0, 0);
  for (Integer k = 0; k < 4; ++k) SubPlayers[k]->ShipType = static_cast<Integer>(k % 3);

  struct Case {
    Integer bought;
    std::vector<Integer> bays;
  } cases[] = {
      {3, {0, 1, 2, 0}},      // a capital with 4 bays keeps them all
      {4, {0, 1, -1, -1}},    // a capital with 2 bays
      {3, {0, 1, -1, -1}},    // a larger carrier keeps what is left
      {5, {-1, -1, -1, -1}},  // a fleshy design has no dock bays, whatever its mounts
  };
  for (const Case& c : cases) {
    p.BuyNewShip(c.bought, 0);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(SubPlayers[k]->ShipType, c.bays[k]) << "design " << c.bought << " bay " << k;
  }
  // Back to a plain ship: the fleet records stay as they are.
  for (Integer k = 0; k < 4; ++k) SubPlayers[k]->ShipType = static_cast<Integer>(k % 3);
  p.BuyNewShip(0, 0);
  EXPECT_EQ(SubPlayers[1]->ShipType, 1);
  EXPECT_EQ(Ships[0]->getShipBody(), sbCar);
}

TEST_F(CPlayerRecordTest, AFleetRecordBuysWithoutTouchingAShip) {
  CPlayer& sub = *SubPlayers[2];
  sub.ShipType = 0;
  sub.MaxVals();
  sub.Armor = 1;
  Ships[5]->x = 42;
  sub.BuyNewShip(2, 5);
  EXPECT_EQ(sub.ShipType, 2);
  EXPECT_EQ(sub.Armor, 100);
  EXPECT_EQ(sub.Fuel, 1500);
  EXPECT_FALSE(Ships[5]->Exists);
  EXPECT_EQ(Ships[5]->x, 42);
}

TEST_F(CPlayerRecordTest, CopiesBetweenRecords) {
  CPlayer& a = *Player;
  a.HasJammar = true;
  a.ArmorLev = 3;
  a.Difficulty = 4;
  a.Cash = 55;
  a.setResource(15, 3);
  a.setSecondary(2, true);
  a.setSecondaryAmmo(2, 8);
  a.setBountyHunted(5, 2);
  a.setCharKey(0, 1001);
  a.setCharDef(0, 9);
  a.addMissionComplete("m.pnd");
  a.AddMappedLoc("tut");
  a.setAlignLevel(2, 3);

  CPlayer full;
  full.subInit();
  full.ClonePlayer(a);
  EXPECT_TRUE(full.HasJammar);
  EXPECT_EQ(full.ArmorLev, 3);
  EXPECT_EQ(full.Difficulty, 4);
  EXPECT_EQ(full.Cash, 55);
  EXPECT_EQ(full.getResource(15), 3);
  EXPECT_EQ(full.ShipType, 1);
  EXPECT_EQ(full.getCharDef(0), 9);
  EXPECT_TRUE(full.checkMissionComplete("m.pnd"));
  EXPECT_TRUE(full.checkMappedLoc("tut"));
  EXPECT_EQ(full.getAlignLevel(2), 3);
  EXPECT_EQ(full.getBountyHunted(5), 0);  // not copied
  EXPECT_NE(full.getCharKey(0), 1001);     // not copied
  EXPECT_TRUE(full.SubVersion);            // the record kind stays

  CPlayer part;
  part.getUniversalData(a);
  EXPECT_EQ(part.Difficulty, 4);
  EXPECT_EQ(part.Cash, 55);
  EXPECT_TRUE(part.getSecondary(2));
  EXPECT_EQ(part.getSecondaryAmmo(2), 8);
  EXPECT_TRUE(part.checkMissionComplete("m.pnd"));
  EXPECT_FALSE(part.HasJammar);            // parts stay with their ship
  EXPECT_EQ(part.getResource(15), 0);      // and so do the goods
  EXPECT_EQ(part.ShipType, 0);
}

TEST_F(CPlayerRecordTest, InstalledPartsForTheEnergyLoad) {
  CPlayer& p = *Player;
  EXPECT_TRUE(CPlayerProbe::installedParts(p).empty());
  p.ArmorLev = 2;
  p.HasShieldBoost = p.HasHud20 = p.HasRoboFixit = true;
  for (int k = 0; k < 8; ++k) CPlayerProbe::setMount(p, k, std::vector<Long>{0, 1, 5, 9, 11, -1, 12, 3}[k]);
  EXPECT_EQ(CPlayerProbe::installedParts(p), (std::vector<Integer>{8, 5, 22, 28, 3, 0, 10, 29, 31, 1}));
  EXPECT_EQ(p.getEnergyLoad(), 0);  // the stores' energy figures are not read yet
}
