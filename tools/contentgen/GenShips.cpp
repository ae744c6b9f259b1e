// Ships: for each design the four models (body, interior, wheels, window) in
// "models\<folder>\", its body, interior and wheel textures, the shared window glass
// "fade.bmp", and the shipyard icon sheets "parts\ships1..3.dds" drawn from the models.
#include <cmath>
#include <string>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/Md2Writer.h"
#include "tools/contentgen/ModelAtlas.h"
#include "tools/contentgen/Painter.h"
#include "tools/contentgen/Rasteriser.h"
#include "tools/contentgen/Rng.h"
#include "tools/contentgen/ShipDesigns.h"
#include "tools/contentgen/TrueTypeFont.h"

namespace {

using St = Mesh::Station;
// Body texture regions: the hull wraps over (0,0)-(128,96); trim colours below.
const UvRect kHull{0, 0, 128, 96}, kAccentUv{2, 98, 62, 126}, kTrimUv{66, 98, 126, 126};

struct ShipMeshes {
  Mesh body{128, 128}, interior{atlas::kSize, atlas::kSize}, wheels{atlas::kSize, atlas::kSize},
      window{64, 64};
};

// Seats with their backs, the dashboard and the steering wheel on its column, inside a car-like
// body: seats stand on seatFloor with backs backHeight tall; the dashboard spans +-dashHalf from
// height 4 to dashTop, z 12 to dashBack; the column rises from (wheel x, columnY, columnZ).
void cockpit(const ShipDesign& d, ShipMeshes& m, float seatFloor, float backHeight, float dashHalf, float dashTop,
             float dashBack, float columnY, float columnZ) {
  using namespace atlas;
  for (const Anchor& seat : d.seats) {
    Vec3 p = seat.at * (1.0f / d.scale);
    m.interior.box({p.x - 7, seatFloor, p.z - 6}, {p.x + 7, p.y, p.z + 6}, kMain);
    m.interior.box({p.x - 7, p.y, p.z - 9}, {p.x + 7, p.y + backHeight, p.z - 6}, kMain);
  }
  m.interior.box({-dashHalf, 4, 12}, {dashHalf, dashTop, dashBack}, kDark);
  Vec3 wheel = d.seats[0].at * (1.0f / d.scale) + Vec3{0, 16, 13};
  m.interior.cylinder(wheel + Vec3{0, 0, -0.8f}, wheel + Vec3{0, 0, 0.8f}, 5.5f, 5.5f, 10, kGlow);
  m.interior.cylinder({wheel.x, columnY, columnZ}, wheel, 0.8f, 0.8f, 5, kLight);
}

void carBody(const ShipDesign& d, ShipMeshes& m) {
  std::vector<St> st;
  float chamfer = 0.3f;
  switch (d.style) {
    case 0: st = {{-60, 21, 7, 24}, {-48, 26, 5, 26}, {-28, 28, 4, 19}, {18, 28, 4, 17}, {42, 24, 5, 14}, {60, 13, 7, 10}}; break;
    case 1: st = {{-60, 28, 4, 36}, {-34, 28, 4, 36}, {-30, 28, 4, 19}, {18, 28, 4, 19}, {30, 28, 4, 24}, {60, 26, 4, 20}}; chamfer = 0.15f; break;
    case 2: st = {{-52, 18, 8, 20}, {-44, 26, 5, 26}, {-24, 29, 4, 20}, {16, 29, 4, 19}, {36, 26, 5, 17}, {50, 16, 8, 12}}; chamfer = 0.45f; break;
    default: st = {{-60, 20, 7, 22}, {-46, 26, 5, 24}, {-26, 27, 4, 18}, {14, 27, 4, 16}, {40, 20, 5, 12}, {72, 8, 7, 9}}; break;
  }
  m.body.loft(st, chamfer, kHull);
  float tail = st.front().z;
  if (d.style == 0) {   // tail fins
    for (float s : {-1.0f, 1.0f}) m.body.box({s * 22 - 2, 22, tail}, {s * 22 + 2, 38, tail + 16}, kAccentUv);
  }
  if (d.style == 3) m.body.box({-26, 22, tail + 2}, {26, 25, tail + 10}, kAccentUv);   // spoiler
  if (d.folder == "vtl") {   // stubby wings
    for (float s : {-1.0f, 1.0f}) m.body.box({s > 0 ? 26.0f : -52.0f, 10, -30}, {s > 0 ? 52.0f : -26.0f, 13, 0}, kAccentUv);
  }
  if (d.folder == "bus") {   // a cat bus: ears on the cabin roof, a tail
    for (float s : {-1.0f, 1.0f}) m.body.cylinder({s * 18, 35, -48}, {s * 22, 50, -50}, 7, 0, 4, kAccentUv);
    m.body.cylinder({0, 20, -60}, {0, 40, -80}, 4, 2, 6, kAccentUv);
  }
  if (d.folder == "vindicator" || d.folder == "trantor") {   // armour plates and ram
    m.body.box({-30, 6, 56}, {30, 18, 64}, kTrimUv);
    for (float s : {-1.0f, 1.0f}) m.body.box({s * 29 - 2, 8, -40}, {s * 29 + 2, 30, 10}, kTrimUv);
  }
  // Cockpit glass, seats, dashboard and wheel.
  m.window.sphere({0, 14, -2}, {25, 22, 32}, 12, 6, UvRect{0, 0, 64, 64});
  cockpit(d, m, 4, 16, 26, 19, 17, 18, 15);
  // Hover pods at the corners.
  float fz = st.back().z - 16, rz = st.front().z + 14;
  for (float z : {fz, rz})
    for (float s : {-1.0f, 1.0f}) m.wheels.cylinder({s * 25, 8, z}, {s * 33, 8, z}, 8, 8, 10, atlas::kMain);
}

void convertibleBody(const ShipDesign& d, ShipMeshes& m) {
  std::vector<St> st;
  float chamfer = 0.5f;
  switch (d.style) {
    case 0: st = {{-50, 20, 8, 22}, {-40, 27, 5, 26}, {-24, 29, 4, 14}, {14, 29, 4, 14}, {30, 27, 5, 22}, {48, 18, 8, 14}}; break;
    case 1: st = {{-58, 24, 5, 22}, {-40, 28, 4, 20}, {-26, 28, 4, 14}, {14, 28, 4, 14}, {36, 24, 5, 16}, {62, 16, 6, 12}}; chamfer = 0.25f; break;
    case 2: st = {{-54, 22, 6, 18}, {-36, 29, 4, 20}, {-22, 30, 4, 13}, {16, 30, 4, 13}, {34, 26, 4, 16}, {56, 12, 6, 10}}; chamfer = 0.35f; break;
    default: st = {{-60, 10, 18, 28}, {-40, 22, 8, 22}, {-20, 26, 4, 14}, {20, 26, 4, 14}, {40, 22, 8, 22}, {60, 10, 18, 28}}; chamfer = 0.6f; break;
  }
  m.body.loft(st, chamfer, kHull);
  if (d.style == 1) {   // hot rod: exhaust pipes and a big engine block
    for (float s : {-1.0f, 1.0f}) m.body.cylinder({s * 30, 10, 20}, {s * 30, 10, -50}, 3, 3, 6, kTrimUv);
    m.body.box({-12, 14, 22}, {12, 26, 44}, kTrimUv);
  }
  if (d.style == 2)
    for (float s : {-1.0f, 1.0f}) m.body.box({s * 24 - 3, 18, -54}, {s * 24 + 3, 24, -38}, kAccentUv);
  m.window.box({-24, 14, 18}, {24, 26, 20}, UvRect{0, 0, 64, 64});   // windscreen
  cockpit(d, m, 3, 14, 27, 15, 16, 15, 14);
  float fz = st.back().z - 14, rz = st.front().z + 14;
  for (float z : {fz, rz})
    for (float s : {-1.0f, 1.0f}) m.wheels.cylinder({s * 24, 9, z}, {s * 34, 9, z}, 9, 9, 12, atlas::kMain);
}

void bikeBody(const ShipDesign& d, ShipMeshes& m) {
  std::vector<St> st = {{-44, 6, 12, 22}, {-30, 9, 10, 26}, {-6, 10, 10, 24}, {14, 8, 12, 28}, {34, 6, 14, 26}, {46, 3, 16, 20}};
  m.body.loft(st, 0.4f, kHull);
  if (d.style == 1) {   // reaper: a scythe blade out front
    m.body.box({-1, 22, 40}, {1, 50, 44}, kTrimUv);
    m.body.box({-1, 44, 44}, {1, 50, 70}, kAccentUv);
  }
  if (d.style == 2)     // samurai: horns on the fairing
    for (float s : {-1.0f, 1.0f}) m.body.cylinder({s * 5, 24, 36}, {s * 16, 44, 44}, 2.5f, 0, 5, kAccentUv);
  m.window.box({-9, 26, 30}, {9, 38, 32}, UvRect{0, 0, 64, 64});
  using namespace atlas;
  Vec3 rider = d.seats[0].at * (1.0f / d.scale), back = d.seats[1].at * (1.0f / d.scale);
  m.interior.box({-5, 20, rider.z - 7}, {5, rider.y, rider.z + 7}, kMain);
  m.interior.box({-5, 22, back.z - 7}, {5, back.y, back.z + 7}, kMain);
  m.interior.cylinder({0, 26, 14}, {0, 38, 10}, 1, 1, 5, kLight);
  m.interior.cylinder({-11, 38, 10}, {11, 38, 10}, 1, 1, 5, kDark);
  for (float z : {33.0f, -33.0f}) m.wheels.cylinder({-4, 11, z}, {4, 11, z}, 11, 11, 14, kMain);
}

void capitalBody(const ShipDesign& d, ShipMeshes& m) {
  using namespace atlas;
  if (d.style == 3) {   // a round flagship
    std::vector<St> st = {{-150, 150, 10, 40}, {-110, 190, 5, 60}, {110, 190, 5, 60}, {150, 150, 10, 40}};
    m.body.loft(st, 0.5f, kHull);
    m.window.sphere({0, 60, 0}, {60, 35, 60}, 12, 6, UvRect{0, 0, 64, 64});
    m.interior.box({-20, 55, -20}, {20, 75, 20}, kDark);
    for (float s : {-1.0f, 1.0f}) m.wheels.cylinder({s * 60, 25, -150}, {s * 60, 25, -120}, 22, 18, 10, kMain);
    m.wheels.cylinder({0, 30, -150}, {0, 30, -120}, 18, 14, 10, kMain);
    return;
  }
  std::vector<St> st = {{-240, 60, 10, 60}, {-200, 90, 5, 70}, {100, 90, 5, 70}, {200, 60, 10, 55}, {250, 20, 25, 40}};
  float chamfer = d.style == 2 ? 0.55f : 0.3f;
  if (d.style == 2) st.back() = {280, 6, 30, 36};   // a pointed nose
  m.body.loft(st, chamfer, kHull);
  m.body.box({-30, 68, -180}, {30, 125, -120}, kTrimUv);     // bridge tower
  if (d.style == 0) {   // masts and sails
    for (float z : {-40.0f, 90.0f}) {
      m.body.cylinder({0, 68, z}, {0, 230, z}, 4, 3, 6, kTrimUv);
      m.body.box({-70, 110, z + 4}, {70, 210, z + 8}, kAccentUv);
    }
  }
  if (d.style == 1)     // gun turrets along the deck
    for (float z : {-60.0f, 20.0f, 100.0f}) m.body.box({-22, 68, z}, {22, 84, z + 34}, kAccentUv);
  m.window.box({-31, 100, -181}, {31, 112, -119}, UvRect{0, 0, 64, 64});
  m.interior.box({-25, 70, -175}, {25, 90, -125}, kDark);
  for (float s : {-1.0f, 1.0f}) {
    m.wheels.cylinder({s * 100, 25, -170}, {s * 100, 25, 120}, 20, 20, 10, kMain);
    m.wheels.cylinder({s * 100, 25, -200}, {s * 100, 25, -170}, 12, 20, 10, kGlow);
  }
}

void fleshyBody(const ShipDesign& d, ShipMeshes& m) {
  using namespace atlas;
  const UvRect skin{0, 0, 128, 96};
  if (d.style == 0) {   // worm: a chain of segments, a mouth and eyes at the front
    const float r[7] = {28, 40, 50, 55, 52, 46, 38};
    for (int i = 0; i < 7; ++i) {
      float z = -200 + i * 62.0f;
      m.body.sphere({0, 58, z}, {r[i], r[i] * 0.95f, 38}, 12, 7, skin);
    }
    m.body.sphere({0, 58, 200}, {40, 40, 30}, 12, 7, kAccentUv);
    m.window.sphere({-18, 82, 212}, {9, 9, 9}, 8, 5, UvRect{0, 0, 64, 64});
    m.window.sphere({18, 82, 212}, {9, 9, 9}, 8, 5, UvRect{0, 0, 64, 64});
    m.interior.sphere({0, 50, 226}, {22, 14, 8}, 10, 5, kDark);   // mouth
    for (int i = 0; i < 6; ++i)
      for (float s : {-1.0f, 1.0f}) {
        float z = -150 + i * 62.0f;
        m.wheels.cylinder({s * 30, 30, z}, {s * 48, 4, z + 10}, 7, 3, 6, kMain);
      }
    return;
  }
  // blarg: a slime blob with tentacles and eye stalks
  m.body.sphere({0, 75, 0}, {90, 70, 110}, 16, 9, skin);
  m.body.sphere({0, 70, 95}, {55, 45, 40}, 12, 7, kAccentUv);
  for (float s : {-1.0f, 1.0f}) {
    m.body.cylinder({s * 25, 120, 60}, {s * 40, 170, 80}, 8, 5, 6, skin);
    m.window.sphere({s * 40, 175, 82}, {12, 12, 12}, 8, 5, UvRect{0, 0, 64, 64});
  }
  m.interior.sphere({0, 60, 128}, {35, 16, 10}, 10, 5, kDark);
  for (int i = 0; i < 6; ++i) {
    float a = 1.047f * i + 0.5f;
    m.wheels.cylinder({std::cos(a) * 60, 20, std::sin(a) * 70}, {std::cos(a) * 120, 2, std::sin(a) * 140}, 12, 3, 6, kMain);
  }
}

ShipMeshes buildShip(const ShipDesign& d) {
  ShipMeshes m;
  switch (d.body) {
    case ShipBody::Car: carBody(d, m); break;
    case ShipBody::Convertible: convertibleBody(d, m); break;
    case ShipBody::Bike: bikeBody(d, m); break;
    case ShipBody::Capital: capitalBody(d, m); break;
    case ShipBody::Fleshy: fleshyBody(d, m); break;
  }
  Xform s = scaleXform({d.scale, d.scale, d.scale});
  for (Mesh* p : {&m.body, &m.interior, &m.wheels, &m.window}) p->transform(s);
  return m;
}

Rgba darker(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

Image paintBody(const ShipDesign& d, int index) {
  Image img(128, 128, d.main);
  uint32_t seed = static_cast<uint32_t>(seedOf(d.bodyTex));
  const bool flesh = d.body == ShipBody::Fleshy;
  if (flesh) {
    for (int y = 0; y < 96; ++y)
      for (int x = 0; x < 128; ++x) {
        float n = fbm(x / 14.0f, y / 14.0f, seed, 4, 9);
        img.at(x, y) = mix(d.main, d.accent, n * 0.9f);
      }
    Rng r(d.bodyTex);
    for (int k = 0; k < 10; ++k) {
      std::vector<Vec2> vein;
      float x = static_cast<float>(r.range(0, 128)), y = static_cast<float>(r.range(0, 96));
      for (int i = 0; i < 8; ++i) {
        vein.push_back({x, y});
        x += static_cast<float>(r.range(-8, 8));
        y += static_cast<float>(r.range(-8, 8));
      }
      polyline(img, vein, 1.2f, darker(d.accent, 0.7f));
    }
    for (int k = 0; k < 8; ++k) line(img, 0, 12.0f * k, 128, 12.0f * k, 2, darker(d.main, 0.75f));   // segments
  } else {
    for (int v = 0; v < 96; v += 16) line(img, 0, static_cast<float>(v), 128, static_cast<float>(v), 1, darker(d.main, 0.7f));
    for (int u = 16; u < 128; u += 16) line(img, static_cast<float>(u), 0, static_cast<float>(u), 96, 0.8f, darker(d.main, 0.8f));
    fillRect(img, 3, 0, 13, 96, d.accent);                   // stripe along the top
    fillRect(img, 36, 0, 40, 96, d.accent);                  // side stripes
    fillRect(img, 100, 0, 104, 96, d.accent);
    fillRect(img, 0, 0, 128, 8, darker(d.accent, 0.9f));     // nose
    fillRect(img, 0, 90, 128, 96, darker(d.main, 0.5f));     // tail
    if (d.folder == "lepperd") {
      Rng r("spots");
      for (int k = 0; k < 40; ++k)
        fillEllipse(img, static_cast<float>(r.range(0, 128)), static_cast<float>(r.range(8, 90)), 3.5f, 2.5f,
                    static_cast<float>(r.range(0, 3)), d.accent);
    }
    if (d.folder == "beetle2") {   // flames from the nose
      for (int k = 0; k < 8; ++k) {
        float u = 8 + k * 15.0f;
        polygon(img, {{u - 7, 8}, {u + 7, 8}, {u + 2, 40.0f + 8 * (k % 3)}}, rgb(255, 180, 30));
        polygon(img, {{u - 4, 8}, {u + 4, 8}, {u + 1, 26.0f + 6 * (k % 2)}}, rgb(255, 240, 120));
      }
    }
    if (d.folder == "galleon") {   // planks
      for (int v = 4; v < 96; v += 6) line(img, 0, static_cast<float>(v), 128, static_cast<float>(v), 1, darker(d.main, 0.6f));
    }
    if (d.folder == "motama") {
      for (int k = 0; k < 8; ++k) ring(img, 64, 48, 6.0f + k * 6, 1.5f, d.accent);
    }
    // Race number on both flanks.
    const TrueTypeFont& font = boldFont();
    for (float u : {56.0f, 120.0f}) {
      fillCircle(img, u - 8, 44, 9, rgb(250, 250, 250));
      font.drawCentred(img, std::to_string(index), u - 8, 44, 14, rgb(20, 20, 20));
    }
    for (int y = 0; y < 96; ++y)
      for (int x = 0; x < 128; ++x) {
        float n = (fbm(x / 9.0f, y / 9.0f, seed, 3, 14) - 0.5f) * 0.16f;
        Rgba& p = img.at(x, y);
        p.r += n;
        p.g += n;
        p.b += n;
      }
  }
  fillRect(img, 0, 96, 64, 128, d.accent);
  fillRect(img, 64, 96, 128, 128, rgb(55, 55, 60));
  for (int k = 0; k < 4; ++k) line(img, 66, 100.0f + 7 * k, 126, 100.0f + 7 * k, 1, rgb(35, 35, 40));
  img.clamp();
  return img;
}

Image paintPart(const ShipDesign& d, bool wheels) {
  using namespace atlas;
  Image img(kSize, kSize);
  Rgba main = wheels ? rgb(45, 45, 50) : (d.file == "Phantom" ? rgb(235, 235, 230) : darker(d.main, 0.6f));
  Rgba glowC = wheels ? d.accent : rgb(90, 255, 140);
  if (d.file == "Phantom" && wheels) glowC = rgb(255, 40, 30);
  if (d.body == ShipBody::Fleshy) main = wheels ? darker(d.main, 0.8f) : rgb(120, 20, 30);
  fillRect(img, 0, 0, 32, 32, main);
  for (int k = 0; k < 4; ++k) line(img, 0, 4.0f + 8 * k, 32, 4.0f + 8 * k, 1, darker(main, 0.7f));
  fillRect(img, 32, 0, 64, 32, rgb(40, 40, 45));
  fillRect(img, 0, 32, 32, 64, darker(glowC, 0.4f));
  glow(img, 16, 48, 18, glowC, 1.0f);
  fillRect(img, 32, 32, 64, 64, rgb(170, 170, 180));
  for (int k = 0; k < 4; ++k) fillRect(img, 34.0f + 8 * k, 32, 37.0f + 8 * k, 64, rgb(120, 120, 130));
  if (wheels) ring(img, 16, 16, 10, 3, glowC, Blend::Add);
  img.clamp();
  return img;
}

Image paintGlass() {
  Image img(64, 64);
  vgradient(img, 0, 0, 64, 64, rgb(70, 90, 120), rgb(20, 25, 40));
  line(img, 8, 56, 40, 8, 5, rgb(90, 100, 120), Blend::Add);
  line(img, 22, 60, 54, 12, 2, rgb(60, 70, 90), Blend::Add);
  img.clamp();
  return img;
}

void writeShip(OutputFolder& out, const ShipDesign& d, int index) {
  ShipMeshes m = buildShip(d);
  std::string base = "models/" + d.folder + "/";
  out.write(base + "body.md2", encodeMd2(staticModel(m.body)));
  out.write(base + "interior.md2", encodeMd2(staticModel(m.interior)));
  out.write(base + "wheels.md2", encodeMd2(staticModel(m.wheels)));
  out.write(base + "window.md2", encodeMd2(staticModel(m.window)));
  writeTexture(out, d.bodyTex, paintBody(d, index));
  writeTexture(out, d.interiorTex, paintPart(d, false));
  writeTexture(out, d.wheelTex, paintPart(d, true));
}

// Icon sheet: ship t in cell (t mod 3, (t div 3) mod 3) of 85 x 85 pixels, sheet t div 9.
void writeIconSheet(OutputFolder& out, int sheet) {
  Image img(256, 256, {0, 0, 0, 0});
  const auto& all = shipDesigns();
  const Xform view = pitch(0.45f) * yaw(-2.45f);
  for (int t = sheet * 9; t < std::min<int>(all.size(), sheet * 9 + 9); ++t) {
    const ShipDesign& d = all[t];
    ShipMeshes m = buildShip(d);
    Image body = paintBody(d, t), wheels = paintPart(d, true), inner = paintPart(d, false), glass = paintGlass();
    float minX, maxX, minY, maxY;
    viewBounds(m.body, view, minX, maxX, minY, maxY);
    float scale = 74.0f / std::max(maxX - minX, maxY - minY);
    int cx = (t % 3) * 85, cy = ((t / 3) % 3) * 85;
    Image cell(85, 85, {0, 0, 0, 0});
    Vec2 centre{42.5f - (minX + maxX) / 2 * scale, 42.5f + (minY + maxY) / 2 * scale};
    {
      Rasteriser r(cell);
      r.draw(m.body, &body, {1, 1, 1, 1}, view, scale, centre);
      r.draw(m.wheels, &wheels, {1, 1, 1, 1}, view, scale, centre);
      r.draw(m.interior, &inner, {1, 1, 1, 1}, view, scale, centre);
      r.draw(m.window, &glass, {1.6f, 1.6f, 1.8f, 1}, view, scale, centre, 0.75f);
    }
    // A soft light rim so the icon reads on any panel.
    Image rim(85, 85, {0, 0, 0, 0});
    for (int y = 1; y < 84; ++y)
      for (int x = 1; x < 84; ++x)
        if (cell.at(x, y).a < 0.1f && (cell.at(x - 1, y).a > 0.5f || cell.at(x + 1, y).a > 0.5f ||
                                       cell.at(x, y - 1).a > 0.5f || cell.at(x, y + 1).a > 0.5f))
          rim.at(x, y) = {0.9f, 0.95f, 1.0f, 0.8f};
    img.draw(rim, cx, cy);
    img.draw(cell, cx, cy);
  }
  img.clamp();
  writeTexture(out, "parts\\ships" + std::to_string(sheet + 1) + ".dds", img);
}

}  // namespace

void addShipTasks(TaskList& tasks) {
  const auto& all = shipDesigns();
  for (size_t i = 0; i < all.size(); ++i)
    tasks.push_back({"ships", all[i].folder, [i](OutputFolder& out) { writeShip(out, shipDesigns()[i], static_cast<int>(i)); }});
  for (int s = 0; s < 3; ++s)
    tasks.push_back({"ships", "icons" + std::to_string(s + 1), [s](OutputFolder& out) { writeIconSheet(out, s); }});
  tasks.push_back({"ships", "glass", [](OutputFolder& out) { writeTexture(out, "fade.bmp", paintGlass()); }});
}
