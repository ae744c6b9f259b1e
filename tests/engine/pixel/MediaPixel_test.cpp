// Text, billboards and models drawn on Mesa and read back: glyph cells land where the writer
// puts them, in the colour of their code; a billboard faces the camera from every side (back
// faces are culled, so a quad turned the wrong way would not show at all); a model is lit on the
// side its light comes from.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/BillMod.h"
#include "engine/CMD2.h"
#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"
#include "tests/levels/pixel/PixelContent.h"
#include "tests/support/MediaFixture.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/GamePixel.h"
#include "tests/support/TempGameDir.h"

namespace {
constexpr int W = 160, H = 120;
const D3DCOLOR Background = D3DColorARGB(255, 0, 0, 40);

// An opaque colour of its own for each glyph cell.
D3DCOLOR cellColour(int cell) {
  return D3DColorARGB(255, 40 + (cell * 37) % 200, 40 + (cell * 91) % 200, 255);
}

class MediaPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startGamePixelDevice(W, H, pd, dir, &why)) << why;
    checkHResult(D3DX->CreateSprite(D3DDevice, DxSprite));
    Direct3DDevice8& d = device();
    d.SetRenderState(D3DRS_LIGHTING, 0);
  }
  void TearDown() override {
    ReleaseGeometry();
    GameText.reset();
    stopGamePixelDevice(pd, dir);
    MsgCount = 0;
  }
  void begin() {
    device().BeginScene();
    device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Background, 1.0f, 0);
  }
  PixelImage end() {
    device().EndScene();
    return pd->readBack();
  }
  // A font of the game's layout whose every cell is filled with its own colour.
  void writeFont() {
    std::vector<uint32_t> px(256 * 256, 0);
    for (int cell = 0; cell < 56; ++cell)
      for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 32; ++x) px[(cell / 8 * 36 + y) * 256 + cell % 8 * 32 + x] = cellColour(cell);
    const auto bytes = [&] {
      std::string b = "DDS ";
      auto put = [&](uint32_t v) {
        for (int k = 0; k < 4; ++k) b += char((v >> (8 * k)) & 0xFF);
      };
      put(124);
      put(0x100F);
      put(256);
      put(256);
      put(1024);
      for (int i = 0; i < 13; ++i) put(0);
      for (uint32_t v : {32u, 0x41u, 0u, 32u, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u}) put(v);
      for (int i = 0; i < 5; ++i) put(i == 0 ? 0x1000 : 0);
      for (uint32_t c : px) put(c);
      return b;
    }();
    dir->write("\\gfx\\text.dds", bytes);
    TexFontDDS = TexMon->getTextureNumber("text.dds");
    ASSERT_TRUE(TexSlots[TexFontDDS].object);
  }

  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
};
}  // namespace

TEST_F(MediaPixelTest, ATextLineLandsItsGlyphCellsWhereExpected) {
  writeFont();
  CText text;
  text.setColor(255, 255, 255);
  text.setSize(1.0f);
  begin();
  // "z" (cell 25) at x 10, "9" (cell 35) 16 pixels on, a space (6), then "?" (cell 55) at 49.
  text.drawText(10, 40, "z9 ?", 0, false, false);
  PixelImage img = end();
  // Each glyph covers 32 x 36 pixels centred on y 40 (22..58); later glyphs cover earlier ones.
  EXPECT_TRUE(regionNear(img, RECT{12, 24, 25, 56}, cellColour(25), 4));
  EXPECT_TRUE(regionNear(img, RECT{28, 24, 47, 56}, cellColour(35), 4));
  EXPECT_TRUE(regionNear(img, RECT{51, 24, 79, 56}, cellColour(55), 4));
  EXPECT_TRUE(pixelNear(img, 8, 40, Background, 2));
  EXPECT_TRUE(pixelNear(img, 30, 20, Background, 2));
  EXPECT_TRUE(pixelNear(img, 30, 60, Background, 2));
  EXPECT_TRUE(pixelNear(img, 84, 40, Background, 2));
}

TEST_F(MediaPixelTest, CodesColourAndEnlargeTheGlyphsCentredOnTheLine) {
  writeFont();
  CText text;
  text.setColor(255, 255, 255);
  text.setSize(0.5f);
  begin();
  text.drawText(20, 60, "[G]t[+]t", 0, false, false);
  PixelImage img = end();
  // "t" (cell 19) modulated by green: only its green channel stays.
  const Rgba c = rgbaOf(cellColour(19));
  const D3DCOLOR green = D3DColorARGB(255, 0, c.g, 0);
  EXPECT_TRUE(regionNear(img, RECT{21, 52, 26, 68}, green, 4));  // 16 x 18 at (20, 51)
  EXPECT_TRUE(regionNear(img, RECT{28, 50, 45, 70}, green, 4));  // 19.2 x 21.6 at (26.5, 49.2)
  EXPECT_TRUE(pixelNear(img, 30, 47, Background, 2));
  EXPECT_TRUE(pixelNear(img, 23, 50, Background, 2));
}

TEST_F(MediaPixelTest, ABillboardFacesTheCamera) {
  InitGeometry();
  auto white = pd->makeTexture(8, 8, std::vector<uint32_t>(64, 0xFFFFFFFF));
  D3DMATRIX proj, id;
  D3DXMatrixPerspectiveFovLH(proj, 1.0f, float(W) / H, 1, 2000);  // square pixels
  D3DXMatrixIdentity(id);
  struct Case {
    D3DVECTOR eye;
  };
  for (Case c : {Case{{0, 0, -200}}, Case{{0, 0, 200}}, Case{{-200, 0, 0}}, Case{{200, 0, 0}},
                 Case{{-120, 90, -110}}, Case{{60, -150, 100}}}) {
    SCOPED_TRACE(std::to_string(c.eye.x) + "," + std::to_string(c.eye.y) + "," + std::to_string(c.eye.z));
    CamEye = c.eye;
    CamTarget = D3DVECTOR{0, 0, 0};
    D3DMATRIX view;
    D3DXMatrixLookAtLH(view, CamEye, CamTarget, D3DVECTOR{0, 1, 0});
    Direct3DDevice8& d = device();
    d.SetTransform(D3DTS_VIEW, view);
    d.SetTransform(D3DTS_PROJECTION, proj);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    getBillFace();
    begin();
    Integer shade = -1;
    DrawDDSBill(D3DVECTOR{0, 0, 0}, 1, white, 0, -99, shade);
    PixelImage img = end();
    // A square the size a camera-facing 32 x 32 quad has at the eye's distance, centred.
    const double dist = std::sqrt(c.eye.x * c.eye.x + c.eye.y * c.eye.y + c.eye.z * c.eye.z);
    const double half = 16 / dist * proj.m[1][1] * H / 2;  // pixels from the centre to an edge
    int across = 0, down = 0;
    for (int x = 0; x < W; ++x) across += rgbaOf(img.argb[H / 2 * W + x]).r > 128;
    for (int y = 0; y < H; ++y) down += rgbaOf(img.argb[y * W + W / 2]).r > 128;
    EXPECT_NEAR(across, 2 * half, 2.5);
    EXPECT_NEAR(down, 2 * half, 2.5);
    EXPECT_TRUE(pixelNear(img, W / 2, H / 2, 0xFFFFFFFF, 3));
    EXPECT_TRUE(pixelNear(img, 2, 2, Background, 2));
  }
}

// The generated font drawn at the game's text sizes: nothing shows between two words or past the
// last glyph of a line, though every glyph's quad is a whole 32 x 36 cell wide (a neighbouring
// cell's ink sampled at the quad's border would show there as a thin vertical mark).
TEST_F(MediaPixelTest, TheGeneratedFontLeavesTheGapsBetweenWordsEmpty) {
  const std::string font = std::string(QV_TEST_GAME_DIR) + "/gfx/text.dds";
  std::ifstream in(font, std::ios::binary);
  if (!in) GTEST_SKIP() << "no generated font at " << font;
  dir->write("\\gfx\\text.dds", std::string(std::istreambuf_iterator<char>(in), {}));
  TexFontDDS = TexMon->getTextureNumber("text.dds");
  ASSERT_TRUE(TexSlots[TexFontDDS].object);
  for (const char* line : {"EVERY LANE", "TRAFFIC, NORMAL", "VERY EASY"}) {
    for (Single size : {0.36f, 0.5f, 0.7f, 1.0f}) {
      SCOPED_TRACE(std::string(line) + " at " + std::to_string(size));
      CText text;
      text.setColor(255, 255, 255);
      text.setSize(size);
      begin();
      const Single x0 = 4, y = 60;
      text.drawText(x0, y, line, 0, false, false);
      PixelImage img = end();
      // The pen as the writer moves it: glyph advances, 6 per space.
      const std::string s = line;
      Single pen = x0;
      std::vector<std::pair<int, int>> gaps;  // blank column ranges [from, to)
      for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == ' ') {
          gaps.emplace_back(static_cast<int>(std::ceil(pen)) + 1, static_cast<int>(pen + 6 * size) - 1);
          pen += 6 * size;
        } else {
          pen += CText::getCharWidth(s[i]) * size;
        }
      }
      gaps.emplace_back(static_cast<int>(std::ceil(pen)) + 1, std::min<int>(W, static_cast<int>(pen + 32 * size) + 2));
      const int top = static_cast<int>(y - 18 * size), bottom = static_cast<int>(y + 18 * size) + 1;
      for (auto [from, to] : gaps)
        for (int px = std::max(0, from); px < std::min<int>(W, to); ++px)
          for (int py = std::max(0, top); py < std::min<int>(H, bottom); ++py)
            ASSERT_TRUE(pixelNear(img, px, py, Background, 24)) << "column " << px << " row " << py;
    }
  }
}

namespace {
// A ball of radius about 127 about the model's origin, as an MD2 file in its own axes (z up): each
// vertex carries the table normal nearest to its outward direction in those axes.
std::string ballMd2() {
  constexpr int Rings = 12, Segments = 16;
  Md2Content m;
  m.texCoords = {{0, 0}};
  Md2Content::Frame f;
  f.name = "ball";
  f.translate = {-127.5f, -127.5f, -127.5f};
  for (int i = 0; i <= Rings; ++i)
    for (int j = 0; j <= Segments; ++j) {
      const double th = 3.14159265 * i / Rings, ph = 2 * 3.14159265 * j / Segments;
      const double dir[3] = {std::sin(th) * std::cos(ph), std::sin(th) * std::sin(ph), std::cos(th)};
      uint8_t normal = 0;
      double best = -2;
      for (int n = 0; n < MD2NormalCount; ++n) {
        const double dot = MD2Normals[n].x * dir[0] + MD2Normals[n].y * dir[1] + MD2Normals[n].z * dir[2];
        if (dot > best) {
          best = dot;
          normal = static_cast<uint8_t>(n);
        }
      }
      auto b = [](double v) { return static_cast<uint8_t>(std::lround(127.5 + 127 * v)); };
      f.vertices.push_back({b(dir[0]), b(dir[1]), b(dir[2]), normal});
    }
  m.frames.push_back(f);
  for (int i = 0; i < Rings; ++i)
    for (int j = 0; j < Segments; ++j) {
      const int16_t a = static_cast<int16_t>(i * (Segments + 1) + j), c = static_cast<int16_t>(a + Segments + 1);
      m.triangles.push_back({a, c, static_cast<int16_t>(a + 1), 0, 0, 0});
      m.triangles.push_back({static_cast<int16_t>(a + 1), c, static_cast<int16_t>(c + 1), 0, 0, 0});
    }
  return encodeMd2(m);
}
}  // namespace

TEST_F(MediaPixelTest, AModelIsBrightestOnTheSideItsLightComesFrom) {
  dir->write("\\models\\ball.md2", ballMd2());
  dir->write("\\gfx\\white.bmp", pixelcontent::solidBmp(4, 4, 0xFFFFFF));
  const Integer handle = ModelMon->getModelNumber("models\\ball.md2");
  CMD2* ball = ModelSlots.at(static_cast<size_t>(handle)).object.get();
  ASSERT_TRUE(ball && ball->Loaded);
  ball->myTexture = TexMon->getTextureNumber("white.bmp");
  // The ball 300 ahead of the camera: a disc of radius about 25 pixels about the centre.
  const int cx = W / 2, cy = H / 2, off = 18;
  struct Case {
    const char* from;
    D3DVECTOR direction;  // the way the light travels
    int litX, litY, darkX, darkY;
  } cases[] = {
      {"+x", {-1, 0, 0}, cx + off, cy, cx - off, cy},
      {"+y (above)", {0, -1, 0}, cx, cy - off, cx, cy + off},
      {"the camera", {0, 0, 1}, cx, cy, cx + 24, cy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    pixelcontent::beginLookingDownZ(W, H);
    Direct3DDevice8& d = device();
    initMD2Normals();
    checkHResult(d.SetRenderState(D3DRS_LIGHTING, 1));
    checkHResult(d.SetRenderState(D3DRS_AMBIENT, 0));
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = c.direction;
    checkHResult(d.SetLight(0, light));
    checkHResult(d.LightEnable(0, true));
    D3DMATRIX world;
    D3DXMatrixTranslation(world, 0, 0, 300);
    checkHResult(d.SetTransform(D3DTS_WORLD, world));
    ASSERT_TRUE(ball->Render(nullptr, 0, 0, 0, 0, 0, true, -1, 0));
    PixelImage img = end();
    const Rgba lit = img.at(c.litX, c.litY), dark = img.at(c.darkX, c.darkY);
    EXPECT_GT(lit.r, 100) << "lit side";
    EXPECT_GT(lit.r, dark.r + 50) << "lit " << lit.r << " against " << dark.r;
    EXPECT_EQ(lit.r, lit.b);  // white light on a white ball
  }
}
