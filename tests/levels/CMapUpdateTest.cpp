// The map's frame step: trans-warp freeze, ambient sprites by the clock, the gas man, the
// population top-up, the chatter cop, the alert rules, police waves, weather particles and fog.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "runtime/Rnd.h"
#include "tests/levels/PopulationFixture.h"

namespace {
int spritesOf(Long kind) {
  int n = 0;
  for (const CSprite& s : Sprites)
    if (s.Exists && s.sType == kind) ++n;
  return n;
}
}  // namespace

class MapUpdateTest : public PopulationTest {
 protected:
  void SetUp() override {
    PopulationTest::SetUp();
    CMapLifeProbe::setWeights(*map, {});  // no top-up unless a test asks for one
    map->Frame = 0;
  }
  // Frames of ft seconds for the given time.
  void run(double seconds, double ft = 0.01) {
    FrameTime = ft;
    for (int k = 0, n = static_cast<int>(seconds / ft + 0.5); k < n; ++k) map->Move(false, 0);
  }
  // One frame that crosses a whole second of the map clock (the once-a-second step runs).
  void oneSecondStep() {
    map->Frame = 0.995;
    FrameTime = 0.01;
    map->Move(false, 0);
  }
  // Ships(i) of unit, alive, hostile to the player when told.
  CShip& place(int i, Long unit, bool hostile = false) {
    CMapLifeProbe::spawn(*map, false, unit, 0, 5000, -1, "t", false);
    CShip& s = *Ships[i];
    EXPECT_TRUE(s.Exists);
    if (hostile) s.setAIHostile(0, true);
    return s;
  }
};

TEST_F(MapUpdateTest, TransWarpFreezesTheMapStep) {
  CShipLevelProbe::warpOutTimer(*Ships[0]) = 2.0f;
  map->MapFog = 2;
  map->MapWeather = 5;
  map->Frame = 0.4;
  run(2.0);
  EXPECT_DOUBLE_EQ(map->Frame, 0.4);
  EXPECT_TRUE(Sprites.empty());
  EXPECT_EQ(map->Fog, vbFalse);
  EXPECT_EQ(CMapLifeProbe::particle(*map, 0).Active, vbFalse);
  CShipLevelProbe::warpOutTimer(*Ships[0]) = 0;
  run(0.1);
  EXPECT_EQ(map->Fog, vbTrue);
  EXPECT_EQ(map->FogNear, 500);
  EXPECT_EQ(map->FogFar, 5000);
}

TEST_F(MapUpdateTest, AmbientSpritesArePacedByTheClockAndTheMapEffect) {
  map->MapFX = 1;
  CamNoCull = true;  // stars are made only in view
  run(3.0 - 0.005);
  const int spikes = spritesOf(skSkySpike);
  EXPECT_NEAR(spikes, 15, 1);  // five a second while the clock is below 3
  run(7.0);
  EXPECT_EQ(spritesOf(skSkySpike), spikes);  // clouds instead for the rest of the cycle
  run(1.0);
  EXPECT_GT(spritesOf(skSkySpike), spikes);  // the opening phase returns every 10 s
  EXPECT_NEAR(spritesOf(skStar), 25 * 11, 2);
  // clouds: two a second always, five a second from 3 s on
  EXPECT_NEAR(spritesOf(skCloud), 2 * 11 + 5 * 7, 3);
  for (const CSprite& s : Sprites) {
    if (!s.Exists) continue;
    EXPECT_NEAR(s.getPos().x, CamTarget.x, 2000 + 1e-3);
    if (s.sType == skSkySpike) {
      EXPECT_LE(std::fabs(s.getTraj().y), 250);
    }
  }  CamNoCull = false;
}

TEST_F(MapUpdateTest, GasManComesOnlyDuringMissionsOnLowFuelEveryMinute) {
  CShip& p = *Ships[0];
  struct Case {
    bool reading;
    Long fuel;
    int calls;  // in 100 s: at 30 s and at 90 s
  };
  for (Case c : {Case{true, 499, 2}, Case{true, 500, 0}, Case{false, 10, 0}}) {
    clearShips();
    CMapLifeProbe::gasTimer(*map) = 0;
    MissionControl->Reading = c.reading;
    p.Fuel = c.fuel;
    int calls = 0;
    FrameTime = 0.1;
    for (int k = 0; k < 1000; ++k) {
      map->Move(false, 0);
      for (size_t i = 1; i < Ships.size(); ++i) {
        if (!Ships[i]->Exists) continue;
        ++calls;
        EXPECT_EQ(Ships[i]->getAIType(), 51);
        EXPECT_EQ(Ships[i]->getTag(), "gasmancometh");
        EXPECT_EQ(Ships[i]->Meeter, 0);
        EXPECT_EQ(Ships[i]->getRealWarp(), 20);
        Ships[i]->Exists = false;
      }
    }
    EXPECT_EQ(calls, c.calls) << c.reading << " " << c.fuel;
  }
}

TEST_F(MapUpdateTest, TopUpWarpsInOneShipEveryFourSecondsWhileBelowTheMedian) {
  CMapLifeProbe::setWeights(*map, {{0, 1}});
  CMapLifeProbe::medianShips(*map) = 5;
  for (int present : {4, 6}) {
    clearShips();
    for (int i = 1; i < present; ++i) place(i, 9);
    int arrivals = 0;
    FrameTime = 0.05;
    for (int k = 0; k < 400 * 20; ++k) {
      map->Move(false, 0);
      for (int i = present; i < 16; ++i)
        if (Ships[i]->Exists) {
          ++arrivals;
          EXPECT_EQ(Ships[i]->getRealWarp(), 20);
          Ships[i]->Exists = false;
        }
    }
    if (present == 4) {
      EXPECT_NEAR(arrivals, 100, 25);
    } else {
      EXPECT_EQ(arrivals, 0);
    }
  }
}

TEST_F(MapUpdateTest, ChatterSendsACopUnlessOneIsHere) {
  map->TalkingsTo = 6;
  place(1, 16);  // a zombie cop
  oneSecondStep();
  EXPECT_EQ(map->TalkingsTo, 6);
  EXPECT_EQ(existing(), 2);
  Ships[1]->Exists = false;
  oneSecondStep();
  EXPECT_EQ(map->TalkingsTo, 0);
  EXPECT_EQ(ofUnit(18), 1);
}

TEST_F(MapUpdateTest, AlertStateFromTheShipsPresent) {
  struct Case {
    const char* what;
    Long worldType;
    std::vector<std::pair<Long, bool>> ships;  // unit, hostile to the player
    Long expected;
  };
  const Case cases[] = {
      {"calm", 0, {{0, false}}, 0},
      {"pirates", 0, {{10, false}}, 1},
      {"dangerous", 0, {{12, false}}, 2},
      {"dangerous over pirates", 0, {{10, false}, {12, false}}, 2},
      {"hostile under police", 0, {{0, true}}, 3},
      {"police over the rest", 0, {{10, false}, {12, false}, {0, true}}, 3},
      {"hostile without police", 2, {{0, true}}, 6},
      {"pirates over hostiles", 2, {{0, true}, {10, false}}, 1},
      {"friendly pirates never count", 0, {{19, true}}, 0},
  };
  for (const Case& c : cases) {
    clearShips();
    SceneEvent = 0;
    CMapLifeProbe::worldType(*map) = c.worldType;
    int slot = 1;
    for (auto [unit, hostile] : c.ships) place(slot++, unit, hostile);
    oneSecondStep();
    EXPECT_EQ(SceneEvent, c.expected) << c.what;
  }
}

TEST_F(MapUpdateTest, AlertExceptions) {
  // A hostile bounty target raises the alert only while the map's own mission is not done.
  CShip& b = place(1, 0, true);
  b.IsBounty = 3;
  CMapLifeProbe::mapDone(*map) = vbTrue;
  oneSecondStep();
  EXPECT_EQ(SceneEvent, 0);
  CMapLifeProbe::mapDone(*map) = vbFalse;
  oneSecondStep();
  EXPECT_EQ(SceneEvent, 3);
  // A wreck does not count.
  SceneEvent = 0;
  b.Armor = 0;
  CMapLifeProbe::copTimer(*map) = 0;
  World->setNodeLastHostile(0, 0);
  oneSecondStep();
  EXPECT_EQ(SceneEvent, 0);
  // A police alert on this node within the last 120 s of play holds without hostiles.
  GameInterface->GameTime = 500;
  World->setNodeLastHostile(0, 381);
  oneSecondStep();
  EXPECT_EQ(SceneEvent, 3);
  SceneEvent = 0;
  World->setNodeLastHostile(0, 380);
  CMapLifeProbe::copTimer(*map) = 0;
  oneSecondStep();
  EXPECT_EQ(SceneEvent, 0);
  // A mission's own state stays while the mission runs.
  place(2, 10);
  SceneEvent = 4;
  MissionControl->Reading = true;
  oneSecondStep();
  EXPECT_EQ(SceneEvent, 4);
  MissionControl->Reading = false;
  oneSecondStep();
  EXPECT_EQ(SceneEvent, 1);
}

TEST_F(MapUpdateTest, PoliceWavesByWorldTypeAndNodeLevel) {
  makeWorld(0, 1);  // level 1: four waves
  CMapLifeProbe::worldType(*map) = 0;
  CMapLifeProbe::medianShips(*map) = 5;
  GameInterface->GameTime = 1000;
  place(1, 0, true);
  oneSecondStep();
  ASSERT_EQ(SceneEvent, 3);
  EXPECT_EQ(map->CopWave, 4);
  EXPECT_EQ(CMapLifeProbe::copUnit(*map), 18);
  EXPECT_NEAR(CMapLifeProbe::copTimer(*map), 5 / 3.0 + 0.5 - 0.01, 1e-4);
  EXPECT_EQ(CMapLifeProbe::copReload(*map), 2);
  EXPECT_EQ(World->getNodeLastHostile(0), 1000);
  // While the hostile stays, the timer of 2.17 passes 2, 1 and 0: three police ships in 2.2 s.
  map->Frame = 0;
  run(2.2);
  EXPECT_EQ(ofUnit(18), 3);
  EXPECT_EQ(map->CopWave, 4);
  // The condition gone, each evaluation uses up a wave and re-arms the timer (a ship at once).
  GameInterface->GameTime = 5000;  // the node's alert is long past
  for (int wave = 3; wave >= 1; --wave) {
    clearShips();
    oneSecondStep();
    EXPECT_EQ(SceneEvent, 3) << wave;
    EXPECT_EQ(map->CopWave, wave);
    EXPECT_EQ(ofUnit(18), 1) << wave;
  }
  clearShips();
  oneSecondStep();
  EXPECT_EQ(SceneEvent, 0);
  EXPECT_EQ(map->CopWave, 0);

  // The police unit by world type; a world without police keeps the previous unit.
  for (auto [type, unit] : std::vector<std::pair<Long, Long>>{{1, 18}, {4, 16}, {6, 17}, {13, 14}, {9, 14}}) {
    clearShips();
    SceneEvent = 0;
    CMapLifeProbe::worldType(*map) = type;
    World->setNodeLastHostile(0, 4999);
    oneSecondStep();
    EXPECT_EQ(CMapLifeProbe::copUnit(*map), unit) << type;
  }
}

TEST_F(MapUpdateTest, WeatherParticlesLiveByKindAndExpire) {
  const Single lives[] = {1, 1, 1, 1, 6.28f, 6.28f, 0.5f, 0.5f, 0.5f, 0.5f, 3.14f, 3.14f};
  for (int kind = 0; kind < 14; ++kind) {
    CMapLifeProbe::particle(*map, 0).Active = vbFalse;
    CMapLifeProbe::addParticle(*map, kind);
    const WeatherParticle& p = CMapLifeProbe::particle(*map, 0);
    EXPECT_EQ(p.Active, vbTrue);
    if (kind < 12) {
      EXPECT_FLOAT_EQ(p.Life, lives[kind]) << kind;
    } else {
      EXPECT_TRUE(p.Life >= 1 && p.Life < 2) << kind;
    }
  }
  // Fire storm: four particles a burst, each 12 or 13, height angle 6..6.5.
  for (int i = 0; i < MapParticles; ++i) CMapLifeProbe::particle(*map, i).Active = vbFalse;
  map->MapWeather = 5;
  CMapLifeProbe::weatherTimer(*map) = 0;
  FrameTime = 0.001;
  map->Move(false, 0);
  int active = 0;
  for (int i = 0; i < MapParticles; ++i) {
    const WeatherParticle& p = CMapLifeProbe::particle(*map, i);
    if (p.Active == vbFalse) continue;
    ++active;
    EXPECT_TRUE(p.Kind == 12 || p.Kind == 13);
    EXPECT_GE(p.Y, 6);
    EXPECT_LT(p.Y, 6.5);
  }
  EXPECT_EQ(active, 4);
  // Lightning: a flash lasts 1 s and one comes every 0.1..4.1 s, so few are ever alive.
  map->MapWeather = 1;
  run(60.0, 0.05);
  int alive = 0;
  for (int i = 0; i < MapParticles; ++i) alive += CMapLifeProbe::particle(*map, i).Active != vbFalse;
  EXPECT_LE(alive, 2);
  // All 32 in use: a new particle is dropped.
  for (int i = 0; i < MapParticles; ++i) CMapLifeProbe::particle(*map, i).Active = vbFalse;
  for (int i = 0; i < MapParticles; ++i) CMapLifeProbe::addParticle(*map, 3);
  CMapLifeProbe::addParticle(*map, 12);
  for (int i = 0; i < MapParticles; ++i) EXPECT_EQ(CMapLifeProbe::particle(*map, i).Kind, 3);
}

TEST_F(MapUpdateTest, FogDistancesByFogLevel) {
  struct Case {
    Long fog;
    Integer on;
    Long nearD, farD;
  };
  map->FogNear = 1;
  map->FogFar = 2;
  for (Case c : {Case{0, vbFalse, 1, 2}, Case{1, vbTrue, 750, 10000}, Case{2, vbTrue, 500, 5000},
                 Case{3, vbTrue, 250, 2500}, Case{4, vbTrue, 250, 2500}}) {
    map->MapFog = c.fog;
    run(0.01);
    EXPECT_EQ(map->Fog, c.on) << c.fog;
    EXPECT_EQ(map->FogNear, c.nearD) << c.fog;
    EXPECT_EQ(map->FogFar, c.farD) << c.fog;
  }
}

TEST_F(MapUpdateTest, ActiveStructuresShowTheirLightsEveryFrame) {
  DefSpec lit = fixtureDef(5);
  lit.totalLights = 1;  // the index of the last light: two lights
  lit.lightKind[0] = lightBlue;
  lit.lightKind[1] = lightBlue;
  lit.lightPos[1] = vec(0, 50, 0);
  writeDef(5, lit);
  for (bool active : {true, false}) {
    Sprites.clear();
    MapSpec m;
    m.slots[3] = {1000, 0, 2000, active ? 5 : -1, 0};
    writeMap("lit", m);
    auto lighted = newMap();
    lighted->MapName = "lit";
    ASSERT_TRUE(lighted->Load());
    FrameTime = 0.01;
    lighted->Move(false, 0);
    int glows = 0;
    for (const CSprite& s : Sprites)
      if (s.Exists && s.sType == skBlueGlow) {
        ++glows;
        EXPECT_NEAR(s.getPos().x, 1000, 1e-3);
        EXPECT_NEAR(s.getPos().z, 2000, 1e-3);
      }
    EXPECT_EQ(glows, active ? 2 : 0) << active;
  }
}
