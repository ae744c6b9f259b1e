#include "tests/ships/LevelShipFixture.h"

#include <string>

#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "levels/CMap.h"

namespace {
std::string vecLine(float x, float y, float z) {
  return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z) + "\r\n";
}

// A structure definition file: box lower..upper around the location, StructType kind.
std::string defText(long kind, bool pad) {
  std::string t = "\"Test\"\r\n\"box\"\r\n\"box\"\r\n" + vecLine(1, 1, 1) + "0\r\n0\r\n";
  for (int i = 0; i < 16; ++i) t += vecLine(0, 0, 0) + "0\r\n";
  if (pad)
    t += vecLine(50, 0, 50) + vecLine(-50, -10, -50);
  else
    t += vecLine(100, 100, 100) + vecLine(-100, 0, -100);
  return t + std::to_string(kind) + "\r\n";
}

std::string worldNode(const std::string& title, const std::string& path, std::initializer_list<int> links,
                      const char* at = "100,100") {
  std::string t = "\"" + title + "\"\r\n\"" + path + "\"\r\n" + at + "\r\n0\r\n\"node\"\r\n0,1," +
                  std::to_string(links.size()) + "\r\n";
  int n = 0;
  for (int l : links) {
    t += std::to_string(l) + "\r\n";
    ++n;
  }
  for (; n < 5; ++n) t += "0\r\n";
  for (int era = 0; era < 9; ++era) t += "#FALSE#\r\n";
  return t + "0\r\n";
}
}  // namespace

void LevelShipTest::SetUp() {
  FlightTest::SetUp();
  // StructType of each definition as the default content gives it.
  static const long kinds[MapStructDefs] = {0, 1, 2, 3, 3, 3, 3,  4, 3, 3, 5,
                                            6, 8, 7, 3, 3, 9, 10, 3, 3, 3, 3};
  for (int i = 0; i < MapStructDefs; ++i)
    dir.write(std::string("\\structures\\") + StructDefFiles[i] + ".pnd", defText(kinds[i], i == 2));
  dir.write("\\maps\\readme.txt", "");
  dir.write("\\data\\shipinfo.pnd", "#misc_trader\r\nship phantom\r\n");  // every other unit as the table starts
  ShipDefs.clear();
  for (int i = 0; i < 23; ++i) ShipDefs.push_back(std::make_shared<CShipDef>(flightDesign()));
  // "away" lies at lower world-map Y than "home": a ship heading 0 is lined up with that route.
  dir.write("\\maps\\world.pnd", "\"World!\"\r\n" + worldNode("Home", "home", {1, 2}) +
                                     worldNode("Away", "away", {0}, "100,0") + worldNode("Gone", "gone", {0}) +
                                     "\"eof\"\r\n");
  World = std::make_shared<CWorld>();
  World->Load();
  World->CurrentNode = 0;
  World->DestNode = -1;
  MissionControl = std::make_shared<CMissionControl>();
  CurMap = new CMap();
  {
    CMap away;
    away.MapName = "away";
    away.Save();
  }
  loadHome(0);
  PendingMap.clear();
  BulletTime = false;
  BulletTimeCharge = 0;
  CamBlend = 0;
  MsgLog.fill("");
  MsgCount = 0;
  resetPlayerNotices();  // the maps written after the world are no notice over the flight tested
}

void LevelShipTest::TearDown() {
  World.reset();
  MissionControl.reset();
  ShipDefs.clear();
  PendingMap.clear();
  BulletTime = false;
  BulletTimeCharge = 0;
  CamBlend = 0;
  MotherNodePath.clear();
  MotherNodeTitle.clear();
  FlightTest::TearDown();
}

void LevelShipTest::loadHome(Long serviceDef) {
  CMap m;
  m.setStructPos(Pad, 0, PadTop, 0);
  m.setStructDef(Pad, 2);
  m.setStructPos(Service, 300, -600, 0);
  m.setStructDef(Service, serviceDef);
  m.setStructPos(GasStation, -20000, -600, 0);  // beyond any landing's service search
  m.setStructDef(GasStation, 7);
  m.MapName = "home";
  m.Save();
  CurMap->MapName = "home";
  ASSERT_TRUE(CurMap->Load());
}

CShip& LevelShipTest::shipAt(Integer i, Single x, Single y, Single e, Long body) {
  CShip& s = ready(i, flightDesign(body));
  s.x = x;
  s.y = y;
  s.e = e;
  return s;
}
