// The store frame on Mesa, read back: its panel is centred on the screen at the frame's width by
// 360 pixels, and its "done!" button sits 320 pixels below the frame's top edge, centred, in the
// button tint (brighter under the pointer).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

struct StorePixelProbe {
  static D3DXVECTOR2 frame(CInterface& gi, const std::string& title, Integer width) {
    return gi.drawDoneButton(title, width);
  }
};

namespace {
constexpr int W = 640, H = 480;
const D3DCOLOR Black = D3DColorARGB(255, 0, 0, 0), White = D3DColorARGB(255, 255, 255, 255);

class StorePixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startInterfacePixelDevice(W, H, pd, dir, &why)) << why;
    // Plain panels and buttons are white pictures (the tint shows as it is); no glyphs, no tinted panels.
    TexRoundedL = TexFontDDS = -1;
    TexSlots.push_back(TexCacheSlot{pd->makeTexture(64, 64, std::vector<uint32_t>(64 * 64, 0xFFFFFFFF)), true});
    TexRounded = TexRoundedW = static_cast<Integer>(TexSlots.size() - 1);
    Player = std::make_shared<CPlayer>();
    Ships.clear();
    Ships.push_back(std::make_shared<CShip>());
    GameInterface = std::make_shared<CInterface>();
    PointerX = PointerY = 0;
    MouseClicked = MouseHeld = false;
  }
  void TearDown() override {
    Ships.clear();
    Player.reset();
    GameInterface.reset();
    GameText.reset();
    stopGamePixelDevice(pd, dir);
    MsgCount = 0;
    PointerX = PointerY = 0;
    TexRounded = TexRoundedL = TexRoundedW = TexFontDDS = 0;
  }
  PixelImage frame(Integer width) {
    D3DDevice->BeginScene();
    D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
    StorePixelProbe::frame(*GameInterface, "title", width);
    D3DDevice->EndScene();
    return pd->readBack();
  }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
};

TEST_F(StorePixelTest, PanelAndDoneButtonLandWhereExpected) {
  for (const Integer width : {Integer(500), Integer(300)}) {
    const int x0 = (W - width) / 2, y0 = (H - 360) / 2;
    // "done!" box: (x0 + width/2 - 80, y0 + 305) .. (x0 + width/2 + 80, y0 + 355).
    const int bl = x0 + width / 2 - 80, br = x0 + width / 2 + 80, bt = y0 + 305, bb = y0 + 355;
    const PixelImage img = frame(width);
    // The panel reaches 5 pixels beyond the frame on every side.
    EXPECT_TRUE(regionNear(img, RECT{x0 + 10, y0 + 10, x0 + width - 10, y0 + 290}, White, 4)) << width;
    EXPECT_TRUE(pixelNear(img, x0 - 8, y0 + 100, Black, 4)) << width;
    EXPECT_TRUE(pixelNear(img, x0 + width + 8, y0 + 100, Black, 4)) << width;
    EXPECT_TRUE(pixelNear(img, x0 + 100, y0 - 8, Black, 4)) << width;
    EXPECT_TRUE(pixelNear(img, x0 + 100, y0 + 368, Black, 4)) << width;
    EXPECT_TRUE(pixelNear(img, x0 + 100, y0 + 362, White, 4)) << width;
    // The button in its idle tint, the panel beside and below it.
    EXPECT_TRUE(regionNear(img, RECT{bl + 4, bt + 4, br - 4, bb - 4}, D3DColorARGB(255, 100, 100, 255), 4)) << width;
    EXPECT_TRUE(pixelNear(img, bl - 4, bt + 20, White, 4)) << width;
    EXPECT_TRUE(pixelNear(img, br + 4, bt + 20, White, 4)) << width;
    EXPECT_TRUE(pixelNear(img, bl + 80, bb + 4, White, 4)) << width;
  }
  // Under the pointer the button brightens.
  PointerX = W / 2.0f;
  PointerY = (H - 360) / 2.0f + 330;
  const PixelImage img = frame(500);
  EXPECT_TRUE(pixelNear(img, W / 2, (H - 360) / 2 + 330, D3DColorARGB(255, 160, 160, 255), 4));
}

}  // namespace
