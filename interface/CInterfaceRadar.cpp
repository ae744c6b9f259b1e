// Radar, target and ship markers of CInterface: drawTargetDistance marks the selected target at
// the camera's aim point with corner brackets, its distance and two bars; drawShipMarkers marks
// the other ships more faintly (with the "hud20" part); drawRadar draws the top-left radar of
// the ships within 6000 units and picks the ship of the target view (TargRender). Hostility is
// always the other ship's AI toward the player's ship; a wreck has armour below 0.
#include <cmath>
#include <cstdio>
#include <string>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/Direct3D.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

namespace {

CShip* shipOf(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}

bool hasHud20() { return Player && Player->HasHud20; }

// "0000.00": at least four digits before the point, two after.
std::string formatDistance(Single d) {
  const double v = std::fabs(static_cast<double>(d));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%07.2f", v > 1e30 ? 1e30 : v);
  std::string s = buf;
  if (d < 0 && s != "0000.00") s = "-" + s;
  return s;
}

}  // namespace

Single CInterface::drawBrackets(Single x, Single y, Single z, Long body, Integer red, Integer green, Integer blue) {
  Single s = (1 - z) * 30000;
  if (body == sbCapital || body == sbFleshy) s *= 3;
  if (!(s >= 20)) s = 20;
  hudQuad(TexTarget, RECT{0, 0, 128, 128}, x - s, y - s, x - s + 24, y - s + 24, red, green, blue);
  hudQuad(TexTarget, RECT{128, 0, 256, 128}, x + s - 24, y - s, x + s, y - s + 24, red, green, blue);
  hudQuad(TexTarget, RECT{0, 128, 128, 256}, x - s, y + s - 24, x - s + 24, y + s, red, green, blue);
  hudQuad(TexTarget, RECT{128, 128, 256, 256}, x + s - 24, y + s - 24, x + s, y + s, red, green, blue);
  return s;
}

void CInterface::drawBehindArrow(Single& x, Single& y, Integer red, Integer green, Integer blue) {
  D3DVIEWPORT8 vp;
  vp.Width = ScreenWidth;
  vp.Height = ScreenHeight;
  if (D3DDevice) D3DDevice->GetViewport(vp);
  const Single Wv = static_cast<Single>(vp.Width), Hv = static_cast<Single>(vp.Height);
  const Single b = getAngle(Wv / 2, Hv / 2, x, y);
  x = Wv - x;
  y = Hv - y;
  x = x <= Wv / 2 ? 64 : Wv - 64;
  hudRot(TexPoint, x, y, 32, red, green, blue, static_cast<Single>(1.57 / 2 + (6.28 - b) + 3.14));
}

void CInterface::drawOffscreenArrow(Single x, Single y, Integer red, Integer green, Integer blue) {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  if (x >= 0 && x <= W && y >= 0 && y <= H) return;
  const Single b = getAngle(W / 2, H / 2, x, y);
  const double a = 6.28 - b;
  hudRot(TexPoint, static_cast<Single>(W / 2 + H * std::cos(a) / 2), static_cast<Single>(H / 2 + H * std::sin(a) / 2),
         32, red, green, blue, static_cast<Single>(a + 0.785));
}

void CInterface::drawTargetDistance() {
  CShip* p = shipOf(playerShip);
  const Integer t = p ? p->SecondaryTarget : Integer(-1);
  CShip* target = t >= 0 ? shipOf(t) : nullptr;
  Integer r = 15, g = 15, b = 15;
  Long body = sbCar;
  if (target) {
    if (target->checkAIHostile(playerShip)) r = 255;
    else g = 255;
    if (target->Armor < 0) r = g = b = 100;
    body = target->getShipBody();
  }
  if (aimPoint.z >= 1) {
    drawBehindArrow(aimPoint.x, aimPoint.y, r, g, b);
  } else {
    const Single x = aimPoint.x, y = aimPoint.y;
    const Single s = drawBrackets(x, y, aimPoint.z, body, r, g, b);
    if (!GameText) vbRaise(vberr::ObjectMissing);
    GameText->setSize(0.4f);
    GameText->setColor(r, g, b);
    GameText->BltText(x + s, y + s, formatDistance(aimDist), 2, false);
    const RECT none{0, 0, 256, 256};
    hudQuad(-1, none, x - s, y - s - 16, x - s + 2 * s * aimShields, y - s - 12, 15, 15, 255);
    hudQuad(-1, none, x - s, y - s - 8, x - s + 2 * s * aimArmor, y - s - 4, 15, 255, 15);
  }
  if (ClassicView) drawOffscreenArrow(aimPoint.x, aimPoint.y, r, g, b);
}

void CInterface::drawShipMarkers() {
  CShip* p = shipOf(playerShip);
  if (!p) return;
  for (size_t k = 0; k < Ships.size(); ++k) {
    const Integer i = static_cast<Integer>(k);
    CShip* s = Ships[k].get();
    if (!s || !s->Exists || i == playerShip || i == p->SecondaryTarget) continue;
    const bool hostile = s->checkAIHostile(playerShip);
    const bool wreck = s->Armor < 0;
    Integer r = 15, g = 15, b = 15;
    if (hostile) r = 60;
    else g = 60;
    if (wreck) r = g = b = 30;
    if (!(hostile && !wreck) && !(getDist(p->x, p->y, s->x, s->y) < 2500)) continue;
    D3DVECTOR pt = getScreenCoords(s->getPos());
    if (pt.z >= 1) {
      if (!ClassicView) drawBehindArrow(pt.x, pt.y, r, g, b);
      else drawOffscreenArrow(pt.x, pt.y, r, g, b);
      continue;
    }
    drawBrackets(pt.x, pt.y, pt.z, s->getShipBody(), r, g, b);
    if (ClassicView) drawOffscreenArrow(pt.x, pt.y, r, g, b);
  }
}

void CInterface::drawRadar() {
  CShip* p = shipOf(playerShip);
  if (p && p->SecondaryTarget >= 0) {
    const CShip* t = shipOf(p->SecondaryTarget);
    TargRender = (t && t->Exists) ? p->SecondaryTarget : Integer(-1);
  }
  if (!hasHud20() || !p) return;
  drawPanel(0, 0, 150, 150);
  hudText(75, 15, "radar", 1, 255, 255, 255, 0.6f);
  const RECT whole{0, 0, 256, 256};
  for (size_t k = 0; k < Ships.size(); ++k) {
    const Integer i = static_cast<Integer>(k);
    CShip* s = Ships[k].get();
    if (!s || !s->Exists) continue;
    const Double d = getDist(p->x, p->y, s->x, s->y);
    if (!(d < 6000)) continue;
    Single X, Y;
    if (ClassicView) {
      X = static_cast<Single>(75 + (s->x - p->x) / 100.0 - 2);
      Y = static_cast<Single>(75 - (s->y - p->y) / 100.0 - 2);
    } else {
      const double a = getAngle(p->x, p->y, s->x, s->y) - p->r;
      X = static_cast<Single>(75 + d / 100 * std::cos(a) - 2);
      Y = static_cast<Single>(75 + d / 100 * std::sin(a) - 2);
    }
    const Single L = static_cast<Single>(CLng(X)), T = static_cast<Single>(CLng(Y));
    Integer r = 0, g = 255, b = 0;
    if (i == playerShip) r = 255, b = 255;
    else if (s->checkAIHostile(playerShip)) r = 255, g = 0;
    hudQuad(TexStar, whole, L, T, L + 4, T + 4, r, g, b);
    if (i == p->SecondaryTarget) hudQuad(TexTarget, whole, L - 11, T - 11, L + 15, T + 15, 100, 100, 100);
  }
}
