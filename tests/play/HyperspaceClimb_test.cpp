// A warp's climb and the structures over it, in the real main loop on the shipped "losgatos":
// under the low building whose box hangs between heights 900 and 1300, hyperspace is not offered
// (holding the action key there starts no climb into it); a departure that comes under it anyway
// ends, told on screen; and an AI ship sent away from under it flies out and leaves the map.
// The tests put ships under the building by setting their positions and plan the route on the
// world map by its calls (they show less than play); the keys are real.
#include <gtest/gtest.h>

#include <string>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"

namespace {

constexpr Long actHyperspace = 1;
constexpr Long ActionKey = 8;

// The slot of the map's lowest box that hangs above the height band (its bottom above 500 and below
// the warp's climb), -1 none.
Integer lowRoof() {
  Integer found = -1;
  for (Integer i = 0; i < 32; ++i) {
    if (CurMap->getStructDef(i) < 0) continue;
    const Single bottom = CurMap->getStructYMin(i);
    if (bottom > 500 && bottom < 1500 && (found < 0 || bottom < CurMap->getStructYMin(found))) found = i;
  }
  return found;
}

// The point on the ground under the middle of the slot's box.
D3DVECTOR under(Integer slot) {
  const D3DVECTOR l = CurMap->getStructLBounds(slot), u = CurMap->getStructUBounds(slot);
  return D3DVECTOR{(l.x + u.x) / 2, 0, (l.z + u.z) / 2};
}

// Stands the player's ship still at ground point p, at height 0.
void standAt(const D3DVECTOR& p) {
  CShip& s = *Ships[0];
  s.x = p.x;
  s.y = p.z;
  s.e = 0;
  s.xM = s.yM = s.eM = 0;
  s.Speed = 0;
  s.Pitch = 0;
}

bool logShows(const std::string& part) {
  for (Integer i = 0; i < MsgCount; ++i)
    if (MsgLog[static_cast<size_t>(i)].find(part) != std::string::npos) return true;
  return false;
}

class HyperspaceClimbTest : public GameRunTest {
 protected:
  // Runs the script once per frame from the first frame of flight until it returns false (or
  // 2000 frames of 100 ms).
  template <typename Script>
  void fly(Script script) {
    FakeGameClock clock;
    clock.step = 100;
    bool started = false;
    frmMain.afterFrameForTests = [&](Long pass) {
      if (!scriptInPlay(pass, 2000)) return;
      if (!started) {
        started = true;
        if (!startFlight()) ADD_FAILURE() << "losgatos did not load";
        roof = lowRoof();
        if (roof < 0) ADD_FAILURE() << "losgatos has no low building to fly under";
        World->CurrentNode = World->getNodeFromPath("losgatos");
        World->ClearDest();
        // A route to the first linked node, as a click on it on the world map plans it.
        for (Integer n = 0; n <= World->getTotalNodes(); ++n)
          if (World->DestNode < 0 && World->isLinkOpen(World->CurrentNode, n)) World->PickNode(n);
        if (roof < 0 || World->DestNode < 0) {
          ADD_FAILURE() << "no route from losgatos";
          GameRunning = false;
        }
        return;
      }
      ++frames;
      if (!script()) GameRunning = false;
    };
    frmMain.Form_Load();
  }
  Integer roof = -1;
  Long frames = 0;
};

}  // namespace

TEST_F(HyperspaceClimbTest, UnderALowBuildingHyperspaceIsNotOfferedAndTheKeyClimbsNoWhere) {
  Long offeredUnder = -1, offeredOpen = -1;
  Single highestWarp = 0, eUnder = 0, warpOpen = 0;
  D3DVECTOR open{};
  Long phase = 0, since = 0;
  fly([&] {
    CShip& s = *Ships[0];
    GameWindow& w = frmMain.window();
    const Integer key = Player->getCharKey(ActionKey);
    ++since;
    switch (phase) {
      case 0:  // still under the middle of the building
        standAt(under(roof));
        if (since == 3) {
          offeredUnder = GameInterface->iAction;
          w.postKeyDown(key);
          phase = 1;
          since = 0;
        }
        return true;
      case 1:  // the key held there for 10 s
        if (s.getRealWarp() > highestWarp) highestWarp = s.getRealWarp();
        if (since < 100) return true;
        eUnder = s.e;
        w.postKeyUp(key);
        // Open ground beside the building (its box's edge plus 800 along x).
        open = D3DVECTOR{CurMap->getStructUBounds(roof).x + 800, 0, under(roof).z};
        phase = 2;
        since = 0;
        return true;
      case 2:
        standAt(open);
        if (since == 3) {
          offeredOpen = GameInterface->iAction;
          w.postKeyDown(key);
          phase = 3;
          since = 0;
        }
        return true;
      default:  // the same key in the open climbs into the warp-out
        warpOpen = s.getRealWarp();
        if (warpOpen >= 10 || since > 100) {
          w.postKeyUp(key);
          return false;
        }
        return true;
    }
  });
  EXPECT_NE(offeredUnder, actHyperspace) << "hyperspace offered under the building";
  EXPECT_EQ(highestWarp, 0) << "holding the key under the building started a departure";
  EXPECT_LT(eUnder, CurMap->getStructYMin(roof) - 200) << "the ship rose into the building";
  EXPECT_EQ(offeredOpen, actHyperspace) << "no hyperspace beside the building";
  EXPECT_GE(warpOpen, 10) << "the climb in the open did not reach the warp-out";
}

TEST_F(HyperspaceClimbTest, ADepartureThatComesUnderALowBuildingEndsAndSaysSo) {
  // The ship is moved under the building while it lines up (a departure drifting under it).
  Long phase = 0, since = 0;
  Single warpAfter = -1, highestAfter = 0;
  bool told = false, keyLeft = true;
  fly([&] {
    CShip& s = *Ships[0];
    GameWindow& w = frmMain.window();
    const Integer key = Player->getCharKey(ActionKey);
    ++since;
    switch (phase) {
      case 0:
        standAt(D3DVECTOR{CurMap->getStructUBounds(roof).x + 800, 0, under(roof).z});
        if (since == 3) {
          w.postKeyDown(key);
          phase = 1;
        }
        return true;
      case 1:
        if (s.getRealWarp() < 1.3f) return since < 100;
        standAt(under(roof));
        phase = 2;
        since = 0;
        return true;
      default:
        if (since == 2) {
          warpAfter = s.getRealWarp();
          told = logShows("No room overhead");
          keyLeft = s.keyWarp;
        }
        if (s.getRealWarp() > highestAfter) highestAfter = s.getRealWarp();
        if (since < 60) return true;
        w.postKeyUp(key);
        return false;
    }
  });
  EXPECT_EQ(phase, 2) << "the departure never started";
  EXPECT_EQ(warpAfter, 0) << "the departure went on under the building";
  EXPECT_EQ(highestAfter, 0) << "a departure started again under the building";
  EXPECT_TRUE(told) << "the end of the departure was not told";
  EXPECT_FALSE(keyLeft) << "the held key still asks for the warp";
}

TEST_F(HyperspaceClimbTest, AnAIShipSentAwayFromUnderALowBuildingFliesOutAndLeaves) {
  // The level's state is held at 4, what a mission's "clearout" sets (no mission runs here, so the
  // map would recompute it every second): every untagged AI ship waits a moment, then leaves.
  Integer ship = -1;
  Single highestWarp = 0;
  bool gone = false;
  fly([&] {
    SceneEvent = 4;
    if (ship < 0) {
      const D3DVECTOR p = under(roof);
      CurMap->MissionSpawn("misc_trader", "", p.x, p.z, -1);
      for (Integer i = 1; i < static_cast<Integer>(Ships.size()); ++i) {
        const CShip* s = Ships[i].get();
        if (s && s->Exists && s->x == p.x && s->y == p.z) ship = i;
      }
      EXPECT_GE(ship, 0) << "no ship spawned under the building";
      return ship >= 0;
    }
    const CShip& s = *Ships[ship];
    if (!s.Exists) {
      gone = true;
      return false;
    }
    if (s.getRealWarp() > highestWarp) highestWarp = s.getRealWarp();
    return frames < 300;  // 30 s
  });
  EXPECT_TRUE(gone) << "the ship is still on the map, warp state " << (ship >= 0 ? Ships[ship]->getRealWarp() : -1)
                    << ", highest " << highestWarp;
}
