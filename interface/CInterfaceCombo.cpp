// Combos and hit splatter of CInterface: addCombo counts the player's hits and deflections,
// RenderCombo (once per in-flight HUD pass) runs the combo timer, slides the panel in and out at
// the right edge, rates the run and hands out the bonus of each new rating word; getHit starts a
// red splatter mark that RenderHitSplats (first step of every interface pass) draws and ages.
#include <cmath>
#include <string>

#include "audio/soundMod.h"
#include "engine/BillMod.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/RenderMod.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"

namespace {

CShip* comboShip() {
  if (Ships.empty()) return nullptr;
  return Ships[0].get();
}

struct Rating {
  Long minScore;
  const char* word;
  Integer bonus;  // -1 none
};
constexpr Rating Ratings[] = {
    {1000, "smashing combo!!!", 5}, {500, "monster manic!", 4}, {200, "crazy insano!", 3},
    {150, "combolicious!", 2},      {100, "smashtastic!", 1},   {50, "destructozilla!", 0},
    {20, "excellent!", -1},         {10, "nice!", -1},
};

const Rating* ratingOf(Long score) {
  for (const Rating& r : Ratings)
    if (score >= r.minScore) return &r;
  return nullptr;
}

bool evenInt(double v) { return std::fmod(Int(v), 2.0) == 0; }

}  // namespace

void CInterface::getHit() {
  for (HitSplat& s : hitSplats) {
    if (s.life > 0) continue;
    s.life = 1.0f;
    for (size_t k = 0; k < s.x.size(); ++k) {
      s.x[k] = Rnd() * ScreenWidth;
      s.y[k] = Rnd() * ScreenHeight;
      s.r[k] = static_cast<Single>(getDist(ScreenWidth / 2.0f, ScreenHeight / 2.0f, s.x[k], s.y[k]));
    }
    return;
  }
}

void CInterface::addCombo(bool deflected) {
  if (comboHitsThisFrame < 32767) ++comboHitsThisFrame;  // held there while no HUD pass resets it
  if (!deflected && comboHitsThisFrame > 20) return;
  if (!comboRunning) comboHits = comboDeflections = 0;
  if (comboShake < 0.3f) comboShake = 0.3f;
  comboRunning = true;
  if (deflected) {
    if (comboDeflections < 32767) ++comboDeflections;
  } else if (comboHits < 32767) {
    ++comboHits;
  }
  comboTimer = 1.0f;
}

Single CInterface::getComboShake(Integer scale) {
  if (comboShake <= 0) return 0;
  return (2 * Rnd() * comboShake - comboShake) * scale * 4;
}

void CInterface::giveComboBonus(Integer level) {
  comboBonusTimer = 2.0f;
  Randomize();
  CShip* p = comboShip();
  if (!p) return;
  auto addShields = [&](double share) {
    p->Shields = static_cast<Single>(std::min<double>(p->Shields + p->getMaxShields() * share, p->getMaxShields()));
  };
  auto addArmor = [&](double share) {
    p->Armor = static_cast<Single>(std::min<double>(p->Armor + p->getMaxArmor() * share, p->getMaxArmor()));
  };
  auto addAmmo = [&](double base, double spread, bool darkons) {
    for (Integer w = 0; w <= 6; ++w) {
      if (!p->getHasSecondary(w)) continue;
      Integer n = CInt(std::min(p->getSecondaryAmmo(w) + base + Rnd() * spread, 99.0));
      p->setSecondaryAmmo(w, n);
    }
    if (darkons && p->getHasSecondary(7) && p->getSecondaryAmmo(7) < 99)
      p->setSecondaryAmmo(7, static_cast<Integer>(p->getSecondaryAmmo(7) + 1));
  };
  static const double ShieldShare[3] = {1.0 / 5, 1.0 / 3, 1.0 / 2}, ArmorShare[3] = {1.0 / 10, 1.0 / 5, 1.0 / 3};
  static const char* const Names[3] = {"happy", "cool", "mega"};
  switch (level) {
    case 0:
    case 1:
    case 2:
      if (Rnd() >= 0.5) {
        addShields(ShieldShare[level]);
        comboBonusText = std::string(Names[level]) + " shield bonus!";
      } else {
        addArmor(ArmorShare[level]);
        comboBonusText = std::string(Names[level]) + " armor bonus!";
      }
      break;
    case 3:
      addAmmo(1, 3, false);
      comboBonusText = "happy ammo added!";
      break;
    case 4:
      addAmmo(2, 5, true);
      comboBonusText = "monster ammo added!";
      break;
    case 5:
      addAmmo(3, 6, true);
      addArmor(1.0 / 5);
      addShields(1.0 / 3);
      comboBonusText = "hyper rejuvenation!";
      break;
    default: break;
  }
}

// How far down the combo panel and its bonus line are moved, in pixels, so that the backdrop
// (swelling on a hit) and the lines sit below the destination panel of the top-right corner
// (80 pixels tall, with its 5-pixel rim) instead of beneath it.
constexpr Single ComboTop = 60;

void CInterface::RenderCombo() {
  const Single ft = static_cast<Single>(FrameTime);
  comboHitsThisFrame = 0;
  // Timing.
  if (comboTimer > 0) {
    comboTimer -= ft / 4;
    if (comboTimer <= 0) comboRunning = false;
    if (comboHits > 2 && comboSlide < 150) {
      comboSlide += ft * 1000;
      if (comboSlide > 150) comboSlide = 150;
    }
  }
  if (comboTimer <= 0 && comboSlide >= 0) comboSlide -= ft * 500;

  // The panel.
  if (comboSlide > 0) {
    const Single X = static_cast<Single>(ScreenWidth) - comboSlide;
    const bool swell = comboRunning && comboTimer > 0.9f;
    const Single s = swell ? 1.3f + 2 * (comboTimer - 0.9f) : 1.3f;
    D3DCOLOR back = D3DColorARGB(200, 255, 0, 0);
    if (comboRunning) {
      static const Integer Greens[4] = {0, 126, 255, 125};
      back = D3DColorARGB(200, 255, Greens[static_cast<int>(std::fmod(Int(comboTimer * 50.0), 4.0) + 4) % 4], 0);
    }
    const Single jx = getComboShake(5), jy = getComboShake(5);
    hudSprite(TexIconsW, RECT{0, 128, 256, 256}, s, s, X + 80 - 128 * s + jx, ComboTop + 130 - 64 * s + jy,
              back);

    if (comboRunning)
      hudText(X + 25, ComboTop + 88, "combo!", 1, 255, 255, 0, swell ? 1.7f + 2 * (comboTimer - 0.9f) : 1.7f);
    else
      hudText(X + 25, ComboTop + 88, "combo!", 1, 255, 0, 0, 1.7f);

    {
      const Single size = comboTimer > 0.8f ? 1.0f + (comboTimer - 0.8f) : 1.0f;
      Integer g = 0, b = 0;
      if (comboRunning) {
        const bool even = evenInt(comboTimer * 30.0);
        g = even ? 100 : 50;
        b = 50;
      }
      const Single hx = getComboShake(10), hy = getComboShake(10);
      hudText(X + 40 + hx, ComboTop + 130 + hy, std::to_string(comboHits) + " hits!", 1, 255, g, b, size);
    }
    if (comboDeflections > 0) {
      Integer r = 255, g = 0, b = 0;
      if (comboRunning) {
        if (evenInt(comboTimer * 20.0)) g = 255, b = 255;
        else g = 255;
      }
      const std::string text = "+ " + std::to_string(comboDeflections) +
                               (comboDeflections == 1 ? " deflection!" : " deflections!");
      const Single dx = getComboShake(7), dy = getComboShake(7);
      hudText(X + 50 + dx, ComboTop + 155 + dy, text, 1, r, g, b, 0.7f);
    }
    if (comboRunning) {
      // Rating.
      const Long score = static_cast<Long>(comboDeflections) * 10 + comboHits;
      const Rating* rating = ratingOf(score);
      if (rating) {
        const std::string word = rating->word;
        if (word != comboWord) {
          if (score >= 50) {
            PlaySound(SndLevUp);
            giveComboBonus(rating->bonus);
          }
          comboShake = 1.0f;
          comboWord = word;
        }
        const Single wx = getComboShake(4), wy = getComboShake(4);
        if (evenInt(comboTimer * 20.0))
          hudText(X + 50 + wx, ComboTop + 175 + wy, word, 1, 255, 255, 255, 0.8f);
        else
          hudText(X + 50 + wx, ComboTop + 175 + wy, word, 1, 255, 255, 0, 0.8f);
      }
      // Timer bar.
      hudSprite(TexIconsW, RECT{128, 192, 129, 193}, 102, 7, X + 4, ComboTop + 189,
                D3DColorARGB(255, 0, 0, 0));
      hudSprite(TexIconsW, RECT{128, 192, 129, 193}, comboTimer * 100, 5, X + 5, ComboTop + 190,
                D3DColorARGB(255, 255, 0, 0));
    }
  }

  // After the panel.
  if (comboShake > 0) {
    comboShake -= ft * 4;
    if (comboShake < 0) comboShake = 0;
  }
  if (comboBonusTimer > 0) {
    comboBonusTimer -= ft;
    const Single t = comboBonusTimer;
    const Single size = t > 1.9f ? (t - 1.9f) * 8 : (t >= 0.1f ? 0.8f : t * 8);
    hudText(static_cast<Single>(ScreenWidth) - 150, ComboTop + 220, comboBonusText, 1, 255, 255, 0, size);
  }
}

void CInterface::RenderHitSplats() {
  bool any = false;
  for (HitSplat& s : hitSplats) {
    if (s.life <= 0) continue;
    any = true;
    const Integer k = CInt(std::sin(s.life) * 250);
    setQuickRMode(rpAdditive, k, 0, 0, k);
    srcRect = SrcRect{0, 0, 255, 255};
    const RECT src{srcRect.left, srcRect.top, srcRect.right, srcRect.bottom};
    for (size_t j = 0; j < s.x.size(); ++j)
      hudQuad(TexCloud, src, s.x[j] - s.r[j], s.y[j] - s.r[j], s.x[j] + s.r[j], s.y[j] + s.r[j], k, 0, 0);
    s.life -= static_cast<Single>(FrameTime);
  }
  if (any) setQuickRMode(rpFogged, 200, 200, 200, 200);
}
