// In-flight HUD: panels, radar, markers, choice lists, cursor, aim marker, fades.
#include "interface/CInterface.h"

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/FuncMod.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"

void CInterface::InitSecondarySwitch(Long /*weapon*/, Long /*keep*/) {}

void CInterface::GrayOut(Single /*level*/) {}

void CInterface::setXHair(Integer i, const D3DVECTOR& point) { xhairPoints.at(i) = point; }

void CInterface::drawCursor() {}

void CInterface::drawAimMarker() {}

void CInterface::drawTargetDistance() {}

void CInterface::drawShipMarkers() {}

void CInterface::drawRadar() {}

void CInterface::drawDestinationHud() {}

void CInterface::drawTargetHud() {}

void CInterface::drawActionHud() {}

void CInterface::drawBayHud() {}

void CInterface::drawSecondaryHud() {}

void CInterface::drawStatusHud() {}

void CInterface::drawMotherShipHud() {}

void CInterface::RenderCombo() {}

void CInterface::RenderHitSplats() {}

void CInterface::stopPlayerSteer() {}

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
  ++comboHitsThisFrame;
  if (!deflected && comboHitsThisFrame > 20) return;
  if (!comboRunning) comboHits = comboDeflections = 0;
  if (comboShake < 0.3f) comboShake = 0.3f;
  comboRunning = true;
  if (deflected) ++comboDeflections;
  else ++comboHits;
  comboTimer = 1.0f;
}
