// CShip weapons: the per-frame weapon step (FireWeapons), one shot of a mount (FireMount), the
// gunner's secondary shot (FireSecondary), the muzzle and mount geometry, the gunner's aim, and
// the choice of the secondary weapon (the switch keys, checkWeaponSwitch). Shots are sprites added
// to the pool with the firing mount's rotation left in ScratchMatrix. Called from the movement
// step (inside its error trap) and by the interface's secondary panel.
#include <cmath>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

namespace {
// A primary weapon by MountType 0..11: shot kind, speed (units per second), whether the shot takes
// the ship's target, and the sounds played at the muzzle (no second sound when null).
struct PrimaryRow {
  Long kind;
  Single speed;
  bool guided;
  Integer* sound1;
  Integer* sound2;
};
const PrimaryRow PrimaryWeapons[12] = {
    {skRocket, 2000, true, &SndRocker, nullptr},          // 0 "rocket"
    {skLaserShot, 2500, false, &SndLaser, nullptr},       // 1 "laser"
    {skPhotonShot, 2500, false, &SndLaser, nullptr},      // 2 "plasma"
    {skPanelShot, 2500, false, &SndVulcan, nullptr},      // 3 "vulcan"
    {skBeamShot, 2500, false, &SndLaser, nullptr},        // 4 "beam"
    {skMissileB, 1500, true, &SndRocket, &SndBassplode},  // 5 "cannon"
    {skTorpedoB, 1500, true, &SndRail, &SndBassplode},    // 6 "photon"
    {skNeuBolt, 500, true, &SndNeutron, &SndBassplode},   // 7 "neutron"
    {74, 500, true, &SndRail, &SndBassplode},             // 8 "beambolt" (skTurretBolt)
    {skSpinShot, 2500, false, &SndLaser, nullptr},        // 9 "shuriken"
    {89, 500, true, &SndLaser, nullptr},                  // 10 "radio" (skPlain)
    {skNeuShot, 2500, false, &SndLaser, nullptr},         // 11 "plasmoder"
};
constexpr Long MountVulcan = 3;

// A secondary weapon by SecondaryType 0..7: shot kind, speed, sound at the start point and the
// weight that sets the recoil. Types 8..15 have no shot: firing one spends a round only.
struct SecondaryRow {
  Long kind;
  Single speed;
  Integer* sound;
  Single weight;
};
const SecondaryRow SecondaryWeapons[8] = {
    {skMissile, 1000, &SndRocket, 100},    // 0 "missile"
    {skTorpedo, 1000, &SndRail, 500},      // 1 "torpedo"
    {41, 2500, &SndCross, 100},            // 2 "xbow" (skHarpBolt)
    {37, 2500, &SndShotgun, 200},          // 3 "shotty" (skSpawner)
    {skShortShot, 2500, &SndSniper, 100},  // 4 "sniper"
    {skNeuBoltB, 1000, &SndNeutron, 800},  // 5 "neutron"
    {skHeartShot, 1000, &SndRail, 800},    // 6 "heart"
    {79, 1000, &SndDark, 800},             // 7 "dark" (skRedFlare)
};

constexpr Long HitFlashKind = skHitFlash;  // the muzzle flash
constexpr Single SoundRange = 4000;   // mount sounds only this near the camera eye
constexpr Single SwitchDelay = 0.5f;  // seconds between secondary shots and after a switch

D3DMATRIX product(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX out;
  D3DXMatrixMultiply(out, a, b);
  return out;
}

D3DMATRIX translation(Single x, Single y, Single z) {
  D3DMATRIX m;
  D3DXMatrixTranslation(m, x, y, z);
  return m;
}

D3DMATRIX rotationX(Single a) {
  D3DMATRIX m;
  D3DXMatrixRotationX(m, a);
  return m;
}

D3DMATRIX rotationY(Single a) {
  D3DMATRIX m;
  D3DXMatrixRotationY(m, a);
  return m;
}

D3DMATRIX rotationZ(Single a) {
  D3DMATRIX m;
  D3DXMatrixRotationZ(m, a);
  return m;
}

D3DVECTOR transformed(Single px, Single py, Single pz, const D3DMATRIX& m) {
  D3DVECTOR out;
  D3DXVec3TransformCoord(out, D3DVECTOR{px, py, pz}, m);
  return out;
}

bool isBig(Long body) {
  return body == sbCapital || body == sbFleshy;
}
}  // namespace

// ---- geometry -------------------------------------------------------------------------------

Integer CShip::lastMount() const {
  const Integer t = def().TotalMounts;
  if (t < 0) return -1;
  return t < MountSlots ? t : static_cast<Integer>(MountSlots - 1);
}

bool CShip::firstBroadside(Integer i) const {
  return i <= def().TotalMounts / 2.0;
}

// The ship's place from the body's centre: T(0, -height/2, 0) then its attitude and position.
static D3DMATRIX shipFrame(Single height, Single rollAll, Single pitchAll, Single yawAll, Single x, Single e,
                           Single y) {
  D3DMATRIX m = product(translation(0, -height / 2, 0), rotationZ(rollAll));
  m = product(m, rotationX(pitchAll));
  m = product(m, rotationY(yawAll));
  return product(m, translation(x, e, y));
}

D3DVECTOR CShip::getMountPos(Integer i) const {
  const CShipDef& d = def();
  const bool big = isBig(d.ShipBody);
  D3DMATRIX m = big ? rotationY(firstBroadside(i) ? -1.57f : 1.57f) : rotationZ(d.getMountRot(i));
  m = product(m, translation(d.getMountXOff(i), d.getMountZOff(i), d.getMountYOff(i)));
  m = product(m, shipFrame(height, trickRoll + roll, trickPitch + Pitch, trickYaw + r, x, e, y));
  return big ? transformed(0, 0, 60, m) : transformed(0, 6, 20, m);
}

D3DMATRIX CShip::getMountRotMatrix(Integer i, bool asBike) const {
  const CShipDef& d = def();
  D3DMATRIX m = rotationZ(trickRoll + roll + d.getMountRot(i) + 1.57f);
  m = product(m, rotationX(trickPitch + Pitch));
  m = product(m, rotationY(trickYaw + r));
  if (!asBike && isBig(d.ShipBody)) m = product(m, rotationY(firstBroadside(i) ? -1.57f : 1.57f));
  return m;
}

void CShip::aimSeat(Integer s) {
  const CShipDef& d = def();
  const D3DMATRIX world =
      product(translation(d.getSeatXOff(s), d.getSeatZOff(s), d.getSeatYOff(s)),
              shipFrame(height, trickRoll + roll, trickPitch + Pitch, trickYaw + r, x, e, y));
  if (D3DDevice) checkHResult(D3DDevice->SetTransform(D3DTS_WORLD, world));
  // Muzzle of the hand weapon from the seat: (across, height, along).
  const bool convertible = d.ShipBody == sbConvertible;
  const D3DVECTOR p = convertible ? transformed(17.5f, 24, 24, world) : transformed(20.5f, 24, 21, world);
  std::shared_ptr<CCharacter>& c = vbAt(crew, s);
  if (!c) vbRaise(vberr::ObjectMissing);
  c->setvShoot(p.x, p.y, p.z);
}

// ---- the weapon step ------------------------------------------------------------------------

void CShip::FireWeapons() {
  // 1.
  if (getBoostVal() > 0 || getFlipVal() > 0) return;
  const Single dt = static_cast<Single>(FrameTime);
  const Integer last = lastMount();
  // 2.
  for (Integer i = 0; i <= last; ++i) {
    Single& cd = mountCooldown[static_cast<size_t>(i)];
    if (cd > 0) cd = cd - dt > 0 ? cd - dt : 0.0f;
  }
  // 3.
  if (keySwitchLeft) {
    keySwitchLeft = false;
    prevSecondary();
  }
  if (keySwitchRight) {
    keySwitchRight = false;
    nextSecondary();
  }
  // 4.
  if (switchCooldown > 0) switchCooldown -= dt;
  // 5. Muzzle flashes; a vulcan's second shot.
  for (Integer i = 0; i <= last; ++i) {
    const size_t k = static_cast<size_t>(i);
    if (!(mountFlash[k] > 0)) continue;
    if (mounts[k] == MountVulcan) {
      const Single before = mountFlash[k];
      mountFlash[k] -= dt;
      if (before > 0.125f && mountFlash[k] <= 0.125f) {
        FireMount(i, MountVulcan);
        mountFlash[k] = 0.124f;
      }
      mountPos[k] = getMountPos(i);
      const Single life = Rnd() / 10 + 0.1f;
      const Single size = Rnd() * 6;
      AddSprite(mountPos[k].x, mountPos[k].y, mountPos[k].z, 0, 0, 0, HitFlashKind, life, size, -1, -1);
    } else {
      mountPos[k] = getMountPos(i);
      const Single size = Rnd() * 6;
      AddSprite(mountPos[k].x, mountPos[k].y, mountPos[k].z, 0, 0, 0, HitFlashKind, mountFlash[k], size, -1,
                -1);
      mountFlash[k] -= dt;
    }
  }
  // 6. Secondary weapon (held: repeats at the switch delay's pace).
  if (keySecondary) {
    const Long body = def().ShipBody;
    if (body == sbFleshy) {
      // no secondary weapon
    } else if (body == sbCapital) {
      if (GameInterface) GameInterface->Spawn(ID);
    } else {
      const Integer w = gunnerWeapon();
      if (w < 0 && ID == 0 && GameInterface) {
        const Integer back = GameInterface->WeaponSwitchBack;
        if (back >= 0 && back < SecondarySlots && hasSecondary[static_cast<size_t>(back)] &&
            secondaryAmmo[static_cast<size_t>(back)] > 0)
          GameInterface->InitSecondarySwitch(back, false);
      }
      if (w >= 0 && switchCooldown <= 0) {
        switchCooldown = SwitchDelay;
        if (vbAt(secondaryAmmo, w) >= 1) {
          const Long pose = body == sbBike ? 22 : body == sbConvertible ? 24 : body == sbCar ? 10 : -1;
          if (pose >= 0) crew[1]->setAnim(pose, 0, true);
        }
        FireSecondary();
      }
    }
  }
  // 7. Primary fire: the mounts take turns, one shot per interval.
  if (keyPrimary && mountCooldown[0] <= 0 && last >= 0) {
    const Integer count = static_cast<Integer>(last + 1);
    if (nextMount < 0 || nextMount >= count)
      nextMount = static_cast<Integer>(((nextMount % count) + count) % count);
    for (Integer tries = 0; tries < count; ++tries) {
      const Long weapon = mounts[static_cast<size_t>(nextMount)];
      const Integer i = nextMount;
      nextMount = static_cast<Integer>((nextMount + 1) % count);
      if (weapon >= 0) {
        mountCooldown[0] = primaryInterval;
        if (weapon <= 11) FireMount(i, weapon);
        break;
      }
    }
  }
}

void CShip::FireMount(Integer i, Long weapon) {
  vbCheckIndex(i, 0, MountSlots - 1);
  const size_t k = static_cast<size_t>(i);
  vbCheckIndex(weapon, 0, 11);
  const PrimaryRow& row = PrimaryWeapons[weapon];
  // 1.
  mountPos[k] = getMountPos(i);
  const D3DVECTOR at = mountPos[k];
  const Double d = getDist(CamEye.x, CamEye.z, x, y);
  // 2.
  if (d < SoundRange) {
    PlaySound3D(*row.sound1, at);
    if (row.sound2) PlaySound3D(*row.sound2, at);
  }
  // 3.
  const Single speed = row.speed;
  Single a = trickYaw + r - 1.57f;
  Single up = -speed * Pitch;
  if (isBig(def().ShipBody)) {
    const bool first = firstBroadside(i);
    a = first ? trickYaw + r - 3.14f : trickYaw + r;
    up = first ? -speed * roll : speed * roll;
  }
  const Single vx = std::cos(a) * speed, vz = -std::sin(a) * speed;
  // 4.-5.
  ScratchMatrix = getMountRotMatrix(i);
  AddSprite(at.x, at.y, at.z, vx, up, vz, row.kind, 0, 0, ID, row.guided ? SecondaryTarget : Integer(-1));
  // 6.
  mountFlash[k] = weapon == MountVulcan ? 0.25f : 0.1f;
}

void CShip::FireSecondary() {
  const Integer w = gunnerWeapon();
  Integer& ammo = vbAt(secondaryAmmo, w);
  // 1.
  if (ammo <= 0) {
    nextSecondary();
    return;
  }
  // 2.
  ammo = static_cast<Integer>(ammo - 1);
  if (ID == 0 && CheatAmmo) ammo = static_cast<Integer>(ammo + 1);
  if (w >= 8) return;  // no shot of its own: the round is spent
  // 3.
  const SecondaryRow& row = SecondaryWeapons[w];
  // 4. Recoil.
  const Single cargo = def().Cargo;
  recoilPush = cargo >= row.weight ? 500.0f : std::sqrt(row.weight - cargo) * 200 + 500;
  recoilHeading = r;
  // 5.
  ScratchMatrix = getMountRotMatrix(0);
  // 6.
  const Single a = trickYaw + r - 1.57f;
  const Single vx = std::cos(a) * row.speed, vy = -row.speed * Pitch, vz = -std::sin(a) * row.speed;
  // 7.
  aimSeat(1);
  const D3DVECTOR start = crew[1]->getvShoot();
  // 8.
  PlaySound3D(*row.sound, start);
  AddSprite(start.x, start.y, start.z, vx, vy, vz, row.kind, 0, 0, ID, SecondaryTarget);
}

// ---- secondary-weapon choice ----------------------------------------------------------------

Integer CShip::gunnerWeapon() const {
  if (!crew[1]) return -1;
  const Long w = crew[1]->Weapon;
  return w < -1 || w > 32767 ? Integer(-1) : static_cast<Integer>(w);
}

void CShip::nextSecondary() {
  if (def().ShipBody == sbCapital) {
    if (GameInterface) GameInterface->NextSpawn(ID);
    return;
  }
  Integer start = gunnerWeapon();
  if (ID == 0 && GameInterface) {
    const Integer goal = GameInterface->getSecondaryGoal();
    if (goal != -2) start = goal;
  }
  int k = start < -1 ? 0 : start + 1;
  while (k < SecondarySlots && !hasSecondary[static_cast<size_t>(k)]) ++k;
  takeSecondaryChoice(k < SecondarySlots ? static_cast<Integer>(k) : Integer(-1));
}

void CShip::prevSecondary() {
  if (def().ShipBody == sbCapital) {
    if (GameInterface) GameInterface->PrevSpawn(ID);
    return;
  }
  Integer start = gunnerWeapon();
  if (ID == 0 && GameInterface) {
    const Integer goal = GameInterface->getSecondaryGoal();
    if (goal != -2) start = goal;
  }
  int k = start > SecondarySlots ? SecondarySlots - 1 : start - 1;
  if (k < -1) k = SecondarySlots - 1;
  while (k >= 0 && !hasSecondary[static_cast<size_t>(k)]) --k;
  takeSecondaryChoice(static_cast<Integer>(k));
}

void CShip::takeSecondaryChoice(Integer choice) {
  if (ID == 0) {
    if (GameInterface) GameInterface->InitSecondarySwitch(choice, false);
    return;
  }
  if (choice != gunnerWeapon()) {
    crew[1]->setSwitchWeapon(choice, def().ShipBody);
    switchCooldown = SwitchDelay;
  }
}

void CShip::checkWeaponSwitch(Integer w) {
  if (!crew[1]) vbRaise(vberr::ObjectMissing);
  if (w != crew[1]->Weapon) {
    crew[1]->setSwitchWeapon(w, def().ShipBody);
    switchCooldown = SwitchDelay;
  }
}

Integer CShip::getSwitchWeapon() const {
  if (!crew[1]) vbRaise(vberr::ObjectMissing);
  return crew[1]->SwitchWeapon;
}
