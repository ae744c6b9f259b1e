// A ship drawn on Mesa from its models and read back: the body lands where its place puts it,
// the interior shows only within 1500 units, the window glass adds its colour in the glass pass,
// the player's ship draws nothing in slow motion, and a ship never given a model draws nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "tests/levels/pixel/PixelContent.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/GamePixel.h"
#include "tests/support/TempGameDir.h"

namespace {
constexpr int W = 160, H = 120;
const D3DCOLOR Black = D3DColorARGB(255, 0, 0, 0);

class ShipPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startGamePixelDevice(W, H, pd, dir, &why)) << why;
    SlowMotion = false;
    // Body x -40..40, y 0..60 (height 60: drawn 30 lower); interior beside it; window on the
    // other side. All in the plane z 0 of the model.
    dir->write("\\models\\test\\body.md2", pixelcontent::rectMd2(-40, 0, 40, 60, 0));
    dir->write("\\models\\test\\interior.md2", pixelcontent::rectMd2(60, 0, 100, 60, 0));
    dir->write("\\models\\test\\window.md2", pixelcontent::rectMd2(-100, 0, -60, 60, 0));
    dir->write("\\gfx\\body.bmp", pixelcontent::solidBmp(16, 16, 0xC80000));
    dir->write("\\gfx\\inside.bmp", pixelcontent::solidBmp(16, 16, 0x00C800));
    dir->write("\\gfx\\glass.bmp", pixelcontent::solidBmp(16, 16, 0x0000C8));
    ship = std::make_unique<CShip>();
    ship->setModel("test");
    ship->setBodyTexture("body.bmp");
    ship->setInteriorTexture("inside.bmp");
    ship->setWindowTexture("glass.bmp");
    ship->ID = 3;
    ship->x = 0;
    ship->y = 150;  // ground y is the drawing z
    ship->e = 0;
  }
  void TearDown() override {
    ship.reset();
    stopGamePixelDevice(pd, dir);
    CamNoCull = false;
    SlowMotion = false;
    MsgCount = 0;
  }
  void begin() {
    pixelcontent::beginLookingDownZ(W, H);
    setQuickRMode(rpSolid, 255, 255, 255, 255);
  }
  PixelImage end() {
    device().EndScene();
    return pd->readBack();
  }

  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  std::unique_ptr<CShip> ship;
};

// At z 150 the view is +-200 wide and +-150 high on 160 x 120: the body (x -40..40, y -30..30)
// covers x 64..96, y 48..72; the interior x 104..120; the window x 40..56.
const RECT BodyArea{66, 50, 94, 70}, InteriorArea{106, 50, 118, 70}, WindowArea{42, 50, 54, 70};
}  // namespace

TEST_F(ShipPixelTest, TheBodyLandsAtItsPlaceAndTheInteriorOnlyNearby) {
  struct Case {
    Single dist;
    bool interior;
  } cases[] = {{100, true}, {1499, true}, {1500, false}, {4000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dist);
    begin();
    Single d = c.dist;
    ship->Render(d);
    PixelImage img = end();
    EXPECT_TRUE(regionNear(img, BodyArea, D3DColorARGB(255, 200, 0, 0), 4));
    EXPECT_TRUE(regionNear(img, InteriorArea, c.interior ? D3DColorARGB(255, 0, 200, 0) : Black, 4));
    EXPECT_TRUE(regionNear(img, WindowArea, Black, 2));
    EXPECT_TRUE(pixelNear(img, 80, 30, Black, 2));
  }
}

TEST_F(ShipPixelTest, TheGlassPassAddsTheWindowAndRestoresBlending) {
  begin();
  Single d = 100;
  ship->Render(d);
  ship->FadeRender();
  EXPECT_EQ(device().GetRenderState(D3DRS_ALPHABLENDENABLE), 0);
  PixelImage img = end();
  EXPECT_TRUE(regionNear(img, WindowArea, D3DColorARGB(255, 0, 0, 200), 4));
  EXPECT_TRUE(regionNear(img, BodyArea, D3DColorARGB(255, 200, 0, 0), 4));
}

TEST_F(ShipPixelTest, ThePlayersShipIsNotDrawnInSlowMotion) {
  ship->ID = 0;
  SlowMotion = true;
  begin();
  Single d = 100;
  ship->Render(d);
  ship->FadeRender();
  PixelImage img = end();
  EXPECT_TRUE(regionNear(img, RECT{0, 0, W, H}, Black, 2));
}

TEST_F(ShipPixelTest, AShipNeverGivenAModelDrawsNothing) {
  Integer body = ModelMon->getModelNumber("models\\test\\body.md2");
  ASSERT_EQ(ModelMon->getRealModelNum(body), 0);  // the cache's first slot holds a model
  CShip bare;
  bare.ID = 3;
  bare.y = 150;
  begin();
  Single d = 100;
  bare.Render(d);
  bare.FadeRender();
  PixelImage img = end();
  EXPECT_TRUE(regionNear(img, RECT{0, 0, W, H}, Black, 2));
}

// A design whose file could not be read names no model and no textures: the ship built from it
// asks the caches for nothing (no "models\\body.md2" made of the empty name, no message) and
// draws nothing.
TEST_F(ShipPixelTest, AShipOfAnUnreadDesignAsksForNoModelAndDrawsNothing) {
  installMessageLog();
  DevMode = true;
  MsgCount = 0;
  const size_t slots = ModelSlots.size(), textures = TexSlots.size();
  CShip unread;
  unread.setModel("");
  unread.setBodyTexture("");
  unread.setWheelTexture("");
  unread.setInteriorTexture("");
  unread.setWindowTexture("");
  unread.ID = 3;
  unread.y = 150;
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
  EXPECT_EQ(ModelSlots.size(), slots);
  EXPECT_EQ(TexSlots.size(), textures);
  begin();
  Single d = 100;
  unread.Render(d);
  unread.FadeRender();
  PixelImage img = end();
  EXPECT_TRUE(regionNear(img, RECT{0, 0, W, H}, Black, 2));
  DevMode = false;
}
