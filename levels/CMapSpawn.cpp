// CMap's population: the world-type table (spawn weights and median population), the level
// start (ShipInit), the one spawner every AI ship of a level comes from (SpawnShip), mission
// spawns, the gas attendant and the world alignment.
#include <cmath>
#include <initializer_list>
#include <memory>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

namespace {
struct UnitWeight {
  Long unit;
  Single weight;
};

struct WorldTypeRow {
  Integer medianShips;
  std::initializer_list<UnitWeight> weights;
};

// WorldType 0..25: median population and the non-zero spawn weights by UnitType.
// clang-format off
const WorldTypeRow WorldTypes[] = {
    {5, {{0, 3}, {1, 2}, {2, 1}, {3, 3}, {4, 2}, {5, 1}, {6, 3}, {7, 1}, {8, 2}, {9, 1}, {10, 0.2f}, {11, 0.05f},
         {14, 2}, {16, 0.2f}, {17, 0.2f}, {22, 0.2f}, {23, 0.2f}, {24, 0.1f}, {27, 5}, {32, 0.25f}, {33, 0.25f},
         {34, 0.5f}, {46, 1}, {47, 0.1f}, {48, 0.1f}}},  // 0 Intl Trading
    {7, {{0, 3}, {1, 3}, {2, 1}, {3, 3}, {4, 3}, {5, 1}, {6, 3}, {7, 3}, {8, 3}, {9, 1}, {10, 0.1f}, {11, 0.05f},
         {12, 0.05f}, {14, 3}, {15, 0.5f}, {22, 1}, {23, 1}, {24, 0.5f}, {27, 2}, {32, 0.5f}, {33, 0.5f}, {34, 0.5f},
         {35, 0.15f}, {46, 1}, {47, 0.1f}, {48, 0.1f}}},  // 1 Intl Metropolis
    {2, {{0, 2}, {3, 2}, {6, 2}, {7, 1}, {8, 1}, {9, 1}, {10, 0.5f}, {11, 0.25f}, {12, 0.25f}, {18, 1}, {22, 0.2f},
         {23, 0.2f}, {24, 0.1f}, {25, 0.25f}, {27, 0.4f}, {32, 0.5f}, {33, 0.5f}, {34, 0.5f}}},  // 2 Intl Frontier
    {5, {{0, 5}, {1, 3}, {2, 2}, {3, 1}, {4, 2}, {5, 1}, {6, 1}, {10, 0.5f}, {11, 0.25f}, {16, 4}, {22, 0.2f},
         {23, 0.8f}, {24, 0.1f}, {27, 0.1f}, {32, 1}, {33, 0.5f}, {34, 0.5f}, {40, 0.5f}, {43, 0.25f}, {46, 0.1f},
         {47, 1}, {48, 0.1f}}},  // 3 Zombie Trading
    {7, {{0, 3}, {1, 10}, {2, 2}, {3, 0.5f}, {4, 0.5f}, {5, 0.5f}, {6, 0.5f}, {10, 0.1f}, {11, 0.05f}, {12, 0.05f},
         {16, 3}, {22, 0.2f}, {23, 2}, {24, 0.1f}, {27, 0.1f}, {32, 1}, {33, 0.5f}, {34, 0.5f}, {40, 0.15f},
         {43, 0.15f}, {46, 0.1f}, {47, 1}, {48, 0.1f}}},  // 4 Zombie Metropolis
    {3, {{0, 5}, {1, 1}, {2, 2}, {3, 1}, {6, 1}, {10, 0.5f}, {11, 0.25f}, {12, 0.25f}, {16, 1}, {22, 0.02f},
         {23, 0.2f}, {24, 0.1f}, {25, 0.25f}, {27, 0.1f}, {32, 2}, {33, 0.5f}, {34, 0.5f}, {40, 0.5f}, {43, 0.25f},
         {44, 0.1f}}},  // 5 Zombie Frontier
    {5, {{0, 1}, {1, 2}, {2, 1}, {3, 5}, {4, 3}, {5, 2}, {6, 1}, {10, 0.5f}, {11, 0.25f}, {12, 0.15f}, {13, 0.15f},
         {17, 4}, {22, 0.8f}, {23, 0.2f}, {24, 0.1f}, {27, 0.1f}, {32, 0.5f}, {33, 1}, {34, 0.5f}, {36, 0.15f},
         {38, 0.05f}, {46, 0.1f}, {47, 0.1f}, {48, 1}}},  // 6 Ninja Trading
    {7, {{0, 0.5f}, {1, 0.5f}, {2, 0.5f}, {3, 3}, {4, 10}, {5, 2}, {6, 0.5f}, {10, 0.1f}, {11, 0.05f}, {12, 0.05f},
         {17, 3}, {22, 2}, {23, 0.2f}, {24, 0.1f}, {27, 0.1f}, {32, 0.5f}, {33, 1}, {34, 0.5f}, {46, 0.1f},
         {47, 0.1f}, {48, 1}}},  // 7 Ninja Metropolis
    {3, {{0, 1}, {3, 5}, {4, 1}, {5, 2}, {6, 1}, {10, 0.5f}, {11, 0.25f}, {12, 0.25f}, {13, 0.25f}, {17, 1},
         {22, 0.2f}, {23, 0.02f}, {24, 0.1f}, {25, 0.25f}, {27, 0.1f}, {32, 0.5f}, {33, 2}, {34, 0.5f}, {36, 0.25f},
         {38, 0.15f}}},  // 8 Ninja Frontier
    {3, {{10, 1}, {11, 0.5f}, {18, 0.5f}, {19, 1}, {20, 0.5f}, {25, 0.4f}, {29, 0.125f}}},  // 9 Pirate Cove
    {0, {}},  // 10 Pirate Base
    {5, {{0, 0.2f}, {1, 1}, {3, 0.2f}, {4, 1}, {6, 0.2f}, {7, 1}, {10, 0.25f}, {11, 0.125f}, {12, 0.25f}, {14, 5},
         {15, 10}, {24, 1}, {27, 0.1f}, {32, 0.1f}, {33, 0.1f}, {34, 0.1f}, {35, 5}, {46, 0.1f}}},  // 11 Ptero Office
    {7, {{0, 0.2f}, {1, 1}, {3, 0.2f}, {4, 1}, {6, 0.2f}, {7, 1}, {10, 0.125f}, {11, 0.0625f}, {12, 0.25f},
         {14, 5}, {15, 10}, {24, 3}, {32, 0.1f}, {33, 0.1f}, {34, 0.1f}, {35, 4}, {46, 0.1f}}},  // 12 Ptero Nexus
    {7, {{1, 1}, {4, 1}, {7, 1}, {10, 0.125f}, {11, 0.0625f}, {12, 0.25f}, {14, 5}, {15, 10}, {24, 5}, {32, 0.1f},
         {33, 0.1f}, {34, 0.1f}, {35, 1}, {46, 0.1f}}},  // 13 Ptero Military
    {3, {{10, 2}, {11, 1}, {12, 2}, {13, 1}, {14, 1}, {16, 1}, {18, 2}, {19, 2}, {20, 1}, {22, 0.1f}, {23, 0.1f},
         {24, 0.2f}, {25, 0.5f}, {27, 0.1f}, {29, 1}, {30, 1}, {31, 1}, {32, 0.1f}, {33, 0.1f}, {34, 0.15f},
         {36, 0.5f}, {37, 0.25f}, {38, 0.2f}, {39, 0.05f}}},  // 14 Wasteland
    {3, {{12, 2}, {13, 3}, {17, 0.7f}, {29, 1}, {30, 1}, {31, 1}, {36, 2}, {37, 1}, {38, 0.5f}, {39, 1}}},  // 15
    {6, {{12, 2}, {13, 3}, {17, 1}, {29, 1}, {30, 1}, {31, 1}, {36, 4}, {37, 2}, {38, 1}, {39, 2}}},  // 16 Cyborg HQ
    {2, {{10, 0.2f}, {11, 0.1f}, {12, 0.2f}, {13, 1}, {14, 0.1f}, {16, 0.1f}, {18, 0.2f}, {19, 0.2f}, {20, 0.1f},
         {22, 0.01f}, {23, 0.01f}, {24, 0.02f}, {25, 0.05f}, {27, 0.01f}, {29, 1}, {30, 1}, {31, 1}, {32, 0.15f},
         {33, 0.15f}, {34, 0.15f}, {39, 0.01f}}},  // 17 Graveyard
    {11, {{10, 3}, {11, 3}, {13, 1}, {14, 1}, {15, 1}, {16, 1}, {17, 1}, {18, 1}, {28, 3}, {36, 1}, {37, 1},
          {38, 1}}},  // 18 DemoScene
    {1, {{10, 2}, {11, 1}, {12, 2}, {13, 1}, {14, 1}, {16, 1}, {18, 2}, {19, 2}, {20, 1}, {22, 0.1f}, {23, 0.1f},
         {24, 0.2f}, {25, 0.5f}, {27, 0.1f}, {29, 2}, {30, 2}, {31, 2}, {32, 0.1f}, {33, 0.1f}, {34, 0.15f},
         {36, 0.5f}, {37, 0.25f}, {38, 0.2f}, {39, 0.1f}}},  // 19 WastedLand
    {3, {{16, 1}, {29, 1}, {30, 1}, {31, 1}, {40, 2}, {41, 2}, {43, 3}, {44, 1}}},     // 20 Zafia Base
    {6, {{16, 1}, {29, 1}, {30, 1}, {31, 1}, {40, 2}, {41, 2}, {43, 3}, {44, 0.5f}}},  // 21 Zafia HQ
    {4, {{14, 1}, {16, 6}, {40, 2}, {41, 2}, {43, 2}, {44, 0.1f}}},                     // 22 Cops And Zafia
    {4, {{12, 2}, {13, 2}, {14, 1}, {17, 6}, {36, 2}, {37, 2}, {38, 1}, {39, 0.2f}}},  // 23 Cops And Cyborgs
    {4, {{10, 2}, {11, 2}, {14, 1}, {18, 6}, {24, 1}, {28, 2}}},                        // 24 Cops And Pirates
    {4, {{12, 2}, {13, 2}, {14, 3.5f}, {15, 3}, {17, 0.5f}, {36, 2}, {37, 2}, {38, 1}, {39, 0.2f}}},  // 25
};
// clang-format on
constexpr Long WorldTypeCount = sizeof(WorldTypes) / sizeof(WorldTypes[0]);
constexpr Long PirateBase = 10;

bool isCyborgUnit(Long u) {
  return u == 12 || u == 13 || u == 26 || (u >= 36 && u <= 39);
}

constexpr Long DerelictAlign = 7;

CWorld& world() {
  if (!World) vbRaise(vberr::ObjectMissing);
  return *World;
}

bool missionRunning() {
  return MissionControl && MissionControl->Reading;
}

// Bounty state of record b (0 without a player record).
Long bountyHunted(Integer b) {
  return Player ? Player->getBountyHunted(b) : 0;
}
Long bountyUnit(Integer b) {
  return GameInterface ? GameInterface->getBountyUnit(b) : -1;
}

// The first slot 1.. of Ships whose ship takes no part in the level (an empty slot counts), -1.
Integer freeShipSlot() {
  for (size_t i = 1; i < Ships.size(); ++i)
    if (!Ships[i] || !Ships[i]->Exists) return static_cast<Integer>(i);
  return -1;
}
}  // namespace

// ---- level start ---------------------------------------------------------------------------

void CMap::ShipInit() {
  CWorld& w = world();
  worldType = w.getNodeWorldType(w.CurrentNode);
  SceneEvent = 0;

  spawnWeight.fill(0);
  const WorldTypeRow& row = WorldTypes[worldType >= 0 && worldType < WorldTypeCount ? worldType : PirateBase];
  medianShips = row.medianShips;
  for (const UnitWeight& uw : row.weights) spawnWeight[uw.unit] = uw.weight;

  Integer count = CInt(medianShips + 2 - Rnd() * 4);
  if (count < 0) count = 0;

  Single total = 0;
  for (Single wgt : spawnWeight) total += wgt;
  if (total == 0) return;
  for (Single& wgt : spawnWeight) wgt /= total;

  for (size_t i = 1; i < Ships.size(); ++i)
    if (Ships[i]) Ships[i]->Exists = false;
  for (Integer k = 0; k < count; ++k) SpawnShip(false, -1, -20000, -20000, -1, "", false);

  ++bountyCounter;
  if (bountyCounter > 5) {
    bountyCounter = CInt(Rnd());
    for (Integer b = 0; b < CInterface::BountySlots; ++b) {
      if (bountyHunted(b) != 1) continue;
      const Long target = bountyUnit(b);
      if (target >= 0) SpawnShip(false, target, -20000, -20000, -1, "", false);  // never a random ship
      break;
    }
  }

  if (!MotherNodePath.empty() && MotherNodePath == w.getNodePath(w.CurrentNode)) {
    if (!MotherPlayer) vbRaise(vberr::ObjectMissing);
    const Single mx = Rnd() * 5000 - 2500;
    const Single my = Rnd() * 5000 - 2500;
    MotherPlayer->MakeShipFromPlayer(1, mx, my, 2500);
    MotherNodePath.clear();
    MotherNodeTitle.clear();
    MotherShip = 1;
    CShip& m = *Ships[1];
    m.setAI();
    m.setAIType(21);
    m.makePrimaryInterval();
  }
}

// ---- the spawner ---------------------------------------------------------------------------

void CMap::SpawnShip(bool warpIn, Long unit, Single x, Single z, Single heading, const std::string& tag,
                     bool meet) {
  vbTrap("CMap.SpawnShip", [&] {
    if (tag.empty() && missionRunning()) {
      if (!warpIn) return;
      if (MissionControl->LockedArea) return;
    }
    Integer slot = freeShipSlot();
    if (slot < 0) return;

    Integer group = 1;
    if (unit == -1) {
      Single total = 0;
      for (Single wgt : spawnWeight)
        if (wgt > 0) total += wgt;
      if (!(total > 0)) return;
      Single p = Rnd() * total;
      if (p > total) p = total;
      Single lo = 0;
      for (Long u = 0; u < UnitTypes; ++u) {
        const Single wgt = spawnWeight[u];
        if (!(wgt > 0)) continue;
        if (lo <= p && p <= lo + wgt) unit = u;
        lo += wgt;
      }
      if (unit == -1) return;
      if (isCyborgUnit(unit) && world().CurrentEra >= 5 && Rnd() < 0.9f) return;
      if (unit == 10) group = static_cast<Integer>(CInt(2 * Rnd()) + 1);
    }
    vbCheckIndex(unit, 0, UnitTypes - 1);
    const UnitInfo& info = units[unit];
    if (warpIn && info.Align == DerelictAlign) return;
    // The unit's design must be there before a slot is touched.
    vbCheckIndex(info.Ship, 0, static_cast<long long>(ShipDefs.size()) - 1);
    if (!ShipDefs[info.Ship]) vbRaise(vberr::ObjectMissing);
    // A design or unit lines that could not be read whole (told at start-up) bring no ship.
    if (ShipDefs[info.Ship]->ReadFailed || !unitRead[unit]) return;

    for (Integer k = 0; k < group; ++k) {
      if (k > 0) slot = freeShipSlot();
      if (slot < 0) break;
      spawnOne(slot, warpIn, unit, x, z, heading, tag, meet);
    }
  });
}

void CMap::spawnOne(Integer slot, bool warpIn, Long unit, Single x, Single z, Single heading,
                    const std::string& tag, bool meet) {
  const UnitInfo& info = units[unit];
  Ships[slot] = std::make_shared<CShip>();
  CShip& s = *Ships[slot];
  const Long d = info.Ship;
  s.setDef(*ShipDefs[d]);
  s.UpdateFromDef();
  for (Integer m = 0; m < UnitMounts; ++m) s.setMount(m, info.Mount[m]);
  s.Init(slot);
  s.setAI();
  s.setAIType(unit);
  s.setAlign(info.Align);
  s.ShipType = static_cast<Integer>(d);
  s.makePrimaryInterval();

  const Long difficulty = Player ? Player->Difficulty : 0;
  for (Integer k = 0; k < SecondaryTypes; ++k) {
    s.setSecondary(k, info.HasSecondary[k] != 0);
    const Integer ammo = info.SecondaryAmmo[k];
    if (difficulty == 3)
      s.setSecondaryAmmo(k, CInt(ammo * 1.5));
    else if (difficulty == 4)
      s.setSecondaryAmmo(k, CInt(ammo * 3.0));
    else
      s.setSecondaryAmmo(k, ammo);
  }
  s.giveRandomResources(false);

  s.r = Rnd() * 7;
  if (heading > -1) s.r = heading;

  Long pose = 15;
  if (!info.CharModel1.empty()) s.fullInitChar(0, info.CharModel1, info.CharTexture1, pose);
  pose = 15;
  if (!info.CharModel2.empty()) s.fullInitChar(1, info.CharModel2, info.CharTexture2, pose);

  if (warpIn) {
    s.WarpIn();
  } else {
    if (x <= -20000 || z <= -20000) {
      s.x = Rnd() * 2500 - 1200;
      s.y = Rnd() * 2500 - 1200;
    } else {
      s.x = x;
      s.y = z;
    }
    // Out of any structure box along +x (a step that no longer moves the ship ends the push).
    while (true) {
      Single nx = s.x, ne = s.e, ny = s.y;
      if (!checkStructCol(s.x, s.e, s.y, nx, ne, ny, 80)) break;
      const Single moved = s.x + 100;
      if (moved == s.x) break;
      s.x = moved;
    }
  }
  if (heading == -5) s.e = -10000;
  s.setTag(tag);

  if (info.Align == DerelictAlign) {
    s.Armor = -1;
    s.Shields = 0;
    s.giveRandomResources(true);
  }
  if (meet) s.makeMeet(0, 17, 0, 0, 0, 0);

  if (!missionRunning()) {
    for (Integer b = 0; b < CInterface::BountySlots; ++b) {
      if (bountyHunted(b) != 1 || bountyUnit(b) != unit) continue;
      bool taken = false;
      for (const auto& other : Ships)
        if (other && other->Exists && other->IsBounty == b) taken = true;
      if (!taken) s.IsBounty = b;
    }
  }
}

// ---- mission spawns, the gas attendant, alignment --------------------------------------------

void CMap::MissionSpawn(const std::string& unitKeyword, const std::string& tag, Single x, Single z,
                        Single h) {
  // An unknown keyword is reported by the table ("Unexpected unit type: ...") and spawns nothing.
  const Long unit = getUnitFromString(unitKeyword);
  if (unit < 0) return;
  if (h <= -1)
    SpawnShip(false, unit, x, z, -1, tag, false);
  else if (h <= 100)
    SpawnShip(true, unit, 0, 0, h, tag, false);
  else
    SpawnShip(false, unit, x, z, -5, tag, false);
}

void CMap::MissionRespawn(Integer unit) {
  SpawnShip(true, unit, -20000, -20000, Rnd() * 6.28f, "respawn", false);
}

void CMap::checkAddGasman() {
  Integer landing = -1;
  for (Integer g = 0; g < MapSlots; ++g) {
    const CStruct& gas = structs[g];
    if (!gas.Exists || gas.getType() != structGas) continue;
    landing = -1;
    double best = 0;
    for (Integer j = 0; j < MapSlots; ++j) {
      const CStruct& pad = structs[j];
      if (!pad.Exists || pad.getType() != structLanding) continue;
      const double d = getDist(gas.getLoc().x, gas.getLoc().z, pad.getLoc().x, pad.getLoc().z);
      if (landing < 0 || d < best) {
        landing = j;
        best = d;
      }
    }
  }
  if (landing < 0) return;
  Long unit = 51;  // misc_gas
  if (worldType >= 3 && worldType <= 5)
    unit = 49;  // zombie_gas
  else if (worldType >= 6 && worldType <= 8)
    unit = 50;  // ninja_gas
  const D3DVECTOR p = structs[landing].getLoc();
  const Single heading = Rnd() * 6;
  SpawnShip(false, unit, p.x, p.z, heading, "", Player && Player->HasRefuelAlert);
}

Long CMap::getWorldAlign() const {
  if (worldType >= 3 && worldType <= 5) return 2;    // zombie
  if (worldType >= 6 && worldType <= 8) return 3;    // ninja
  if (worldType >= 11 && worldType <= 13) return 1;  // ptero
  if (worldType == 15 || worldType == 16) return 4;  // cyborg
  return 0;
}
