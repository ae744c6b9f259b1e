// A mission ends with the game it belongs to, in the real main loop on the generated content,
// headless on Mesa: "Hold the Gate" (a 15-second stand in a locked area with two raiders and a
// talk box) is taken at mission control in Los Gatos, then the game ends — the player's ship is
// smashed and the death prompt's click goes back to the main menu, where a slot is loaded; or
// Escape and "ok" quit to the main menu, where "new game" runs the wizard into flight. The main
// menu's level has its traffic, and in the next game nothing of the mission is left: no result
// banner, time limit, lock, raider, talk box, pay or completion, and mission control does not run.
// A smashed ship fails the mission.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"
#include "tests/support/GameRunFixture.h"

namespace {

// How the game holding the mission ends, and when.
enum class Ending {
  SmashedThenLoad,   // smashed in the stand; the death prompt's click; "load game", slot 0
  QuitWhileRunning,  // Escape in the stand, "ok"; "new game" and the wizard into flight
  QuitAtItsBanner,   // Escape right after the mission passed, "ok"; the wizard into flight
};

struct EndCase {
  const char* label;
  Ending ending;
};

// What the test saw of the lost game and then of the next one.
struct Seen {
  bool started = false;           // the mission ran, with its directive
  bool raidersSpawned = false;    // the mission's ships were in the level
  bool ended = false;             // the next game reached flight
  // The lost game (smashed case): the result banner under the death camera.
  bool readingAfterSmash = true;  // mission control still ran 0.5 s after the smash
  Single bannerAtSmash = 0;       // the banner's clock 0.5 s after the smash (14 .. 10: failed)
  Single bannerLeftInDeath = -1;  // the banner's clock when the death prompt's click came
  bool completedInLostGame = true;
  Long paidInLostGame = -1;
  // The main menu's running level, as the lost game ended: its ships besides the player's.
  Integer menuShips = -1;
  // The next game, over 3 s of flight.
  bool reading = true;
  Single banner = -1;             // highest result banner clock seen
  bool timeLimit = true, locked = true, talkBox = true, raiders = true, directive = true;
  bool completed = true;
  Long cashExpected = -1, cash = -2;
  Integer level = -1;
};

class MissionEndTest : public GameRunTest, public ::testing::WithParamInterface<EndCase> {
 protected:
  Seen run(Ending ending);
  static void keepAlive() {
    Ships[0]->Armor = static_cast<Single>(Ships[0]->getMaxArmor());
    Ships[0]->Fuel = static_cast<Single>(Ships[0]->getMaxFuel());
  }
  static bool raiderInLevel() {
    for (const auto& s : Ships)
      if (s && s->Exists && (s->getTag() == "raider1" || s->getTag() == "raider2")) return true;
    return false;
  }
};

bool wizardPage(Long w) {
  return w == msNewDifficulty || w == msNewSaveSlot || (w >= msNewShip && w <= msNewAllSet);
}

enum class Step { Start, Board, Accept, Running, Dying, Menu, Manager, Quit, Wizard, Intro, Next, Done };

Seen MissionEndTest::run(Ending ending) {
  FakeGameClock clock;
  Seen seen;
  Step step = Step::Start;
  Long at = 0, seenAt = -1, smashPass = -1, flightFrames = 0;
  Long page = -1;
  Long actionKey = -1, cashBefore = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 9000) GameRunning = false;
    if (pass == 1) {
      if (!startFlight()) {
        GameRunning = false;
        return;
      }
      World->CurrentNode = World->getNodeFromPath("losgatos");
      resetLevel();
      Player->addMissionComplete("tut.pnd");
      Player->Save(0, "before the gate", 0, -1);  // the slot the smashed case loads
      seen.cashExpected = Player->Cash;
      actionKey = holdActionOver(padServing(structMControl));
      return;
    }
    CInterface& gi = *GameInterface;
    const Single cx = ScreenWidth / 2.0f, cy = ScreenHeight / 2.0f;
    const Single x0 = (ScreenWidth - 500) / 2.0f, y0 = (ScreenHeight - 360) / 2.0f;
    auto click = [](Single x, Single y) {
      PointerX = x;
      PointerY = y;
      MouseClicked = true;
    };
    auto escape = [] {
      frmMain.window().postKeyDown(27);
      frmMain.window().postKeyUp(27);
    };
    switch (step) {
      case Step::Start:
        keepAlive();
        if (gi.Window != msMissionControl) {
          if (pass > 400) GameRunning = false;
          return;
        }
        frmMain.window().postKeyUp(actionKey);
        step = Step::Board;
        break;
      case Step::Board:
        step = Step::Done;
        for (Integer k = 0; k <= 2; ++k)
          if (MissionControl->IsNodeMission(k) && MissionControl->getMissionPath(k) == "holdout.pnd") {
            click(x0 + 250, y0 + 42 + 85.0f * k + 40);
            step = Step::Accept;
          }
        if (step == Step::Done) GameRunning = false;
        break;
      case Step::Accept:
        if (gi.Window != msConfirmMission) return;
        cashBefore = Player->Cash;
        click(cx + 60, cy + 25);  // "ok"
        at = pass;
        clock.step = 40;
        step = Step::Running;
        break;
      case Step::Running:
        keepAlive();
        if (MissionControl->getDirectiveFrame() > 0) seen.started = true;
        if (raiderInLevel()) seen.raidersSpawned = true;
        if (ending == Ending::QuitAtItsBanner) {
          if (MissionControl->Reading || pass < at + 3) return;
          escape();
          step = Step::Quit;
          return;
        }
        // In the stand: the raiders are in and the clock runs.
        if (!seen.raidersSpawned || MissionControl->getTimeLimit().empty()) {
          if (pass > at + 2000) GameRunning = false;
          return;
        }
        if (smashPass < 0) smashPass = pass;
        if (pass < smashPass + 40) return;
        if (ending == Ending::QuitWhileRunning) {
          escape();
          step = Step::Quit;
          return;
        }
        // Smashed: the ship's own damage routine, far beyond its armour.
        Ships[0]->Hit(skSplashDamage, -1, D3DVECTOR{0, 1, 0}, 1.0e6f);
        smashPass = pass;
        step = Step::Dying;
        break;
      case Step::Dying:
        if (pass == smashPass + 12) {
          seen.readingAfterSmash = MissionControl->Reading;
          seen.bannerAtSmash = MissionControl->MissionCompleteFrame;
        }
        // The death prompt shows 3 s after the wreck blows up; click well after the mission's
        // 15-second clock would have run out.
        if (pass < smashPass + 1000 || Ships[0]->Exists) return;
        seen.bannerLeftInDeath = MissionControl->MissionCompleteFrame;
        seen.completedInLostGame = Player->checkMissionComplete("holdout.pnd");
        seen.paidInLostGame = Player->Cash - cashBefore;
        clock.step = 1;
        MouseHeld = true;
        step = Step::Menu;
        break;
      case Step::Quit:
        if (gi.Window != msConfirmQuit) return;
        click(cx + 60, cy + 25);  // "ok"
        clock.step = 1;
        step = Step::Menu;
        break;
      case Step::Menu:
        if (gi.Window != msMainMenu) return;
        MouseHeld = false;
        if (seenAt < 0) seenAt = pass;
        if (pass < seenAt + 5) return;
        seenAt = -1;
        seen.menuShips = 0;
        for (size_t i = 1; i < Ships.size(); ++i)
          if (Ships[i] && Ships[i]->Exists) ++seen.menuShips;
        if (ending == Ending::SmashedThenLoad) {
          click(cx - 121, cy + 120);  // "load game"
          step = Step::Manager;
        } else {
          click(cx - 241, cy + 120);  // "new game"
          step = Step::Wizard;
        }
        break;
      case Step::Manager:
        if (gi.Window != msGameManager) return;
        if (seenAt < 0) seenAt = pass;
        if (pass < seenAt + 3) return;
        click(x0 + 250, y0 + 282);  // "load" (slot 0 is chosen)
        step = Step::Next;
        break;
      case Step::Wizard: {
        // Each page as it comes: "very easy", the middle ship, a driver, then "next" throughout.
        const Single top = cy - 200;
        if (!wizardPage(gi.Window)) return;
        if (seenAt < 0 || gi.Window != page) {
          seenAt = pass;
          page = gi.Window;
        }
        const Long f = pass - seenAt;
        if (page == msNewDifficulty) {
          if (f == 80) click(cx + 150, top + 110);
        } else if (page == msNewShip) {
          if (f == 2) click(cx + 15 + 90 + 42, top - 45 + 230 + 42);
          if (f == 4) click(cx + 230, top + 315);
        } else {
          if (page == msNewDriver && f == 2) click(cx + 20 + 64 + 30, top + 200 + 64 + 30);
          if (f != 4) return;
          if (page == msNewAllSet) {
            seen.cashExpected = Player->Cash;
            step = Step::Intro;
          }
          click(cx + 230, top + 360);  // "next", "finish!"
        }
        break;
      }
      case Step::Intro:
        if (gi.Window == msIntro) {
          clock.step = 200;
          if (pass % 10 == 0) MouseClicked = true;
          return;
        }
        if (gi.Window != msNone) return;
        clock.step = 1;
        step = Step::Next;
        break;
      case Step::Next:
        if (gi.Window != msNone) return;
        ++flightFrames;
        if (flightFrames == 1) {
          seen.ended = true;
          seen.reading = false;
          seen.timeLimit = seen.locked = seen.talkBox = seen.raiders = seen.directive = false;
          seen.banner = 0;
        }
        seen.reading = seen.reading || MissionControl->Reading;
        seen.banner = std::max(seen.banner, MissionControl->MissionCompleteFrame);
        seen.timeLimit = seen.timeLimit || !MissionControl->getTimeLimit().empty();
        seen.locked = seen.locked || MissionControl->LockedArea;
        seen.talkBox = seen.talkBox || gi.getTalkBox();
        seen.raiders = seen.raiders || raiderInLevel();
        seen.directive = seen.directive || MissionControl->getDirectiveFrame() > 0;
        if (flightFrames < 180) return;
        seen.cash = Player->Cash;
        seen.completed = Player->checkMissionComplete("holdout.pnd");
        seen.level = Player->getAlignLevel(0);
        step = Step::Done;
        GameRunning = false;
        break;
      case Step::Done:
        GameRunning = false;
        break;
    }
  };
  frmMain.Form_Load();
  return seen;
}

void expectNothingReached(const Seen& s) {
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(s.raidersSpawned);
  // Los Gatos' traffic: at least its median less two ships, as without a mission.
  EXPECT_GE(s.menuShips, 3) << "the main menu's level is empty";
  ASSERT_TRUE(s.ended) << "the next game never reached flight";
  EXPECT_FALSE(s.reading);
  EXPECT_EQ(s.banner, 0.0f) << "a result banner of the lost mission";
  EXPECT_FALSE(s.timeLimit);
  EXPECT_FALSE(s.locked);
  EXPECT_FALSE(s.directive);
  EXPECT_FALSE(s.talkBox);
  EXPECT_FALSE(s.raiders);
  EXPECT_FALSE(s.completed);
  EXPECT_EQ(s.cash, s.cashExpected);
  EXPECT_EQ(s.level, 0);
}

const EndCase QuitCases[] = {
    {"WhileItRuns", Ending::QuitWhileRunning},
    {"UnderItsResultBanner", Ending::QuitAtItsBanner},
};

}  // namespace

// Smashed 2 s into the stand: the mission fails at once ("mission failed!" runs its course under
// the death camera; the clock that would have passed it never pays or records it), and the slot
// loaded from the main menu holds nothing of it.
TEST_F(MissionEndTest, ASmashedShipFailsItsMissionAndALoadedSlotHasNoneOfIt) {
  const Seen s = run(Ending::SmashedThenLoad);
  ASSERT_TRUE(s.started);
  EXPECT_FALSE(s.readingAfterSmash);
  EXPECT_GT(s.bannerAtSmash, 10.0f) << "the result is not a failure";
  EXPECT_LT(s.bannerAtSmash, 14.0f) << "the failure banner does not run under the death camera";
  EXPECT_EQ(s.bannerLeftInDeath, 0.0f);
  EXPECT_FALSE(s.completedInLostGame);
  EXPECT_EQ(s.paidInLostGame, 0);
  expectNothingReached(s);
}

TEST_P(MissionEndTest, QuitToTheMainMenuThenANewGameHasNoneOfIt) { expectNothingReached(run(GetParam().ending)); }

INSTANTIATE_TEST_SUITE_P(Quit, MissionEndTest, ::testing::ValuesIn(QuitCases),
                         [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.label); });
