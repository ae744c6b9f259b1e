// Interface sheets and HUD pictures, laid out in the cells the interface code reads:
// icons_w.dds, weapons.dds, rsc.dds, parts\parts1-2.dds, arrows.dds, the three nine-slice
// panels, pointer.dds, gas.dds, tinygrad.dds, target.bmp, point.bmp, bar.bmp, the aim markers,
// the title logo halves and the fifteen grey shades.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/Painter.h"
#include "tools/contentgen/TrueTypeFont.h"

namespace {

const Rgba kWhite{1, 1, 1, 1}, kInk = rgb(30, 30, 40);

Image clear(int w, int h) { return Image(w, h, {1, 1, 1, 0}); }

// Pictograms drawn in a square cell (x, y, size) in colour c.
void pictoGear(Image& img, float x, float y, float s, Rgba c) {
  float cx = x + s / 2, cy = y + s / 2;
  for (int k = 0; k < 8; ++k) {
    float a = 0.785f * k;
    line(img, cx, cy, cx + s * 0.42f * std::cos(a), cy + s * 0.42f * std::sin(a), s * 0.14f, c);
  }
  fillCircle(img, cx, cy, s * 0.32f, c);
  fillCircle(img, cx, cy, s * 0.12f, {0, 0, 0, 0}, Blend::Replace);
}
void pictoBullet(Image& img, float x, float y, float s, Rgba c) {
  fillRoundRect(img, x + s * 0.38f, y + s * 0.3f, x + s * 0.62f, y + s * 0.9f, s * 0.04f, c);
  fillEllipse(img, x + s * 0.5f, y + s * 0.3f, s * 0.12f, s * 0.22f, 0, c);
}
void pictoPump(Image& img, float x, float y, float s, Rgba c) {
  fillRoundRect(img, x + s * 0.18f, y + s * 0.12f, x + s * 0.6f, y + s * 0.92f, s * 0.06f, c);
  fillRect(img, x + s * 0.26f, y + s * 0.22f, x + s * 0.52f, y + s * 0.42f, {0, 0, 0, 0}, Blend::Replace);
  polyline(img, {{x + s * 0.6f, y + s * 0.3f}, {x + s * 0.8f, y + s * 0.4f}, {x + s * 0.8f, y + s * 0.75f}}, s * 0.07f, c);
}
void pictoBowl(Image& img, float x, float y, float s, Rgba c) {
  polygon(img, {{x + s * 0.1f, y + s * 0.5f}, {x + s * 0.9f, y + s * 0.5f}, {x + s * 0.7f, y + s * 0.85f}, {x + s * 0.3f, y + s * 0.85f}}, c);
  line(img, x + s * 0.55f, y + s * 0.45f, x + s * 0.85f, y + s * 0.1f, s * 0.06f, c);
  line(img, x + s * 0.65f, y + s * 0.45f, x + s * 0.95f, y + s * 0.14f, s * 0.06f, c);
}
void pictoCart(Image& img, float x, float y, float s, Rgba c) {
  polygon(img, {{x + s * 0.2f, y + s * 0.3f}, {x + s * 0.9f, y + s * 0.3f}, {x + s * 0.8f, y + s * 0.65f}, {x + s * 0.3f, y + s * 0.65f}}, c);
  line(img, x + s * 0.05f, y + s * 0.18f, x + s * 0.22f, y + s * 0.3f, s * 0.07f, c);
  fillCircle(img, x + s * 0.35f, y + s * 0.8f, s * 0.08f, c);
  fillCircle(img, x + s * 0.75f, y + s * 0.8f, s * 0.08f, c);
}
void pictoDollar(Image& img, float x, float y, float s, Rgba c) {
  boldFont().drawCentred(img, "$", x + s / 2, y + s / 2, s * 0.95f, c);
}
void pictoShip(Image& img, float x, float y, float s, Rgba c) {
  polygon(img, {{x + s * 0.5f, y + s * 0.08f}, {x + s * 0.85f, y + s * 0.85f}, {x + s * 0.5f, y + s * 0.68f}, {x + s * 0.15f, y + s * 0.85f}}, c);
}
void pictoRadar(Image& img, float x, float y, float s, Rgba c) {
  ring(img, x + s / 2, y + s / 2, s * 0.38f, s * 0.08f, c);
  ring(img, x + s / 2, y + s / 2, s * 0.18f, s * 0.07f, c);
  line(img, x + s / 2, y + s / 2, x + s * 0.85f, y + s * 0.2f, s * 0.07f, c);
}
void label(Image& img, const std::string& text, float cx, float cy, float maxW, float size, Rgba c) {
  const TrueTypeFont& f = boldFont();
  float w = f.textWidth(text, size);
  if (w > maxW) size *= maxW / w;
  f.drawCentred(img, text, cx, cy, size, c);
}

Image iconsW() {
  Image img = clear(256, 256);
  const Rgba ic = rgb(235, 235, 240);
  // Service icons along the top row.
  pictoBowl(img, 0, 0, 32, ic);
  pictoGear(img, 32, 0, 32, ic);
  pictoBullet(img, 64, 0, 32, ic);
  pictoPump(img, 96, 0, 32, ic);
  pictoCart(img, 128, 0, 32, ic);
  pictoDollar(img, 160, 0, 32, ic);
  pictoShip(img, 192, 0, 32, ic);
  pictoRadar(img, 224, 0, 32, ic);
  // Check box and mark, radio box and mark.
  fillRoundRect(img, 4, 36, 28, 60, 3, rgb(240, 240, 240));
  fillRoundRect(img, 7, 39, 25, 57, 2, rgb(60, 60, 80), Blend::Replace);
  polyline(img, {{38, 48}, {45, 56}, {59, 38}}, 4, rgb(120, 255, 120));
  fillCircle(img, 80, 48, 12, rgb(240, 240, 240));
  fillCircle(img, 80, 48, 9, rgb(60, 60, 80), Blend::Replace);
  fillCircle(img, 112, 48, 6, rgb(120, 255, 120));
  // Save disk.
  fillRoundRect(img, 134, 38, 186, 90, 4, rgb(60, 110, 220));
  fillRect(img, 146, 38, 174, 56, rgb(220, 220, 225));
  fillRect(img, 165, 41, 171, 53, rgb(60, 110, 220));
  fillRoundRect(img, 142, 64, 178, 88, 2, rgb(245, 245, 245));
  for (int k = 0; k < 3; ++k) line(img, 146, 70.0f + 6 * k, 174, 70.0f + 6 * k, 1, rgb(150, 150, 160));
  // Locked area: padlock under a red cross.
  fillRoundRect(img, 206, 62, 242, 90, 4, rgb(230, 190, 60));
  ring(img, 224, 60, 11, 5, rgb(200, 200, 210));
  fillRect(img, 208, 60, 240, 63, {0, 0, 0, 0}, Blend::Replace);
  fillRoundRect(img, 206, 62, 242, 90, 4, rgb(230, 190, 60));
  fillCircle(img, 224, 74, 4, kInk);
  line(img, 198, 38, 250, 90, 6, rgb(230, 30, 30));
  line(img, 250, 38, 198, 90, 6, rgb(230, 30, 30));
  // Combo panel, tinted by the code in its flashing colour: a white rim round a dark body, so the
  // tint shows in the rim and the combo's texts stand out on the body; the white texel at
  // (128, 192) that the gauges and bars stretch sits in a small block at its centre.
  fillRoundRect(img, 2, 130, 254, 254, 18, rgb(255, 255, 255));
  fillRoundRect(img, 7, 135, 249, 249, 14, rgb(110, 110, 110), Blend::Replace);
  fillRoundRect(img, 10, 138, 246, 246, 12, rgb(16, 16, 16, 0.97f), Blend::Replace);
  for (int k = 0; k < 6; ++k) fillCircle(img, 30.0f + 39 * k, 146, 3, rgb(230, 230, 230));
  fillRect(img, 126, 190, 131, 195, kWhite, Blend::Replace);
  return img;
}

// Secondary weapons 0..7 (missile .. dark) and their ammunition (cells 8..15).
void weaponPicto(Image& img, int w, float x, float y, float s, Rgba c) {
  float cx = x + s / 2, cy = y + s / 2;
  switch (w) {
    case 0:   // missile
      fillRoundRect(img, cx - s * 0.08f, cy - s * 0.3f, cx + s * 0.08f, cy + s * 0.3f, s * 0.05f, c);
      polygon(img, {{cx - s * 0.08f, cy - s * 0.3f}, {cx, cy - s * 0.45f}, {cx + s * 0.08f, cy - s * 0.3f}}, c);
      polygon(img, {{cx - s * 0.08f, cy + s * 0.15f}, {cx - s * 0.2f, cy + s * 0.35f}, {cx - s * 0.08f, cy + s * 0.3f}}, c);
      polygon(img, {{cx + s * 0.08f, cy + s * 0.15f}, {cx + s * 0.2f, cy + s * 0.35f}, {cx + s * 0.08f, cy + s * 0.3f}}, c);
      break;
    case 1:   // torpedo
      fillEllipse(img, cx, cy, s * 0.14f, s * 0.36f, 0, c);
      ring(img, cx, cy - s * 0.2f, s * 0.16f, s * 0.04f, rgb(90, 230, 255));
      break;
    case 2:   // crossbow
      line(img, cx, cy - s * 0.35f, cx, cy + s * 0.35f, s * 0.07f, c);
      polyline(img, {{cx - s * 0.35f, cy}, {cx, cy - s * 0.2f}, {cx + s * 0.35f, cy}}, s * 0.06f, c);
      break;
    case 3:   // shotgun
      line(img, cx - s * 0.06f, cy - s * 0.38f, cx - s * 0.06f, cy + s * 0.1f, s * 0.08f, c);
      line(img, cx + s * 0.06f, cy - s * 0.38f, cx + s * 0.06f, cy + s * 0.1f, s * 0.08f, c);
      fillRoundRect(img, cx - s * 0.12f, cy + s * 0.05f, cx + s * 0.12f, cy + s * 0.4f, s * 0.04f, rgb(170, 110, 60));
      break;
    case 4:   // sniper
      line(img, cx, cy - s * 0.42f, cx, cy + s * 0.4f, s * 0.04f, c);
      ring(img, cx, cy, s * 0.2f, s * 0.04f, rgb(120, 255, 120));
      line(img, cx - s * 0.2f, cy, cx + s * 0.2f, cy, s * 0.03f, rgb(120, 255, 120));
      break;
    case 5:   // neutron
      fillCircle(img, cx, cy, s * 0.12f, rgb(120, 255, 120));
      for (int k = 0; k < 3; ++k) {
        float a = 1.047f * k;
        for (int i = 0; i < 48; ++i) {
          float t = 6.2831853f * i / 48, t2 = 6.2831853f * (i + 1) / 48;
          float ex = s * 0.38f * std::cos(t), ey = s * 0.12f * std::sin(t);
          float fx = s * 0.38f * std::cos(t2), fy = s * 0.12f * std::sin(t2);
          line(img, cx + ex * std::cos(a) - ey * std::sin(a), cy + ex * std::sin(a) + ey * std::cos(a),
               cx + fx * std::cos(a) - fy * std::sin(a), cy + fx * std::sin(a) + fy * std::cos(a), s * 0.035f, c);
        }
      }
      break;
    case 6: {  // heart
      std::vector<Vec2> p;
      for (int i = 0; i < 40; ++i) {
        float t = 6.2831853f * i / 40;
        float hx = 16 * std::pow(std::sin(t), 3.0f);
        float hy = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
        p.push_back({cx + hx * s * 0.022f, cy - hy * s * 0.022f});
      }
      polygon(img, p, rgb(255, 80, 140));
      break;
    }
    default:  // dark: a black sun with violet rays
      for (int k = 0; k < 8; ++k) {
        float a = 0.785f * k;
        line(img, cx, cy, cx + s * 0.4f * std::cos(a), cy + s * 0.4f * std::sin(a), s * 0.05f, rgb(190, 90, 255));
      }
      fillCircle(img, cx, cy, s * 0.22f, rgb(20, 10, 30));
      ring(img, cx, cy, s * 0.22f, s * 0.04f, rgb(190, 90, 255));
      break;
  }
}

Image weaponsSheet() {
  Image img = clear(256, 256);
  const char* names[8] = {"MISSILE", "TORPEDO", "XBOW", "SHOTTY", "SNIPER", "NEUTRON", "HEART", "DARK"};
  for (int c = 0; c < 16; ++c) {
    float x = (c % 4) * 64.0f, y = (c / 4) * 64.0f;
    int w = c % 8;
    bool ammo = c >= 8;
    fillRoundRect(img, x + 3, y + 3, x + 61, y + 61, 8, ammo ? rgb(60, 50, 30, 0.8f) : rgb(30, 40, 70, 0.8f));
    weaponPicto(img, w, x + (ammo ? 14 : 8), y + (ammo ? 4 : 2), ammo ? 36.0f : 48.0f, rgb(230, 230, 235));
    if (ammo) {
      fillRoundRect(img, x + 10, y + 38, x + 54, y + 50, 2, rgb(200, 170, 60));
      label(img, "AMMO", x + 32, y + 44, 40, 10, kInk);
    }
    // The name keeps clear of the cell's bottom-left corner, where the stores write the count.
    label(img, names[w], x + 41, y + 56, 38, 9, rgb(255, 255, 255));
  }
  return img;
}

Image rscSheet() {
  Image img = clear(256, 256);
  const char* names[8] = {"TAPES", "BANANAS", "KITTENS", "DAIRY", "PILLS", "CLOTHES", "PAPER", "CHEMICALS"};
  for (int k = 0; k < 8; ++k) {
    float x = (k % 4) * 64.0f, y = (k / 4) * 64.0f, cx = x + 32, cy = y + 26;
    fillRoundRect(img, x + 3, y + 3, x + 61, y + 61, 8, rgb(60, 45, 25, 0.85f));
    switch (k) {
      case 0:
        fillRoundRect(img, cx - 20, cy - 12, cx + 20, cy + 12, 3, rgb(40, 40, 45));
        fillCircle(img, cx - 9, cy - 2, 5, rgb(240, 240, 240));
        fillCircle(img, cx + 9, cy - 2, 5, rgb(240, 240, 240));
        fillRect(img, cx - 14, cy + 5, cx + 14, cy + 10, rgb(230, 80, 60));
        break;
      case 1:
        for (int b = 0; b < 3; ++b) {
          std::vector<Vec2> p;
          for (int i = 0; i <= 12; ++i) {
            float t = -1.0f + i / 6.0f;
            p.push_back({cx - 16 + i * 2.7f + b * 3, cy + 4 - 12 * (1 - t * t) + b * 3});
          }
          polyline(img, p, 6, rgb(250, 220, 50));
        }
        break;
      case 2:
        fillCircle(img, cx, cy + 2, 14, rgb(240, 150, 60));
        polygon(img, {{cx - 14, cy - 2}, {cx - 12, cy - 18}, {cx - 3, cy - 10}}, rgb(240, 150, 60));
        polygon(img, {{cx + 14, cy - 2}, {cx + 12, cy - 18}, {cx + 3, cy - 10}}, rgb(240, 150, 60));
        fillCircle(img, cx - 5, cy, 2, kInk);
        fillCircle(img, cx + 5, cy, 2, kInk);
        line(img, cx - 3, cy + 7, cx + 3, cy + 7, 1.5f, kInk);
        break;
      case 3:
        polygon(img, {{cx - 10, cy - 8}, {cx, cy - 18}, {cx + 10, cy - 8}, {cx + 10, cy + 16}, {cx - 10, cy + 16}}, rgb(245, 245, 250));
        fillRect(img, cx - 10, cy, cx + 10, cy + 8, rgb(60, 120, 230));
        break;
      case 4:
        fillRoundRect(img, cx - 18, cy - 7, cx + 18, cy + 7, 7, rgb(240, 60, 60));
        fillRoundRect(img, cx, cy - 7, cx + 18, cy + 7, 7, rgb(245, 245, 245));
        fillRect(img, cx, cy - 7, cx + 6, cy + 7, rgb(245, 245, 245));
        break;
      case 5:
        polygon(img, {{cx - 8, cy - 14}, {cx + 8, cy - 14}, {cx + 20, cy - 6}, {cx + 14, cy + 2}, {cx + 10, cy - 2},
                      {cx + 10, cy + 16}, {cx - 10, cy + 16}, {cx - 10, cy - 2}, {cx - 14, cy + 2}, {cx - 20, cy - 6}},
                rgb(80, 160, 240));
        break;
      case 6:
        for (int p = 0; p < 3; ++p) fillRect(img, cx - 14 + p * 3, cy - 14 + p * 3, cx + 10 + p * 3, cy + 14 + p * 3, rgb(240, 240, 230 - p * 20));
        break;
      default:
        polygon(img, {{cx - 5, cy - 16}, {cx + 5, cy - 16}, {cx + 5, cy - 4}, {cx + 15, cy + 14}, {cx - 15, cy + 14}, {cx - 5, cy - 4}}, rgb(220, 240, 230));
        polygon(img, {{cx - 9, cy + 4}, {cx + 9, cy + 4}, {cx + 15, cy + 14}, {cx - 15, cy + 14}}, rgb(120, 255, 80));
        break;
    }
    label(img, names[k], x + 32, y + 54, 56, 11, rgb(255, 255, 255));
  }
  return img;
}

// Part icon i (0..29) with its label.
Image partsSheet(int sheet) {
  static const char* const labels[30] = {
      "PLASMA", "LASER", "VULCAN", "ROCKET", "BEAM", "SHIELD+", "FUEL X2", "ARMOR G", "ARMOR X", "ARMOR M",
      "CANNON", "PHOTON", "NEUTRON", "CAPACITOR", "AGILITY", "SHIELD X2", "BOOST+", "ACCEL", "CHARGER", "TRACTOR+",
      "REFUEL", "HUD 2.0", "AUTOSAVE", "SIPHON", "JAMMER", "ESCAPER", "ROBOFIX", "ROBOLOAD", "SHURIKEN", "PLASMODER"};
  static const Rgba colours[6] = {rgb(255, 90, 90), rgb(90, 200, 255), rgb(120, 255, 120),
                                  rgb(255, 200, 80), rgb(220, 120, 255), rgb(240, 240, 240)};
  Image img = clear(256, 256);
  for (int i = sheet * 16; i < std::min(30, sheet * 16 + 16); ++i) {
    float x = (i % 4) * 64.0f, y = ((i / 4) % 4) * 64.0f;
    Rgba c = colours[i % 6];
    fillRoundRect(img, x + 3, y + 3, x + 61, y + 61, 8, rgb(35, 40, 55, 0.85f));
    float px = x + 14, py = y + 6, s = 36;
    if (i <= 4 || (i >= 10 && i <= 12) || i == 28 || i == 29) {   // weapons: a barrel and a muzzle flash
      fillRoundRect(img, px + 4, py + 14, px + s - 8, py + 24, 3, rgb(170, 175, 190));
      glow(img, px + s - 6, py + 19, 12, c, 1.2f, Blend::Over);
      fillRect(img, px + 8, py + 22, px + 14, py + 32, rgb(120, 120, 130));
    } else if ((i >= 5 && i <= 9) || i == 15 || i == 18) {          // shields and armour: a shield
      polygon(img, {{px + 6, py + 4}, {px + s - 6, py + 4}, {px + s - 6, py + 18}, {px + s / 2, py + s}, {px + 6, py + 18}}, c);
      polygon(img, {{px + 11, py + 9}, {px + s - 11, py + 9}, {px + s - 11, py + 18}, {px + s / 2, py + s - 8}, {px + 11, py + 18}}, scaled(c, 0.6f));
    } else if (i == 21 || i == 22 || i == 24) {                    // electronics: a chip
      fillRect(img, px + 8, py + 8, px + s - 8, py + s - 8, rgb(40, 120, 60));
      for (int k = 0; k < 4; ++k) {
        fillRect(img, px + 10 + k * 5, py + 4, px + 12 + k * 5, py + 8, rgb(220, 200, 80));
        fillRect(img, px + 10 + k * 5, py + s - 8, px + 12 + k * 5, py + s - 4, rgb(220, 200, 80));
      }
      fillCircle(img, px + s / 2, py + s / 2, 4, c);
    } else {                                                       // engines and gadgets: a gear
      pictoGear(img, px, py, s, c);
    }
    label(img, labels[i], x + 32, y + 53, 56, 10, rgb(255, 255, 255));
  }
  return img;
}

// Nine-slice panels: 64 x 64 pictures of one rounded box whose four 21-pixel corners, one-pixel
// edge strips (column or row 32) and centre the interface stretches over any rectangle. The rim is
// light; what lies more than a few pixels inside it is dark enough that the game's white, yellow,
// green, red and grey texts stand out on it by at least 4.5:1 (grey 120 needs a ground of
// relative luminance below 0.003). The two tinted ones are white where the tint is to show.
struct PanelStyle {
  Rgba rim;            // outermost band, rimWidth pixels
  float rimWidth;
  Rgba bevel;          // the band inside the rim, bevelWidth pixels
  float bevelWidth;
  Rgba fill;           // everything further in (alpha 0: see-through)
  Rgba sheen;          // a highlight across the top rows (alpha 0: none)
  float sheenRows;     // rows below the rim it fades over
};

// Distance (pixels) of point (x, y) inside the rounded box [0, s] x [0, s] of corner radius r from
// its edge; negative outside.
float insideDistance(float x, float y, float s, float r) {
  const float qx = std::min(x, s - x), qy = std::min(y, s - y);
  if (qx < r && qy < r) {
    const float dx = r - qx, dy = r - qy;
    return r - std::sqrt(dx * dx + dy * dy);
  }
  return std::min(qx, qy);
}

Image panel(const PanelStyle& st) {
  constexpr float Size = 63, Radius = 14;  // columns and rows 0..62 are sampled
  Image img(64, 64, {st.rim.r, st.rim.g, st.rim.b, 0});
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const float d = insideDistance(x + 0.5f, y + 0.5f, Size, Radius);
      if (d <= -0.5f) continue;
      // Bands blended over one pixel each, so the rounded corners stay smooth.
      Rgba inner = st.fill;
      if (st.sheen.a > 0 && y + 0.5f < st.rimWidth + st.bevelWidth + st.sheenRows) {
        const float t = (y + 0.5f - st.rimWidth - st.bevelWidth) / st.sheenRows;
        inner = mix(st.sheen, st.fill, std::clamp(t, 0.0f, 1.0f));
      }
      Rgba c = mix(st.bevel, inner, std::clamp(d - st.rimWidth - st.bevelWidth + 0.5f, 0.0f, 1.0f));
      c = mix(st.rim, c, std::clamp(d - st.rimWidth + 0.5f, 0.0f, 1.0f));
      c.a *= std::clamp(d + 0.5f, 0.0f, 1.0f);
      if (c.a <= 0) c = {st.rim.r, st.rim.g, st.rim.b, 0};
      img.at(x, y) = c;
    }
  return img;
}

// rounded.dds, drawn white: a near-black navy body (opaque) inside a pale blue rim.
Image plainPanel() {
  return panel({rgb(196, 210, 240), 1.5f, rgb(64, 78, 112), 1.5f, rgb(4, 6, 14), {0, 0, 0, 0}, 0});
}

// roundedw.dds, the buttons, drawn in their state's tint: a white rim and a body dark enough for
// the held button's caption (120, 120, 200) on its tint (160, 160, 200), with a sheen across the
// top that stays above the caption.
Image buttonPanel() {
  return panel({rgb(255, 255, 255), 2.0f, rgb(150, 150, 150), 1.0f, rgb(28, 28, 28), rgb(120, 120, 120), 7});
}

// roundedl.dds, the tinted overlay drawn over (or under) a plain panel: only a white frame with a
// fading inner glow, clear inside, so the tint shows as the colour of the panel's frame and never
// greys the text on it.
Image tintPanel() {
  return panel({rgb(255, 255, 255), 2.5f, rgb(255, 255, 255, 0.45f), 2.0f, rgb(255, 255, 255, 0), {0, 0, 0, 0}, 0});
}

Image arrows() {
  Image img = clear(64, 64);
  const Rgba c = rgb(230, 230, 255);
  auto tri = [&](float cx, float cy, float a) {
    std::vector<Vec2> p;
    for (int k = 0; k < 3; ++k) {
      float t = a + 2.094f * k;
      p.push_back({cx + 12 * std::cos(t), cy + 12 * std::sin(t)});
    }
    fillCircle(img, cx, cy, 15, rgb(40, 50, 110, 0.8f));
    polygon(img, p, c);
  };
  tri(16, 16, -1.5708f);   // up
  tri(16, 48, 1.5708f);    // down
  tri(48, 48, 3.1416f);    // left
  tri(48, 16, 0.0f);       // right
  return img;
}

Image pointer() {
  Image img = clear(32, 32);
  std::vector<Vec2> p = {{1, 1}, {1, 24}, {7, 18}, {12, 28}, {16, 26}, {11, 17}, {19, 17}};
  polygon(img, p, rgb(20, 20, 30));
  std::vector<Vec2> q = {{3, 5}, {3, 20}, {7.5f, 15.5f}, {12.5f, 25}, {13.5f, 24.5f}, {9, 15}, {15, 15}};
  polygon(img, q, rgb(250, 250, 255));
  return img;
}

Image gasIcon() {
  Image img = clear(64, 64);
  pictoPump(img, 0, 0, 32, kWhite);
  return img;
}

Image tinyGrad() {
  Image img = clear(32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      float d = std::fabs((y % 8) + 0.5f - 4) / 4;
      img.at(x, y) = {1, 1, 1, std::pow(1 - d, 1.5f)};
    }
  return img;
}

Image targetBracket() {
  Image img(256, 256);
  const Rgba c = rgb(255, 255, 255);
  // Each quarter holds one corner of the bracket, pointing at the picture's corner.
  for (int qx = 0; qx < 2; ++qx)
    for (int qy = 0; qy < 2; ++qy) {
      float x = qx ? 256 - 16.0f : 16.0f, y = qy ? 256 - 16.0f : 16.0f;
      float dx = qx ? -1.0f : 1.0f, dy = qy ? -1.0f : 1.0f;
      line(img, x, y, x + dx * 90, y, 16, c);
      line(img, x, y, x, y + dy * 90, 16, c);
    }
  return img;
}

Image pointArrow() {
  Image img(64, 64);
  polygon(img, {{32, 2}, {58, 40}, {40, 36}, {40, 62}, {24, 62}, {24, 36}, {6, 40}}, rgb(255, 255, 255));
  return img;
}

// One segment of the HUD's arc gauges, drawn additively in the gauge's colour: 41 of them lie
// along each arc 2.4 to 3.9 pixels apart, each an 11-pixel square, so many overlap. Across the
// arc (x) the segment is a rounded bar; along it (y) its light falls off in a triangle three
// pixels to either side, so overlapping segments add up to about the gauge's own colour (no
// washed-out yellow from a summed orange) and still show as separate teeth.
Image barSegment() {
  Image img(32, 32);
  constexpr float HalfAlong = 8.5f;  // texels; the quad maps 32 texels to 11.3 pixels
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const float across = std::clamp(12.5f - std::fabs(x + 0.5f - 16), 0.0f, 1.0f);
      const float along = std::max(0.0f, 1 - std::fabs(y + 0.5f - 16) / HalfAlong);
      const float v = across * along;
      img.at(x, y) = {v, v, v, 1};
    }
  return img;
}

Image crosshair(int k) {
  Image img(64, 64);
  Rgba c = k == 0 ? rgb(255, 90, 90) : k == 1 ? rgb(90, 255, 120) : rgb(120, 170, 255);
  ring(img, 32, 32, 22 - k * 4.0f, 3, c);
  for (int i = 0; i < 4; ++i) {
    float a = 1.5708f * i + (k == 2 ? 0.785f : 0);
    line(img, 32 + 12 * std::cos(a), 32 + 12 * std::sin(a), 32 + 30 * std::cos(a), 32 + 30 * std::sin(a), 3, c);
  }
  fillCircle(img, 32, 32, 2, rgb(255, 255, 255));
  return img;
}

// Title logo, 512 x 256, cut into two halves.
Image logo() {
  Image img = clear(512, 256);
  // A big throwing star behind the name.
  std::vector<Vec2> star;
  for (int k = 0; k < 8; ++k) {
    float a = -1.5708f + k * 0.7854f, r = k % 2 ? 40.0f : 120.0f;
    star.push_back({256 + r * std::cos(a), 128 + r * std::sin(a)});
  }
  polygon(img, star, rgb(150, 160, 190, 0.9f));
  fillCircle(img, 256, 128, 18, rgb(40, 40, 60));
  const TrueTypeFont& f = boldFont();
  const std::string name = "QUORVEX";
  float size = 150, w = f.textWidth(name, size);
  size *= 480 / w;
  Image text = clear(512, 256);
  f.drawCentred(text, name, 256, 128, size, rgb(255, 255, 255), Blend::Replace);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 512; ++x) {
      float a = text.at(x, y).a;
      if (a <= 0) continue;
      float t = y / 255.0f;
      Rgba c = mix(rgb(255, 230, 80), rgb(230, 60, 30), t);
      // Dark outline: sample neighbours.
      img.put(x, y, c, a, Blend::Over);
    }
  // Outline ring of the lettering.
  Image outline = clear(512, 256);
  for (int y = 2; y < 254; ++y)
    for (int x = 2; x < 510; ++x)
      if (text.at(x, y).a < 0.5f) {
        float m = 0;
        for (int j = -2; j <= 2; ++j)
          for (int i = -2; i <= 2; ++i) m = std::max(m, text.at(x + i, y + j).a);
        if (m > 0.5f) outline.at(x, y) = rgb(20, 15, 30, m);
      }
  img.draw(outline, 0, 0);
  return img;
}

// Shade i (0 darkest .. 14 lightest): black with alpha falling from 255 to 0.
Image shade(int i) {
  return Image(8, 8, {0, 0, 0, (14 - i) / 14.0f});
}

void add(TaskList& tasks, const std::string& name, Image (*paint)()) {
  tasks.push_back({"interface", name, [name, paint](OutputFolder& out) { writeTexture(out, name, paint()); }});
}

}  // namespace

void addInterfaceTasks(TaskList& tasks) {
  add(tasks, "icons_w.dds", iconsW);
  add(tasks, "weapons.dds", weaponsSheet);
  add(tasks, "rsc.dds", rscSheet);
  add(tasks, "arrows.dds", arrows);
  add(tasks, "pointer.dds", pointer);
  add(tasks, "gas.dds", gasIcon);
  add(tasks, "tinygrad.dds", tinyGrad);
  add(tasks, "target.bmp", targetBracket);
  add(tasks, "point.bmp", pointArrow);
  add(tasks, "bar.bmp", barSegment);
  tasks.push_back({"interface", "panels", [](OutputFolder& out) {
                     writeTexture(out, "rounded.dds", plainPanel());
                     writeTexture(out, "roundedw.dds", buttonPanel());
                     writeTexture(out, "roundedl.dds", tintPanel());
                   }});
  tasks.push_back({"interface", "parts", [](OutputFolder& out) {
                     writeTexture(out, "parts\\parts1.dds", partsSheet(0));
                     writeTexture(out, "parts\\parts2.dds", partsSheet(1));
                   }});
  tasks.push_back({"interface", "crosshairs", [](OutputFolder& out) {
                     for (int k = 0; k < 3; ++k) writeTexture(out, "xhair_a_" + std::to_string(k + 1) + ".bmp", crosshair(k));
                   }});
  tasks.push_back({"interface", "logo", [](OutputFolder& out) {
                     Image l = logo();
                     writeTexture(out, "ninjastar1.dds", l.crop(0, 0, 256, 256));
                     writeTexture(out, "ninjastar2.dds", l.crop(256, 0, 256, 256));
                   }});
  tasks.push_back({"interface", "shades", [](OutputFolder& out) {
                     for (int i = 0; i < 15; ++i) writeTexture(out, "shadesofgray\\fade" + std::to_string(i + 1) + ".dds", shade(i));
                   }});
}
