// Structures: for each of the 22 definitions "models\structs\<name>.md2" (the solid model;
// its bounding box is the collision and landing box), "<name>_o.md2" (outline shell drawn with
// the shade textures) and "<name>_f.md2" (a shell just outside the walls drawn additively with
// the glow texture), and the textures "st_<name>.bmp" and "st_<name>_f.bmp" (black except lit
// windows, signs and lamps). Models stand on their origin: x across, y up, z depth.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/Md2Writer.h"
#include "tools/contentgen/Painter.h"
#include "tools/contentgen/Rng.h"
#include "tools/contentgen/TrueTypeFont.h"

namespace {

// Texture regions (pixels of a 128 x 128 texture).
const UvRect kWall{0.5f, 0.5f, 63.5f, 63.5f}, kRoof{64.5f, 0.5f, 127.5f, 63.5f}, kSign{0.5f, 64.5f, 127.5f, 95.5f},
    kAccent{0.5f, 96.5f, 63.5f, 127.5f}, kMetal{64.5f, 96.5f, 127.5f, 127.5f};

struct StructStyle {
  const char* name;
  Rgba wall, accent, window;
  const char* sign;   // "" for none
};

const StructStyle kStyles[] = {
    {"parts", rgb(120, 130, 150), rgb(250, 160, 30), rgb(255, 220, 120), "PARTS"},
    {"china", rgb(200, 60, 50), rgb(240, 200, 60), rgb(255, 200, 90), "BUFFET"},
    {"landing", rgb(90, 95, 105), rgb(250, 220, 40), rgb(120, 255, 120), ""},
    {"genbuild1", rgb(150, 145, 135), rgb(80, 90, 110), rgb(255, 230, 150), ""},
    {"tallbuild", rgb(70, 90, 120), rgb(180, 200, 220), rgb(170, 220, 255), ""},
    {"catwalk", rgb(110, 110, 115), rgb(240, 200, 40), rgb(255, 120, 40), ""},
    {"catwalk2", rgb(110, 110, 115), rgb(240, 200, 40), rgb(255, 120, 40), ""},
    {"gas", rgb(230, 230, 225), rgb(40, 160, 60), rgb(255, 255, 160), "GAS"},
    {"tallbuild2", rgb(160, 120, 90), rgb(90, 60, 40), rgb(255, 210, 130), ""},
    {"genbuild2", rgb(120, 140, 120), rgb(60, 70, 60), rgb(230, 255, 180), ""},
    {"shipyard", rgb(100, 110, 125), rgb(230, 120, 30), rgb(200, 230, 255), "SHIPS"},
    {"shoppermart", rgb(220, 210, 180), rgb(40, 120, 220), rgb(255, 240, 200), "MART"},
    {"hut", rgb(150, 110, 70), rgb(200, 60, 40), rgb(255, 200, 100), "TRADE"},
    {"ammo", rgb(100, 110, 70), rgb(220, 40, 30), rgb(255, 150, 80), "AMMO"},
    {"closewalk", rgb(90, 95, 100), rgb(60, 200, 240), rgb(60, 220, 255), ""},
    {"closewalk2", rgb(90, 95, 100), rgb(60, 200, 240), rgb(60, 220, 255), ""},
    {"bank", rgb(225, 220, 205), rgb(200, 170, 60), rgb(255, 240, 170), "BANK"},
    {"indycontrol", rgb(140, 150, 165), rgb(60, 120, 200), rgb(150, 255, 200), "CONTROL"},
    {"ninjabuild", rgb(40, 35, 35), rgb(180, 30, 30), rgb(255, 90, 60), ""},
    {"gasbag", rgb(210, 200, 120), rgb(120, 80, 40), rgb(255, 240, 140), ""},
    {"cybuild", rgb(80, 85, 95), rgb(200, 30, 30), rgb(255, 60, 60), ""},
    {"cross", rgb(235, 235, 235), rgb(220, 30, 30), rgb(255, 80, 80), ""},
};

// A box whose sides show the wall (windows), its top the roof and its bottom metal; split into
// storeys of about storey units so windows keep their size on tall blocks.
void block(Mesh& m, Vec3 lo, Vec3 hi, float storey = 220) {
  int n = std::max(1, static_cast<int>(std::lround((hi.y - lo.y) / storey)));
  for (int i = 0; i < n; ++i) {
    float y0 = lo.y + (hi.y - lo.y) * i / n, y1 = lo.y + (hi.y - lo.y) * (i + 1) / n;
    m.box({lo.x, y0, lo.z}, {hi.x, y1, hi.z}, {kWall, kWall, kRoof, kMetal, kWall, kWall});
  }
}

void plain(Mesh& m, Vec3 lo, Vec3 hi, UvRect uv) { m.box(lo, hi, uv); }

// Sign board on the front (+z) face at height y, width w.
void sign(Mesh& m, float y, float w, float zFront) {
  m.box({-w / 2, y, zFront}, {w / 2, y + w / 4, zFront + 12}, {kMetal, kMetal, kMetal, kMetal, kSign, kMetal});
}

Mesh structureMesh(const std::string& n) {
  Mesh m(128, 128);
  if (n == "parts") {
    block(m, {-250, 0, -250}, {250, 360, 250});
    block(m, {-200, 360, -200}, {200, 820, 200});
    sign(m, 700, 300, 200);
    m.cylinder({0, 820, 0}, {0, 900, 0}, 8, 3, 6, kMetal);
  } else if (n == "china") {
    block(m, {-260, 0, -170}, {260, 200, 170});
    plain(m, {-300, 200, -200}, {300, 230, 200}, kAccent);
    block(m, {-200, 230, -130}, {200, 380, 130});
    plain(m, {-240, 380, -160}, {240, 410, 160}, kAccent);
    m.cylinder({0, 410, 0}, {0, 500, 0}, 120, 0, 4, kAccent);
    sign(m, 120, 280, 170);
  } else if (n == "landing") {
    // The deck's top is the whole model's top, so a ship over the "H" is over the landing box.
    m.box({-180, 0, -180}, {180, 40, 180}, {kMetal, kMetal, kRoof, kMetal, kMetal, kMetal});
  } else if (n == "genbuild1") {
    block(m, {-200, 0, -200}, {200, 1000, 200});
  } else if (n == "tallbuild") {
    block(m, {-150, 0, -150}, {150, 1500, 150});
    block(m, {-110, 1500, -110}, {110, 2000, 110});
    m.cylinder({0, 2000, 0}, {0, 2200, 0}, 30, 2, 6, kMetal);
  } else if (n == "catwalk" || n == "catwalk2") {
    float L = 800;
    plain(m, {-L, 0, -60}, {L, 30, 60}, kMetal);
    for (float s : {-1.0f, 1.0f}) plain(m, {-L, 30, s * 56 - 4}, {L, 60, s * 56 + 4}, kAccent);
    if (n == "catwalk2") m.transform(yaw(1.5708f));
  } else if (n == "closewalk" || n == "closewalk2") {
    plain(m, {-600, 0, -50}, {600, 40, 50}, kMetal);
    plain(m, {-600, 40, -4}, {600, 41, 4}, kAccent);
    if (n == "closewalk2") m.transform(yaw(1.5708f));
  } else if (n == "gas") {
    plain(m, {-250, 330, -150}, {250, 370, 150}, kAccent);
    for (float x : {-200.0f, 200.0f})
      for (float z : {-110.0f, 110.0f}) m.cylinder({x, 0, z}, {x, 330, z}, 14, 14, 6, kMetal);
    m.cylinder({-60, 0, 0}, {-60, 160, 0}, 60, 60, 10, kWall);
    plain(m, {60, 0, -40}, {140, 150, 40}, kMetal);
    sign(m, 370, 200, 150);
  } else if (n == "tallbuild2") {
    m.cylinder({0, 0, 0}, {0, 1600, 0}, 175, 160, 10, kWall);
    m.cylinder({0, 1600, 0}, {0, 1800, 0}, 120, 20, 10, kRoof);
  } else if (n == "genbuild2") {
    block(m, {-250, 0, -150}, {250, 800, 150});
  } else if (n == "shipyard") {
    block(m, {-400, 0, -300}, {400, 330, 300});
    m.cylinder({-400, 330, 0}, {400, 330, 0}, 240, 240, 12, kRoof);
    plain(m, {-150, 0, 300}, {150, 250, 310}, kAccent);   // hangar door
    sign(m, 270, 260, 300);
  } else if (n == "shoppermart") {
    block(m, {-350, 0, -250}, {350, 380, 250});
    m.sphere({0, 380, 0}, {200, 120, 180}, 12, 6, kRoof);
    sign(m, 260, 360, 250);
  } else if (n == "hut") {
    block(m, {-130, 0, -130}, {130, 180, 130});
    m.cylinder({0, 180, 0}, {0, 300, 0}, 212, 0, 4, kAccent);
    sign(m, 100, 180, 130);
  } else if (n == "ammo") {
    block(m, {-250, 0, -200}, {250, 280, 200});
    m.cylinder({-250, 280, 0}, {250, 280, 0}, 150, 150, 4, kAccent);
    sign(m, 180, 240, 200);
    for (float x : {-150.0f, 150.0f}) m.cylinder({x, 280, 120}, {x, 450, 120}, 20, 0, 6, kMetal);
  } else if (n == "bank") {
    plain(m, {-250, 0, -250}, {250, 60, 250}, kRoof);
    block(m, {-200, 60, -200}, {200, 560, 160});
    for (int i = 0; i < 5; ++i) m.cylinder({-180.0f + i * 90, 60, 205}, {-180.0f + i * 90, 560, 205}, 18, 18, 8, kRoof);
    plain(m, {-250, 560, -250}, {250, 600, 250}, kAccent);
    m.cylinder({-250, 600, 0}, {250, 600, 0}, 100, 100, 4, kRoof);
    sign(m, 480, 260, 232);
  } else if (n == "indycontrol") {
    plain(m, {-200, 0, -200}, {200, 120, 200}, kWall);
    m.cylinder({0, 120, 0}, {0, 900, 0}, 90, 70, 10, kWall);
    block(m, {-190, 900, -190}, {190, 1080, 190}, 180);
    m.cylinder({0, 1080, 0}, {0, 1200, 0}, 110, 10, 10, kAccent);
    sign(m, 20, 300, 200);
  } else if (n == "ninjabuild") {
    for (int i = 0; i < 4; ++i) {
      float w = 220.0f - i * 40, y = i * 240.0f;
      block(m, {-w, y, -w}, {w, y + 200, w}, 200);
      plain(m, {-w - 40, y + 200, -w - 40}, {w + 40, y + 240, w + 40}, kAccent);
    }
    m.cylinder({0, 960, 0}, {0, 1000, 0}, 60, 0, 4, kAccent);
  } else if (n == "gasbag") {
    m.sphere({0, 240, 0}, {200, 160, 200}, 14, 8, kWall);
    for (float x : {-60.0f, 60.0f}) m.cylinder({x, 40, 0}, {x, 90, 0}, 4, 4, 4, kMetal);
    plain(m, {-80, 0, -60}, {80, 45, 60}, kAccent);
  } else if (n == "cybuild") {
    m.cylinder({0, 0, 0}, {0, 800, 0}, 353, 0, 4, kWall);
    for (float a : {0.785f, 2.356f, 3.927f, 5.498f})
      m.cylinder({std::cos(a) * 200, 0, std::sin(a) * 200}, {std::cos(a) * 240, 900, std::sin(a) * 240}, 14, 2, 5, kAccent);
  } else if (n == "cross") {
    block(m, {-60, 0, -50}, {60, 900, 50});
    block(m, {-300, 560, -50}, {300, 680, 50}, 120);
  }
  return m;
}

Image paintStructure(const StructStyle& s, bool glowOnly) {
  Image img(128, 128, glowOnly ? Rgba{0, 0, 0, 1} : s.wall);
  uint32_t seed = static_cast<uint32_t>(seedOf(s.name));
  Rng lit(s.name);   // the same windows are lit in both textures
  // Wall: 4 x 4 windows.
  if (!glowOnly) {
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        float n = (fbm(x / 8.0f, y / 8.0f, seed, 3) - 0.5f) * 0.18f;
        img.at(x, y) = {s.wall.r + n, s.wall.g + n, s.wall.b + n, 1};
      }
    fillRect(img, 0, 0, 64, 3, s.accent);
  }
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) {
      float x = 4 + i * 15.0f, y = 8 + j * 14.0f;
      bool on = lit.chance(0.6);
      Rgba c = on ? s.window : rgb(25, 30, 40);
      if (glowOnly) c = on ? scaled(s.window, 0.9f) : rgb(0, 0, 0);
      fillRect(img, x, y, x + 10, y + 9, c);
      if (!glowOnly) line(img, x + 5, y, x + 5, y + 9, 1, scaled(s.wall, 0.6f));
    }
  // Roof: tiles; the landing pad's top carries its circle and H.
  if (!glowOnly) {
    fillRect(img, 64, 0, 128, 64, scaled(s.wall, 0.8f));
    for (int k = 0; k < 8; ++k) line(img, 64, 8.0f * k, 128, 8.0f * k, 1, scaled(s.wall, 0.6f));
  }
  if (std::string(s.name) == "landing") {
    Rgba mark = glowOnly ? scaled(s.window, 0.8f) : s.accent;
    if (!glowOnly) fillRect(img, 64, 0, 128, 64, rgb(70, 72, 80));
    ring(img, 96, 32, 26, 3, mark);
    fillRect(img, 84, 18, 89, 46, mark);
    fillRect(img, 103, 18, 108, 46, mark);
    fillRect(img, 84, 30, 108, 34, mark);
    for (float x : {65.0f, 124.0f})   // corner marks, painted on the deck
      for (float y : {1.0f, 60.0f}) fillRect(img, x, y, x + 3, y + 3, glowOnly ? scaled(s.accent, 0.25f) : s.accent);
    for (int k = 0; k < 8; ++k) {
      float a = k * 0.785f;
      fillCircle(img, 96 + 29 * std::cos(a), 32 + 29 * std::sin(a), 1.6f, glowOnly ? s.window : rgb(200, 255, 200));
    }
  }
  // Sign band.
  if (!glowOnly) fillRect(img, 0, 64, 128, 96, rgb(25, 25, 35));
  if (*s.sign) {
    const TrueTypeFont& f = boldFont();
    float size = std::min(26.0f, 118.0f / std::max(1.0f, f.textWidth(s.sign, 1.0f)));
    f.drawCentred(img, s.sign, 64, 80, size, glowOnly ? s.accent : mix(s.accent, {1, 1, 1, 1}, 0.3f));
  }
  // Accent trim and metal.
  if (!glowOnly) {
    fillRect(img, 0, 96, 64, 128, s.accent);
    for (int k = -4; k < 8; ++k) line(img, k * 10.0f, 128, k * 10.0f + 32, 96, 3, scaled(s.accent, 0.7f));
    fillRect(img, 64, 96, 128, 128, rgb(70, 72, 78));
    for (int k = 0; k < 4; ++k) line(img, 64, 100.0f + 8 * k, 128, 100.0f + 8 * k, 1, rgb(45, 45, 50));
  } else {
    fillRect(img, 0, 96, 64, 128, scaled(s.accent, 0.25f));   // trim glows faintly
  }
  img.clamp();
  return img;
}

// The glow shell: the same surfaces pushed out, facing out. The file keeps positions to 1/255 of
// the model's extent on each axis, so the shell stands two such steps further out than 1.5 units:
// otherwise both surfaces land on the same stored places and the depth test hides the glow.
Md2Model glowShell(const Md2Model& m) {
  float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
  for (const Vec3& p : m.frames.at(0).pos) {
    const float c[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], c[a]);
      hi[a] = std::max(hi[a], c[a]);
    }
  }
  float extent = 0;
  for (int a = 0; a < 3; ++a) extent = std::max(extent, hi[a] - lo[a]);
  Md2Model g = outlineOf(m, 1.5f + 2.0f * extent / 255.0f);
  for (auto& t : g.tris) std::swap(t[1], t[2]);
  return g;
}

void makeStructure(OutputFolder& out, const StructStyle& s) {
  Md2Model m = staticModel(structureMesh(s.name));
  std::string base = std::string("models/structs/") + s.name;
  out.write(base + ".md2", encodeMd2(m));
  out.write(base + "_o.md2", encodeMd2(outlineOf(m, 4.0f)));
  out.write(base + "_f.md2", encodeMd2(glowShell(m)));
  writeTexture(out, std::string("st_") + s.name + ".bmp", paintStructure(s, false));
  writeTexture(out, std::string("st_") + s.name + "_f.bmp", paintStructure(s, true));
}

}  // namespace

void addStructureTasks(TaskList& tasks) {
  for (const StructStyle& s : kStyles)
    tasks.push_back({"structures", s.name, [&s](OutputFolder& out) { makeStructure(out, s); }});
}
