#include "tests/support/GameRunFixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "campaign/CPlayer.h"
#include "game/CameraMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmLaunch.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "runtime/Rnd.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/FrameScenes.h"
#include "tests/support/ShippedGame.h"

FakeGameClock::FakeGameClock() {
  setTimeSourceForTests([this] { return now += step; }, [this](uint32_t ms) { now += ms; });
}

FakeGameClock::~FakeGameClock() { setTimeSourceForTests({}); }

uint32_t gameTestSeed() {
  const char* text = std::getenv("QV_SEED");
  if (!text || !*text) return DefaultGameSeed;
  char* end = nullptr;
  const unsigned long seed = std::strtoul(text, &end, 10);
  if (*end || seed > 0xFFFFFFul) throw std::invalid_argument(std::string("QV_SEED is not a seed 0..16777215: ") + text);
  return static_cast<uint32_t>(seed);
}

void GameRunTest::SetUp() {
  setDeviceBackend(DeviceBackendKind::OpenGL);
  const uint32_t seed = gameTestSeed();
  setRndSeedForTests(seed);
  RecordProperty("seed", static_cast<int>(seed));
  dir = shippedGameDir();
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
  clearRndTestSeed();
  if (HasFailure())
    std::printf("[  SEED    ] this run played from seed %u: QV_SEED=%u replays it\n", gameTestSeed(), gameTestSeed());
}

bool GameRunTest::startFlight() { return frame_scenes::enterFlight(); }

Integer GameRunTest::holdActionOver(Integer pad) {
  const D3DVECTOR p = CurMap->getStructPos(pad);
  Ships[0]->x = p.x;
  Ships[0]->y = p.z;
  const Integer action = Player->getCharKey(8);
  frmMain.window().postKeyDown(action);
  return action;
}

bool GameRunTest::scriptInPlay(Long pass, Long limit) {
  if (pass > limit) GameRunning = false;
  if (GameMode == pmLauncher) {
    frmLaunch.clickForTests("cmdPlay");
    return false;
  }
  return GameMode == pmPlay && GameInterface;
}

Integer GameRunTest::padServing(Long structType) {
  for (Integer i = 0; i < 32; ++i) {
    if (CurMap->getStructDef(i) < 0 || CurMap->getStructType(i) != structLanding) continue;
    const Integer s = CurMap->getCloseLanding(i);
    if (CurMap->getStructDef(s) >= 0 && CurMap->getStructType(s) == structType) return i;
  }
  return -1;
}

Integer GameRunTest::nearestPadServing(Long structType) {
  const CShip& s = *Ships[0];
  Integer best = -1;
  double bestDist = 0;
  for (Integer i = 0; i < 32; ++i) {
    if (CurMap->getStructDef(i) < 0 || CurMap->getStructType(i) != structLanding) continue;
    const Integer service = CurMap->getCloseLanding(i);
    if (CurMap->getStructDef(service) < 0 || CurMap->getStructType(service) != structType) continue;
    const D3DVECTOR p = CurMap->getStructPos(i);
    const double d = std::hypot(p.x - s.x, p.z - s.y);
    if (best < 0 || d < bestDist) best = i, bestDist = d;
  }
  return best;
}
