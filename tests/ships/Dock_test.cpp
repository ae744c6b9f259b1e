// Docking and fleet ships: a launch from the carrier and the dock back, the ships array growing
// when every slot is taken, hostility passed between the ships (inside the 32-ship table, past
// empty slots), and switches that cannot be made leaving the player where they were.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "campaign/CPlayer.h"
#include "ships/DockMod.h"
#include "tests/ships/FlightFixture.h"

namespace {
constexpr Integer FleetCar = 0, Carrier = 1;

class DockTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    savedDefs = ShipDefs;
    ShipDefs.clear();
    CShipDef car = flightDesign(sbCar);
    car.MaxFuel = 1000;
    CShipDef carrier = flightDesign(sbCapital);
    carrier.TotalMounts = 3;
    carrier.DockBays = 2;
    carrier.MaxArmor = 2000;
    carrier.MaxShields = 900;
    ShipDefs.push_back(std::make_shared<CShipDef>(car));
    ShipDefs.push_back(std::make_shared<CShipDef>(carrier));
    // The player flies the carrier at (100, 200, 300), 500 fuel short; one fleet ship in bay 0.
    Player->Init();
    Player->ShipType = Carrier;
    Player->MaxVals();
    Player->MakeShipFromPlayer(0, 100, 200, 300);
    for (Integer k = 0; k < 4; ++k) Ships[0]->setMount(k, (k + 1) % 4);
    Player->updateFromShip(0);
    Ships[0]->r = 1.25f;
    Ships[0]->Fuel = Ships[0]->getMaxFuel() - 500;
    for (auto& sub : SubPlayers) {
      sub = std::make_shared<CPlayer>();
      sub->subInit();
      sub->ShipType = -1;
    }
    SubPlayers[0]->ShipType = FleetCar;
    SubPlayers[0]->MaxVals();
    SubPlayers[0]->Armor = 150;
    MotherShip = -1;
    SubIndex = 0;
    DevMode = true;  // the new records read it from the options file
  }
  void TearDown() override {
    for (auto& sub : SubPlayers) sub.reset();
    ShipDefs = savedDefs;
    SubIndex = 0;
    FlightTest::TearDown();
  }
  // Ships 1..n take part in the level.
  void fill(Integer n) {
    for (Integer i = 1; i <= n; ++i) ready(i);
  }
  std::vector<std::shared_ptr<CShipDef>> savedDefs;
};
}  // namespace

TEST_F(DockTest, ALaunchThenADockGiveBackTheCarrierAndKeepTheFleetShip) {
  fill(3);
  Ships[2]->setAIHostile(0, true);  // an enemy of the player
  const CShip* carrierBefore = Ships[0].get();
  Ships[0]->keyThrust = true;  // held through the launch
  Ships[0]->keySecondary = true;

  SpawnSubPlayer(0, 0, true, 0);
  // The carrier flies on as ship 4, the first free slot, with the player's enemies.
  ASSERT_EQ(MotherShip, 4);
  CShip& mother = *Ships[4];
  EXPECT_TRUE(mother.Exists);
  EXPECT_EQ(mother.getShipBody(), sbCapital);
  EXPECT_EQ(mother.getAIType(), 21);
  EXPECT_EQ(mother.FuelSpace, 500);
  EXPECT_EQ(mother.r, 1.25f);
  EXPECT_TRUE(Ships[2]->checkAIHostile(4));
  EXPECT_TRUE(mother.checkAIHostile(2));
  EXPECT_FALSE(mother.checkAIHostile(1));
  ASSERT_TRUE(MotherPlayer);
  EXPECT_TRUE(MotherPlayer->MotherVersion);
  EXPECT_EQ(MotherPlayer->ShipType, Carrier);
  // The player flies the fleet ship, the same ship rebuilt at the carrier's place: the held
  // controls go on acting, and it keeps its enemies.
  CShip& flown = *Ships[0];
  EXPECT_EQ(&flown, carrierBefore);
  EXPECT_TRUE(flown.keyThrust);
  EXPECT_TRUE(flown.keySecondary);
  EXPECT_EQ(flown.getShipBody(), sbCar);
  EXPECT_EQ(Player->ShipType, FleetCar);
  EXPECT_EQ(flown.getMount(1), 0);  // the fleet ship's own mounts
  EXPECT_EQ(flown.Armor, 150);
  EXPECT_EQ(flown.x, 100);
  EXPECT_EQ(flown.y, 200);
  EXPECT_EQ(flown.e, 300);
  EXPECT_TRUE(Ships[2]->checkAIHostile(0));
  EXPECT_TRUE(flown.checkAIHostile(2));

  // The fleet ship is hurt and armed, and the carrier moves on before the dock.
  flown.Armor = 90;
  flown.setMount(0, 5);
  mother.x = -400;
  mother.y = 50;
  mother.Armor = 1500;
  mother.Shields = 33;
  dockPlayer(0, MotherShip);
  CShip& carrier = *Ships[0];
  EXPECT_EQ(carrier.getShipBody(), sbCapital);
  EXPECT_EQ(Player->ShipType, Carrier);
  for (Integer k = 0; k < 4; ++k) EXPECT_EQ(carrier.getMount(k), (k + 1) % 4) << k;
  EXPECT_EQ(carrier.x, -400);
  EXPECT_EQ(carrier.y, 50);
  EXPECT_EQ(carrier.Armor, 1500);
  EXPECT_EQ(carrier.Shields, 33);
  EXPECT_FALSE(mother.Exists);
  EXPECT_EQ(MotherShip, -1);
  EXPECT_EQ(SubIndex, 0);
  EXPECT_TRUE(SubPlayers[0]->SubVersion);
  EXPECT_EQ(SubPlayers[0]->ShipType, FleetCar);
  EXPECT_EQ(SubPlayers[0]->Armor, 90);
  EXPECT_EQ(SubPlayers[0]->getMount(0), 5);
  EXPECT_TRUE(carrier.checkAIHostile(2));
  EXPECT_EQ(Ships.size(), 16u);
}

TEST_F(DockTest, AFullShipsArrayGrowsByOneForTheMotherShip) {
  fill(15);
  SpawnSubPlayer(0, 0, true, 0);
  ASSERT_EQ(Ships.size(), 17u);
  EXPECT_EQ(MotherShip, 16);
  EXPECT_TRUE(Ships[16]->Exists);
  EXPECT_TRUE(logged("ship bounds exceeded!"));
  dockPlayer(0, MotherShip);
  EXPECT_EQ(Ships.size(), 17u);  // never shrinks; the slot is free for the next launch
  EXPECT_FALSE(Ships[16]->Exists);
  SpawnSubPlayer(0, 0, true, 0);
  EXPECT_EQ(Ships.size(), 17u);
  EXPECT_EQ(MotherShip, 16);
}

TEST_F(DockTest, HostilityIsClonedWithinTheTableAndPastEmptySlots) {
  fill(15);
  while (Ships.size() < 40) {
    Ships.push_back(std::make_shared<CShip>());
    ready(static_cast<Integer>(Ships.size() - 1));
  }
  Ships[5].reset();  // an empty slot
  Ships[6]->Exists = false;
  Ships[3]->setAIHostile(0, true);
  Ships[31]->setAIHostile(0, true);
  Ships[0]->setAIHostile(20, true);  // one-sided: ship 20 is not hostile back
  Ships[0]->setAIHostile(6, true);   // an absent ship keeps the copied mark
  CloneHostile(0, 35);
  CloneHostile(0, 9);
  EXPECT_FALSE(logged("Error in CloneHostile"));
  EXPECT_TRUE(Ships[3]->checkAIHostile(9));
  EXPECT_TRUE(Ships[31]->checkAIHostile(9));
  EXPECT_TRUE(Ships[9]->checkAIHostile(3));
  EXPECT_FALSE(Ships[9]->checkAIHostile(20));
  EXPECT_TRUE(Ships[9]->checkAIHostile(6));
  EXPECT_FALSE(Ships[9]->checkAIHostile(9));  // never against itself
  EXPECT_FALSE(Ships[9]->checkAIHostile(4));
  EXPECT_FALSE(Ships[3]->checkAIHostile(35));  // beyond the table
}

TEST_F(DockTest, ASwitchThatCannotBeMadeLeavesThePlayerWhereTheyWere) {
  fill(3);
  struct Case {
    const char* what;
    std::function<void()> spoil;
    bool launch;  // else a dock from a launched fleet ship
  } cases[] = {
      {"an empty bay", [] { SubPlayers[0]->ShipType = -1; }, true},
      {"a bay naming no design", [] { SubPlayers[0]->ShipType = 7; }, true},
      {"a bay without a record", [] { SubPlayers[0].reset(); }, true},
      {"the mother ship gone", [] { Ships[MotherShip]->Exists = false; }, false},
      {"no mother ship", [] { MotherShip = -1; }, false},
      {"no carrier record", [] { MotherPlayer.reset(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    fill(3);
    if (!c.launch) SpawnSubPlayer(0, 0, true, 0);
    c.spoil();
    const CShip* before = Ships[0].get();
    const Integer type = Player->ShipType, motherShip = MotherShip;
    const size_t count = Ships.size();
    const std::string label = c.launch ? "Error in SpawnSubPlayer" : "Error in dockPlayer";
    MsgLog.fill("");
    if (c.launch) SpawnSubPlayer(0, 0, true, 0);
    else dockPlayer(0, MotherShip);
    EXPECT_TRUE(logged(label));
    EXPECT_EQ(Ships[0].get(), before);
    EXPECT_EQ(Player->ShipType, type);
    EXPECT_EQ(MotherShip, motherShip);
    EXPECT_EQ(Ships.size(), count);
    EXPECT_TRUE(Ships[0]->Exists);
    TearDown();
  }
  SetUp();
}

TEST_F(DockTest, AFailurePartWayPutsEverythingBack) {
  fill(3);
  CShipDef broken = flightDesign(sbCar);
  broken.MaxSpeed = 100000;  // the fleet ship's set-up overflows after the carrier has been left
  ShipDefs.push_back(std::make_shared<CShipDef>(broken));
  SubPlayers[0]->ShipType = 2;
  const CShip* before = Ships[0].get();
  const CPlayer* motherRecord = MotherPlayer.get();
  SpawnSubPlayer(0, 0, true, 0);
  EXPECT_TRUE(logged("Error in SpawnSubPlayer: Overflow"));
  EXPECT_EQ(Ships[0].get(), before);
  EXPECT_EQ(Ships[0]->getShipBody(), sbCapital);  // the carrier itself untouched
  EXPECT_EQ(Ships[0]->getMaxArmor(), 2000);
  EXPECT_EQ(Player->ShipType, Carrier);
  EXPECT_EQ(MotherPlayer.get(), motherRecord);
  EXPECT_EQ(MotherShip, -1);
  EXPECT_EQ(SubIndex, 0);
  EXPECT_EQ(Ships.size(), 16u);
  EXPECT_FALSE(Ships[4]->Exists);  // no orphan carrier left in the level
}

TEST_F(DockTest, DockingInTheCarrierChangesNothingButTheChoiceList) {
  GameInterface->SecondarySwitchFrame = 2.0f;
  const CShip* before = Ships[0].get();
  dockPlayer(0, 3);
  EXPECT_EQ(GameInterface->SecondarySwitchFrame, 0);
  EXPECT_EQ(Ships[0].get(), before);
  EXPECT_FALSE(logged("Error in dockPlayer"));
}

TEST_F(DockTest, DockingWithTheActionKeyHeldLaunchesTheNextFleetShip) {
  fill(3);
  SubPlayers[1]->ShipType = FleetCar;
  SubPlayers[1]->MaxVals();
  SubPlayers[1]->Armor = 77;
  SpawnSubPlayer(0, 0, true, 0);
  Ships[0]->keyWarp = true;
  dockPlayer(0, MotherShip);
  // Straight on into bay 1, only the fade-in running.
  EXPECT_EQ(SubIndex, 1);
  EXPECT_GE(MotherShip, 1);
  EXPECT_EQ(Ships[0]->getShipBody(), sbCar);
  EXPECT_EQ(Ships[0]->Armor, 77);
  EXPECT_EQ(GameInterface->dockFrame, 1.51f);

  // With no other fleet ship the player stays in the carrier.
  SubPlayers[0]->ShipType = -1;
  Ships[0]->keyWarp = true;
  dockPlayer(0, MotherShip);
  EXPECT_EQ(Ships[0]->getShipBody(), sbCapital);
  EXPECT_EQ(MotherShip, -1);
}

TEST_F(DockTest, TheShipsThatLeaveAtADockEndTheirEngineLoops) {
  InitSound();
  const Integer jet = loadGeneratedSound("jet");
  ASSERT_GE(jet, 0);
  fill(3);
  SpawnSubPlayer(0, 0, true, 0);
  ASSERT_EQ(MotherShip, 4);
  // Both the fleet ship and the carrier flying beside it have their engines running.
  const Integer flownLoop = StartLoopSound(jet), motherLoop = StartLoopSound(jet);
  ASSERT_GE(flownLoop, 0);
  ASSERT_GE(motherLoop, 0);
  CShipFlightProbe::engineSound(*Ships[0]) = flownLoop;
  CShipFlightProbe::engineSound(*Ships[4]) = motherLoop;

  dockPlayer(0, MotherShip);
  for (Integer loop : {flownLoop, motherLoop}) EXPECT_TRUE(SoundNames[loop % SoundSlotCount].empty()) << loop;
  EXPECT_EQ(CShipFlightProbe::engineSound(*Ships[0]), -1);  // the new carrier starts its own
  InitSound();
}
