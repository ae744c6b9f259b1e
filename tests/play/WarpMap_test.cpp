// The warp map in the real main loop: in flight over "losgatos" the player presses the warp-map
// key, moves the pointer onto a neighbouring node where the map draws it (its map position less
// the map's scroll), clicks it, closes the map with the same key and holds the action key; the
// ship warps and arrives at that node's map. A fixed 17 ms frame time (a fake clock), headless.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

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
class WarpMapGameTest : public GameRunTest {};

enum class Step { Open, Point, Release, Close, Warp, Done };
}  // namespace

TEST_F(WarpMapGameTest, APickedNodeIsWhereTheShipWarpsTo) {
  FakeGameClock clock;
  Integer mapKey = 0, actionKey = 0, home = -1, target = -1;
  Single targetX = 0, targetY = 0;  // where the map draws the target node this frame
  Step step = Step::Open;
  long stepPass = 0;
  bool opened = false, picked = false, closed = false;
  Integer destAfterClose = -2;
  std::string mapAtEnd;
  Integer nodeAtEnd = -1;

  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    if (pass == 1) {
      ScreenFxOn = false;
      GameInterface->Window = 0;
      home = World->getNodeFromPath("losgatos");
      World->CurrentNode = home;
      World->ClearDest();
      CurMap->MapName = "losgatos";
      ASSERT_TRUE(CurMap->Load());
      resetLevel();
      // The first node open from home that is not home.
      for (Integer n = 0; n <= World->getTotalNodes() && target < 0; ++n)
        if (n != home && World->isLinkOpen(home, n)) target = n;
      ASSERT_GE(target, 0) << "losgatos has an open neighbour";
      CShip& p = *Ships[0];
      p.Exists = true;
      p.x = -2500;
      p.y = 3500;
      p.e = 0;
      if (p.Fuel < 1000) p.Fuel = 1000;
      mapKey = Player->getCharKey(9);
      actionKey = Player->getCharKey(8);
      return;
    }
    const long since = pass - stepPass;
    switch (step) {
      case Step::Open:
        if (pass == 3) {  // a tap: pressed and released within one frame's events
          w.postKeyDown(mapKey);
          w.postKeyUp(mapKey);
        }
        if (pass > 4 && GameInterface->hasMouse()) {
          opened = true;
          step = Step::Point;
          stepPass = pass;
        }
        break;
      case Step::Point:
        // The pointer started in the edge band, which scrolls the map: follow the node.
        targetX = World->getNodeX(target) - World->ScrollX;
        targetY = World->getNodeY(target) - World->ScrollY;
        // One motion at a time: the pointer takes it up at the next frames.
        if (std::fabs(PointerX - targetX) > 1 || std::fabs(PointerY - targetY) > 1) {
          if (since % 4 == 0) w.postMouseMotion(targetX - PointerX, targetY - PointerY);
        } else if (since > 20) {  // fully open by now (0.2 s)
          w.postMouseDown(1, PointerX, PointerY);
          step = Step::Release;
          stepPass = pass;
        }
        break;
      case Step::Release:
        if (since == 2) {
          w.postMouseUp(1, PointerX, PointerY);
          picked = World->DestNode == target;
        }
        if (since == 4) {
          w.postKeyDown(mapKey);
          step = Step::Close;
          stepPass = pass;
        }
        break;
      case Step::Close:
        if (since == 1) w.postKeyUp(mapKey);
        if (since > 2 && !GameInterface->hasMouse()) {
          closed = true;
          destAfterClose = World->DestNode;
          step = Step::Warp;
          stepPass = pass;
        }
        break;
      case Step::Warp:
        if (since == 3) w.postKeyDown(actionKey);
        if (Ships[0]->getRealWarp() > 11 && Ships[0]->keyWarp) w.postKeyUp(actionKey);
        if (World->CurrentNode != home) {
          mapAtEnd = CurMap->MapName;
          nodeAtEnd = World->CurrentNode;
          step = Step::Done;
          GameRunning = false;
        }
        break;
      case Step::Done:
        break;
    }
    if (pass > 2500) GameRunning = false;
  };
  frmMain.Form_Load();

  ASSERT_TRUE(opened) << "the warp map opened";
  EXPECT_TRUE(picked) << "the click on the node planned the route";
  ASSERT_TRUE(closed) << "the same key closed the map";
  EXPECT_EQ(destAfterClose, target);
  EXPECT_EQ(nodeAtEnd, target);
  EXPECT_EQ(mapAtEnd, World->getNodePath(target));
  EXPECT_EQ(World->DestNode, -1);
}
