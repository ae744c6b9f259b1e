// A store visit in the real main loop on the generated content, headless on Mesa, at a fixed 17 ms
// frame time: the player's ship waits on the landing pad of the gas station of the default map
// "losgatos", the action key is held until the station's screen opens, a click on the fuel button
// fills the tank for cash, and "done!" returns to flight with the landing held.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "campaign/CPlayer.h"
#include "game/CameraMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/GameRunFixture.h"

namespace {
class StoreGameTest : public GameRunTest {};
}  // namespace

TEST_F(StoreGameTest, LandAtTheGasStationRefuelAndLeave) {
  FakeGameClock clock;
  bool loaded = false;
  Integer pad = -1, action = 0;
  long opened = -1, fuelClick = -1, doneClick = -1;
  Long cashBefore = 0, cashAfterFuel = 0, maxFuel = 0, fuelAfter = 0;
  Long windowAfterDone = -1;
  Single landingAfterDone = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    CShip& s = *Ships[0];
    const Single x0 = (ScreenWidth - 300) / 2.0f, y0 = (ScreenHeight - 360) / 2.0f;
    if (pass == 1) {
      loaded = startFlight();
      pad = padServing(structGas);
      if (!loaded || pad < 0) {
        GameRunning = false;
        return;
      }
      action = holdActionOver(pad);  // held until the screen opens
      return;
    }
    if (opened < 0) {
      if (GameInterface->Window == msGasStation) {
        opened = pass;
        w.postKeyUp(action);
        s.Fuel = 100;
        maxFuel = s.getMaxFuel();
        Player->Cash = 10000;
        cashBefore = Player->Cash;
        PointerX = x0 + 150;  // the fuel button
        PointerY = y0 + 120;
        w.postMouseDown(1, PointerX, PointerY);
        w.postMouseUp(1, PointerX, PointerY);
        fuelClick = pass + 1;
      } else if (pass > 400) {
        GameRunning = false;
      }
      return;
    }
    if (pass == fuelClick) {
      fuelAfter = s.Fuel;
      cashAfterFuel = Player->Cash;
      PointerX = ScreenWidth / 2.0f;  // "done!"
      PointerY = y0 + 330;
      w.postMouseDown(1, PointerX, PointerY);
      w.postMouseUp(1, PointerX, PointerY);
      doneClick = pass + 1;
      return;
    }
    if (pass == doneClick) {
      windowAfterDone = GameInterface->Window;
      landingAfterDone = s.LandingFrame;
    }
    if (pass >= doneClick + 30) GameRunning = false;  // half a second of flight: no screen again
    if (pass > doneClick && GameInterface->Window != msNone) GameRunning = false;
  };
  frmMain.Form_Load();

  ASSERT_TRUE(loaded);
  ASSERT_GE(pad, 0) << "the default map has no gas station beside a landing pad";
  ASSERT_GT(opened, 0) << "the gas station never opened";
  EXPECT_LT(opened, 200);
  // The click filled the tank: 0.04 a unit, rounded half to even.
  EXPECT_EQ(fuelAfter, maxFuel);
  EXPECT_EQ(cashAfterFuel, cashBefore - CLng((maxFuel - 100) * 0.04));
  EXPECT_EQ(windowAfterDone, msNone);
  EXPECT_EQ(landingAfterDone, 1001);
  EXPECT_EQ(GameInterface->Window, msNone);
}
