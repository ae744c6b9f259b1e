// The in-flight HUD in the real main loop: in flight over "losgatos" with the "hud20" part, the
// frame shows the radar with the player's dot at its centre and a hostile ship's dot where its
// offset puts it and the status gauges in their colours; the interface hands the target view its
// ship. A fixed 17 ms frame time (a fake clock), headless on Mesa.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "campaign/CPlayer.h"
#include "game/CameraMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/GameRunFixture.h"

namespace {
class HudGameTest : public GameRunTest {
 protected:
  bool mapLoaded = false;
};

bool near(const Rgba& c, int r, int g, int b, int tol) {
  return std::abs(c.r - r) <= tol && std::abs(c.g - g) <= tol && std::abs(c.b - b) <= tol;
}
}  // namespace

TEST_F(HudGameTest, FlightShowsTheRadarAndTheStatusGauges) {
  FakeGameClock clock;
  PixelImage frame;
  Integer targRender = -9;
  frmMain.beforePresentForTests = [&](Long pass) {
    if (pass == 12) D3DDevice->ReadBackBuffer(frame.argb, frame.width, frame.height);
  };
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass == 1) {
      mapLoaded = startFlight();
      Player->HasHud20 = true;
      CShip& enemy = *Ships[1];
      enemy.setDef(*ShipDefs.at(0));
      enemy.Init(1);
      enemy.x = Ships[0]->x + 2000;  // 20 pixels from the radar's centre
      enemy.y = Ships[0]->y;
      enemy.e = Ships[0]->e;
      enemy.setAIHostile(0, true);
      Ships[0]->SecondaryTarget = 1;
    }
    if (pass == 11) {
      // Hold the enemy where the radar should show it in the next frame.
      CShip& enemy = *Ships[1];
      enemy.x = Ships[0]->x + 2000 * std::cos(Ships[0]->r);
      enemy.y = Ships[0]->y - 2000 * std::sin(Ships[0]->r);
      enemy.xM = enemy.yM = enemy.eM = 0;
    }
    if (pass == 12) {
      targRender = GameInterface->TargRender;
      GameRunning = false;
    }
    if (pass > 40) GameRunning = false;
  };
  frmMain.Form_Load();

  ASSERT_TRUE(mapLoaded);
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  EXPECT_EQ(targRender, 1);
  // The player's dot: white at the radar's centre (73..77).
  EXPECT_TRUE(near(frame.at(75, 75), 255, 255, 255, 30)) << frame.at(75, 75).r << " " << frame.at(75, 75).g;
  // The hostile ship straight ahead-right on the radar (bearing = heading): 20 pixels right.
  const Rgba enemy = frame.at(95, 75);
  EXPECT_GT(enemy.r, 200);
  EXPECT_LT(enemy.g, enemy.r - 60);
  // Armour gauge (green, radius 80 about (780, 585)) and shield gauge (blue, radius 100), full:
  // each adds its colour over the status panel.
  const Rgba panel = frame.at(660, 470);
  const Rgba armour = frame.at(780 - 57, 585 - 57), shields = frame.at(780 - 71, 585 - 71);
  EXPECT_GT(armour.g - armour.r, panel.g - panel.r + 20) << armour.r << " " << armour.g << " " << armour.b;
  EXPECT_GT(shields.b - shields.r, panel.b - panel.r + 20) << shields.r << " " << shields.g << " " << shields.b;
}
