// Quick taps in the real main loop on the generated content, headless on Mesa: a mouse press and
// its release delivered within one frame's events (a click faster than a frame) is taken like a
// press held for a while, by a node of the warp map, by a store's button and by the prompt after
// the player's ship is smashed (which a click let go while the ship goes down does not answer).
#include <gtest/gtest.h>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/CameraMod.h"
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
class TapGameTest : public GameRunTest {
 protected:
  // A press and its release at the pointer, both in the next frame's events.
  static void tap(Single x, Single y) {
    PointerX = x;
    PointerY = y;
    frmMain.window().postMouseDown(1, x, y);
    frmMain.window().postMouseUp(1, x, y);
  }
};
}  // namespace

TEST_F(TapGameTest, ATapOnAWarpMapNodePlansTheRoute) {
  FakeGameClock clock;
  Integer mapKey = -1, target = -1;
  Long openedAt = -1, tappedAt = -1;
  Integer destAfterTap = -2;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 400) GameRunning = false;
    if (pass == 1) {
      if (!startFlight()) {
        GameRunning = false;
        return;
      }
      const Integer home = World->getNodeFromPath("losgatos");
      World->CurrentNode = home;
      World->ClearDest();
      resetLevel();
      for (Integer n = 0; n <= World->getTotalNodes() && target < 0; ++n)
        if (n != home && World->isLinkOpen(home, n)) target = n;
      mapKey = Player->getCharKey(9);
      frmMain.window().postKeyDown(mapKey);
      frmMain.window().postKeyUp(mapKey);
      return;
    }
    if (target < 0) {
      GameRunning = false;
      return;
    }
    if (openedAt < 0) {
      if (GameInterface->hasMouse()) openedAt = pass;
      return;
    }
    const Single x = World->getNodeX(target) - World->ScrollX, y = World->getNodeY(target) - World->ScrollY;
    if (tappedAt < 0) {
      PointerX = x;
      PointerY = y;
      if (pass < openedAt + 20) return;  // fully open by now
      tap(x, y);
      tappedAt = pass;
      return;
    }
    if (pass == tappedAt + 3) {
      destAfterTap = World->DestNode;
      GameRunning = false;
    }
  };
  frmMain.Form_Load();
  ASSERT_GE(target, 0) << "losgatos has no open neighbour";
  ASSERT_GT(openedAt, 0) << "the warp map did not open";
  EXPECT_EQ(destAfterTap, target) << "the tap on the node planned no route";
}

TEST_F(TapGameTest, ATapOnAStoreButtonIsTaken) {
  FakeGameClock clock;
  Integer action = -1;
  Long storeAt = -1, tappedAt = -1;
  Long windowAfterTap = -1;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 600) GameRunning = false;
    if (pass == 1) {
      if (!startFlight()) {
        GameRunning = false;
        return;
      }
      action = holdActionOver(padServing(structParts));
      return;
    }
    CInterface& gi = *GameInterface;
    if (storeAt < 0) {
      if (gi.Window != msHardware) return;
      storeAt = pass;
      frmMain.window().postKeyUp(action);
      return;
    }
    if (tappedAt < 0) {
      if (pass < storeAt + 10) return;
      tap(ScreenWidth / 2.0f, (ScreenHeight - 360) / 2.0f + 330);  // "done!"
      tappedAt = pass;
      return;
    }
    if (pass == tappedAt + 3) {
      windowAfterTap = gi.Window;
      GameRunning = false;
    }
  };
  frmMain.Form_Load();
  ASSERT_GT(storeAt, 0) << "the store never opened";
  EXPECT_EQ(windowAfterTap, msNone) << "the tap on \"done!\" left the store open";
}

// The ship is wrecked by a blow of the test (its own damage routine), not by play.
TEST_F(TapGameTest, ATapAnswersTheSmashedPromptAndAClickWhileGoingDownDoesNot) {
  FakeGameClock clock;
  Long promptAt = -1, tappedAt = -1;
  Long windowBeforeTap = -1, windowAfterTap = -1;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 1500) GameRunning = false;
    if (pass == 1) {
      if (!startFlight()) {
        GameRunning = false;
        return;
      }
      clock.step = 40;
      Ships[0]->Hit(skSplashDamage, -1, D3DVECTOR{0, 1, 0}, 1e6f);
      return;
    }
    CInterface& gi = *GameInterface;
    const bool prompt = !Ships[0]->Exists && IntroClock > 3;
    if (!prompt) {
      if (pass % 20 == 0) tap(ScreenWidth / 2.0f, ScreenHeight / 2.0f);  // clicks while going down
      return;
    }
    if (promptAt < 0) {
      promptAt = pass;
      return;
    }
    if (pass == promptAt + 10) windowBeforeTap = gi.Window;
    if (pass == promptAt + 20) {
      tap(ScreenWidth / 2.0f, ScreenHeight / 2.0f);
      tappedAt = pass;
    }
  };
  // The prompt's answer replaces the interface: the frame after the tap shows the main menu.
  frmMain.beforePresentForTests = [&](Long pass) {
    if (tappedAt > 0 && pass == tappedAt + 3) {
      windowAfterTap = GameInterface->Window;
      GameRunning = false;
    }
  };
  frmMain.Form_Load();
  ASSERT_GT(promptAt, 0) << "the smashed prompt never showed";
  EXPECT_EQ(windowBeforeTap, msNone) << "a click let go while the ship went down answered the prompt";
  EXPECT_EQ(windowAfterTap, msMainMenu) << "the tap on the smashed prompt was not taken";
}
