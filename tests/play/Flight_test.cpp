// Flight in the real main loop: the player's ship is built from a new campaign record over the
// default map "losgatos", then flown with scripted keys and mouse motion through the window's
// event queue, at a fixed 17 ms frame time (a fake clock), headless on Mesa.
#include <gtest/gtest.h>

#include <cmath>
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
#include "tests/support/GameRunFixture.h"

namespace {
struct Sample {
  Single x = 0, y = 0, e = 0, r = 0, speed = 0;
};

Sample sample(const CShip& s) { return Sample{s.x, s.y, s.e, s.r, s.Speed}; }

class FlightGameTest : public GameRunTest {
 protected:
  bool mapLoaded = false;
};
}  // namespace

TEST_F(FlightGameTest, ThePlayersShipFliesUnderKeysAndMouseAndTheCameraFollows) {
  FakeGameClock clock;
  Integer thrust = 0, lookRight = 0;
  Sample atStart, beforeTurn, afterTurn, beforeMouse, afterMouse, coasting;
  D3DVECTOR eyeBeforeTurn{};
  double frameTime = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    CShip* s = Ships.empty() ? nullptr : Ships[0].get();
    switch (pass) {
      case 1:
        mapLoaded = startFlight();
        thrust = Player->getCharKey(0);
        lookRight = Player->getCharKey(13);
        atStart = sample(*Ships[0]);
        w.postKeyDown(thrust);  // delivered in the next frame's yield
        break;
      case 91:  // 1.5 s of thrust
        beforeTurn = sample(*s);
        eyeBeforeTurn = CamEye;
        frameTime = FrameTime;
        w.postKeyDown(lookRight);
        break;
      case 121:  // half a second of turning right
        afterTurn = sample(*s);
        w.postKeyUp(lookRight);
        break;
      case 125:
        for (int k = 0; k < 10; ++k) w.postMouseMotion(-30, 0);  // the mouse steers left
        break;
      case 127:  // the camera of this frame read the motion (delivered in frame 126's yield)
        beforeMouse = sample(*s);
        break;
      case 128:  // and this frame's step turned the ship
        afterMouse = sample(*s);
        w.postKeyUp(thrust);
        break;
      case 188:
        coasting = sample(*s);
        GameRunning = false;
        break;
      default:
        if (pass > 400) GameRunning = false;
    }
  };
  frmMain.Form_Load();

  ASSERT_TRUE(mapLoaded);
  EXPECT_NEAR(frameTime, 0.017, 1e-9);
  // Thrust from rest along heading 0 (ground +y): speed builds, the ship moves forward only.
  EXPECT_EQ(atStart.speed, 0);
  EXPECT_GT(beforeTurn.speed, 300);
  EXPECT_GT(beforeTurn.y, 100);
  EXPECT_NEAR(beforeTurn.x, 0, 1);
  EXPECT_NEAR(beforeTurn.r, 0, 1e-6);
  // The chase camera sits behind the ship (lower y) and above it.
  EXPECT_LT(eyeBeforeTurn.z, beforeTurn.y);
  EXPECT_GT(eyeBeforeTurn.y, beforeTurn.e);
  // Look right turns at up to +20 per second / 6 (the design's agility allowing).
  const double turned = afterTurn.r - beforeTurn.r;
  EXPECT_GT(turned, 0.3);
  EXPECT_LE(turned, 20 * 30 * 0.017 / 6 + 1e-3);
  EXPECT_GT(afterTurn.x, beforeTurn.x);  // the path bends toward +x
  // 300 pixels of mouse motion to the left steer left at the full agility for one frame.
  EXPECT_NEAR(afterMouse.r - beforeMouse.r, -Ships[0]->Agility * 0.017 / 6, 1e-4);
  // Released thrust: drag slows the ship, which keeps going.
  EXPECT_LT(coasting.speed, afterMouse.speed);
  EXPECT_GT(coasting.speed, 0);
  EXPECT_GT(std::hypot(coasting.x - afterMouse.x, coasting.y - afterMouse.y), 100);
}
