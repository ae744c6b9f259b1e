// A credits frame drawn on Mesa and read back: each style of line in its colour at its place on
// the rising scroll, centred on the screen, and a line at the top of the text area fading out.
// The font is a plain white texture made here, so every glyph is a box of the line's colour.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "ships/CShip.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

struct CreditsProbe {
  CInterface& g;
  Double& clock() { return g.creditClock; }
  void pass() { g.RenderCreds(); }
};

namespace {
constexpr int W = 800, H = 600;
const uint32_t Black = 0xFF000000, White = 0xFFFFFFFF, Yellow = 0xFFFFFF00, LightGrey = 0xFFE6E6E6;

class CreditsPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startGamePixelDevice(W, H, pd, dir, &why)) << why;
    DxSprite = std::make_shared<D3DXSprite>(D3DDevice);
    GameText = std::make_shared<CText>();
    Player = std::make_shared<CPlayer>();
    Ships.assign(1, std::make_shared<CShip>());
    ScreenWidth = W;
    ScreenHeight = H;
    MouseClicked = false;
    savedFont = TexFontDDS;
    TexFontDDS = TexMon->getTextureNumber("test\\font");
    TexSlots[TexFontDDS].object = pd->makeTexture(256, 256, std::vector<uint32_t>(256 * 256, White));
    map = std::make_unique<CMap>();
    CurMap = map.get();
    // Lines 1, 4, 7 and 10; the empty lines keep their places.
    dir->write("\\data\\credits.pnd", "[+]heading\r\n\r\n\r\nplain\r\n\r\n\r\n[=]title\r\n\r\n\r\nlast\r\n");
    gi = std::make_shared<CInterface>();
    gi->doCredits();
  }
  void TearDown() override {
    TexFontDDS = savedFont;
    CurMap = nullptr;
    map.reset();
    gi.reset();
    Ships.clear();
    Player.reset();
    GameText.reset();
    stopGamePixelDevice(pd, dir);
  }
  PixelImage drawAt(Double t) {
    FrameTime = 0;
    CreditsProbe{*gi}.clock() = t;
    D3DDevice->BeginScene();
    D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
    CreditsProbe{*gi}.pass();
    D3DDevice->EndScene();
    return pd->readBack();
  }
  // The rows between y1 and y2 holding the colour somewhere between x1 and x2.
  static std::vector<int> rowsWith(const PixelImage& img, int y1, int y2, int x1, int x2, uint32_t argb) {
    std::vector<int> rows;
    for (int y = y1; y < y2; ++y)
      for (int x = x1; x < x2; ++x)
        if (pixelNear(img, x, y, argb, 6)) {
          rows.push_back(y);
          break;
        }
    return rows;
  }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  std::unique_ptr<CMap> map;
  std::shared_ptr<CInterface> gi;
  Integer savedFont = 0;
};
}  // namespace

// At t = 13 line i stands at y = 300 + 200 - 260 + 20 i: the heading at 260, the plain line at
// 320, the title at 380 and the last line at 440, all fully bright.
TEST_F(CreditsPixelTest, EachStyleDrawsInItsColourAtItsPlaceCentred) {
  const PixelImage img = drawAt(13.0);
  struct Band {
    int line;
    uint32_t colour;
  };
  for (const Band& b : {Band{1, Yellow}, Band{4, LightGrey}, Band{7, White}, Band{10, LightGrey}}) {
    const int y = 240 + 20 * b.line;
    const std::vector<int> rows = rowsWith(img, y - 30, y + 30, 300, 500, b.colour);
    ASSERT_FALSE(rows.empty()) << "line " << b.line;
    EXPECT_LE(rows.front(), y + 2) << "line " << b.line;
    EXPECT_GE(rows.back(), y - 2) << "line " << b.line;
    EXPECT_TRUE(pixelNear(img, 400, (rows.front() + rows.back()) / 2, b.colour, 6))
        << "centred, line " << b.line;
  }
  // Nothing far to the sides and nothing above the heading or below the last line.
  EXPECT_TRUE(regionNear(img, RECT{0, 0, W, 220}, Black, 3));
  EXPECT_TRUE(regionNear(img, RECT{0, 220, 200, 480}, Black, 3));
  EXPECT_TRUE(regionNear(img, RECT{0, 480, W, H}, Black, 3));
  // The heading is smaller than the title.
  const auto heading = rowsWith(img, 230, 290, 300, 500, Yellow);
  const auto title = rowsWith(img, 350, 410, 300, 500, White);
  EXPECT_LT(heading.size(), title.size());
}

// At t = 20.5 line 1 is 10 pixels from the top of the text area: brightness 51, so its yellow is
// dim (51, 51, 0).
TEST_F(CreditsPixelTest, ALineFadesAtTheTopOfTheTextArea) {
  const PixelImage img = drawAt(20.5);
  EXPECT_FALSE(rowsWith(img, 80, 140, 300, 500, 0xFF333300).empty());
  EXPECT_TRUE(rowsWith(img, 80, 140, 300, 500, Yellow).empty());
}
