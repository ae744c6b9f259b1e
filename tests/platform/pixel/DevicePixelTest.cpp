// Drawing through the OpenGL device on Mesa, checked by reading pixels back: the texture-stage
// combiner and blend set-ups the game's presets use, unbound and alpha-less textures, screen
// quads, render targets, fog, lights, wireframe and culling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/support/PixelDevice.h"

namespace {
constexpr int32_t W = 96, H = 64;

// A quad in the plane z with the normal toward the viewer (-z), clockwise on screen.
void worldQuad(QuadVertex v[4], float l, float t, float r, float b, float z, D3DCOLOR color) {
  v[0] = {l, b, z, 0, 0, -1, color, 0, 1};
  v[1] = {l, t, z, 0, 0, -1, color, 0, 0};
  v[2] = {r, b, z, 0, 0, -1, color, 1, 1};
  v[3] = {r, t, z, 0, 0, -1, color, 1, 0};
}

std::vector<uint32_t> solid(int32_t w, int32_t h, uint32_t argb) {
  return std::vector<uint32_t>(static_cast<size_t>(w) * h, argb);
}

int channel(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
uint32_t argb(int a, int r, int g, int b) {
  auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}
// Per-channel product of two colours (0..255 scale).
uint32_t mul(uint32_t x, uint32_t y) {
  auto m = [&](int s) { return (channel(x, s) * channel(y, s) + 127) / 255; };
  return argb(m(24), m(16), m(8), m(0));
}

void drawScreenQuad(Direct3DDevice8& d, float l, float t, float r, float b, D3DCOLOR color, float u0 = 0,
                    float v0 = 0, float u1 = 1, float v1 = 1) {
  ScreenVertex v[4];
  screenQuad(v, l, t, r, b, color, u0, v0, u1, v1);
  ASSERT_EQ(d.SetVertexShader(D3DFVF_SCREENVERTEX), D3D_OK);
  ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK);
}
}  // namespace

TEST(DevicePixel, ClearFillsTheViewportWithTheColour) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  auto& d = *p->device();
  ASSERT_EQ(d.BeginScene(), D3D_OK);
  ASSERT_EQ(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 10, 20, 30), 1.0f, 0), D3D_OK);
  ASSERT_EQ(d.EndScene(), D3D_OK);
  PixelImage img = p->readBack();
  EXPECT_TRUE(regionNear(img, RECT{0, 0, W, H}, argb(255, 10, 20, 30), 0));
}

// One textured quad over a known background for each blend set-up of the game's presets.
struct BlendCase {
  const char* name;
  int32_t colorOp, colorArg2, alphaOp, blend, src, dest;
};

void checkPresetBlends(PixelDevice* p) {
  auto& d = *p->device();
  const uint32_t background = argb(255, 40, 80, 120);
  const uint32_t texel = argb(128, 200, 100, 50);
  const uint32_t diffuse = argb(255, 128, 255, 255);
  const uint32_t factor = argb(64, 100, 200, 150);
  auto tex = p->makeTexture(4, 4, solid(4, 4, texel));
  ASSERT_TRUE(tex);

  auto blendOf = [&](uint32_t c, int32_t s, int32_t dst) {
    auto f = [&](int32_t mode, int sh) -> int {
      int cs = channel(c, sh), ca = channel(c, 24), bg = channel(background, sh);
      (void)bg;
      switch (mode) {
        case D3DBLEND_ONE: return 255;
        case D3DBLEND_ZERO: return 0;
        case D3DBLEND_SRCALPHA: return ca;
        case D3DBLEND_INVSRCALPHA: return 255 - ca;
        case D3DBLEND_SRCCOLOR: return cs;
        case D3DBLEND_INVSRCCOLOR: return 255 - cs;
      }
      return 0;
    };
    auto ch = [&](int sh) {
      return (channel(c, sh) * f(s, sh) + channel(background, sh) * f(dst, sh) + 127) / 255;
    };
    return argb(255, ch(16), ch(8), ch(0));
  };

  const BlendCase cases[] = {
      {"fogged/solid: texture x diffuse, no blend", D3DTOP_MODULATE, D3DTA_CURRENT, D3DTOP_SELECTARG1, 0, D3DBLEND_ONE, D3DBLEND_ZERO},
      {"additive: texture x factor, ONE/ONE", D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTOP_MODULATE, 1, D3DBLEND_ONE, D3DBLEND_ONE},
      {"alpha blend: texture x diffuse, alpha texture x factor", D3DTOP_MODULATE, D3DTA_CURRENT, D3DTOP_MODULATE, 1,
       D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
      {"colour blend: texture x factor, SRCCOLOR/INVSRCCOLOR", D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTOP_MODULATE, 1,
       D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0), D3D_OK);
    d.SetRenderState(D3DRS_LIGHTING, 0);
    d.SetRenderState(D3DRS_TEXTUREFACTOR, static_cast<int32_t>(factor));
    d.SetTextureStageState(0, D3DTSS_COLOROP, c.colorOp);
    d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_COLORARG2, c.colorArg2);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, c.alphaOp);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, c.blend);
    d.SetRenderState(D3DRS_SRCBLEND, c.src);
    d.SetRenderState(D3DRS_DESTBLEND, c.dest);
    d.SetTexture(0, tex);
    QuadVertex v[4];
    worldQuad(v, -0.5f, 0.5f, 0.5f, -0.5f, 0.5f, diffuse);
    ASSERT_EQ(d.SetVertexShader(D3DFVF_QUADVERTEX), D3D_OK);
    ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(QuadVertex)), D3D_OK);
    PixelImage img = p->readBack();

    uint32_t arg2 = c.colorArg2 == D3DTA_TFACTOR ? factor : diffuse;
    uint32_t colour = mul(texel, arg2) & 0x00FFFFFFu;
    uint32_t alpha = c.alphaOp == D3DTOP_MODULATE ? (channel(texel, 24) * channel(factor, 24) + 127) / 255 : channel(texel, 24);
    uint32_t source = colour | alpha << 24;
    uint32_t expected = c.blend ? blendOf(source, c.src, c.dest) : (source | 0xFF000000u);
    EXPECT_TRUE(pixelNear(img, W / 2, H / 2, expected, 3));
    EXPECT_TRUE(pixelNear(img, 2, 2, background, 0)) << "outside the quad";
  }
}

TEST(DevicePixel, PresetBlendSetUpsOnATexturedQuad) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  checkPresetBlends(p.get());
}

TEST(DevicePixel, UnboundStageDrawsTheVertexColourAndRgbTexturesHaveNoAlpha) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  auto& d = *p->device();
  const uint32_t background = argb(255, 0, 0, 255);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);

  // no texture: samples opaque white, so the quad shows its vertex colour, opaque
  d.Clear(D3DCLEAR_TARGET, background, 1.0f, 0);
  d.SetTexture(0, nullptr);
  drawScreenQuad(d, 0, 0, W, H, argb(255, 200, 50, 25));
  EXPECT_TRUE(pixelNear(p->readBack(), W / 2, H / 2, argb(255, 200, 50, 25), 1));

  // an R8G8B8 texture whose data says alpha 0 still draws opaque; A8R8G8B8 keeps the alpha
  for (D3DFORMAT format : {D3DFMT_R8G8B8, D3DFMT_A8R8G8B8}) {
    d.Clear(D3DCLEAR_TARGET, background, 1.0f, 0);
    auto tex = p->makeTexture(2, 2, solid(2, 2, argb(0, 255, 255, 0)), format);
    d.SetTexture(0, tex);
    drawScreenQuad(d, 0, 0, W, H, argb(255, 255, 255, 255));
    uint32_t expected = format == D3DFMT_R8G8B8 ? argb(255, 255, 255, 0) : background;
    EXPECT_TRUE(pixelNear(p->readBack(), W / 2, H / 2, expected, 1)) << "format " << format;
  }
}

TEST(DevicePixel, ScreenQuadMapsTexelsToPixelsOneToOne) {
  constexpr int32_t SW = 160, SH = 144;
  QV_REQUIRE_PIXEL_DEVICE(p, SW, SH);
  auto& d = *p->device();
  std::vector<uint32_t> pattern(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) pattern[y * 256 + x] = argb(255, x, y, (x * 7 + y * 13) & 255);
  auto tex = p->makeTexture(256, 256, pattern);
  d.Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  d.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  d.SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
  d.SetTexture(0, tex);
  // a screen quad of the source 0, 0, 128, 128 in 1/256 units at 16, 8
  drawScreenQuad(d, 16, 8, 144, 136, argb(255, 255, 255, 255), 0, 0, 128 / 256.0f, 128 / 256.0f);
  PixelImage img = p->readBack();
  int bad = 0;
  for (int j = 0; j < 128; ++j)
    for (int i = 0; i < 128; ++i)
      if (!pixelNear(img, 16 + i, 8 + j, pattern[j * 256 + i], 1)) ++bad;
  EXPECT_EQ(bad, 0);
  EXPECT_TRUE(pixelNear(img, 15, 8, 0, 0));
  EXPECT_TRUE(pixelNear(img, 144, 8, 0, 0));
  EXPECT_TRUE(pixelNear(img, 16, 136, 0, 0));
}

namespace {
// A triangle in normalised coordinates (identity transforms), z 0.5.
void drawTriangle(Direct3DDevice8& d, float ax, float ay, float bx, float by, float cx, float cy, D3DCOLOR color) {
  QuadVertex v[3] = {{ax, ay, 0.5f, 0, 0, -1, color, 0, 0},
                     {bx, by, 0.5f, 0, 0, -1, color, 0, 0},
                     {cx, cy, 0.5f, 0, 0, -1, color, 0, 0}};
  ASSERT_EQ(d.SetVertexShader(D3DFVF_QUADVERTEX), D3D_OK);
  ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(QuadVertex)), D3D_OK);
}

// Clockwise on screen (front under the default CCW culling) in the bottom-right, and the same
// triangle counter-clockwise in the bottom-left.
void drawCullingPair(Direct3DDevice8& d) {
  drawTriangle(d, 0.55f, -0.2f, 0.9f, -0.9f, 0.2f, -0.9f, argb(255, 0, 255, 0));
  drawTriangle(d, -0.45f, -0.2f, -0.8f, -0.9f, -0.1f, -0.9f, argb(255, 0, 0, 255));
}
}  // namespace

TEST(DevicePixel, RenderTargetKeepsTheScreenOrientationAndCulling) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  auto& d = *p->device();
  auto device = p->device();
  std::shared_ptr<Direct3DTexture8> target;
  std::shared_ptr<Direct3DSurface8> surface;
  std::shared_ptr<D3DXRenderToSurface> rts;
  ASSERT_EQ(p->d3dx().CreateTexture(device, 64, 64, D3DX_DEFAULT, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, target), D3D_OK);
  ASSERT_EQ(target->GetSurfaceLevel(0, surface), D3D_OK);
  ASSERT_EQ(p->d3dx().CreateRenderToSurface(device, 64, 64, D3DFMT_X8R8G8B8, true, D3DFMT_D24X8, rts), D3D_OK);

  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetTexture(0, nullptr);
  ASSERT_EQ(rts->BeginScene(surface, D3DVIEWPORT8{0, 0, 64, 64, 0.1f, 5000.0f}), D3D_OK);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, argb(255, 0, 0, 0), 1.0f, 0);
  drawScreenQuad(d, 0, 0, 16, 16, argb(255, 255, 0, 0));  // marker at the top-left
  drawCullingPair(d);
  ASSERT_EQ(rts->EndScene(), D3D_OK);

  PixelImage t = p->readTexture(*target);
  EXPECT_TRUE(pixelNear(t, 4, 4, argb(255, 255, 0, 0), 1)) << "marker top-left in the texture";
  EXPECT_TRUE(pixelNear(t, 60, 4, 0, 1));
  EXPECT_TRUE(pixelNear(t, 4, 60, 0, 1));
  EXPECT_TRUE(pixelNear(t, 48, 54, argb(255, 0, 255, 0), 1)) << "clockwise triangle drawn";
  EXPECT_TRUE(pixelNear(t, 16, 54, 0, 1)) << "counter-clockwise triangle culled";

  // sampled on the screen with the same texture coordinates, the marker stays top-left
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, argb(255, 30, 30, 30), 1.0f, 0);
  d.SetTexture(0, target);
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  drawScreenQuad(d, 0, 0, 64, 64, argb(255, 255, 255, 255));
  d.SetTexture(0, nullptr);
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  PixelImage s = p->readBack();
  EXPECT_TRUE(pixelNear(s, 4, 4, argb(255, 255, 0, 0), 1));
  EXPECT_TRUE(pixelNear(s, 4, 60, 0, 1));
  EXPECT_TRUE(pixelNear(s, 48, 54, argb(255, 0, 255, 0), 1));

  // culling on the back buffer is the same
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  drawCullingPair(d);
  PixelImage b = p->readBack();
  EXPECT_TRUE(pixelNear(b, W * 3 / 4 - 2, H - 4, argb(255, 0, 255, 0), 1));
  EXPECT_TRUE(pixelNear(b, W / 4, H - 4, 0, 1));
}

TEST(DevicePixel, RenderTargetViewportIsClampedAndClearsOnlyItself) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  auto& d = *p->device();
  auto device = p->device();
  std::shared_ptr<Direct3DTexture8> target;
  std::shared_ptr<Direct3DSurface8> surface;
  std::shared_ptr<D3DXRenderToSurface> rts;
  ASSERT_EQ(p->d3dx().CreateTexture(device, 64, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, target), D3D_OK);
  ASSERT_EQ(target->GetSurfaceLevel(0, surface), D3D_OK);
  ASSERT_EQ(p->d3dx().CreateRenderToSurface(device, 64, 64, D3DFMT_X8R8G8B8, true, D3DFMT_D24X8, rts), D3D_OK);

  // the game's effect viewport: larger than the surface, depth 0.1..30000
  ASSERT_EQ(rts->BeginScene(surface, D3DVIEWPORT8{0, 0, 200, 150, 0.1f, 30000.0f}), D3D_OK);
  D3DVIEWPORT8 vp;
  d.GetViewport(vp);
  EXPECT_EQ(vp.Width, 64);
  EXPECT_EQ(vp.Height, 64);
  EXPECT_EQ(vp.MinZ, 0.0f);
  EXPECT_EQ(vp.MaxZ, 1.0f);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, argb(255, 50, 0, 0), 1.0f, 0);
  ASSERT_EQ(rts->EndScene(), D3D_OK);
  EXPECT_TRUE(regionNear(p->readTexture(*target), RECT{0, 0, 64, 64}, argb(255, 50, 0, 0), 0));

  // a half-size viewport clears its top-left part only; the back buffer's viewport comes back
  ASSERT_EQ(rts->BeginScene(surface, D3DVIEWPORT8{0, 0, 32, 32, 0.1f, 5000.0f}), D3D_OK);
  d.Clear(D3DCLEAR_TARGET, argb(255, 0, 90, 0), 1.0f, 0);
  ASSERT_EQ(rts->EndScene(), D3D_OK);
  PixelImage t = p->readTexture(*target);
  EXPECT_TRUE(regionNear(t, RECT{0, 0, 32, 32}, argb(255, 0, 90, 0), 0));
  EXPECT_TRUE(regionNear(t, RECT{32, 0, 64, 64}, argb(255, 50, 0, 0), 0));
  EXPECT_TRUE(regionNear(t, RECT{0, 32, 32, 64}, argb(255, 50, 0, 0), 0));
  d.GetViewport(vp);
  EXPECT_EQ(vp.Width, W);
  EXPECT_EQ(vp.Height, H);
}

namespace {
void setPerspective(Direct3DDevice8& d) {
  D3DMATRIX proj, identity;
  D3DXMatrixPerspectiveFovLH(proj, 1.57f, 1.0f, 1.0f, 100.0f);
  D3DXMatrixIdentity(identity);
  d.SetTransform(D3DTS_PROJECTION, proj);
  d.SetTransform(D3DTS_VIEW, identity);
  d.SetTransform(D3DTS_WORLD, identity);
}
}  // namespace

void checkFog(PixelDevice* p) {
  auto& d = *p->device();
  setPerspective(d);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetTexture(0, nullptr);
  const uint32_t colour = argb(255, 200, 0, 0), fog = argb(255, 0, 0, 200);
  struct Case {
    bool on;
    float start, end;
    float visible;  // share of the quad's own colour at depth 5
  } cases[] = {{true, 0, 10, 0.5f}, {true, 6, 10, 1.0f}, {true, 0, 4, 0.0f}, {false, 0, 4, 1.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "fog " << c.on << " " << c.start << ".." << c.end);
    d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    d.SetRenderState(D3DRS_FOGENABLE, c.on);
    d.SetRenderState(D3DRS_FOGCOLOR, static_cast<int32_t>(fog));
    d.SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    d.SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    d.SetRenderState(D3DRS_FOGSTART, floatBits(c.start));
    d.SetRenderState(D3DRS_FOGEND, floatBits(c.end));
    QuadVertex v[4];
    worldQuad(v, -20, 20, 20, -20, 5, colour);
    d.SetVertexShader(D3DFVF_QUADVERTEX);
    ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(QuadVertex)), D3D_OK);
    int red = static_cast<int>(std::lround(200 * c.visible)), blue = 200 - red;
    EXPECT_TRUE(pixelNear(p->readBack(), W / 2, H / 2, argb(255, red, 0, blue), 3));
  }
}

TEST(DevicePixel, LinearVertexFogByViewDepth) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  checkFog(p.get());
}

void checkLights(PixelDevice* p) {
  auto& d = *p->device();
  setPerspective(d);
  d.SetTexture(0, nullptr);
  d.SetRenderState(D3DRS_LIGHTING, 1);
  d.SetRenderState(D3DRS_NORMALIZENORMALS, 1);
  D3DMATERIAL8 m;
  m.Diffuse = {1, 1, 1, 1};
  m.Ambient = {1, 1, 1, 1};
  d.SetMaterial(m);
  struct MD2Vertex {
    float x, y, z, nx, ny, nz, u, v;
  };
  auto quad = [&](float l, float t, float r, float b) {
    MD2Vertex v[4] = {{l, b, 5, 0, 0, -1, 0, 1}, {l, t, 5, 0, 0, -1, 0, 0}, {r, b, 5, 0, 0, -1, 1, 1}, {r, t, 5, 0, 0, -1, 1, 0}};
    d.SetVertexShader(D3DFVF_MD2VERTEX);
    ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(MD2Vertex)), D3D_OK);
  };

  // directional light along +z (toward the quad's face): full diffuse; a zero direction (the
  // target view's light) leaves only the ambient colour
  struct Case {
    D3DVECTOR direction;
    float ambient;
    int expected;
  } cases[] = {{{0, 0, 1}, 0.0f, 255}, {{0, 0, 1}, 0.25f, 255}, {{0, 0, -1}, 0.25f, 64}, {{0, 0, 0}, 0.25f, 64}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "direction z " << c.direction.z << " ambient " << c.ambient);
    d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    D3DLIGHT8 l;
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1, 1, 1, 0};
    l.Ambient = {c.ambient, c.ambient, c.ambient, 0};
    l.Direction = c.direction;
    ASSERT_EQ(d.SetLight(0, l), D3D_OK);
    d.LightEnable(0, true);
    quad(-20, 20, 20, -20);
    EXPECT_TRUE(pixelNear(p->readBack(), W / 2, H / 2, argb(255, c.expected, c.expected, c.expected), 2));
  }
  d.LightEnable(0, false);

  // a point light with range 2 in front of the left quad lights it; the right quad is out of range
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  D3DLIGHT8 point;
  point.Type = D3DLIGHT_POINT;
  point.Diffuse = {1, 1, 1, 1};
  point.Position = {-2.5f, 0, 4.5f};
  point.Range = 2.0f;
  point.Attenuation0 = 1;
  ASSERT_EQ(d.SetLight(1, point), D3D_OK);
  d.LightEnable(1, true);
  quad(-3.0f, 0.5f, -2.0f, -0.5f);
  quad(2.0f, 0.5f, 3.0f, -0.5f);
  PixelImage img = p->readBack();
  D3DVIEWPORT8 vp;
  d.GetViewport(vp);
  D3DMATRIX proj, view, world;
  d.GetTransform(D3DTS_PROJECTION, proj);
  d.GetTransform(D3DTS_VIEW, view);
  d.GetTransform(D3DTS_WORLD, world);
  D3DVECTOR left, right;
  D3DXVec3Project(left, D3DVECTOR{-2.5f, 0, 5}, vp, proj, view, world);
  D3DXVec3Project(right, D3DVECTOR{2.5f, 0, 5}, vp, proj, view, world);
  EXPECT_GT(img.at(int(left.x), int(left.y)).r, 100) << "inside the range";
  EXPECT_EQ(img.at(int(right.x), int(right.y)).r, 0) << "beyond the range";
}

TEST(DevicePixel, LightsDirectionalAmbientAndPointRange) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  checkLights(p.get());
}

// Past the specialised programs a device builds (one per set of states, at most 128), the program
// with every state a uniform draws the presets, fog and lights as they do: each check on a new
// device whose table is first filled by 168 stage set-ups of screen quads (its states then set back).
TEST(DevicePixel, TheGenericProgramDrawsAsTheSpecialisedOnes) {
  for (void (*check)(PixelDevice*) : {&checkPresetBlends, &checkFog, &checkLights}) {
    QV_REQUIRE_PIXEL_DEVICE(p, W, H);
    auto& d = *p->device();
    auto tex = p->makeTexture(4, 4, solid(4, 4, argb(255, 90, 90, 90)));
    d.SetTexture(0, tex);
    d.SetRenderState(D3DRS_ZENABLE, 0);
    auto stage = [&](int32_t op, int32_t a1, int32_t a2, int32_t alphaOp, int32_t alpha2) {
      d.SetTextureStageState(0, D3DTSS_COLOROP, op);
      d.SetTextureStageState(0, D3DTSS_COLORARG1, a1);
      d.SetTextureStageState(0, D3DTSS_COLORARG2, a2);
      d.SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
      d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      d.SetTextureStageState(0, D3DTSS_ALPHAARG2, alpha2);
    };
    const int32_t args[] = {D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_TFACTOR};
    for (int32_t alphaOp : {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE})
      for (int32_t alpha2 : {D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTA_CURRENT})
        for (int32_t op : {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE})
          for (int32_t a1 : args)
            for (int32_t a2 : args) {
              if ((op == D3DTOP_SELECTARG1 && a2 != D3DTA_DIFFUSE) || (op == D3DTOP_SELECTARG2 && a1 != D3DTA_DIFFUSE) ||
                  (alphaOp == D3DTOP_SELECTARG1 && alpha2 != D3DTA_TFACTOR))
                continue;  // the same program as another set-up
              stage(op, a1, a2, alphaOp, alpha2);
              drawScreenQuad(d, 0, 0, 4, 4, argb(255, 255, 255, 255));
            }
    p->readBack();  // hands the quads to the driver
    d.SetRenderState(D3DRS_ZENABLE, 1);
    d.SetTexture(0, nullptr);
    stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_CURRENT);  // the defaults
    check(p.get());
  }
}

TEST(DevicePixel, WireframeDrawsOnlyTheEdges) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  auto& d = *p->device();
  d.Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetTexture(0, nullptr);
  d.SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
  drawScreenQuad(d, 16, 8, 80, 56, argb(255, 255, 255, 255));
  d.SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  PixelImage img = p->readBack();
  EXPECT_TRUE(pixelNear(img, 30, 20, 0, 0)) << "inside, off the edges";
  int lit = 0;
  for (int x = 14; x <= 18; ++x) lit += img.at(x, 30).r > 128;
  EXPECT_GE(lit, 1) << "left edge";
  // solid again afterwards
  drawScreenQuad(d, 16, 8, 80, 56, argb(255, 255, 255, 255));
  EXPECT_TRUE(pixelNear(p->readBack(), 30, 20, argb(255, 255, 255, 255), 0));
}

TEST(DevicePixel, SpriteBlendsByTextureAndColourAlphaAndIgnoresDepth) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  auto& d = *p->device();
  auto device = p->device();
  std::shared_ptr<D3DXSprite> sprite;
  ASSERT_EQ(p->d3dx().CreateSprite(device, sprite), D3D_OK);
  auto half = p->makeTexture(8, 8, solid(8, 8, argb(128, 255, 255, 255)));
  auto opaque = p->makeTexture(8, 2, solid(8, 2, argb(255, 255, 255, 255)));

  // a quad near the camera fills the depth buffer first: sprites neither test nor write depth
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetTexture(0, nullptr);
  {
    QuadVertex v[4];
    worldQuad(v, -1, 1, 1, -1, 0.1f, argb(255, 0, 0, 0));
    d.SetVertexShader(D3DFVF_QUADVERTEX);
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(QuadVertex));
  }
  int32_t blendBefore = d.GetRenderState(D3DRS_ALPHABLENDENABLE);
  ASSERT_EQ(sprite->Begin(), D3D_OK);
  RECT all{0, 0, 8, 8};
  ASSERT_EQ(sprite->Draw(half, &all, {1, 1}, {0, 0}, 0, {10, 10}, argb(255, 255, 0, 0)), D3D_OK);
  ASSERT_EQ(sprite->Draw(half, &all, {1, 1}, {0, 0}, 0, {30, 10}, argb(128, 255, 0, 0)), D3D_OK);
  // a segment 32 x 2 turned by +pi/2: its +x axis points up the screen
  RECT seg{0, 0, 8, 2};
  ASSERT_EQ(sprite->Draw(opaque, &seg, {4, 1}, {0, 0}, 1.5707964f, {60, 50}, argb(255, 0, 255, 0)), D3D_OK);
  ASSERT_EQ(sprite->End(), D3D_OK);
  EXPECT_EQ(d.GetRenderState(D3DRS_ALPHABLENDENABLE), blendBefore);

  PixelImage img = p->readBack();
  EXPECT_TRUE(pixelNear(img, 13, 13, argb(255, 128, 0, 0), 3)) << "texture alpha 128";
  EXPECT_TRUE(pixelNear(img, 33, 13, argb(255, 64, 0, 0), 3)) << "texture alpha x colour alpha";
  EXPECT_TRUE(pixelNear(img, 9, 13, 0, 0)) << "left of the sprite";
  EXPECT_TRUE(pixelNear(img, 60, 30, argb(255, 0, 255, 0), 3)) << "segment runs upward";
  EXPECT_TRUE(pixelNear(img, 60, 60, 0, 0)) << "nothing below the start";
  EXPECT_TRUE(pixelNear(img, 75, 48, 0, 0)) << "nothing to the right";

  // and the depth buffer still holds the quad's depth, not the sprite's
  d.SetRenderState(D3DRS_ZENABLE, 1);
  QuadVertex v[4];
  worldQuad(v, -1, 1, 1, -1, 0.05f, argb(255, 0, 0, 255));
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(QuadVertex));
  EXPECT_TRUE(pixelNear(p->readBack(), 13, 13, argb(255, 0, 0, 255), 1));
}

TEST(DevicePixel, DrawsAgainAfterALossAndReset) {
  QV_REQUIRE_PIXEL_DEVICE(p, W, H);
  auto& d = *p->device();
  auto tex = p->makeTexture(2, 2, solid(2, 2, argb(255, 0, 200, 0)));
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SimulateDeviceLoss();
  EXPECT_EQ(d.TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(d.Present(), D3DERR_DEVICELOST);
  EXPECT_EQ(d.TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  D3DPRESENT_PARAMETERS pp = d.PresentParameters();
  ASSERT_EQ(d.Reset(pp), D3D_OK);
  EXPECT_EQ(d.GetRenderState(D3DRS_LIGHTING), 1);
  // the texture survived; drawing works as before
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, argb(255, 9, 9, 9), 1.0f, 0);
  d.SetTexture(0, tex);
  drawScreenQuad(d, 8, 8, 40, 40, argb(255, 255, 255, 255));
  PixelImage img = p->readBack();
  EXPECT_TRUE(pixelNear(img, 20, 20, argb(255, 0, 200, 0), 1));
  EXPECT_TRUE(pixelNear(img, 60, 20, argb(255, 9, 9, 9), 0));
  EXPECT_EQ(d.Present(), D3D_OK);
}

TEST(DevicePixel, ObjectsMayOutliveTheirDeviceAndWindow) {
  std::shared_ptr<Direct3DTexture8> texture;
  std::shared_ptr<Direct3DDevice8> device;
  {
    QV_REQUIRE_PIXEL_DEVICE(p, 32, 32);
    texture = p->makeTexture(2, 2, solid(2, 2, 0xFFFFFFFFu));
    device = p->device();  // the device outlives its window
  }
  EXPECT_EQ(device->Clear(D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
  device.reset();
  // a new device draws normally while the old texture is still held, and after it is released
  QV_REQUIRE_PIXEL_DEVICE(q, 32, 32);
  q->device()->Clear(D3DCLEAR_TARGET, argb(255, 1, 2, 3), 1.0f, 0);
  texture.reset();
  EXPECT_TRUE(pixelNear(q->readBack(), 5, 5, argb(255, 1, 2, 3), 0));
}
