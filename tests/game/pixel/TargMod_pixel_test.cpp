// The target view drawn on Mesa and read back from its texture: the picture is cleared to black
// and the ship appears as a wire frame in the tint of its relation to the viewer, whatever the
// lighting state the frame left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "game/TargMod.h"
#include "engine/modDirectX.h"
#include "engine/modMD2Helper.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/levels/pixel/PixelContent.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

namespace {
constexpr int Size = 128;

class TargViewPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    pd = PixelDevice::create(160, 120, &why);
    if (!pd) GTEST_SKIP() << "no OpenGL device: " << why;
    D3DDevice = pd->device();
    D3DX = std::make_shared<D3DX8>();
    dir = std::make_unique<TempGameDir>();
    installMessageLog();
    TexMon = std::make_shared<CTextureMonster>();
    ModelMon = std::make_shared<CModelMonster>();
    LoadDone = true;
    initMD2Normals();
    auto device = pd->device();
    ASSERT_EQ(
        pd->d3dx().CreateTexture(device, Size, Size, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, TargetTex[0]),
        D3D_OK);
    ASSERT_EQ(TargetTex[0]->GetSurfaceLevel(0, TargetSurf[0]), D3D_OK);
    ASSERT_EQ(
        pd->d3dx().CreateRenderToSurface(device, Size, Size, D3DFMT_X8R8G8B8, true, D3DFMT_D24X8, TargetRTS),
        D3D_OK);
    TargetTexSize = Size;
    TargetSlot = 0;
    TargetUsed.fill(0);
    D3DXMatrixPerspectiveFovLH(MatProj, 1.2f, 1.0f, 1.0f, 5000.0f);
    device->SetTransform(D3DTS_PROJECTION, MatProj);
    // A flat body 40 wide and 30 high, white.
    dir->write("\\models\\flat\\body.md2", pixelcontent::rectMd2(-20, 0, 20, 30, 0));
    dir->write("\\gfx\\white.bmp", pixelcontent::solidBmp(16, 16, 0xFFFFFF));
    Ships.clear();
    for (int i = 0; i < 4; ++i) Ships.push_back(std::make_shared<CShip>());
    CShipDef d;
    d.MaxArmor = 100;
    d.Model = "flat";
    d.BodyTex = "white.bmp";
    CShip& s = *Ships[2];
    s.setDef(d);
    s.UpdateFromDef();
    s.Init(2);
    s.x = 300;
    s.y = -200;
    s.e = 100;
    s.r = 0;
  }
  void TearDown() override {
    Ships.clear();
    TargetRTS.reset();
    TargetSurf[0].reset();
    TargetTex[0].reset();
    if (ModelMon) ModelMon->ClearAll();
    ModelMon.reset();
    if (TexMon) TexMon->ClearAll();
    TexMon.reset();
    D3DX.reset();
    D3DDevice.reset();
    pd.reset();
    setTrapSink(nullptr);
    dir.reset();
    LoadDone = false;
    TargetSlot = 0;
    TargetUsed.fill(0);
    FrameTime = 0;
  }
  // Slot 0 painted white, then the view of ship 2 drawn into it from the orbit angle that looks at
  // the flat body's front face (the view culls counter-clockwise faces).
  PixelImage view() {
    D3DVIEWPORT8 vp{0, 0, Size, Size, 0, 1};
    TargetRTS->BeginScene(TargetSurf[0], vp);
    device().Clear(D3DCLEAR_TARGET, D3DColorARGB(255, 255, 255, 255), 1.0f, 0);
    TargetRTS->EndScene();
    TargetSlot = 0;
    TargetOrbit = 4.71 - 0.01;
    FrameTime = 0.02;
    Integer viewer = 0, target = 2;
    RenderTarg(viewer, target);
    return pd->readTexture(*TargetTex[0]);
  }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
};

// The lit (not black) pixels of the picture: how many, the commonest colour, and whether each
// is a whole multiple of colour (edges the two triangles share are drawn twice, and add up).
struct Lit {
  int count = 0;
  uint32_t commonest = 0;
  bool allMultiples = true;
};
Lit litPixels(const PixelImage& img, uint32_t colour) {
  Lit l;
  const Rgba want = rgbaOf(colour);
  std::map<uint32_t, int> seen;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const Rgba p = img.at(x, y);
      if (p.r + p.g + p.b < 12) continue;
      ++l.count;
      ++seen[img.argb[static_cast<size_t>(y * img.width + x)] | 0xFF000000u];
      bool multiple = false;
      for (int k = 1; k <= 4; ++k) {
        auto near = [k](int got, int base) { return std::abs(got - std::min(255, k * base)) <= 4; };
        if (near(p.r, want.r) && near(p.g, want.g) && near(p.b, want.b)) multiple = true;
      }
      if (!multiple) l.allMultiples = false;
    }
  int best = 0;
  for (auto [c, n] : seen)
    if (n > best) {
      best = n;
      l.commonest = c;
    }
  return l;
}
}  // namespace

TEST_F(TargViewPixelTest, AWireFrameInTheTintOfTheRelation) {
  struct Case {
    const char* what;
    bool hostile;
    Single armor;
    uint32_t colour;
  };
  const Case cases[] = {
      {"friend", false, 50, D3DColorARGB(255, 51, 255, 51)},
      {"enemy", true, 50, D3DColorARGB(255, 255, 51, 51)},
      {"wreck", true, -1, D3DColorARGB(255, 64, 64, 64)},
  };
  for (const Case& c : cases) {
    CShip& s = *Ships[2];
    s.setAIHostile(0, c.hostile);
    s.Armor = c.armor;
    // the frame left lighting off and a grey global ambient behind
    device().SetRenderState(D3DRS_LIGHTING, 0);
    device().SetRenderState(D3DRS_AMBIENT, static_cast<int32_t>(D3DColorARGB(255, 90, 90, 90)));
    const PixelImage img = view();
    const Lit lit = litPixels(img, c.colour);
    EXPECT_GT(lit.count, 60) << c.what << ": the outline is drawn";
    EXPECT_LT(lit.count, Size * Size / 8) << c.what << ": as lines, not filled";
    EXPECT_TRUE(pixelNear(PixelImage{1, 1, {lit.commonest}}, 0, 0, c.colour, 4)) << c.what;
    EXPECT_TRUE(lit.allMultiples) << c.what;
    EXPECT_TRUE(pixelNear(img, 2, 2, D3DColorARGB(255, 0, 0, 0), 2)) << c.what << ": cleared to black";
    EXPECT_TRUE(pixelNear(img, Size - 3, Size - 3, D3DColorARGB(255, 0, 0, 0), 2)) << c.what;
    EXPECT_EQ(device().GetRenderState(D3DRS_LIGHTING), 0);
    EXPECT_EQ(device().GetRenderState(D3DRS_FILLMODE), D3DFILL_SOLID);
  }
  EXPECT_EQ(TargetUsed[0], 1);
}
