// The pilot's decision step: a wreck's cleared commands, the mission alert that sends untagged
// ships away, the landing that settles only at a standstill inside the pad square, the attack that
// passes or breaks away and comes back, dead and vanished targets and partners, the choice on a
// map without a pad, the escort's cycle and the shaping of the commands.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/ships/CAIFixture.h"

using A = CAIProbe;

namespace {
class DecisionTest : public AITest {
 protected:
  // A pilot with no hostility evaluation due and no wish to leave.
  CShip& calmPilot(Integer i, Long unit = 0, Single x = 0, Single y = 0) {
    CShip& s = pilotShip(i, unit, x, y, 0);
    A::evalTime(pilot(s)) = -1e6f;
    A::leaveTime(pilot(s)) = -1e6f;
    return s;
  }
};
}  // namespace

TEST_F(DecisionTest, AWreckGetsClearedCommandsAndKeepsItsState) {
  CShip& s = calmPilot(1);
  CAI& a = pilot(s);
  a.Job = aiAttack;
  a.JobFrame = 5;
  a.keyThrust = a.keyBrake = a.keyPrimary = a.keySecondary = a.keyWarp = true;
  s.Armor = -1;
  think(s, 0.1, 10);
  EXPECT_FALSE(a.keyThrust || a.keyBrake || a.keyPrimary || a.keySecondary || a.keyWarp);
  EXPECT_EQ(a.Job, aiAttack);
  EXPECT_EQ(a.JobFrame, 5);
}

TEST_F(DecisionTest, AMissionAlertSendsUntaggedShipsAwayWithinFourSeconds) {
  MissionControl->Reading = true;  // tags hold while a mission is read
  CShip& plain = calmPilot(1, 0, 3000, 0);
  CShip& tagged = calmPilot(2, 0, -3000, 0);
  tagged.setTag("escort");
  SceneEvent = 4;
  bool warped = false;
  for (int k = 0; k < 80 && !warped; ++k) {  // 4 s
    think(plain, 0.05);
    think(tagged, 0.05);
    warped = pilot(plain).keyWarp;
    EXPECT_FALSE(pilot(tagged).keyWarp);
    EXPECT_NE(pilot(tagged).Job, aiWaitLeave);
  }
  EXPECT_TRUE(warped);
  EXPECT_EQ(pilot(plain).Job, aiLeave);
  EXPECT_EQ(tagged.getTag(), "escort");

  // Once no mission is read, the tag lapses and the ship may leave again some 10 to 20 s later.
  MissionControl->Reading = false;
  think(tagged, 0.05);
  EXPECT_EQ(tagged.getTag(), "");
}

TEST_F(DecisionTest, LandingSettlesOnlyAtAStandstillInsideThePadSquare) {
  CShip& s = calmPilot(1, 0, 99, 0);
  CAI& a = pilot(s);
  a.Job = aiGoLand;
  a.JobFrame = 100;
  A::setGoal(a, 0, -50, 0);
  s.Speed = 10;
  think(s, 0.05);
  EXPECT_TRUE(a.keyBrake);
  EXPECT_FLOAT_EQ(s.Speed, 5);
  EXPECT_EQ(a.Job, aiGoLand);
  think(s, 0.05);
  EXPECT_EQ(s.Speed, 0);
  EXPECT_EQ(a.Job, aiGoLand);
  think(s, 0.05);
  EXPECT_EQ(a.Job, aiLanded);
  EXPECT_EQ(a.JobFrame, 10);

  // On the square's edge it is still approaching.
  CShip& edge = calmPilot(2, 0, 100, 0);
  pilot(edge).Job = aiGoLand;
  pilot(edge).JobFrame = 100;
  A::setGoal(pilot(edge), 0, -50, 0);
  think(edge, 0.05, 5);
  EXPECT_EQ(pilot(edge).Job, aiGoLand);
  EXPECT_TRUE(pilot(edge).keyThrust);

  // Landed: it stands, held down, then chooses again after 10 s.
  s.Speed = 40;
  think(s, 0.05);
  EXPECT_EQ(s.Speed, 0);
  EXPECT_EQ(s.eM, -50);
  think(s, 0.5, 19);
  EXPECT_EQ(a.Job, aiLanded);
  // Every 10 s it chooses again; with the pad beside it, three choices in four land it again.
  for (int k = 0; k < 40 && a.Job == aiLanded; ++k) think(s, 0.5, 20);
  EXPECT_NE(a.Job, aiLanded);
}

TEST_F(DecisionTest, AnAttackPassesOrBreaksAwayAndComesBack) {
  for (const bool early : {false, true}) {
    CShip& s = calmPilot(1, 0);
    calmPilot(2, 10, 300, 0);
    CAI& a = pilot(s);
    s.setAIHostile(2, true);
    a.Job = aiAttack;
    a.JobTarget = 2;
    a.JobFrame = early ? 25.1f : 20;
    A::engageTime(a) = early ? 0.0f : 100.0f;
    think(s, 0.05);
    EXPECT_EQ(a.Job, early ? aiBreakAway : aiPass) << early;
    EXPECT_EQ(a.JobFrame, early ? 10 : 30) << early;
    EXPECT_EQ(a.JobTarget, -1);
    EXPECT_EQ(A::prevTarget(a), 2);
    if (!early) {
      EXPECT_FALSE(A::isNearGoal(a, 2000));  // passing on 2500 units beyond
    }

    // The drifting goal reached: back on the same target, or at once to a new choice when the
    // engagement is over.
    A::setGoal(a, s.x, 0, s.y);
    think(s, 0.05);
    EXPECT_EQ(a.Job, aiAttack) << early;
    EXPECT_EQ(a.JobTarget, 2) << early;
    EXPECT_EQ(a.JobFrame, early ? -1 : 25) << early;
  }
}

TEST_F(DecisionTest, DeadVanishedAndOutOfRangeShipsAreDroppedAtEachUse) {
  CShip& s = calmPilot(1, 0);
  CAI& a = pilot(s);
  CShip& t = calmPilot(2, 10, 3000, 0);
  s.setAIHostile(2, true);
  a.Job = aiAttack;
  a.JobTarget = 2;
  a.JobFrame = 10;
  t.Armor = -1;
  think(s, 0.05);
  EXPECT_FALSE(s.checkAIHostile(2));
  EXPECT_NE(a.JobTarget, 2);
  EXPECT_NE(a.Job, aiAttack);

  // Indexes beyond the array, an empty slot, and the pilot's own ship.
  Ships[5].reset();
  for (Integer bad : {Integer{40}, Integer{5}, Integer{1}}) {
    a.Job = aiAttack;
    a.JobTarget = bad;
    a.JobFrame = 10;
    think(s, 0.05);
    EXPECT_NE(a.JobTarget, bad) << bad;
    a.Job = aiPass;
    A::prevTarget(a) = bad;
    a.JobFrame = 10;
    A::setGoal(a, s.x, 0, s.y);  // the drift's goal reached: back to the remembered target
    think(s, 0.05);
    EXPECT_EQ(a.Job, aiAttack) << bad;
    EXPECT_NE(a.JobTarget, bad) << bad;
    s.Meeter = bad;
    a.Job = aiWander;
    a.JobFrame = 10;
    think(s, 0.05);
    EXPECT_NE(a.Job, aiMeet) << bad;
  }
  // A live partner is met.
  s.Meeter = 2;
  t.Armor = 100;
  a.Job = aiWander;
  a.JobFrame = 10;
  think(s, 0.05);
  EXPECT_EQ(a.Job, aiMeet);
  EXPECT_EQ(a.JobTarget, 2);
}

TEST_F(DecisionTest, WithoutAPadTheChoiceIsMadeOnceNotEveryFrame) {
  CurMap->setStructDef(Pad, -1);
  for (int k = 0; k < 20; ++k) {
    CShip& s = calmPilot(1, 0, 20000, 20000);  // beyond every random goal
    CAI& a = pilot(s);
    a.JobFrame = -1;
    think(s, 0.02);
    EXPECT_EQ(a.Job, aiWander) << k;
    EXPECT_NEAR(a.JobFrame, 10, 1e-3) << k;
  }
  // With a pad, three choices in four land.
  CurMap->setStructDef(Pad, 2);
  int landing = 0;
  for (int k = 0; k < 400; ++k) {
    CShip& s = calmPilot(1, 0, 20000, 20000);
    pilot(s).JobFrame = -1;
    think(s, 0.02);
    landing += pilot(s).Job == aiGoLand;
  }
  EXPECT_NEAR(landing / 400.0, 0.75, 0.06);
}

TEST_F(DecisionTest, ALongStayLeavesAtTheNextWanderChoiceButNotInTheTitleScene) {
  CurMap->setStructDef(Pad, -1);
  CShip& s = calmPilot(1, 0);
  A::leaveTime(pilot(s)) = 21;
  pilot(s).JobFrame = -1;
  think(s, 0.02);
  EXPECT_EQ(pilot(s).Job, aiLeave);
  EXPECT_TRUE(pilot(s).keyWarp);

  GameInterface->Window = 32;
  CShip& t = calmPilot(2, 0);
  A::leaveTime(pilot(t)) = 21;
  pilot(t).JobFrame = -1;
  think(t, 0.02);
  EXPECT_EQ(pilot(t).Job, aiWander);
}

TEST_F(DecisionTest, TheMotherShipEscortsThePlayerAndFiresOnlyEarlyInEachCycle) {
  ready(0);
  CShip& foe = calmPilot(2, 10, 800, 0);
  foe.setAIHostile(0, true);
  CShip& m = calmPilot(1, 21, 0, -3000);
  m.setAIHostile(2, true);
  MotherShip = 1;
  int firing = 0, frames = 0;
  for (; frames < 100; ++frames) {  // 5 s
    think(m, 0.05);
    EXPECT_EQ(pilot(m).Job, aiEscort);
    EXPECT_EQ(pilot(m).JobTarget, 0);
    EXPECT_EQ(m.SecondaryTarget, 2);
    firing += pilot(m).keyPrimary;
  }
  EXPECT_NEAR(firing, 80, 2);  // the first 4 s of the 5 s cycle
  EXPECT_TRUE(pilot(m).keyThrust);  // far from the player: closes in
}

TEST_F(DecisionTest, TheGoalHeightStepsTwentyPerFrameAndTheTurnIsHeldWithinTen) {
  CShip& s = calmPilot(1, 0);
  CAI& a = pilot(s);
  a.Job = aiIdle;
  a.JobFrame = 100;
  a.isGoalLever = true;
  a.GoalLever = -90;
  s.e = 0;
  think(s, 0.001);
  const Single first = a.Elever;
  think(s, 0.001);
  EXPECT_NEAR(first - a.Elever, 20, 0.6);  // per call, whatever the frame time
  s.e = -85;
  think(s, 0.001);
  EXPECT_FALSE(a.isGoalLever);

  a.SteeringGoal = 0;
  a.Steering = 0;
  a.Job = aiUnstuck;
  A::setGoal(a, -3000, 0, -10);  // behind: a hard turn
  think(s, 0.5, 20);
  EXPECT_LE(std::fabs(a.Steering), 10);
  EXPECT_NE(a.Steering, 0);
}
