// The warp map drawn on Mesa and read back: the galaxy background at the given brightness, the
// current node's planet at its screen place (map position less the scroll), and the planned
// route as a green line from the current node to the picked one. Textures are plain colours
// made here and put into the texture cache's slots, so every pixel is known.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "runtime/Trap.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

namespace {
constexpr int W = 800, H = 600;
const uint32_t Magenta = 0xFFFF00FF, Black = 0xFF000000, White = 0xFFFFFFFF, Navy = 0xFF000028;

std::string worldNode(const std::string& title, const std::string& path, int x, int y, int icon,
                      std::initializer_list<int> links) {
  std::string t = "\"" + title + "\"\r\n\"" + path + "\"\r\n" + std::to_string(x) + "," + std::to_string(y) +
                  "\r\n0\r\n\"\"\r\n" + std::to_string(icon) + ",0," + std::to_string(links.size()) + "\r\n";
  int n = 0;
  for (int l : links) t += std::to_string(l) + "\r\n", ++n;
  for (; n < 5; ++n) t += "0\r\n";
  for (int e = 0; e < 9; ++e) t += "#FALSE#\r\n";
  return t + "0\r\n";
}

class OverlayPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startGamePixelDevice(W, H, pd, dir, &why)) << why;
    InitGeometry();
    DxSprite = std::make_shared<D3DXSprite>(D3DDevice);
    GameText = std::make_shared<CText>();
    dir->write("\\data\\readme.txt", "");
    Player = std::make_shared<CPlayer>();
    savedW = ScreenWidth;
    savedH = ScreenHeight;
    ScreenWidth = W;
    ScreenHeight = H;
    FrameTime = 0;
    MouseHeld = false;
    PointerX = PointerY = 0;
    // Home at (1000, 900) with icon 5, Next at (1300, 900), linked.
    dir->write("\\maps\\world.pnd", "\"World!\"\r\n" + worldNode("Home", "home", 1000, 900, 5, {1}) +
                                        worldNode("Next", "next", 1300, 900, 9, {}) + "\"eof\"\r\n");
    World = std::make_shared<CWorld>();  // asks the cache for the planets and tiles (missing here)
    World->Load();
    World->Init(W, H);
    World->CurrentNode = 0;
    World->UpdatePlayerMap();
    // Plain textures in place of the pictures.
    for (int k = 1; k <= 4; ++k) put("planets\\p_" + std::to_string(k) + ".dds", 256, Magenta);
    for (int c = 1; c <= 4; ++c)
      for (int r = 1; r <= 4; ++r) put("galaxy\\g" + std::to_string(c) + std::to_string(r) + ".bmp", 256, Navy);
    saved = {TexTinyGrad, TexTarget, TexLaserSplash, TexIconsW};
    TexTinyGrad = put("test\\grad", 8, White);
    TexTarget = TexLaserSplash = TexIconsW = put("test\\black", 256, Black);
  }
  void TearDown() override {
    if (saved.size() == 4) {
      TexTinyGrad = saved[0];
      TexTarget = saved[1];
      TexLaserSplash = saved[2];
      TexIconsW = saved[3];
    }
    World.reset();
    Player.reset();
    GameText.reset();
    DxSprite.reset();
    ReleaseGeometry();
    stopGamePixelDevice(pd, dir);
    ScreenWidth = savedW;
    ScreenHeight = savedH;
    MouseHeld = false;
    PointerX = PointerY = 0;
  }
  Integer put(const std::string& name, int size, uint32_t argb) {
    const Integer h = TexMon->getTextureNumber(name);
    TexSlots[h].object = pd->makeTexture(size, size, std::vector<uint32_t>(size * size, argb));
    return h;
  }
  PixelImage draw() {
    D3DDevice->BeginScene();
    D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
    World->Render(false, 1.0f);
    D3DDevice->EndScene();
    return pd->readBack();
  }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  std::vector<Integer> saved;
  Long savedW = 0, savedH = 0;
};
}  // namespace

TEST_F(OverlayPixelTest, ThePlanetAndTheRouteLandWhereTheMapAndTheScrollPutThem) {
  World->Center(0);  // scroll (600, 600): Home on screen at (400, 300), Next at (700, 300)
  ASSERT_FLOAT_EQ(World->ScrollX, 600);
  ASSERT_FLOAT_EQ(World->ScrollY, 600);
  World->PickNode(1);
  const PixelImage img = draw();
  // Background tiles at full brightness.
  EXPECT_TRUE(pixelNear(img, 100, 500, Navy, 4));
  // Home's planet: the 64 x 64 cell centred on (400, 300), opaque white tint (mapped node).
  EXPECT_TRUE(regionNear(img, RECT{372, 272, 396, 296}, Magenta, 4));
  EXPECT_TRUE(regionNear(img, RECT{372, 306, 428, 328}, Magenta, 4));
  // The route: a green line 4 pixels high from (400, 300) toward (700, 300).
  EXPECT_TRUE(regionNear(img, RECT{450, 300, 650, 304}, 0xFF7DFF7D, 6));
  EXPECT_TRUE(pixelNear(img, 550, 296, Navy, 4));
  EXPECT_TRUE(pixelNear(img, 550, 308, Navy, 4));
  EXPECT_TRUE(pixelNear(img, 760, 302, Navy, 4));  // past Next's planet the line has ended

  // Without a route only the link shows, in blue.
  World->ClearDest();
  const PixelImage link = draw();
  EXPECT_TRUE(regionNear(link, RECT{450, 300, 650, 304}, 0xFF7D7DFF, 6));
}

TEST_F(OverlayPixelTest, AClickOnANodePicksItAndTheBackgroundFollowsTheBrightness) {
  World->Center(0);
  PointerX = 700 + 10;
  PointerY = 300 - 10;
  MouseHeld = true;
  draw();
  EXPECT_FALSE(MouseHeld);  // the click is used up
  EXPECT_EQ(World->DestNode, 1);
  EXPECT_EQ(World->HiLiteNode, 1);
  D3DDevice->BeginScene();
  D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
  World->Render(false, 0.0f);
  D3DDevice->EndScene();
  EXPECT_TRUE(pixelNear(pd->readBack(), 100, 500, Black, 2));
}
