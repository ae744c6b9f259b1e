// Effect textures for billboards, beams, weather and sky sprites: glows in distinct colours
// on black (drawn additively, so black is invisible), smoke puffs with alpha (DDS), and the
// colour-blend textures (bright covers, black is clear).
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/Painter.h"
#include "tools/contentgen/Rng.h"

namespace {

Image glowTex(int size, Rgba c, float power, float core = 0) {
  Image img(size, size);
  float h = size / 2.0f;
  glow(img, h, h, h, c, power);
  if (core > 0) glow(img, h, h, h * core, {1, 1, 1, 1}, 1.5f);
  img.clamp();
  return img;
}

// Soft noisy blob: fbm inside a radial falloff; colour on black.
Image cloudTex(int size, Rgba c, uint32_t seed, float contrast) {
  Image img(size, size);
  float h = size / 2.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float d = std::hypot(x + 0.5f - h, y + 0.5f - h) / h;
      if (d >= 1) continue;
      float n = fbm(x * 6.0f / size, y * 6.0f / size, seed, 5);
      float k = std::min(1.0f, 1.4f * std::pow(1 - d, 1.1f) * std::clamp((n - 0.5f) * contrast + 0.7f, 0.0f, 1.0f));
      img.at(x, y) = {c.r * k, c.g * k, c.b * k, 1};
    }
  return img;
}

// Smoke with alpha: grey colour everywhere, alpha from a noisy radial falloff.
Image smokeTex(int size, Rgba c, uint32_t seed) {
  Image img(size, size, {c.r, c.g, c.b, 0});
  float h = size / 2.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float d = std::hypot(x + 0.5f - h, y + 0.5f - h) / h;
      float n = fbm(x * 5.0f / size, y * 5.0f / size, seed, 4);
      float a = std::clamp((1 - d) * 1.6f, 0.0f, 1.0f) * (0.45f + 0.7f * n);
      float shade = 0.8f + 0.4f * n;
      img.at(x, y) = {c.r * shade, c.g * shade, c.b * shade, std::clamp(a, 0.0f, 1.0f)};
    }
  img.clamp();
  return img;
}

// Beam strip: bright along v at u = 0.5, black at the u edges.
Image beamTex(Rgba c) {
  Image img(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      float d = std::fabs(x + 0.5f - 32) / 32;
      float core = std::exp(-d * d * 60), halo = std::pow(std::max(0.0f, 1 - d), 2.5f);
      float ripple = 0.85f + 0.15f * std::sin(y * 6.2831853f / 16);
      img.at(x, y) = {std::min(1.0f, c.r * halo * ripple + core), std::min(1.0f, c.g * halo * ripple + core),
                      std::min(1.0f, c.b * halo * ripple + core), 1};
    }
  return img;
}

// A forked bolt from (x, 0) down to the bottom, additive.
void bolt(Image& img, Rng& r, float x, float y0, float y1, float width, Rgba c) {
  std::vector<Vec2> pts;
  float step = (y1 - y0) / 14;
  for (int i = 0; i <= 14; ++i) {
    pts.push_back({x, y0 + i * step});
    x += static_cast<float>(r.range(-5, 5));
    if (i == 6 || i == 10) {
      std::vector<Vec2> fork{{x, y0 + i * step}};
      float fx = x;
      for (int k = 1; k < 5; ++k) {
        fx += static_cast<float>(r.range(-8, 8));
        fork.push_back({fx, y0 + (i + k) * step});
      }
      polyline(img, fork, width * 0.5f, c, Blend::Add);
    }
  }
  polyline(img, pts, width * 2.5f, scaled(c, 0.35f), Blend::Add);
  polyline(img, pts, width, c, Blend::Add);
  polyline(img, pts, width * 0.4f, rgb(255, 255, 255), Blend::Add);
}

Image litTex() {
  Image img(256, 256);
  Rng r("lit");
  for (int k = 0; k < 4; ++k) bolt(img, r, 32 + 64.0f * k, 0, 256, 3, rgb(170, 190, 255));
  img.clamp();
  return img;
}

Image shootingTex() {
  Image img(256, 256);
  for (int k = 0; k < 4; ++k) {
    float x = 32 + 64.0f * k;
    for (int y = 0; y < 256; ++y) {
      float t = y / 255.0f;   // tail at the top, head at the bottom
      float w = 1 + 5 * t;
      fillRect(img, x - w / 2, static_cast<float>(y), x + w / 2, y + 1.0f, scaled(rgb(200, 220, 255), t * t), Blend::Add);
    }
    glow(img, x, 236, 20, rgb(255, 255, 255), 2);
  }
  img.clamp();
  return img;
}

Image fireTex() {
  Image img(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      float dx = (x + 0.5f - 64) / 64, dy = (y + 0.5f - 64) / 64;
      float n = fbm(x / 18.0f, y / 10.0f, 73u, 4);
      float shape = 1 - std::sqrt(dx * dx * (2.2f - dy) + dy * dy * 0.8f) - (1 - n) * 0.5f;
      if (shape <= 0) continue;
      float k = std::min(1.0f, shape * 2.2f);
      img.at(x, y) = {k, k * k * 0.8f, k * k * k * 0.3f, 1};
    }
  return img;
}

Image explodarTex() {
  Image img(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      float d = std::hypot(x + 0.5f - 64, y + 0.5f - 64) / 64;
      float n = fbm(x / 14.0f, y / 14.0f, 911u, 5);
      float k = std::clamp((1 - d) * 1.8f * (0.4f + n), 0.0f, 1.0f);
      img.at(x, y) = {std::min(1.0f, k * 1.4f), k * 0.75f, k * k * 0.35f, 1};
    }
  return img;
}

Image spikeTex(Rgba c, int n, float width) {
  Image img(128, 128);
  spikes(img, 64, 64, n, 64, width, 0.0f, c);
  glow(img, 64, 64, 28, c, 2);
  glow(img, 64, 64, 10, {1, 1, 1, 1}, 1.5f);
  img.clamp();
  return img;
}

Image ringTex(int size, float radius, float width, Rgba c, float haloK) {
  Image img(size, size);
  float h = size / 2.0f;
  ring(img, h, h, radius, width, c, Blend::Add);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float d = std::fabs(std::hypot(x + 0.5f - h, y + 0.5f - h) - radius) / (h - radius + 1);
      img.put(x, y, c, std::max(0.0f, 1 - d) * haloK, Blend::Add);
    }
  img.clamp();
  return img;
}

Image electroTex(int size, Rgba c, const std::string& seedName) {
  Image img(size, size);
  Rng r(seedName);
  uint32_t seed = static_cast<uint32_t>(seedOf(seedName));
  float h = size / 2.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float d = std::hypot(x + 0.5f - h, y + 0.5f - h) / h;
      float n = fbm(x * 4.0f / size, y * 4.0f / size, seed, 5);
      float vein = 1 - std::fabs(n - 0.5f) * 8;
      float k = std::max(0.0f, vein) * std::max(0.0f, 1 - d * 0.9f) + 0.15f * n * (1 - d);
      img.put(x, y, c, std::clamp(k, 0.0f, 1.0f), Blend::Add);
    }
  for (int k = 0; k < 3; ++k) {
    std::vector<Vec2> pts;
    float a = static_cast<float>(r.range(0, 6.28)), rad = 0;
    for (int i = 0; i < 10; ++i, rad += h / 11) {
      pts.push_back({h + rad * std::cos(a), h + rad * std::sin(a)});
      a += static_cast<float>(r.range(-0.5, 0.5));
    }
    polyline(img, pts, size / 64.0f, scaled(mix(c, {1, 1, 1, 1}, 0.5f), 0.8f), Blend::Add);
  }
  img.clamp();
  return img;
}

Image heartTex() {
  Image img(64, 64);
  auto inside = [](float x, float y) {   // classic heart curve, x, y in -1.3..1.3
    float a = x * x + y * y - 1;
    return a * a * a - x * x * y * y * y <= 0;
  };
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      int hits = 0;
      for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
          if (inside((x + (i + 0.5f) / 3 - 32) / 24, -(y + (j + 0.5f) / 3 - 34) / 24)) ++hits;
      float k = hits / 9.0f;
      img.at(x, y) = {k, k * 0.85f, k * 0.88f, 1};
    }
  glow(img, 24, 24, 10, rgb(255, 255, 255), 2);
  img.clamp();
  return img;
}

Image shurikenTex() {
  Image img(64, 64);
  for (int k = 0; k < 4; ++k) {
    float a = 1.5708f * k;
    Vec2 tip{32 + 30 * std::cos(a), 32 + 30 * std::sin(a)};
    Vec2 l{32 + 9 * std::cos(a + 0.9f), 32 + 9 * std::sin(a + 0.9f)};
    Vec2 rr{32 + 6 * std::cos(a - 0.6f), 32 + 6 * std::sin(a - 0.6f)};
    polygon(img, {{32, 32}, rr, tip, l}, rgb(220, 225, 235));
  }
  fillCircle(img, 32, 32, 4, rgb(40, 40, 45));
  ring(img, 32, 32, 4, 1.5f, rgb(255, 255, 255));
  return img;
}

Image xblastTex() {
  Image img(128, 128);
  for (float a : {0.785f, 2.356f}) {
    float dx = 60 * std::cos(a), dy = 60 * std::sin(a);
    line(img, 64 - dx, 64 - dy, 64 + dx, 64 + dy, 14, rgb(120, 60, 20), Blend::Add);
    line(img, 64 - dx, 64 - dy, 64 + dx, 64 + dy, 6, rgb(255, 180, 80), Blend::Add);
    line(img, 64 - dx * 0.8f, 64 - dy * 0.8f, 64 + dx * 0.8f, 64 + dy * 0.8f, 2, rgb(255, 255, 220), Blend::Add);
  }
  glow(img, 64, 64, 30, rgb(255, 200, 120), 2);
  img.clamp();
  return img;
}

Image bloodTex() {
  Image img(128, 128);
  Rng r("blood");
  fillCircle(img, 64, 64, 26, rgb(200, 20, 20));
  for (int k = 0; k < 18; ++k) {
    float a = static_cast<float>(r.range(0, 6.28)), d = static_cast<float>(r.range(26, 58));
    float rad = static_cast<float>(r.range(3, 9)) * (1 - d / 70);
    line(img, 64, 64, 64 + d * std::cos(a) * 0.8f, 64 + d * std::sin(a) * 0.8f, rad, rgb(180, 15, 15));
    fillCircle(img, 64 + d * std::cos(a), 64 + d * std::sin(a), rad + 1, rgb(170, 10, 10));
  }
  return img;
}

Image streamTex() {
  Image img(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      float d = std::fabs(x + 0.5f - 32) / 32;
      float k = std::pow(std::max(0.0f, 1 - d), 2.0f) * (0.75f + 0.25f * valueNoise(x / 8.0f, y / 8.0f, 5u, 8));
      img.at(x, y) = {k, k, k, 1};
    }
  return img;
}

Image sparkTex() {
  Image img(64, 64);
  spikes(img, 32, 32, 4, 32, 5, 0.0f, rgb(255, 240, 200));
  glow(img, 32, 32, 10, {1, 1, 1, 1}, 1.5f);
  img.clamp();
  return img;
}

// The sparkle sprite, and the HUD radar's blips: the radar draws the whole picture into 4 x 4
// pixels, whose inner four sample it about 5.7 texels from its centre, so the bright core reaches
// past that.
Image starTex() {
  Image img(32, 32);
  glow(img, 16, 16, 16, rgb(255, 255, 255), 3.0f);
  fillCircle(img, 16, 16, 7.5f, rgb(255, 255, 255));
  img.clamp();
  return img;
}

void add(TaskList& tasks, const std::string& name, std::function<Image()> paint) {
  tasks.push_back({"sprites", name, [name, paint](OutputFolder& out) { writeTexture(out, name, paint()); }});
}

}  // namespace

void addSpriteTasks(TaskList& tasks) {
  add(tasks, "flare.bmp", [] { return glowTex(128, rgb(255, 235, 150), 1.8f, 0.3f); });
  add(tasks, "miniflare.bmp", [] { return glowTex(64, rgb(255, 245, 210), 2.2f, 0.25f); });
  add(tasks, "blueflare.bmp", [] { return glowTex(128, rgb(80, 140, 255), 1.8f, 0.25f); });
  add(tasks, "torbolt.bmp", [] { return glowTex(64, rgb(60, 230, 255), 1.4f, 0.35f); });
  add(tasks, "neubolt.bmp", [] { return glowTex(64, rgb(90, 255, 90), 1.4f, 0.35f); });
  add(tasks, "torfade.bmp", [] { return glowTex(128, rgb(40, 150, 200), 2.5f); });
  add(tasks, "halo.bmp", [] { return ringTex(128, 44, 10, rgb(120, 120, 150), 0.35f); });
  add(tasks, "laserhalo.bmp", [] { return glowTex(64, rgb(255, 70, 90), 1.5f, 0.2f); });
  add(tasks, "lasersplash.bmp", [] { return ringTex(128, 50, 6, rgb(255, 150, 150), 0.25f); });
  add(tasks, "circlef.bmp", [] { return ringTex(128, 58, 3, rgb(220, 230, 255), 0.1f); });
  add(tasks, "star.bmp", starTex);
  add(tasks, "spark.bmp", sparkTex);
  add(tasks, "stream.bmp", streamTex);
  add(tasks, "cloud.bmp", [] { return cloudTex(128, rgb(230, 230, 235), 17u, 2.0f); });
  add(tasks, "greencloud.bmp", [] { return cloudTex(128, rgb(90, 230, 70), 29u, 2.2f); });
  add(tasks, "explodar.bmp", explodarTex);
  add(tasks, "smoke.dds", [] { return smokeTex(64, rgb(150, 150, 155), 41u); });
  add(tasks, "smoke2.dds", [] { return smokeTex(64, rgb(110, 105, 100), 43u); });
  add(tasks, "smoke2r.dds", [] { return smokeTex(64, rgb(190, 70, 50), 47u); });
  add(tasks, "laserbeam.bmp", [] { return beamTex(rgb(255, 50, 60)); });
  add(tasks, "photonbeam.bmp", [] { return beamTex(rgb(70, 120, 255)); });
  add(tasks, "beambeam.bmp", [] { return beamTex(rgb(60, 255, 150)); });
  add(tasks, "heart_sprite.bmp", heartTex);
  add(tasks, "shuriken.bmp", shurikenTex);
  add(tasks, "white.bmp", [] { return Image(16, 16, {1, 1, 1, 1}); });
  add(tasks, "lit.bmp", litTex);
  add(tasks, "lit_top.bmp", [] { return glowTex(128, rgb(160, 170, 255), 1.2f); });
  add(tasks, "shooting.bmp", shootingTex);
  add(tasks, "fire.bmp", fireTex);
  add(tasks, "spikeflare.bmp", [] { return spikeTex(rgb(255, 250, 220), 8, 7); });
  add(tasks, "redspike.bmp", [] { return spikeTex(rgb(255, 60, 50), 6, 8); });
  add(tasks, "electro.bmp", [] { return electroTex(128, rgb(150, 110, 255), "electro"); });
  add(tasks, "electro2.bmp", [] { return electroTex(128, rgb(90, 200, 255), "electro2"); });
  add(tasks, "xblast.bmp", xblastTex);
  add(tasks, "blood.bmp", bloodTex);
}
