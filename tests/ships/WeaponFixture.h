// Shared by the weapon, talk and copy tests: the flight fixture, the private weapon state of a
// ship through CShipWeaponProbe, armed designs, and read-outs of the shots in the sprite pool.
#pragma once
#include <vector>

#include "tests/ships/FlightFixture.h"

struct CShipWeaponProbe {
  static void FireWeapons(CShip& s) { s.FireWeapons(); }
  static void nextSecondary(CShip& s) { s.nextSecondary(); }
  static void prevSecondary(CShip& s) { s.prevSecondary(); }
  static void ejectCrew(CShip& s) { s.ejectCrew(); }
  static void steerToTravelDir(CShip& s, Single& turn) { s.steerToTravelDir(turn); }
  static D3DVECTOR getMountPos(CShip& s, Integer i) { return s.getMountPos(i); }
  static Single& switchCooldown(CShip& s) { return s.switchCooldown; }
  static Single& mountCooldown0(CShip& s) { return s.mountCooldown[0]; }
  static Integer& nextMount(CShip& s) { return s.nextMount; }
  static Single primaryInterval(CShip& s) { return s.primaryInterval; }
  static Single& firingRate(CShip& s) { return s.firingRate; }
  static Single recoilPush(CShip& s) { return s.recoilPush; }
  static bool& tunnelPending(CShip& s) { return s.tunnelPending; }
  static Single& trickYaw(CShip& s) { return s.trickYaw; }
  static Single& trickValue(CShip& s) { return s.trickValue; }
  static Single& height(CShip& s) { return s.height; }
  static Single& maxArmor(CShip& s) { return s.maxArmor; }
  static std::array<Integer, 2>& charIndex(CShip& s) { return s.charIndex; }
  static CCharacter& seat(CShip& s, Integer i) { return *s.crew[static_cast<size_t>(i)]; }
};

// One shot or effect in the pool as the tests see it.
struct PoolEntry {
  Long kind;
  Integer owner;
  Integer target;
  D3DVECTOR pos;
  D3DVECTOR traj;
};

// The live sprites of the pool in slot order.
inline std::vector<PoolEntry> livePool() {
  std::vector<PoolEntry> out;
  for (const CSprite& s : Sprites)
    if (s.Exists) out.push_back(PoolEntry{s.sType, s.Owner, s.Target, s.getPos(), s.getTraj()});
  return out;
}
inline std::vector<PoolEntry> liveOfKind(Long kind) {
  std::vector<PoolEntry> out;
  for (const PoolEntry& p : livePool())
    if (p.kind == kind) out.push_back(p);
  return out;
}

// A design with mounts 0 .. lastMount, each at (x offset, 0, 0) = (-30 + 30 i, 0, 0), no turn.
inline CShipDef armedDesign(Integer lastMount, Long body = sbCar) {
  CShipDef d = flightDesign(body);
  d.TotalMounts = lastMount;
  for (Integer i = 0; i < CShipDef::MountRows; ++i) d.setMountXOff(i, -30.0f + 30.0f * i);
  return d;
}
