// Mission control: the unlock list and headers of an era, the board's offer rules, loading with
// placeholders, phase switches, completion records and the era that follows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "tests/campaign/MissionFixture.h"

namespace {

class MissionControlTest : public MissionTest {
 protected:
  // A world of linked nodes "home" (neutral) and "away", the player at home.
  void makeWorld() {
    World = std::make_shared<CWorld>();
    World->AddNode("Home Town", "home", 100, 100, "", 0, 0, 0);
    World->AddNode("Far Away", "away", 200, 200, "", 0, 0, 0);
    World->CurrentNode = 0;
  }
  std::vector<std::string> offeredFiles() {
    std::vector<std::string> files;
    for (Integer k = 0; MissionControl->IsNodeMission(k); ++k) files.push_back(MissionControl->getMissionPath(k));
    std::sort(files.begin(), files.end());
    return files;
  }
};

}  // namespace

TEST_F(MissionControlTest, HeadersOfTheVisibleMissionFilesInNameOrder) {
  dir->write("\\data\\unlocks.pnd", "1,\"first\"\r\n2,second\r\n");
  writeMission("\\missions\\era0\\b.pnd",
               "#def name Beta %dt\n#def align any\n#def level 2\n#def recyclable 1\n#def nolevup\n"
               "#def owner ned the elder\n#def desc Go to %dt now\n#def prohibit home town\n#def colour red\n"
               "#phase 0\n#def name ignored\n");
  writeMission("\\missions\\era0\\A.pnd", "#def align wizard\n#def name Alpha\n#def recyclable yes\n");
  writeMission("\\missions\\era0\\.hidden.pnd", "#def name Hidden\n");
  writeMission("\\missions\\era0\\.keep", "");
  writeMission("\\missions\\era0\\notes.txt", "#def name Notes\n");
  MissionControl->GetMissionDefs();

  const auto& u = MissionControl->getEraUnlocks();
  ASSERT_EQ(u.size(), 2u);
  EXPECT_EQ(u[0].era, 1);
  EXPECT_EQ(u[0].mission, "first");
  EXPECT_EQ(u[1].mission, "second");

  const auto& d = MissionControl->getMissionDefs();
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(d[0].file, "A.pnd");
  EXPECT_EQ(d[0].align, 0);
  EXPECT_FALSE(d[0].recyclable);
  EXPECT_TRUE(logged("Unidentified alignment: wizard in mission A.pnd."));
  EXPECT_EQ(d[1].file, "b.pnd");
  EXPECT_EQ(d[1].name, "Beta %dt");  // no "israndom" before it
  EXPECT_EQ(d[1].desc, "Go to %dt now");
  EXPECT_EQ(d[1].align, CMissionControl::AnyAlign);
  EXPECT_EQ(d[1].level, 2);
  EXPECT_TRUE(d[1].recyclable);
  EXPECT_TRUE(d[1].nolevup);
  EXPECT_EQ(d[1].owner, "ned the elder");
  EXPECT_EQ(d[1].prohibit, "home town");
  EXPECT_EQ(d[1].random, -2);
  EXPECT_TRUE(logged("Unidentified #def: colour in mission b.pnd."));
}

TEST_F(MissionControlTest, ALevelRoundsHalfToEvenAndStaysInItsRange) {
  const struct {
    const char* text;
    Integer level;
  } cases[] = {{"2.5", 2},   {"3.5", 4}, {"1.6", 2},         {"-0.5", 0},
               {"-1.5", -2}, {"4", 4},   {"99999", 32767}, {"x", 0}};
  for (size_t i = 0; i < std::size(cases); ++i)
    writeMission("\\missions\\era0\\m" + std::to_string(i) + ".pnd",
                 std::string("#def level ") + cases[i].text + "\n");
  MissionControl->GetMissionDefs();
  const auto& d = MissionControl->getMissionDefs();
  ASSERT_EQ(d.size(), std::size(cases));
  for (size_t i = 0; i < d.size(); ++i) EXPECT_EQ(d[i].level, cases[i].level) << cases[i].text;
}

TEST_F(MissionControlTest, MissingFilesAreReportedAndReadAsEmpty) {
  makeWorld();
  MissionControl->GetMissionDefs();  // no unlock list, no era folder
  EXPECT_TRUE(logged("\\data\\unlocks.pnd: File not found. Missions of the later eras may stay locked"));
  EXPECT_TRUE(logged("Missing mission folder"));
  EXPECT_TRUE(MissionControl->getEraUnlocks().empty());
  MissionControl->SetNodeMissions();
  EXPECT_FALSE(MissionControl->IsNodeMission(0));

  // An era folder holding no mission offers nothing either.
  writeMission("\\missions\\era0\\.keep", "");
  MissionControl->GetMissionDefs();
  EXPECT_TRUE(MissionControl->getMissionDefs().empty());
  MissionControl->SetNodeMissions();
  EXPECT_FALSE(MissionControl->IsNodeMission(0));

  // A mission file that cannot be read leaves a mission without lines: it ends without result.
  MissionControl->LoadMission("gone.pnd", 0, "");
  EXPECT_TRUE(logged("Error in mission gone.pnd"));
  MissionControl->StartMission();
  for (int i = 0; i < 5 && MissionControl->Reading; ++i) MissionControl->doRead();
  EXPECT_FALSE(MissionControl->Reading);
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 0);
}

TEST_F(MissionControlTest, TheBoardOffersByAlignmentLevelRecordPlaceAndDestination) {
  makeWorld();  // one-way links: "home" reaches nothing, so "israndom" finds no destination
  const char* files[][2] = {
      {"neutral.pnd", "#def align neutral\n"},
      {"any.pnd", "#def align any\n"},
      {"zombie.pnd", "#def align zombie\n"},
      {"level1.pnd", "#def level 1\n"},
      {"done.pnd", "#def level 0\n"},
      {"donerecycle.pnd", "#def recyclable 1\n"},
      {"prohibited.pnd", "#def prohibit home\n"},
      {"prohibitaway.pnd", "#def prohibit away\n"},
      {"random.pnd", "#def israndom\n#def name To %dt\n"},
  };
  for (auto& f : files) writeMission(std::string("\\missions\\era0\\") + f[0], f[1]);
  Player->addMissionComplete("done.pnd");
  Player->addMissionComplete("donerecycle.pnd");
  MissionControl->GetMissionDefs();
  for (const MissionDef& d : MissionControl->getMissionDefs())
    if (d.file == "random.pnd") {
      EXPECT_EQ(d.random, -1);
      EXPECT_EQ(d.name, "To %dt");
    }
  MissionControl->SetNodeMissions();
  EXPECT_EQ(offeredFiles(),
            (std::vector<std::string>{"any.pnd", "donerecycle.pnd", "neutral.pnd", "prohibitaway.pnd"}));

  // A level above the player's is offered once the player reaches it, first on the board.
  Player->setAlignLevel(0, 1);
  MissionControl->SetNodeMissions();
  ASSERT_TRUE(MissionControl->IsNodeMission(0));
  EXPECT_EQ(MissionControl->getMissionPath(0), "level1.pnd");
  EXPECT_EQ(offeredFiles().size(), 5u);
  EXPECT_FALSE(MissionControl->IsNodeMission(5));

  // While a mission runs the board stays as it was.
  MissionControl->Reading = true;
  Player->setAlignLevel(0, 0);
  MissionControl->SetNodeMissions();
  EXPECT_EQ(offeredFiles().size(), 5u);
}

TEST_F(MissionControlTest, LevellingMissionsComeBeforeNolevupOnesAndHigherLevelsFirst) {
  makeWorld();
  writeMission("\\missions\\era0\\a.pnd", "#def nolevup\n");
  writeMission("\\missions\\era0\\b.pnd", "#def level 0\n");
  writeMission("\\missions\\era0\\c.pnd", "#def level 2\n");
  writeMission("\\missions\\era0\\d.pnd", "#def level 1\n#def owner hiro\n");
  Player->setAlignLevel(0, 3);
  MissionControl->GetMissionDefs();
  for (int round = 0; round < 5; ++round) {
    MissionControl->SetNodeMissions();
    const auto& board = MissionControl->getNodeMissions();
    ASSERT_EQ(board.size(), 4u);
    EXPECT_EQ(MissionControl->getMissionPath(0), "c.pnd");
    EXPECT_EQ(MissionControl->getMissionPath(1), "d.pnd");
    EXPECT_EQ(board[1].portrait, "hiro");
    EXPECT_EQ(MissionControl->getMissionPath(2), "b.pnd");
    EXPECT_EQ(MissionControl->getMissionPath(3), "a.pnd");
  }
}

TEST_F(MissionControlTest, LoadingFillsPlaceholdersAndSortsLinesIntoPhases) {
  makeWorld();
  writeMission("\\missions\\era0\\m.pnd",
               "#def name M\n"
               "print outside\n"
               "#phase 0\n"
               "print %dt/%dp/%ln/%ld/%pn %dt\n"
               "// a comment\n"
               "\n"
               "#phase 1\n"
               "print one\n"
               "#endphase\n"
               "print between\n"
               "#phase 9\n"
               "print nine\n"
               "#endphase\n");
  writeMission("\\missions\\map\\map-home.pnd", "#phase 0\nprint %pn %dt\n#endphase\n");
  auto firstArg = [](Integer phase) { return MissionControl->getPhase(phase).getLines().at(0).args[0]; };

  MissionControl->LoadMission("m.pnd", 1, "bank");
  EXPECT_EQ(firstArg(0), "Far Away/away/bank/First Bank/%pn Far Away");
  EXPECT_EQ(MissionControl->getPhase(0).getLines().size(), 1u);
  EXPECT_EQ(firstArg(1), "one");
  EXPECT_EQ(MissionControl->getPhase(1).getLines().size(), 1u);
  for (Integer k = 2; k < CMissionControl::PhaseCount; ++k)
    EXPECT_EQ(MissionControl->getPhase(k).getLines().at(0).code, -1) << k;

  MissionControl->LoadMission("m.pnd", 0, "teleporter");
  EXPECT_EQ(firstArg(0), "Home Town/home/teleporter/Unknown/%pn Home Town");
  MissionControl->LoadMission("..\\map\\map-home.pnd", -3, "zom2");
  EXPECT_EQ(firstArg(0), "zom2 %dt");
  EXPECT_EQ(MissionControl->getLoadedName(), "map-home.pnd");
  MissionControl->LoadMission("m.pnd", -1, "bank");
  EXPECT_EQ(firstArg(0), "%dt/%dp/%ln/%ld/%pn %dt");
}

TEST_F(MissionControlTest, PhaseSwitchesCarryTheTimeLimitAndABadPhaseFailsTheMission) {
  makeWorld();
  writeMission("\\missions\\era0\\m.pnd",
               "#phase 0\ndir Go\ntimelim 30\nlock\ngotophase 2\n#phase 2\nwait 100\n#phase 3\ngotophase 8\n");
  MissionControl->LoadMission("m.pnd", 0, "");
  MissionControl->StartMission();
  EXPECT_FALSE(MissionControl->LockedArea);
  EXPECT_EQ(MissionControl->getDirectiveFrame(), 0);
  MissionControl->doRead();  // the first second
  MissionControl->doRead();
  MissionControl->doRead();  // runs phase 0 and switches
  EXPECT_EQ(MissionControl->getCurPhase(), 2);
  EXPECT_TRUE(MissionControl->LockedArea);
  EXPECT_NEAR(MissionControl->getRunningPhase()->getTimeT(), 30.0f, 1e-4);
  EXPECT_EQ(MissionControl->getTimeLimit(), "0:30.00");
  MissionControl->doRead();
  EXPECT_EQ(MissionControl->getTimeLimit(), "0:29.50");
  EXPECT_TRUE(MissionControl->Reading);

  // gotophase names phases 0..7 only.
  MissionControl->getPhase(2).GoalPhase = 3;
  MissionControl->doRead();
  EXPECT_EQ(MissionControl->getCurPhase(), 3);
  for (int i = 0; i < 4; ++i) MissionControl->doRead();
  EXPECT_TRUE(logged("No such mission phase: 8"));
  EXPECT_FALSE(MissionControl->Reading);
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 14.0f);
}

TEST_F(MissionControlTest, CompletionRaisesTheLevelUnlessNolevupAndRecordsTheLoadedFile) {
  makeWorld();
  dir->write("\\data\\unlocks.pnd", "1,\"up\"\n");
  writeMission("\\missions\\era0\\up.pnd", "#def align neutral\n#def level 2\n#phase 0\npass\n");
  writeMission("\\missions\\era0\\flat.pnd", "#def align neutral\n#def nolevup\n#phase 0\npass\n");
  writeMission("\\missions\\era0\\anyone.pnd", "#def align any\n#def level 1\n#phase 0\npass\n");
  writeMission("\\missions\\era0\\tut.pnd", "#def level 99\n#def nolevup\n#phase 0\npass\n");
  writeMission("\\missions\\era1\\next.pnd", "#def name Next\n");
  writeMission("\\missions\\map\\map-home.pnd", "#phase 0\npass\n");
  MissionControl->GetMissionDefs();
  auto run = [](const std::string& file, Integer node) {
    MissionControl->LoadMission(file, node, "");
    MissionControl->curMission = 0;  // the board entry is not what decides the record
    MissionControl->StartMission();
    for (int i = 0; i < 6 && MissionControl->Reading; ++i) MissionControl->doRead();
    return MissionControl->MissionCompleteFrame;
  };

  EXPECT_EQ(run("tut.pnd", 0), 4.0f);
  EXPECT_TRUE(Player->checkMissionComplete("tut.pnd"));
  EXPECT_EQ(Player->getAlignLevel(0), 0);
  EXPECT_TRUE(GameInterface->NeedMissionReinit);

  run("flat.pnd", 0);
  EXPECT_TRUE(Player->checkMissionComplete("flat.pnd"));
  EXPECT_EQ(Player->getAlignLevel(0), 0);

  run("anyone.pnd", 0);  // "any" raises the level of the node's faction
  EXPECT_EQ(Player->getAlignLevel(0), 2);

  run("..\\map\\map-home.pnd", -3);
  EXPECT_TRUE(Player->checkMissionComplete("map-home.pnd"));

  // Completing the unlock mission raises the era; the next era's missions are read.
  EXPECT_EQ(World->CurrentEra, 0);
  run("up.pnd", 0);
  EXPECT_TRUE(Player->checkMissionComplete("up.pnd"));
  EXPECT_EQ(World->CurrentEra, 1);
  ASSERT_EQ(MissionControl->getMissionDefs().size(), 1u);
  EXPECT_EQ(MissionControl->getMissionDefs()[0].name, "Next");
  // A new era starts every faction at level 0 again.
  EXPECT_EQ(Player->getAlignLevel(0), 0);
}

TEST_F(MissionControlTest, RunningPhaseAccessorsAndTags) {
  EXPECT_EQ(MissionControl->getLinkedLanding(), -1);
  EXPECT_EQ(MissionControl->getTimeLimit(), "");
  MissionControl->setTag("nobody");  // no phase runs: nothing happens
  MissionControl->forceGotoGoal();
  MissionControl->StartMission();
  CMissionPhase& p = *MissionControl->getRunningPhase();
  MissionControl->setCurrentWait(3);
  MissionControl->zeroWaiting();
  EXPECT_FLOAT_EQ(MissionControl->getCurrentWait(), 0.1f);
  MissionControl->setTag("boss");
  EXPECT_TRUE(p.hasFlag("boss"));
  p.GoalLand = 9;
  EXPECT_EQ(MissionControl->getLinkedLanding(), 9);
  MissionControl->forceGotoGoal();
  EXPECT_EQ(MissionControl->getLinkedLanding(), -1);
  MissionControl->AbortMission();
  EXPECT_FALSE(MissionControl->Reading);
  EXPECT_EQ(MissionControl->getDirectiveFrame(), 0);
}

TEST_F(MissionControlTest, ALostShipFailsARunningMissionAndTheGamesEndLeavesNothingOfIt) {
  makeWorld();
  writeMission("\\missions\\era0\\stand.pnd",
               "#phase 0\ndir Hold\nifpathgoto away, gone\ntimerlink 30, out\nlock\nwait 100\n* out\n* gone\npass\n");
  writeMission("\\missions\\era0\\quick.pnd", "#phase 0\npass\n");
  auto start = [](const char* file) {
    MissionControl->LoadMission(file, 0, "");
    MissionControl->StartMission();
    for (int i = 0; i < 3; ++i) MissionControl->doRead();
  };

  // The ship lost in the stand: failed, unlocked, nothing recorded.
  start("stand.pnd");
  ASSERT_TRUE(MissionControl->Reading);
  ASSERT_TRUE(MissionControl->LockedArea);
  MissionControl->PlayerShipLost();
  EXPECT_FALSE(MissionControl->Reading);
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 14.0f);
  EXPECT_FALSE(MissionControl->LockedArea);
  EXPECT_FALSE(Player->checkMissionComplete("stand.pnd"));

  // A mission its script passed keeps its result when the ship is lost afterwards.
  start("quick.pnd");
  ASSERT_EQ(MissionControl->MissionCompleteFrame, 4.0f);
  MissionControl->PlayerShipLost();
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 4.0f);
  EXPECT_TRUE(Player->checkMissionComplete("quick.pnd"));

  // The game ends in the middle of the stand: nothing of it runs or shows afterwards.
  start("stand.pnd");
  ASSERT_EQ(World->getGoalPath(), "away");
  MissionControl->MissionCompleteFrame = 3.0f;  // an earlier result still on screen
  MissionControl->EndWithGame();
  EXPECT_FALSE(MissionControl->Reading);
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 0.0f);
  EXPECT_FALSE(MissionControl->LockedArea);
  EXPECT_EQ(MissionControl->getCurPhase(), -1);
  EXPECT_EQ(MissionControl->getTimeLimit(), "");
  EXPECT_EQ(MissionControl->getDirective(), "");
  EXPECT_EQ(MissionControl->getCurrentWait(), 0.0f);
  EXPECT_EQ(World->getGoalPath(), "");
  EXPECT_EQ(World->GoalPathFrame, 0.0f);
  for (Integer k = 0; k < CMissionControl::PhaseCount; ++k) {
    EXPECT_FALSE(MissionControl->getPhase(k).Reading);
    EXPECT_EQ(MissionControl->getPhase(k).getTimeT(), -1.0f);
  }
  MissionControl->PlayerShipLost();  // no mission: no banner
  EXPECT_EQ(MissionControl->MissionCompleteFrame, 0.0f);
}
