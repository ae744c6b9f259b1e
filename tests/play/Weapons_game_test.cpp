// Firing in the real main loop: the player's ship, built from a new campaign record with a laser
// put on mount 0 over the default map, fires while the bound "attack:" key is held and stops when it
// is released, at a fixed 17 ms frame time (a fake clock), headless on Mesa.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "campaign/CPlayer.h"
#include "game/CameraMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"
#include "tests/support/GameRunFixture.h"

namespace {
// Live laser shots of the player's ship in the pool.
int playerLasers() {
  int n = 0;
  for (const CSprite& s : Sprites)
    if (s.Exists && s.sType == skLaserShot && s.Owner == 0) ++n;
  return n;
}

class WeaponsGameTest : public GameRunTest {};
}  // namespace

TEST_F(WeaponsGameTest, TheAttackKeyFiresTheMountsWhileHeld) {
  FakeGameClock clock;
  Integer attack = 0;
  int beforeHold = -1, whileHeld = -1, shotsSeen = 0;
  bool mapLoaded = false;
  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    switch (pass) {
      case 1:
        mapLoaded = startFlight();
        Ships[0]->setMount(0, 1);  // a laser
        Ships[0]->makePrimaryInterval();
        attack = Player->getCharKey(10);
        break;
      case 10:
        beforeHold = playerLasers();
        w.postKeyDown(attack);  // delivered in the next frame's yield
        break;
      case 40:  // about half a second of fire at one shot per 0.25 s
        whileHeld = playerLasers();
        w.postKeyUp(attack);
        break;
      default:
        if (pass > 11 && pass <= 40) shotsSeen = std::max(shotsSeen, playerLasers());
        if (pass == 41) {
          EXPECT_FALSE(Ships[0]->keyPrimary);
        }
        if (pass > 60) GameRunning = false;
    }
  };
  frmMain.Form_Load();

  ASSERT_TRUE(mapLoaded);
  EXPECT_EQ(beforeHold, 0);
  EXPECT_GE(shotsSeen, 1);  // shots of kind 8 owned by the player appeared while the key was held
  EXPECT_GE(whileHeld, 0);
}
