// The news studio: back wall, the twelve subject pictures, the two newscasters (four frames
// each: two mouth frames, two idle poses) and the studio frame in three pieces, clear over the
// window onto the studio and over the ticker line.
#include <cmath>
#include <string>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/Painter.h"
#include "tools/contentgen/People.h"
#include "tools/contentgen/Planets.h"
#include "tools/contentgen/Rng.h"
#include "tools/contentgen/TrueTypeFont.h"

namespace {

Image newsBack() {
  Image img(256, 256);
  vgradient(img, 0, 0, 256, 256, rgb(30, 40, 90), rgb(10, 12, 30));
  for (int k = 0; k < 9; ++k) line(img, 0, 30.0f * k, 256, 30.0f * k + 20, 1.5f, rgb(50, 70, 140), Blend::Add);
  ring(img, 128, 110, 80, 6, rgb(70, 100, 200), Blend::Add);
  ring(img, 128, 110, 60, 2, rgb(70, 100, 200), Blend::Add);
  fillRect(img, 0, 200, 256, 256, rgb(40, 30, 30));          // the desk
  fillRect(img, 0, 200, 256, 206, rgb(200, 160, 60));
  img.clamp();
  return img;
}

// Picture p (0..11) of 85 x 64 pixels.
void subject(Image& img, int p) {
  float x = (p % 3) * 85.0f, y = (p / 3) * 64.0f;
  Image cell(85, 64);
  vgradient(cell, 0, 0, 85, 64, rgb(40, 50, 90), rgb(10, 10, 25));
  switch (p) {
    case 0: polygon(cell, {{10, 44}, {60, 24}, {78, 32}, {30, 52}}, rgb(200, 40, 40)); fillCircle(cell, 52, 30, 6, rgb(150, 200, 255)); break;
    case 1: glow(cell, 42, 32, 34, rgb(255, 160, 40), 1.2f); glow(cell, 42, 32, 14, rgb(255, 255, 200), 1.5f); break;
    case 2: paintPlanet(cell, 42, 32, 26, planetLook(3)); break;
    case 3: boldFont().drawCentred(cell, "NEWS", 42, 32, 26, rgb(255, 220, 80)); break;
    case 4: boldFont().drawCentred(cell, "$$$", 42, 32, 30, rgb(120, 255, 120)); break;
    case 5: case 6: case 7: case 8: case 9: {
      const char* who[5] = {"zom1", "ninja", "ptero", "cyborg", "pirate"};
      Image face = paintPortrait(lookOf(who[p - 5]));
      for (int j = 0; j < 64; ++j)
        for (int i = 0; i < 85; ++i) cell.at(i, j) = face.at(std::min(127, 21 + i), std::min(127, 4 + j * 2 - j / 2));
      break;
    }
    case 10: fillRect(cell, 22, 18, 63, 52, rgb(170, 120, 60)); line(cell, 22, 18, 63, 52, 2, rgb(110, 70, 30)); line(cell, 63, 18, 22, 52, 2, rgb(110, 70, 30)); break;
    default:
      fillEllipse(cell, 42, 28, 18, 16, 0, rgb(235, 235, 225));
      fillRect(cell, 32, 38, 52, 52, rgb(235, 235, 225));
      fillCircle(cell, 35, 28, 5, rgb(10, 10, 10));
      fillCircle(cell, 49, 28, 5, rgb(10, 10, 10));
      for (int k = 0; k < 4; ++k) line(cell, 35.0f + k * 5, 44, 35.0f + k * 5, 52, 1, rgb(10, 10, 10));
      break;
  }
  fillRect(cell, 0, 0, 85, 1, rgb(200, 200, 220));
  img.draw(cell, static_cast<int>(x), static_cast<int>(y), Blend::Replace);
}

Image newsSubjects() {
  Image img(256, 256);
  for (int p = 0; p < 12; ++p) subject(img, p);
  img.clamp();
  return img;
}

// Four 128 x 128 frames: 0 mouth shut, 1 mouth open, 2 looking aside, 3 eyes closed.
Image newscaster(const std::string& skinName) {
  Image img(256, 256, {0, 0, 0, 0});
  const Look& look = lookOf(skinName);
  for (int f = 0; f < 4; ++f) {
    Image p = paintPortrait(look);
    // Clear the backdrop: keep only the figure (pixels that differ from the backdrop gradient).
    Image bare(128, 128, {0, 0, 0, 0});
    Image back(128, 128);
    vgradient(back, 0, 0, 128, 128, look.backdrop, scaled(look.backdrop, 0.35f));
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) {
        const Rgba &a = p.at(x, y), &b = back.at(x, y);
        float diff = std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b);
        if (diff > 0.25f && y < 124) bare.at(x, y) = {a.r, a.g, a.b, 1};
      }
    const float cx = 64, cy = 62;
    if (f == 1) fillEllipse(bare, cx, cy + 22, 8, 6, 0, rgb(60, 10, 10));
    if (f == 2) fillRect(bare, cx - 26, cy - 4, cx + 26, cy + 2, scaled(look.skinTone, 0.9f));
    if (f == 3) {
      fillRect(bare, cx - 26, cy - 6, cx + 26, cy + 3, look.skinTone);
      line(bare, cx - 22, cy - 1, cx - 8, cy - 1, 2, rgb(30, 20, 20));
      line(bare, cx + 8, cy - 1, cx + 22, cy - 1, 2, rgb(30, 20, 20));
    }
    if (f == 2) {
      fillCircle(bare, cx - 14, cy - 1, 3, rgb(20, 15, 15));
      fillCircle(bare, cx + 10, cy - 1, 3, rgb(20, 15, 15));
    }
    img.draw(bare, (f % 2) * 128, (f / 2) * 128, Blend::Replace);
  }
  img.clamp();
  return img;
}

// The 512 x 384 studio frame.
Image studioFrame() {
  Image img(512, 384, {0, 0, 0, 0});
  vgradient(img, 0, 0, 512, 384, rgb(70, 75, 110), rgb(25, 25, 40));
  for (int y = 0; y < 384; ++y)
    for (int x = 0; x < 512; ++x) img.at(x, y).a = 1;
  for (int k = 0; k < 6; ++k) fillRoundRect(img, 20.0f + k * 4, 280.0f + k * 4, 492.0f - k * 4, 370.0f - k * 4, 10, rgb(40 + k * 12, 40 + k * 12, 70 + k * 15));
  boldFont().drawCentred(img, "QUORVEX NEWS NETWORK", 256, 325, 28, rgb(255, 220, 80));
  for (int k = 0; k < 2; ++k) fillCircle(img, 60 + 392.0f * k, 140, 30, rgb(200, 40, 40));
  boldFont().drawCentred(img, "LIVE", 60, 140, 16, rgb(255, 255, 255));
  boldFont().drawCentred(img, "QNN", 452, 140, 16, rgb(255, 255, 255));
  // The window onto the studio and the ticker line stay clear.
  fillRect(img, 136, 12, 392, 268, {0, 0, 0, 0}, Blend::Replace);
  fillRect(img, 16, 250, 496, 270, {0, 0, 0, 0}, Blend::Replace);
  return img;
}

}  // namespace

void addNewsTasks(TaskList& tasks) {
  tasks.push_back({"news", "back", [](OutputFolder& out) { writeTexture(out, "news\\newsback.bmp", newsBack()); }});
  tasks.push_back({"news", "subjects", [](OutputFolder& out) { writeTexture(out, "news\\newssubjects.bmp", newsSubjects()); }});
  tasks.push_back({"news", "casters", [](OutputFolder& out) {
                     writeTexture(out, "news\\zombienews.dds", newscaster("zom2"));
                     writeTexture(out, "news\\ninjanews.dds", newscaster("ninja2"));
                   }});
  tasks.push_back({"news", "frame", [](OutputFolder& out) {
                     Image f = studioFrame();
                     writeTexture(out, "\\news\\newsco1.dds", f.crop(0, 0, 256, 256));
                     writeTexture(out, "\\news\\newsco2.dds", f.crop(256, 0, 256, 256));
                     Image third(256, 256, {0, 0, 0, 0});
                     third.draw(f.crop(0, 256, 256, 128), 0, 0, Blend::Replace);
                     third.draw(f.crop(256, 256, 256, 128), 0, 128, Blend::Replace);
                     writeTexture(out, "\\news\\newsco3.dds", third);
                   }});
}
