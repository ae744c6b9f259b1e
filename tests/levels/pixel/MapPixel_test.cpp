// The map drawn on Mesa and read back: a sky sector lands around the eye in its texture's colour
// (the editor's selected sector blinks to its red channel), a structure's solid pass shows its
// main model and its glow pass adds the "_f" model at the pulse strength; the default content's
// "losgatos" loads and draws its sky and structures from a placed camera.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "campaign/CPlayer.h"
#include "levels/CMap.h"
#include "runtime/Paths.h"
#include "runtime/Trap.h"
#include "tests/levels/LevelFixture.h"
#include "tests/levels/pixel/PixelContent.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/GamePixel.h"
#include "tests/support/TempGameDir.h"

namespace {
constexpr int W = 160, H = 120;
const D3DCOLOR Black = D3DColorARGB(255, 0, 0, 0);

// A structure definition file (41 lines) of model and texture base "rect", no lights.
std::string rectDef() {
  std::string t = "\"Rect\"\r\n\"rect\"\r\n\"rect\"\r\n1,1,1\r\n0\r\n0\r\n";
  for (int i = 0; i < 16; ++i) t += "0,0,0\r\n0\r\n";
  t += "10,10,10\r\n-10,-10,-10\r\n3\r\n";
  return t;
}

D3DVECTOR vec3(float x, float y, float z) {
  D3DVECTOR v;
  v.x = x;
  v.y = y;
  v.z = z;
  return v;
}

class MapPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startGamePixelDevice(W, H, pd, dir, &why)) << why;
    InitGeometry();
    BulletTime = false;
    FrameTime = 0;
    FadeAmount = 0;
    ClassicView = false;
    CamDetached = false;
  }
  void TearDown() override {
    CurMap = nullptr;
    map.reset();
    ReleaseGeometry();
    stopGamePixelDevice(pd, dir);
    CamNoCull = false;
    MsgCount = 0;
  }
  void makeMap() {
    map = std::make_unique<CMap>();
    CurMap = map.get();
  }
  void begin() { pixelcontent::beginLookingDownZ(W, H); }
  PixelImage end() {
    device().EndScene();
    return pd->readBack();
  }

  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  std::unique_ptr<CMap> map;
};
}  // namespace

TEST_F(MapPixelTest, ASkySectorLandsAroundTheEyeAndTheSelectedOneBlinksRed) {
  dir->write("\\gfx\\sky\\test.bmp", pixelcontent::solidBmp(16, 16, 0xC86432));
  makeMap();
  // Scale 5: the +-45 quad at z 45 shrinks to +-22.5, half the 90-degree view in height: screen
  // x 50..110, y 30..90 on a 160 x 120 screen.
  map->setSecTexture(0, "sky\\test.bmp");
  map->setSecScale(0, 5);
  struct Case {
    Integer selected;
    double frame;
    uint32_t colour;
  } cases[] = {{-1, 0.0, D3DColorARGB(255, 200, 100, 50)},
               {0, 0.0, D3DColorARGB(255, 200, 0, 0)},    // first half second: red only
               {0, 0.5, D3DColorARGB(255, 200, 100, 50)}};  // second half: as the others
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selected * 10 + c.frame);
    map->Frame = c.frame;
    begin();
    setQuickRMode(rpAdditive, 255, 255, 255, 255);
    map->RenderSky(c.selected);
    EXPECT_EQ(device().GetRenderState(D3DRS_ALPHABLENDENABLE), 0);
    EXPECT_EQ(device().GetRenderState(D3DRS_ZENABLE), 1);
    PixelImage img = end();
    EXPECT_TRUE(regionNear(img, RECT{54, 34, 106, 86}, c.colour, 4));
    for (auto [x, y] : {std::pair{44, 60}, {116, 60}, {80, 24}, {80, 96}}) EXPECT_TRUE(pixelNear(img, x, y, Black, 2));
  }
}

TEST_F(MapPixelTest, ASectorWithoutTextureIsNotDrawnAndBulletTimeAddsLargerLayers) {
  dir->write("\\gfx\\sky\\test.bmp", pixelcontent::solidBmp(16, 16, 0x402010));
  makeMap();
  map->setSecTexture(1, "sky\\test.bmp");
  map->setSecScale(1, 5);
  map->setSecScale(0, 50);  // no texture: nothing, however large
  BulletTime = true;
  FrameTime = 0.05;  // FadeAmount 0 -> 5: layers 0..5, scales 0.5, 0.533, ... 0.667
  begin();
  setQuickRMode(rpAdditive, 255, 255, 255, 255);
  map->RenderSky(-1);
  PixelImage img = end();
  EXPECT_FLOAT_EQ(FadeAmount, 5.0f);
  // Six additive layers overlap in the middle (0x40 x 6 = 0x180, saturated), only the largest
  // (+-30 of 45: x 40..120) reaches x 41.
  EXPECT_TRUE(pixelNear(img, 80, 60, D3DColorARGB(255, 255, 192, 96), 4));
  EXPECT_TRUE(pixelNear(img, 41, 60, D3DColorARGB(255, 64, 32, 16), 4));
  EXPECT_TRUE(pixelNear(img, 20, 60, Black, 2));
  // After bullet time the layers fade at 50 a second.
  BulletTime = false;
  FrameTime = 0.05;
  begin();
  map->RenderSky(-1);
  end();
  EXPECT_FLOAT_EQ(FadeAmount, 2.5f);
}

TEST_F(MapPixelTest, AStructureDrawsItsMainModelThenItsGlowAtThePulseStrength) {
  dir->write("\\structures\\" + std::string(StructDefFiles[0]) + ".pnd", rectDef());
  dir->write("\\models\\structs\\rect.md2", pixelcontent::rectMd2(-100, -40, -20, 40, 0));
  dir->write("\\models\\structs\\rect_f.md2", pixelcontent::rectMd2(20, -40, 100, 40, 0));
  dir->write("\\gfx\\rect.bmp", pixelcontent::solidBmp(16, 16, 0xC80000));
  dir->write("\\gfx\\rect_f.bmp", pixelcontent::solidBmp(16, 16, 0x00FF00));
  makeMap();
  map->setStructDef(0, 0);
  map->setStructPos(0, 0, 0, 150);
  // The world box is the main model's (its bounds start at the origin), not the definition's.
  EXPECT_FLOAT_EQ(map->getStructLBounds(0).x, -100);
  EXPECT_FLOAT_EQ(map->getStructLBounds(0).y, -40);
  EXPECT_FLOAT_EQ(map->getStructUBounds(0).x, 0);
  EXPECT_FLOAT_EQ(map->getStructUBounds(0).y, 40);
  map->Frame = 0;  // glow factor sin(0) x 50 + 150 = 150
  begin();
  setQuickRMode(rpSolid, 255, 255, 255, 255);
  map->Render();
  // At z 150 the view is +-200 wide and +-150 high: main x 40..72, glow x 88..120, y 44..76.
  PixelImage solid = pd->readBack();
  EXPECT_TRUE(regionNear(solid, RECT{43, 47, 69, 73}, D3DColorARGB(255, 200, 0, 0), 4));
  EXPECT_TRUE(regionNear(solid, RECT{91, 47, 117, 73}, Black, 2));
  map->FadeRender();
  EXPECT_EQ(device().GetRenderState(D3DRS_ALPHABLENDENABLE), 0);
  PixelImage glow = end();
  EXPECT_TRUE(regionNear(glow, RECT{91, 47, 117, 73}, D3DColorARGB(255, 0, 150, 0), 4));
  EXPECT_TRUE(regionNear(glow, RECT{43, 47, 69, 73}, D3DColorARGB(255, 200, 0, 0), 4));
  EXPECT_TRUE(pixelNear(glow, 80, 20, Black, 2));
}

TEST_F(MapPixelTest, TheDefaultLosGatosLoadsAndDrawsItsSkyAndStructures) {
  setAppPath(QV_TEST_GAME_DIR);
  makeMap();
  map->MapName = "losgatos";
  ASSERT_TRUE(map->Load());
  EXPECT_FALSE(map->getSecTexture(0).empty());
  EXPECT_TRUE(TexSlots.at(static_cast<size_t>(map->getSecUTexture(0))).object);
  // The camera above the first structure, looking north over the map.
  Integer first = -1;
  for (Integer i = 0; i < MapSlots && first < 0; ++i)
    if (map->getStructDef(i) >= 0) first = i;
  ASSERT_GE(first, 0);
  const D3DVECTOR p = map->getStructPos(first);
  device().BeginScene();
  device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
  pixelcontent::lookDownZ(W, H, vec3(p.x, p.y + 300, p.z - 600));
  setQuickRMode(rpAdditive, 200, 200, 200, 255);
  map->RenderSky(-1);
  PixelImage sky = pd->readBack();
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  map->Render();
  PixelImage solid = pd->readBack();
  // As in the frame: depth writes off, depth test on, so the glow shows only where it stands in
  // front of what was drawn.
  checkHResult(device().SetRenderState(D3DRS_ZWRITEENABLE, 0));
  map->FadeRender();
  PixelImage all = end();
  auto lit = [](const PixelImage& img) {
    int n = 0;
    for (uint32_t c : img.argb) n += (c & 0xFFFFFF) != 0;
    return n;
  };
  auto changed = [](const PixelImage& a, const PixelImage& b) {
    int n = 0;
    for (size_t i = 0; i < a.argb.size(); ++i) n += a.argb[i] != b.argb[i];
    return n;
  };
  EXPECT_GT(lit(sky), W * H / 4) << "the sky covers the view";
  EXPECT_GT(changed(sky, solid), 100) << "the structures draw over the sky";
  EXPECT_GT(changed(solid, all), 100) << "the glow shells add light in front of their buildings";
  for (const std::string& line : MsgLog) EXPECT_EQ(line.find("Error in CMap"), std::string::npos) << line;
}

// Weather draws with the sky: an electric arc at the sector place of the first test lands in the
// same screen square, tinted by the map colour at the arc's strength sin(life / 2).
TEST_F(MapPixelTest, WeatherArcsDrawOnTheSkyInTheMapColour) {
  dir->write("\\gfx\\electro.bmp", pixelcontent::solidBmp(16, 16, 0xFFFFFF));
  makeMap();
  TexElectro = TexMon->getTextureNumber("electro.bmp");
  map->setRed(200);
  map->setGreen(100);
  map->setBlue(50);
  WeatherParticle& arc = CMapTestAccess::particle(*map, 0);
  arc.Active = vbTrue;
  arc.Kind = 4;
  arc.Life = 3.1415927f;  // full strength
  arc.X = -arc.Life / 15;  // drawn at yaw X + life / 15 = 0, roll Z + life / 15 = 0
  arc.Z = -arc.Life / 15;
  arc.Value = 5;  // the sector test's scale
  for (Integer weather : {0, 1}) {
    SCOPED_TRACE(weather);
    map->MapWeather = weather;
    begin();
    setQuickRMode(rpAdditive, 255, 255, 255, 255);
    map->RenderSky(-1);
    PixelImage img = end();
    if (weather == 0) {
      EXPECT_TRUE(pixelNear(img, 80, 60, Black, 2)) << "no weather, no arcs";
    } else {
      EXPECT_TRUE(regionNear(img, RECT{54, 34, 106, 86}, D3DColorARGB(255, 200, 100, 50), 4));
      EXPECT_TRUE(pixelNear(img, 44, 60, Black, 2));
    }
  }
  TexElectro = 0;
}
