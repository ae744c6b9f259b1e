#include "tools/contentgen/People.h"

#include <cmath>
#include <stdexcept>

#include "tools/contentgen/Painter.h"
#include "tools/contentgen/Rng.h"

namespace {

const Rgba kNeutralBg = rgb(60, 90, 140), kZombieBg = rgb(40, 95, 40), kNinjaBg = rgb(90, 20, 20),
           kPteroBg = rgb(30, 55, 130), kCyborgBg = rgb(80, 80, 95), kPirateBg = rgb(110, 75, 30),
           kZafiaBg = rgb(80, 30, 100), kFiendBg = rgb(110, 20, 10), kSpecialBg = rgb(130, 115, 40);

std::vector<Look> makeLooks() {
  const Rgba pale = rgb(240, 200, 170), tan = rgb(205, 150, 110), brown = rgb(140, 95, 60),
             zombie = rgb(140, 175, 120), metal = rgb(175, 180, 190);
  auto L = [](const char* s, const char* m, Rgba sk, Rgba h, Rgba sh, Rgba tr, Rgba bo, Rgba ac,
              Rgba bg, Hair hs, Headwear hw, FaceKind f) {
    return Look{s, m, sk, h, sh, tr, bo, ac, bg, hs, hw, f};
  };
  return {
      L("chica", "chica", pale, rgb(240, 90, 170), rgb(250, 220, 40), rgb(60, 60, 160), rgb(200, 40, 90), rgb(255, 255, 255), kNeutralBg, Hair::Long, Headwear::None, FaceKind::Plain),
      L("chic1", "chica", pale, rgb(250, 220, 90), rgb(60, 200, 220), rgb(40, 40, 60), rgb(240, 240, 240), rgb(255, 120, 0), kNeutralBg, Hair::Long, Headwear::None, FaceKind::Plain),
      L("chic2", "chica", tan, rgb(200, 50, 30), rgb(150, 230, 80), rgb(90, 50, 30), rgb(60, 40, 30), rgb(255, 230, 0), kNeutralBg, Hair::Long, Headwear::None, FaceKind::Plain),
      L("chic3", "chica", brown, rgb(30, 25, 25), rgb(240, 120, 40), rgb(50, 50, 50), rgb(30, 30, 30), rgb(80, 200, 255), kNeutralBg, Hair::Long, Headwear::None, FaceKind::Plain),
      L("chic4", "chica", pale, rgb(150, 70, 210), rgb(30, 30, 40), rgb(120, 20, 40), rgb(20, 20, 20), rgb(255, 60, 200), kNeutralBg, Hair::Long, Headwear::None, FaceKind::Plain),
      L("chic5", "chica", tan, rgb(60, 190, 120), rgb(250, 250, 250), rgb(40, 90, 160), rgb(250, 160, 40), rgb(40, 220, 120), kNeutralBg, Hair::Long, Headwear::None, FaceKind::Plain),
      L("gret1", "gretchen", pale, rgb(120, 70, 35), rgb(180, 40, 40), rgb(40, 40, 90), rgb(70, 40, 20), rgb(255, 255, 200), kNeutralBg, Hair::Bun, Headwear::None, FaceKind::Plain),
      L("gret2", "gretchen", tan, rgb(230, 200, 120), rgb(40, 120, 60), rgb(70, 60, 50), rgb(40, 30, 20), rgb(200, 230, 255), kNeutralBg, Hair::Bun, Headwear::None, FaceKind::Plain),
      L("gret3", "gretchen", brown, rgb(20, 20, 30), rgb(90, 60, 170), rgb(30, 30, 30), rgb(120, 60, 20), rgb(255, 200, 60), kNeutralBg, Hair::Bun, Headwear::None, FaceKind::Plain),
      L("flee", "flee", pale, rgb(200, 120, 40), rgb(250, 130, 20), rgb(70, 70, 80), rgb(50, 50, 50), rgb(40, 160, 250), kNeutralBg, Hair::Short, Headwear::Cap, FaceKind::Plain),
      L("jacob", "jacob", tan, rgb(110, 70, 40), rgb(60, 130, 60), rgb(90, 70, 50), rgb(60, 40, 20), rgb(230, 200, 90), kNeutralBg, Hair::Short, Headwear::None, FaceKind::Beard),
      L("hiro", "hiro", pale, rgb(25, 25, 35), rgb(40, 90, 220), rgb(230, 230, 230), rgb(220, 40, 40), rgb(250, 220, 60), kNeutralBg, Hair::Spiky, Headwear::None, FaceKind::Plain),
      L("ned", "ned", brown, rgb(35, 25, 20), rgb(130, 40, 160), rgb(30, 30, 30), rgb(250, 250, 250), rgb(255, 215, 0), kZafiaBg, Hair::Afro, Headwear::None, FaceKind::Plain),
      L("zom1", "zombie", zombie, rgb(70, 60, 40), rgb(110, 90, 70), rgb(60, 70, 50), rgb(50, 40, 30), rgb(170, 40, 40), kZombieBg, Hair::Short, Headwear::None, FaceKind::Zombie),
      L("zom2", "zombie", rgb(160, 185, 140), rgb(40, 40, 40), rgb(80, 110, 80), rgb(90, 80, 60), rgb(40, 40, 40), rgb(200, 200, 60), kZombieBg, Hair::Bald, Headwear::None, FaceKind::Zombie),
      L("zom3", "zombie", rgb(125, 165, 125), rgb(150, 140, 110), rgb(140, 60, 60), rgb(50, 50, 70), rgb(60, 50, 40), rgb(100, 200, 100), kZombieBg, Hair::Mohawk, Headwear::None, FaceKind::Zombie),
      L("zom4", "zombie", rgb(150, 160, 110), rgb(90, 50, 30), rgb(70, 70, 110), rgb(80, 60, 40), rgb(30, 30, 30), rgb(220, 140, 40), kZombieBg, Hair::Long, Headwear::None, FaceKind::Zombie),
      L("zom5", "zombie", rgb(135, 170, 150), rgb(60, 60, 60), rgb(60, 90, 60), rgb(110, 100, 80), rgb(70, 50, 30), rgb(230, 230, 230), kZombieBg, Hair::Short, Headwear::Cap, FaceKind::Zombie),
      L("gaszom", "gasworker", zombie, rgb(60, 50, 40), rgb(240, 130, 30), rgb(240, 130, 30), rgb(40, 40, 40), rgb(250, 250, 250), kZombieBg, Hair::Short, Headwear::Cap, FaceKind::Zombie),
      L("ninja", "ninja", pale, rgb(20, 20, 25), rgb(25, 25, 30), rgb(25, 25, 30), rgb(15, 15, 15), rgb(220, 30, 30), kNinjaBg, Hair::Short, Headwear::Headband, FaceKind::NinjaMask),
      L("ninja2", "ninja", tan, rgb(20, 20, 40), rgb(30, 35, 70), rgb(30, 35, 70), rgb(15, 15, 25), rgb(240, 240, 240), kNinjaBg, Hair::Short, Headwear::Headband, FaceKind::NinjaMask),
      L("ninja3", "ninja", pale, rgb(40, 10, 10), rgb(110, 20, 25), rgb(60, 15, 15), rgb(20, 10, 10), rgb(250, 200, 40), kNinjaBg, Hair::Short, Headwear::Headband, FaceKind::NinjaMask),
      L("gasninja", "gasworker", tan, rgb(20, 20, 25), rgb(30, 30, 35), rgb(240, 130, 30), rgb(20, 20, 20), rgb(220, 30, 30), kNinjaBg, Hair::Short, Headwear::Cap, FaceKind::NinjaMask),
      L("ptero", "ptero", rgb(110, 160, 90), rgb(60, 110, 60), rgb(30, 60, 170), rgb(25, 35, 90), rgb(15, 15, 30), rgb(250, 160, 30), kPteroBg, Hair::Bald, Headwear::Helmet, FaceKind::Beak),
      L("cyborg", "cyborg", metal, rgb(90, 95, 110), rgb(120, 125, 140), rgb(70, 75, 90), rgb(50, 50, 60), rgb(255, 30, 30), kCyborgBg, Hair::Bald, Headwear::Antenna, FaceKind::Visor),
      L("cyborg2", "cyborg", rgb(210, 180, 90), rgb(150, 120, 50), rgb(160, 130, 60), rgb(90, 70, 40), rgb(60, 50, 30), rgb(40, 255, 80), kCyborgBg, Hair::Bald, Headwear::Antenna, FaceKind::Visor),
      L("cyborg3", "cyborg", rgb(95, 100, 115), rgb(50, 55, 65), rgb(60, 65, 80), rgb(40, 45, 55), rgb(25, 25, 30), rgb(60, 160, 255), kCyborgBg, Hair::Bald, Headwear::Antenna, FaceKind::Visor),
      L("pirate", "pirate", tan, rgb(60, 35, 20), rgb(200, 40, 40), rgb(90, 60, 30), rgb(40, 25, 15), rgb(240, 200, 60), kPirateBg, Hair::Long, Headwear::Tricorn, FaceKind::EyePatch),
      L("zaf1", "zafia", pale, rgb(30, 25, 20), rgb(90, 40, 120), rgb(40, 20, 60), rgb(20, 20, 20), rgb(240, 240, 240), kZafiaBg, Hair::Short, Headwear::Fedora, FaceKind::Plain),
      L("zaf2", "zafia", tan, rgb(50, 35, 25), rgb(40, 40, 45), rgb(30, 30, 35), rgb(120, 20, 20), rgb(200, 60, 220), kZafiaBg, Hair::Short, Headwear::Fedora, FaceKind::Beard),
      L("zaf3", "zafia", brown, rgb(20, 20, 20), rgb(120, 30, 90), rgb(50, 20, 40), rgb(20, 20, 20), rgb(250, 220, 80), kZafiaBg, Hair::Bald, Headwear::Fedora, FaceKind::EyePatch),
      L("fiend", "fiend", rgb(190, 50, 40), rgb(30, 10, 10), rgb(50, 15, 15), rgb(30, 10, 10), rgb(20, 5, 5), rgb(240, 220, 160), kFiendBg, Hair::Bald, Headwear::Horns, FaceKind::Fiend),
      L("ishuo", "ishuo", pale, rgb(250, 210, 40), rgb(245, 245, 240), rgb(220, 220, 210), rgb(200, 170, 40), rgb(250, 200, 30), kSpecialBg, Hair::Mohawk, Headwear::None, FaceKind::Plain),
      L("null", "hiro", rgb(128, 128, 128), rgb(90, 90, 90), rgb(100, 100, 100), rgb(80, 80, 80), rgb(60, 60, 60), rgb(160, 160, 160), rgb(40, 40, 40), Hair::Bald, Headwear::None, FaceKind::Static),
  };
}

Rgba darker(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

// Fine grain so flat colours do not look like plastic.
void grain(Image& img, int x0, int y0, int x1, int y1, uint32_t seed, float amount) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      float n = (valueNoise(x * 0.7f, y * 0.7f, seed) - 0.5f) * amount;
      Rgba& p = img.at(x, y);
      p.r += n;
      p.g += n;
      p.b += n;
    }
}

}  // namespace

const std::vector<Look>& looks() {
  static const std::vector<Look> all = makeLooks();
  return all;
}

const Look& lookOf(const std::string& skinName) {
  for (const Look& l : looks())
    if (l.skin == skinName) return l;
  throw std::runtime_error("no look for skin " + skinName);
}

void paintFace(Image& img, float x0, float y0, float x1, float y1, const Look& look, int detail) {
  float w = x1 - x0, h = y1 - y0;
  auto X = [&](float f) { return x0 + f * w; };
  auto Y = [&](float f) { return y0 + f * h; };
  float lw = detail ? w * 0.035f : 1.0f;
  if (!detail) fillRect(img, x0, y0, x1, y1, look.skinTone);
  if (look.face == FaceKind::Static) {
    Rng r("static" + look.skin);
    for (int y = static_cast<int>(y0); y < static_cast<int>(y1); ++y)
      for (int x = static_cast<int>(x0); x < static_cast<int>(x1); ++x) {
        float v = static_cast<float>(r.range(0.2, 0.8));
        img.put(x, y, {v, v, v, 1}, 0.8f);
      }
    return;
  }
  const Rgba white = rgb(250, 250, 245), black = rgb(15, 10, 10);
  // Hair fringe over the forehead.
  bool hatOnTop = look.headwear == Headwear::Cap || look.headwear == Headwear::Fedora ||
                  look.headwear == Headwear::Tricorn || look.headwear == Headwear::Helmet;
  if (!detail && look.hairStyle != Hair::Bald && !hatOnTop)
    fillRect(img, x0, y0, x1, Y(look.hairStyle == Hair::Long ? 0.24f : 0.16f), look.hair);
  if (!detail && hatOnTop)
    fillRect(img, x0, y0, x1, Y(0.2f), look.headwear == Headwear::Helmet ? look.shirt : look.hair);

  float eyeY = 0.45f, eyeR = 0.075f * w;
  switch (look.face) {
    case FaceKind::Beak: {
      // Pterodactyl: small eyes high on the sides, a long orange beak.
      polygon(img, {{X(0.3f), Y(0.5f)}, {X(0.7f), Y(0.5f)}, {X(0.5f), Y(1.0f)}}, look.accent);
      line(img, X(0.38f), Y(0.72f), X(0.5f), Y(0.8f), lw, darker(look.accent, 0.5f));
      line(img, X(0.62f), Y(0.72f), X(0.5f), Y(0.8f), lw, darker(look.accent, 0.5f));
      for (float ex : {0.22f, 0.78f}) {
        fillCircle(img, X(ex), Y(0.38f), eyeR * 1.1f, rgb(255, 220, 60));
        fillCircle(img, X(ex), Y(0.38f), eyeR * 0.5f, black);
      }
      return;
    }
    case FaceKind::Visor:
      fillRect(img, X(0.1f), Y(0.36f), X(0.9f), Y(0.54f), rgb(30, 30, 35));
      fillRect(img, X(0.15f), Y(0.41f), X(0.85f), Y(0.49f), look.accent);
      if (detail) glow(img, X(0.5f), Y(0.45f), w * 0.45f, look.accent, 2.5f);
      line(img, X(0.3f), Y(0.78f), X(0.7f), Y(0.78f), lw * 1.5f, rgb(40, 40, 45));
      for (float gx : {0.38f, 0.46f, 0.54f, 0.62f})
        line(img, X(gx), Y(0.74f), X(gx), Y(0.82f), lw, rgb(40, 40, 45));
      return;
    default:
      break;
  }
  if (look.face == FaceKind::NinjaMask) {
    fillRect(img, x0, Y(0.54f), x1, y1, look.shirt);                  // cloth over nose and mouth
    fillRect(img, x0, y0, x1, Y(0.34f), look.hair);                    // hood over the brow
    fillRect(img, x0, Y(0.2f), x1, Y(0.3f), look.accent);              // headband
  }
  if (look.face == FaceKind::Beard) {
    polygon(img, {{X(0.05f), Y(0.55f)}, {X(0.95f), Y(0.55f)}, {X(0.85f), Y(0.95f)}, {X(0.5f), Y(1.0f)}, {X(0.15f), Y(0.95f)}}, look.hair);
  }
  // Eyes.
  Rgba eyeWhite = look.face == FaceKind::Zombie ? rgb(230, 230, 150) : white;
  Rgba pupil = look.face == FaceKind::Zombie ? rgb(200, 20, 20)
               : look.face == FaceKind::Fiend ? rgb(255, 200, 0) : black;
  for (int side = 0; side < 2; ++side) {
    float ex = side ? 0.68f : 0.32f;
    if (look.face == FaceKind::EyePatch && side == 1) {
      fillCircle(img, X(ex), Y(eyeY), eyeR * 1.5f, black);
      line(img, X(0.0f), Y(0.3f), X(1.0f), Y(0.55f), lw, black);
      continue;
    }
    if (look.face == FaceKind::Fiend) {
      polygon(img, {{X(ex - 0.12f), Y(eyeY - (side ? 0.02f : 0.08f))}, {X(ex + 0.12f), Y(eyeY - (side ? 0.08f : 0.02f))}, {X(ex), Y(eyeY + 0.06f)}}, pupil);
      continue;
    }
    float r = eyeR * (look.face == FaceKind::Zombie && side ? 1.3f : 1.0f);
    fillEllipse(img, X(ex), Y(eyeY), r * 1.2f, r, 0, eyeWhite);
    fillCircle(img, X(ex + 0.01f), Y(eyeY), r * 0.55f, pupil);
    if (detail && look.face != FaceKind::NinjaMask)
      line(img, X(ex - 0.1f), Y(eyeY - 0.1f), X(ex + 0.1f), Y(eyeY - 0.12f + 0.04f * side), lw * 1.5f, darker(look.hair, 0.8f));
  }
  if (look.face == FaceKind::NinjaMask) return;
  // Nose and mouth.
  line(img, X(0.5f), Y(0.5f), X(0.47f), Y(0.62f), lw, darker(look.skinTone, 0.7f));
  switch (look.face) {
    case FaceKind::Zombie:
      polyline(img, {{X(0.3f), Y(0.78f)}, {X(0.4f), Y(0.74f)}, {X(0.5f), Y(0.8f)}, {X(0.6f), Y(0.74f)}, {X(0.7f), Y(0.79f)}}, lw * 1.5f, rgb(60, 20, 20));
      line(img, X(0.15f), Y(0.6f), X(0.3f), Y(0.68f), lw, rgb(80, 40, 40));         // stitches
      for (float sx : {0.18f, 0.23f, 0.28f})
        line(img, X(sx), Y(0.58f), X(sx + 0.02f), Y(0.7f), lw * 0.7f, rgb(80, 40, 40));
      break;
    case FaceKind::Fiend:
      line(img, X(0.3f), Y(0.76f), X(0.7f), Y(0.76f), lw * 1.5f, rgb(40, 0, 0));
      polygon(img, {{X(0.36f), Y(0.76f)}, {X(0.42f), Y(0.76f)}, {X(0.39f), Y(0.86f)}}, rgb(250, 250, 230));
      polygon(img, {{X(0.58f), Y(0.76f)}, {X(0.64f), Y(0.76f)}, {X(0.61f), Y(0.86f)}}, rgb(250, 250, 230));
      break;
    case FaceKind::Beard:
      fillEllipse(img, X(0.5f), Y(0.72f), w * 0.12f, h * 0.04f, 0, rgb(120, 40, 40));
      break;
    default:
      fillEllipse(img, X(0.5f), Y(0.76f), w * 0.14f, h * 0.045f, 0, rgb(170, 60, 60));
      break;
  }
}

Image paintPortrait(const Look& look) {
  Image img(128, 128);
  vgradient(img, 0, 0, 128, 128, look.backdrop, darker(look.backdrop, 0.35f));
  uint32_t seed = static_cast<uint32_t>(seedOf(look.skin));
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      float n = fbm(x / 24.0f, y / 24.0f, seed, 3) * 0.25f;
      img.put(x, y, {1, 1, 1, 1}, n * 0.3f, Blend::Add);
    }
  if (look.face == FaceKind::Static) {
    paintFace(img, 0, 0, 128, 128, look, 1);
    return img;
  }
  const float cx = 64, cy = 62, rx = 29, ry = 35;
  // Hair behind the head.
  switch (look.hairStyle) {
    case Hair::Long: fillRoundRect(img, cx - rx - 6, cy - ry, cx + rx + 6, cy + ry + 22, 16, look.hair); break;
    case Hair::Afro: fillCircle(img, cx, cy - 14, 50, look.hair); break;
    case Hair::Bun: fillCircle(img, cx, cy - ry - 6, 15, look.hair); break;
    default: break;
  }
  if (look.headwear == Headwear::Hood) fillEllipse(img, cx, cy, rx + 10, ry + 10, 0, look.shirt);
  // Shoulders and neck.
  fillEllipse(img, cx, 136, 62, 34, 0, look.shirt);
  fillEllipse(img, cx, 122, 14, 12, 0, look.face == FaceKind::NinjaMask ? look.shirt : darker(look.skinTone, 0.85f));
  fillRect(img, cx - 11, cy + 20, cx + 11, 112, darker(look.skinTone, 0.85f));
  polygon(img, {{cx - 10, 106}, {cx, 124}, {cx + 10, 106}}, look.accent);   // collar / tie
  // Head and ears.
  fillEllipse(img, cx - rx, cy + 2, 6, 9, 0, darker(look.skinTone, 0.9f));
  fillEllipse(img, cx + rx, cy + 2, 6, 9, 0, darker(look.skinTone, 0.9f));
  fillEllipse(img, cx, cy, rx, ry, 0, look.skinTone);
  // Hair on top.
  switch (look.hairStyle) {
    case Hair::Short: case Hair::Long: case Hair::Bun:
      fillEllipse(img, cx, cy - ry + 10, rx + 1, 16, 0, look.hair);
      break;
    case Hair::Spiky:
      for (int i = 0; i < 7; ++i) {
        float a = -2.6f + i * 0.35f;
        polygon(img, {{cx + 24 * std::cos(a - 0.25f), cy - 18 + 24 * std::sin(a - 0.25f)}, {cx + 48 * std::cos(a), cy - 14 + 48 * std::sin(a)}, {cx + 24 * std::cos(a + 0.25f), cy - 18 + 24 * std::sin(a + 0.25f)}}, look.hair);
      }
      fillEllipse(img, cx, cy - ry + 12, rx, 15, 0, look.hair);
      break;
    case Hair::Mohawk:
      fillRoundRect(img, cx - 6, cy - ry - 22, cx + 6, cy - ry + 14, 5, look.hair);
      break;
    case Hair::Afro:
      fillEllipse(img, cx, cy - ry + 6, rx + 6, 14, 0, look.hair);
      break;
    case Hair::Bald:
      fillEllipse(img, cx - 10, cy - ry + 12, 8, 4, -0.4f, {1, 1, 1, 0.25f});
      break;
  }
  paintFace(img, cx - rx, cy - ry + 8, cx + rx, cy + ry, look, 1);
  // Headwear over everything.
  switch (look.headwear) {
    case Headwear::Cap:
      fillEllipse(img, cx, cy - ry + 8, rx + 2, 14, 0, look.accent);
      fillRect(img, cx - rx - 2, cy - ry + 8, cx + rx + 2, cy - ry + 14, look.accent);
      fillEllipse(img, cx, cy - ry + 15, rx + 10, 5, 0, darker(look.accent, 0.7f));
      break;
    case Headwear::Fedora:
      fillEllipse(img, cx, cy - ry + 10, rx + 18, 7, 0, darker(look.shirt, 0.6f));
      fillRoundRect(img, cx - rx + 4, cy - ry - 16, cx + rx - 4, cy - ry + 10, 8, darker(look.shirt, 0.6f));
      fillRect(img, cx - rx + 4, cy - ry + 2, cx + rx - 4, cy - ry + 7, look.accent);
      break;
    case Headwear::Tricorn:
      polygon(img, {{cx - rx - 16, cy - ry + 12}, {cx, cy - ry - 20}, {cx + rx + 16, cy - ry + 12}, {cx, cy - ry + 4}}, rgb(35, 25, 20));
      fillCircle(img, cx, cy - ry - 2, 4, look.accent);
      break;
    case Headwear::Helmet:
      fillEllipse(img, cx, cy - ry + 10, rx + 4, 20, 0, look.shirt);
      fillRect(img, cx - rx - 4, cy - ry + 10, cx + rx + 4, cy - ry + 16, darker(look.shirt, 0.7f));
      polygon(img, {{cx - 5, cy - ry - 6}, {cx, cy - ry - 26}, {cx + 5, cy - ry - 6}}, look.accent);   // crest
      break;
    case Headwear::Horns:
      polygon(img, {{cx - 22, cy - ry + 10}, {cx - 38, cy - ry - 24}, {cx - 12, cy - ry + 4}}, look.accent);
      polygon(img, {{cx + 22, cy - ry + 10}, {cx + 38, cy - ry - 24}, {cx + 12, cy - ry + 4}}, look.accent);
      break;
    case Headwear::Antenna:
      line(img, cx + 14, cy - ry + 4, cx + 22, cy - ry - 22, 2.5f, rgb(60, 60, 70));
      fillCircle(img, cx + 22, cy - ry - 23, 4, look.accent);
      glow(img, cx + 22, cy - ry - 23, 12, look.accent, 2);
      break;
    case Headwear::Headband:
      for (int k = 0; k < 2; ++k)
        line(img, cx + rx - 4, cy - ry + 22, cx + rx + 14, cy - ry + 30 + 10 * k, 4, look.accent);
      break;
    default:
      break;
  }
  // Faction stripe at the bottom of the frame.
  fillRect(img, 0, 124, 128, 128, darker(look.backdrop, 1.6f));
  return img;
}

Image paintSkin(const Look& look) {
  Image img(128, 128, look.skinTone);
  using namespace skin;
  auto R = [&](Rect r, Rgba c) { fillRect(img, r.u0, r.v0, r.u1, r.v1, c); };
  bool hat = look.headwear == Headwear::Cap || look.headwear == Headwear::Fedora ||
             look.headwear == Headwear::Tricorn || look.headwear == Headwear::Helmet;
  Rgba top = hat ? (look.headwear == Headwear::Helmet ? look.shirt : look.headwear == Headwear::Cap ? look.accent : darker(look.shirt, 0.6f))
                 : (look.hairStyle == Hair::Bald ? look.skinTone : look.hair);
  if (look.face == FaceKind::NinjaMask) top = look.hair;
  // Head.
  paintFace(img, kFace.u0, kFace.v0, kFace.u1, kFace.v1, look, 0);
  R(kHeadTop, top);
  R(kHeadBack, look.hairStyle == Hair::Bald && !hat ? look.skinTone : top);
  if (look.hairStyle == Hair::Long) R(kHeadBack, look.hair);
  R(kHeadSide, look.face == FaceKind::NinjaMask ? look.shirt : look.skinTone);
  fillRect(img, kHeadSide.u0, kHeadSide.v0, kHeadSide.u1, kHeadSide.v0 + 11, top);
  fillEllipse(img, (kHeadSide.u0 + kHeadSide.u1) / 2, 17, 3, 5, 0, darker(look.skinTone, 0.8f));
  if (look.face == FaceKind::Visor) fillRect(img, kHeadSide.u0, 13, kHeadSide.u1, 17, look.accent);
  R(kNeck, look.face == FaceKind::NinjaMask ? look.shirt : look.skinTone);
  // Torso: shirt with collar, buttons, belt and an accent badge.
  R(kTorsoFront, look.shirt);
  polygon(img, {{10, 32}, {16, 42}, {22, 32}}, look.face == FaceKind::NinjaMask ? darker(look.shirt, 0.6f) : look.skinTone);
  for (int i = 0; i < 3; ++i) fillCircle(img, 16, 46 + i * 5, 1.0f, darker(look.shirt, 0.55f));
  fillCircle(img, 24, 44, 3, look.accent);
  fillRect(img, 0, 60, 32, 64, darker(look.trousers, 0.6f));
  R(kTorsoBack, darker(look.shirt, 0.85f));
  fillRect(img, 32, 44, 64, 48, look.accent);
  R(kTorsoSide, darker(look.shirt, 0.9f));
  R(kTorsoTop, look.shirt);
  R(kHips, look.trousers);
  fillRect(img, kHips.u0, kHips.v0, kHips.u1, kHips.v0 + 4, darker(look.trousers, 0.5f));
  fillRect(img, 110, 48, 114, 52, look.accent);   // buckle
  // Limbs.
  bool gloves = look.face == FaceKind::NinjaMask || look.face == FaceKind::Visor || look.headwear == Headwear::Helmet;
  R(kUpperArm, look.shirt);
  R(kForearm, look.shirt);
  fillRect(img, kForearm.u0, kForearm.v0 + 20, kForearm.u1, kForearm.v1, gloves ? look.boots : look.skinTone);
  R(kHand, gloves ? look.boots : look.skinTone);
  R(kThigh, look.trousers);
  R(kShin, darker(look.trousers, 0.92f));
  fillRect(img, kShin.u0, kShin.v0 + 22, kShin.u1, kShin.v1, look.boots);
  R(kFoot, look.boots);
  // Accessories: hair or hat stuff, and the accent (metal, beak, horns, band).
  R(kAccent1, look.hair);
  R(kAccent2, look.accent);
  for (int i = 0; i < 6; ++i)
    line(img, kAccent1.u0 + 4 + i * 10, kAccent1.v0, kAccent1.u0 + 8 + i * 10, kAccent1.v1, 1.5f, darker(look.hair, 0.75f));
  grain(img, 0, 32, 128, 128, static_cast<uint32_t>(seedOf(look.skin)), 0.06f);
  img.clamp();
  return img;
}
