// CMap's per-frame step: the map clock, weather particles, ambient sprites around the camera,
// the gas man, the population top-up, the chatter cop, the level's alert state (SceneEvent)
// once per second with its police waves, and the fog distances. Periodic events are paced by
// crossings of the clock (Int(k x Frame) changing), not by counters.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

#include "audio/soundMod.h"
#include "campaign/CMissionControl.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

namespace {
// True when k events per second are due: the whole part of k x the clock changed this frame.
bool every(double k, double before, double now) {
  return Int(k * now) != Int(k * before);
}

// CamTarget plus a random offset of up to 2000 on each axis (drawn x, y, z).
D3DVECTOR aroundCamera() {
  const Single dx = Rnd() * 4000 - 2000;
  const Single dy = Rnd() * 4000 - 2000;
  const Single dz = Rnd() * 4000 - 2000;
  return D3DVECTOR{CamTarget.x + dx, CamTarget.y + dy, CamTarget.z + dz};
}

void ambient(const D3DVECTOR& p, Single vx, Single vy, Single vz, Long kind, Single size) {
  AddSprite(p.x, p.y, p.z, vx, vy, vz, kind, 0, size, -1, -1);
}

// Unit groups of the alert, and the world types with police.
constexpr Long PirateUnits[] = {10, 11, 25, 28, 65};
constexpr Long DangerousUnits[] = {12, 13, 26, 36, 37, 38, 39, 40, 41, 43, 44,
                                   45, 52, 53, 54, 55, 56, 58, 59, 60, 62, 63};
constexpr Long PolicedWorlds[] = {0, 1, 3, 4, 6, 7, 11, 12, 13};

template <size_t N>
bool among(const Long (&set)[N], Long v) {
  return std::find(std::begin(set), std::end(set), v) != std::end(set);
}
bool isCopUnit(Long u) { return u == 14 || u == 16 || u == 17 || u == 18; }

CWorld& world() {
  if (!World) vbRaise(vberr::ObjectMissing);
  return *World;
}
}  // namespace

void CMap::Move(bool editing, Integer selected) {
  (void)editing;
  (void)selected;
  // 1-2.
  if (Ships.empty()) Ships.resize(1);
  if (!Ships[0]) Ships[0] = std::make_shared<CShip>();
  CShip& player = *Ships[0];
  if (player.getTransWarp()) return;

  // 3-5.
  if (MapWeather > 0) MoveWeather();
  const Single size = std::min(30.0f, player.Speed / 30);
  const double old = Frame;
  Frame += FrameTime;
  gasTimer = static_cast<Single>(gasTimer + FrameTime);

  // 6. The gas man.
  if (MissionControl && MissionControl->Reading && player.Fuel < 500 && gasTimer > 30) {
    SpawnShip(true, 51, -20000, -20000, Rnd() * 10, "gasmancometh", true);
    gasTimer = -30;
  }

  // 7. Lead offset ahead of the player's ship.
  const double a = std::sin(std::fabs(player.roll));
  const Single leadX = static_cast<Single>(std::cos(player.r - 1.57 - a) * player.Speed * 5);
  const Single leadZ = static_cast<Single>(-player.Speed * std::sin(player.r - 1.57 - a) * 5);
  auto ahead = [&](D3DVECTOR p) {
    p.x += leadX;
    p.z += leadZ;
    return p;
  };

  // 8-10. Ambient sprites.
  if (every(2, old, Frame)) ambient(ahead(aroundCamera()), 0, 0, 0, skCloud, size);
  switch (MapFX) {
    case 1:
      if (Frame < 3) {
        if (every(5, old, Frame)) {
          const D3DVECTOR p = aroundCamera();
          const Single vx = Rnd() * 500 - 250, vy = Rnd() * 500 - 250, vz = Rnd() * 500 - 250;
          ambient(p, vx, vy, vz, skSkySpike, size);
        }
      } else if (every(5, old, Frame)) {
        ambient(aroundCamera(), 0, 0, 0, skCloud, size);
      }
      break;
    case 2:
      if (every(5, old, Frame)) ambient(ahead(aroundCamera()), 0, 0, 0, skCloud, size);
      break;
    case 3:
      if (Frame < 5) {
        if (every(3, old, Frame)) ambient(aroundCamera(), 0, 0, 0, skSpawnerB, size);
      } else if (every(5, old, Frame)) {
        ambient(aroundCamera(), 0, 0, 0, skCloud, size);
      }
      break;
    default:
      break;
  }
  if (every(25, old, Frame)) ambient(aroundCamera(), 0, 0, 0, skStar, 0);

  // 11.
  if (Frame > 10) Frame -= 10;

  // 12. Every active structure: its light sprites; the edited one shows its bounds.
  for (Integer i = 0; i < static_cast<Integer>(structs.size()); ++i)
    if (structs[i].Exists) structs[i].Move(editing && i == selected);

  // 13. Once per second in play.
  if (GameMode == pmPlay && Int(Frame) != Int(old)) {
    const bool due = countActiveShips() <= medianShips;
    if ((Rnd() < 0.25f) && due) SpawnShip(true, -1, -20000, -20000, -1, "", false);
    if (TalkingsTo > 5) {
      bool copHere = false;
      for (const auto& s : Ships)
        if (s && s->Exists && isCopUnit(s->getUnitType())) copHere = true;
      if (!copHere) {
        SpawnShip(true, 18, -20000, -20000, -1, "", false);
        TalkingsTo = 0;
      }
    }
    checkAlert();
  }

  // 14-15.
  if (copTimer > 0) doCopSpawn();
  if (MapFog < 1) {
    Fog = vbFalse;
  } else {
    Fog = vbTrue;
    if (MapFog == 1) {
      FogNear = 750;
      FogFar = 10000;
    } else if (MapFog == 2) {
      FogNear = 500;
      FogFar = 5000;
    } else if (MapFog == 3) {
      FogNear = 250;
      FogFar = 2500;
    }
  }
}

void CMap::MoveWeather() {
  weatherTimer -= FrameTime;
  if (weatherTimer < 0) {
    switch (MapWeather) {
      case 1: {  // lightning
        weatherTimer = Rnd() * 4 + 0.1;
        const Single value = Rnd() * 3 + 0.5f;
        const Single phi = Rnd() * 6.28f;
        const D3DVECTOR at{CamEye.x + (9 - value) * std::cos(phi) * 500, CamEye.y,
                           CamEye.z + (9 - value) * std::sin(phi) * 500};
        PlaySound3D(SndBassplode, at);
        const Single pick = Rnd();
        const Long kind = pick < 0.25f ? 0 : pick < 0.5f ? 1 : pick < 0.75f ? 2 : 3;
        addWeatherParticle(phi, 0, 0, value, kind);
        break;
      }
      case 2: {  // nebula
        const Single phi = Rnd() * 6.28f;
        weatherTimer = Rnd() * 0.4 + 0.1;
        const Single value = 2 * Rnd() + 7;
        const Long kind = Rnd() >= 0.5f ? 5 : 4;
        const Single py = Rnd() * 6.28f;
        const Single pz = Rnd() * 6.28f;
        addWeatherParticle(phi, py, pz, value, kind);
        break;
      }
      case 3: {  // shooting stars
        weatherTimer = Rnd() * 5 + 0.1;
        const Single value = Rnd() * 0.8f + 0.8f;
        const Single phi = Rnd() * 6.28f;
        const Single pick = Rnd();
        const Long kind = pick < 0.25f ? 6 : pick < 0.5f ? 7 : pick < 0.75f ? 8 : 9;
        addWeatherParticle(phi, 0, Rnd() * 6.28f, value, kind);
        break;
      }
      case 4: {  // sparkle
        const Single phi = Rnd() * 6.28f;
        weatherTimer = Rnd() * 0.4 + 0.1;
        const Single value = Rnd() * 5 + 0.5f;
        const Long kind = Rnd() >= 0.5f ? 11 : 10;
        const Single py = Rnd() * 6.28f;
        const Single pz = Rnd() * 6.28f;
        addWeatherParticle(phi, py, pz, value, kind);
        break;
      }
      case 5: {  // fire storm
        weatherTimer = Rnd() / 2;
        const Single phi = Rnd() * 6.28f;
        const Single value = 2 * Rnd() + 1;
        for (int k = 0; k < 4; ++k) {
          const Long kind = Rnd() >= 0.5f ? 13 : 12;
          const Single px = phi + Rnd();
          const Single py = Rnd() / 2 + 6;
          const Single pz = Rnd() * 6.28f;
          addWeatherParticle(px, py, pz, value, kind);
        }
        break;
      }
      default:
        break;
    }
  }
  for (WeatherParticle& p : particles) {
    if (p.Active == vbFalse) continue;
    p.Life = static_cast<Single>(p.Life - FrameTime);
    if (p.Life <= 0) p.Active = vbFalse;
  }
}

void CMap::addWeatherParticle(Single x, Single y, Single z, Single value, Long kind) {
  for (WeatherParticle& p : particles) {
    if (p.Active != vbFalse) continue;
    p.Active = vbTrue;
    p.X = x;
    p.Y = y;
    p.Z = z;
    p.Value = value;
    p.Kind = kind;
    if (kind <= 3)
      p.Life = 1.0f;
    else if (kind <= 5)
      p.Life = 6.28f;
    else if (kind <= 9)
      p.Life = 0.5f;
    else if (kind <= 11)
      p.Life = 3.14f;
    else
      p.Life = Rnd() + 1;
    return;
  }
}

void CMap::checkAlert() {
  if (MissionControl && MissionControl->Reading && SceneEvent == 4) return;
  CWorld& w = world();
  const Long gameTime = GameInterface ? GameInterface->GameTime : 0;
  Long state = 0;
  const Long last = w.getNodeLastHostile(w.CurrentNode);
  if (last > 0 && last > gameTime - 120) state = 3;

  Integer pirates = 0, dangerous = 0, police = 0, hostile = 0;
  for (const auto& sp : Ships) {
    if (!sp || !sp->Exists || !(sp->Armor > 0)) continue;
    CShip& s = *sp;
    const Long u = s.getAIType();
    if (among(PirateUnits, u)) {
      ++pirates;
    } else if (among(DangerousUnits, u)) {
      ++dangerous;
    } else if (u == 19 || u == 20) {
      continue;  // friendly pirates never count
    } else if (s.checkAIHostile(0) && (s.IsBounty == -1 || mapDone == vbFalse)) {
      if (among(PolicedWorlds, worldType)) ++police;
      else ++hostile;
    }
  }
  if (hostile > 0) state = 6;
  if (pirates > 0) state = 1;
  if (dangerous > 0) state = 2;
  if (police > 0) state = 3;
  if (state == SceneEvent) return;

  if (state == 3) {
    w.setNodeLastHostile(w.CurrentNode, gameTime);
    copTimer = medianShips / 3.0f + 0.5f;
    copReload = CInt(copTimer);
    CopWave = static_cast<Integer>(2 * w.getNodeLevel(w.CurrentNode) + 2);
    // The police by world type; a world without police keeps the unit of the last alert.
    if (worldType == 0 || worldType == 1) copUnit = 18;  // misc_cop
    else if (worldType == 3 || worldType == 4) copUnit = 16;  // zombie_cop
    else if (worldType == 6 || worldType == 7) copUnit = 17;  // ninja_cop
    else if (worldType >= 11 && worldType <= 13) copUnit = 14;  // ptero_cop
  }
  if (SceneEvent == 3) {
    --CopWave;
    if (CopWave > 0) {
      state = 3;
      copTimer = copReload;
    }
  }
  SceneEvent = state;
}

void CMap::doCopSpawn() {
  const double old = copTimer;
  copTimer = static_cast<Single>(copTimer - FrameTime);
  if (Int(copTimer) != Int(old)) SpawnShip(true, copUnit, -20000, -20000, -1, "", false);
}

Integer CMap::countActiveShips() const {
  Integer n = 0;
  for (const auto& s : Ships)
    if (s && s->Exists) ++n;
  return n;
}
