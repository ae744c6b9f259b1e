// In-flight HUD of CInterface: the action, secondary-weapon, bay, status, target and mother-ship
// panels with the choice arc and the arc gauges; the destination panel; the grey fade; the mouse
// cursor and the aim marker; and the drawing helpers the HUD files share. Called by Render in the
// frames that draw flight; panels read the live state of Ships(playerShip) and keep only their
// pulse detectors between frames.
#include <cmath>
#include <cstdio>
#include <string>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/BillMod.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/RenderMod.h"
#include "game/TargMod.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

namespace {

constexpr Single PulseTime = 0.22f;

std::shared_ptr<Direct3DTexture8> textureOf(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(handle)].object;
}

// The ship of index i, null when the slot is outside Ships or empty.
CShip* shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}

// A screen coordinate rounded to a whole pixel; far-off projections are held at +-1e6 so that
// rounding never overflows.
int32_t px(Single v) {
  if (!(v > -1.0e6f)) return -1000000;
  if (v > 1.0e6f) return 1000000;
  return CLng(v);
}

Integer chan(double v) { return CInt(std::clamp(v, 0.0, 255.0)); }

const char* const AmmoNames[8] = {"missiles", "torpedoes", "bolts", "shells", "rounds", "charges", "hearts", "darkons"};

}  // namespace

// ---- drawing helpers ----

void CInterface::hudSprite(Integer tex, const RECT& src, Single sx, Single sy, Single x, Single y, D3DCOLOR colour) {
  const auto t = textureOf(tex);
  if (!t) return;
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  D3DXSprite& spr = *DxSprite;
  checkHResult(spr.Begin());
  const HResult hr = spr.Draw(t, &src, D3DXVECTOR2{sx, sy}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y}, colour);
  checkHResult(spr.End());
  checkHResult(hr);
}

void CInterface::hudQuad(Integer tex, const RECT& src, Single l, Single t, Single r, Single b, Integer red,
                         Integer green, Integer blue) {
  const RECT dst{px(l), px(t), px(r), px(b)};
  Back3DCust(tex < 0 ? nullptr : textureOf(tex), src, dst, red, green, blue, -1, 0);
}

void CInterface::hudRot(Integer tex, Single cx, Single cy, Single radius, Integer red, Integer green, Integer blue,
                        Single angle) {
  Back3DRot(textureOf(tex), RECT{0, 0, 256, 256}, cx, cy, radius, red, green, blue, angle);
}

void CInterface::hudText(Single x, Single y, const std::string& text, Long justify, Integer red, Integer green,
                         Integer blue, Single size) {
  if (!GameText) vbRaise(vberr::ObjectMissing);
  GameText->setColor(red, green, blue);
  GameText->setSize(size);
  GameText->drawText(x, y, text, justify, false, false);
}

Single CInterface::runPulse(Single& pulse, Long& last, Long current) {
  if (current != last) pulse = PulseTime;
  last = current;
  if (pulse > 0) {
    pulse -= static_cast<Single>(FrameTime);
    if (pulse < 0) pulse = 0;
  }
  return 0.6f + std::sin(10 * pulse) / 6;
}

bool CInterface::hudBlink() const {
  const double k = Int(static_cast<double>(hudClock) * 10);
  return std::fmod(k, 3.0) == 0;
}

// ---- grey fade, cursor, aim marker, destination ----

void CInterface::GrayOut(Single level) {
  vbTrap("CInterface.GrayOut", [&] {
    double v = static_cast<double>(level) * 100 / 6.66666;
    if (!(v > 0)) v = 0;  // negative levels (and NaN) give the lightest shade
    if (v > 14) v = 14;
    const Integer index = CInt(v);
    hudSprite(FadeTex[static_cast<size_t>(index)], RECT{0, 0, 1, 1}, static_cast<Single>(ScreenWidth),
              static_cast<Single>(ScreenHeight), 0, 0, D3DColorARGB(255, 255, 255, 255));
  });
}

void CInterface::setXHair(Integer i, const D3DVECTOR& point) { xhairPoints.at(static_cast<size_t>(i)) = point; }

void CInterface::drawCursor() {
  hudSprite(TexPointer, RECT{0, 0, 32, 32}, 1, 1, PointerX, PointerY, D3DColorARGB(255, 255, 255, 255));
  aimMarkerOn = false;
}

void CInterface::drawAimMarker() {
  CShip* p = shipAt(playerShip);
  if (!p) return;
  for (Integer i = 0; i < 3; ++i) {
    const double D = std::pow(100.0, (i + 2) / 2.0);
    D3DVECTOR w;
    w.x = static_cast<Single>(p->x + D * std::cos(p->r - 1.57));
    w.y = static_cast<Single>(p->e - D * std::sin(p->Pitch));
    w.z = static_cast<Single>(p->y - D * std::sin(p->r - 1.57));
    setXHair(i, getScreenCoords(w));
  }
  if (p->getFlipVal() > 0) return;
  // The marker images are drawn additively (their black background adds nothing).
  const RECT whole{0, 0, 256, 256};
  for (Integer i = 0; i < 3; ++i) {
    if (i == 0 && ClassicView) continue;
    const Integer tex = CrosshairTex[static_cast<size_t>(i)];
    const D3DVECTOR& pt = xhairPoints[static_cast<size_t>(i)];
    const Single L = static_cast<Single>(px(pt.x - 32)), T = static_cast<Single>(px(pt.y - 32));
    const Integer c = CInt(std::sin(hudClock * 3 + i * 1.2) * 25 + 150);
    hudQuad(tex, whole, L, T, L + 64, T + 64, c, c, c);
    if (xhairRedTimer > 0) {
      const Integer red = chan(xhairRedTimer * 255.0);
      for (Integer k = 1; k <= 4; ++k) hudQuad(tex, whole, L - 2 * k, T - 2 * k, L + 64 + 2 * k, T + 64 + 2 * k, red, 0, 0);
      xhairRedTimer -= static_cast<Single>(5 * FrameTime);
    }
  }
}

void CInterface::drawDestinationHud() {
  const Single W = static_cast<Single>(ScreenWidth);
  drawPanel(W - 200, 0, W, 80);
  hudText(W - 100, 15, "destination", 1, 255, 255, 255, 0.5f);
  if (!World || World->DestNode == -1)
    hudText(W - 100, 40, "unknown", 1, 120, 120, 120, 0.6f);
  else
    hudText(W - 100, 40, World->getNodeTitle(World->DestNode), 1, 0, 255, 0, 0.6f);
  if (MissionControl && MissionControl->Reading && MissionControl->LockedArea)
    hudSprite(TexIconsW, RECT{192, 32, 256, 96}, 1, 1, W - 210, 10, D3DColorARGB(255, 255, 255, 255));
}

// ---- panels ----

void CInterface::drawActionHud() {
  const Single H = static_cast<Single>(ScreenHeight);
  drawPanel(150, H - 80, 250, H);
  hudText(200, H - 65, "action", 1, 255, 255, 255, 0.6f);
  const Single size = runPulse(actionPulse, lastAction, iAction);
  std::string word = "none";
  Integer r = 120, g = 120, b = 120;
  switch (iAction) {
    case 1: word = "hyperspace"; break;
    case 2: word = "land"; break;
    case 3: word = "tractor"; break;
    case 4: word = "dock"; break;
    case 5: word = "slomo on"; break;
    case 6: word = "slomo off"; break;
    default: break;
  }
  if (iAction >= 1 && iAction <= 4) r = 0, g = 255, b = 0;
  if (iAction == 5 || iAction == 6) {
    r = 255, g = 255, b = 0;
    const bool low = BulletTimeCharge <= 0.3;
    hudQuad(-1, RECT{0, 0, 256, 256}, 160, H - 16, static_cast<Single>(160 + BulletTimeCharge * 40), H - 12, 255,
            low ? 0 : 255, 0);
  }
  hudText(200, H - 32, word, 1, r, g, b, size);
}

void CInterface::drawSecondaryHud() {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  if (SecondarySwitchFrame > 0) drawHudIcon();
  CShip* p = shipAt(playerShip);
  if (!p) return;
  // Off the pad or done with its screen, or warped in, the gunner takes back the weapon put away
  // (still carried).
  const bool landing = p->LandingFrame > 0 && p->LandingFrame < 1000;
  if (landedSecondary >= 0 && !landing && p->getWarpFrame() <= 0) {
    if (chosenSecondary < 0 && landedSecondary < CShip::SecondarySlots && p->getHasSecondary(landedSecondary))
      chosenSecondary = landedSecondary;
    landedSecondary = -1;
  }
  if (p->Exists) p->checkWeaponSwitch(chosenSecondary);  // carries the arc's choice into the gunner's hands
  drawPanel(W - 250, H - 80, W - 150, H);
  const Long w = p->getSecondaryWeapon();
  const Single size = runPulse(secondaryPulse, lastSecondary, w);
  if (w == -1) {
    hudText(W - 200, H - 40, "no weapon", 1, 120, 120, 120, size);
    return;
  }
  std::string name = "???";
  Integer count = 0;
  if (w >= 0 && w <= 7) {
    name = AmmoNames[w];
    count = p->getSecondaryAmmo(static_cast<Integer>(w));
  }
  hudText(W - 200, H - 65, name, 1, 255, 255, 255, size);
  Integer r = 0, g = 255, b = 0;
  if (count <= 0) r = 255, g = 0;
  else if (count <= 5) r = 255, g = 255;
  hudText(W - 200, H - 32, std::to_string(count), 1, r, g, b, size);
}

void CInterface::drawBayHud() {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  if (SecondarySwitchFrame > 0) drawHudIcon();
  drawPanel(W - 250, H - 80, W - 150, H);
  hudText(W - 200, H - 65, "bay", 1, 255, 255, 255, 0.6f + std::sin(10 * secondaryPulse) / 6);
  const CPlayer* member =
      (spawnChoice >= 0 && spawnChoice < 4) ? SubPlayers[static_cast<size_t>(spawnChoice)].get() : nullptr;
  const Integer type = member ? member->ShipType : Integer(-1);
  if (type < 0 || static_cast<size_t>(type) >= ShipDefs.size() || !ShipDefs[static_cast<size_t>(type)]) {
    hudText(W - 200, H - 32, "-", 1, 120, 120, 120, 0.6f);
    return;
  }
  const std::string& title = ShipDefs[static_cast<size_t>(type)]->ShipTitle;
  hudText(W - 200, H - 40, strItem(title, 1, " ", false), 1, 0, 255, 0, 0.6f);
  hudText(W - 200, H - 20, strItem(title, 2, " ", false), 1, 0, 255, 0, 0.6f);
}

void CInterface::drawHudIcon() {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  // 1. The selected entry.
  Integer s = 0;
  if (choiceListIsFleet) {
    s = spawnChoice;
    const CPlayer* chosen =
        (spawnChoice >= 0 && spawnChoice < 4) ? SubPlayers[static_cast<size_t>(spawnChoice)].get() : nullptr;
    if (chosen && chosen->ShipType >= 0) {
      Integer n = 0;
      for (Integer m = 0; m < spawnChoice; ++m) {
        const CPlayer* sp = SubPlayers[static_cast<size_t>(m)].get();
        if (sp && sp->ShipType >= 0) ++n;
      }
      s = n;
    }
  } else if (chosenSecondary == -1) {
    s = -1;
  } else {
    s = 0;
    for (Integer i = 0; i < 8; ++i)
      if (choiceList[static_cast<size_t>(i)] == chosenSecondary) {
        s = i;
        break;
      }
  }
  // 2. The frame of the selected slot, at angle 0.7 on the arc about C.
  const Single Cx = W - 32, Cy = H + 16;
  const Single Px = static_cast<Single>(Cx - 250 * std::cos(0.7)), Py = static_cast<Single>(Cy - 250 * std::sin(0.7));
  drawPanel(Px - 24, Py - 16, Px + 72, Py + 64);
  // 3. The entries.
  for (Integer i = 0; i < 8; ++i) {
    const Integer e = choiceList[static_cast<size_t>(i)];
    if (e == -1) continue;
    const double a = (i + 3 - choiceArcPos + 0.5) / 5;
    const Single x = static_cast<Single>(Cx - 250 * std::cos(a)), y = static_cast<Single>(Cy - 250 * std::sin(a));
    Single f = 0.5f - std::fabs(choiceArcPos - i);
    if (f < 0) f = 0;
    const Single scale = 1.5f * f + 0.5f;
    const D3DCOLOR white = D3DColorARGB(255, 255, 255, 255);
    if (!choiceListIsFleet) {
      const int32_t col = e % 4, row = (e / 4) % 4;
      hudSprite(TexWeapons, RECT{col * 64, row * 64, col * 64 + 64, row * 64 + 64}, scale, scale, x - 32 * f,
                y - 32 * f, white);
    } else if (e >= 0 && static_cast<size_t>(e / 9) < ShipPartsTex.size()) {
      const int32_t col = e % 3, row = (e / 3) % 3;
      hudSprite(ShipPartsTex[static_cast<size_t>(e / 9)], RECT{col * 85, row * 85, col * 85 + 85, row * 85 + 85},
                scale, scale, x - 48 * f, y - 48 * f, white);
    }
  }
  // 4. Ease toward the selected entry without passing it.
  const Single step = static_cast<Single>((s - choiceArcPos) * FrameTime * 20);
  if (std::fabs(step) >= std::fabs(s - choiceArcPos)) choiceArcPos = s;
  else choiceArcPos += step;
  // 5. The tinted frame over the icons; 6. the arc's timer.
  drawPanelEx(Px - 24, Py - 16, Px + 72, Py + 64, 90, 90, 255);
  SecondarySwitchFrame -= static_cast<Single>(FrameTime);
}

void CInterface::drawStatusHud() {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  CShip* p = shipAt(playerShip);
  if (!p) return;
  drawPanel(W - 150, H - 150, W, H);
  hudText(W - 75, H - 135, "status", 1, 255, 255, 255, 0.6f);
  const bool blink = hudBlink();
  const Single shields = p->getShieldPercent(), armor = p->getArmorPercent();
  if (shields < 0.25f && blink) drawGauge(W - 20, H - 15, 100, shields, 255, 255, 255);
  else drawGauge(W - 20, H - 15, 100, shields, 0, 0, 255);
  if (armor < 0.25f && blink) drawGauge(W - 20, H - 15, 80, armor, 255, 255, 255);
  else drawGauge(W - 20, H - 15, 80, armor, 0, 255, 0);
  drawGauge(W - 20, H - 15, 60, p->getBoostPercent(), 200, 100, 0);
  const bool low = p->Fuel < 500;
  const Integer g = low ? 120 : 255, rb = low ? 120 : 0;
  hudSprite(TexGas, RECT{0, 0, 32, 32}, 1, 1, W - 60, H - 45, D3DColorARGB(255, rb, g, rb));
  hudText(W - 30, H - 25, std::to_string(p->Fuel / 500), 0, rb, g, rb, 0.6f);
}

void CInterface::drawGauge(Single x, Single y, Single radius, Single value, Integer r, Integer g, Integer b) {
  if (!(value > 0)) return;
  const CShip* p = shipAt(playerShip);
  const Single recharge = p ? p->ShieldRecharge : 0;
  const bool shieldGauge = b > r && b > g;
  const double lit = 40 - Int(static_cast<double>(value) * 40);
  const Integer n = CInt(std::clamp(static_cast<double>(recharge) * 4, 0.0, 1000.0));
  for (Integer i = 0; i <= 41; ++i) {
    const double a = i == 41 ? 3.14 - value * 1.57 : (i / 40.0) * 1.57 + 1.57;
    double cr = r, cg = g, cb = b;
    if (i >= lit) {
      if (shieldGauge && recharge <= 0 && value < 1) cg = g + 40 + 40 * std::sin(5 * hudClock + i / 3.0);
    } else {
      cr = CInt(r / 12.0), cg = CInt(g / 12.0), cb = CInt(b / 12.0);
    }
    if (i == lit || i == 41) cr = r, cg = g, cb = b;
    if (shieldGauge && recharge > 0 && i <= 40 && i > 40 - n) cr = r + 40 + 40 * std::sin(10 * recharge);
    hudRot(TexBar, static_cast<Single>(x + radius * std::cos(a)), static_cast<Single>(y - radius * std::sin(a)), 8,
           chan(cr), chan(cg), chan(cb), static_cast<Single>(5.6 - a));
  }
}

void CInterface::drawTargetHud() {
  const Single H = static_cast<Single>(ScreenHeight);
  drawPanel(0, H - 150, 150, H);
  CShip* p = shipAt(playerShip);
  const Integer t = p ? p->SecondaryTarget : Integer(-1);
  Long last = lastTarget;
  const Single size = runPulse(targetPulse, last, t);
  lastTarget = static_cast<Integer>(last);
  CShip* target = shipAt(t);
  if (t == -1 || !target) {
    hudText(75, H - 71, "no target", 1, 120, 120, 120, 0.6f);
  } else {
    Integer r, g, b, tr, tg, tb;
    if (target->Armor < 0) {
      r = g = b = 120;
      tr = tg = tb = 120;
    } else if (!target->checkAIHostile(playerShip)) {
      r = 0, g = 255, b = 0;
      tr = 20, tg = 211, tb = 20;
      if (target->Meeter == playerShip) r = 255;
    } else {
      r = 255, g = 0, b = 0;
      tr = 211, tg = 20, tb = 20;
    }
    // The view trail: newest view on the inner square, older ones larger behind it.
    setQuickRMode(rpAdditive, tr, tg, tb, 255);
    for (Integer sl = 0; sl < TargetSlots; ++sl) {
      if (TargetUsed[static_cast<size_t>(sl)] <= 0) continue;
      Integer k = TargetSlot - sl;
      if (k < 0) k += 6;
      const RECT dst{15 - 3 * k, px(H - 135) - 3 * k, 135 + 3 * k, px(H - 15) + 3 * k};
      Back3DCust(TargetTex[static_cast<size_t>(sl)], RECT{2, 2, 254, 254}, dst, 255, 255, 255, -1, 0);
    }
    setQuickRMode(rpSolid, 255, 255, 255, 255);
    // The title and description lines stand on a black band (the darkest fade shade, opaque)
    // across the panel, not on the bright wire model of the view.
    hudSprite(FadeTex[0], RECT{0, 0, 1, 1}, 142, 34, 4, H - 34, D3DColorARGB(255, 255, 255, 255));
    hudText(75, H - 30, target->getShipTitle(), 1, r, g, b, size);
    const std::string desc = target->IsBounty < 0 ? getTargetDesc(t) : getBountyName(target->IsBounty);
    hudText(75, H - 12, desc, 1, r, g, b, 0.5f + std::sin(16 * targetPulse) / 6);
    const double wave = std::sin(2 * hudClock), wave1 = std::sin(2 * hudClock + 1);
    const Integer sh = CInt(50 + 20 * wave);
    hudQuad(-1, RECT{0, 0, 256, 256}, 10, H - 140, 10 + 130 * aimShields, H - 136, sh, sh, 255);
    hudQuad(-1, RECT{0, 0, 256, 256}, 10, H - 134, 10 + 130 * aimArmor, H - 130, CInt(50 + 5 * wave1), 255,
            CInt(50 + 50 * wave1));
  }
  hudText(75, H - 135, "target", 1, 255, 255, 255, 0.6f);
}

std::string CInterface::getTargetDesc(Integer ship) {
  CShip* s = shipAt(ship);
  if (!s) vbRaise(vberr::Subscript);
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  return CurMap->getShipUnitDesc(s->getAIType());
}

void CInterface::drawMotherShipHud() {
  const Single H = static_cast<Single>(ScreenHeight);
  drawPanel(0, H - 195, 150, H - 150);
  if (!MotherNodePath.empty()) {
    hudText(75, H - 190, "mother ship at:", 1, 255, 255, 255, 0.6f);
    hudText(75, H - 168, MotherNodeTitle, 1, 255, 255, 0, 0.55f);
    return;
  }
  CShip* m = shipAt(MotherShip);
  if (!m) return;
  const bool blink = hudBlink();
  const Single shields = m->getShieldPercent(), armor = m->getArmorPercent();
  std::string title = "mother ship";
  if (MotherPlayer && MotherPlayer->HasDarkEscaper) {
    const CShip* p = shipAt(playerShip);
    title += " [P](" + std::to_string(p ? p->getSecondaryAmmo(7) : 0) + ")[p]";
  }
  if (armor < 0.25f && blink) hudText(75, H - 190, title, 1, 255, 0, 0, 0.6f);
  else hudText(75, H - 190, title, 1, 255, 255, 255, 0.6f);
  const RECT all{0, 0, 256, 256};
  if (shields < 0.25f && blink) hudQuad(-1, all, 15, H - 175, 15 + 120 * shields, H - 170, 255, 255, 255);
  else hudQuad(-1, all, 15, H - 175, 15 + 120 * shields, H - 170, 0, 0, 255);
  if (armor < 0.25f && blink) hudQuad(-1, all, 15, H - 165, 15 + 120 * armor, H - 160, 255, 255, 255);
  else hudQuad(-1, all, 15, H - 165, 15 + 120 * armor, H - 160, 0, 255, 0);
}
