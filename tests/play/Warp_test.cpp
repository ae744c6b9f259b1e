// A warp in the real main loop: the player's ship over "losgatos" with the world map's route set
// to the next node, "zomflats", holds the action key; the ship climbs, warps out, the map changes
// at the end of a frame (one placeholder frame first), the ship arrives through the tunnel and
// warps in over the new map, then lands on a pad there and the structure's screen opens. A fixed
// 17 ms frame time (a fake clock), headless on Mesa.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/GameRunFixture.h"

namespace {
// The screen a landing next to a structure of StructType t opens (0 when it opens none).
Long screenOf(Long t) {
  switch (t) {
    case structParts:
      return 2;
    case structRestaurant:
      return 3;
    case structGas:
      return 6;
    case structShips:
      return 5;
    case structShopping:
      return 4;
    case structAmmo:
      return 7;
    case structHut:
      return 8;
    case structBank:
      return 9;
    case structMControl:
      return 18;
    default:
      return 0;
  }
}

class WarpGameTest : public GameRunTest {};
}  // namespace

TEST_F(WarpGameTest, WarpsToTheNextNodeAndLandsThere) {
  FakeGameClock clock;
  Integer actionKey = 0;
  Integer fromNode = -1, toNode = -1;
  Long fuelAtStart = 0;
  int placeholderPass = -1, changePass = -1, arrivedPass = -1, landPass = -1;
  Single topOfClimb = 0;
  bool populated = false;
  std::string mapAfterChange;
  Integer nodeAfterChange = -1;
  Long expectedScreen = -1;
  Long screen = -1;
  Single arrivalHeight = 0;

  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    if (pass == 1) {
      // Play at "losgatos" as the main menu starts it, with the route set to "zomflats".
      ScreenFxOn = false;
      GameInterface->Window = 0;
      fromNode = World->getNodeFromPath("losgatos");
      toNode = World->getNodeFromPath("zomflats");
      World->CurrentNode = fromNode;
      CurMap->MapName = "losgatos";
      ASSERT_TRUE(CurMap->Load());
      resetLevel();
      World->DestNode = toNode;
      CShip& p = *Ships[0];
      p.Exists = true;
      p.x = -2500;
      p.y = 3500;
      p.e = 0;
      p.r = 0;
      if (p.Fuel < 1000) p.Fuel = 1000;
      fuelAtStart = p.Fuel;
      actionKey = Player->getCharKey(8);
      return;
    }
    CShip& p = *Ships[0];
    if (pass == 3) {
      EXPECT_EQ(GameInterface->iAction, 1) << "hyperspace is offered in open space with a route";
      w.postKeyDown(actionKey);
    }
    if (p.getRealWarp() > 0 && p.getRealWarp() < 10) topOfClimb = std::max(topOfClimb, p.e);
    if (p.getRealWarp() > 11 && p.keyWarp) w.postKeyUp(actionKey);  // past 10 the warp goes on by itself
    if (PendingMap == "lolprelim" && placeholderPass < 0) {
      placeholderPass = static_cast<int>(pass);
      EXPECT_EQ(p.Fuel, fuelAtStart);
      EXPECT_EQ(CurMap->MapName, "losgatos");
    }
    if (placeholderPass > 0 && changePass < 0 && CurMap->MapName == "zomflats") {
      changePass = static_cast<int>(pass);
      mapAfterChange = CurMap->MapName;
      nodeAfterChange = World->CurrentNode;
      for (size_t i = 1; i < Ships.size(); ++i)
        if (Ships[i] && Ships[i]->Exists) populated = true;
    }
    if (changePass > 0 && arrivedPass < 0 && p.getRealWarp() == 0) {
      arrivedPass = static_cast<int>(pass);
      arrivalHeight = p.e;
      // Over the landing pad nearest the map's centre, at rest: the pad is offered, then held.
      Integer pad = -1;
      double best = 1e9;
      for (Integer i = 0; i < MapSlots; ++i) {
        if (CurMap->getStructDef(i) < 0 || CurMap->getStructType(i) != structLanding) continue;
        const D3DVECTOR l = CurMap->getStructPos(i);
        const double d = std::hypot(l.x, l.z);
        if (d < best) {
          best = d;
          pad = i;
        }
      }
      ASSERT_GE(pad, 0) << "zomflats has a landing pad";
      const D3DVECTOR lo = CurMap->getStructLBounds(pad), hi = CurMap->getStructUBounds(pad);
      p.x = (lo.x + hi.x) / 2;
      p.y = (lo.z + hi.z) / 2;
      p.e = hi.y + 40;
      p.Speed = p.xM = p.yM = p.eM = 0;
      expectedScreen = screenOf(CurMap->getStructType(CurMap->getCloseLanding(pad)));
      landPass = static_cast<int>(pass) + 2;
    }
    if (landPass > 0 && static_cast<int>(pass) == landPass) {
      EXPECT_EQ(GameInterface->iAction, 2) << "the pad is offered";
      w.postKeyDown(actionKey);
    }
    if (landPass > 0 && static_cast<int>(pass) == landPass + 90) {  // 1.5 s with the key held
      screen = GameInterface->Window;
      w.postKeyUp(actionKey);
      GameRunning = false;
    }
    if (pass > 3000) GameRunning = false;
  };
  frmMain.Form_Load();

  EXPECT_GT(topOfClimb, 1500);
  ASSERT_GT(placeholderPass, 0) << "the warp reached the map change";
  EXPECT_EQ(changePass, placeholderPass + 1) << "the map name follows the placeholder by one frame";
  EXPECT_EQ(mapAfterChange, "zomflats");
  EXPECT_EQ(nodeAfterChange, toNode);
  EXPECT_EQ(World->DestNode, -1);
  EXPECT_TRUE(populated) << "the new map's population spawned";
  EXPECT_TRUE(Player->checkMappedLoc("zomflats"));
  ASSERT_GT(arrivedPass, 0);
  // 4 s held at the edge, then 4 s of warp in: about 470 frames of 17 ms
  EXPECT_NEAR((arrivedPass - changePass) * 0.017, 8.0, 0.2);
  EXPECT_NEAR(arrivalHeight, 2, 60);
  EXPECT_EQ(Ships[0]->Fuel, fuelAtStart - 500);
  EXPECT_EQ(screen, expectedScreen);
  if (expectedScreen == 0) {
    EXPECT_EQ(Ships[0]->LandingFrame, 1001);
  }
}

TEST_F(WarpGameTest, AMapThatFailsToLoadKeepsTheNodeAndTheLevel) {
  FakeGameClock clock;
  dir->write("\\maps\\broken.pnd", "\"Broken\"\r\n0,0,0\r\n");  // ends after its second line
  Integer node = -1, nodeAfter = -2;
  std::shared_ptr<CShip> someShip;
  bool sameShip = false;
  std::string mapAfter;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass == 1) {
      ScreenFxOn = false;
      GameInterface->Window = 0;
      World->CurrentNode = node = World->getNodeFromPath("losgatos");
      World->DestNode = World->getNodeFromPath("zomflats");
      CurMap->MapName = "losgatos";
      ASSERT_TRUE(CurMap->Load());
      resetLevel();
      Ships[0]->Exists = true;
      someShip = Ships[1];
      PendingMap = "broken";  // as a warp hands it over
    } else if (pass == 2) {
      mapAfter = CurMap->MapName;
      nodeAfter = World->CurrentNode;
      sameShip = Ships[1] == someShip;
      GameRunning = false;
    }
  };
  frmMain.Form_Load();
  EXPECT_EQ(mapAfter, "losgatos");
  EXPECT_EQ(nodeAfter, node);
  EXPECT_TRUE(sameShip) << "no level reset without a new map";
  EXPECT_EQ(PendingMap, "");
}
