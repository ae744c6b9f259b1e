#include "engine/modDirectX.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "runtime/VbError.h"
#include "tests/support/DeviceFixture.h"

namespace {
class DeviceSetUpTest : public DeviceFixture {
 protected:
  // A player record with these display options; initD3D on the recording backend.
  void start(Long vRes, bool fullScreen, bool devMode = false) {
    Player = std::make_shared<CPlayer>();
    Player->vRes = vRes;
    Player->vFullScreen = fullScreen;
    DevMode = devMode;
    makeDevice();
    DevMode = true;
  }
};

struct DepthCase {
  std::vector<D3DFORMAT> supported;
  Long expected;
};
}  // namespace

TEST_F(DeviceSetUpTest, DepthFormatIsTheLastSupportedOfTheList) {
  const std::vector<DepthCase> cases = {
      {{D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8}, 77},
      {{D3DFMT_D16_LOCKABLE}, 70},
      {{D3DFMT_D32, D3DFMT_D16, D3DFMT_D24X4S4}, 71},
      {{D3DFMT_D24X4S4, D3DFMT_D24S8}, 79},
      {{D3DFMT_D16}, 80},
      {{}, 0},
  };
  DX = std::make_shared<DirectX8>();
  D3D = DX->Direct3DCreate();
  for (const DepthCase& c : cases) {
    AdapterProfile p;
    p.depthFormats = c.supported;
    setAdapterProfile(p);
    EXPECT_EQ(getDepthFormat(D3DDISPLAYMODE{800, 600, 0, D3DFMT_X8R8G8B8}), c.expected);
  }
}

TEST_F(DeviceSetUpTest, VertexProcessingFollowsHardwareTransformAndLighting) {
  DX = std::make_shared<DirectX8>();
  D3D = DX->Direct3DCreate();
  AdapterProfile p;
  p.hardwareTnL = true;
  setAdapterProfile(p);
  EXPECT_EQ(getVertexProcessing(), 64);
  p.hardwareTnL = false;
  setAdapterProfile(p);
  EXPECT_EQ(getVertexProcessing(), 32);
}

TEST_F(DeviceSetUpTest, PixelsToTwipsUsesTheScreenDpi) {
  setScreenDpi(96, 96);
  EXPECT_EQ(pixelsToTwips(800, 0), 12000);
  EXPECT_EQ(pixelsToTwips(25, 1), 375);
  setScreenDpi(96, 120);
  EXPECT_EQ(pixelsToTwips(25, 1), 300);
  EXPECT_EQ(pixelsToTwips(25, 0), 375);  // axis 0 reads the horizontal dpi
  setScreenDpi(100, 100);
  EXPECT_EQ(pixelsToTwips(1, 0), 14);  // 14.4
  EXPECT_EQ(pixelsToTwips(5, 0), 72);
}

TEST_F(DeviceSetUpTest, PixelsToTwipsFailureShowsOneBoxAndGivesZero) {
  std::vector<std::string> boxes;
  setMessageBoxHook([&](const std::string& text, Long style, const std::string& title) {
    boxes.push_back(title + "|" + std::to_string(style) + "|" + text);
  });
  setScreenDpi(0, 0);
  EXPECT_EQ(pixelsToTwips(800, 0), 0);
  setMessageBoxHook({});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Error: 11|16|", 0), 0u) << boxes[0];
}

TEST(ScreenSize, ResolutionOptionTable) {
  struct Case {
    Long vRes, w, h;
  };
  // A damaged options file (outside 0..3) falls back to 800 x 600.
  for (Case c : {Case{0, 640, 480}, Case{1, 800, 600}, Case{2, 1024, 768}, Case{3, 1280, 1024}, Case{4, 800, 600},
                 Case{-1, 800, 600}, Case{123456, 800, 600}}) {
    Long w = 0, h = 0;
    screenSizeForOption(c.vRes, w, h);
    EXPECT_EQ(w, c.w) << c.vRes;
    EXPECT_EQ(h, c.h) << c.vRes;
  }
}

TEST(ScreenSize, EffectTextureSizes) {
  struct Case {
    Long w, h;
    Integer tw, th;
  };
  for (Case c : {Case{640, 480, 512, 256}, Case{800, 600, 512, 512}, Case{1024, 768, 512, 512},
                 Case{1280, 1024, 1024, 512}, Case{2, 1, 2, 2}, Case{0, 0, 2, 2}}) {
    EXPECT_EQ(screenFxTexSize(c.w), c.tw) << c.w;
    EXPECT_EQ(screenFxTexSize(c.h), c.th) << c.h;
  }
}

TEST_F(DeviceSetUpTest, WindowedStartUsesTheDesktopModeAndSizesTheWindow) {
  start(1, false, true);
  EXPECT_EQ(ScreenWidth, 800);
  EXPECT_EQ(ScreenHeight, 600);
  EXPECT_FALSE(Fullscreen);
  const D3DPRESENT_PARAMETERS& pp = PresentParams;
  EXPECT_EQ(pp.BackBufferWidth, 0);
  EXPECT_EQ(pp.BackBufferHeight, 0);
  D3DDISPLAYMODE desktop;
  D3D->GetAdapterDisplayMode(0, desktop);
  EXPECT_EQ(DispMode.Width, desktop.Width);
  EXPECT_EQ(pp.BackBufferFormat, desktop.Format);
  EXPECT_TRUE(pp.Windowed);
  EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(pp.BackBufferCount, 1);
  EXPECT_TRUE(pp.EnableAutoDepthStencil);
  EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D24X8);
  EXPECT_EQ(pp.FullScreen_PresentationInterval, 0);
  EXPECT_EQ(pp.hDeviceWindow, window->hWnd());
  // 800 x 625 pixels at 96 dpi; the client area shows the 800 x 600 back buffer.
  EXPECT_EQ(window->width(), 12000);
  EXPECT_EQ(window->height(), 9375);
  EXPECT_EQ(window->scaleHeight(), 600);
  EXPECT_EQ(D3DDevice->BackBufferWidth(), 800);
  EXPECT_EQ(D3DDevice->BackBufferHeight(), 600);
  EXPECT_TRUE(window->visible());
  // Developer option in a window.
  EXPECT_TRUE(PendingEndScene);
  EXPECT_TRUE(ScreenFxNeedsClear);
}

TEST_F(DeviceSetUpTest, FullScreenFallsBackToR5G6B5) {
  AdapterProfile p;
  p.fullscreenX8R8G8B8 = false;
  setAdapterProfile(p);
  start(3, true);
  EXPECT_TRUE(Fullscreen);
  EXPECT_EQ(DispMode.Width, 1280);
  EXPECT_EQ(DispMode.Height, 1024);
  EXPECT_EQ(DispMode.RefreshRate, 0);
  EXPECT_EQ(DispMode.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(PresentParams.BackBufferWidth, 1280);
  EXPECT_EQ(PresentParams.BackBufferHeight, 1024);
  EXPECT_EQ(PresentParams.BackBufferFormat, D3DFMT_R5G6B5);
  EXPECT_FALSE(PresentParams.Windowed);
  EXPECT_EQ(PresentParams.SwapEffect, D3DSWAPEFFECT_FLIP);
  EXPECT_EQ(PresentParams.FullScreen_PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_EQ(PresentParams.FullScreen_RefreshRateInHz, 0);
  EXPECT_EQ(ScreenFxTexW, 1024);
  EXPECT_EQ(ScreenFxTexH, 512);
}

TEST_F(DeviceSetUpTest, FullScreenWithX8R8G8B8) {
  start(0, true);
  EXPECT_EQ(DispMode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(PresentParams.BackBufferWidth, 640);
  EXPECT_EQ(PresentParams.BackBufferHeight, 480);
}

TEST_F(DeviceSetUpTest, DamagedResolutionOptionGives800x600NotAnEmptyMode) {
  start(9, true);
  EXPECT_EQ(ScreenWidth, 800);
  EXPECT_EQ(ScreenHeight, 600);
  EXPECT_EQ(D3DDevice->BackBufferWidth(), 800);
  EXPECT_EQ(D3DDevice->BackBufferHeight(), 600);
}

TEST_F(DeviceSetUpTest, MakesTheTargetViewAndEffectTargets) {
  start(0, false);
  ASSERT_TRUE(TargetRTS);
  EXPECT_EQ(TargetTexSize, 128);
  EXPECT_EQ(TargetRTS->Width(), 128);
  for (int i = 0; i < TargetSlots; ++i) {
    ASSERT_TRUE(TargetTex[i]);
    EXPECT_EQ(TargetTex[i]->Width(), 128);
    EXPECT_EQ(TargetTex[i]->Height(), 128);
    EXPECT_EQ(TargetTex[i]->LevelCount(), 8);  // full mip chain
    EXPECT_EQ(TargetTex[i]->Format(), DispMode.Format);
    ASSERT_TRUE(TargetSurf[i]);
    EXPECT_EQ(TargetSurf[i]->Texture(), TargetTex[i]);
  }
  EXPECT_TRUE(ScreenFxHalf);
  EXPECT_EQ(ScreenFxTexW, 512);
  EXPECT_EQ(ScreenFxTexH, 256);
  ASSERT_TRUE(ScreenFxRTS && ScreenFxTex && ScreenFxSurf);
  EXPECT_EQ(ScreenFxRTS->Width(), 512);
  EXPECT_EQ(ScreenFxRTS->Height(), 256);
  EXPECT_EQ(ScreenFxTex->Width(), 512);
  EXPECT_FALSE(PendingEndScene);  // no developer option
  EXPECT_FALSE(ScreenFxNeedsClear);
}

TEST_F(DeviceSetUpTest, NoDepthFormatMeansNoDeviceAndAnError) {
  AdapterProfile p;
  p.depthFormats = {};
  setAdapterProfile(p);
  Player = std::make_shared<CPlayer>();
  DX = std::make_shared<DirectX8>();
  D3D = DX->Direct3DCreate();
  HWND h = window->hWnd();
  EXPECT_THROW(initD3D(h, Player->vRes, Player->vFullScreen, Player->vWideScreen), VbError);
  EXPECT_FALSE(D3DDevice);
}
