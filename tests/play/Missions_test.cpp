// Missions in the real main loop on the default content, headless on Mesa at a fixed 17 ms frame
// time: a mission taken at mission control in Los Gatos that shows its directive and timer, pays,
// raises the faction level and is recorded in a save, while a save taken in the middle of it
// loads with the record as it was. The tutorial has its own test (Tutorial_test.cpp).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmLaunch.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"

namespace {

class MissionGameTest : public GameRunTest {
 protected:
  // Puts the player's ship on the pad and holds the action key (released by releaseAction).
  void landOn(Integer pad) { actionKey = holdActionOver(pad); }
  void releaseAction() {
    if (actionKey >= 0) frmMain.window().postKeyUp(actionKey);
    actionKey = -1;
  }
  static void keepAlive() {
    Ships[0]->Armor = static_cast<Single>(Ships[0]->getMaxArmor());
    Ships[0]->Fuel = static_cast<Single>(Ships[0]->getMaxFuel());
  }
  Long actionKey = -1;
};

}  // namespace

TEST_F(MissionGameTest, AMissionFromMissionControlPaysLevelsUpAndIsSaved) {
  FakeGameClock clock;
  enum class Step { Start, Board, Accept, Running, Done } step = Step::Start;
  bool boardShown = false, directiveShown = false, timerShown = false, midSaveLoaded = false;
  bool midReading = true, midKeepsTut = false, midHasHoldout = true;
  std::string directive;
  Long cashBefore = 0, cashAfter = 0;
  Integer levelAfter = -1;
  Long acceptPass = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 4000) GameRunning = false;
    if (pass == 1) {
      if (!startFlight()) {
        GameRunning = false;
        return;
      }
      World->CurrentNode = World->getNodeFromPath("losgatos");
      resetLevel();
      Player->addMissionComplete("tut.pnd");
      landOn(padServing(structMControl));
      return;
    }
    CInterface& gi = *GameInterface;
    const Single x0 = (ScreenWidth - 500) / 2.0f, y0 = (ScreenHeight - 360) / 2.0f;
    switch (step) {
      case Step::Start:
        keepAlive();
        if (gi.Window != msMissionControl) {
          if (pass > 400) GameRunning = false;
          return;
        }
        releaseAction();
        boardShown = true;
        step = Step::Board;
        break;
      case Step::Board:
        for (Integer k = 0; k <= 2; ++k)
          if (MissionControl->IsNodeMission(k) && MissionControl->getMissionPath(k) == "holdout.pnd") {
            PointerX = x0 + 250;
            PointerY = y0 + 42 + 85.0f * k + 40;
            MouseClicked = true;
            step = Step::Accept;
          }
        if (step != Step::Accept) GameRunning = false;
        break;
      case Step::Accept:
        if (gi.Window != msConfirmMission) return;
        cashBefore = Player->Cash;
        PointerX = ScreenWidth / 2.0f + 60;  // "ok"
        PointerY = ScreenHeight / 2.0f + 25;
        MouseClicked = true;
        acceptPass = pass;
        clock.step = 40;
        step = Step::Running;
        break;
      case Step::Running:
        keepAlive();
        if (MissionControl->getDirectiveFrame() > 0 && !directiveShown) {
          directiveShown = true;
          directive = MissionControl->getDirective();
        }
        if (!MissionControl->getTimeLimit().empty() && !timerShown) {
          timerShown = true;
          Player->Save(1, "mid-mission", 0, -1);  // the record as it stands mid-mission
        }
        if (MissionControl->Reading || pass < acceptPass + 3) return;
        cashAfter = Player->Cash;
        levelAfter = Player->getAlignLevel(0);
        Player->Save(2, "after", 0, -1);
        Player->Load(1, 0, -1);
        midSaveLoaded = true;
        midReading = MissionControl->Reading;
        midKeepsTut = Player->checkMissionComplete("tut.pnd");
        midHasHoldout = Player->checkMissionComplete("holdout.pnd");
        Player->Load(2, 0, -1);
        step = Step::Done;
        GameRunning = false;
        break;
      case Step::Done:
        GameRunning = false;
        break;
    }
  };
  frmMain.Form_Load();

  ASSERT_TRUE(boardShown);
  ASSERT_TRUE(step == Step::Done);
  EXPECT_TRUE(directiveShown);
  EXPECT_EQ(directive, "Hold the gate until the clock runs out");
  EXPECT_TRUE(timerShown);
  EXPECT_EQ(cashAfter, cashBefore + 1500);
  EXPECT_EQ(levelAfter, 1);
  EXPECT_TRUE(midSaveLoaded);
  EXPECT_FALSE(midReading);  // loading stops the mission
  EXPECT_TRUE(midKeepsTut);
  EXPECT_FALSE(midHasHoldout);
  // The save taken after the mission holds it, with the raised level and the pay.
  EXPECT_TRUE(Player->checkMissionComplete("holdout.pnd"));
  EXPECT_EQ(Player->getAlignLevel(0), 1);
  EXPECT_EQ(Player->Cash, cashAfter);
}
