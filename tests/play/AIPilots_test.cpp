// AI pilots in the real main loop over the default map "losgatos", at a fixed 17 ms frame time
// (a fake clock) and a fixed random sequence, headless on Mesa: a pirate attacks a trader and the
// trader turns on it; the police answer the alert the player's attack on a trader raises; a
// trader lands on a pad and later leaves the map.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "ships/CAI.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"
#include "tests/ships/FlightFixture.h"
#include "tests/support/GameRunFixture.h"

namespace {
class AIPilotsGameTest : public GameRunTest {
 protected:
  void TearDown() override {
    SceneEvent = 0;
    GameRunTest::TearDown();
  }
  // The index of the live ship of the unit type spawned last (highest index), -1 none.
  static Integer shipOfUnit(Long unit) {
    for (Integer k = static_cast<Integer>(Ships.size()) - 1; k > 0; --k)
      if (Ships[k] && Ships[k]->Exists && Ships[k]->getAIType() == unit) return k;
    return -1;
  }
  static CAI& pilotOf(Integer k) { return CShipFlightProbe::pilot(*Ships[k]); }
  static bool shotsOf(Integer owner) {
    for (const CSprite& s : Sprites)
      if (s.Exists && s.Owner == owner) return true;
    return false;
  }
  // Runs the game: pass 1 starts flight over an empty level with the random sequence fixed, then
  // `each` sees every later pass until it returns true or `limit` passes ran.
  bool run(int limit, const std::function<void(Long)>& setUp, const std::function<bool(Long)>& each,
           uint32_t clockStep = 1) {
    FakeGameClock clock;
    clock.step = clockStep;
    bool loaded = false, done = false;
    frmMain.afterFrameForTests = [&](Long pass) {
      if (pass == 1) {
        loaded = startFlight();
        setRndSeedForTests(gameTestSeed());  // the sequence from here on, whatever start-up drew
        for (size_t k = 1; k < Ships.size(); ++k) Ships[k]->Exists = false;
        CurMap->setMedianShips(0);
        CurMap->setWorldType(0);  // a policed trading world
        setUp(pass);
        return;
      }
      if (!done && pass > 1) done = each(pass);
      if (done || pass > limit) GameRunning = false;
    };
    frmMain.Form_Load();
    EXPECT_TRUE(loaded);
    return done;
  }
};

constexpr Long MiscTrader = 6, PiratePoor = 10, MiscCop = 18;
}  // namespace

TEST_F(AIPilotsGameTest, APirateAttacksATraderAndIsAttackedBack) {
  Integer trader = -1, pirate = -1;
  bool pirateOnTrader = false, traderHit = false, traderOnPirate = false;
  const bool done = run(
      600,
      [&](Long) {
        CurMap->MissionSpawn("misc_trader", "", 2500, 2500, -1);
        trader = shipOfUnit(MiscTrader);
        CurMap->MissionSpawn("pirate_poor", "", 2500, 4000, -1);
        pirate = shipOfUnit(PiratePoor);
      },
      [&](Long) {
        if (trader < 0 || pirate < 0) return true;
        CShip& t = *Ships[trader];
        pirateOnTrader |= pilotOf(pirate).JobTarget == trader && pilotOf(pirate).Job == aiAttack;
        traderHit |= t.Shields < t.getMaxShields() || t.Armor < t.getMaxArmor();
        const Long job = pilotOf(trader).Job;
        traderOnPirate |= pilotOf(trader).JobTarget == pirate && (job == aiAttack || job == aiPass ||
                                                                  job == aiBreakAway);
        return pirateOnTrader && traderHit && traderOnPirate;
      },
      40);
  ASSERT_GE(trader, 1);
  ASSERT_GE(pirate, 1);
  EXPECT_TRUE(pirateOnTrader);
  EXPECT_TRUE(traderHit);
  EXPECT_TRUE(traderOnPirate);
  EXPECT_TRUE(done);
}

TEST_F(AIPilotsGameTest, ThePoliceAnswerTheAlertOfThePlayersAttack) {
  Integer trader = -1, cop = -1;
  bool alert = false, copOnPlayer = false, copFires = false;
  const bool done = run(
      600,
      [&](Long) {
        CurMap->MissionSpawn("misc_trader", "", 0, 1500, -1);
        trader = shipOfUnit(MiscTrader);
        CurMap->MissionSpawn("misc_cop", "", 0, 3500, -1);
        cop = shipOfUnit(MiscCop);
      },
      [&](Long pass) {
        if (trader < 0 || cop < 0) return true;
        if (pass == 10) Ships[trader]->Hit(skLaserShot, 0, D3DVECTOR{1, 0, 0}, 0);
        if (pass < 10) {
          EXPECT_FALSE(Ships[cop]->checkAIHostile(0)) << pass;
          return false;
        }
        alert |= SceneEvent == 3;
        copOnPlayer |= Ships[cop]->checkAIHostile(0) && pilotOf(cop).JobTarget == 0 && pilotOf(cop).Job == aiAttack;
        copFires |= copOnPlayer && shotsOf(cop);
        return alert && copOnPlayer && copFires;
      },
      40);
  ASSERT_GE(cop, 1);
  EXPECT_TRUE(alert);
  EXPECT_TRUE(copOnPlayer);
  EXPECT_TRUE(copFires);
  EXPECT_TRUE(done);
}

TEST_F(AIPilotsGameTest, ATraderLandsOnAPadAndLaterLeavesTheMap) {
  Integer trader = -1;
  Long landedAt = -1;
  bool left = false;
  const bool done = run(
      1800,
      [&](Long) {
        CurMap->MissionSpawn("misc_trader", "", 1500, -1500, -1);
        trader = shipOfUnit(MiscTrader);
      },
      [&](Long pass) {
        if (trader < 0) return true;
        // Its pad is drawn at random and its way there bends around the structures: a trader
        // that gives up before it settles makes way for another.
        if (landedAt < 0 && (!Ships[trader]->Exists || Ships[trader]->getRealWarp() > 0)) {
          const Integer gone = trader;
          CurMap->MissionSpawn("misc_trader", "", 1500, -1500, -1);
          trader = -1;
          for (Integer k = static_cast<Integer>(Ships.size()) - 1; k > 0 && trader < 0; --k)
            if (k != gone && Ships[k] && Ships[k]->Exists && Ships[k]->getAIType() == MiscTrader) trader = k;
          return trader < 0;
        }
        CShip& t = *Ships[trader];
        if (landedAt < 0 && t.Exists && pilotOf(trader).Job == aiLanded) landedAt = pass;
        if (landedAt > 0 && pass == landedAt + 5) {  // standing on the pad
          EXPECT_EQ(pilotOf(trader).Job, aiLanded);
          EXPECT_EQ(t.Speed, 0);
        }
        // Some time after it settled, a mission phase calls untagged ships away.
        if (landedAt > 0 && pass == landedAt + 50) SceneEvent = 4;
        left |= landedAt > 0 && (!t.Exists || t.getRealWarp() > 0);
        return left;
      },
      40);
  ASSERT_GE(trader, 1);
  EXPECT_GT(landedAt, 0);
  EXPECT_TRUE(left);
  EXPECT_TRUE(done);
}
