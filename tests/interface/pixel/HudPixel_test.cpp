// HUD drawing on Mesa, read back: a status bar's fill ends where the armour fraction puts it, and
// the radar blip of a ship lands at its offset's pixel in its hostility's colour.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

struct HudPixelProbe {
  static void drawMotherShipHud(CInterface& gi) { gi.drawMotherShipHud(); }
  static void drawRadar(CInterface& gi) { gi.drawRadar(); }
  static void setClock(CInterface& gi, Single t) { gi.hudClock = t; }
};

namespace {
constexpr int W = 320, H = 240;
const D3DCOLOR Black = D3DColorARGB(255, 0, 0, 0);

class HudPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startInterfacePixelDevice(W, H, pd, dir, &why)) << why;
    // Panels and glyphs without pictures draw nothing; the radar dot is a white 8 x 8 picture.
    TexRounded = TexRoundedL = TexRoundedW = TexFontDDS = TexTarget = -1;
    TexSlots.push_back(TexCacheSlot{pd->makeTexture(8, 8, std::vector<uint32_t>(64, 0xFFFFFFFF)), true});
    TexStar = static_cast<Integer>(TexSlots.size() - 1);
    Player = std::make_shared<CPlayer>();
    GameInterface = std::make_shared<CInterface>();
    Ships.clear();
    for (int i = 0; i < 4; ++i) ready(i);
    Ships[0]->SecondaryTarget = -1;
    ClassicView = true;
  }
  void TearDown() override {
    Ships.clear();
    Player.reset();
    GameInterface.reset();
    GameText.reset();
    stopGamePixelDevice(pd, dir);
    MsgCount = 0;
    ClassicView = false;
    MotherShip = -1;
    TexRounded = TexRoundedL = TexRoundedW = TexFontDDS = TexTarget = TexStar = 0;
  }
  CShip& ready(Integer i) {
    CShipDef d;
    d.ShipName = "Pixelbed";
    d.MaxArmor = 400;
    d.MaxShields = 200;
    d.MaxFuel = 1000;
    Ships.resize(std::max<size_t>(Ships.size(), size_t(i) + 1));
    Ships[size_t(i)] = std::make_shared<CShip>();
    Ships[size_t(i)]->setDef(d);
    Ships[size_t(i)]->Init(i);
    return *Ships[size_t(i)];
  }
  template <class F>
  PixelImage frame(F&& draw) {
    device().BeginScene();
    device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
    draw();
    device().EndScene();
    return pd->readBack();
  }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
};
}  // namespace

TEST_F(HudPixelTest, StatusBarFillFollowsTheArmourFraction) {
  MotherShip = 1;
  HudPixelProbe::setClock(*GameInterface, 0.15f);  // outside the blink tenth
  const D3DCOLOR green = D3DColorARGB(255, 0, 255, 0), blue = D3DColorARGB(255, 0, 0, 255);
  for (const Single fraction : {0.25f, 0.5f, 0.9f}) {
    Ships[1]->Armor = 400 * fraction;
    Ships[1]->Shields = 200;
    const PixelImage img = frame([&] { HudPixelProbe::drawMotherShipHud(*GameInterface); });
    const int end = 15 + static_cast<int>(120 * fraction);
    // Armour bar rows H-165..H-160; shield bar rows H-175..H-170, full.
    EXPECT_TRUE(regionNear(img, RECT{16, H - 164, end - 1, H - 161}, green, 4)) << fraction;
    EXPECT_TRUE(regionNear(img, RECT{end + 1, H - 164, 140, H - 161}, Black, 4)) << fraction;
    EXPECT_TRUE(regionNear(img, RECT{16, H - 174, 134, H - 171}, blue, 4)) << fraction;
    EXPECT_TRUE(pixelNear(img, 10, H - 163, Black, 4));
  }
}

TEST_F(HudPixelTest, RadarBlipLandsAtItsOffsetInItsColour) {
  Player->HasHud20 = true;
  Ships[0]->x = 500, Ships[0]->y = -300;
  Ships[1]->x = 500 + 1000, Ships[1]->y = -300 + 500;  // hostile, 10 px right and 5 px up
  Ships[1]->setAIHostile(0, true);
  Ships[2]->x = 500 - 2000, Ships[2]->y = -300 - 3000;  // friendly, 20 px left and 30 px down
  Ships[3]->x = 500 + 7000;                             // beyond the range
  const PixelImage img = frame([&] { HudPixelProbe::drawRadar(*GameInterface); });
  EXPECT_TRUE(regionNear(img, RECT{84, 69, 87, 72}, D3DColorARGB(255, 255, 0, 0), 4));   // 83..87 x 68..72
  EXPECT_TRUE(regionNear(img, RECT{54, 104, 57, 107}, D3DColorARGB(255, 0, 255, 0), 4));  // 53..57 x 103..107
  EXPECT_TRUE(regionNear(img, RECT{74, 74, 77, 77}, D3DColorARGB(255, 255, 255, 255), 4));
  EXPECT_TRUE(pixelNear(img, 89, 70, Black, 4));
  EXPECT_TRUE(pixelNear(img, 85, 75, Black, 4));
  EXPECT_TRUE(pixelNear(img, 145, 75, Black, 4));  // the ship out of range: nothing at 75 + 70
}
