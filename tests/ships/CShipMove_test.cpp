// The movement step: knock-back decay, look keys and the agility clamp, banking by body, the
// height band (classic view and wrecks), speed with thrust, brake and drag, the double-tap trick
// windows, the flip and the boost hold, the engine sound, and contacts with structure boxes.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/soundMod.h"
#include "tests/ships/FlightFixture.h"

using P = CShipFlightProbe;

namespace {
constexpr double Ft = 0.02;
}  // namespace

TEST_F(FlightTest, KnockBackDecaysAndAFrameOfATenthWipesItBeforeItMovesTheShip) {
  struct Case {
    double ft;
    Single push, expectedPush;
    bool moves;
  };
  for (Case c : {Case{0.1, 100, 0, false}, Case{0.2, 100, 0, false}, Case{0.05, 100, 50, true},
                 Case{0.05, 0.15f, 0, false}}) {
    CShip& s = ready(1);
    P::pushX(s) = c.push;
    step(s, c.ft);
    EXPECT_NEAR(P::pushX(s), c.expectedPush, 1e-3) << c.ft << " " << c.push;
    EXPECT_EQ(s.x != 0, c.moves) << c.ft << " " << c.push;
  }
}

TEST_F(FlightTest, LookKeysSetTwentyBeforeTheAgilityClamp) {
  struct Case {
    Integer agility;
    bool lookLeft, lookRight, lookUp;
    Single steeringIn;
    Single steering, elever;
  };
  for (Case c : {Case{12, true, false, false, 0, -12, 0}, Case{40, false, true, false, 0, 20, 0},
                 Case{40, true, true, false, 0, 20, 0},  // right is tested after left
                 Case{30, false, false, false, 35, 30, 0}, Case{30, false, false, true, -7, -7, 20}}) {
    CShip& s = ready(1);
    s.Agility = c.agility;
    s.Steering = c.steeringIn;
    s.keyLookLeft = c.lookLeft;
    s.keyLookRight = c.lookRight;
    s.keyLookUp = c.lookUp;
    const Single r0 = s.r = 3.0f;
    step(s, Ft);
    EXPECT_FLOAT_EQ(s.Steering, c.steering) << c.agility;
    EXPECT_FLOAT_EQ(s.Elever, c.elever) << c.agility;
    EXPECT_NEAR(s.r, r0 + c.steering * Ft / 6, 1e-5) << c.agility;
    if (c.lookUp) {
      EXPECT_NEAR(s.e, 20 * Ft * 5, 1e-4);
      EXPECT_NEAR(s.Pitch, -20 * Ft / 8, 1e-6);
    }
  }
}

TEST_F(FlightTest, AScreenTakesThePlayersFlightControlsButNotTheActionKeys) {
  // The action step that would consume the overlay keys runs only while the ship is not lining
  // up for a departure: lining up (warp state 1, action key held), they stay to be seen.
  dir.write("\\data\\partsdef.pnd", "#endfile\r\n");  // the status screen opens with the parts catalogue
  for (Single warp : {0.0f, 1.0f}) {
    CShip& s = ready(0);
    P::warpFrame(s) = warp;
    s.keyThrust = s.keyLookLeft = s.keyPrimary = s.keyLeft = true;
    s.keyWarp = s.keySel2 = true;
    s.Steering = 7;
    GameInterface->Window = 14;
    step(s, Ft);
    EXPECT_FALSE(s.keyThrust) << warp;
    EXPECT_FALSE(s.keyLookLeft) << warp;
    EXPECT_FALSE(s.keyPrimary) << warp;
    EXPECT_FALSE(s.keyLeft) << warp;
    EXPECT_EQ(s.Steering, 0) << warp;
    EXPECT_TRUE(s.keyWarp) << warp;
    EXPECT_EQ(s.keySel2, warp > 0) << warp;  // on the ground the action step opened the status screen
    EXPECT_EQ(s.Speed, 0) << warp;
    EXPECT_FALSE(logged("Error in")) << warp;  // the whole step ran
  }
}

TEST_F(FlightTest, BankingIsLimitedByTheBody) {
  struct Case {
    Long body;
    Single factor;
  };
  for (Case c : {Case{sbCar, 1.0f}, Case{sbBike, 2.0f}, Case{sbCapital, 0.25f}, Case{sbFleshy, 0.7f},
                 Case{sbConvertible, 1.0f}}) {
    CShip& s = ready(1, flightDesign(c.body));
    s.keyLookLeft = true;  // turning banks too
    s.keyLeft = true;
    for (int i = 0; i < 200; ++i) step(s, Ft);
    // Clamped at 0.75 x the body factor, then relaxed by one frame's factor x time.
    EXPECT_NEAR(s.roll, 0.75f * c.factor - c.factor * Ft, 1e-4) << c.body;
  }
}

TEST_F(FlightTest, HeightBandKeepsShipsInTheirLayerAndWrecksSink) {
  struct Case {
    bool classic;
    Long body;
    Single armor, e0, expected;
  };
  const Case cases[] = {
      {false, sbCar, 100, 50, 50},                             // inside the band
      {false, sbCar, 100, 200, 200 - Ft * 89 * 3},             // above the top 111
      {true, sbCar, 100, 500, 500 - Ft * 500 * 3},             // classic view: flat at 0
      {true, sbCar, 100, -200, -200 + Ft * 200 * 3},
      {false, sbCar, -1, -300, -300 + Ft * 189 * 3},           // wreck below the bottom -111
      {true, sbCar, -1, -300, -300},                           // classic-view wreck: bottom -400
      {true, sbCar, -1, -500, -500 + Ft * 100 * 3},
      {true, sbCapital, -1, -500, -500},                       // Capital wreck: bottom -600
      {false, sbCar, -1, 0, -20 * Ft},                         // a wreck sinks toward -90
      {false, sbCapital, -1, -100, -100 - 20 * Ft},            // a carrier wreck on toward -280
      {false, sbCapital, 100, 300, 300},                       // carriers fly up to 311
  };
  for (const Case& c : cases) {
    ClassicView = c.classic;
    CShip& s = ready(1, flightDesign(c.body));
    s.Armor = c.armor;
    s.e = c.e0;
    s.Pitch = 0.3f;
    step(s, Ft);
    EXPECT_NEAR(s.e, c.expected, 1e-3) << c.classic << " body " << c.body << " armor " << c.armor << " e " << c.e0;
    if (c.classic && c.armor > 0) {
      EXPECT_EQ(s.Pitch, 0);
    }
  }
}

TEST_F(FlightTest, ThrustBrakeAndDrag) {
  struct Case {
    Single speed0;
    bool thrust, brake;
    Single armor, expected;
  };
  const Case cases[] = {
      {500, false, true, 100, 500 - 500 * Ft * 2 - 20 * Ft},  // braking forward is doubled
      {0, false, true, 100, -500 * Ft / 3 + 20 * Ft},          // backward a third
      {-249, false, true, 100, -250 + 20 * Ft},                // not below -MaxSpeed / 4
      {995, true, false, 100, 1000 - 20 * Ft},                 // not above MaxSpeed
      {300, false, false, -1, 300 - 120 * Ft},                 // a wreck drags harder
      {300, true, false, -1, 300 - 120 * Ft},                  // and has no thrust
      {0.2f, false, false, 100, 0},
      {-0.2f, false, false, 100, 0},
  };
  for (const Case& c : cases) {
    CShip& s = ready(1);
    s.Armor = c.armor;
    s.Speed = c.speed0;
    s.keyThrust = c.thrust;
    s.keyBrake = c.brake;
    step(s, Ft);
    EXPECT_NEAR(s.Speed, c.expected, 1e-3) << c.speed0 << " " << c.thrust << c.brake << " " << c.armor;
    EXPECT_NEAR(P::jetGlow(s), c.thrust || c.brake ? (c.armor < 0 ? 0 : 1 - 5 * Ft) : 0, 1e-5);
  }
}

TEST_F(FlightTest, VelocityFollowsTheHeadingWithGrip) {
  CShip& s = ready(1);
  s.r = 1.57f;  // forward is +x
  s.Speed = 500;
  for (int i = 0; i < 300; ++i) step(s, Ft);
  EXPECT_GT(s.x, 1000);
  EXPECT_NEAR(s.y, 0, 5);
  EXPECT_NEAR(s.xM, s.Speed, 20);
}

TEST_F(FlightTest, DoubleTapsStartTricksOnlyInsideTheirWindow) {
  // Key states per frame: T thrust, B brake, L left, R right, '.' nothing.
  struct Case {
    std::vector<const char*> frames;
    Single trickFrom, spinFrom;  // the code started (0 none)
  };
  const Case cases[] = {
      {{"R", ".", "R"}, 1, 0},
      {{"L", ".", "L"}, 11, 0},
      {{"B", ".", "B"}, 21, 0},
      {{"T", ".", "T"}, 31, 0},
      {{"T", "TL"}, 11, 0},                             // a trick key while thrusting rolls at once
      {{"R", ".", ".", ".", ".", ".", ".", "R"}, 0, 0},  // 0.12 s later: the window is closed
      {{"L", ".", ".", ".", ".", ".", ".", "L"}, 0, 0},
      {{"R", ".", "L"}, 0, 41},                         // right tapped, then left: spin left
      {{"L", ".", "R"}, 0, 51},
  };
  for (const Case& c : cases) {
    CShip& s = ready(0);
    P::boostLeft(s) = 5;
    std::string trace;
    for (const char* f : c.frames) {
      const std::string k = f;
      s.keyThrust = k.find('T') != std::string::npos;
      s.keyBrake = k.find('B') != std::string::npos;
      s.keyLeft = k.find('L') != std::string::npos;
      s.keyRight = k.find('R') != std::string::npos;
      trace += k + " ";
      step(s, Ft);
    }
    const Single t = P::trickValue(s), sp = P::spinValue(s);
    if (c.trickFrom == 0) {
      EXPECT_EQ(t, 0) << trace;
    } else {
      EXPECT_TRUE(t >= c.trickFrom && t < c.trickFrom + 1) << trace << "-> " << t;
    }
    if (c.spinFrom == 0) {
      EXPECT_EQ(sp, 0) << trace;
    } else {
      EXPECT_TRUE(sp >= c.spinFrom && sp < c.spinFrom + 1) << trace << "-> " << sp;
      EXPECT_NEAR(P::boostLeft(s), 4 + 0.5f * Ft, 1e-4) << trace;  // a spin costs one boost second
    }
  }
}

TEST_F(FlightTest, CarriersOnlyBoost) {
  CShip& s = ready(0, flightDesign(sbCapital));
  P::boostLeft(s) = 5;
  for (const char* f : {"R", ".", "L"}) {  // a spin attempt
    s.keyLeft = f[0] == 'L';
    s.keyRight = f[0] == 'R';
    step(s, Ft);
  }
  EXPECT_EQ(P::spinValue(s), 0);
  P::trickValue(s) = 21;  // a flip is wiped at the next step
  step(s, Ft);
  EXPECT_EQ(P::trickValue(s), 0);
  P::trickValue(s) = 31;
  step(s, Ft);
  EXPECT_GT(P::trickValue(s), 31);
}

TEST_F(FlightTest, FlipEndsFacingBackWithThePitchNegated) {
  CShip& s = ready(1);
  s.r = 4.0f;
  s.Pitch = 0.3f;
  P::trickValue(s) = 21;
  int frames = 0;
  bool swung = false;
  while (P::trickValue(s) != 0 && frames < 1000) {
    step(s, Ft);
    swung = swung || s.getFlipVal() > 1;
    ++frames;
  }
  EXPECT_TRUE(swung);
  EXPECT_NEAR(s.r, 4.0f - 3.14f, 1e-5);
  EXPECT_FLOAT_EQ(s.Pitch, -0.3f);
  EXPECT_EQ(P::trickRoll(s), 0);
  EXPECT_EQ(P::trickPitch(s), 0);
  // (Agility / 30 + 1 + Agility / 25) per second from 21 to 24.14.
  EXPECT_NEAR(frames * Ft, 3.14 / (20 / 30.0 + 1 + 20 / 25.0), 2 * Ft);
}

TEST_F(FlightTest, ABrakeDoubleTapDuringATrickQueuesTheFlipAsAChain) {
  CShip& s = ready(0);
  P::trickValue(s) = 4.05f;  // a roll about to end
  for (const char* f : {"B", ".", "B"}) {
    s.keyBrake = f[0] == 'B';
    step(s, Ft);
  }
  // The roll ended and the queued flip started at once, running faster for its first 2 units.
  EXPECT_GE(P::trickValue(s), 21);
  EXPECT_EQ(P::trickQueue(s), 10);
}

TEST_F(FlightTest, BoostRunsAtTheDesignsTopSpeedAndThrustHoldsItWhileBoostLasts) {
  Player->HasCapacitator = true;  // working top speed 1200; the boost still uses the design's 1000
  CShip& s = ready(0);
  ASSERT_EQ(s.MaxSpeed, 1200);
  P::trickValue(s) = 31;
  step(s, Ft);
  EXPECT_NEAR(s.Speed, 1000 - 20 * Ft, 1e-3);

  CShip& h = ready(1);
  P::boostLeft(h) = 1.0f;
  P::trickValue(h) = 31;
  h.keyThrust = true;
  int held = 0, frames = 0;
  while (P::trickValue(h) != 0 && frames < 1000) {
    step(h, Ft);
    if (P::trickValue(h) == 32.58f) ++held;
    ++frames;
  }
  EXPECT_NEAR(held, 1.0 / Ft, 2);
  EXPECT_LE(P::boostLeft(h), 0.05f);

  CShip& n = ready(2);  // without thrust the boost runs straight through
  P::boostLeft(n) = 1.0f;
  P::trickValue(n) = 31;
  frames = 0;
  while (P::trickValue(n) != 0 && frames < 1000) {
    step(n, Ft);
    ++frames;
  }
  EXPECT_NEAR(frames * Ft, 3.14 / (20 / 30.0 + 1), 2 * Ft);
}

TEST_F(FlightTest, BoostRefillsOnlyWithoutATrick) {
  CShip& s = ready(1);
  P::boostLeft(s) = 1;
  step(s, 0.1);
  EXPECT_NEAR(P::boostLeft(s), 1.05f, 1e-5);
  P::trickValue(s) = 1;
  step(s, 0.1);
  EXPECT_NEAR(P::boostLeft(s), 1.05f, 1e-5);
}

TEST_F(FlightTest, EngineSoundUsesALoadedJetEvenForAnOutOfRangeDesignIndex) {
  InitSound();
  for (int k = 0; k < 4; ++k) {
    SndJet[k] = loadGeneratedSound(k == 0 ? "jet" : "jet" + std::to_string(k + 1));
    ASSERT_GE(SndJet[k], 0);
  }
  CShipDef d = flightDesign();
  d.JetSnd = 9;
  CShip& s = ready(1, d);
  s.keyThrust = true;
  step(s, Ft);
  EXPECT_GE(P::engineSound(s), 0);
  s.keyThrust = false;
  step(s, Ft);
  EXPECT_EQ(P::engineSound(s), -1);
  for (Integer& j : SndJet) j = -1;
  InitSound();
}

TEST_F(FlightTest, ADyingShipBurnsOutAfterFiveSeconds) {
  CShip& s = ready(1);
  s.Armor = -200;
  P::deathThroes(s) = 1.0f;
  CamNoCull = true;  // puffs are made only in view
  int frames = 0;
  while (s.Exists && frames < 1000) {
    step(s, 0.05);
    ++frames;
  }
  EXPECT_FALSE(s.Exists);
  EXPECT_NEAR(frames * 0.05, 4.0, 0.051);
  EXPECT_NEAR(spritesOfKind(skPuff), 80, 2);  // 25 a second: one at every frame of 0.05 s
  EXPECT_EQ(spritesOfKind(skFireball), 28);    // 7 a second over the 4 seconds
  EXPECT_EQ(spritesOfKind(skExplodeFlash), 28);
  CamNoCull = false;
}

TEST_F(FlightTest, TargetsThatWarpLeaveOrNeverExistedAreDropped) {
  CShip& s = ready(1);
  CShip& t = ready(2);
  struct Case {
    Integer target;
    bool exists;
    Single warpFrame;
    Integer kept;
  };
  for (Case c : {Case{2, true, 0, 2}, Case{2, false, 0, -1}, Case{2, true, 15, -1},
                 Case{99, true, 0, -1}}) {
    t.Exists = c.exists;
    P::warpFrame(t) = c.warpFrame;
    s.SecondaryTarget = c.target;
    step(s, Ft);
    EXPECT_EQ(s.SecondaryTarget, c.kept) << c.target << " " << c.exists << " " << c.warpFrame;
  }
}

// ---- structure contacts ----

namespace {
// A structure definition file: a box from lower to upper around the structure's location.
std::string defFile(const char* lower, const char* upper, int kind) {
  std::string t = "\"Box\"\r\n\"box\"\r\n\"box\"\r\n1,1,1\r\n0\r\n0\r\n";
  for (int i = 0; i < 16; ++i) t += "0,0,0\r\n0\r\n";
  return t + upper + "\r\n" + lower + "\r\n" + std::to_string(kind) + "\r\n";
}
}  // namespace

class StructContactTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    dir.write("\\structures\\tallbuild.pnd", defFile("-100,-100,-100", "100,400,100", 3));
    dir.write("\\structures\\catwalk.pnd", defFile("-200,-10,-20", "200,10,20", 3));
    CurMap = new CMap();
  }
  // Ship 1 heading +x at speed 500 from x = -150 toward a box at the origin (grip 0: the velocity
  // stays as set).
  CShip& approach(Single e) {
    CShip& s = ready(1);
    s.r = 1.57f;
    s.Speed = 500;
    s.xM = 500;
    s.Traction = 0;
    s.x = -150;
    s.e = e;
    return s;
  }
};

TEST_F(StructContactTest, AShipIsSlidBackOutOfABoxAndSlowsAgainstIt) {
  CurMap->setStructDef(0, 4);  // tall building reaching through the flight band
  CurMap->setStructPos(0, 0, 0, 0);
  CShip& s = approach(50);
  step(s, 0.2);  // would end at x = -50, inside
  EXPECT_FLOAT_EQ(s.x, -150);
  EXPECT_EQ(LastStructHit, 0);
  EXPECT_NEAR(s.Speed, 500 - 20 * 0.2 - 250 * 0.2, 1e-3);
  EXPECT_EQ(s.Unstick, -20);  // heading in the odd quarter 1.57..3.14, pushed back on x
  EXPECT_EQ(s.UnstickY, 0);   // the box reaches far above and below
  EXPECT_NEAR(P::pilot(s).FinalUnstuck, 0.2, 1e-6);
  step(s, 0.2);
  EXPECT_NEAR(P::pilot(s).FinalUnstuck, 0.4, 1e-6);

  // Away from the box the pilot's stuck clock starts again.
  s.r = 4.71f;
  s.xM = -500;
  step(s, 0.02);
  EXPECT_EQ(P::pilot(s).FinalUnstuck, 0);
  EXPECT_LT(s.x, -150);
}

TEST_F(StructContactTest, LowBoxesNudgeTheClimb) {
  CurMap->setStructDef(0, 5);  // catwalk: top 10, bottom -10
  CurMap->setStructPos(0, 0, 0, 0);
  CShip& s = approach(0);
  s.x = -260;
  step(s, 0.2);
  EXPECT_FLOAT_EQ(s.x, -260);
  EXPECT_EQ(s.UnstickY, 20);  // the top-below-50 test comes second and wins
}

TEST_F(StructContactTest, ADyingAIShipExplodesAtItsFirstContactButThePlayersDoesNot) {
  CurMap->setStructDef(0, 4);
  CurMap->setStructPos(0, 0, 0, 0);
  CShip& s = approach(50);
  s.Armor = -250;
  P::deathThroes(s) = 1.0f;
  step(s, 0.2);
  EXPECT_EQ(P::deathThroes(s), 6);
  step(s, 0.02);
  EXPECT_FALSE(s.Exists);

  CShip& p = ready(0);
  p.r = 1.57f;
  p.Speed = p.xM = 500;
  p.Traction = 0;
  p.x = -150;
  p.e = 50;
  p.Armor = -250;
  P::deathThroes(p) = 1.0f;
  step(p, 0.2);
  EXPECT_NEAR(P::deathThroes(p), 1.2, 1e-5);
  EXPECT_TRUE(p.Exists);
}

TEST_F(StructContactTest, AINudgeLooksAheadAndSetsTheClimbOverride) {
  CurMap->setStructDef(0, 5);  // a catwalk ahead, its bottom above -80
  CurMap->setStructPos(0, 0, 0, 0);
  CShip& s = ready(1);
  s.r = 1.57f;
  s.x = -400;
  s.xM = 500;
  FrameTime = Ft;  // twenty frames ahead: 200 units
  Single dist = 0;
  s.AINudge(dist);
  EXPECT_EQ(LastStructHit, 0);
  EXPECT_EQ(s.UnstickY, 20);
  EXPECT_TRUE(P::pilot(s).isGoalLever);
  EXPECT_EQ(P::pilot(s).GoalLever, -90);

  CShip& far = ready(2);
  far.r = 1.57f;
  far.x = -2000;
  far.xM = 500;
  far.AINudge(dist);
  EXPECT_EQ(LastStructHit, -1);
  EXPECT_EQ(far.UnstickY, 0);
  EXPECT_FALSE(P::pilot(far).isGoalLever);
}
