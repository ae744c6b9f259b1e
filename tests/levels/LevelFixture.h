// Shared fixture of the levels tests: a temporary game folder holding the 22 structure
// definitions (known boxes and types) and a small unit file, text builders for structure
// definition and map files in the exact form the game writes, and capture of the message log.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "levels/CMap.h"
#include "platform/D3DTypes.h"
#include "tests/support/LoggedLines.h"
#include "tests/support/TempGameDir.h"

inline D3DVECTOR vec(float x, float y, float z) {
  D3DVECTOR v;
  v.x = x;
  v.y = y;
  v.z = z;
  return v;
}

// A structure definition file's content.
struct DefSpec {
  std::string title = "Test", model = "box", texture = "box";
  D3DVECTOR scale = vec(1, 1, 1);
  int zOff = 0;
  int totalLights = 0;
  std::array<D3DVECTOR, 16> lightPos{};
  std::array<int, 16> lightKind{};
  D3DVECTOR upper = vec(100, 100, 100);
  D3DVECTOR lower = vec(-100, 0, -100);
  long kind = 3;
  std::string text() const;  // 41 lines, CR LF
};

// A map file's content.
struct MapSpec {
  struct Sector {
    float r = 0, scale = 0;
    std::string texture;
    float x = 0, y = 0;
  };
  struct Slot {
    float x = 0, y = 0, z = 0;
    long def = -1;
    long link = 0;
  };
  std::string title = "Test Map";
  long fog = 0, weather = 0, fx = 0;
  std::array<Sector, 12> sectors{};
  std::array<Slot, 32> slots{};
  float red = 0, green = 0, blue = 0;
  std::string text() const;  // 111 lines, CR LF
};

// The map's working state that only its own steps touch.
struct CMapTestAccess {
  static const UnitInfo& unit(const CMap& m, int u) { return m.units.at(u); }
  static bool unitRead(const CMap& m, int u) { return m.unitRead.at(u); }
  static WeatherParticle& particle(CMap& m, int i) { return m.particles.at(i); }
  static Single& gasTimer(CMap& m) { return m.gasTimer; }
};

// The fixture's definition of StructDefIndex i (type and box as written to its file).
DefSpec fixtureDef(int i);

class LevelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The message log (developer mode on, trapped errors routed to it): a line holding part.
  void clearLog();

  void writeDef(int index, const DefSpec& d) const;
  void writeMap(const std::string& name, const MapSpec& m) const;
  std::unique_ptr<CMap> newMap() const { return std::make_unique<CMap>(); }

  std::unique_ptr<TempGameDir> dir;
};
