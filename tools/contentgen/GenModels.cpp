// Misc models (shots and effects drawn as geometry), ship mounts, and the textures the code
// binds to them and to the hand weapons.
#include <cmath>
#include <map>
#include <string>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/Md2Writer.h"
#include "tools/contentgen/ModelAtlas.h"
#include "tools/contentgen/Painter.h"
#include "tools/contentgen/Rng.h"

namespace {

struct AtlasColours {
  Rgba main, dark, glow, light;
};

AtlasColours coloursOf(const std::string& name) {
  static const std::map<std::string, AtlasColours> table = {
      {"missile.bmp", {rgb(230, 230, 225), rgb(60, 60, 65), rgb(255, 120, 40), rgb(210, 40, 40)}},
      {"rocker.bmp", {rgb(230, 130, 40), rgb(70, 60, 55), rgb(255, 220, 80), rgb(200, 200, 190)}},
      {"xbow.bmp", {rgb(140, 90, 50), rgb(70, 45, 25), rgb(250, 240, 200), rgb(190, 190, 200)}},
      {"r_launcher.bmp", {rgb(100, 120, 60), rgb(45, 50, 35), rgb(255, 150, 40), rgb(170, 170, 150)}},
      {"torpedo.bmp", {rgb(40, 60, 130), rgb(25, 30, 50), rgb(90, 230, 255), rgb(160, 180, 220)}},
      {"shotty.bmp", {rgb(120, 80, 45), rgb(55, 55, 60), rgb(255, 200, 90), rgb(150, 150, 160)}},
      {"sniper.bmp", {rgb(45, 60, 45), rgb(25, 25, 28), rgb(120, 255, 120), rgb(120, 130, 120)}},
      {"laser.bmp", {rgb(225, 225, 235), rgb(70, 70, 80), rgb(255, 40, 40), rgb(160, 160, 175)}},
      {"heart.bmp", {rgb(240, 120, 170), rgb(140, 40, 80), rgb(255, 60, 120), rgb(255, 210, 230)}},
      {"gas.bmp", {rgb(240, 200, 40), rgb(60, 55, 40), rgb(255, 140, 20), rgb(220, 220, 210)}},
      {"darklauncher.bmp", {rgb(60, 30, 80), rgb(20, 15, 25), rgb(200, 80, 255), rgb(110, 90, 130)}},
      {"rocket.bmp", {rgb(150, 150, 155), rgb(55, 55, 60), rgb(255, 130, 30), rgb(230, 200, 60)}},
      {"vulcan.bmp", {rgb(170, 170, 180), rgb(45, 45, 50), rgb(255, 230, 80), rgb(240, 200, 30)}},
      {"photon.bmp", {rgb(70, 110, 210), rgb(30, 40, 70), rgb(160, 220, 255), rgb(220, 230, 255)}},
      {"beam.bmp", {rgb(40, 150, 130), rgb(25, 50, 50), rgb(120, 255, 200), rgb(180, 220, 210)}},
  };
  auto it = table.find(name);
  if (it != table.end()) return it->second;
  // Debris: scorched hull plates in a few tints.
  Rng r(name);
  Rgba base = rgb(90 + r.below(60), 85 + r.below(50), 80 + r.below(40));
  return {base, rgb(30, 25, 20), rgb(255, 110, 20), scaled(base, 1.3f)};
}

}  // namespace

Image paintModelAtlas(const std::string& name) {
  using namespace atlas;
  AtlasColours c = coloursOf(name);
  Image img(kSize, kSize);
  uint32_t seed = static_cast<uint32_t>(seedOf(name));
  fillRect(img, 0, 0, 32, 32, c.main);
  for (int k = 0; k < 3; ++k) {
    line(img, 0, 10.5f * k + 4, 32, 10.5f * k + 4, 1, scaled(c.main, 0.7f));
    fillCircle(img, 3, 10.5f * k + 7, 0.9f, scaled(c.main, 0.5f));
    fillCircle(img, 29, 10.5f * k + 7, 0.9f, scaled(c.main, 0.5f));
  }
  fillRect(img, 32, 0, 64, 32, c.dark);
  fillRect(img, 0, 32, 32, 64, scaled(c.glow, 0.5f));
  glow(img, 16, 48, 20, c.glow, 1.2f);
  fillRect(img, 32, 32, 64, 64, c.light);
  for (int k = 0; k < 4; ++k) fillRect(img, 32 + 8 * k, 32, 36 + 8 * k, 64, scaled(c.light, 0.75f));
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      if (x < 32 && y >= 32) continue;
      float n = (fbm(x / 6.0f, y / 6.0f, seed, 3) - 0.5f) * 0.25f;
      if (name.rfind("debris", 0) == 0) n += (fbm(x / 10.0f, y / 10.0f, seed + 7, 2) < 0.45f) ? -0.3f : 0.0f;
      Rgba& p = img.at(x, y);
      p.r += n;
      p.g += n;
      p.b += n;
    }
  img.clamp();
  return img;
}

namespace {

using namespace atlas;

Md2Model oneFrame(const Mesh& m) { return staticModel(m, "frame00"); }

// Double-sided copy: every triangle also with the other winding (for shells seen from inside).
void makeTwoSided(Mesh& m) {
  size_t n = m.tris.size();
  for (size_t i = 0; i < n; ++i) m.tris.push_back({m.tris[i][0], m.tris[i][2], m.tris[i][1]});
}

Mesh missileMesh(float len, float r, bool fins) {
  Mesh m(kSize, kSize);
  m.cylinder({0, 0, -len / 2}, {0, 0, len / 2}, r, r, 8, kMain);
  m.cylinder({0, 0, len / 2}, {0, 0, len / 2 + r * 2.5f}, r, 0, 8, kLight);
  m.cylinder({0, 0, -len / 2 - r}, {0, 0, -len / 2}, r * 0.6f, r, 8, kGlow);
  if (fins)
    for (int k = 0; k < 4; ++k) {
      size_t v0 = m.pos.size();
      m.box({-0.15f, r, -len / 2}, {0.15f, r * 2.6f, -len / 2 + len * 0.3f}, kDark);
      m.transform(roll(1.5708f * k), v0);
    }
  return m;
}

Mesh harpMesh() {
  Mesh m(kSize, kSize);
  m.cylinder({0, 0, -12}, {0, 0, 10}, 0.5f, 0.5f, 6, kMain);
  m.cylinder({0, 0, 10}, {0, 0, 15}, 1.6f, 0, 6, kLight);
  for (int k = 0; k < 3; ++k) {
    size_t v0 = m.pos.size();
    m.box({-0.2f, 0.4f, 9}, {0.2f, 2.4f, 11.5f}, kLight);
    m.transform(roll(2.094f * k), v0);
  }
  m.cylinder({0, 0, -14}, {0, 0, -12}, 1.2f, 0.5f, 6, kGlow);
  return m;
}

Mesh debrisMesh(int k) {
  Mesh m(kSize, kSize);
  m.sphere({0, 0, 0}, {3, 3, 3}, 5, 3, kMain);
  for (Vec3& p : m.pos) {
    // Same random radius for vertices at the same place so the chunk stays closed.
    float a = std::atan2(p.x, p.z), b = p.y;
    float n = valueNoise(a * 1.3f + 5, b * 0.7f + 5, static_cast<uint32_t>(k * 977));
    float s = 0.55f + 0.9f * n;
    p = Vec3{p.x * s * (1 + 0.5f * (k % 2)), p.y * s * 0.7f, p.z * s};
  }
  return m;
}

// A jagged bolt of thin boxes along +z (texture zap1..3 across the whole skin).
Mesh zapMesh() {
  Mesh m(128, 128);
  Rng r("zap");
  Vec3 p{0, 0, -12};
  for (int i = 0; i < 8; ++i) {
    Vec3 q{static_cast<float>(r.range(-3, 3)), static_cast<float>(r.range(-3, 3)), p.z + 3};
    Vec3 d = q - p;
    size_t v0 = m.pos.size();
    m.box({-0.35f, -0.35f, 0}, {0.35f, 0.35f, length(d)}, UvRect{0, 16.0f * i, 128, 16.0f * i + 16});
    // Turn the box's +z onto d.
    float yawA = std::atan2(d.x, d.z), pitchA = -std::asin(d.y / length(d));
    m.transform(translate(p) * yaw(yawA) * pitch(-pitchA), v0);
    p = q;
  }
  return m;
}

// Flat ring around the y axis (outer radius 1), closed.
Mesh shockMesh() {
  Mesh m(128, 128);
  const int n = 24;
  const float rin = 0.75f, rout = 1.0f, h = 0.04f;
  std::vector<int> top0, top1, bot0, bot1;
  size_t t0 = m.tris.size();
  for (int i = 0; i <= n; ++i) {
    float a = 6.2831853f * i / n, c = std::cos(a), s = std::sin(a);
    float u = 128.0f * i / n;
    top0.push_back(m.vertex({c * rin, h, s * rin}, u, 0));
    top1.push_back(m.vertex({c * rout, h, s * rout}, u, 127));
    bot0.push_back(m.vertex({c * rin, -h, s * rin}, u, 0));
    bot1.push_back(m.vertex({c * rout, -h, s * rout}, u, 127));
  }
  for (int i = 0; i < n; ++i) {
    m.tri(top0[i], top1[i], top1[i + 1]);
    m.tri(top0[i], top1[i + 1], top0[i + 1]);
    m.tri(bot0[i], bot1[i + 1], bot1[i]);
    m.tri(bot0[i], bot0[i + 1], bot1[i + 1]);
    m.tri(top1[i], bot1[i], bot1[i + 1]);
    m.tri(top1[i], bot1[i + 1], top1[i + 1]);
    m.tri(top0[i], bot0[i + 1], bot0[i]);
    m.tri(top0[i], top0[i + 1], bot0[i + 1]);
  }
  // Orient by face: top +y, bottom -y, outer wall outward, inner wall inward.
  for (size_t i = t0; i < m.tris.size(); ++i) {
    auto& t = m.tris[i];
    Vec3 a = m.pos[t[0]], b = m.pos[t[1]], c = m.pos[t[2]];
    Vec3 nrm = cross(b - a, c - a), mid = (a + b + c) * (1.0f / 3);
    float radial = std::sqrt(mid.x * mid.x + mid.z * mid.z);
    Vec3 want = std::fabs(mid.y) > h * 0.9f && std::fabs(a.y - b.y) < 1e-6f && std::fabs(a.y - c.y) < 1e-6f
                    ? Vec3{0, mid.y, 0}
                    : Vec3{mid.x, 0, mid.z} * (radial > (rin + rout) / 2 ? 1.0f : -1.0f);
    if (dot(nrm, want) < 0) std::swap(t[1], t[2]);
  }
  return m;
}

Mesh tunnelMesh() {
  Mesh m(128, 128);
  const int n = 16;
  std::vector<int> a, b;
  for (int i = 0; i <= n; ++i) {
    float ang = 6.2831853f * i / n;
    Vec3 d{std::cos(ang) * 20, std::sin(ang) * 20, 0};
    a.push_back(m.vertex(d + Vec3{0, 0, -30}, 128.0f * i / n, 127));
    b.push_back(m.vertex(d + Vec3{0, 0, 30}, 128.0f * i / n, 0));
  }
  for (int i = 0; i < n; ++i) {
    m.tri(a[i], b[i + 1], b[i]);
    m.tri(a[i], a[i + 1], b[i + 1]);
  }
  makeTwoSided(m);
  return m;
}

Mesh sphereMesh(float r) {
  Mesh m(128, 128);
  m.sphere({0, 0, 0}, {r, r, r}, 12, 8, UvRect{0, 0, 128, 128});
  return m;
}

// Mounts: a base on the hull and the weapon along +z, about 12 units long.
Mesh mountMesh(const std::string& name) {
  Mesh m(kSize, kSize);
  m.box({-3, 0, -3}, {3, 2, 3}, kDark);
  m.sphere({0, 3, 0}, {2.8f, 2.2f, 2.8f}, 8, 4, kMain);
  auto barrel = [&](float x, float y, float r, float z0, float z1, UvRect uv) {
    m.cylinder({x, y, z0}, {x, y, z1}, r, r, 6, uv);
  };
  if (name == "rocket") {
    for (float x : {-1.3f, 1.3f})
      for (float y : {2.2f, 4.6f}) barrel(x, y, 1.1f, -3, 9, kMain);
  } else if (name == "laser" || name == "ncannon") {
    barrel(0, 3.5f, 0.7f, 0, 12, kLight);
    barrel(0, 3.5f, 1.4f, 9, 11, kGlow);
    if (name == "ncannon") barrel(0, 3.5f, 1.7f, 4, 6, kGlow);
  } else if (name == "photon" || name == "tcannon") {
    if (name == "photon") {
      barrel(0, 3.5f, 1.2f, 0, 8, kMain);
      m.sphere({0, 3.5f, 9}, {2, 2, 2}, 8, 5, kGlow);
    } else {
      barrel(-1.5f, 3.5f, 0.9f, 0, 12, kMain);
      barrel(1.5f, 3.5f, 0.9f, 0, 12, kMain);
    }
  } else if (name == "vulcan") {
    for (int k = 0; k < 6; ++k) {
      float a = 1.047f * k;
      barrel(std::cos(a) * 1.3f, 3.5f + std::sin(a) * 1.3f, 0.45f, 0, 12, kDark);
    }
    barrel(0, 3.5f, 1.9f, 9, 10, kLight);
  } else if (name == "beam" || name == "bcannon") {
    barrel(0, 3.5f, name == "beam" ? 1.0f : 1.5f, 0, name == "beam" ? 10.0f : 14.0f, kMain);
    m.cylinder({0, 3.5f, 8}, {0, 3.5f, 10}, 1.2f, 3.2f, 8, kGlow);
  } else if (name == "cannon") {
    barrel(0, 3.5f, 1.8f, -2, 13, kMain);
    barrel(0, 3.5f, 2.2f, 11, 13, kDark);
  } else if (name == "disk") {
    m.cylinder({0, 3, -1}, {0, 4, -1}, 5, 5, 12, kGlow);
    barrel(0, 3.5f, 1, 0, 8, kMain);
  } else if (name == "radio") {
    barrel(0, 3.5f, 0.5f, 0, 9, kLight);
    m.cylinder({0, 3.5f, 7}, {0, 3.5f, 9}, 0.5f, 4, 10, kMain);
    m.cylinder({0, 5, -1}, {0, 12, -1}, 0.3f, 0.2f, 4, kDark);
  } else {   // plasmoder
    m.sphere({0, 3.5f, 6}, {2.4f, 2.4f, 4}, 8, 5, kGlow);
    barrel(0, 3.5f, 1.3f, 0, 12, kMain);
  }
  return m;
}

void writeModel(OutputFolder& out, const std::string& path, const Mesh& m) {
  out.write(path, encodeMd2(oneFrame(m)));
}

// Zap textures: forked bolts on black; blast: a fiery band across u.
Image paintZap(int k) {
  Image img(128, 128);
  Rng r("zap" + std::to_string(k));
  Rgba c = k == 1 ? rgb(120, 255, 140) : k == 2 ? rgb(255, 120, 255) : rgb(140, 180, 255);
  for (int bolt = 0; bolt < 3; ++bolt) {
    std::vector<Vec2> pts;
    float y = static_cast<float>(r.range(20, 108));
    for (float x = 0; x <= 128; x += 8) {
      pts.push_back({x, y});
      y += static_cast<float>(r.range(-9, 9));
    }
    polyline(img, pts, 5, scaled(c, 0.5f), Blend::Add);
    polyline(img, pts, 1.8f, rgb(255, 255, 255), Blend::Add);
  }
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) img.put(x, y, c, fbm(x / 16.0f, y / 16.0f, 31u * k, 3) * 0.25f, Blend::Add);
  img.clamp();
  return img;
}

Image paintBlast() {
  Image img(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      float v = y / 127.0f;
      float band = std::exp(-std::pow((v - 0.5f) * 3.2f, 2.0f));
      float n = fbm(x / 12.0f, y / 12.0f, 77u, 4, 11);
      float k = band * (0.55f + 0.6f * n);
      img.at(x, y) = {std::min(1.0f, k * 1.3f), k * 0.7f, k * 0.2f, 1};
    }
  img.clamp();
  return img;
}

}  // namespace

void addModelTasks(TaskList& tasks) {
  tasks.push_back({"models", "misc", [](OutputFolder& out) {
                     writeModel(out, "models/misc/missile.md2", missileMesh(14, 1.3f, true));
                     writeModel(out, "models/misc/rocker.md2", missileMesh(9, 1.8f, true));
                     writeModel(out, "models/misc/harp.md2", harpMesh());
                     for (int k = 1; k <= 5; ++k) writeModel(out, "models/misc/debris" + std::to_string(k) + ".md2", debrisMesh(k));
                     writeModel(out, "models/misc/zap.md2", zapMesh());
                     writeModel(out, "models/misc/orb.md2", sphereMesh(1.0f));
                     writeModel(out, "models/misc/inner_orb.md2", sphereMesh(0.8f));
                     writeModel(out, "models/misc/shock.md2", shockMesh());
                     writeModel(out, "models/misc/tunnel.md2", tunnelMesh());
                   }});
  tasks.push_back({"models", "mounts", [](OutputFolder& out) {
                     for (const char* n : {"rocket", "laser", "photon", "vulcan", "beam", "cannon", "tcannon",
                                           "ncannon", "bcannon", "disk", "radio", "plasmoder"})
                       writeModel(out, std::string("models/mounts/") + n + ".md2", mountMesh(n));
                   }});
  tasks.push_back({"models", "textures", [](OutputFolder& out) {
                     for (const char* n : {"missile.bmp", "rocker.bmp", "xbow.bmp", "r_launcher.bmp", "torpedo.bmp",
                                           "shotty.bmp", "sniper.bmp", "laser.bmp", "heart.bmp", "gas.bmp",
                                           "darklauncher.bmp", "rocket.bmp", "vulcan.bmp", "photon.bmp", "beam.bmp",
                                           "debris1.bmp", "debris2.bmp", "debris3.bmp", "debris4.bmp", "debris5.bmp"})
                       writeTexture(out, n, paintModelAtlas(n));
                     for (int k = 1; k <= 3; ++k) writeTexture(out, "zap" + std::to_string(k) + ".bmp", paintZap(k));
                     writeTexture(out, "blast.bmp", paintBlast());
                   }});
}
