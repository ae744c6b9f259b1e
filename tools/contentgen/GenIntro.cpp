// The intro slide show's ten pictures "\gfx\intro\intro1.bmp" .. "intro10.bmp" (256 x 256):
// simple scenes made from the planets, portraits and star fields of the other painters.
#include <cmath>
#include <string>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/Painter.h"
#include "tools/contentgen/People.h"
#include "tools/contentgen/Planets.h"
#include "tools/contentgen/Rng.h"

namespace {

void stars(Image& img, const std::string& seed, int n) {
  Rng r(seed);
  for (int i = 0; i < n; ++i) {
    float b = static_cast<float>(r.range(0.3, 1));
    img.put(r.below(256), r.below(256), {b, b, b, 1}, 1, Blend::Add);
  }
}

void skyline(Image& img, const std::string& seed, Rgba c, float base) {
  Rng r(seed);
  for (float x = 0; x < 256;) {
    float w = static_cast<float>(r.range(14, 36)), h = static_cast<float>(r.range(30, 110));
    fillRect(img, x, base - h, x + w, 256, c);
    for (float wy = base - h + 6; wy < base - 6; wy += 10)
      for (float wx = x + 4; wx < x + w - 4; wx += 8)
        if (r.chance(0.5)) fillRect(img, wx, wy, wx + 3, wy + 4, rgb(255, 220, 120));
    x += w + static_cast<float>(r.range(0, 6));
  }
}

void ship(Image& img, float x, float y, float s, Rgba c) {
  polygon(img, {{x, y}, {x + 40 * s, y + 12 * s}, {x, y + 24 * s}, {x + 8 * s, y + 12 * s}}, c);
  glow(img, x, y + 12 * s, 14 * s, rgb(120, 180, 255), 1.5f);
}

void portraitInset(Image& img, const std::string& skin, int x, int y) {
  Image p = paintPortrait(lookOf(skin));
  img.draw(p, x, y, Blend::Replace);
}

Image slide(int k) {
  Image img(256, 256);
  std::string seed = "intro" + std::to_string(k);
  switch (k) {
    case 1: stars(img, seed, 300); paintPlanet(img, 150, 150, 90, planetLook(3)); break;
    case 2: vgradient(img, 0, 0, 256, 256, rgb(20, 20, 60), rgb(120, 60, 90)); skyline(img, seed, rgb(20, 15, 30), 220); break;
    case 3: stars(img, seed, 200); ship(img, 60, 100, 2.5f, rgb(200, 40, 40)); ship(img, 160, 60, 1, rgb(90, 170, 60)); break;
    case 4: vgradient(img, 0, 0, 256, 256, rgb(40, 95, 40), rgb(5, 20, 5)); portraitInset(img, "zom1", 64, 64); break;
    case 5: vgradient(img, 0, 0, 256, 256, rgb(90, 20, 20), rgb(10, 0, 0)); portraitInset(img, "ninja", 64, 64); break;
    case 6: vgradient(img, 0, 0, 256, 256, rgb(30, 55, 130), rgb(5, 5, 30)); portraitInset(img, "ptero", 64, 64); break;
    case 7: stars(img, seed, 200); glow(img, 128, 128, 110, rgb(255, 150, 40), 1.1f); glow(img, 128, 128, 40, rgb(255, 255, 200), 1.5f); break;
    case 8: vgradient(img, 0, 0, 256, 256, rgb(80, 80, 95), rgb(10, 10, 15)); portraitInset(img, "cyborg", 64, 64); break;
    case 9: stars(img, seed, 250); paintPlanet(img, 70, 180, 60, planetLook(9)); paintPlanet(img, 190, 70, 40, planetLook(21)); ship(img, 110, 120, 1.5f, rgb(230, 200, 40)); break;
    default: vgradient(img, 0, 0, 256, 256, rgb(60, 90, 140), rgb(10, 10, 30)); portraitInset(img, "chica", 20, 64); portraitInset(img, "gret1", 108, 64); break;
  }
  img.clamp();
  return img;
}

}  // namespace

void addIntroTasks(TaskList& tasks) {
  for (int k = 1; k <= 10; ++k)
    tasks.push_back({"intro", "slide" + std::to_string(k), [k](OutputFolder& out) {
                       writeTexture(out, "intro\\intro" + std::to_string(k) + ".bmp", slide(k));
                     }});
}
