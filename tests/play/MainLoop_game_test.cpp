// The program's start-up and main loop on the generated game folder, headless on Mesa.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "audio/CMusic.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/GameRunFixture.h"

namespace {
class GameStartTest : public GameRunTest {};
}  // namespace

TEST_F(GameStartTest, FramesAreClearedToTheSkyUntilTheWindowCloses) {
  PixelImage frame;
  std::vector<D3DCall> calls;
  std::weak_ptr<Direct3DDevice8> device;
  std::weak_ptr<CMusic> music;
  Long passes = 0;
  bool windowed = false, titleScene = false;
  frmMain.beforePresentForTests = [&](Long pass) {
    if (pass != 3) return;
    D3DDevice->ReadBackBuffer(frame.argb, frame.width, frame.height);
    calls = D3DDevice->RecordedCalls();
    D3DDevice->SetRecording(false);
  };
  frmMain.afterFrameForTests = [&](Long pass) {
    passes = pass;
    if (pass == 1) {
      device = D3DDevice;
      music = Music;
      windowed = !Fullscreen;
      titleScene = GameInterface && GameInterface->Window == 32 && ScreenFxOn;
    }
    if (pass == 2) {
      SkyR = 30;  // over the title map's sky; rounded half to even: 30, 60, 90
      SkyG = 60.4f;
      SkyB = 89.5f;
      GameInterface->DemoOverFrame = 10;  // past the title's opening fades from black
      GameInterface->DemoSceneMode = 1;
      D3DDevice->SetRecording(true);
      D3DDevice->ClearRecordedCalls();
    }
    if (pass == 3) frmMain.window().postClose();  // delivered in the next pass's yield
    if (pass == 50) GameRunning = false;           // a close that never arrived fails below
  };
  frmMain.Form_Load();

  EXPECT_EQ(passes, 4);
  EXPECT_EQ(GameMode, pmPlay);
  EXPECT_TRUE(windowed);  // as the shipped options say
  EXPECT_TRUE(titleScene);
  // The title scene goes through the effect: the frame's sky clear lands in the effect surface,
  // the back buffer is cleared to dark red, and the scene's additive copies are drawn over it.
  auto next = [&](D3DCallKind kind, int from) {
    for (int i = std::max(from, 0); i < int(calls.size()); ++i)
      if (calls[i].kind == kind) return i;
    return -1;
  };
  const int fxBegin = next(D3DCallKind::RenderToSurfaceBegin, 0);
  const int skyClear = next(D3DCallKind::Clear, fxBegin);
  const int fxEnd = next(D3DCallKind::RenderToSurfaceEnd, skyClear);
  const int fxClear = next(D3DCallKind::Clear, fxEnd);
  ASSERT_GE(fxBegin, 0);
  ASSERT_GT(skyClear, fxBegin);
  ASSERT_GT(fxEnd, skyClear);
  ASSERT_GT(fxClear, fxEnd);
  EXPECT_EQ(calls[skyClear].a, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  EXPECT_EQ(calls[skyClear].color, D3DColorARGB(255, 30, 60, 90));
  EXPECT_EQ(calls[skyClear].z, 1.0f);
  EXPECT_EQ(calls[fxClear].color, D3DColorARGB(255, 50, 0, 0));
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  // The title's constant dimming layer (a black shade of alpha 4/14) lies over the effect.
  const Rgba centre = frame.at(400, 300);  // under every copy
  EXPECT_GE(centre.r, 35);
  EXPECT_GT(centre.g, 0);
  EXPECT_GT(centre.b, 0);
  // The end: the music object was stopped, not dropped; the device and the DirectX objects are
  // gone with everything made on them.
  EXPECT_FALSE(GameRunning);
  EXPECT_FALSE(music.expired());
  EXPECT_TRUE(device.expired());
  EXPECT_FALSE(D3DDevice);
  EXPECT_FALSE(D3DX);
  EXPECT_FALSE(D3D);
  EXPECT_FALSE(DX);
}
