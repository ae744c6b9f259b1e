// The action prompt and the action key: what is offered where, the wreck search, landing and the
// screen of each structure, the mission hooks, the tractor beam, the start of a departure,
// docking and bullet time.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/soundMod.h"
#include "engine/PlayerNotices.h"
#include "tests/ships/LevelShipFixture.h"

namespace {
constexpr double Ft = 0.05;
}

class LandingTest : public LevelShipTest {
 protected:
  void SetUp() override {
    LevelShipTest::SetUp();
    player = &shipAt(0, 0, 0, PadTop + 100);  // over the pad
  }
  Long prompt() {
    CShipLevelProbe::checkNearLanding(*player);
    return GameInterface->iAction;
  }
  // Holds the action key over the pad from a standstill for the given frames of the movement step.
  void holdKey(int frames) {
    player->keyWarp = true;
    for (int k = 0; k < frames; ++k) step(*player, Ft);
  }
  CShip* player = nullptr;
};

TEST_F(LandingTest, ActionPromptByPlaceSpeedFuelRouteAndCarrier) {
  struct Case {
    const char* what;
    Single x, speed;
    Long fuel;
    Integer dest;
    Single motherDist;  // -1 no carrier
    bool slomoCheat, bulletTime;
    Long expected;
  };
  const Case cases[] = {
      {"pad at 149", 0, 149, 3000, 1, -1, false, false, 2},
      {"pad at 150 with a route", 0, 150, 3000, 1, -1, false, false, 1},
      {"pad at 150 without a route", 0, 150, 3000, -1, -1, false, false, 0},
      {"pad at 150 beside a far carrier", 0, 150, 3000, 1, 5000, false, false, 0},
      {"open space with a route", 5000, 0, 500, 1, -1, false, false, 1},
      {"open space, 499 fuel", 5000, 0, 499, 1, -1, false, false, 0},
      {"499 fuel with the slow-motion cheat", 5000, 0, 499, 1, -1, true, false, 5},
      {"... while it is on", 5000, 0, 499, 1, -1, true, true, 6},
      {"carrier at 349 overrides", 5000, 0, 3000, 1, 349, false, false, 4},
      {"carrier at 350 does not", 5000, 0, 3000, 1, 350, false, false, 1},
      {"landing is not slow motion", 0, 10, 3000, -1, -1, true, false, 2},
  };
  for (const Case& c : cases) {
    player->x = c.x;
    player->Speed = c.speed;
    player->Fuel = c.fuel;
    World->DestNode = c.dest;
    CheatSlowMo = c.slomoCheat;
    BulletTime = c.bulletTime;
    MotherShip = -1;
    Ships[1]->Exists = false;
    if (c.motherDist >= 0) {
      shipAt(1, c.x + c.motherDist, 0, PadTop + 100);
      Ships[1]->setAIHostile(0, true);
      MotherShip = 1;
    }
    EXPECT_EQ(prompt(), c.expected) << c.what;
    EXPECT_EQ(CShipLevelProbe::landingPad(*player), c.expected == 2 ? Pad : -1) << c.what;
    if (c.motherDist >= 0) {
      EXPECT_FALSE(Ships[1]->checkAIHostile(0)) << "the carrier never turns on its ship";
    }
  }
}

TEST_F(LandingTest, WreckSearchWantsALowWreckMovingAlike) {
  player->x = 5000;
  struct Case {
    const char* what;
    Single dx, de, dxM;
    Long body;
    bool offered;
  };
  const Case cases[] = {
      {"just under", 89, -10, 0, sbCar, true},  {"at the reach", 90, -10, 0, sbCar, false},
      {"above", 0, 10, 0, sbCar, false},        {"200 faster", 0, -10, 200, sbCar, false},
      {"199 faster", 0, -10, 199, sbCar, true}, {"a carrier reaches 179", 179, -10, 0, sbCapital, true},
  };
  for (const Case& c : cases) {
    shipAt(0, 5000, 0, PadTop + 100, c.body);
    player = Ships[0].get();
    CShip& w = shipAt(3, 5000 + c.dx, 0, PadTop + 100 + c.de);
    w.Armor = -1;
    w.xM = c.dxM;
    EXPECT_EQ(prompt(), c.offered ? 3 : 0) << c.what;
    EXPECT_EQ(CShipLevelProbe::tractorTarget(*player), c.offered ? 3 : -1) << c.what;
  }
  // A live ship is no wreck.
  Ships[3]->Armor = 10;
  Ships[3]->x = 5000;
  EXPECT_EQ(CShipLevelProbe::findWreckNear(*player), -1);
}

TEST_F(LandingTest, PromptIsKeptWhileASequenceRunsAndClearedWhileAScreenIsUp) {
  GameInterface->iAction = 4;
  player->LandingFrame = 0.5f;
  GameInterface->Window = 0;
  // the landing makes the interface hold the mouse: nothing offered, pad released
  EXPECT_EQ(prompt(), 0);
  EXPECT_EQ(CShipLevelProbe::landingPad(*player), -1);
  // a running tractor keeps its (still present) wreck while the plunder screen is up
  player->LandingFrame = 0;
  CShip& w = shipAt(3, 0, 0, PadTop + 50);
  w.Armor = -1;
  player->TractorFrame = 3;
  CShipLevelProbe::tractorTarget(*player) = 3;
  GameInterface->Window = 1;
  prompt();
  EXPECT_EQ(CShipLevelProbe::tractorTarget(*player), 3);
  // outside play nothing is decided
  GameInterface->Window = 0;
  player->TractorFrame = 0;
  GameInterface->iAction = 4;
  GameMode = pmMapEditor;
  EXPECT_EQ(prompt(), 4);
}

TEST_F(LandingTest, LandingNeedsTheKeyUntilTwoThenOpensAndStays) {
  loadHome(13);       // an ammo store beside the pad
  step(*player, Ft);  // key up: the pad is offered
  ASSERT_EQ(GameInterface->iAction, 2);
  holdKey(1);
  EXPECT_FLOAT_EQ(player->LandingFrame, 1.0f);
  holdKey(18);  // 1.9
  EXPECT_NEAR(player->LandingFrame, 1.9, 1e-4);
  EXPECT_EQ(GameInterface->Window, 0);
  EXPECT_EQ(CamBlend, 1.0f);
  player->keyWarp = false;
  step(*player, Ft);
  EXPECT_EQ(player->LandingFrame, 0);  // released before 2: cancelled

  step(*player, Ft);  // offered again
  holdKey(1);
  const Single settled = player->e;
  holdKey(21);  // 2.05
  EXPECT_NEAR(player->LandingFrame, 2.05, 1e-4);
  EXPECT_EQ(GameInterface->Window, 7);
  EXPECT_FALSE(player->keyWarp);  // the key is taken by the screen
  EXPECT_LT(player->e, settled);  // the ship settles onto the pad
  for (int k = 0; k < 20; ++k) step(*player, Ft);
  EXPECT_EQ(GameInterface->Window, 7);
  EXPECT_GT(player->LandingFrame, 2);  // done only when the store closes
  EXPECT_LT(player->LandingFrame, 1000);
}

// A ship pressed into the landed player's ship and a ram's knock-back move it only once the screen
// it landed for (or the mission's wait) has gone.
TEST_F(LandingTest, ALandedShipKeepsItsPlaceWhileItsScreenIsUp) {
  struct Case {
    const char* what;
    Long window;
    Single landingFrame;
    bool held;
  };
  const Case cases[] = {
      {"store open", 7, 2.2f, true},
      {"mission wait", 17, 2.2f, true},
      {"store closed, landing done", 0, 1001, false},
  };
  loadHome(13);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CShip& me = shipAt(0, 0, 0, PadTop + 100);
    player = &me;
    CShip& other = shipAt(1, 10, 0, me.e);
    CShipLevelProbe::setExtents(me, 40, 30, 80);
    CShipLevelProbe::setExtents(other, 40, 30, 80);
    GameInterface->Window = c.window;
    me.LandingFrame = c.landingFrame;
    const Single x0 = me.x, y0 = me.y, e0 = me.e;
    bool moved = false;
    for (int k = 0; k < 10; ++k) {
      other.x = me.x + 10;  // pressing in again each frame
      other.y = me.y;
      CShipFlightProbe::pushX(me) = 5;
      step(me, Ft);
      moved = moved || me.x != x0 || me.y != y0 || me.e != e0;
    }
    EXPECT_EQ(moved, !c.held);
    EXPECT_EQ(GameInterface->Window, c.window);
  }
}

TEST_F(LandingTest, EachStructureOpensItsScreen) {
  struct Case {
    Long def;
    Long window;
  };
  const Case cases[] = {{0, 2},  {1, 3},  {7, 6},   {10, 5}, {11, 4}, {13, 7},
                        {12, 8}, {16, 9}, {17, 18}, {3, 0},  {-1, 0}};
  for (const Case& c : cases) {
    loadHome(c.def);
    shipAt(0, 0, 0, PadTop + 100);
    player = Ships[0].get();
    GameInterface->Window = 0;
    GameInterface->Scroll = 9;
    GameInterface->BountyMode = true;
    GameInterface->NeedMissionReinit = true;
    step(*player, Ft);
    holdKey(22);
    EXPECT_EQ(GameInterface->Window, c.window) << c.def;
    EXPECT_EQ(GameInterface->Scroll, 0) << c.def;
    if (c.window == 0) {
      EXPECT_EQ(player->LandingFrame, 1001) << "nothing to open: the landing is done";
    }
    if (c.def == 1) {
      EXPECT_FALSE(GameInterface->BountyMode);
    }
    if (c.def == 17) {
      EXPECT_FALSE(GameInterface->NeedMissionReinit);
    }
  }
}

TEST_F(LandingTest, MissionsChangeWhatALandingOpens) {
  loadHome(17);
  MissionControl->Reading = true;
  step(*player, Ft);
  holdKey(22);
  EXPECT_EQ(GameInterface->Window, 30);  // the cancel question while a mission runs

  // A phase waiting for a landing at a gas station goes to its goal and shows the wait.
  loadHome(7);
  shipAt(0, 0, 0, PadTop + 100);
  player = Ships[0].get();
  GameInterface->Window = 0;
  MissionControl->StartMission();
  MissionControl->getRunningPhase()->GoalLand = structGas;
  step(*player, Ft);
  holdKey(22);
  EXPECT_EQ(GameInterface->Window, 17);
  EXPECT_EQ(MissionControl->getLinkedLanding(), -1);
  EXPECT_FLOAT_EQ(CInterfaceLevelProbe::waitTimer(*GameInterface), 3.0f);
}

TEST_F(LandingTest, TractorPullsTheWreckSiphonsAndOpensThePlunderScreen) {
  player->x = 5000;
  player->e = 100;
  player->Fuel = 1000;
  CShipLevelProbe::maxFuel(*player) = 2000;
  Player->HasSiphonator = true;
  CShip& w = shipAt(3, 5050, 30, 40);
  w.Armor = -1;
  w.Fuel = 2600;
  w.tractorGift = "crate";
  MissionControl->Reading = true;
  MissionControl->StartMission();
  MissionControl->getRunningPhase()->GoalLand = 99;
  step(*player, Ft);
  ASSERT_EQ(GameInterface->iAction, 3);
  holdKey(1);
  EXPECT_EQ(player->TractorFrame, 1.0f);
  holdKey(21);
  // the player gained what fits (1000 -> at most 2000), the wreck is emptied
  EXPECT_LE(player->Fuel, 2000);
  EXPECT_GE(player->Fuel, 1500);
  EXPECT_EQ(w.Fuel, 0);
  // the gift sends the mission to its goal
  EXPECT_EQ(GameInterface->Window, 17);
  EXPECT_EQ(w.tractorGift, "");
  EXPECT_EQ(MissionControl->getLinkedLanding(), -1);
  // a long pull on slow frames draws the wreck in without throwing it past the ship
  for (int k = 0; k < 600; ++k) step(*player, 0.1);
  EXPECT_TRUE(std::isfinite(w.x) && std::isfinite(w.y) && std::isfinite(w.e));
  EXPECT_NEAR(w.x, player->x, 1);
  EXPECT_NEAR(w.y, player->y, 1);
  EXPECT_NEAR(w.e, player->e - 160, 1);
  // the wreck taken away ends the beam (done, and reset at once with nothing under the ship)
  w.Exists = false;
  step(*player, Ft);
  EXPECT_TRUE(player->TractorFrame == 0 || player->TractorFrame == 1001) << player->TractorFrame;
  EXPECT_EQ(GameInterface->Window, 0);
  EXPECT_EQ(CShipLevelProbe::tractorTarget(*player), -1);
}

TEST_F(LandingTest, TractorReleasedBeforeTwoLetsGo) {
  player->x = 5000;
  CShip& w = shipAt(3, 5000, 0, PadTop + 50);
  w.Armor = -1;
  step(*player, Ft);
  holdKey(10);
  EXPECT_GT(player->TractorFrame, 1);
  player->keyWarp = false;
  step(*player, Ft);
  EXPECT_EQ(player->TractorFrame, 0);
  EXPECT_EQ(GameInterface->Window, 0);
  // held past 2 the plunder screen opens
  step(*player, Ft);
  holdKey(22);
  EXPECT_GT(player->TractorFrame, 2);
  EXPECT_EQ(GameInterface->Window, 1);
}

TEST_F(LandingTest, HyperspaceStartsOnlyTowardALoadableMap) {
  player->x = 5000;
  World->DestNode = 1;  // "away"
  step(*player, Ft);
  ASSERT_EQ(GameInterface->iAction, 1);
  player->keyWarp = true;
  CShipLevelProbe::doLanding(*player);
  EXPECT_EQ(player->WarpTarget, "away");
  EXPECT_EQ(CShipLevelProbe::warpFrame(*player), 1.0f);

  // "gone" names no map file: refused, with a notice naming the file and why, and the key is taken.
  CShipLevelProbe::warpFrame(*player) = 0;
  World->DestNode = 2;
  CShipLevelProbe::doLanding(*player);
  EXPECT_EQ(CShipLevelProbe::warpFrame(*player), 0);
  EXPECT_FALSE(player->keyWarp);
  ASSERT_TRUE(firstPlayerNotice());
  EXPECT_EQ(firstPlayerNotice()->title, "No map to warp to");
  EXPECT_EQ(firstPlayerNotice()->text, "\\maps\\gone.pnd: File not found. The warp does not start");
  EXPECT_EQ(player->Fuel, 3000);
}

TEST_F(LandingTest, DockingAndBulletTime) {
  player->x = 5000;
  GameInterface->iAction = 4;
  player->keyWarp = true;
  CShipLevelProbe::tractorTarget(*player) = -1;
  CShipLevelProbe::landingPad(*player) = -1;
  CShipLevelProbe::doLanding(*player);
  EXPECT_EQ(GameInterface->dockFrame, 11.0f);

  // The charge refills at 1/8 a second up to 2; slow motion spends it.
  BulletTimeCharge = 0;
  GameInterface->iAction = 5;
  player->keyWarp = false;
  FrameTime = 1.0;
  for (int k = 0; k < 20; ++k) CShipLevelProbe::doLanding(*player);
  EXPECT_NEAR(BulletTimeCharge, 2.0, 0.125);
  player->keyWarp = true;
  CShipLevelProbe::doLanding(*player);
  EXPECT_TRUE(BulletTime);
  EXPECT_FALSE(player->keyWarp);
  FrameTime = 0.5;
  for (int k = 0; k < 5 && BulletTime; ++k) CShipLevelProbe::doLanding(*player);
  EXPECT_FALSE(BulletTime);
  EXPECT_LE(BulletTimeCharge, 0);
  // switched off by the key
  BulletTimeCharge = 1;
  BulletTime = true;
  GameInterface->iAction = 6;
  player->keyWarp = true;
  FrameTime = 0.01;
  CShipLevelProbe::doLanding(*player);
  EXPECT_FALSE(BulletTime);
}

TEST_F(LandingTest, OverlayKeysAreTaken) {
  player->keyWarpChoose = true;
  player->keySel2 = true;
  CShipLevelProbe::doLanding(*player);
  EXPECT_FALSE(player->keyWarpChoose);
  EXPECT_FALSE(player->keySel2);
}
