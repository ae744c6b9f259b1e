// The pilot record: the faction rules of the hostility evaluation, the truce, the flight of the
// poor units, target choice and its weights, the reactions to a hit (also without a player
// record), the stuck test and its pace, and the hostility table against a ships array that has
// grown past it or holds empty slots.
#include <gtest/gtest.h>

#include "tests/ships/CAIFixture.h"

using A = CAIProbe;

namespace {
class PilotTest : public AITest {};

constexpr Long Trader = 0, MiscPoor = 8, Pirate = 10, Cyborg = 12, Cop = 14, RichZombie = 1;
}  // namespace

TEST_F(PilotTest, FactionRulesMarkByUnitTypeAndAlert) {
  struct Case {
    Long own;
    Integer other;     // ship index of the other party (0 = the player's ship, unit type 0)
    Long otherUnit;    // its unit type when it is not the player's ship
    Long scene;        // SceneEvent
    double rate;       // share of evaluations that mark it
    bool candidate;    // a mark also makes it a target candidate
  };
  const Case cases[] = {
      {Pirate, 2, Trader, 0, 0.9, true},      {Pirate, 0, 0, 0, 0.9, true},
      {Pirate, 2, MiscPoor, 0, 0.8, true},    {Pirate, 2, RichZombie, 0, 1.0, true},
      {Pirate, 2, Cyborg, 0, 1.0, false},     {Cyborg, 0, 0, 0, 1.0, true},
      {Cyborg, 2, Cop, 0, 1.0, true},         {RichZombie, 2, Pirate, 0, 1.0, true},
      {Cop, 2, Pirate, 0, 1.0, true},         {Cop, 0, 0, 0, 0.0, false},
      {Cop, 0, 0, 3, 1.0, false},             {Trader, 2, Pirate, 0, 0.0, false},
      {Trader, 0, 0, 6, 1.0, false},          {Trader, 0, 0, 0, 0.0, false},
  };
  constexpr int Trials = 2000;
  for (const Case& c : cases) {
    for (auto& slot : Ships) slot = std::make_shared<CShip>();
    ready(0);
    CShip& own = pilotShip(1, c.own);
    if (c.other != 0) pilotShip(c.other, c.otherUnit);
    SceneEvent = c.scene;
    int marked = 0, candidates = 0;
    for (int k = 0; k < Trials; ++k) {
      own.resetAIHostiles();
      Ships[c.other]->resetAIHostiles();
      const Integer got = pilot(own).EvalHostiles();
      marked += own.checkAIHostile(c.other);
      candidates += got == c.other;
      // Marks are mutual, and a pilot never marks its own ship.
      EXPECT_EQ(Ships[c.other]->checkAIHostile(1), own.checkAIHostile(c.other));
      EXPECT_FALSE(own.checkAIHostile(1));
    }
    const std::string what = std::to_string(c.own) + " vs " + std::to_string(c.other) + " scene " +
                             std::to_string(c.scene);
    EXPECT_NEAR(marked / double(Trials), c.rate, 0.025) << what;
    EXPECT_EQ(candidates, c.candidate ? marked : 0) << what;
  }
}

TEST_F(PilotTest, ATruceClearsHostilityBothWays) {
  ready(0);
  CShip& pirate = pilotShip(1, Pirate);
  CShip& zombie = pilotShip(2, RichZombie);
  pirate.setAIHostile(2, true);
  zombie.setAIHostile(1, true);
  pirate.setAIHostile(0, true);
  Ships[0]->setAIHostile(1, true);
  CurMap->HostileSafe = 5;
  pilot(pirate).EvalHostiles();
  for (Integer k : {0, 2}) {
    EXPECT_FALSE(pirate.checkAIHostile(k)) << k;
    EXPECT_FALSE(Ships[k]->checkAIHostile(1)) << k;
  }
  EXPECT_EQ(SceneEvent, 5);
}

TEST_F(PilotTest, APoorUnitMarkedByAnotherReturnsItAndFlees) {
  CShip& poor = pilotShip(1, MiscPoor);
  CShip& pirate = pilotShip(2, Pirate);
  pirate.setAIHostile(1, true);
  pilot(poor).EvalHostiles();
  EXPECT_TRUE(poor.checkAIHostile(2));
  EXPECT_EQ(pilot(poor).Job, aiLeave);
  EXPECT_EQ(pilot(poor).JobFrame, 10);
  EXPECT_EQ(A::leaveTime(pilot(poor)), 20);
  EXPECT_EQ(pilot(poor).JobTarget, -1);
}

TEST_F(PilotTest, FindTargetWeighsCandidatesByRoundingAndSkipsTheMotherShipMostly) {
  CShip& s = pilotShip(1, Trader);
  for (Integer k : {2, 3, 4}) pilotShip(k, Trader);
  for (Integer k : {2, 3, 4}) s.setAIHostile(k, true);
  int picks[5] = {};
  constexpr int Trials = 6000;
  for (int k = 0; k < Trials; ++k) {
    pilot(s).findTarget();
    ASSERT_GE(pilot(s).JobTarget, 2);
    ++picks[pilot(s).JobTarget];
  }
  EXPECT_NEAR(picks[2] / double(Trials), 1 / 6.0, 0.02);
  EXPECT_NEAR(picks[3] / double(Trials), 1 / 3.0, 0.02);
  EXPECT_NEAR(picks[4] / double(Trials), 1 / 2.0, 0.02);
  for (Integer k : {2, 3, 4}) EXPECT_TRUE(Ships[k]->checkAIHostile(1)) << "mutual " << k;

  // The mother ship as the only hostile ship is passed over in 60 % of the calls; a ship that no
  // longer exists is never picked.
  s.resetAIHostiles();
  s.setAIHostile(2, true);
  s.setAIHostile(3, true);
  Ships[3]->Exists = false;
  MotherShip = 2;
  int none = 0;
  for (int k = 0; k < Trials; ++k) {
    pilot(s).findTarget();
    none += pilot(s).JobTarget == -1;
    ASSERT_NE(pilot(s).JobTarget, 3);
  }
  EXPECT_NEAR(none / double(Trials), 0.6, 0.02);
}

TEST_F(PilotTest, TheTableStaysInsideItsBoundsAndSkipsEmptySlots) {
  // Forty slots after fleet launches: a cyborg at 35 and the pilot's own ship at 36 lie beyond the
  // table; slot 5 is empty and slot 6 was never set up.
  while (Ships.size() < 40) Ships.push_back(std::make_shared<CShip>());
  ready(0);
  CShip& cop = pilotShip(1, Cop);
  pilotShip(35, Cyborg);
  CShip& outside = pilotShip(36, Pirate);
  Ships[5].reset();
  CShip& pirate = pilotShip(2, Pirate);
  Ships[35]->setAIHostile(1, true);
  SceneEvent = 3;
  for (int k = 0; k < 50; ++k) {
    EXPECT_EQ(pilot(cop).EvalHostiles(), 2);
    pilot(cop).findTarget();
    EXPECT_TRUE(pilot(cop).JobTarget == 0 || pilot(cop).JobTarget == 2);
    EXPECT_NE(pilot(outside).EvalHostiles(), 36);
    pilot(outside).findTarget();
    EXPECT_LT(pilot(outside).JobTarget, 32);
  }
  EXPECT_FALSE(cop.checkAIHostile(35));
  EXPECT_TRUE(pirate.checkAIHostile(1));
  // The ships beyond the table fly their decision step without harm.
  think(outside, 0.02, 60);
  think(*Ships[35], 0.02, 60);
}

TEST_F(PilotTest, HitReactionsByStateAlsoWithoutAPlayerRecord) {
  CShip& s = pilotShip(1, Trader);
  for (Long job : {aiWander, aiGoLand, aiLanded}) {
    pilot(s).Job = job;
    pilot(s).JobFrame = 7;
    pilot(s).Hit();
    EXPECT_EQ(pilot(s).JobFrame, 0) << job;
  }

  // Attacking or passing: about one hit in seven starts a roll.
  int rolls = 0;
  pilot(s).Job = aiAttack;
  for (int k = 0; k < 4000; ++k) {
    CShipFlightProbe::trickValue(s) = 0;
    pilot(s).Hit();
    rolls += CShipFlightProbe::trickValue(s) != 0;
  }
  EXPECT_NEAR(rolls / 4000.0, 0.05 + 0.95 * 0.1, 0.02);

  // Breaking away in the editors (no player record): an evasive roll or flip, never a crash.
  Player.reset();
  pilot(s).Job = aiBreakAway;
  CShipFlightProbe::trickValue(s) = 0;
  pilot(s).Hit();
  const Single t = CShipFlightProbe::trickValue(s);
  EXPECT_TRUE(t == 1 || t == 11 || t == 21) << t;
  // A wreck makes no evasive move.
  s.Armor = -1;
  CShipFlightProbe::trickValue(s) = 0;
  pilot(s).Hit();
  EXPECT_EQ(CShipFlightProbe::trickValue(s), 0);
}

TEST_F(PilotTest, StuckOnlyAfterSixRealSamplesStandingStillOnTheGround) {
  // A new ship at the origin matches its zero history, yet is not stuck before six samples.
  CShip& s = pilotShip(1, Trader);
  s.keyThrust = true;
  for (int k = 1; k <= 5; ++k) {
    s.e = static_cast<Single>(10 * k);  // height changes do not count as moving
    pilot(s).setUnstuckHistory();
    EXPECT_EQ(pilot(s).Job, aiWander) << k;
  }
  s.r = 1.57f;  // heading +x: the goal lies 500 behind on x
  pilot(s).setUnstuckHistory();
  EXPECT_EQ(pilot(s).Job, aiUnstuck);
  EXPECT_EQ(pilot(s).JobFrame, 2.0f);
  EXPECT_NEAR(A::goalX(pilot(s)), -500, 1e-2);
  EXPECT_NEAR(A::goalY(pilot(s)), 0, 1e-2);
  EXPECT_TRUE(A::goalE(pilot(s)) >= -100 && A::goalE(pilot(s)) < 100);

  // Moving on the ground, or not thrusting, is not stuck.
  CShip& m = pilotShip(2, Trader);
  m.keyThrust = true;
  for (int k = 0; k < 8; ++k) {
    m.x = (k % 3 == 0) ? 1.0f : 0.0f;
    pilot(m).setUnstuckHistory();
  }
  EXPECT_EQ(pilot(m).Job, aiWander);
  m.keyThrust = false;
  m.x = 0;
  for (int k = 0; k < 8; ++k) pilot(m).setUnstuckHistory();
  EXPECT_EQ(pilot(m).Job, aiWander);
}

TEST_F(PilotTest, TheDecisionStepSamplesThePositionEveryHalfSecond) {
  CShip& s = pilotShip(1, Trader);
  s.keyThrust = true;
  pilot(s).Job = aiIdle;
  pilot(s).JobFrame = 100;
  A::evalTime(pilot(s)) = -1000;
  int frames = 0;
  while (pilot(s).Job != aiUnstuck && frames < 1000) {
    think(s, 1 / 64.0);
    ++frames;
  }
  EXPECT_EQ(frames, 6 * 32);  // the sixth sample comes after 3 s
}

TEST_F(PilotTest, TalkingClearsTheLeaveTimer) {
  CShip& s = pilotShip(1, Trader);
  A::leaveTime(pilot(s)) = 15;
  pilot(s).Job = aiLeave;
  s.AITalkOverride();
  EXPECT_EQ(A::leaveTime(pilot(s)), 0);
  EXPECT_EQ(pilot(s).Job, aiIdle);
}
