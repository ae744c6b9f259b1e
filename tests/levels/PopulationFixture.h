// Fixture of the population and map-step tests: the levels fixture's folder and structure
// definitions, a unit file with the units these tests spawn, 23 plain designs, a world of two
// nodes whose world type and level a test chooses, 16 ship slots with the player's ship in slot
// 0, a fresh player record, interface and mission control, and the private state of the map,
// the ship and the interface through their probes.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"
#include "tests/levels/LevelFixture.h"

struct CMapLifeProbe {
  static Single weight(CMap& m, int u) { return m.spawnWeight.at(u); }
  static void setWeights(CMap& m, std::initializer_list<std::pair<int, Single>> w) {
    m.spawnWeight.fill(0);
    for (auto [u, v] : w) m.spawnWeight.at(u) = v;
  }
  static Integer& medianShips(CMap& m) { return m.medianShips; }
  static Long& worldType(CMap& m) { return m.worldType; }
  static Single& copTimer(CMap& m) { return m.copTimer; }
  static Long& copUnit(CMap& m) { return m.copUnit; }
  static Integer& copReload(CMap& m) { return m.copReload; }
  static Integer& bountyCounter(CMap& m) { return m.bountyCounter; }
  static Single& gasTimer(CMap& m) { return m.gasTimer; }
  static Integer& mapDone(CMap& m) { return m.mapDone; }
  static WeatherParticle& particle(CMap& m, int i) { return m.particles.at(i); }
  static double& weatherTimer(CMap& m) { return m.weatherTimer; }
  static void spawn(CMap& m, bool warpIn, Long unit, Single x, Single z, Single heading,
                    const std::string& tag, bool meet) {
    m.SpawnShip(warpIn, unit, x, z, heading, tag, meet);
  }
  static void addParticle(CMap& m, Long kind) { m.addWeatherParticle(0, 0, 0, 1, kind); }
};

struct CShipLevelProbe {
  static Single& warpOutTimer(CShip& s) { return s.warpOutTimer; }
};

struct CInterfaceLevelProbe {
  static void setBounty(CInterface& gi, int i, Long unit) { gi.bounties.at(i).unit = unit; }
  static Single waitTimer(const CInterface& gi) { return gi.waitTimer; }
};

// The design index every fixture unit flies, and the units of the fixture's unit file.
constexpr Long FixtureShip = 2;

class PopulationTest : public LevelTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The world file of two linked nodes: "home" (map "home") of worldType and level, "away".
  void makeWorld(Long worldType, Integer level = 0);
  // The ships that take part, the player's included.
  int existing() const;
  // Ships (other than the player's) of a unit type / the unit types present, slot order.
  int ofUnit(Long unit) const;
  std::vector<Long> unitsPresent() const;
  // Ships(1..15) taken out of play (as a level reset leaves them).
  static void clearShips();

  std::unique_ptr<CMap> map;
};
