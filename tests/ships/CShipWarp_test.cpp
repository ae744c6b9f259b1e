// Leaving the map: the player's departure through the map change (placeholder frame, map name,
// fuel taken once, the carrier kept behind), the arrival (tunnel, held at the edge for 4 s, the
// gas attendant) and the warp in; AI ships leaving play; chained hops; refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/ships/LevelShipFixture.h"

namespace {
constexpr double Ft = 0.02;

int gasAttendants() {
  int n = 0;
  for (size_t i = 1; i < Ships.size(); ++i)
    if (Ships[i] && Ships[i]->Exists && Ships[i]->getAIType() == 51) ++n;
  return n;
}
}  // namespace

class WarpTest : public LevelShipTest {
 protected:
  void SetUp() override {
    LevelShipTest::SetUp();
    player = &shipAt(0, 0, 0, 50);
    player->Fuel = 2000;
    World->DestNode = 1;
  }
  // The departure begun by the action key toward "away", key held.
  void depart() {
    player->WarpTarget = "away";
    CShipLevelProbe::warpFrame(*player) = 1.0f;
    player->keyWarp = true;
  }
  Single w() { return CShipLevelProbe::warpFrame(*player); }
  CShip* player = nullptr;
};

TEST_F(WarpTest, DepartureHandsOverTheMapOnceAndTakesTheFuelOnce) {
  depart();
  Single topBeforeWarpOut = 0;
  int placeholderFrame = -1, nameFrame = -1;
  for (int k = 1; k <= 1000 && nameFrame < 0; ++k) {
    step(*player, Ft);
    if (w() < 10) topBeforeWarpOut = player->e;
    if (PendingMap == "lolprelim" && placeholderFrame < 0) {
      placeholderFrame = k;
      EXPECT_EQ(player->Fuel, 2000);
      EXPECT_GT(w(), 14);
      EXPECT_LT(w(), 20);
    }
    if (PendingMap == "away") nameFrame = k;
  }
  EXPECT_GT(topBeforeWarpOut, 1500);  // the climb passed 1500 before the warp out
  ASSERT_GT(placeholderFrame, 0);
  EXPECT_EQ(nameFrame, placeholderFrame + 1);
  EXPECT_EQ(player->Fuel, 1500);
  EXPECT_EQ(w(), 20);
  EXPECT_EQ(player->SecondaryTarget, -1);
  EXPECT_FLOAT_EQ(CShipLevelProbe::warpOutTimer(*player), 4.0f);
  EXPECT_TRUE(CShipLevelProbe::tunnelPending(*player));
  // placed at the edge, 30000 back along the heading (r 0 points along +y), at 2322 (the rest of
  // the movement step then adds the frame's drift)
  EXPECT_NEAR(player->e, 2322, 1);
  EXPECT_NEAR(player->y, -30000, 1);
  EXPECT_NEAR(std::hypot(player->x, player->y), 30000, 1);

  // The frame's end loads the map (done by the frame render); the ship finishes its arrival.
  PendingMap = "";
  step(*player, Ft);
  EXPECT_FALSE(CShipLevelProbe::tunnelPending(*player));
  EXPECT_TRUE(player->getTransWarp());
  int held = 1;
  while (CShipLevelProbe::warpOutTimer(*player) > 0 && held < 1000) {
    EXPECT_NEAR(player->e, 2322, 1);
    EXPECT_TRUE(player->keyThrust);
    EXPECT_EQ(gasAttendants(), 0);
    step(*player, Ft);
    ++held;
  }
  EXPECT_NEAR(held * Ft, 4.0, 2 * Ft);
  EXPECT_EQ(gasAttendants(), 1);  // the gas attendant waits on the landing by the gas station
  EXPECT_FALSE(player->keyThrust);
  // Warp in: four more seconds from 20 to 24, descending from 2322 by 290 x 8.
  World->DestNode = -1;
  int in = 0;
  while (w() > 0 && in < 1000) {
    step(*player, Ft);
    ++in;
  }
  EXPECT_NEAR(in * Ft, 4.0, 2 * Ft);
  EXPECT_NEAR(player->e, 2322 - 290 * 8, 30);
  EXPECT_LT(std::hypot(player->x, player->y), 30000 - 20000);
  EXPECT_EQ(player->Fuel, 1500);
}

TEST_F(WarpTest, ReleasingTheKeyBeforeTenCancels) {
  depart();
  for (int k = 0; k < 100; ++k) step(*player, Ft);
  ASSERT_GT(w(), 2);
  ASSERT_LT(w(), 10);
  player->keyWarp = false;
  step(*player, Ft);
  EXPECT_EQ(w(), 0);
  EXPECT_EQ(player->Fuel, 2000);
}

TEST_F(WarpTest, AnAiShipLeavesPlayAtFourteenAndIsNeverPlacedAtTheEdge) {
  CShip& ai = shipAt(3, 100, 200, 1600);
  ai.setAI();
  CShipLevelProbe::warpFrame(ai) = 13.9f;
  FrameTime = 0.2;
  CShipLevelProbe::doLeaveMap(ai);
  EXPECT_FALSE(ai.Exists);
  EXPECT_LT(std::hypot(ai.x, ai.y), 10000);
  EXPECT_EQ(PendingMap, "");
  EXPECT_EQ(spritesOfKind(skSpikeGlow), 1);
}

TEST_F(WarpTest, WarpInTakesFourSecondsFromWarpInToTheCentre) {
  CShip& ai = shipAt(3, 0, 0, 0);
  ai.r = 1.57f;
  ai.WarpIn();
  EXPECT_FLOAT_EQ(ai.e, 2320);
  EXPECT_NEAR(ai.x, -30000, 1);  // heading 1.57 points along +x
  EXPECT_NEAR(ai.y, 0, 1);
  FrameTime = 0.25;
  for (int k = 0; k < 15; ++k) CShipLevelProbe::doLeaveMap(ai);
  EXPECT_FLOAT_EQ(CShipLevelProbe::warpFrame(ai), 23.75f);
  CShipLevelProbe::doLeaveMap(ai);
  EXPECT_EQ(CShipLevelProbe::warpFrame(ai), 0);
}

TEST_F(WarpTest, ChainedHopsAlongTheRoute) {
  // A late line-up skips part of the climb: 31.5 -> (31 - 31.5) x 3 + 10 = 8.5.
  CShipLevelProbe::warpFrame(*player) = 31.5f;
  FrameTime = 0;
  CShipLevelProbe::doLeaveMap(*player);
  EXPECT_FLOAT_EQ(w(), 8.5f);
  // Lines up at once: the departure flies on and the state is kept between 5 and 13.
  CShipLevelProbe::warpFrame(*player) = 30.0f;
  CShipLevelProbe::doLeaveMap(*player);
  EXPECT_FLOAT_EQ(w(), 13.0f);

  struct Case {
    const char* what;
    Integer dest;
    Long fuel;
    bool locked;
    bool chained;
  };
  const Case cases[] = {
      {"route and fuel", 1, 500, false, true},
      {"499 fuel", 1, 499, false, false},
      {"no route", -1, 3000, false, false},
      {"a locked mission area", 1, 3000, true, false},
      {"a node without a map", 2, 3000, false, false},
  };
  for (const Case& c : cases) {
    CShipLevelProbe::warpFrame(*player) = 20.95f;
    World->DestNode = c.dest;
    player->Fuel = c.fuel;
    player->WarpTarget = "home";
    MissionControl->Reading = MissionControl->LockedArea = c.locked;
    FrameTime = 0.1;
    CShipLevelProbe::doLeaveMap(*player);
    EXPECT_NEAR(w(), c.chained ? 30 : 21.05, 1e-4) << c.what;
    EXPECT_EQ(player->WarpTarget, c.chained ? "away" : "home") << c.what;
  }
  EXPECT_TRUE(logged("No map to warp to: \\maps\\gone.pnd: File not found"));
}

TEST_F(WarpTest, AMapThatCannotBeLoadedStopsTheDepartureBeforeTheFuel) {
  player->WarpTarget = "gone";  // set past the start's check (the file went missing since)
  CShipLevelProbe::warpFrame(*player) = 14.5f;
  PendingMap = "lolprelim";
  step(*player, Ft);
  EXPECT_EQ(PendingMap, "");
  EXPECT_EQ(w(), 0);
  EXPECT_EQ(player->Fuel, 2000);
  EXPECT_EQ(CShipLevelProbe::warpOutTimer(*player), 0);
  EXPECT_TRUE(logged("No map to warp to: \\maps\\gone.pnd: File not found"));
  // a damaged file counts as none
  dir.write("\\maps\\gone.pnd", "\"Gone\"\r\n0,0,0\r\n");
  EXPECT_FALSE(CMap::checkMapFile("gone"));
  EXPECT_TRUE(CMap::checkMapFile("away"));
}

TEST_F(WarpTest, TheCarrierStaysBehindAtTheNodeLeft) {
  MotherPlayer = std::make_shared<CPlayer>();
  CShip& carrier = shipAt(1, 3000, 0, 50, sbCapital);
  carrier.Fuel = 1234;
  MotherShip = 1;
  depart();
  CShipLevelProbe::warpFrame(*player) = 14.5f;
  PendingMap = "lolprelim";
  step(*player, Ft);
  EXPECT_EQ(PendingMap, "away");
  EXPECT_EQ(MotherShip, -1);
  EXPECT_EQ(MotherNodePath, "home");
  EXPECT_EQ(MotherNodeTitle, "Home");
  EXPECT_EQ(MotherPlayer->Fuel, 1234);
}

TEST_F(WarpTest, LeavingALockedMissionAreaFailsTheMission) {
  MissionControl->Reading = MissionControl->LockedArea = true;
  depart();
  CShipLevelProbe::warpFrame(*player) = 9.99f;
  step(*player, Ft);
  EXPECT_FALSE(MissionControl->Reading);
  EXPECT_GE(w(), 10);  // the departure goes on
}

TEST_F(WarpTest, ExplodingWarpTurnsTheSkyAndEndsWithTheArrival) {
  player->ExplodingWarp = true;
  CShipLevelProbe::warpOutTimer(*player) = 0.01f;
  CShipLevelProbe::warpFrame(*player) = 20;
  FrameTime = 0.02;
  CShipLevelProbe::doLeaveMap(*player);
  EXPECT_FALSE(player->ExplodingWarp);
  EXPECT_EQ(CurMap->MapWeather, 2);
  EXPECT_EQ(CurMap->getRed(), 80);
  EXPECT_FLOAT_EQ(CamShake, 2.0f);
}
