// CShip: damage. Hit takes every blow on the ship (shots, splash, rams), DamageEffects throws the
// debris bursts when the armour crosses its marks.
#include <cmath>

#include "audio/soundMod.h"
#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

namespace {
// Base damage and armour share of a sprite kind (HitDamage); kinds 47 and 94 take the caller's
// amount. The armour share is the part of the damage that reaches the armour while shields last.
struct HitDamageEntry {
  Long kind;
  Single damage;
  Single armourShare;
};
constexpr HitDamageEntry HitDamage[] = {
    {skLaserShot, 20, 0.02f},  {skRocket, 20, 0.1f},     {skPhotonShot, 30, 0.02f}, {skMissile, 20, 0.1f},
    {skTorpedo, 200, 0.02f},   {skPanelShot, 15, 0.1f},  {skShortShot, 300, 0.02f}, {skBeamShot, 35, 0.02f},
    {skSplashDamage, 0, 0.05f}, {skMissileB, 50, 0.05f}, {skTorpedoB, 75, 0.02f},   {skNeuBolt, 125, 0.015f},
    {skNeuBoltB, 500, 0.015f}, {skHeartShot, -2000, 0.5f}, {skPanelShotB, 4, 0.2f}, {skSpinShot, 45, 0.05f},
    {skRam, 0, 0.1f},          {skNeuShot, 0, 0.1f},
};

// Damage factor of the player's difficulty: very easy .. armageddon.
double difficultyFactor() {
  if (!Player) return 1.0;
  switch (Player->Difficulty) {
    case 0: return 0.45;
    case 1: return 0.75;
    case 3: return 1.5;
    case 4: return 2.5;
    default: return 1.0;
  }
}

bool isMotherShip(Integer id) { return MotherShip >= 0 && id == MotherShip; }

CShip* shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[i].get();
}

// Kill pay and the dark escaper's node, from the world map; without one a kill pays nothing and
// the carrier finds no node to escape to.
Long killValue() { return World ? World->KillValue : 0; }
Integer findRandomCanReach() { return World ? World->FindRandomCanReach() : Integer{-1}; }
std::string nodePath(Integer node) { return World ? World->getNodePath(node) : std::string(); }
std::string nodeTitle(Integer node) { return World ? World->getNodeTitle(node) : std::string(); }
// A destroyed tagged ship raises its tag as a flag of the running mission phase.
void missionTag(const std::string& tag) {
  if (MissionControl) MissionControl->setTag(tag);
}
}  // namespace

void CShip::Hit(Long kind, Integer source, const D3DVECTOR& direction, Single amount) {
  CInterface* gi = GameInterface.get();
  // 1-2. No hits while a talk box focuses a ship, nor on an evacuated ship.
  if (gi && gi->getTalkBox() && gi->PopFocID >= 0) return;
  if (autoEvac == 2) return;

  // 3. The push direction and the side it comes from; a zero vector pushes nothing.
  const double len = std::sqrt(static_cast<double>(direction.x) * direction.x +
                               static_cast<double>(direction.y) * direction.y +
                               static_cast<double>(direction.z) * direction.z);
  const bool pushes = len > 0;
  const Single nx = pushes ? static_cast<Single>(direction.x / len) : 0.0f;
  const Single ny = pushes ? static_cast<Single>(direction.y / len) : 0.0f;
  const Single nz = pushes ? static_cast<Single>(direction.z / len) : 0.0f;
  double b = getAngle(0, 0, nx, nz);
  const double h = r - 1.57;
  if (b < h) b += 6.28;
  const double rel = b - h;

  // 4. The damage table.
  double D = 0, share = 0;
  for (const HitDamageEntry& entry : HitDamage) {
    if (entry.kind != kind) continue;
    D = entry.damage;
    share = entry.armourShare;
  }
  if (kind == skSplashDamage || kind == skRam) D = amount;
  if (kind == skTorpedo && sparkVal == 0) sparkVal = -1.0f;
  if (kind == skRam) {
    if (SmashExempt > 0) return;
    SmashExempt = 0.5f;
  }

  // 5-6. The player cannot hurt his own carrier; carriers and a Capital player ship take less.
  if (isMotherShip(ID) && D > 0 && source == 0) return;
  D /= 2;
  if (isMotherShip(ID) && D > 0) D /= 2;
  if (ID == 0 && getShipBody() == sbCapital) D /= 2;

  // 7. Knock-back; a friendly ram pushes without harm. A ship without size is not pushed.
  double k = pushes && shipSize > 0 ? 250 * D / shipSize : 0.0;
  if (kind == skRam) {
    k *= 0.8;
    D = D / 5 + 10;
    CShip* rammer = shipAt(source);
    if (!rammer || !rammer->checkAIHostile(ID)) D = 0;
  }
  if (D < 0) k = 0;
  if (ID == 0 && gi && gi->Window > msNone) k = 0;

  // 8-9. Push, and side blows tip the ship.
  pushX = static_cast<Single>(pushX + nx * k);
  pushE = static_cast<Single>(pushE + ny * k);
  pushY = static_cast<Single>(pushY + nz * k);
  if (rel > 1.07 && rel < 2.07 && roll > -10) roll = static_cast<Single>(roll - (1 - std::fabs(rel - 1.57)) * k / 100);
  if (rel > 4.01 && rel < 5.01 && roll < 10) roll = static_cast<Single>(roll + (1 - std::fabs(rel - 4.51)) * k / 100);

  // 10. God mode and difficulty.
  if (ID == 0 && CheatGod) D = 0;
  if (ID == 0 || isMotherShip(ID)) D *= difficultyFactor();

  // 11-12. Shields first; what they cannot hold goes to the armour.
  double shieldPart = D - D * share, armourPart = D * share;
  if (D < 0) shieldPart = armourPart = D / 2;
  Shields = static_cast<Single>(Shields - shieldPart);
  if (Shields > maxShields) Shields = maxShields;
  if (Shields < 0) {
    armourPart -= Shields;
    Shields = 0;
  }

  // 13-15.
  if (D > 0) {
    hitFlash = 0.1f;
    ShieldRecharge = shieldDelay;
  }
  const Single f0 = maxArmor > 0 ? Armor / maxArmor : 0.0f;
  Armor = static_cast<Single>(Armor - armourPart);
  if (D > 0) DamageEffects(f0);
  if (Armor > maxArmor) Armor = maxArmor;
  if (IsIshuo || IsMotama) {
    Armor = maxArmor;
    Shields = maxShields;
  }

  // 16-19. Armour below 0: the ship goes down, disabled or destroyed.
  if (Armor < 0) {
    if (isMotherShip(ID)) Armor = 0;
    if (armourPart + Armor >= 0) {
      const bool byPlayer = source == 0 || isMotherShip(source);
      if (byPlayer) {
        if (Player) Player->Cash += killValue();
        if (IsBounty >= 0) {
          if (gi) {
            gi->NewBountyMsg("target [R]" + gi->getBountyName(IsBounty) + "[r]: hunted!");
            if (Player) Player->Cash += gi->getBountyVal(IsBounty);
          }
          if (Player) Player->setBountyHunted(IsBounty, 2);
        }
      } else if (IsBounty >= 0) {
        if (gi) gi->NewBountyMsg("target [R]" + gi->getBountyName(IsBounty) + "[r]: lost...");
        if (Player) Player->setBountyHunted(IsBounty, 2);
      }
      if (!tag.empty()) missionTag(tag);
      if (autoEvac == 1) {
        autoEvac = 2;
        Armor = 1.0f;
      } else if (getShipBody() != sbFleshy) {
        randomCrew();
      }
    }
    if (!tractorGift.empty() || IAmBlarg) Armor = -1.0f;
    if (autoEvac != 2) {
      const Long body = getShipBody();
      const bool demo = gi && gi->Window == msDemo;
      const bool disabled = !demo && Armor >= -maxArmor / 2 && ID != 0 && body != sbBike && body != sbFleshy &&
                            !isMotherShip(ID);
      if (!disabled) {
        Armor = -maxArmor / 2;
        if (deathThroes < 1.0f) deathThroes = 1.0f;
        if (isMotherShip(ID)) {
          MotherShip = -1;
          CShip* p = shipAt(0);
          if (MotherPlayer && MotherPlayer->HasDarkEscaper && p && p->getSecondaryAmmo(7) > 0) {
            const Integer node = findRandomCanReach();
            if (node > -1) {
              stopEngineSound();
              spawnOrbBlast(getPos(), 0);
              p->setSecondaryAmmo(7, static_cast<Integer>(p->getSecondaryAmmo(7) - 1));
              MotherNodePath = nodePath(node);
              MotherNodeTitle = nodeTitle(node);
              MotherShip = -1;
              MotherPlayer->Armor = 1.0f;
              MotherPlayer->Shields = 1.0f;
            }
          }
        }
      }
    }
  }

  // 20. Feedback.
  if (D > 0) {
    if (ID == 0 && !ClassicView) {
      if (gi) gi->getHit();
      if (CamShake < 0.3f) CamShake = 0.3f;
    }
    if ((source == 0 || isMotherShip(source)) && gi) gi->addCombo(false);
  }

  // 21. The pilot turns on its attacker.
  if (D > 0 && source >= 0) {
    ai().JobTarget = source;
    if (source == 0) {
      if (gi) gi->setXHairRed();
      if (SceneEvent != 1 && SceneEvent != 2 && SceneEvent != 4 && !ForceFriend) {
        ai().setHostile(0, true);
        if (CShip* p = shipAt(0)) p->setAIHostile(ID, true);
        if (CShip* m = shipAt(MotherShip)) m->setAIHostile(ID, true);
        if (CurMap && CurMap->HostileSafe > 0) {
          CurMap->HostileSafe = 0;
          SceneEvent = 0;
        }
      }
    }
    ai().Hit();
  }
}

void CShip::DamageEffects(Single previousFraction) {
  const Single f1 = maxArmor > 0 ? Armor / maxArmor : 0.0f;
  bool crossing = false;
  for (Single mark : {0.95f, 0.85f, 0.5f, 0.15f, 0.0f})
    if (previousFraction >= mark && f1 < mark) crossing = true;
  if (!crossing) return;

  const D3DVECTOR P = getPos();
  auto spread = [](Single half) { return Rnd() * 2 * half - half; };
  for (int i = 0; i < 8; ++i) {
    const Single vx = spread(250), vy = spread(250), vz = spread(250);
    AddSprite(P.x, P.y, P.z, vx, vy, vz, skExplodeFlash, 0, 0, -1, -1);
  }
  for (int i = 0; i < 2; ++i) {
    const Single vx = spread(1000), vy = spread(1000), vz = spread(1000);
    AddSprite(P.x, P.y, P.z, vx, vy, vz, skBlastCore, 0, 0, -1, -1);
    const Single ox = spread(10), oy = spread(10), oz = spread(10);
    AddSprite(P.x + ox, P.y + oy, P.z + oz, 0, 0, 0, skSparkB, 0, 0, -1, -1);
  }
  AddSprite(P.x, P.y, P.z, 0, 0, 0, skRing, 0, 6, -1, -1);
  PlaySound3D(SndExplode, P);
  AddSprite(P.x, P.y, P.z, 0, 0, 0, skLightFlashC, 0, 0, -1, -1);
  const Single dx = spread(750), dy = spread(750), dz = spread(750);
  const Long body = getShipBody();
  if (body == sbCapital || body == sbFleshy) {
    const Long kind = body == sbCapital ? skDebris4 : skDebris5;
    for (int i = 0; i < 6; ++i) {
      const Single vx = spread(750) + dx, vy = spread(750) + dy, vz = spread(750) + dz;
      AddSprite(P.x, P.y, P.z, vx, vy, vz, kind, 0, 0, -1, -1);
    }
  }
  for (int i = 0; i < 6; ++i) {
    const Single pick = Rnd();
    const Long kind = pick >= 0.6f ? skDebris1 : pick >= 0.3f ? skDebris2 : skDebris3;
    const Single vx = spread(750) + dx, vy = spread(750) + dy, vz = spread(750) + dz;
    AddSprite(P.x, P.y, P.z, vx, vy, vz, kind, 0, 0, -1, -1);
  }
}
