// Mission script phases: how lines compile, how a frame runs them (jumps, waits, the time limit,
// the runaway guard), the time text, and the commands that act on ships, cash and phases.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>

#include "campaign/CMissionPhase.h"
#include "runtime/Trap.h"
#include "tests/campaign/MissionFixture.h"

namespace {

struct CompileCase {
  const char* line;
  Long code;  // -2: the line is dropped
  std::array<const char*, 4> args;
};

}  // namespace

TEST_F(MissionTest, LinesCompileByTheirArgumentPattern) {
  const CompileCase cases[] = {
      {"wait 2.5", 0, {"2.5"}},
      {"pass", 1, {}},
      {"fail now", 2, {}},
      {"spawn boss, NULL , 3.14", 3, {"boss", "", "3.14"}},
      {"spawn boss, pirate,  2 ,junk", 3, {"boss", "pirate", "2"}},
      {"\t  dir Go home, now  \t", 4, {"Go home, now"}},
      {"* top", 5, {"top"}},
      {"tag top", 5, {"top"}},
      {"iftruegoto boss, done ", 9, {"boss", "done"}},
      {"popup ned, Hello, world ", 12, {"ned", "Hello, world"}},
      {"timelim 30, ignored", 14, {"30"}},
      {"spawnxy boss, pirate, 300, 900", 26, {"boss", "pirate", "300", "900"}},
      {"spawnup boss, Null, 700", 32, {"boss", "", "700", "700"}},
      {"popfoc ned, boss , Look, there", 36, {"ned", " boss ", "Look, there"}},
      {"ifhasnotcapitalgoto small", 46, {"small"}},
      {"Goto top", -2, {}},
      {"bogus top", -2, {}},
      {"", -2, {}},
  };
  for (const CompileCase& c : cases) {
    CMissionPhase p;
    p.Reset();
    p.AddLine(c.line);
    ASSERT_EQ(p.getLines().size(), 1u) << c.line;
    const ScriptLine& l = p.getLines()[0];
    EXPECT_EQ(l.code, c.code == -2 ? -1 : c.code) << c.line;
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(l.args[i], c.args[i] ? c.args[i] : "") << c.line << " arg " << i;
  }
  // A new phase holds one "wait" line; the first compiled line of an emptied phase replaces -1.
  CMissionPhase fresh;
  EXPECT_EQ(fresh.getLines().at(0).code, 0);
  fresh.AddLine("pass");
  EXPECT_EQ(fresh.getLines().size(), 2u);
}

TEST_F(MissionTest, GotoFindsTheFirstTagAndAMissingTagIsLoggedAndSkipped) {
  CMissionPhase p;
  startPhase(p, {"goto nowhere", "print after", "goto b", "print skipped", "* b", "* b", "print b", "wait 1"});
  p.doRead();
  EXPECT_TRUE(logged("can't find tag: nowhere"));
  EXPECT_TRUE(logged("after"));
  EXPECT_FALSE(logged("skipped"));
  EXPECT_TRUE(logged("b"));
  EXPECT_EQ(p.getLineIndex(), 8);  // past the "wait"
}

TEST_F(MissionTest, ARunawayLoopIsCutEachFrameAndReportedOncePerMission) {
  CMissionPhase& p = MissionControl->getPhase(0);
  startPhase(p, {"* top", "goto top"});
  p.doRead();
  p.doRead();
  EXPECT_TRUE(p.Reading);
  EXPECT_EQ(loggedCount("infinite loop script danger!"), 1);
  // A newly loaded mission may report it again.
  MissionControl->LoadMission("missing.pnd", -1, "");
  startPhase(p, {"* top", "goto top"});
  p.doRead();
  EXPECT_EQ(loggedCount("infinite loop script danger!"), 2);
}

TEST_F(MissionTest, WaitsYieldAndTheEndOfTheLinesStopsThePhase) {
  CMissionPhase p;
  startPhase(p, {"wait 0", "print one", "wait 1", "print two"});
  p.doRead();  // "wait 0" yields
  EXPECT_FALSE(logged("one"));
  p.doRead();
  EXPECT_TRUE(logged("one"));
  p.doRead();  // 1.0 -> 0.5
  p.doRead();  // 0.5 -> 0: still nothing runs this frame
  EXPECT_FALSE(logged("two"));
  p.doRead();
  EXPECT_TRUE(logged("two"));
  EXPECT_FALSE(p.Reading);  // no pass or fail: the phase just ends
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 0);

  // A new phase starts its lines one second after StartRead; paused frames do not count.
  CMissionPhase q;
  q.Reset();
  q.AddLine("print late");
  q.StartRead();
  GamePaused = true;
  for (int i = 0; i < 4; ++i) q.doRead();
  GamePaused = false;
  q.doRead();
  q.doRead();
  EXPECT_FALSE(logged("late"));
  q.doRead();
  EXPECT_TRUE(logged("late"));
}

TEST_F(MissionTest, ALineThatFailsRunsOnceAndTheScriptGoesOnAfterIt) {
  // "rollcredits" without a credits file: the error reaches the frame's trap once, no credits show.
  ASSERT_FALSE(dir->exists("\\data\\credits.pnd"));
  installMessageLog();  // trapped errors to the log
  CMissionPhase p;
  startPhase(p, {"rollcredits", "print after", "wait 5"});
  for (int frame = 0; frame < 3; ++frame) vbTrap("doGame", [&] { p.doRead(); });
  setTrapSink(nullptr);
  EXPECT_EQ(loggedCount("Error in doGame: "), 1);
  EXPECT_TRUE(logged("after"));
  EXPECT_NE(GameInterface->Window, msCredits);
  EXPECT_TRUE(p.Reading);
  EXPECT_EQ(p.getLineIndex(), 3);
}

TEST_F(MissionTest, AnExpiredTimeLimitJumpsToItsTagOrFailsTheMission) {
  CMissionPhase& p = MissionControl->getPhase(0);
  startPhase(p, {"timerlink 1, late", "wait 5", "print waited", "* late", "print late"});
  p.doRead();  // sets the limit and waits
  p.doRead();  // 0.5 left
  p.doRead();  // runs out: the phase jumps at once, the wait still holds the lines
  EXPECT_EQ(p.getTimeLimit(), "");
  EXPECT_FALSE(logged("late"));
  for (int i = 0; i < 10; ++i) p.doRead();
  EXPECT_TRUE(logged("late"));
  EXPECT_FALSE(logged("waited"));
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 0);

  MissionControl->Reading = true;
  startPhase(p, {"timelim 1", "wait 5", "print waited"});
  for (int i = 0; i < 3; ++i) p.doRead();
  EXPECT_FALSE(p.Reading);
  EXPECT_FALSE(MissionControl->Reading);
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 14.0f);
  // killtimer turns the limit off.
  startPhase(p, {"timelim 1", "killtimer", "wait 5"});
  for (int i = 0; i < 4; ++i) p.doRead();
  EXPECT_TRUE(p.Reading);
}

TEST_F(MissionTest, TheTimeTextShowsMinutesSecondsAndHundredthsAndBlinksRedLate) {
  struct Case {
    Single t;
    const char* text;
    bool red;
  } cases[] = {{65.3f, "1:05.30", false}, {600, "10:00.00", false}, {9.1f, "0:09.10", true},
               {9.5f, "0:09.50", false}, {0.05f, "0:00.05", true},  {-1, "", false}};
  CMissionPhase p;
  for (const Case& c : cases) {
    p.setTimeT(c.t);
    EXPECT_EQ(p.getTimeLimit(), c.text) << c.t;
    if (c.t >= 0) {
      EXPECT_EQ(CMissionPhase::timeLimitRed(c.t), c.red) << c.t;
    }
  }
}

TEST_F(MissionTest, FlagsLandingsAndTheGoalJump) {
  CMissionPhase& p = MissionControl->getPhase(0);
  startPhase(p, {"linklanding Bank, goal", "linklanding nowhere, x", "linklanding FirstBank, goal", "wait 9",
                 "iffalsegoto boss, skip", "print boss down", "* skip", "wait 9", "* goal", "print arrived"});
  p.doRead();
  EXPECT_TRUE(logged("Unrecognized struct: nowhere"));
  EXPECT_EQ(p.GoalLand, 9);
  p.setFlag("boss");
  p.setFlag("boss");
  EXPECT_TRUE(p.hasFlag("boss"));
  p.forceGotoGoal();
  p.Waiting = 0;
  p.doRead();
  EXPECT_TRUE(logged("arrived"));
  EXPECT_FALSE(logged("boss down"));

  // Every landing word names its structure type.
  const std::pair<const char*, Long> words[] = {
      {"hardware", 0}, {"planethardware", 0}, {"parts", 0}, {"restaurant", 1}, {"rest", 1}, {"dinner", 1},
      {"gas", 4}, {"gasblaster", 4}, {"ships", 5}, {"shipyard", 5}, {"shopping", 6}, {"shoppermart", 6},
      {"ultramart", 6}, {"mart", 6}, {"ammo", 7}, {"ammodepot", 7}, {"hut", 8}, {"trading", 8}, {"bank", 9},
      {"firstbank", 9}, {"missioncontrol", 10}, {"mcontrol", 10}, {"control", 10}, {"landing", -1}};
  for (const auto& [w, type] : words) EXPECT_EQ(CMissionPhase::landingType(w), type) << w;
}

TEST_F(MissionTest, ShipCommandsActOnTheLastShipWithTheTagIgnoringCase) {
  CShip& first = taggedShip(1, "Boss");
  CShip& boss = taggedShip(2, "boss");
  CShip& gone = taggedShip(3, "boss");
  gone.Exists = false;
  CMissionPhase p;
  startPhase(p, {"autoevac BOSS", "forcefriend boss", "makemeblarg boss", "makemotama boss", "makemotama boss",
                 "makeishuo boss", "forceevac nobody", "specialgift nobody, gift", "popfoc ned, nobody, hi"});
  p.doRead();
  EXPECT_EQ(CMissionPhase::findShip("BOSS"), 2);
  EXPECT_EQ(boss.autoEvac, 1);
  EXPECT_TRUE(boss.ForceFriend);
  EXPECT_TRUE(boss.IAmBlarg);
  EXPECT_FALSE(boss.IsMotama);
  EXPECT_TRUE(boss.IsRedMotama);
  EXPECT_TRUE(boss.IsIshuo);
  EXPECT_EQ(first.autoEvac, 0);
  EXPECT_TRUE(logged("can't force evac!"));
  EXPECT_TRUE(logged("special tractor fail: nobody"));
  EXPECT_TRUE(logged("Can't find popup focus: nobody"));
  EXPECT_EQ(GameInterface->PopFocID, -1);
  // The popup waits as long as its box stays open.
  EXPECT_FLOAT_EQ(p.Waiting, 2.0f / 20 + 4);
}

TEST_F(MissionTest, PaymentsStayWithinTheCashRange) {
  struct Case {
    Long start;
    const char* line;
    Long cash;
  } cases[] = {{100, "payme 250", 350},
               {100, "payme -500", -400},
               {100, "payme 2.5", 102},
               {2147483000, "payme 1000000", std::numeric_limits<Long>::max()},
               {-2147483000, "payme -1e12", std::numeric_limits<Long>::min()},
               {5, "payme lots", 5}};
  for (const Case& c : cases) {
    Player->Cash = c.start;
    CMissionPhase p;
    startPhase(p, {c.line});
    p.doRead();
    EXPECT_EQ(Player->Cash, c.cash) << c.line;
  }
}
