// The program's start-up and main loop on the generated game folder, headless on Mesa.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "audio/CMusic.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/GameMod.h"
#include "engine/frmMain.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

namespace {
class GameStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setDeviceBackend(DeviceBackendKind::OpenGL);
    dir = std::make_unique<TempGameDir>(QV_TEST_GAME_DIR);
  }
  void TearDown() override {
    frmMain.afterFrameForTests = {};
    frmMain.beforePresentForTests = {};
    SkyR = SkyG = SkyB = 0;
    dir.reset();
  }
  std::unique_ptr<TempGameDir> dir;
};
}  // namespace

TEST_F(GameStartTest, FramesAreClearedToTheSkyUntilTheWindowCloses) {
  SkyR = 30;
  SkyG = 60.4f;
  SkyB = 89.5f;  // rounded half to even: 90
  PixelImage frame;
  std::weak_ptr<Direct3DDevice8> device;
  std::weak_ptr<CMusic> music;
  Long passes = 0;
  bool windowed = false;
  frmMain.beforePresentForTests = [&](Long pass) {
    if (pass == 3) frame = [] {
      PixelImage img;
      D3DDevice->ReadBackBuffer(img.argb, img.width, img.height);
      return img;
    }();
  };
  frmMain.afterFrameForTests = [&](Long pass) {
    passes = pass;
    if (pass == 1) {
      device = D3DDevice;
      music = Music;
      windowed = !Fullscreen;
    }
    if (pass == 3) frmMain.window().postClose();  // delivered in the next pass's yield
    if (pass == 50) GameRunning = false;           // a close that never arrived fails below
  };
  frmMain.Form_Load();

  EXPECT_EQ(passes, 4);
  EXPECT_EQ(GameMode, pmPlay);
  EXPECT_TRUE(windowed);  // as the shipped options say
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  const D3DCOLOR sky = D3DColorARGB(255, 30, 60, 90);
  EXPECT_TRUE(regionNear(frame, RECT{0, 0, 800, 600}, sky, 0));
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
