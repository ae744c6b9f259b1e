#include "tests/levels/PopulationFixture.h"

#include "engine/MessageLog.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"

namespace {
const char* const UnitFile =
    "#zombie_trader\r\nship beetle\r\ncm1 zombie\r\nct1 zom1\r\ncm2 ninja\r\nct2 nin1\r\nseca missile 15\r\n"
    "align zombie\r\n"
    "#pirate_poor\r\nship beetle\r\nalign pirate\r\n"
    "#pirate_rich\r\nship beetle\r\nalign pirate\r\n"
    "#cyborg_weak\r\nship beetle\r\nalign cyborg\r\n"
    "#ptero_cop\r\nship beetle\r\nalign ptero\r\n"
    "#zombie_cop\r\nship beetle\r\nalign zombie\r\n"
    "#ninja_cop\r\nship beetle\r\nalign ninja\r\n"
    "#misc_cop\r\nship beetle\r\nalign neutral\r\n"
    "#pirate_friend_poor\r\nship beetle\r\nalign pfriend\r\n"
    "#derelict1\r\nship beetle\r\nalign derelict\r\n"
    "#zafia\r\nship beetle\r\nalign zafia\r\n"
    "#zombie_gas\r\nship beetle\r\nalign fueler\r\n"
    "#ninja_gas\r\nship beetle\r\nalign fueler\r\n"
    "#misc_gas\r\nship beetle\r\nalign fueler\r\n";

std::string worldNode(const std::string& title, const std::string& path, Long worldType, Integer level,
                      Integer link) {
  std::string t = "\"" + title + "\"\r\n\"" + path + "\"\r\n100,100\r\n0\r\n\"node\"\r\n0," +
                  std::to_string(level) + ",1\r\n" + std::to_string(link) + "\r\n0\r\n0\r\n0\r\n0\r\n";
  for (int era = 0; era < 9; ++era) t += "#FALSE#\r\n";
  return t + std::to_string(worldType) + "\r\n";
}
}  // namespace

void PopulationTest::SetUp() {
  LevelTest::SetUp();
  setRndSeedForTests(9001);
  dir->write("\\data\\shipinfo.pnd", UnitFile);
  GameMode = pmPlay;
  Player = std::make_shared<CPlayer>();
  Player->Difficulty = 2;
  MotherPlayer = std::make_shared<CPlayer>();
  DevMode = true;  // a new record reads the (missing) options file, which turns it off
  GameInterface = std::make_shared<CInterface>();
  MissionControl = std::make_shared<CMissionControl>();
  ShipDefs.clear();
  for (int i = 0; i < 23; ++i) {
    auto d = std::make_shared<CShipDef>();
    d->ShipName = "design" + std::to_string(i);
    d->MaxArmor = 100;
    d->MaxShields = 50;
    d->MaxFuel = 3000;
    d->MaxSpeed = 500;
    d->Agility = 20;
    d->Cargo = 20;
    d->Price = 1000;
    ShipDefs.push_back(d);
  }
  Ships.clear();
  for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
  Ships[0]->setDef(*ShipDefs[0]);
  Ships[0]->Init(0);
  MotherShip = -1;
  MotherNodePath.clear();
  MotherNodeTitle.clear();
  SceneEvent = 0;
  makeWorld(0);
  map = newMap();
  map->MapName = "home";
  Sprites.clear();
  clearLog();
}

void PopulationTest::TearDown() {
  map.reset();
  Ships.clear();
  ShipDefs.clear();
  Sprites.clear();
  World.reset();
  MissionControl.reset();
  GameInterface.reset();
  Player.reset();
  MotherPlayer.reset();
  MotherShip = -1;
  MotherNodePath.clear();
  MotherNodeTitle.clear();
  SceneEvent = 0;
  GameMode = -1;
  FrameTime = 0;
  clearRndTestSeed();
  LevelTest::TearDown();
}

void PopulationTest::makeWorld(Long worldType, Integer level) {
  dir->write("\\maps\\world.pnd", "\"World!\"\r\n" + worldNode("Home", "home", worldType, level, 1) +
                                      worldNode("Away", "away", 0, 0, 0) + "\"eof\"\r\n");
  World = std::make_shared<CWorld>();
  World->Load();
  World->CurrentNode = 0;
}

int PopulationTest::existing() const {
  int n = 0;
  for (const auto& s : Ships)
    if (s && s->Exists) ++n;
  return n;
}

int PopulationTest::ofUnit(Long unit) const {
  int n = 0;
  for (size_t i = 1; i < Ships.size(); ++i)
    if (Ships[i] && Ships[i]->Exists && Ships[i]->getAIType() == unit) ++n;
  return n;
}

std::vector<Long> PopulationTest::unitsPresent() const {
  std::vector<Long> out;
  for (size_t i = 1; i < Ships.size(); ++i)
    if (Ships[i] && Ships[i]->Exists) out.push_back(Ships[i]->getAIType());
  return out;
}

void PopulationTest::clearShips() {
  for (size_t i = 1; i < Ships.size(); ++i) Ships[i]->Exists = false;
}
