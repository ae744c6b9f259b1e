// A bounty office visit in the real main loop on the generated content, headless on Mesa, at a
// fixed 17 ms frame time: the player's ship waits on the landing pad beside the bounty office of
// the default map, the action key is held until the office opens on its news page, a click on
// "bounty hunting" shows the targets read from the shipped bounty file, and a click on the first
// offer takes it: the bounty is hunted, the office closes and the landing is held.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"

struct BountyProbe {
  CInterface& g;
  std::array<Integer, 3>& offers() { return g.bountyOffers; }
  Single msgTimer() { return g.bountyMsgTimer; }
  std::string msg() { return g.bountyMsg; }
};

namespace {
class BountyGameTest : public GameRunTest {};
}  // namespace

TEST_F(BountyGameTest, LandAtTheOfficeWatchTheNewsThenTakeATarget) {
  FakeGameClock clock;
  bool loaded = false;
  Integer pad = -1, action = 0, taken = -1;
  long opened = -1, huntClick = -1, takeClick = -1;
  bool openedOnNews = false, huntPage = false;
  std::string firstName;
  Long windowAfter = -1, stateAfter = -1;
  Single landingAfter = 0, msgTimer = 0;
  std::string msg;
  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    const Single y0 = ScreenHeight / 2.0f - 180;
    auto click = [&](Single x, Single y) {
      PointerX = x;
      PointerY = y;
      w.postMouseDown(1, x, y);
      w.postMouseUp(1, x, y);
    };
    if (pass == 1) {
      loaded = startFlight();
      pad = loaded ? padServing(structRestaurant) : -1;
      if (pad < 0) {
        GameRunning = false;
        return;
      }
      action = holdActionOver(pad);
      return;
    }
    if (opened < 0) {
      if (GameInterface->Window == msBountyOffice) {
        opened = pass;
        openedOnNews = !GameInterface->BountyMode;
        w.postKeyUp(action);
        click(ScreenWidth / 2.0f + 150, y0 + 330);  // "bounty hunting"
        huntClick = pass + 1;
      } else if (pass > 400) {
        GameRunning = false;
      }
      return;
    }
    if (pass == huntClick) {
      huntPage = GameInterface->BountyMode;
      taken = BountyProbe{*GameInterface}.offers()[0];
      if (taken < 0) {
        GameRunning = false;
        return;
      }
      firstName = GameInterface->getBountyName(taken);
      click(ScreenWidth / 2.0f, y0 + 84);  // the first offer's row
      takeClick = pass + 1;
      return;
    }
    if (pass == takeClick) {
      windowAfter = GameInterface->Window;
      stateAfter = Player->getBountyHunted(taken);
      landingAfter = Ships[0]->LandingFrame;
      msg = BountyProbe{*GameInterface}.msg();
    }
    if (pass == takeClick + 1) {
      msgTimer = BountyProbe{*GameInterface}.msgTimer();
      GameRunning = false;
    }
  };
  frmMain.Form_Load();

  ASSERT_TRUE(loaded);
  ASSERT_GE(pad, 0) << "the default map has no bounty office beside a landing pad";
  ASSERT_GT(opened, 0) << "the bounty office never opened";
  EXPECT_TRUE(openedOnNews);
  EXPECT_TRUE(huntPage);
  ASSERT_GE(taken, 0) << "the shipped bounty file offered nothing";
  EXPECT_FALSE(firstName.empty());
  EXPECT_EQ(windowAfter, msNone);
  EXPECT_EQ(stateAfter, 1);
  EXPECT_EQ(landingAfter, 1001);
  EXPECT_EQ(msg, "new target: [R]" + firstName + "[r]!");
  EXPECT_GT(msgTimer, 1.9f);  // shown in flight and running down
  EXPECT_LT(msgTimer, 2.0f);
}
