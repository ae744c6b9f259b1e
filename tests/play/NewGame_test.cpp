// A start into play through the real main loop on the generated content, headless on Mesa, at a
// fixed 17 ms frame time: the title node loads, the player's ship is built but absent, and every
// frame moves the level's ships and draws the sky, the lights and the scene.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmLaunch.h"
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
#include "tests/support/GameRunFixture.h"

namespace {
class NewGameTest : public GameRunTest {};

struct FrameRecord {
  int drawn = 0, lights = 0, clears = 0;
};
}  // namespace

TEST_F(NewGameTest, PlayStartsOnTheTitleNodeAndEveryFrameMovesAndDrawsTheLevel) {
  FakeGameClock clock;
  std::string mapName;
  bool playerExists = true, launcherSeen = false;
  Long window = -1;
  std::map<size_t, D3DVECTOR> at2, at40;
  std::map<Long, FrameRecord> frames;
  D3DVECTOR eye2{}, eye40{};
  auto positions = [] {
    std::map<size_t, D3DVECTOR> p;
    for (size_t i = 1; i < Ships.size(); ++i)
      if (Ships[i] && Ships[i]->Exists) p[i] = D3DVECTOR{Ships[i]->x, Ships[i]->e, Ships[i]->y};
    return p;
  };
  frmMain.beforePresentForTests = [&](Long pass) {
    if (!D3DDevice) return;
    FrameRecord r;
    for (const D3DCall& c : D3DDevice->RecordedCalls()) {
      if (c.kind == D3DCallKind::DrawPrimitive || c.kind == D3DCallKind::DrawPrimitiveUP) ++r.drawn;
      if (c.kind == D3DCallKind::SetLight && c.a == 0) ++r.lights;
      if (c.kind == D3DCallKind::Clear) ++r.clears;
    }
    frames[pass] = r;
  };
  frmMain.afterFrameForTests = [&](Long pass) {
    if (D3DDevice) {
      D3DDevice->SetRecording(true);
      D3DDevice->ClearRecordedCalls();
    }
    if (GameMode == pmLauncher) {  // a windowed developer start: choose Play
      launcherSeen = true;
      frmLaunch.clickForTests("cmdPlay");
      return;
    }
    if (GameMode != pmPlay || !CurMap || Ships.empty() || !Ships[0]) return;
    if (mapName.empty()) {
      mapName = CurMap->MapName;
      playerExists = Ships[0]->Exists;
      window = GameInterface->Window;
      at2 = positions();
      eye2 = CamEye;
    }
    if (pass > 40 && at40.empty()) {
      at40 = positions();
      eye40 = CamEye;
    }
    if (pass > 45) GameRunning = false;
  };
  frmMain.Form_Load();

  (void)launcherSeen;  // either start reaches play
  EXPECT_EQ(mapName, "demoscene");
  EXPECT_FALSE(playerExists);
  EXPECT_EQ(window, 32);
  // The title node's population is placed and the title camera moves from frame to frame.
  EXPECT_FALSE(at2.empty());
  EXPECT_FALSE(at40.empty());
  EXPECT_TRUE(eye2.x != eye40.x || eye2.y != eye40.y || eye2.z != eye40.z);
  // Every recorded frame of play set the sun and drew something.
  int checked = 0;
  for (const auto& [pass, r] : frames) {
    if (pass < 5 || pass > 40) continue;
    ++checked;
    EXPECT_EQ(r.lights, 1) << "frame " << pass;
    EXPECT_GT(r.drawn, 0) << "frame " << pass;
  }
  EXPECT_GT(checked, 30);
}
