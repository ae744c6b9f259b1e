// The talk box and the news viewer's speech panels on Mesa, read back: the box grows in at the
// top centre, shows its portrait once full size, closes after its duration, and the speech
// panel's height follows the number of lines of the text.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "campaign/CNews.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

struct TalkProbe {
  static void render(CInterface& g) { g.RenderTalkBox(); }
  static Integer& ship(CInterface& g) { return g.talkShip; }
  static Single timer(CInterface& g) { return g.talkTimer; }
};
struct NewsPixelProbe {
  static void news(CInterface& g, Single x, Single y) { g.drawNews(x, y); }
};

namespace {
constexpr int W = 640, H = 480;
const D3DCOLOR Black = D3DColorARGB(255, 0, 0, 0), Red = D3DColorARGB(255, 255, 0, 0);

class TalkNewsPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startInterfacePixelDevice(W, H, pd, dir, &why)) << why;
    // Panels are white pictures, the portrait plain red; no glyphs, no studio pictures.
    TexRoundedL = TexFontDDS = -1;
    TexSlots.push_back(TexCacheSlot{pd->makeTexture(64, 64, std::vector<uint32_t>(64 * 64, 0xFFFFFFFF)), true});
    TexRounded = TexRoundedW = static_cast<Integer>(TexSlots.size() - 1);
    TexNewsBack = TexNewsSubjects = TexZombieNews = TexNinjaNews = -1;
    NewsLogoTex = {-1, -1, -1};
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
    News.reset();
    stopGamePixelDevice(pd, dir);
    MsgCount = 0;
    FrameTime = 0;
    GamePaused = false;
    TexRounded = TexRoundedL = TexRoundedW = TexFontDDS = TexNinjaPortrait = 0;
    TexNewsBack = TexNewsSubjects = TexZombieNews = TexNinjaNews = 0;
    NewsLogoTex = {0, 0, 0};
  }
  template <class F>
  PixelImage frame(F draw) {
    D3DDevice->BeginScene();
    D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
    draw();
    D3DDevice->EndScene();
    return pd->readBack();
  }
  // One talk-box pass of ft seconds.
  PixelImage talkFrame(double ft) {
    FrameTime = ft;
    return frame([&] { TalkProbe::render(*GameInterface); });
  }
  static bool lit(const PixelImage& img, int x, int y) { return !pixelNear(img, x, y, Black, 8); }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
};

TEST_F(TalkNewsPixelTest, TheTalkBoxGrowsInShowsItsPortraitAndClosesAfterItsDuration) {
  const Single duration = GameInterface->MakeTalkBox("nobody", std::string(60, 'x'), false, true);
  ASSERT_FLOAT_EQ(duration, 7.0f);
  // The portrait slot (the file above does not exist) takes a plain red picture.
  TexSlots.push_back(TexCacheSlot{pd->makeTexture(128, 128, std::vector<uint32_t>(128 * 128, 0xFFFF0000)), true});
  TexNinjaPortrait = static_cast<Integer>(TexSlots.size() - 1);
  // 0.3 s in: a panel 2 x 162 wide about the centre, no portrait yet.
  talkFrame(0.1);
  talkFrame(0.1);
  PixelImage img = talkFrame(0.1);
  EXPECT_TRUE(lit(img, W / 2, 80));
  EXPECT_TRUE(lit(img, 200, 80));
  EXPECT_FALSE(pixelNear(img, 200, 80, Red, 40));
  EXPECT_FALSE(lit(img, 145, 80));
  // Open: the panel spans 400 pixels from the top of the screen to 160, the portrait at (135, 15).
  img = talkFrame(0.3);
  EXPECT_TRUE(pixelNear(img, 200, 80, Red, 40));
  EXPECT_TRUE(pixelNear(img, 136, 16, Red, 40));
  EXPECT_TRUE(lit(img, 500, 80));
  EXPECT_TRUE(lit(img, 500, 150));
  EXPECT_FALSE(lit(img, 100, 80));
  EXPECT_FALSE(lit(img, W / 2, 175));
  // It closes after its 7 seconds.
  double t = 0.6;
  while (GameInterface->getTalkBox() && t < 20) {
    img = talkFrame(0.1);
    t += 0.1;
  }
  EXPECT_NEAR(t, 7.0, 0.11);
  EXPECT_FALSE(lit(img, W / 2, 80));
}

TEST_F(TalkNewsPixelTest, AnOfferLapsesWhenItsShipIsGoneAndThePauseHoldsTheBox) {
  Ships.push_back(std::make_shared<CShip>());
  Ships[1]->Init(1);
  Ships[1]->Armor = 10;
  GameInterface->MakeTalkBox("nobody", "take it or leave it", true, false);
  TalkProbe::ship(*GameInterface) = 1;
  talkFrame(0.1);
  EXPECT_NEAR(TalkProbe::timer(*GameInterface), 4.85f, 1e-4);
  GamePaused = true;
  talkFrame(0.1);
  EXPECT_NEAR(TalkProbe::timer(*GameInterface), 4.85f, 1e-4);
  GamePaused = false;
  Ships[1]->Exists = false;
  talkFrame(0.1);
  EXPECT_NEAR(TalkProbe::timer(*GameInterface), 0.4f, 1e-4);
}

TEST_F(TalkNewsPixelTest, SpeechPanelsGrowWithTheLinesOfTheText) {
  const std::string three = "one two three four five six seven eight nine ten eleven twelve thirteen fourteen";
  CText probe;
  probe.setSize(0.6f);
  probe.makeBlock(256, three);
  ASSERT_EQ(probe.getBlockSize(), 2);
  struct Case {
    std::string text;
    int bottom;  // y + 35 + 21 n
  };
  const Single x = 200, y = 100;
  for (const Case& c : {Case{"hello", 135}, Case{three, 177}}) {
    dir->write("\\gfx\\news\\news.pnd", "#\n1: " + c.text + "\n");
    News = std::make_shared<CNews>();
    News->Init();
    News->NewSeg();
    const PixelImage img = frame([&] { NewsPixelProbe::news(*GameInterface, x, y); });
    // Newscaster 1's panel: x + 56 .. x + 356 (5 pixels of border beyond), from y - 5.
    EXPECT_TRUE(lit(img, 400, c.bottom - 3)) << c.text;
    EXPECT_FALSE(lit(img, 400, c.bottom + 9)) << c.text;
    EXPECT_TRUE(lit(img, 260, y + 10)) << c.text;
    EXPECT_FALSE(lit(img, 130, y + 10)) << c.text;  // no panel of newscaster 2
  }
}

}  // namespace
