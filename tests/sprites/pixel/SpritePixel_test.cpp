// Sprites drawn through the render lists on Mesa and read back: an additive glow brightens the
// pixels at its projected position and nothing elsewhere (and is drawn for one frame only); a beam
// shot draws a bright band between its two ends along its facing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/BillMod.h"
#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"
#include "sprites/SpriteMod.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

namespace {
constexpr int W = 160, H = 120;
const D3DCOLOR Background = D3DColorARGB(255, 0, 0, 40);

class SpritePixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startGamePixelDevice(W, H, pd, dir, &why)) << why;
    InitGeometry();
    white = handleOf(pd->makeTexture(8, 8, std::vector<uint32_t>(64, 0xFFFFFFFF)));
    black = handleOf(pd->makeTexture(8, 8, std::vector<uint32_t>(64, 0xFF000000)));
    Sprites.assign(SpritePoolSize, CSprite{});
    SpriteHint = 0;
    CamNoCull = true;
    Direct3DDevice8& d = device();
    d.SetRenderState(D3DRS_LIGHTING, 0);
    d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }
  void TearDown() override {
    Sprites.clear();
    CamNoCull = false;
    ReleaseGeometry();
    stopGamePixelDevice(pd, dir);
    MsgCount = 0;
  }
  // A texture in a slot of the texture cache; its handle.
  static Integer handleOf(const std::shared_ptr<Direct3DTexture8>& t) {
    TexSlots.push_back(TexCacheSlot{t, true});
    return static_cast<Integer>(TexSlots.size() - 1);
  }
  void look(const D3DVECTOR& eye) {
    CamEye = eye;
    CamTarget = D3DVECTOR{0, 0, 0};
    D3DXMatrixLookAtLH(view, CamEye, CamTarget, D3DVECTOR{0, 1, 0});
    D3DXMatrixPerspectiveFovLH(proj, 1.0f, float(W) / H, 1, 20000);
    device().SetTransform(D3DTS_VIEW, view);
    device().SetTransform(D3DTS_PROJECTION, proj);
  }
  // The pixel a world point lands on.
  void project(const D3DVECTOR& p, int& x, int& y) const {
    D3DMATRIX vp;
    D3DXMatrixMultiply(vp, view, proj);
    const float cx = p.x * vp.m[0][0] + p.y * vp.m[1][0] + p.z * vp.m[2][0] + vp.m[3][0];
    const float cy = p.x * vp.m[0][1] + p.y * vp.m[1][1] + p.z * vp.m[2][1] + vp.m[3][1];
    const float cw = p.x * vp.m[0][3] + p.y * vp.m[1][3] + p.z * vp.m[2][3] + vp.m[3][3];
    x = int((cx / cw + 1) * W / 2);
    y = int((1 - cy / cw) * H / 2);
  }
  PixelImage frame() {
    device().BeginScene();
    device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Background, 1.0f, 0);
    SortSprites();
    RenderSpriteListB();
    RenderSpriteListA();
    device().EndScene();
    return pd->readBack();
  }
  static int brightIn(const PixelImage& img, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (img.inside(x, y) && img.at(x, y).r > 100) ++n;
    return n;
  }

  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  Integer white = 0, black = 0;
  D3DMATRIX view{}, proj{};
};
}  // namespace

TEST_F(SpritePixelTest, AnAdditiveGlowBrightensOnlyItsProjectedPositionForOneFrame) {
  TexBlueFlare = white;
  TexHalo = white;
  look(D3DVECTOR{0, 0, -3000});  // ground distance 3000: the glow at scale 6, no halo
  const D3DVECTOR at{600, 300, 0};
  AddSprite(at.x, at.y, at.z, 0, 0, 0, skBlueGlow, 0, 0, -1, -1);
  ASSERT_EQ(Sprites[0].sType, skBlueGlow);
  int px = 0, py = 0;
  project(at, px, py);
  PixelImage img = frame();
  EXPECT_TRUE(pixelNear(img, px, py, 0xFFFFFFFF, 8));
  // The quad is 192 units wide: about 7 pixels here. Outside a 12-pixel box nothing changed.
  int changed = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if ((std::abs(x - px) > 6 || std::abs(y - py) > 6) && !pixelNear(img, x, y, Background, 2)) ++changed;
  EXPECT_EQ(changed, 0);
  EXPECT_FALSE(Sprites[0].Exists);  // a glow lives for one drawn frame
  PixelImage next = frame();
  EXPECT_TRUE(pixelNear(next, px, py, Background, 2));
}

TEST_F(SpritePixelTest, ABeamShotDrawsABandBetweenItsEnds) {
  TexBeamBeam = white;
  TexFlare = black;  // the billboard layers add nothing
  TexXBlast = black;
  look(D3DVECTOR{0, 0, -1000});
  D3DXMatrixRotationY(ScratchMatrix, 1.57f);  // the tube's length along x
  AddSprite(0, 0, 0, 0, 0, 0, skBeamShot, 0, 0, -1, -1);
  ASSERT_EQ(Sprites[0].sType, skBeamShot);
  PixelImage img = frame();
  int left = 0, right = 0, y = 0, endX = 0, y2 = 0;
  project(D3DVECTOR{-225, 0, 0}, left, y);  // 150 units x scale 3
  project(D3DVECTOR{225, 0, 0}, right, y);
  project(D3DVECTOR{0, 0, 0}, endX, y2);
  ASSERT_GT(right - left, 30);
  // Bright along the beam between its ends, dark beyond them and above and below it.
  EXPECT_GT(brightIn(img, left + 3, y - 1, right - 3, y + 2), (right - left - 6) * 2);
  EXPECT_EQ(brightIn(img, 0, y - 2, left - 3, y + 3), 0);
  EXPECT_EQ(brightIn(img, right + 3, y - 2, W, y + 3), 0);
  EXPECT_EQ(brightIn(img, endX - 3, 0, endX + 3, y - 12), 0);
  EXPECT_EQ(brightIn(img, endX - 3, y + 12, endX + 3, H), 0);
}

TEST_F(SpritePixelTest, RingsBlinkOutMidLifeAndAFlareIsScaledByItsLife) {
  TexCircleF = white;
  TexFlare = white;
  look(D3DVECTOR{0, 0, -1000});
  int cx = 0, cy = 0;
  project(D3DVECTOR{0, 0, 0}, cx, cy);
  struct Case {
    Long kind;
    Single life;
    bool shows;
  };
  for (Case c : {Case{skRing, 0.05f, false}, Case{skRing, 0.08f, true}, Case{skRing, 0.02f, true},
                 Case{skFlare, 2.5f, true}}) {
    SCOPED_TRACE(::testing::Message() << c.kind << " life " << c.life);
    Sprites.assign(SpritePoolSize, CSprite{});
    AddSprite(0, 0, 0, 0, 0, 0, c.kind, c.life, 2.5f, -1, -1);
    PixelImage img = frame();
    EXPECT_EQ(brightIn(img, cx - 1, cy - 1, cx + 2, cy + 2) > 0, c.shows);
    if (c.kind == skFlare) {
      // 2.5 x 32 = 80 units wide, as the ring of size 2.5.
      int lo = 0, hi = 0, y = 0;
      project(D3DVECTOR{-40, 0, 0}, lo, y);
      project(D3DVECTOR{40, 0, 0}, hi, y);
      EXPECT_NEAR(brightIn(img, 0, cy, W, cy + 1), hi - lo, 2);
      EXPECT_FALSE(Sprites[0].Exists);  // drawn once
    }
  }
}
