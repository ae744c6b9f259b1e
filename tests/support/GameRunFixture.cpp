#include "tests/support/GameRunFixture.h"

#include "engine/GameGlobals.h"
#include "engine/GameMod.h"
#include "engine/frmLaunch.h"
#include "engine/frmMain.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

FakeGameClock::FakeGameClock() {
  setTimeSourceForTests([this] { return now += step; }, [this](uint32_t ms) { now += ms; });
}

FakeGameClock::~FakeGameClock() { setTimeSourceForTests({}); }

void GameRunTest::SetUp() {
  setDeviceBackend(DeviceBackendKind::OpenGL);
  dir = std::make_unique<TempGameDir>(QV_TEST_GAME_DIR);
}

void GameRunTest::TearDown() {
  frmMain.afterFrameForTests = {};
  frmMain.beforePresentForTests = {};
  frmLaunch.hide();
  int32_t n = ShowCursor(true);
  while (n < 0) n = ShowCursor(true);
  while (n > 0) n = ShowCursor(false);
  MouseHeld = MouseClicked = false;
  PendingMap.clear();
  Ships.clear();
  Characters.clear();
  ShipDefs.clear();
  ScreenFxOn = false;
  SkyR = SkyG = SkyB = 0;
  dir.reset();
}
