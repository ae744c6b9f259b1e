// The pilot's hold before a conversation, the talk key's refusals, and the heading toward the
// next world-map node during a departure.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/ships/LevelShipFixture.h"
#include "tests/ships/WeaponFixture.h"

namespace {
using P = CShipWeaponProbe;
}  // namespace

TEST_F(FlightTest, TalkOverrideCallsBackALeavingPilot) {
  struct Case {
    Long job;
    Long after;
    Single frame;
  };
  for (const Case& c : {Case{5, 0, 1.0f}, Case{12, 0, 1.0f}, Case{3, 3, 7.0f}, Case{0, 0, 7.0f}}) {
    CShip& s = ready(3);
    CAI& pilot = CShipFlightProbe::pilot(s);
    pilot.Job = c.job;
    pilot.JobFrame = 7.0f;
    s.AITalkOverride();
    EXPECT_EQ(pilot.Job, c.after) << c.job;
    EXPECT_EQ(pilot.JobFrame, c.frame) << c.job;
  }
}

TEST_F(FlightTest, TheTalkKeyAimedAtNobodyOrAGoneShipIsHarmless) {
  CShip& me = ready(0);
  for (Integer target : {Integer(-1), Integer(5), Integer(40)}) {  // none, never set up, outside Ships
    me.SecondaryTarget = target;
    me.keyTalk = true;
    step(me, 0.02);
    EXPECT_FALSE(me.keyTalk) << target;  // consumed
  }
  CShip& dead = ready(6);
  dead.Armor = -1;  // no armour left: nothing to say
  me.SecondaryTarget = 6;
  me.keyTalk = true;
  step(me, 0.02);
  EXPECT_FALSE(logged("Error in"));
}

TEST_F(LevelShipTest, TheTravelHeadingIsZeroWhenLinedUp) {
  // Other ships keep their own heading: whatever it is, they are lined up with it; the heading
  // is brought into [0, 6.28).
  for (Single heading : {0.0f, 1.0f, 3.0f, 5.5f, -1.0f, 7.0f}) {
    CShip& s = shipAt(3, 0, 0, 0);
    s.r = heading;
    Single turn = 99;
    P::steerToTravelDir(s, turn);
    EXPECT_NEAR(turn, 0, 0.01) << heading;
    EXPECT_GE(s.r, 0) << heading;
    EXPECT_LT(s.r, 6.28f) << heading;
  }
  // The player's ship turns toward the route: with the bearing g from this node to the next on
  // the world map, the ship is lined up at heading 1.57 - g.
  World->DestNode = 1;
  const Single g = World->getTravelDir();
  CShip& p = shipAt(0, 0, 0, 0);
  p.r = 1.57f - g - 6.28f;
  Single turn = 99;
  P::steerToTravelDir(p, turn);
  EXPECT_NEAR(turn, 0, 0.01);
  EXPECT_GE(p.r, 0);
  EXPECT_LT(p.r, 6.28f);
  p.r += 0.5f;  // turned away: the signed turn brings it back
  P::steerToTravelDir(p, turn);
  EXPECT_NEAR(std::fabs(turn), 0.5, 0.01);
  const Single oneSide = turn;
  p.r -= 1.0f;
  P::steerToTravelDir(p, turn);
  EXPECT_NEAR(turn, -oneSide, 0.01);
}
