// CSprite.Move: the frame step of one live sprite (movement and ageing, its kind's step with
// homing, structure and ship hits, deflection off rolling ships, child sprites and lights, and the
// death effects), with the private hit tests. Called by MoveSprites only.
#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/soundMod.h"
#include "engine/BoxGrid.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"
#include "sprites/SpriteHelpers.h"
#include "sprites/SpriteMod.h"

using namespace spr;

namespace {
const D3DVECTOR Still{0, 0, 0};

// The live ship of an index, null for none (negative, beyond the array, empty slot).
CShip* shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size() || !Ships[static_cast<size_t>(i)]) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}

Single ft() { return static_cast<Single>(FrameTime); }

bool camWithin(const D3DVECTOR& p, double d) { return getDist(CamEye.x, CamEye.z, p.x, p.z) < d; }

// Mid-air steps move by one more frame of travel.
void advance(D3DVECTOR& pos, const D3DVECTOR& traj, Single t) {
  pos.x += traj.x * t;
  pos.y += traj.y * t;
  pos.z += traj.z * t;
}
}  // namespace

bool CSprite::tick(Single rate) const {
  return std::floor(static_cast<double>(rate) * Frame) != std::floor(static_cast<double>(rate) * pFrame);
}

bool CSprite::structHit() const { return CurMap && CurMap->checkCheapStructCol(pos.x, pos.y, pos.z, 0); }

namespace {
// A ship's hit radius before the margin for hostile ships, computed once per frame per ship (an
// entry names the ship it was computed for, so a slot refilled within the frame is computed again).
struct HitRadius {
  const CShip* ship = nullptr;
  Integer r = 0;
};
std::vector<HitRadius> hitRadii;  // by ship index; emptied at each frame's start

Integer hitRadius(size_t n, const CShip& s) {
  if (hitRadii.size() < Ships.size()) hitRadii.resize(Ships.size());
  HitRadius& h = hitRadii[n];
  if (h.ship != &s) {
    Integer r = CInt((static_cast<double>(s.getHeight()) + s.getWidth() + s.getDepth()) / 3 + 20);
    const Long body = s.getShipBody();
    if (body == 3 || body == 4) r = CInt(r / 2.0);
    h = HitRadius{&s, r};
  }
  return h.r;
}

// While the pool steps (between newHitFrame and endHitFrame) ships stand still and keep their
// slots, so the ship test looks only at the ships whose widest hit box (the hostile margin
// included) covers the shot's cell. The grid is built at the frame's first ship test; outside a
// pool step every ship is looked at.
BoxGrid shipBoxes;
bool poolStepping = false;
bool shipBoxesBuilt = false;
size_t shipBoxesCount = 0;  // Ships.size() when the grid was built

void buildShipBoxes() {
  shipBoxes.clear();
  for (size_t n = 0; n < Ships.size(); ++n) {
    const CShip* s = Ships[n].get();
    if (!s || !s->Exists) continue;
    const Integer r = hitRadius(n, *s);
    const Integer widest = std::max(static_cast<Integer>(r + 50), r);
    shipBoxes.add(static_cast<int>(n), s->x, s->y, widest);
  }
  shipBoxes.build();
  shipBoxesBuilt = true;
  shipBoxesCount = Ships.size();
}
}  // namespace

void CSprite::newHitFrame() {
  for (HitRadius& h : hitRadii) h.ship = nullptr;
  poolStepping = true;
  shipBoxesBuilt = false;
}

void CSprite::endHitFrame() {
  poolStepping = false;
  shipBoxesBuilt = false;
}

Integer CSprite::checkShipHit(Single x, Single y, Single z, Integer owner) {
  Integer result = -1;
  // One ship's test; true when the shot hit it (the search ends there).
  auto test = [&](size_t n) {
    const Integer i = static_cast<Integer>(n);
    CShip* s = shipAt(i);
    if (!s || !s->Exists || i == owner) return false;
    Integer r = hitRadius(n, *s);
    // Outside the widest box the ship can have (the hostile margin adds 50): no pair work.
    const auto reach = static_cast<Integer>(owner == 0 ? r + 50 : r);
    if (!(s->x - reach < x && x < s->x + reach && s->y - reach < z && z < s->y + reach)) return false;
    if (owner == 0 && s->checkAIHostile(0)) r = static_cast<Integer>(r + 50);
    const double half = r / 2.0;
    const bool inBox = s->x - r < x && x < s->x + r && s->e - half < y && y < s->e + half && s->y - r < z &&
                       z < s->y + r;
    if (!inBox) return false;
    if (s->getRollSafe()) {
      result = static_cast<Integer>(-10 - i);
      if (i == 0 && GameInterface) GameInterface->addCombo(true);
      return false;
    }
    if (getDist(x, z, s->x, s->y) < r) {
      result = i;
      return true;
    }
    return false;
  };
  if (poolStepping) {
    if (!shipBoxesBuilt || shipBoxesCount != Ships.size()) buildShipBoxes();
    for (int n : shipBoxes.at(x, z))
      if (test(static_cast<size_t>(n))) break;
  } else {
    for (size_t n = 0; n < Ships.size(); ++n)
      if (test(n)) break;
  }
  if (result >= 0) {
    const std::shared_ptr<CShip> hit = Ships[static_cast<size_t>(result)];  // held across Hit
    hit->Hit(sType, Owner, traj, 0.0f);
  }
  return result;
}

void CSprite::deflectShot(Integer code) {
  const Integer i = static_cast<Integer>(-10 - code);
  CShip* s = shipAt(i);
  if (!s) return;
  const Single h = std::sqrt(traj.x * traj.x + traj.z * traj.z);
  Target = Owner;
  Owner = i;
  const Single a = s->r - 0.25f + Rnd() / 2;
  const Single p = s->Pitch - 0.25f + Rnd() / 2;
  D3DMATRIX rz, rx, ry, t;
  D3DXMatrixRotationZ(rz, 3 * Frame);
  D3DXMatrixRotationX(rx, p);
  D3DXMatrixRotationY(ry, a);
  D3DXMatrixMultiply(t, rz, rx);
  D3DXMatrixMultiply(face, t, ry);
  myAngle = a;
  myPitch = p;
  traj.x = std::cos(a - 1.57f) * h;
  traj.z = -h * std::sin(a - 1.57f);
  traj.y = -h * p;
  PlaySound3D(SndRico, pos);
}

Integer CSprite::shotTest() {
  if (structHit()) return -2;
  return checkShipHit(pos.x, pos.y, pos.z, Owner);
}

void CSprite::checkCollisions() {
  const Integer code = shotTest();
  if (code == -2 || code >= 0)
    Exists = false;
  else if (code < -9)
    deflectShot(code);
}

void CSprite::steerHoming(Single accel, Single maxSpeed, Single turnDiv, Single pitchDiv) {
  // 1.
  if (Target == -1) return;
  CShip* t = shipAt(Target);
  if (!t) {  // an index that names no ship at all ends the homing
    Target = -1;
    return;
  }
  // 2.
  if (t->HasJammer) {
    if (trackTime <= 0) {
      jamTime -= ft();
      if (jamTime <= 0) trackTime = Rnd() / 2 + 0.5f;
      return;
    }
    trackTime -= ft();
    if (trackTime <= 0) jamTime = Rnd() / 4;
  }
  // 3.
  speed += accel * ft();
  if (speed > maxSpeed) speed = maxSpeed;
  traj.x = std::cos(myAngle - 1.57f) * speed;
  traj.z = -speed * std::sin(myAngle - 1.57f);
  if (myPitch > 3.14f) myPitch -= 6.28f;
  traj.y = -speed * std::sin(myPitch);
  while (myAngle < 0) myAngle += 6.28f;
  while (myAngle > 6.28f) myAngle -= 6.28f;
  // 4.
  if (Target < 0) return;
  Single d = getHunt(pos.x, pos.z, t->x, t->y, myAngle + 1.57f);
  const Single tf = getTimeFactor();
  // 5.
  Single clamp = -1;
  switch (sType) {
    case skRocket:
      if (std::fabs(d) > 0.5f) Target = -1;
      clamp = 0.07f * tf;
      break;
    case skMissile: case skMissileB: clamp = 0.5f * tf; break;
    case skTorpedo: case skTorpedoB: clamp = 1.0f * tf; break;
    case skNeuBolt: clamp = 2.0f * tf; break;
    default: break;
  }
  if (sType == skMissile || sType == skMissileB || sType == skTorpedo || sType == skTorpedoB ||
      sType == skNeuBolt) {
    if ((d > -clamp && d < clamp) || Frame > 9) hardTurnTime = 0;
    hardTurnTime += ft();
    if (hardTurnTime > 0.5f) Frame -= 1.0f;
  }
  if (clamp >= 0) {
    if (d > clamp) d = clamp;
    if (d < -clamp) d = -clamp;
  }
  // 6.
  if (Target >= 0) {
    myAngle -= d / turnDiv;
    const Single hd = static_cast<Single>(getDist(pos.x, pos.z, t->x, t->y));
    Single q = getAngle(0, 0, hd, pos.y - t->e);
    if (q > 3.14f) q -= 6.28f;
    myPitch -= (myPitch + q) / pitchDiv;
    if (!t->Exists) Target = -1;
  }
}

void CSprite::Move() {
  // 1.
  const D3DVECTOR oldPos = pos;
  const Long entryKind = sType;
  IsOpen = true;
  // 2.
  advance(pos, traj, ft());
  pFrame = Frame;
  Frame -= ft();
  if (Frame < 0) Exists = false;
  // 3.
  if (Exists) kindStep(oldPos);
  // 4..5.
  if (!Exists || sType != entryKind) {
    pos = oldPos;
    deathEffect(entryKind, oldPos);
  }
  // 6.
  IsOpen = false;
}

void CSprite::kindStep(const D3DVECTOR& oldPos) {
  const Single t = ft();
  const D3DVECTOR back = addScaled(oldPos, traj, -0.025f);
  switch (sType) {
    case skLaserShot: laserShotStep(oldPos); break;
    case skPhotonShot: case skBeamShot: case skSpinShot: beamShotStep(oldPos, back); break;
    case skNeuShot: neuShotStep(oldPos, back); break;
    case skNeuShotB: neuShotBStep(oldPos, back); break;
    case skPanelShot: case skPanelShotB: panelShotStep(oldPos); break;
    case skShortShot: shortShotStep(oldPos); break;
    case skHarpBolt: harpBoltStep(oldPos); break;
    case skHarpBoltB: harpBoltBStep(oldPos); break;
    case skRocket:
      if (Target >= 0) steerHoming(250, 3000, 5, 15);
      checkCollisions();
      if (!Exists) spawnFireBurst(back);
      break;
    case skMissile: case skMissileB: missileStep(); break;
    case skTorpedo: torpedoStep(); break;
    case skTorpedoB: torpedoBStep(); break;
    case skNeuBolt: case skNeuBoltB: neuBoltStep(); break;
    case skHeartShot: heartShotStep(); break;
    case skRedFlare: redFlareStep(); break;
    case skTurretBolt: turretBoltStep(); break;
    case skOrb: case skInnerOrb: orbStep(); break;
    case skOrbCore: orbCoreStep(); break;
    case skBlastCore: case skBlastCoreB: blastCoreStep(); break;
    case skSpawnerB:
      if (tick(3)) {
        const D3DVECTOR p = within(pos, 300);
        add(p, Still, skElectro, 0, 30 * Rnd() + 5);
      }
      break;
    case skDust: {
      const double q = getQuickDist(CamEye.x, CamEye.z, pos.x, pos.z);
      if (q > 1200) Frame -= t;
      if (q > 1800) Frame -= t;
      break;
    }
    case skExplodeQuad:
      traj.y -= 450 * t;
      size += t;
      break;
    case skHaloBolt:
      traj.x += (Rnd() - 0.5f) * 1000 * t;
      traj.y += (Rnd() - 0.5f) * 1000 * t;
      traj.z += (Rnd() - 0.5f) * 1000 * t;
      break;
    case skSkySpike: {
      auto toward = [t](Single& v, Single c) {
        if (c > 0) v -= 100 * t;
        else if (c < 0) v += 100 * t;
      };
      toward(traj.x, pos.x);
      toward(traj.y, pos.y);
      toward(traj.z, pos.z);
      break;
    }
    case skElectro: traj.y += 200 * t; break;
    case skBlank: case skLightFlash: case skLightFlashB: case skBlankB: case skLightFlashC: {
      const Single L = Frame;
      static const Single c[5][3] = {{500, 100, 100}, {100, 500, 100}, {100, 100, 500}, {500, 100, 500},
                                     {500, 500, 500}};
      const auto& k = c[sType - skBlank];
      addDynaLight(pos, k[0] * L, k[1] * L, k[2] * L, 2000);
      break;
    }
    case skDebris1: case skDebris2: case skDebris3: case skDebris4: case skDebris5: debrisStep(oldPos); break;
    case skBlood: traj.y -= 700 * t; break;
    case skZap: case skZapB: zapStep(); break;
    default: break;
  }
}

// The steps of the kinds with more than a few lines, each called by kindStep for its own kinds
// only. oldPos is the point before this frame's travel, back a little behind it along traj.

void CSprite::laserShotStep(const D3DVECTOR& oldPos) {
  if (structHit()) {
    spawnSmallBurst(oldPos);
    Exists = false;
    return;
  }
  const Integer code = checkShipHit(pos.x, pos.y, pos.z, Owner);
  if (code >= 0) {
    spawnSmallBurst(oldPos);
    add(oldPos, Still, skFireball);
    add(oldPos, Still, skSpark);
    addDynaLight(oldPos, 100, 255, 100, 1000);
    Exists = false;
  } else if (code < -9) {
    deflectShot(code);
  }
}

void CSprite::beamShotStep(const D3DVECTOR& oldPos, const D3DVECTOR& back) {
  const Single t = ft();
  const int steps = sType == skPhotonShot ? 3 : 5;
  for (int n = 0; n < steps; ++n) {
    checkCollisions();
    if (!Exists) break;
    if (n < steps - 1) advance(pos, traj, t);
  }
  if (!Exists) {
    if (sType == skPhotonShot) {
      add(oldPos, Still, skTorRing);
      addDynaLight(oldPos, 100, 100, 255, 1000);
    } else if (sType == skBeamShot) {
      spawnSmokeBurst(back);
      addDynaLight(oldPos, 255, 0, 0, 1000);
    } else {
      spawnWaveBurstB(back);
      addDynaLight(oldPos, 255, 0, 255, 1000);
    }
  }
}

void CSprite::neuShotStep(const D3DVECTOR& oldPos, const D3DVECTOR& back) {
  const Single t = ft();
  bool turned = false;
  for (int n = 0; n < 5; ++n) {
    const Integer code = shotTest();
    if (code == -2 || code >= 0) {
      sType = skNeuShotB;
      Target = code >= 0 ? code : static_cast<Integer>(-1);
      Frame = Rnd() / 2 + 2.5f;
      turned = true;
      break;
    }
    if (code < -9) deflectShot(code);
    if (n < 4) advance(pos, traj, t);
  }
  if (turned) {
    addDynaLight(oldPos, 0, 255, 0, 1000);
    if (Target == -1 || Rnd() < 0.5f) {
      spawnWaveBurstA(back);
      Exists = false;
      doSplashDamage(60, 100, pos, Owner);
    }
  }
}

void CSprite::neuShotBStep(const D3DVECTOR& oldPos, const D3DVECTOR& back) {
  CShip* s = shipAt(Target);
  pos = (Target >= 0 && s) ? s->getPos() : oldPos;
  if (tick(9) && Rnd() < 0.5f) {
    D3DVECTOR v;
    v.x = 150 - 300 * Rnd();
    v.y = 150 - 300 * Rnd();
    v.z = 150 - 300 * Rnd();
    add(pos, v, skHaloBolt);
  }
  if (Frame < 1) {
    spawnWaveBurstA(back);
    Exists = false;
    doSplashDamage(60, 200, pos, Owner);
  }
}

void CSprite::panelShotStep(const D3DVECTOR& oldPos) {
  const Single t = ft();
  for (int n = 0; n < 5; ++n) {
    const Integer code = shotTest();
    if (code == -2) {
      spawnSparkPair(oldPos);
      Exists = false;
    } else if (code >= 0 && sType == skPanelShot) {
      spawnSparkPair(oldPos);
      add(oldPos, Still, skFireball);
      add(oldPos, Still, skSpark);
      Exists = false;
    } else if (code < -9) {
      deflectShot(code);
    }
    if (!Exists) break;
    if (n < 4) advance(pos, traj, t);
  }
}

void CSprite::shortShotStep(const D3DVECTOR& oldPos) {
  D3DVECTOR prev = oldPos;
  for (int n = 0; n < 100; ++n) {
    prev = pos;
    advance(pos, traj, 0.025f);
    if (n % 2 == 0) {
      add(pos, addScaled(Still, traj, -0.08f), skXBlast);
      const D3DVECTOR v = addScaled(Still, traj, -0.1f);
      add(pos, v, skTorFade, 0, 7 * Rnd());
      if (camWithin(pos, 800)) add(pos, addScaled(Still, traj, -0.06f), skXBlast);
    }
    const Integer code = shotTest();
    if (code == -2 || code >= 0) {
      spawnDebrisBurst(prev);
      break;
    }
    if (code < -9) deflectShot(code);
  }
  Exists = false;
}

void CSprite::harpBoltStep(const D3DVECTOR& oldPos) {
  const Single t = ft();
  if (tick(35))
    for (int n = 0; n < 10; ++n)
      if (Rnd() < 0.5f) {
        const D3DVECTOR p = addScaled(pos, traj, -0.025f * n);
        add(p, spread(100), skExplodeQuad);
      }
  for (int n = 0; n < 3; ++n) {
    const Integer code = shotTest();
    if (code == -2 || code >= 0) {
      spawnSparkPair(oldPos);
      sType = skHarpBoltB;
      Frame = Rnd() + 2;
      Target = code >= 0 ? code : static_cast<Integer>(-1);
      break;
    }
    if (code < -9) deflectShot(code);
    if (n < 2) advance(pos, traj, t);
  }
}

void CSprite::harpBoltBStep(const D3DVECTOR& oldPos) {
  CShip* s = shipAt(Target);
  pos = (Target >= 0 && s) ? s->getPos() : oldPos;
  if (tick(25))
    for (int n = 0; n < 6; ++n)
      if (Rnd() < 0.5f) {
        D3DVECTOR v;
        v.x = (50 - 100 * Rnd()) - traj.x / 5;
        v.y = (50 - 100 * Rnd()) - traj.y / 5;
        v.z = (50 - 100 * Rnd()) - traj.z / 5;
        add(pos, v, skExplodeQuad);
      }
  if (Frame < 1) {
    spawnOrbFade(pos, Owner);
    Exists = false;
  }
}

void CSprite::missileStep() {
  const Single t = ft();
  add(pos, Still, skBlueFlare);
  if (tick(20) && easyTestVis(pos.x, pos.z) && (sType == skMissile || Frame > 9.5f)) {
    add(pos, sinking(), skDust);
    if (sType == skMissile && camWithin(pos, 1000)) add(addScaled(pos, traj, -2.5f * t), sinking(), skDust);
  }
  if (sType == skMissile)
    steerHoming(220, 2500, 6, 5);
  else
    steerHoming(220, 2500, 5, 5);
  checkCollisions();
}

void CSprite::torpedoStep() {
  const Single t = ft();
  if (tick(20) && easyTestVis(pos.x, pos.z)) {
    add(pos, sinking(), skTorSpark);
    if (camWithin(pos, 1000)) add(addScaled(pos, traj, 0.5f * t), sinking(), skTorSpark);
    const D3DVECTOR v = sinking();
    add(pos, v, skTorFade, 0, 7 * Rnd());
  }
  steerHoming(220, 1100, 5, 5);
  checkCollisions();
  if (!Exists) spawnShipExplosion(pos);
}

void CSprite::torpedoBStep() {
  const Single t = ft();
  if (Frame > 13 && tick(20) && easyTestVis(pos.x, pos.z)) {
    const D3DVECTOR v = sinking();
    add(pos, v, skTorFade, 0, 7 * Rnd());
    if (Frame > 9.5f) {
      add(addScaled(pos, traj, 0.5f * t), sinking(), skTorSpark);
      add(pos, sinking(), skTorSpark);
    }
  }
  steerHoming(100, 2500, 5, 5);
  checkCollisions();
}

void CSprite::neuBoltStep() {
  if ((sType == skNeuBoltB || Frame > 13) && tick(20) && easyTestVis(pos.x, pos.z)) {
    const D3DVECTOR p = within(pos, 20);
    const D3DVECTOR v = sinking();
    add(p, v, skHaloBolt, 0, 7 * Rnd());
    if (sType == skNeuBoltB || Frame > 9.5f) add(pos, sinking(), skTorGlow);
  }
  if (sType == skNeuBolt)
    steerHoming(500, 2500, 3, 3);
  else
    steerHoming(500, 2500, 2, 2);
  checkCollisions();
  if (!Exists && sType == skNeuBoltB) spawnBlastA(pos);
}

void CSprite::heartShotStep() {
  if (tick(20) && easyTestVis(pos.x, pos.z))
    for (int k = 0; k < 2; ++k) {
      const D3DVECTOR p = within(pos, 50);
      const D3DVECTOR v = sinking();
      add(p, v, skHeart, 0, Rnd());
    }
  steerHoming(500, 2500, 2, 2);
  checkCollisions();
  if (!Exists) spawnBlastB(pos);
}

void CSprite::redFlareStep() {
  const Single t = ft();
  if (tick(10) && Rnd() < 0.5f) {
    const D3DVECTOR p = within(pos, 150);
    add(p, sinking(), skZapB);
  }
  if (tick(20) && easyTestVis(pos.x, pos.z)) {
    add(pos, sinking(), skRedSpikeQuad);
    if (camWithin(pos, 1000)) add(addScaled(pos, traj, -2.5f * t), sinking(), skRedSpikeQuad);
  }
  checkCollisions();
}

void CSprite::turretBoltStep() {
  if (Frame > 0.75f) {
    CShip* s = shipAt(Target);
    if (tick(4) && Target >= 0 && s) {
      PlaySound3D(SndLaser, pos);
      const Single a = getAngle(pos.x, pos.z, s->x, s->y);
      const Single hd = static_cast<Single>(getDist(pos.x, pos.z, s->x, s->y));
      Single b = getAngle(0, pos.y, hd, s->e);
      if (b > 3.14f) b -= 6.28f;
      D3DMATRIX rx, ry;
      D3DXMatrixRotationX(rx, b);
      D3DXMatrixRotationY(ry, a + 1.57f);
      D3DXMatrixMultiply(ScratchMatrix, rx, ry);
      add(pos, vec(2000 * std::cos(a), -2000 * std::sin(b), -2000 * std::sin(a)), skPhotonShot, 0, 0, Owner,
          -1);
    }
  } else {
    traj.y += 2500 * ft();
  }
}

void CSprite::orbStep() {
  const Single t = ft();
  if (Frame > 1.57f) Frame -= t;
  if (sType == skInnerOrb) return;
  if (pFrame > 1.57f && Frame <= 1.57f) {
    add(pos, Still, skRingFade);
    CamShake = 0.3f;
    PlaySound3D(SndBassplode, pos);
  }
  if (tick(10)) {
    const Single R = 1800 * std::sin(Frame);
    doSplashDamage(500, R, pos, Owner);
    const Single a = 6.28f * Rnd();
    const D3DVECTOR p = vec(pos.x + R * std::cos(a), pos.y, pos.z - R * std::sin(a));
    for (int k = 0; k < 4; ++k) add(p, Still, skZapB);
  }
}

void CSprite::orbCoreStep() {
  if (tick(25))
    for (int k = 0; k < 2; ++k) {
      const Single R = (1 - Frame) * 500 + 100;
      const D3DVECTOR p = within(pos, R);
      const Single s = 10 * Frame + 2;
      add(p, Still, skRing, 0, s);
      add(p, Still, skSpikeQuad, 0, 2 * s);
    }
}

void CSprite::blastCoreStep() {
  if (tick(15)) {
    const D3DVECTOR second = addScaled(pos, traj, 0.5f * ft());
    for (int k = 0; k < 2; ++k) {
      const D3DVECTOR p = within(k == 0 ? pos : second, 5);
      const D3DVECTOR v = sinking();
      if (sType == skBlastCore) {
        add(p, v, skPuff);
      } else {
        const Single life = 4 * Rnd();
        add(p, v, skCloud, life, 7 * Rnd());
      }
    }
  }
}

void CSprite::debrisStep(const D3DVECTOR& oldPos) {
  traj.y -= 700 * ft();
  if (sType == skDebris5 && tick(10)) add(oldPos, Still, skBlood);
  if ((sType == skDebris2 || sType == skDebris4) && tick(10)) {
    D3DVECTOR v{0, 500 * Rnd(), 0};
    v.z = 500 * Rnd();
    const Single life = Rnd() / 4 + 0.25f;
    add(oldPos, v, skFire, life, 4 * Rnd() + 4);
  }
  if (sType == skDebris1 && Frame < 1 && tick(15)) {
    D3DVECTOR v{0, 200 * Rnd(), 0};
    v.z = 200 * Rnd();
    add(oldPos, v, skPuff);
  }
}

void CSprite::zapStep() {
  const Single t = ft();
  const Integer m = static_cast<Integer>(floorI(size) % 3);
  if (m == 2) {
    myAngle -= t;
    myPitch -= t / 2;
  } else {
    myAngle += t / 2;
    myPitch += 2 * t;
  }
  D3DMATRIX rx, ry;
  D3DXMatrixRotationX(rx, myPitch);
  D3DXMatrixRotationY(ry, myAngle);
  D3DXMatrixMultiply(face, rx, ry);
}

void CSprite::deathEffect(Long kind, const D3DVECTOR& oldPos) {
  const Integer owner = Owner;  // a burst may hand this very slot to a new sprite
  const D3DVECTOR at = pos;
  switch (kind) {
    case skMissile: {
      const D3DVECTOR p = addScaled(addScaled(oldPos, traj, ft()), traj, -0.015f);
      pos = p;
      spawnLargeExplosion(p, 0);
      for (int k = 0; k < 32; ++k) {
        const Single a = 6.28f * Rnd();
        const Single b = 3.14f * Rnd() + 1.57f;
        D3DMATRIX rx, ry;
        D3DXMatrixRotationX(rx, b);
        D3DXMatrixRotationY(ry, a - 1.57f);
        D3DXMatrixMultiply(ScratchMatrix, rx, ry);
        const D3DVECTOR v =
            vec(1000 * std::cos(a) * std::cos(b), 1000 * std::sin(b), -1000 * std::sin(a) * std::cos(b));
        add(p, v, skPanelShotB, 0, 0, owner, 0);
      }
      break;
    }
    case skMissileB: spawnLargeExplosion(at, -1); break;
    case skTorpedoB: spawnShipExplosion(at); break;
    case skNeuBolt: spawnBlastA(at); break;
    case skNeuHalo:
      add(at, Still, skRing, 0, 6);
      if (owner == 1)
        for (int k = 0; k < 5; ++k) {
          D3DVECTOR v;
          v.x = 1500 * Rnd() - 750;
          v.y = 1500 * Rnd() - 750;
          v.z = 1500 * Rnd() - 750;
          add(at, v, skNeuHalo, Rnd());
        }
      break;
    case skNeuBoltB: doSplashDamage(100, 1000, at, owner); break;
    case skDebris1: case skDebris2: case skDebris3: case skDebris4: case skDebris5:
      add(at, Still, skRing, 0, 10); break;
    case skTurretBolt:
      for (int k = 0; k < 5; ++k) {
        const D3DVECTOR p = within(at, 10);
        const D3DVECTOR v = spread(200);
        add(p, v, skXBlast, 0, 10);
      }
      break;
    case skPanelShotB:
      spawnSparkPair(oldPos);
      add(oldPos, Still, skFireball);
      add(oldPos, Still, skSpark);
      break;
    case skRedFlare: spawnOrbBlast(at, owner); break;
    default: break;
  }
}
