// CShip drawing: the opaque pass (Render: body, interior, wheels, weapon mounts, crew, and the
// jet, glow and puff sprites added to the pool), the window glass and crew fade pass (FadeRender) and the crew's
// leaning poses (updateCrewAnim, from the movement step). Called between BeginScene and EndScene
// by the frame render, the target view and the ship and structure editors. No error trap: a
// failed device call raises to the caller.
#include <algorithm>
#include <cmath>

#include "engine/CModelMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MediaHandles.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"

bool SlowMotion = false;

namespace {
// Sprite kinds the drawing starts that the pool does not name yet.
constexpr Long kindSpike = 38, kindTorGlow = 51, kindNeuHalo = 53, kindNeuFlash = 55, kindTorFlash = 56,
               kindSpikeSteadyB = 90, kindSpikeSteady = 91;
constexpr Single InteriorRange = 1500;  // the interior is drawn nearer than this
constexpr Single CrewRange = 2000;      // the crew is drawn nearer than this
constexpr Single PuffRange = 200;       // thrust puffs nearer than this

// The loaded model of a cache slot, null for none.
CMD2* modelInSlot(Integer slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= ModelSlots.size()) return nullptr;
  CMD2* m = ModelSlots[static_cast<size_t>(slot)].object.get();
  return m && m->Loaded ? m : nullptr;
}

// The loaded model of a cache handle, null for none.
CMD2* modelOfHandle(Integer handle) {
  if (!ModelMon || handle < 0) return nullptr;
  Integer h = handle;
  return modelInSlot(ModelMon->getRealModelNum(h));
}

// A static part: no animation step, its own texture, light value flash.
void drawPart(CMD2* m, Single flash) {
  if (m) m->Render(nullptr, 0, 0, 0, 0, 0, true, -1, flash);
}

D3DMATRIX translation(Single x, Single y, Single z) {
  D3DMATRIX T;
  D3DXMatrixTranslation(T, x, y, z);
  return T;
}

D3DMATRIX product(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX out;
  D3DXMatrixMultiply(out, a, b);
  return out;
}

void still(const D3DVECTOR& p, Long kind, Single life, Single size) {
  AddSprite(p.x, p.y, p.z, 0, 0, 0, kind, life, size, -1, -1);
}
}  // namespace

// The ship's world matrix W: T(0, -height/2, 0) RotZ(trickRoll + roll) RotX(trickPitch + Pitch)
// RotY(trickYaw + r) T(x, e, y).
static D3DMATRIX shipWorld(Single height, Single rollAll, Single pitchAll, Single yawAll, Single x, Single e, Single y) {
  D3DMATRIX Rz, Rx, Ry;
  D3DXMatrixRotationZ(Rz, rollAll);
  D3DXMatrixRotationX(Rx, pitchAll);
  D3DXMatrixRotationY(Ry, yawAll);
  D3DMATRIX W = product(translation(0, -height / 2, 0), Rz);
  W = product(W, Rx);
  W = product(W, Ry);
  return product(W, translation(x, e, y));
}

void CShip::Render(Single& distance) {
  // 1.
  if (ID == 0 && SlowMotion) return;
  // 2.
  if (IsMotama || IsRedMotama) {
    if (Int(shipClock * 10.0) != Int(prevClock * 10.0)) {
      for (Long kind : {kindTorGlow, kindNeuHalo}) {
        const Single px = x + Rnd() * 400 - 200;
        const Single py = e + Rnd() * 400 - 200;
        const Single pz = y + Rnd() * 400 - 200;
        const Single vx = Rnd() * 500 - 250;
        const Single vy = Rnd() * 500 - 250;
        const Single vz = Rnd() * 500 - 250;
        AddSprite(px, py, pz, vx, vy, vz, kind, 0, 0, -1, -1);
      }
    }
    AddSprite(x, e, y, 0, 0, 0, IsMotama ? kindSpikeSteadyB : kindSpikeSteady, 0, shipClock, -1, -1);
  }
  // 4.
  const bool flight = distance <= -1;
  Single d = static_cast<Single>(getDist(CamEye.x, CamEye.z, x, y));
  if (flight) {
    if (!easyTestVis(x, y)) return;
  } else {
    d = distance;
  }
  // 5.
  Direct3DDevice8& dev = device();
  D3DXMatrixIdentity(MatWorld);
  const D3DMATRIX W = shipWorld(height, trickRoll + roll, trickPitch + Pitch, trickYaw + r, x, e, y);
  checkHResult(dev.SetTransform(D3DTS_WORLD, W));
  // 6.
  CMD2* body = modelInSlot(bodySlot);
  CMD2* wheels = modelInSlot(wheelSlot);
  CMD2* interior = modelInSlot(interiorSlot);
  if (body) body->myTexture = bodyTex;
  if (wheels) wheels->myTexture = wheelTex;
  if (interior) interior->myTexture = interiorTex;
  drawPart(body, lightLevel);
  if (d < InteriorRange) drawPart(interior, lightLevel);
  drawPart(wheels, lightLevel);
  if (!myDef) return;
  const CShipDef& design = def();
  const Long bodyType = design.ShipBody;
  const bool big = bodyType == sbCapital || bodyType == sbFleshy;
  // 7.
  const Integer lastMount = std::min<Integer>(design.TotalMounts, MountSlots - 1);
  for (Integer i = 0; i <= lastMount; ++i) {
    const Long weapon = mounts[static_cast<size_t>(i)];
    if (weapon == -1) continue;
    vbCheckIndex(weapon, 0, static_cast<long long>(MountModels.size()) - 1);
    D3DMATRIX M;
    D3DXMatrixRotationZ(M, design.getMountRot(i));
    if (big) {
      D3DMATRIX Ry;
      D3DXMatrixRotationY(Ry, firstBroadside(i) ? -1.57f : 1.57f);
      M = product(M, Ry);
    }
    M = product(M, translation(design.getMountXOff(i), design.getMountZOff(i), design.getMountYOff(i)));
    checkHResult(dev.SetTransform(D3DTS_WORLD, product(M, W)));
    drawPart(modelOfHandle(MountModels[static_cast<size_t>(weapon)]), 0);
  }
  // 8. The seats drawn are those the design has rows for, whatever TotalSeats says.
  if (!big && Armor >= 0) {
    const Integer lastSeat = std::min<Integer>(design.TotalSeats, CShipDef::SeatRows - 1);
    for (Integer seat = 0; seat <= lastSeat; ++seat) {
      const std::shared_ptr<CCharacter>& c = crew[static_cast<size_t>(seat)];
      if (!c || !c->Exists) continue;
      c->Move();
      if (d < CrewRange) {
        checkHResult(dev.SetTransform(
            D3DTS_WORLD,
            product(translation(design.getSeatXOff(seat), design.getSeatZOff(seat), design.getSeatYOff(seat)), W)));
        c->AttachedRender(d);
        if (seat == 1 && c->Weapon >= 0) {
          c->WeaponRender(c->Weapon, d);
          c->bNeedsCoords = true;
        }
      }
    }
  }
  // 9. The jets drawn are those the design has rows for, whatever TotalJets says.
  const Integer lastJet = std::min<Integer>(design.TotalJets, CShipDef::JetRows - 1);
  for (Integer j = 0; j <= lastJet; ++j) {
    D3DVECTOR off;
    off.x = design.getJetXOff(j);
    off.y = design.getJetZOff(j);
    off.z = design.getJetYOff(j);
    D3DVECTOR P;
    D3DXVec3TransformCoord(P, off, W);
    if (GameMode == pmShipEditor) {
      still(P, skFlare, 0.5f, 0);
      continue;
    }
    if (!flight) continue;
    if (jetGlow <= 0) {
      still(P, skBlueFlare, Rnd() / 10 + 0.5f, 0);
    } else if (!jetTintA && !jetTintB) {
      still(P, skFlare, Rnd() / 2 + jetGlow, 0);
    } else {
      still(P, skFlare, jetGlow / 2, 0);
      if (jetTintA) still(P, kindTorFlash, Rnd() / 2 + jetGlow, 0);
      if (jetTintB) still(P, kindNeuFlash, Rnd() / 2 + jetGlow, 0);
    }
    const Single b = getBoostVal();
    if (b > 0) {
      const Single size = bodyType == sbBike ? 2 * std::sin(b) + 0.25f
                          : big              ? 9 * std::sin(b) + 0.75f
                                             : 4 * std::sin(b) + 0.45f;
      still(P, kindSpike, 1.0f, size);
    }
    const Single w = getWarp();
    if (w > 0) still(P, kindSpike, 1.0f, 7 * std::sin(w / 4) + 0.5f);
    if (warpFrame == 0 && d < PuffRange) {
      const bool due = Int(shipClock * 30.0 + j / 5.0) != Int(prevClock * 30.0 + j / 5.0);
      if (keyThrust && due) still(P, skMiniFlare, 0, 0);
      if (keyBrake && due) still(P, skMiniFlare, 0, 0);
    }
  }
}

void CShip::FadeRender() {
  if (ID == 0 && SlowMotion) return;
  Direct3DDevice8& dev = device();
  const D3DMATRIX W = shipWorld(height, trickRoll + roll, trickPitch + Pitch, trickYaw + r, x, e, y);
  checkHResult(dev.SetTransform(D3DTS_WORLD, W));
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE));
  checkHResult(dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE));
  checkHResult(dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE));
  CMD2* window = modelInSlot(windowSlot);
  if (window) window->myTexture = windowTex;
  drawPart(window, 0);
  // The seated crew's far outline fade, for the seats the opaque pass draws; a seated character
  // stands at its ship's place, from which it measures its distance to the camera.
  const Long bodyType = myDef ? def().ShipBody : -1;
  if (myDef && bodyType != sbCapital && bodyType != sbFleshy && Armor >= 0) {
    const CShipDef& design = def();
    const Integer lastSeat = std::min<Integer>(design.TotalSeats, CShipDef::SeatRows - 1);
    for (Integer seat = 0; seat <= lastSeat; ++seat) {
      const std::shared_ptr<CCharacter>& c = crew[static_cast<size_t>(seat)];
      if (!c || !c->Exists) continue;
      c->x = x;
      c->y = y;
      c->e = e;
      checkHResult(dev.SetTransform(
          D3DTS_WORLD, product(translation(design.getSeatXOff(seat), design.getSeatZOff(seat), design.getSeatYOff(seat)), W)));
      c->AttachedFadeRender(false);
    }
  }
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0));
}

void CShip::updateCrewAnim() {
  const bool leaning = std::fabs(Steering) > 10 && Speed > MaxSpeed / 2.0;
  const bool left = Steering < 0;
  for (Integer seat = 0; seat < CrewSeats; ++seat) {
    const std::shared_ptr<CCharacter>& c = crew[static_cast<size_t>(seat)];
    if (!c || !c->Exists) continue;
    const Integer pose = c->getAnim();
    if (leaning) {
      Long lean = -1;
      if (pose == 0) lean = left ? 11 : 12;
      else if (pose == 1) lean = left ? 13 : 14;
      else if (pose == 15) lean = left ? 16 : 17;
      else if (pose == 18) lean = left ? 19 : 20;
      if (lean >= 0) c->setAnim(lean, 10.0f, false);
    } else {
      Long base = -1;
      if (pose == 11 || pose == 12) base = 0;
      else if (pose == 13 || pose == 14) base = 1;
      else if (pose == 16 || pose == 17) base = 15;
      else if (pose == 19 || pose == 20) base = 18;
      if (base >= 0) c->setAnim(base, 2.0f, false);
    }
  }
}
