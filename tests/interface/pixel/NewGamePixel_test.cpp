// Wizard pages drawn on Mesa and read back: the frame panel where the page layout puts it (wider on
// the save-slot page), the yellow page title, and the difficulty buttons in their idle tint.
// Panels, buttons and the font are plain white textures made here, so every pixel is known.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

struct NewGamePixelProbe {
  static void page(CInterface& g, Integer p) { g.drawNewGame(p); }
  static const std::string& driver(CInterface& g) { return g.previewDriver; }
};

namespace {
constexpr int W = 800, H = 600;
const uint32_t Black = 0xFF000000, White = 0xFFFFFFFF, Yellow = 0xFFFFFF00, Green = 0xFF00FF00,
               IdleButton = 0xFF6464FF;

class NewGamePixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startGamePixelDevice(W, H, pd, dir, &why)) << why;
    DxSprite = std::make_shared<D3DXSprite>(D3DDevice);
    GameText = std::make_shared<CText>();
    for (int s = 0; s < 7; ++s) dir->write(CPlayer::SlotFile(s, -1), "\"*nil*\"\r\n");
    Player = std::make_shared<CPlayer>();
    Ships.clear();
    for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
    ScreenWidth = W;
    ScreenHeight = H;
    MouseHeld = MouseClicked = false;
    PointerX = PointerY = 0;
    saved = {TexRounded, TexRoundedW, TexRoundedL, TexFontDDS};
    TexRounded = put("test\\rounded", 64);
    TexRoundedW = put("test\\roundedw", 64);
    TexRoundedL = put("test\\roundedl", 64);
    TexFontDDS = put("test\\font", 256);
    gi = std::make_shared<CInterface>();
  }
  void TearDown() override {
    if (saved.size() == 4) {
      TexRounded = saved[0];
      TexRoundedW = saved[1];
      TexRoundedL = saved[2];
      TexFontDDS = saved[3];
    }
    gi.reset();
    Ships.clear();
    Player.reset();
    GameText.reset();
    stopGamePixelDevice(pd, dir);
  }
  Integer put(const std::string& name, int size) {
    const Integer h = TexMon->getTextureNumber(name);
    TexSlots[h].object = pd->makeTexture(size, size, std::vector<uint32_t>(size * size, White));
    return h;
  }
  // A frame of the page; an error of the page ends its drawing there, as the interface's trap does.
  PixelImage draw(Integer page) {
    D3DDevice->BeginScene();
    D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
    try {
      NewGamePixelProbe::page(*gi, page);
    } catch (const VbError&) {
    }
    D3DDevice->EndScene();
    return pd->readBack();
  }
  // True when some pixel of row y between x1 and x2 is the colour.
  static bool rowHas(const PixelImage& img, int y, int x1, int x2, uint32_t argb) {
    for (int x = x1; x < x2; ++x)
      if (pixelNear(img, x, y, argb, 6)) return true;
    return false;
  }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  std::shared_ptr<CInterface> gi;
  std::vector<Integer> saved;
};
}  // namespace

TEST_F(NewGamePixelTest, TheDifficultyPageDrawsItsPanelTitleAndButtons) {
  const PixelImage img = draw(15);
  // The frame: (400, 100)..(700, 500), widened by 5 on every side.
  EXPECT_TRUE(regionNear(img, RECT{400, 250, 440, 300}, White, 4));
  EXPECT_TRUE(regionNear(img, RECT{660, 450, 700, 495}, White, 4));
  EXPECT_TRUE(regionNear(img, RECT{300, 250, 390, 300}, Black, 4));
  EXPECT_TRUE(regionNear(img, RECT{710, 250, 790, 300}, Black, 4));
  // "choose difficulty" in yellow over (550, 130); white panel beside it.
  EXPECT_TRUE(rowHas(img, 130, 480, 620, Yellow));
  EXPECT_FALSE(rowHas(img, 130, 410, 440, Yellow));
  // Five buttons of width 200 at x 450, captions at y 200, 250 .. 400, in the idle tint.
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(regionNear(img, RECT{448, 188 + 50 * i, 460, 196 + 50 * i}, IdleButton, 6)) << i;
  EXPECT_TRUE(regionNear(img, RECT{448, 440, 460, 448}, White, 4));  // no sixth button
}

TEST_F(NewGamePixelTest, TheSaveSlotPageIsWiderToTheLeft) {
  const PixelImage img = draw(14);
  EXPECT_TRUE(regionNear(img, RECT{212, 110, 222, 180}, White, 4));
  EXPECT_TRUE(regionNear(img, RECT{190, 110, 200, 180}, Black, 4));
  EXPECT_TRUE(rowHas(img, 130, 480, 620, Yellow));  // "save slot"
  const PixelImage narrow = draw(6);
  EXPECT_TRUE(regionNear(narrow, RECT{212, 110, 222, 180}, Black, 4));
}

// A save slot of random bytes on the save-slot page: the preview panel (x 227..683, its rims from
// 208 to 712) shows the red "damaged slot" and why in white, inside the panel, and none of the
// file's bytes as green names.
TEST_F(NewGamePixelTest, ADamagedSlotsPreviewSaysWhyInsideItsPanel) {
  std::mt19937 rnd(20261211);
  std::string bytes(3000, '\0');
  for (char& c : bytes) c = static_cast<char>(rnd() & 0xFF);
  dir->write(CPlayer::SlotFile(0, -1), bytes);
  gi->ReadSaveList();
  draw(14);  // reads the preview
  const PixelImage img = draw(14);
  const uint32_t Red = 0xFFFF5050;
  bool heading = false, reason = false, names = false, outside = false;
  for (int y = 280; y <= 420; ++y) {
    heading = heading || (y < 320 && rowHas(img, y, 380, 530, Red));
    reason = reason || (y > 330 && rowHas(img, y, 240, 670, White));
    names = names || rowHas(img, y, 230, 680, Green);
    outside = outside || rowHas(img, y, 716, W, White) || rowHas(img, y, 0, 204, White);  // beyond its rims
  }
  EXPECT_TRUE(heading);
  EXPECT_TRUE(reason);
  EXPECT_FALSE(names);
  EXPECT_FALSE(outside);
}
