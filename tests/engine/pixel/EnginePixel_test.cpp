// Presets and screen quads drawn on Mesa and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/BillMod.h"
#include "engine/GeomMod.h"
#include "engine/MessageLog.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

namespace {
constexpr int W = 160, H = 120;
const D3DCOLOR Background = D3DColorARGB(255, 40, 80, 120);

struct Col {
  double a, r, g, b;  // 0..1
};
Col col(D3DCOLOR c) {
  return Col{(c >> 24) / 255.0, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0};
}
D3DCOLOR pack(double r, double g, double b) {
  auto c = [](double v) { return int32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return D3DColorARGB(255, c(r), c(g), c(b));
}

class EnginePixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    pd = PixelDevice::create(W, H, &why);
    ASSERT_TRUE(pd) << why;
    D3DDevice = pd->device();
    dir = std::make_unique<TempGameDir>();
    installMessageLog();  // the empty folder's missing files go to the log, not to stderr
    CurMap = new CMap();
    Direct3DDevice8& d = device();
    d.SetRenderState(D3DRS_LIGHTING, 0);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d.SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
  }
  void TearDown() override {
    delete CurMap;
    CurMap = nullptr;
    D3DDevice.reset();
    pd.reset();
    setTrapSink(nullptr);
    dir.reset();
  }
  void begin() {
    device().BeginScene();
    device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Background, 1.0f, 0);
  }
  PixelImage end() {
    device().EndScene();
    return pd->readBack();
  }
  std::shared_ptr<Direct3DTexture8> solid(D3DCOLOR c, int size = 4) {
    return pd->makeTexture(size, size, std::vector<uint32_t>(size * size, c));
  }
  // A quad over the middle of the screen at view depth z, drawn with the QuadVertex layout
  // (identity world, view and projection: positions are clip coordinates).
  void drawWorldQuad(const std::shared_ptr<Direct3DTexture8>& tex, D3DCOLOR diffuse, float z = 0.5f) {
    const std::array<QuadVertex, 4> q = {QuadVertex{-0.5f, -0.5f, z, 0, 1, 0, diffuse, 0, 1},
                                         QuadVertex{-0.5f, 0.5f, z, 0, 1, 0, diffuse, 0, 0},
                                         QuadVertex{0.5f, -0.5f, z, 0, 1, 0, diffuse, 1, 1},
                                         QuadVertex{0.5f, 0.5f, z, 0, 1, 0, diffuse, 1, 0}};
    Direct3DDevice8& d = device();
    D3DMATRIX id;
    D3DXMatrixIdentity(id);
    d.SetTransform(D3DTS_WORLD, id);
    d.SetTransform(D3DTS_VIEW, id);
    d.SetTransform(D3DTS_PROJECTION, id);
    d.SetTexture(0, tex);
    d.SetVertexShader(D3DFVF_QUADVERTEX);
    ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q.data(), QuadVertexStride), D3D_OK);
  }

  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
};
}  // namespace

TEST_F(EnginePixelTest, EachPresetOnATexturedQuadOverTheBackground) {
  const D3DCOLOR texel = D3DColorARGB(128, 200, 100, 50);
  const D3DCOLOR diffuse = D3DColorARGB(255, 255, 255, 128);
  const Integer fa = 64, fr = 128, fg = 255, fb = 255;  // texture factor
  const Col t = col(texel), v = col(diffuse), f = col(D3DColorARGB(fa, fr, fg, fb)), bg = col(Background);
  const Col fog = col(D3DColorARGB(255, 250, 0, 250));

  struct Case {
    const char* name;
    Long mode;
    bool mapFog;
    D3DCOLOR expected;
  };
  const double alpha = t.a * f.a;
  const Col add{1, t.r * f.r, t.g * f.g, t.b * f.b};
  const std::vector<Case> cases = {
      {"fogged, no fog", rpFogged, false, pack(t.r * v.r, t.g * v.g, t.b * v.b)},
      // View depth 0.5 between fog start 0 and end 1: half fog.
      {"fogged", rpFogged, true,
       pack(0.5 * t.r * v.r + 0.5 * fog.r, 0.5 * t.g * v.g + 0.5 * fog.g, 0.5 * t.b * v.b + 0.5 * fog.b)},
      {"additive", rpAdditive, false, pack(add.r + bg.r, add.g + bg.g, add.b + bg.b)},
      {"alpha blend", rpAlphaBlend, false,
       pack(t.r * v.r * alpha + bg.r * (1 - alpha), t.g * v.g * alpha + bg.g * (1 - alpha),
            t.b * v.b * alpha + bg.b * (1 - alpha))},
      {"colour blend", rpColorBlend, false,
       pack(add.r * add.r + bg.r * (1 - add.r), add.g * add.g + bg.g * (1 - add.g), add.b * add.b + bg.b * (1 - add.b))},
      {"solid", rpSolid, false, pack(t.r * v.r, t.g * v.g, t.b * v.b)},
  };
  auto tex = solid(texel);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Fog on the map (start 0, end 1 in view depth); fog off elsewhere, left on only by rpFogged.
    CurMap->Fog = c.mapFog ? vbTrue : 0;
    CurMap->FogR = 250;
    CurMap->FogG = 0;
    CurMap->FogB = 250;
    CurMap->FogNear = 0;
    CurMap->FogFar = 1;
    setQuickRMode(rpSolid, 0, 0, 0, 0);  // fog off from any earlier case
    begin();
    setQuickRMode(c.mode, fr, fg, fb, fa);
    drawWorldQuad(tex, diffuse);
    PixelImage img = end();
    EXPECT_TRUE(regionNear(img, RECT{W / 2 - 10, H / 2 - 10, W / 2 + 10, H / 2 + 10}, c.expected, 3));
    EXPECT_TRUE(pixelNear(img, 3, 3, Background, 1));  // outside the quad
  }
}

TEST_F(EnginePixelTest, Back3DCustIsTexelExact) {
  // Texel (x, y) of a 256 x 256 texture holds red x, green y.
  std::vector<uint32_t> texels(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) texels[y * 256 + x] = D3DColorARGB(255, x, y, 0);
  auto tex = pd->makeTexture(256, 256, texels);
  begin();
  device().Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  setQuickRMode(rpSolid, 255, 255, 255, 255);  // colour = texture x vertex colour
  // The top-left quarter, one texel per pixel, at (10, 5).
  Back3DCust(tex, RECT{0, 0, 128, 128}, RECT{10, 5, 138, 133}, 255, 255, 255, -1, 255);
  PixelImage img = end();
  for (int y : {5, 6, 40, 100, 114})
    for (int x : {10, 11, 70, 137, 159}) {
      if (x >= 138 || !img.inside(x, y)) continue;
      EXPECT_TRUE(pixelNear(img, x, y, D3DColorARGB(255, x - 10, y - 5, 0), 0)) << x << ", " << y;
    }
  EXPECT_TRUE(pixelNear(img, 9, 50, 0xFF000000, 0));
  EXPECT_TRUE(pixelNear(img, 138, 50, 0xFF000000, 0));
  EXPECT_TRUE(pixelNear(img, 50, 4, 0xFF000000, 0));
}

TEST_F(EnginePixelTest, Back3DCustIsAdditiveAndTintedByTheLastPreset) {
  auto tex = solid(D3DColorARGB(255, 100, 100, 100));
  begin();
  setQuickRMode(rpAdditive, 255, 0, 255, 255);  // leaves colour = texture x factor
  Back3DCust(tex, RECT{0, 0, 256, 256}, RECT{0, 0, 80, 60}, 0, 255, 0, -1, 255);
  setQuickRMode(rpSolid, 255, 255, 255, 255);  // colour = texture x vertex colour
  Back3DCust(tex, RECT{0, 0, 256, 256}, RECT{80, 60, 160, 120}, 0, 255, 0, -1, 255);
  PixelImage img = end();
  EXPECT_TRUE(pixelNear(img, 40, 30, D3DColorARGB(255, 40 + 100, 80, 120 + 100), 2));
  EXPECT_TRUE(pixelNear(img, 120, 90, D3DColorARGB(255, 40, 80 + 100, 120), 2));
  EXPECT_EQ(device().GetRenderState(D3DRS_ALPHABLENDENABLE), 0);  // blending off afterwards
}

TEST_F(EnginePixelTest, Back3DRotTurnsClockwiseOnScreenForPositiveAngles) {
  // The texture's top-left quarter is white, the rest black.
  std::vector<uint32_t> texels(64 * 64, 0xFF000000);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) texels[y * 64 + x] = 0xFFFFFFFF;
  auto tex = pd->makeTexture(64, 64, texels);
  const RECT whole{0, 0, 256, 256};
  const Single radius = static_cast<Single>(40 * std::sqrt(2.0));
  struct Case {
    Single angle;
    int whiteX, whiteY;  // centre of the screen quarter that shows the white quarter
  };
  // -0.785 stands the square upright; each quarter turn clockwise moves the marker on.
  for (Case c : {Case{-0.785f, -20, -20}, Case{0.785f, 20, -20}, Case{2.355f, 20, 20}, Case{3.925f, -20, 20}}) {
    SCOPED_TRACE(c.angle);
    begin();
    device().Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    setQuickRMode(rpSolid, 255, 255, 255, 255);
    Back3DRot(tex, whole, 80, 60, radius, 255, 255, 255, c.angle);
    PixelImage img = end();
    for (int qx : {-20, 20})
      for (int qy : {-20, 20}) {
        const bool white = qx == c.whiteX && qy == c.whiteY;
        EXPECT_TRUE(pixelNear(img, 80 + qx, 60 + qy, white ? 0xFFFFFFFF : 0xFF000000, 8)) << qx << ", " << qy;
      }
  }
}
