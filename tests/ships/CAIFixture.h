// Shared by the pilot tests: the level fixture (a pad at the origin, a world of three nodes,
// mission control) plus a tall wall definition, AI-driven ships by unit type, and the pilot's
// private state and steering operations through CAIProbe.
#pragma once
#include <string>

#include "ships/CAI.h"
#include "tests/ships/LevelShipFixture.h"
#include "tests/ships/WeaponFixture.h"

struct CAIProbe {
  static Single& goalX(CAI& a) { return a.goalX; }
  static Single& goalE(CAI& a) { return a.goalE; }
  static Single& goalY(CAI& a) { return a.goalY; }
  static void setGoal(CAI& a, Single x, Single e, Single y) {
    a.goalX = x;
    a.goalE = e;
    a.goalY = y;
  }
  static Single& engageTime(CAI& a) { return a.engageTime; }
  static Integer& prevTarget(CAI& a) { return a.prevTarget; }
  static bool& outOfAmmo(CAI& a) { return a.outOfAmmo; }
  static Single& leaveTime(CAI& a) { return a.leaveTime; }
  static Single& evalTime(CAI& a) { return a.evalTime; }
  static Single& secondaryWait(CAI& a) { return a.secondaryWait; }
  static Single& clearShotWait(CAI& a) { return a.clearShotWait; }
  static bool& bigBody(CAI& a) { return a.bigBody; }
  static Integer& avoidWait(CAI& a) { return a.avoidWait; }
  static bool isNearGoal(CAI& a, Single d) { return a.isNearGoal(d); }
  static Single flyTo(CAI& a, Single px, Single py) { return a.flyTo(px, py); }
  static Single turnToward(CAI& a) { return a.turnToward(); }
  static bool probeAhead(CAI& a) { return a.probeAhead(); }
  static std::pair<Single, Single> PredictCollision(CAI& a, Single lookAhead) {
    const CAI::Avoid v = a.PredictCollision(lookAhead);
    return {v.turn, v.pitch};
  }
  static void doFireControl(CAI& a, Integer t) { a.doFireControl(t); }
};

class AITest : public LevelShipTest {
 protected:
  static constexpr Long WallDef = 3;  // a box 200 x 2000 x 200 standing from -1000 to 1000

  void SetUp() override {
    LevelShipTest::SetUp();
    std::string wall = "\"Wall\"\r\n\"box\"\r\n\"box\"\r\n1,1,1\r\n0\r\n0\r\n";
    for (int i = 0; i < 16; ++i) wall += "0,0,0\r\n0\r\n";
    wall += "100,1000,100\r\n-100,-1000,-100\r\n3\r\n";
    dir.write(std::string("\\structures\\") + StructDefFiles[WallDef] + ".pnd", wall);
    CurMap->LoadStructDefs();
  }
  // Structure slot i becomes a wall standing at ground point (x, y).
  static void wallAt(Integer i, Single x, Single y) {
    CurMap->setStructDef(i, WallDef);
    CurMap->setStructPos(i, x, 0, y);
  }
  // Ships(i) at (x, y), height e, driven by a pilot of the unit type.
  CShip& pilotShip(Integer i, Long unit, Single x = 0, Single y = 0, Single e = 0, Long body = sbCar) {
    CShip& s = shipAt(i, x, y, e, body);
    s.setAI();
    s.setAIType(unit);
    return s;
  }
  static CAI& pilot(CShip& s) { return CShipFlightProbe::pilot(s); }
  // Frames of the pilot's decision step alone (the ship does not move).
  static void think(CShip& s, double ft, int frames = 1) {
    FrameTime = ft;
    for (int k = 0; k < frames; ++k) pilot(s).Move();
  }
};
