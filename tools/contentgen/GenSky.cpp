// Sky sector textures (planets on black and non-planet backdrops), the world map's planet
// atlases "planets\p_1..p_4.dds" (64 planets with alpha) and its star-field tiles
// "galaxy\g11..g44.bmp" (one continuous picture across the 4 x 4 tiles).
#include <cmath>
#include <string>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/Painter.h"
#include "tools/contentgen/Planets.h"
#include "tools/contentgen/Rng.h"

PlanetLook planetLook(uint32_t seed) {
  Rng r(seed * 2654435761ull + 17);
  static const Rgba palette[][2] = {
      {rgb(60, 120, 200), rgb(60, 170, 80)},   {rgb(210, 160, 100), rgb(150, 90, 50)},
      {rgb(200, 80, 50), rgb(90, 30, 20)},     {rgb(190, 200, 220), rgb(120, 140, 180)},
      {rgb(230, 200, 120), rgb(200, 140, 70)}, {rgb(120, 90, 180), rgb(60, 40, 110)},
      {rgb(140, 140, 140), rgb(90, 90, 95)},   {rgb(90, 200, 190), rgb(40, 110, 120)}};
  int p = r.below(8);
  return {palette[p][0], palette[p][1], r.below(5), r.chance(0.3), seed};
}

void paintPlanet(Image& img, float cx, float cy, float rad, const PlanetLook& p) {
  const float lx = -0.5f, ly = -0.45f, lz = 0.74f;
  if (p.ringed) {
    for (int pass = 0; pass < 1; ++pass)
      for (float k = 1.35f; k < 1.9f; k += 0.02f) {
        Rgba rc = scaled(mix(p.base, p.second, (k - 1.35f) * 2), 0.9f);
        rc.a = 0.6f;
        for (int i = 0; i < 200; ++i) {
          float a = 6.2831853f * i / 200;
          float x = cx + rad * k * std::cos(a), y = cy + rad * k * 0.3f * std::sin(a);
          if (std::sin(a) < 0 && std::hypot(x - cx, y - cy) < rad) continue;
          img.put(static_cast<int>(x), static_cast<int>(y), rc, 1.0f);
        }
      }
  }
  int x0 = static_cast<int>(cx - rad - 1), x1 = static_cast<int>(cx + rad + 1);
  int y0 = static_cast<int>(cy - rad - 1), y1 = static_cast<int>(cy + rad + 1);
  uint32_t s = p.seed;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float dx = (x + 0.5f - cx) / rad, dy = (y + 0.5f - cy) / rad;
      float d2 = dx * dx + dy * dy;
      if (d2 > 1.0f + 2.0f / rad) continue;
      float cov = std::clamp((1 - std::sqrt(d2)) * rad + 0.5f, 0.0f, 1.0f);
      float dz = std::sqrt(std::max(0.0f, 1 - d2));
      float light = std::max(0.0f, dx * lx + dy * ly + dz * lz);
      float u = dx / (dz + 1.2f), v = dy / (dz + 1.2f);
      float n;
      Rgba c;
      switch (p.kind) {
        case 1: n = 0.5f + 0.5f * std::sin(dy * 14 + 3 * fbm(u * 3, v * 3, s, 3)); c = mix(p.base, p.second, n); break;
        case 2: {
          n = fbm(u * 4 + 7, v * 4, s, 5);
          c = n > 0.52f ? p.second : p.base;
          float cl = fbm(u * 5, v * 5 + 3, s + 99, 4);
          if (cl > 0.58f) c = mix(c, {1, 1, 1, 1}, std::min(1.0f, (cl - 0.58f) * 6));
          break;
        }
        case 3: n = fbm(u * 5, v * 5, s, 5); c = n > 0.55f ? rgb(255, 150, 40) : mix(p.second, rgb(30, 15, 10), 0.5f); break;
        case 4: n = fbm(u * 4, v * 4, s, 4); c = mix(rgb(230, 240, 255), p.base, n * 0.6f); break;
        default: n = fbm(u * 6, v * 6, s, 5); c = mix(p.base, p.second, n);
                 if (valueNoise(u * 9, v * 9, s + 5) > 0.8f) c = scaled(c, 0.7f);
                 break;
      }
      c = scaled(c, 0.12f + 0.95f * light);
      float rim = std::pow(1 - dz, 3.0f) * 0.5f;   // atmosphere
      c = {c.r + rim * 0.4f, c.g + rim * 0.6f, c.b + rim, 1};
      img.put(x, y, c, cov);
    }
}

namespace {

struct SkyPlanet {
  const char* name;
  uint32_t seed;
  int kind;
  Rgba a, b;
  bool ringed;
  int count;   // smallgrays: several small grey moons
};

const SkyPlanet kSkyPlanets[] = {
    {"earth", 1, 2, rgb(40, 90, 200), rgb(60, 160, 70), false, 1},
    {"blueplanet", 2, 1, rgb(70, 120, 230), rgb(160, 200, 255), false, 1},
    {"grayplanet", 3, 0, rgb(150, 150, 150), rgb(90, 90, 95), false, 1},
    {"jovian", 4, 1, rgb(220, 180, 130), rgb(170, 100, 60), false, 1},
    {"venus", 5, 1, rgb(240, 220, 150), rgb(220, 180, 100), false, 1},
    {"ringplanet", 6, 1, rgb(200, 190, 140), rgb(150, 130, 90), true, 1},
    {"smallgrays", 7, 0, rgb(170, 170, 175), rgb(100, 100, 105), false, 3},
    {"venus2", 8, 4, rgb(250, 230, 170), rgb(230, 190, 120), false, 1},
    {"flush", 9, 2, rgb(220, 70, 140), rgb(250, 180, 220), false, 1},
    {"redplanet", 10, 3, rgb(200, 70, 40), rgb(110, 30, 20), false, 1},
};

Image skyPlanet(const SkyPlanet& s) {
  Image img(256, 256);
  PlanetLook look{s.a, s.b, s.kind, s.ringed, s.seed * 7919u};
  if (s.count == 1) {
    paintPlanet(img, 128, 128, s.ringed ? 68 : 100, look);
  } else {
    paintPlanet(img, 90, 110, 52, look);
    look.seed += 1;
    paintPlanet(img, 180, 70, 28, look);
    look.seed += 1;
    paintPlanet(img, 170, 190, 36, look);
  }
  img.clamp();
  return img;
}

Image backdrop(int k) {
  Image img(256, 256);
  Rng r("backdrop" + std::to_string(k));
  static const Rgba tints[4][2] = {{rgb(120, 40, 160), rgb(40, 90, 200)}, {rgb(200, 60, 40), rgb(230, 160, 60)},
                                   {rgb(30, 150, 120), rgb(40, 60, 180)}, {rgb(170, 40, 90), rgb(60, 30, 140)}};
  bool stars = k >= 4;
  uint32_t seed = static_cast<uint32_t>(seedOf("backdrop" + std::to_string(k)));
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float dx = (x + 0.5f - 128) / 128, dy = (y + 0.5f - 128) / 128;
      float fade = std::max(0.0f, 1 - std::sqrt(dx * dx + dy * dy));   // black at the quad's edges
      if (!stars) {
        float n = fbm(x / 40.0f, y / 40.0f, seed, 5), m = fbm(x / 25.0f + 9, y / 25.0f, seed + 3, 4);
        Rgba c = mix(tints[k][0], tints[k][1], m);
        float kk = std::pow(std::max(0.0f, n - 0.35f) * 1.8f, 1.5f) * fade;
        img.at(x, y) = scaled(c, kk);
      } else {
        float n = fbm(x / 50.0f, y / 50.0f, seed, 4);
        img.at(x, y) = scaled(k == 4 ? rgb(60, 70, 120) : rgb(90, 60, 60), n * n * fade * 0.6f);
      }
    }
  int count = stars ? 400 : 120;
  for (int i = 0; i < count; ++i) {
    float x = static_cast<float>(r.range(0, 256)), y = static_cast<float>(r.range(0, 256));
    float b = static_cast<float>(r.range(0.3, 1.0));
    float fade = std::max(0.0f, 1 - std::hypot(x - 128, y - 128) / 128);
    if (r.chance(0.05)) glow(img, x, y, 6, scaled({1, 1, 1, 1}, b * fade), 2);
    img.put(static_cast<int>(x), static_cast<int>(y), {b * fade, b * fade, b * fade, 1}, 1, Blend::Add);
  }
  img.clamp();
  return img;
}

Image planetAtlas(int sheet) {
  Image img(256, 256, {0, 0, 0, 0});
  for (int k = sheet * 16; k < sheet * 16 + 16; ++k) {
    float x = (k % 4) * 64.0f, y = ((k / 4) % 4) * 64.0f;
    PlanetLook look = planetLook(static_cast<uint32_t>(k + 1));
    Image cell(64, 64, {0, 0, 0, 0});
    paintPlanet(cell, 32, 32, look.ringed ? 17.0f : 26.0f, look);
    img.draw(cell, static_cast<int>(x), static_cast<int>(y), Blend::Replace);
  }
  img.clamp();
  return img;
}

// The 1536 x 1536 map background drawn as 16 tiles; tile (c, r) shows pixels
// (c-1)*256 .. c*256 of one continuous star field with nebulae.
Image galaxyTile(int col, int row) {
  Image img(256, 256);
  const uint32_t seed = 4242u;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float gx = (col - 1) * 254.0f + x, gy = (row - 1) * 254.0f + y;   // tiles show texels 1..255
      float n = fbm(gx / 180.0f, gy / 180.0f, seed, 5), m = fbm(gx / 120.0f + 3, gy / 120.0f, seed + 11, 4);
      float k = std::pow(std::max(0.0f, n - 0.42f) * 2.2f, 1.6f);
      Rgba c = mix(rgb(60, 40, 140), rgb(30, 110, 160), m);
      img.at(x, y) = scaled(c, k * 0.8f);
      float sn = valueNoise(gx * 0.9f, gy * 0.9f, seed + 77);
      if (sn > 0.985f) {
        float b = (sn - 0.985f) / 0.015f;
        img.put(x, y, {1, 1, 1, 1}, b, Blend::Add);
      }
    }
  img.clamp();
  return img;
}

}  // namespace

void addSkyTasks(TaskList& tasks) {
  for (const SkyPlanet& s : kSkyPlanets)
    tasks.push_back({"sky", s.name, [&s](OutputFolder& out) { writeTexture(out, std::string("sky\\") + s.name + ".bmp", skyPlanet(s)); }});
  const char* backdrops[6] = {"nebula1", "nebula2", "nebula3", "nebula4", "stars1", "stars2"};
  for (int k = 0; k < 6; ++k)
    tasks.push_back({"sky", backdrops[k], [k, n = std::string(backdrops[k])](OutputFolder& out) {
                       writeTexture(out, "sky\\" + n + ".bmp", backdrop(k));
                     }});
  for (int s = 0; s < 4; ++s)
    tasks.push_back({"sky", "planets" + std::to_string(s), [s](OutputFolder& out) {
                       writeTexture(out, "planets\\p_" + std::to_string(s + 1) + ".dds", planetAtlas(s));
                     }});
  tasks.push_back({"sky", "galaxy", [](OutputFolder& out) {
                     for (int c = 1; c <= 4; ++c)
                       for (int r = 1; r <= 4; ++r)
                         writeTexture(out, "galaxy\\g" + std::to_string(c) + std::to_string(r) + ".bmp", galaxyTile(c, r));
                   }});
}
