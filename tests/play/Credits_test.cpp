// The end credits in the real main loop on the generated content, headless on Mesa, at a fixed
// 17 ms frame time: from flight over the default map the credits start, pause the game, read the
// shipped credits file and fly their tunnel; a click skips to the flash, and about four seconds
// later the ship warps back into the map and the slow-motion notice of a fresh record follows.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "sprites/CSprite.h"
#include "sprites/SpriteMod.h"
#include "tests/support/GameRunFixture.h"

namespace {
using CreditsGameTest = GameRunTest;

int liveSprites(Long kind) {
  int n = 0;
  for (const CSprite& s : Sprites) n += s.Exists && s.sType == kind;
  return n;
}
}  // namespace

TEST_F(CreditsGameTest, TheCreditsRollToTheirEndAndTheNotice) {
  FakeGameClock clock;
  bool loaded = false;
  long started = -1, clicked = -1, ended = -1;
  bool pausedDuring = false, tunnelDuring = false;
  int tunnelRings = 0;
  Long windowAtEnd = -1;
  Single heightAtEnd = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    if (pass == 1) {
      loaded = startFlight();
      if (!loaded) GameRunning = false;
      return;
    }
    if (pass == 3) {
      Player->setHasCheat(3, 0);
      GameInterface->doCredits();
      started = pass;
      return;
    }
    if (started < 0) return;
    if (pass == started + 150) {  // 2.5 s: faded in, the tunnel flying, the first lines up
      pausedDuring = GamePaused && GameInterface->Window == msCredits;
      tunnelDuring = GameInterface->canCredTunnel();
      tunnelRings = liveSprites(skCreditTunnel);
      PointerX = 400;
      PointerY = 300;
      w.postMouseDown(1, 400, 300);
      w.postMouseUp(1, 400, 300);
      clicked = pass;
      return;
    }
    if (clicked > 0 && ended < 0 && GameInterface->Window != msCredits) {
      ended = pass;
      windowAtEnd = GameInterface->Window;
      heightAtEnd = Ships[0]->e;
      GameRunning = false;
    }
    if (pass > started + 2000) GameRunning = false;
  };
  frmMain.Form_Load();

  ASSERT_TRUE(loaded);
  ASSERT_GT(started, 0);
  EXPECT_TRUE(pausedDuring);
  EXPECT_TRUE(tunnelDuring);
  EXPECT_GT(tunnelRings, 5) << "nine rings a second, each living 4 s";
  ASSERT_GT(ended, 0) << "the credits never ended";
  // 146 -> 150 at 17 ms a frame: 236 frames, give or take the click's frame.
  EXPECT_NEAR(ended - clicked, 237, 3);
  EXPECT_EQ(windowAtEnd, msSloMoUnlocked);
  EXPECT_GT(heightAtEnd, 2000) << "the ship warps in from above";
}
