// Interface primitives and the main menu on Mesa, read back: a panel's nine slices land on the
// outer box (5 pixels around the rectangle), a tinted panel and a button take their tint, and the
// main menu draws its logo halves and its button bar.
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
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

struct CoreProbe {
  static void panel(CInterface& g, Single x1, Single y1, Single x2, Single y2) { g.drawPanel(x1, y1, x2, y2); }
  static void panelEx(CInterface& g, Single x1, Single y1, Single x2, Single y2, Integer r, Integer gg, Integer b) {
    g.drawPanelEx(x1, y1, x2, y2, r, gg, b);
  }
  static bool button(CInterface& g, Single x, Single y, Single w, bool disabled) {
    return g.drawButton(x, y, w, "", disabled);
  }
  static void mainMenu(CInterface& g) { g.drawMainMenu(); }
};

namespace {
constexpr int W = 800, H = 600;
const D3DCOLOR Black = D3DColorARGB(255, 0, 0, 0);

// Colours of the nine slices of the test panel texture.
const D3DCOLOR Corner[4] = {D3DColorARGB(255, 255, 0, 0), D3DColorARGB(255, 0, 255, 0), D3DColorARGB(255, 0, 0, 255),
                            D3DColorARGB(255, 255, 255, 0)};  // top-left, top-right, bottom-left, bottom-right
const D3DCOLOR Edge = D3DColorARGB(255, 0, 255, 255), Centre = D3DColorARGB(255, 255, 0, 255);

// A 64 x 64 panel picture: corner squares 0..21 / 42..63 in their colours, the strips through 32
// in the edge colour, the centre in its own colour (4 texels wide, so filtering keeps the colours),
// the rest grey.
std::vector<uint32_t> sliceTexture() {
  std::vector<uint32_t> px(64 * 64, 0xFF808080);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool left = x < 21, right = x >= 42, top = y < 21, bottom = y >= 42;
      uint32_t& p = px[static_cast<size_t>(y * 64 + x)];
      if (top && left) p = Corner[0];
      else if (top && right) p = Corner[1];
      else if (bottom && left) p = Corner[2];
      else if (bottom && right) p = Corner[3];
      else if (x >= 30 && x <= 35 && y >= 30 && y <= 35) p = Centre;
      else if ((x >= 30 && x <= 35) || (y >= 30 && y <= 35)) p = Edge;
    }
  return px;
}

class CorePixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startInterfacePixelDevice(W, H, pd, dir, &why)) << why;
    TexFontDDS = -1;  // captions draw no glyphs
    TexRounded = add(sliceTexture());
    TexRoundedL = TexRoundedW = add(std::vector<uint32_t>(64 * 64, 0xFFFFFFFF));
    NinjaStarTex[0] = add(std::vector<uint32_t>(256 * 256, 0xFFFF8000), 256);  // the logo's halves
    NinjaStarTex[1] = add(std::vector<uint32_t>(256 * 256, 0xFF0080FF), 256);
    Player = std::make_shared<CPlayer>();
    gi = std::make_shared<CInterface>();
    PointerX = PointerY = -100;
    MouseHeld = MouseClicked = false;
  }
  void TearDown() override {
    gi.reset();
    Player.reset();
    GameText.reset();
    stopGamePixelDevice(pd, dir);
    MsgCount = 0;
    TexRounded = TexRoundedL = TexRoundedW = TexFontDDS = 0;
    NinjaStarTex = {0, 0};
  }
  Integer add(const std::vector<uint32_t>& argb, int side = 64) {
    TexSlots.push_back(TexCacheSlot{pd->makeTexture(side, side, argb), true});
    return static_cast<Integer>(TexSlots.size() - 1);
  }
  template <class F>
  PixelImage frame(F&& draw) {
    device().BeginScene();
    device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
    draw();
    device().EndScene();
    return pd->readBack();
  }
  Direct3DDevice8& device() { return *D3DDevice; }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  std::shared_ptr<CInterface> gi;
};
}  // namespace

TEST_F(CorePixelTest, APanelsNineSlicesCoverItsOuterBox) {
  // Rectangle (100, 100)..(300, 200): outer box 95..305 x 95..205, corners 21 pixels square.
  const PixelImage img = frame([&] { CoreProbe::panel(*gi, 100, 100, 300, 200); });
  EXPECT_TRUE(regionNear(img, RECT{96, 96, 115, 115}, Corner[0], 6));
  EXPECT_TRUE(regionNear(img, RECT{285, 96, 304, 115}, Corner[1], 6));
  EXPECT_TRUE(regionNear(img, RECT{96, 185, 115, 204}, Corner[2], 6));
  EXPECT_TRUE(regionNear(img, RECT{285, 185, 304, 204}, Corner[3], 6));
  EXPECT_TRUE(regionNear(img, RECT{120, 96, 280, 115}, Edge, 6));   // top edge
  EXPECT_TRUE(regionNear(img, RECT{96, 120, 115, 180}, Edge, 6));   // left edge
  EXPECT_TRUE(regionNear(img, RECT{120, 120, 280, 180}, Centre, 6));
  EXPECT_TRUE(pixelNear(img, 93, 150, Black, 4));  // nothing outside the box
  EXPECT_TRUE(pixelNear(img, 307, 150, Black, 4));
  EXPECT_TRUE(pixelNear(img, 200, 207, Black, 4));
}

TEST_F(CorePixelTest, ASmallPanelIsWidenedToItsCorners) {
  // 10 x 10 rectangle: the box grows to 42 x 42 from its top-left (95, 95); corners only.
  const PixelImage img = frame([&] { CoreProbe::panel(*gi, 100, 100, 110, 110); });
  EXPECT_TRUE(regionNear(img, RECT{96, 96, 115, 115}, Corner[0], 6));
  EXPECT_TRUE(regionNear(img, RECT{117, 117, 136, 136}, Corner[3], 6));
  EXPECT_TRUE(pixelNear(img, 139, 120, Black, 4));
}

TEST_F(CorePixelTest, TintedPanelsAndButtonsTakeTheirTint) {
  const PixelImage tinted = frame([&] { CoreProbe::panelEx(*gi, 100, 100, 300, 200, 30, 200, 90); });
  EXPECT_TRUE(regionNear(tinted, RECT{100, 100, 300, 200}, D3DColorARGB(255, 30, 200, 90), 6));
  struct Case {
    Single pointerX;
    bool held, disabled;
    D3DCOLOR tint;
  };
  const Case cases[] = {
      {-100, false, false, D3DColorARGB(255, 100, 100, 255)},
      {150, false, false, D3DColorARGB(255, 160, 160, 255)},
      {150, true, false, D3DColorARGB(255, 160, 160, 200)},
      {150, false, true, D3DColorARGB(255, 100, 100, 100)},
  };
  for (const Case& c : cases) {
    PointerX = c.pointerX;
    PointerY = 110;
    MouseHeld = c.held;
    // Button at (100, 100), width 100: box 95..205 x 85..135.
    const PixelImage img = frame([&] { CoreProbe::button(*gi, 100, 100, 100, c.disabled); });
    EXPECT_TRUE(regionNear(img, RECT{97, 87, 203, 133}, c.tint, 6)) << c.pointerX << c.held << c.disabled;
    EXPECT_TRUE(pixelNear(img, 93, 110, Black, 4));
  }
}

TEST_F(CorePixelTest, TheMainMenuDrawsItsLogoOverItsButtonBar) {
  // Logo 614 x 307 at scale 1.2 about (400, 235); bar 85..715 x 385..455 with buttons 95..705 x 395..445.
  const PixelImage img = frame([&] { CoreProbe::mainMenu(*gi); });
  EXPECT_TRUE(regionNear(img, RECT{100, 90, 390, 380}, D3DColorARGB(255, 255, 128, 0), 6));  // left half
  EXPECT_TRUE(regionNear(img, RECT{410, 90, 700, 380}, D3DColorARGB(255, 0, 128, 255), 6));  // right half
  EXPECT_TRUE(pixelNear(img, 88, 420, Edge, 6));                                               // bar's left edge
  EXPECT_TRUE(regionNear(img, RECT{120, 446, 680, 453}, Edge, 6));                             // bar's bottom edge
  EXPECT_TRUE(regionNear(img, RECT{110, 405, 210, 435}, D3DColorARGB(255, 100, 100, 255), 6));  // "new game"
  EXPECT_TRUE(pixelNear(img, 400, 50, Black, 4));
}
