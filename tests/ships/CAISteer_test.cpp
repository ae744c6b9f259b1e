// Pilot steering and fire control: the strict goal square, flyTo's probe and its detour around a
// structure (and no probe for a point under 50 units away), the look-ahead's turn from a wall
// across either ground axis and its pitch from a top face, the ship's wall nudge across either
// ground axis and its way to the pilot on the next frame, a ship flown by its pilot around a wall
// to a pad behind it, and the fire control's windows, weapon switching and goal point.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/FuncMod.h"
#include "tests/ships/CAIFixture.h"

using A = CAIProbe;

namespace {
class SteerTest : public AITest {
 protected:
  // A pilot at the origin heading +x (1.57) and a hostile target d units ahead, turned angle
  // radians off the nose (positive toward -y), at the same height.
  CShip& aimAt(Single d, Single angle = 0, Long body = sbCar) {
    CShip& s = pilotShip(1, 0, 0, 0, 0, body);
    s.r = 1.57f;
    pilotShip(2, 10, d * std::cos(angle), -d * std::sin(angle), 0);
    s.setAIHostile(2, true);
    A::avoidWait(pilot(s)) = 100;  // no structure probe
    FrameTime = 0.02;
    return s;
  }
  static void clearFire(CAI& a) { a.keyPrimary = a.keySecondary = false; }
  // A pilot moving 100 units a second on heading toward the wall (the only structure, centred at
  // wallX, wallY), standing 350 short of it along the axis it crosses.
  CShip& headingAtWall(Single heading, Single wallX, Single wallY) {
    CurMap->setStructDef(3, -1);
    wallAt(3, wallX, wallY);
    const Single sx = wallX == 0 ? 0 : wallX - 350;
    const Single sy = wallY == 0 ? 0 : wallY > 0 ? wallY - 350 : wallY + 350;
    CShip& s = pilotShip(1, 0, sx, sy, 0);
    s.r = heading;
    s.xM = static_cast<Single>(100 * std::cos(heading - 1.57));
    s.yM = static_cast<Single>(-100 * std::sin(heading - 1.57));
    return s;
  }
  // The ship's way along the axis a wall across x (or else y) makes it cross, for a heading.
  static double wayAcross(double heading, bool wallAcrossX) {
    return wallAcrossX ? std::fabs(std::sin(heading)) : std::fabs(std::cos(heading));
  }
};
}  // namespace

TEST_F(SteerTest, TheGoalSquareIsStrict) {
  CShip& s = pilotShip(1, 0, 100, -40);
  A::setGoal(pilot(s), 0, 0, 0);
  EXPECT_FALSE(A::isNearGoal(pilot(s), 100));
  EXPECT_TRUE(A::isNearGoal(pilot(s), 100.5f));
  s.e = 5000;  // height is not considered
  EXPECT_TRUE(A::isNearGoal(pilot(s), 100.5f));
}

TEST_F(SteerTest, FlyToSteersForTheWallsCornerAndSkipsProbesAfterAClearOne) {
  CShip& s = pilotShip(1, 0, 0, 0, 0);
  s.r = 0;  // heading +y: the point ahead gives no turn
  CAI& a = pilot(s);
  A::avoidWait(a) = -1;
  EXPECT_NEAR(A::flyTo(a, 0, 3000), 0, 0.01);
  EXPECT_GE(A::avoidWait(a), 3);  // a clear probe rests for 3..7 calls
  EXPECT_LE(A::avoidWait(a), 7);

  // A wall across the way: the turn is five times the turn toward a corner of its box grown by
  // the probe radius (100 for a ship without extent).
  wallAt(3, 0, 1500);
  A::avoidWait(a) = -1;
  const Single turn = A::flyTo(a, 0, 3000);
  const Single toLeft = 5 * getHunt(0, 0, -200, 1300, 1.57f);
  const Single toRight = 5 * getHunt(0, 0, 200, 1300, 1.57f);
  EXPECT_TRUE(std::fabs(turn - toLeft) < 1e-3 || std::fabs(turn - toRight) < 1e-3) << turn;
  EXPECT_EQ(A::avoidWait(a), -1);  // still blocked: probes again next call

  // Resting after a clear probe: the wall is not seen for those calls.
  A::avoidWait(a) = 2;
  EXPECT_NEAR(A::flyTo(a, 0, 3000), 0, 0.01);
  EXPECT_EQ(A::avoidWait(a), 1);

  // A point under 50 units away is never probed, even with the ship inside the wall.
  s.y = 1500;
  A::avoidWait(a) = -1;
  A::flyTo(a, 30, 1500);
  EXPECT_EQ(A::avoidWait(a), -1);
}

TEST_F(SteerTest, TheLookAheadTurnsAlongAWallAcrossEitherGroundAxisAndPitchesOffATop) {
  struct Case {
    Single heading;
    Single wallX, wallY;  // wall centre; the ship stands 350 short of it along the crossed axis
    Single turn;
  };
  const Case cases[] = {
      {0.3f, 0, 1000, -1},    // mostly +y into a wall across y: turn toward +x (heading up)
      {1.2f, 1000, 0, 1},     // mostly +x into a wall across x: turn toward +y (heading down)
      {2.0f, 1000, 0, -1},    // odd quarter, +x and -y: heading up, toward -y
      {3.5f, 0, -1000, -1},   // mostly -y into a wall across y, third quarter: toward -x
      {0.3f, 1000, 0, 0},     // never reached: the ship runs along the wall
  };
  for (const Case& c : cases) {
    CShip& s = headingAtWall(c.heading, c.wallX, c.wallY);
    s.Speed = 100;
    FrameTime = 0.01;  // the probe moves 100 units
    const auto [turn, pitch] = A::PredictCollision(pilot(s), 0);
    EXPECT_EQ(turn, c.turn) << c.heading;
    EXPECT_EQ(pitch, 0) << c.heading;
    // Steering by the turn moves the heading away from the wall: the ship's way along the
    // crossed axis shrinks.
    if (c.turn != 0) {
      const double h = c.heading + 0.1 * c.turn * -1;  // SteeringGoal -= 100 turn; r grows with Steering
      EXPECT_LT(wayAcross(h, c.wallX != 0), wayAcross(c.heading, c.wallX != 0)) << c.heading;
    }
  }

  // Sinking onto the top of a low block (the parts shop, 0..100 above its location): pitch up.
  CurMap->setStructDef(3, -1);
  CurMap->setStructDef(4, 0);
  CurMap->setStructPos(4, 0, -600, 0);
  CShip& s = pilotShip(1, 0, 0, 0, -350);
  s.r = 1.57f;
  s.Pitch = 0.2f;
  s.Speed = 100;
  s.eM = -100;
  FrameTime = 0.01;
  const auto [turn, pitch] = A::PredictCollision(pilot(s), 0);
  EXPECT_EQ(turn, 0);
  EXPECT_EQ(pitch, -1);
}

TEST_F(SteerTest, TheWallNudgeTurnsAlongAWallAcrossEitherGroundAxisAndReachesThePilot) {
  struct Case {
    Single heading;
    Single wallX, wallY;  // wall centre; the ship stands 350 short of it along the crossed axis
    Single unstick;
  };
  const Case cases[] = {
      {0.3f, 0, 1000, -20},   // mostly +y into a wall across y
      {1.2f, 1000, 0, 20},    // mostly +x into a wall across x
      {2.0f, 1000, 0, -20},   // odd quarter, +x and -y
      {3.5f, 0, -1000, -20},  // mostly -y into a wall across y, third quarter
      {0.3f, 1000, 0, 0},     // never reached: the ship runs along the wall
  };
  for (const Case& c : cases) {
    CShip& s = headingAtWall(c.heading, c.wallX, c.wallY);
    FrameTime = 0.05;  // twenty frames ahead: 100 units
    Single ahead = 0;
    s.AINudge(ahead);
    EXPECT_EQ(s.Unstick, c.unstick) << c.heading;
    EXPECT_EQ(s.UnstickY, 0) << c.heading;  // the wall reaches far above and below
    // The pilot steers by -5 x Unstick; the heading grows with the steering: the ship's way
    // along the crossed axis shrinks.
    if (c.unstick != 0) {
      const double h = c.heading + (c.unstick > 0 ? -0.1 : 0.1);
      EXPECT_LT(wayAcross(h, c.wallX != 0), wayAcross(c.heading, c.wallX != 0)) << c.heading;
    }
  }

  // In flight: the nudge the pilot's look-ahead finds outlasts the ship's step, the pilot steers
  // by it on the next frame, and that step ends it. The ship keeps its velocity (no grip) and has
  // no speed, so only the twenty-frame look-ahead reaches the wall.
  CurMap->setStructDef(3, -1);
  wallAt(3, 1000, 0);
  CShip& s = pilotShip(1, 0, 550, 0, 0);
  s.r = 1.2f;
  s.Traction = 0;
  s.Speed = 0;
  s.xM = static_cast<Single>(500 * std::cos(1.2 - 1.57));
  s.yM = static_cast<Single>(-500 * std::sin(1.2 - 1.57));
  step(s, 0.02);
  EXPECT_EQ(s.Unstick, 20);
  step(s, 0.02);
  EXPECT_EQ(pilot(s).SteeringGoal, -100);
  EXPECT_EQ(s.Unstick, 0);
}

TEST_F(SteerTest, APilotFliesAroundAWallToThePadBehindIt) {
  // The pad at the origin, a wall between it and a ship 3000 away heading for it.
  wallAt(3, 0, -1500);
  CShip& s = pilotShip(1, 0, 0, -3000, 0);
  s.r = 0;  // heading +y, straight at the wall
  CAI& a = pilot(s);
  a.Job = aiGoLand;
  a.JobFrame = 1000;
  A::setGoal(a, 0, -50, 0);
  A::evalTime(a) = -1e6f;
  A::leaveTime(a) = -1e6f;
  int touched = 0;
  bool arrived = false;
  for (int k = 0; k < 3000 && !arrived; ++k) {
    step(s, 0.02);
    touched += a.FinalUnstuck > 0;
    arrived = a.Job == aiLanded;
    a.JobFrame = std::max(a.JobFrame, 100.0f);
  }
  EXPECT_EQ(touched, 0);
  EXPECT_TRUE(arrived) << s.x << "," << s.y;
}

TEST_F(SteerTest, PrimaryFireWindowsByAngleRangeViewAndBody) {
  struct Case {
    Single dist, angle;
    bool classic;
    Long body;
    bool fires;
  };
  const Case cases[] = {
      {1000, 0, false, sbCar, true},       {4900, 0, false, sbCar, true},
      {5100, 0, false, sbCar, false},      {2500, 0, true, sbCar, false},
      {1900, 0, true, sbCar, true},        {1000, 0.1f, false, sbCar, false},
      {1000, 0.1f, false, sbCapital, true}, {1000, 0.1f, false, sbFleshy, true},
      {1000, 1.4f, false, sbCapital, false},
  };
  for (const Case& c : cases) {
    ClassicView = c.classic;
    CShip& s = aimAt(c.dist, c.angle, c.body);
    clearFire(pilot(s));
    A::doFireControl(pilot(s), 2);
    EXPECT_EQ(pilot(s).keyPrimary, c.fires) << c.dist << " " << c.angle << " " << c.body;
  }
  ClassicView = false;

  // Not hostile, or out of sight behind a wall: no fire.
  CShip& s = aimAt(1000);
  s.setAIHostile(2, false);
  pilot(s).keyPrimary = true;
  A::doFireControl(pilot(s), 2);
  EXPECT_FALSE(pilot(s).keyPrimary);
  s.setAIHostile(2, true);
  wallAt(3, 500, 0);
  A::doFireControl(pilot(s), 2);
  EXPECT_FALSE(pilot(s).keyPrimary);
}

TEST_F(SteerTest, SecondaryWindowsPerWeaponAndTheHeartNeverFires) {
  struct Case {
    Integer weapon;
    Single dist, angle;
    bool fires;
    Single wait;
  };
  const Case cases[] = {
      {0, 1900, 0, true, 1.0f},   {0, 2100, 0, false, 0},     {1, 3900, 0.05f, true, 2.0f},
      {1, 4100, 0, false, 0},     {2, 4900, 0, true, 0.7f},   {2, 1000, 0.05f, false, 0},
      {3, 900, 0, true, 0.7f},    {3, 1100, 0, false, 0},     {4, 7900, 0, true, 0.7f},
      {5, 900, 0.15f, true, 0.7f}, {5, 1100, 0, false, 0},    {7, 4900, 0, true, 0.7f},
      {6, 100, 0, false, 0},      {8, 100, 0, false, 0},
  };
  for (const Case& c : cases) {
    CShip& s = aimAt(c.dist, c.angle);
    s.setSecondary(c.weapon, true);
    s.setSecondaryAmmo(c.weapon, 5);
    CShipWeaponProbe::seat(s, 1).Weapon = c.weapon;
    A::doFireControl(pilot(s), 2);
    EXPECT_EQ(pilot(s).keySecondary, c.fires) << c.weapon << " at " << c.dist;
    EXPECT_EQ(A::secondaryWait(pilot(s)), c.wait) << c.weapon;
    EXPECT_FALSE(s.keySwitchRight) << c.weapon;
  }

  // No weapon selected: press next weapon and wait a second.
  CShip& s = aimAt(500);
  A::doFireControl(pilot(s), 2);
  EXPECT_TRUE(s.keySwitchRight);
  EXPECT_FALSE(pilot(s).keySecondary);
  EXPECT_EQ(A::secondaryWait(pilot(s)), 1.0f);
}

TEST_F(SteerTest, AnEmptyWeaponSwitchesOnAndNoAmmunitionAtAllStopsSecondaryFire) {
  CShip& s = aimAt(500);
  CAI& a = pilot(s);
  s.setSecondary(0, true);
  s.setSecondary(3, true);
  s.setSecondaryAmmo(3, 4);
  CShipWeaponProbe::seat(s, 1).Weapon = 0;  // a missile rack with no missiles
  A::doFireControl(a, 2);
  EXPECT_TRUE(s.keySwitchRight);
  EXPECT_FALSE(A::outOfAmmo(a));
  EXPECT_TRUE(a.keySecondary);  // keeps its firing rights

  s.setSecondaryAmmo(3, 0);
  s.keySwitchRight = false;
  A::secondaryWait(a) = 0;
  A::doFireControl(a, 2);
  EXPECT_TRUE(A::outOfAmmo(a));
  EXPECT_TRUE(s.keySwitchRight);
  a.keySecondary = false;
  A::doFireControl(a, 2);
  EXPECT_FALSE(a.keySecondary);
  EXPECT_EQ(A::secondaryWait(a), 0.5f);
}

TEST_F(SteerTest, TheGoalPointIsRestoredOnEveryPath) {
  struct Path {
    const char* name;
    void (*prepare)(CShip& s, CAI& a);
  };
  const Path paths[] = {
      {"talk box", [](CShip&, CAI&) {
         GameInterface->MakeTalkBox("", "", false, false);
         GameInterface->PopFocID = 2;
       }},
      {"no target", [](CShip&, CAI&) {}},
      {"not hostile", [](CShip& s, CAI&) { s.setAIHostile(2, false); }},
      {"out of sight", [](CShip&, CAI&) { wallAt(3, 500, 0); }},
      {"waiting", [](CShip&, CAI& a) { A::secondaryWait(a) = 1; }},
      {"full", [](CShip&, CAI&) {}},
  };
  for (const Path& p : paths) {
    CShip& s = aimAt(1000);
    CAI& a = pilot(s);
    A::setGoal(a, 123, 45, -678);
    p.prepare(s, a);
    A::doFireControl(a, std::string(p.name) == "no target" ? Integer{-1} : Integer{2});
    EXPECT_EQ(A::goalX(a), 123) << p.name;
    EXPECT_EQ(A::goalE(a), 45) << p.name;
    EXPECT_EQ(A::goalY(a), -678) << p.name;
    CurMap->setStructDef(3, -1);
    GameInterface->PopFocID = -1;
  }
}
