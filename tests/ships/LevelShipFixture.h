// Fixture of the landing, warp and wreck tests: the flight fixture plus a level around the
// player's ship: structure definitions with known boxes, the map "home" (a landing pad at the
// origin, its top at height -200, a service structure beside it in slot 1, a gas station in slot
// 2) and the map "away"; a world of three nodes, "home" linked to "away" and to "gone", whose map
// file does not exist; mission control; 23 plain designs; and the private state of ships through
// CShipLevelProbe.
#pragma once
#include <array>
#include <string>

#include "campaign/CMissionControl.h"
#include "campaign/CWorld.h"
#include "game/CameraMod.h"
#include "ships/CShipDef.h"
#include "tests/ships/FlightFixture.h"

struct CShipLevelProbe {
  static Single& warpFrame(CShip& s) { return s.warpFrame; }
  static Single& warpOutTimer(CShip& s) { return s.warpOutTimer; }
  static bool& tunnelPending(CShip& s) { return s.tunnelPending; }
  static Integer& landingPad(CShip& s) { return s.landingPad; }
  static Integer& tractorTarget(CShip& s) { return s.tractorTarget; }
  static Single& sparkVal(CShip& s) { return s.sparkVal; }
  static Single& deathThroes(CShip& s) { return s.deathThroes; }
  static Single& maxFuel(CShip& s) { return s.maxFuel; }
  // Body extents: size = width + height + depth.
  static void setExtents(CShip& s, Single width, Single height, Single depth) {
    s.width = width;
    s.height = height;
    s.depth = depth;
    s.shipSize = width + height + depth;
  }
  static Long meetMode(CShip& s) { return s.meetValue; }
  static void checkNearLanding(CShip& s) { s.checkNearLanding(); }
  static Integer findWreckNear(CShip& s) { return s.findWreckNear(); }
  static void doLanding(CShip& s) { s.doLanding(); }
  static void doLeaveMap(CShip& s) { s.doLeaveMap(); }
  static void updateWreck(CShip& s) { s.updateWreck(); }
  static void Explode(CShip& s) { s.Explode(); }
  static bool checkShipCollisions(CShip& s, Single oldX, Single oldE, Single oldY) {
    bool touched = false;
    s.checkShipCollisions(oldX, oldE, oldY, touched);
    return touched;
  }
};

struct CInterfaceLevelProbe {
  static Single waitTimer(const CInterface& gi) { return gi.waitTimer; }
};

class LevelShipTest : public FlightTest {
 protected:
  static constexpr Integer Pad = 0, Service = 1, GasStation = 2;
  static constexpr Single PadTop = -200;

  void SetUp() override;
  void TearDown() override;
  // The home map with the service structure of definition serviceDef (-1 none) in slot 1.
  void loadHome(Long serviceDef);
  // Ships(i) ready with the design of body type body, at (x, y), height e.
  CShip& shipAt(Integer i, Single x, Single y, Single e, Long body = sbCar);
  // Frames of the movement step of ship s until pred holds or limit frames passed; the count.
  template <class P>
  int stepUntil(CShip& s, double ft, int limit, P pred) {
    for (int k = 1; k <= limit; ++k) {
      step(s, ft);
      if (pred()) return k;
    }
    return -1;
  }
};
