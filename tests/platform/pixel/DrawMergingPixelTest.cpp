// The OpenGL device's draw merging against separate draws, read back from Mesa: billboards from
// one vertex buffer under their own world matrices and texture factors (additive, depth-tested,
// fogged, two textures taking turns), lit quads under their own world matrices (opaque, a
// directional and a point light, scaled normals), a stack of additive screen rectangles (the
// summing pass) and alpha-blended quads whose order must hold. Each scene is drawn with merging off
// and on; the pictures match and the merged one takes fewer driver draws where states allow.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "tests/support/PixelDevice.h"

namespace {
constexpr int32_t W = 160, H = 120;

// A quad strip of side 1 about the origin facing -z, as the game's billboard buffer holds it.
const QuadVertex kQuad[4] = {{-0.5f, -0.5f, 0, 0, 0, -1, 0xFFFFFFFF, 0, 1},
                             {-0.5f, 0.5f, 0, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                             {0.5f, -0.5f, 0, 0, 0, -1, 0xFFFFFFFF, 1, 1},
                             {0.5f, 0.5f, 0, 0, 0, -1, 0xFFFFFFFF, 1, 0}};

std::vector<uint32_t> gradient(int32_t w, int32_t h, uint32_t alpha) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      px[static_cast<size_t>(y) * w + x] = alpha << 24 | uint32_t(x * 255 / (w - 1)) << 16 |
                                            uint32_t(y * 255 / (h - 1)) << 8 | uint32_t(90 + 20 * ((x + y) % 3));
  return px;
}

D3DMATRIX world(float x, float y, float z, float scale, float spin) {
  D3DMATRIX s, r, t, sr, out;
  D3DXMatrixScaling(s, scale, scale * 0.8f, scale);
  D3DXMatrixRotationZ(r, spin);
  D3DXMatrixTranslation(t, x, y, z);
  D3DXMatrixMultiply(sr, s, r);
  D3DXMatrixMultiply(out, sr, t);
  return out;
}

class DrawMergingPixel : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    p = PixelDevice::create(W, H, &error);
    if (!p) GTEST_SKIP() << "no OpenGL device: " << error;
    texA = p->makeTexture(8, 8, gradient(8, 8, 255));
    texB = p->makeTexture(4, 4, gradient(4, 4, 160));
    ASSERT_EQ(d().CreateVertexBuffer(sizeof kQuad, 0, D3DFVF_QUADVERTEX, D3DPOOL_MANAGED, quad), D3D_OK);
    ASSERT_EQ(quad->SetData(0, sizeof kQuad, 0, kQuad), D3D_OK);
  }
  void TearDown() override { setDrawBatching(true); }
  Direct3DDevice8& d() { return *p->device(); }

  void camera() {
    D3DMATRIX view, proj;
    D3DXMatrixLookAtLH(view, D3DVECTOR{0, 0, -10}, D3DVECTOR{0, 0, 0}, D3DVECTOR{0, 1, 0});
    D3DXMatrixPerspectiveFovLH(proj, 0.8f, 0.75f, 1, 100);
    d().SetTransform(D3DTS_VIEW, view);
    d().SetTransform(D3DTS_PROJECTION, proj);
  }

  // The scene drawn with merging off and on: the largest channel difference of the two pictures
  // (and the mean one); the driver draws each took.
  int compare(const std::function<void()>& scene, int64_t& separateDraws, int64_t& mergedDraws,
              double* meanDifference = nullptr) {
    PixelImage pictures[2];
    int64_t draws[2];
    for (int merged = 0; merged < 2; ++merged) {
      setDrawBatching(merged == 1);
      d().BeginScene();
      d().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 30, 40, 50), 1.0f, 0);
      const int64_t before = d().DriverDrawCalls();
      scene();
      d().EndScene();
      pictures[merged] = p->readBack();  // reading hands the gathered draws over first
      draws[merged] = d().DriverDrawCalls() - before;
    }
    separateDraws = draws[0];
    mergedDraws = draws[1];
    int largest = 0;
    size_t changed = 0;
    double total = 0;
    for (size_t i = 0; i < pictures[0].argb.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        int a = (pictures[0].argb[i] >> shift) & 0xFF, b = (pictures[1].argb[i] >> shift) & 0xFF;
        largest = std::max(largest, std::abs(a - b));
        total += std::abs(a - b);
      }
      changed += pictures[0].argb[i] != D3DColorARGB(255, 30, 40, 50);
    }
    EXPECT_GT(changed, pictures[0].argb.size() / 20) << "the scene draws something";
    if (meanDifference) *meanDifference = total / (3.0 * pictures[0].argb.size());
    return largest;
  }

  std::unique_ptr<PixelDevice> p;
  std::shared_ptr<Direct3DTexture8> texA, texB;
  std::shared_ptr<Direct3DVertexBuffer8> quad;
};

TEST_F(DrawMergingPixel, BillboardsWithTheirOwnMatricesAndFactorsMergeByTexture) {
  auto scene = [&] {
    camera();
    d().SetRenderState(D3DRS_LIGHTING, 0);
    d().SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d().SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d().SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d().SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d().SetRenderState(D3DRS_FOGENABLE, 1);
    d().SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    float start = 8, end = 16;
    int32_t bits;
    std::memcpy(&bits, &start, 4);
    d().SetRenderState(D3DRS_FOGSTART, bits);
    std::memcpy(&bits, &end, 4);
    d().SetRenderState(D3DRS_FOGEND, bits);
    d().SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    d().SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d().SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d().SetStreamSource(0, quad, sizeof(QuadVertex));
    d().SetVertexShader(D3DFVF_QUADVERTEX);
    for (int i = 0; i < 12; ++i) {
      d().SetTexture(0, i % 2 ? texB : texA);
      d().SetRenderState(D3DRS_TEXTUREFACTOR, static_cast<int32_t>(D3DColorARGB(255, 40 + 15 * i, 120, 200 - 10 * i)));
      d().SetTransform(D3DTS_WORLD, world(-4.5f + 0.8f * i, 1.5f * std::sin(i * 1.3f), 1.0f * (i % 4), 1.5f + 0.1f * i,
                                          0.4f * i));
      d().DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
  };
  int64_t separate = 0, merged = 0;
  EXPECT_LE(compare(scene, separate, merged), 2);
  EXPECT_EQ(separate, 11);  // the first quad lies left of the view: dropped
  EXPECT_EQ(merged, 2);     // additive without depth writes: regrouped by texture
}

TEST_F(DrawMergingPixel, LitQuadsWithTheirOwnMatricesMergeIntoOneDraw) {
  auto scene = [&] {
    camera();
    d().SetRenderState(D3DRS_LIGHTING, 1);
    d().SetRenderState(D3DRS_NORMALIZENORMALS, 1);
    d().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d().SetRenderState(D3DRS_AMBIENT, static_cast<int32_t>(D3DColorARGB(255, 30, 30, 30)));
    D3DLIGHT8 sun;
    sun.Type = D3DLIGHT_DIRECTIONAL;
    sun.Diffuse = D3DCOLORVALUE{0.8f, 0.7f, 0.6f, 0};
    sun.Direction = D3DVECTOR{0.3f, -0.2f, 1};
    d().SetLight(0, sun);
    d().LightEnable(0, true);
    D3DLIGHT8 lamp;
    lamp.Type = D3DLIGHT_POINT;
    lamp.Diffuse = D3DCOLORVALUE{0.2f, 0.5f, 0.9f, 0};
    lamp.Position = D3DVECTOR{1, 1, -3};
    lamp.Range = 20;
    lamp.Attenuation1 = 0.3f;
    d().SetLight(1, lamp);
    d().LightEnable(1, true);
    d().SetTexture(0, texA);
    d().SetStreamSource(0, quad, sizeof(QuadVertex));
    d().SetVertexShader(D3DFVF_QUADVERTEX);
    for (int i = 0; i < 9; ++i) {
      D3DMATRIX w = world(-3.5f + 0.9f * i, (i % 3) - 1.0f, 0.5f * (i % 2), 1.2f, 0.3f * i);
      D3DMATRIX tilt, out;
      D3DXMatrixRotationY(tilt, 0.5f - 0.12f * i);
      D3DXMatrixMultiply(out, tilt, w);
      d().SetTransform(D3DTS_WORLD, out);
      d().DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
  };
  int64_t separate = 0, merged = 0;
  EXPECT_LE(compare(scene, separate, merged), 2);
  EXPECT_EQ(separate, 9);
  EXPECT_EQ(merged, 1);
}

// A stack of additive screen rectangles (20 unless told), each 3 pixels larger on every side than
// the one before (the edges a pixel or two off), showing texels 0..texels of a size x size texture.
std::function<void()> rectangleStack(Direct3DDevice8& d, const std::shared_ptr<Direct3DTexture8>& texture,
                                     int32_t size, float texels, int layers = 20) {
  return [&d, texture, size, texels, layers] {
    additiveLayerStates(d, texture, D3DColorARGB(35, 24, 24, 24));
    for (int i = 0; i < layers; ++i) {
      const float l = -3.0f * i - 1 + (i % 3), t = -3.0f * i - 1 + (i % 2), r = 3.0f * i + W - 1 + (i % 2),
                  b = 3.0f * i + H - 1 + (i % 3);
      ScreenVertex q[4];
      screenQuad(q, l, t, r, b, 0xFFFFFFFF, 0, 0, texels / size, texels * H / W / size);
      d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertex));
    }
  };
}

// Texels of random brightness: the hardest picture for sums taken at every second pixel.
std::vector<uint32_t> noise(int32_t size) {
  std::vector<uint32_t> px(static_cast<size_t>(size) * size);
  uint32_t seed = 12345;
  for (auto& c : px) {
    seed = seed * 1664525u + 1013904223u;
    c = 0xFF000000u | (seed >> 8 & 0xFFFFFFu);
  }
  return px;
}

// Texels shown about one to one: every pixel sums every rectangle over it, in one pass of two
// draws (the pixels inside every rectangle, then the rim where some rectangles end), whatever the
// count: summed in a loop (3), unrolled (20, 64) or unrolled with the last terms counted by the
// run's length (22).
TEST_F(DrawMergingPixel, AStackOfAdditiveScreenRectanglesIsOnePass) {
  auto texture = p->makeTexture(256, 256, noise(256));
  for (int layers : {20, 3, 22, 64}) {
    SCOPED_TRACE(layers);
    int64_t separate = 0, merged = 0;
    EXPECT_LE(compare(rectangleStack(d(), texture, 256, W, layers), separate, merged), 1);
    EXPECT_EQ(separate, layers);
    EXPECT_EQ(merged, 2);
  }
}

// Texels shown twice as large or more: the sums are taken at every second pixel and drawn
// magnified (three draws: the grid's inside and rim, then the magnified grid). Where a
// rectangle's edge falls between two grid points, the pixel between takes half its term (at most
// half of 24 here); elsewhere pictures differ only by the interpolation between grid points, most
// for random texels at the least magnification.
TEST_F(DrawMergingPixel, AStackOfMagnifiedRectanglesIsSummedOnAGrid) {
  struct Case {
    const char* picture;
    std::shared_ptr<Direct3DTexture8> texture;
    int32_t size;
    float texels;  // across the target's width
    int largest;
    double mean;
  };
  const Case cases[] = {
      {"gradient, 8 texels", texA, 8, 6.24f, 14, 0.5},
      {"random, 80 texels", p->makeTexture(128, 128, noise(128)), 128, W / 2.0f, 72, 1.5},
      {"random, 20 texels", p->makeTexture(32, 32, noise(32)), 32, W / 8.0f, 24, 0.75},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    int64_t separate = 0, merged = 0;
    double mean = 0;
    const int largest = compare(rectangleStack(d(), c.texture, c.size, c.texels), separate, merged, &mean);
    std::printf("%s: largest channel difference %d, mean %.2f\n", c.picture, largest, mean);
    EXPECT_LE(largest, c.largest);
    EXPECT_LE(mean, c.mean);
    EXPECT_EQ(separate, 20);
    EXPECT_EQ(merged, 3);
  }
}

// Sprites whose blending must keep its order (alpha over additive, textures taking turns) merge
// by texture where they cover other pixels, under their own world matrices; an additive sprite
// behind an alpha-blended one on the screen, though far apart in depth, keeps its place.
TEST_F(DrawMergingPixel, DrawsOnOtherPixelsMergeAcrossOrderedOnes) {
  auto scene = [&](bool overlapping) {
    camera();
    d().SetRenderState(D3DRS_LIGHTING, 0);
    d().SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d().SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d().SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d().SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d().SetStreamSource(0, quad, sizeof(QuadVertex));
    d().SetVertexShader(D3DFVF_QUADVERTEX);
    for (int i = 0; i < 8; ++i) {
      const bool alpha = i % 2 == 1;
      d().SetTexture(0, alpha ? texB : texA);
      d().SetRenderState(D3DRS_SRCBLEND, alpha ? D3DBLEND_SRCALPHA : D3DBLEND_ONE);
      d().SetRenderState(D3DRS_DESTBLEND, alpha ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
      float x = -3.6f + 2.4f * (i % 4), y = i < 4 ? 1.5f : -1.5f, z = 0, scale = 1.6f;
      if (overlapping && i == 2) {  // on the line of sight of sprite 1, farther and as large on the screen
        x = -1.2f * 1.6f, y = 1.5f * 1.6f, z = 6, scale = 1.6f * 1.6f;
      }
      d().SetTransform(D3DTS_WORLD, world(x, y, z, scale, 0.2f * i));
      d().DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
  };
  int64_t separate = 0, merged = 0;
  EXPECT_LE(compare([&] { scene(false); }, separate, merged), 2);
  EXPECT_EQ(separate, 8);
  EXPECT_EQ(merged, 2);
  EXPECT_LE(compare([&] { scene(true); }, separate, merged), 2);
  EXPECT_GT(merged, 2);
}

// Uploaded textures of one size are layers of one array: screen quads taking turns over six of
// them are one draw, each quad showing its own texture.
TEST_F(DrawMergingPixel, TexturesOfOneSizeMergeIntoOneDraw) {
  std::vector<std::shared_ptr<Direct3DTexture8>> textures;
  for (int i = 0; i < 6; ++i)
    textures.push_back(p->makeTexture(8, 8, std::vector<uint32_t>(64, D3DColorARGB(255, 40 * i, 200 - 30 * i, 90))));
  auto scene = [&] {
    d().SetRenderState(D3DRS_ZENABLE, 0);
    d().SetVertexShader(D3DFVF_SCREENVERTEX);
    for (int i = 0; i < 6; ++i) {
      d().SetTexture(0, textures[i]);
      const float l = 4.0f + 26 * i;
      ScreenVertex q[4];
      screenQuad(q, l, 40, l + 20, 80, 0xFFFFFFFF);
      d().DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertex));
    }
  };
  int64_t separate = 0, merged = 0;
  EXPECT_EQ(compare(scene, separate, merged), 0);
  EXPECT_EQ(separate, 6);
  EXPECT_EQ(merged, 1);
  const PixelImage shown = p->readBack();
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(pixelNear(shown, 14 + 26 * i, 60, D3DColorARGB(255, 40 * i, 200 - 30 * i, 90), 1)) << "quad " << i;
}

// A texture that was uploaded and is then drawn into gets storage of its own with its picture;
// a texture that shared its array keeps its own.
TEST_F(DrawMergingPixel, AnUploadedTextureDrawnIntoKeepsItsPicture) {
  auto device = p->device();
  auto drawn = p->makeTexture(64, 64, std::vector<uint32_t>(64 * 64, D3DColorARGB(255, 0, 0, 200)));
  auto beside = p->makeTexture(64, 64, std::vector<uint32_t>(64 * 64, D3DColorARGB(255, 0, 180, 0)));
  std::shared_ptr<Direct3DSurface8> surface;
  std::shared_ptr<D3DXRenderToSurface> rts;
  ASSERT_EQ(drawn->GetSurfaceLevel(0, surface), D3D_OK);
  ASSERT_EQ(p->d3dx().CreateRenderToSurface(device, 64, 64, D3DFMT_X8R8G8B8, true, D3DFMT_D24X8, rts), D3D_OK);
  ASSERT_EQ(rts->BeginScene(surface, D3DVIEWPORT8{0, 0, 64, 64, 0, 1}), D3D_OK);
  d().SetRenderState(D3DRS_ZENABLE, 0);
  d().SetTexture(0, nullptr);
  d().SetVertexShader(D3DFVF_SCREENVERTEX);
  const D3DCOLOR red = D3DColorARGB(255, 220, 0, 0);
  ScreenVertex q[4];
  screenQuad(q, 0, 0, 16, 16, red);
  d().DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertex));
  ASSERT_EQ(rts->EndScene(), D3D_OK);
  const PixelImage picture = p->readTexture(*drawn);
  EXPECT_TRUE(pixelNear(picture, 8, 8, red, 1));
  EXPECT_TRUE(pixelNear(picture, 40, 40, D3DColorARGB(255, 0, 0, 200), 1));
  EXPECT_TRUE(regionNear(p->readTexture(*beside), RECT{0, 0, 64, 64}, D3DColorARGB(255, 0, 180, 0), 0));
}

TEST_F(DrawMergingPixel, AlphaBlendedDrawsKeepTheirOrder) {
  auto scene = [&] {
    d().SetRenderState(D3DRS_ZENABLE, 0);
    d().SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d().SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d().SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d().SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d().SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d().SetVertexShader(D3DFVF_SCREENVERTEX);
    for (int i = 0; i < 8; ++i) {
      d().SetTexture(0, i % 2 ? texB : texA);
      const float l = 10.0f + 12 * i, t = 10.0f + 8 * i;
      const D3DCOLOR c = D3DColorARGB(200, 255, 255 - 20 * i, 255);
      ScreenVertex q[4];
      screenQuad(q, l, t, l + 50, t + 50, c);
      d().DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertex));
    }
  };
  int64_t separate = 0, merged = 0;
  EXPECT_EQ(compare(scene, separate, merged), 0);
  EXPECT_EQ(merged, separate);  // textures take turns and blending is ordered: nothing merges
}

// A draw whose vertices all lie beyond one side of the view volume (left, above, behind the eye,
// past the far plane) reaches the driver with merging neither off nor on; one that reaches into
// the view from outside is drawn.
TEST_F(DrawMergingPixel, DrawsBeyondTheViewAreDroppedAndOnesReachingInAreDrawn) {
  struct Case {
    const char* where;
    float x, y, z, scale;
    bool drawn;
  };
  const Case cases[] = {
      {"left of the view", -9, 0, 0, 1.5f, false},         {"above the view", 0, 7, 0, 1.5f, false},
      {"behind the eye", 0, 0, -14, 1.5f, false},          {"past the far plane", 0, 0, 95, 1.5f, false},
      {"reaching in from the left", -4, 0, 0, 2.5f, true}, {"in the middle", 0, 0, 0, 1.5f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    auto scene = [&] {
      camera();
      d().SetRenderState(D3DRS_LIGHTING, 0);
      d().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
      d().SetTexture(0, texA);
      d().SetStreamSource(0, quad, sizeof(QuadVertex));
      d().SetVertexShader(D3DFVF_QUADVERTEX);
      d().SetTransform(D3DTS_WORLD, world(c.x, c.y, c.z, c.scale, 0));
      d().DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    };
    for (bool merging : {false, true}) {
      setDrawBatching(merging);
      d().BeginScene();
      d().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 30, 40, 50), 1.0f, 0);
      const int64_t before = d().DriverDrawCalls();
      scene();
      d().EndScene();
      const PixelImage shown = p->readBack();
      EXPECT_EQ(d().DriverDrawCalls() - before, c.drawn ? 1 : 0) << "merging " << merging;
      EXPECT_EQ(static_cast<bool>(regionNear(shown, RECT{0, 0, W, H}, D3DColorARGB(255, 30, 40, 50), 0)),
                !c.drawn);
    }
  }
}

// Vertex buffers rewritten between draws: each draw shows the vertices the buffer held when it
// was drawn, with merging off (the buffer drawn itself) and on (its vertices gathered), and a
// triangle list and strips of one state gathered together are one draw with the same picture.
TEST_F(DrawMergingPixel, ABufferRewrittenBetweenDrawsShowsEachContentAndListsJoinStrips) {
  std::shared_ptr<Direct3DVertexBuffer8> list;
  ASSERT_EQ(d().CreateVertexBuffer(6 * sizeof(QuadVertex), 0, D3DFVF_QUADVERTEX, D3DPOOL_MANAGED, list),
            D3D_OK);
  auto scene = [&] {
    camera();
    d().SetRenderState(D3DRS_LIGHTING, 0);
    d().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d().SetTexture(0, texA);
    d().SetVertexShader(D3DFVF_QUADVERTEX);
    d().SetTransform(D3DTS_WORLD, world(0, 0, 0, 1, 0));
    d().SetStreamSource(0, list, sizeof(QuadVertex));
    for (int i = 0; i < 3; ++i) {
      // The quad as two triangles, moved along x by a rewrite of the buffer.
      QuadVertex tri[6] = {kQuad[0], kQuad[1], kQuad[2], kQuad[2], kQuad[1], kQuad[3]};
      for (QuadVertex& v : tri) v.x = v.x * 1.5f - 3 + 2.5f * i, v.y = v.y * 1.5f + 1.5f;
      list->SetData(0, sizeof tri, 0, tri);
      d().DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    }
    d().SetStreamSource(0, quad, sizeof(QuadVertex));
    for (int i = 0; i < 3; ++i) {
      d().SetTransform(D3DTS_WORLD, world(-2.5f + 2.5f * i, -1.5f, 0, 1.5f, 0.3f * i));
      d().DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
  };
  int64_t separate = 0, merged = 0;
  EXPECT_LE(compare(scene, separate, merged), 2);
  EXPECT_EQ(separate, 6);
  EXPECT_EQ(merged, 1);
  const PixelImage shown = p->readBack();
  for (int i = 0; i < 3; ++i) {
    // The centre of each rewritten quad on the screen (x = -3 + 2.5 i, y = 1.5 at distance 10).
    const int px = static_cast<int>(W / 2 + (-3 + 2.5f * i) / (std::tan(0.4f) * 10 * 0.75f) * W / 2);
    const int py = static_cast<int>(H / 2 - 1.5f / (std::tan(0.4f) * 10) * H / 2);
    EXPECT_FALSE(pixelNear(shown, px, py, D3DColorARGB(255, 30, 40, 50), 8)) << "quad " << i;
  }
}

// Merged draws of many vertices (lists, and strips with their indices) go round the stream ring
// several times in one frame: every quad shows as drawn separately.
TEST_F(DrawMergingPixel, MergedDrawsGoingRoundTheStreamRingShowEveryQuad) {
  constexpr int Quads = 60, Vertices = 18000;  // 60 merged draws of 18000 vertices: about 3 rounds
  std::vector<ScreenVertex> tri(Vertices);
  auto scene = [&] {
    d().SetRenderState(D3DRS_ZENABLE, 0);
    d().SetTexture(0, nullptr);
    d().SetVertexShader(D3DFVF_SCREENVERTEX);
    for (int i = 0; i < Quads; ++i) {
      // All but the last two triangles have no area; those two are the quad i, in a colour of its own.
      const float l = 4.0f + 15 * (i % 10), t = 4.0f + 19 * (i / 10);
      const D3DCOLOR c = D3DColorARGB(255, 40 + 3 * i, 250 - 3 * i, 60 + (i % 7) * 25);
      ScreenVertex q[4];
      screenQuad(q, l, t, l + 10, t + 12, c);
      for (ScreenVertex& v : tri) v = q[0];
      if (i % 2) {  // a list
        const ScreenVertex quad[6] = {q[0], q[1], q[2], q[2], q[1], q[3]};
        std::copy(quad, quad + 6, tri.end() - 6);
        d().DrawPrimitiveUP(D3DPT_TRIANGLELIST, Vertices / 3, tri.data(), sizeof(ScreenVertex));
      } else {  // a strip (its triangles as indices)
        std::copy(q, q + 4, tri.end() - 4);
        d().DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, Vertices - 2, tri.data(), sizeof(ScreenVertex));
      }
    }
  };
  int64_t separate = 0, merged = 0;
  EXPECT_EQ(compare(scene, separate, merged), 0);
  const PixelImage shown = p->readBack();
  for (int i = 0; i < Quads; ++i)
    EXPECT_TRUE(pixelNear(shown, 9 + 15 * (i % 10), 10 + 19 * (i / 10),
                          D3DColorARGB(255, 40 + 3 * i, 250 - 3 * i, 60 + (i % 7) * 25), 1))
        << "quad " << i;
}
}  // namespace
