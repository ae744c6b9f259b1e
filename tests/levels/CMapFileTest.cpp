// Map files: loading, saving, the classic-view fix-ups, damaged files and the plain accessors.
#include <gtest/gtest.h>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "levels/CMap.h"
#include "runtime/VbError.h"
#include "tests/levels/LevelFixture.h"

namespace {
class CMapFileTest : public LevelTest {
 protected:
  // A map using most of the file: sectors with and without textures, active, empty and
  // emptied slots, links, a colour whose halves round to even.
  static MapSpec sampleMap() {
    MapSpec m;
    m.title = "Los Gatos, test";
    m.fog = 2;
    m.weather = 3;
    m.fx = 1;
    m.sectors[0] = {0.5f, 12, "SKY\\Earth.bmp", 1.57f, -0.25f};
    m.sectors[1] = {0, 30, "sky\\nebula1.bmp", 3.14f, 0.1f};
    m.sectors[11] = {-1, 7.5f, "sky\\redplanet.bmp", 6, 0};
    m.slots[0] = {100, -200, 300, 2, 5};   // landing
    m.slots[1] = {1500.5f, -100, -800, 16, 0};  // bank
    m.slots[2] = {-400, 0, 0, -1, 3};      // empty slot that keeps its place and link
    m.slots[3] = {0, -500, 2000, 5, 0};    // catwalk
    m.slots[31] = {-4999.75f, 1999, 4999, 21, -7};
    m.red = 100.5f;
    m.green = 101.5f;
    m.blue = 0.25f;
    return m;
  }
};
}  // namespace

TEST_F(CMapFileTest, HandWrittenMapLoadsSavesAndReloadsToTheSameBytes) {
  const std::string text = sampleMap().text();
  dir->write("\\maps\\sample.pnd", text);
  auto map = newMap();
  map->MapName = "sample";
  ASSERT_TRUE(map->Load());
  EXPECT_EQ(map->MapTitle, "Los Gatos, test");
  EXPECT_EQ(map->MapFog, 2);
  EXPECT_EQ(map->MapWeather, 3);
  EXPECT_EQ(map->MapFX, 1);
  EXPECT_EQ(map->getSecTexture(0), "SKY\\Earth.bmp");
  EXPECT_FLOAT_EQ(map->getSecR(0), 0.5f);
  EXPECT_FLOAT_EQ(map->getSecSC(0), 12);
  EXPECT_FLOAT_EQ(map->getSecX(0), 1.57f);
  EXPECT_FLOAT_EQ(map->getSecY(0), -0.25f);
  EXPECT_EQ(map->getSecNoTunnel(0), vbTrue);  // a planet, whatever the letter case
  EXPECT_EQ(map->getSecNoTunnel(1), vbFalse);
  EXPECT_EQ(map->getSecNoTunnel(23), vbTrue);  // sector 23 Mod 12 = 11
  EXPECT_EQ(map->getStructDef(0), 2);
  EXPECT_EQ(map->getStructType(0), structLanding);
  EXPECT_EQ(map->getStructLink(0), 5);
  EXPECT_EQ(map->getStructDef(2), -1);
  EXPECT_FLOAT_EQ(map->getStructPos(2).x, -400);
  EXPECT_EQ(map->getStructLink(2), 3);
  EXPECT_FLOAT_EQ(map->getStructPos(1).x, 1500.5f);
  EXPECT_EQ(map->getStructLink(31), -7);
  EXPECT_EQ(map->FogR, 100);  // halves round to even
  EXPECT_EQ(map->FogG, 102);
  EXPECT_EQ(map->FogB, 0);
  EXPECT_FLOAT_EQ(SkyR, 100.5f);

  map->Save();
  EXPECT_EQ(dir->read("\\maps\\sample.pnd"), text);

  auto again = newMap();
  again->MapName = "sample";
  ASSERT_TRUE(again->Load());
  for (Integer i = 0; i < 32; ++i) {
    EXPECT_EQ(again->getStructDef(i), map->getStructDef(i)) << i;
    EXPECT_EQ(again->getStructPos(i).y, map->getStructPos(i).y) << i;
  }
  again->MapName = "second";
  again->Save();
  EXPECT_EQ(dir->read("\\maps\\second.pnd"), text);
}

TEST_F(CMapFileTest, LoadResetsTheLevelStateButNotTheClock) {
  writeMap("a", sampleMap());
  auto map = newMap();
  map->Frame = 7.5;
  map->CopWave = 2;
  map->HostileSafe = 10;
  map->TalkingsTo = 6;
  CMapTestAccess::particle(*map, 5).Active = vbTrue;
  CMapTestAccess::particle(*map, 31).Active = vbTrue;
  CMapTestAccess::gasTimer(*map) = 12;
  map->MapName = "a";
  ASSERT_TRUE(map->Load());
  EXPECT_EQ(CMapTestAccess::particle(*map, 5).Active, vbFalse);
  EXPECT_EQ(CMapTestAccess::particle(*map, 31).Active, vbFalse);
  EXPECT_EQ(CMapTestAccess::gasTimer(*map), 0);
  EXPECT_EQ(map->Frame, 7.5);
  EXPECT_EQ(map->CopWave, 2);
  EXPECT_EQ(map->HostileSafe, 0);
  EXPECT_EQ(map->TalkingsTo, 0);
}

TEST_F(CMapFileTest, DamagedMapIsReportedAndLeavesThePreviousMapWhole) {
  const MapSpec good = sampleMap();
  const std::string goodText = good.text();
  auto cut = [&](int lines) {
    size_t p = 0;
    for (int i = 0; i < lines; ++i) p = goodText.find("\r\n", p) + 2;
    return goodText.substr(0, p);
  };
  MapSpec badDef = good;
  badDef.slots[7].def = 22;
  MapSpec badLink = good;
  badLink.slots[7].link = 40000;
  MapSpec badColour = good;
  badColour.red = 1e6f;
  MapSpec zeroLargest = good;  // a tint that cannot be published (0 largest beside a negative)
  zeroLargest.red = -5;
  zeroLargest.green = 0;
  zeroLargest.blue = 0;
  std::string word = goodText;
  word.replace(word.find("100,-200,300"), 3, "xyz");
  const struct {
    const char* what;
    std::string text;
    const char* reason;
  } cases[] = {
      {"missing", "", "File not found"},
      {"cut in the sectors", cut(8), "Input past end of file"},
      {"cut in the slots", cut(60), "Input past end of file"},
      {"no colour line", cut(110), "Input past end of file"},
      {"definition index 22", badDef.text(), "Subscript out of range"},
      {"link beyond an Integer", badLink.text(), "Overflow"},
      {"colour beyond an Integer", badColour.text(), "Overflow"},
      {"colour without a tint", zeroLargest.text(), "Division by zero"},
      {"a word for a number", word, "Type mismatch"},
  };

  MapSpec first;  // the map in place before each bad load
  first.title = "First";
  first.slots[4] = {10, 20, 30, 7, 1};
  first.sectors[3].texture = "sky\\jovian.bmp";
  first.red = 50;
  writeMap("first", first);
  for (const auto& c : cases) {
    auto map = newMap();
    map->MapName = "first";
    ASSERT_TRUE(map->Load());
    map->HostileSafe = 5;
    if (std::string(c.what) == "missing") dir->remove("\\maps\\bad.pnd");
    else dir->write("\\maps\\bad.pnd", c.text);
    clearLog();
    map->MapName = "bad";
    EXPECT_FALSE(map->Load()) << c.what;
    EXPECT_TRUE(logged(std::string("Error in CMap.Load: ") + c.reason)) << c.what << ": " << MsgLog[0];
    EXPECT_TRUE(logged("\\maps\\bad.pnd")) << c.what;
    EXPECT_EQ(map->MapName, "first") << c.what;
    EXPECT_EQ(map->MapTitle, "First") << c.what;
    EXPECT_EQ(map->HostileSafe, 5) << c.what;
    EXPECT_EQ(map->getSecTexture(3), "sky\\jovian.bmp") << c.what;
    EXPECT_EQ(map->getSecTexture(0), "") << c.what;
    EXPECT_EQ(map->getRed(), 50) << c.what;
    for (Integer i = 0; i < 32; ++i) {
      EXPECT_EQ(map->getStructDef(i), i == 4 ? 7 : -1) << c.what << " slot " << i;
      EXPECT_EQ(map->getStructPos(i).x, i == 4 ? 10 : 0) << c.what << " slot " << i;
    }
    map->Save();  // still the first map, under its own name
    EXPECT_EQ(dir->read("\\maps\\first.pnd"), first.text()) << c.what;
  }
}

TEST_F(CMapFileTest, ClassicViewMovesOrDropsWalkwaysAndPads) {
  const struct {
    long def;
    float y;
    bool kept;
    float newY;
  } cases[] = {
      {5, -500, true, -550},  {5, -499, false, -499}, {5, 0, true, 0},      {6, -549, true, -550},
      {6, -550, true, -550},  {14, 0, true, 60},      {14, 59, true, 60},   {15, -500, true, -690},
      {15, -499, false, -499}, {14, 60, true, 60},    {15, -690, true, -690},
      {2, -150, true, -200},  {2, -250, true, -250},  {2, 100, true, -200},
  };
  MapSpec m;
  for (size_t i = 0; i < std::size(cases); ++i) m.slots[i] = {float(i * 10), cases[i].y, 5, cases[i].def, 0};
  writeMap("classic", m);

  ClassicView = true;
  auto map = newMap();
  map->MapName = "classic";
  ASSERT_TRUE(map->Load());
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Integer s = static_cast<Integer>(i);
    EXPECT_EQ(map->getStructDef(s), cases[i].kept ? cases[i].def : -1) << cases[i].def << " at " << cases[i].y;
    EXPECT_FLOAT_EQ(map->getStructPos(s).y, cases[i].newY) << cases[i].def << " at " << cases[i].y;
    EXPECT_FLOAT_EQ(map->getStructPos(s).x, float(i * 10));  // x and z as read
    EXPECT_FLOAT_EQ(map->getStructPos(s).z, 5);
  }

  // The fix-ups are for the camera only: the file keeps its own values.
  map->Save();
  EXPECT_EQ(dir->read("\\maps\\classic.pnd"), m.text());
  // An edited slot is written as edited.
  map->setStructPos(0, 1, -560, 2);
  map->setStructDef(1, 6);
  map->Save();
  MapSpec edited = m;
  edited.slots[0] = {1, -560, 2, 5, 0};
  edited.slots[1].def = 6;
  EXPECT_EQ(dir->read("\\maps\\classic.pnd"), edited.text());

  ClassicView = false;  // without the option nothing moves
  writeMap("classic", m);
  ASSERT_TRUE(map->Load());
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(map->getStructDef(static_cast<Integer>(i)), cases[i].def);
    EXPECT_FLOAT_EQ(map->getStructPos(static_cast<Integer>(i)).y, cases[i].y);
  }
}

TEST_F(CMapFileTest, SlotAndDefinitionAccessors) {
  auto map = newMap();
  map->setStructPos(3, 10, 20, 30);
  map->setStructDef(3, 16);
  EXPECT_EQ(map->getStructType(3), structBank);
  EXPECT_FLOAT_EQ(map->getStructLBounds(3).x, 10 - 100);
  map->setStructDef(3, -1);
  EXPECT_EQ(map->getStructDef(3), -1);
  EXPECT_EQ(map->getStructType(3), structBank);  // an emptied slot keeps its copy's type
  EXPECT_FLOAT_EQ(map->getStructPos(3).x, 10);
  EXPECT_THROW(map->setStructDef(3, 22), VbError);
  EXPECT_EQ(map->getStructDef(3), -1);
  EXPECT_THROW(map->getStructPos(32), VbError);
  EXPECT_THROW(map->setStructLink(-1, 0), VbError);
  EXPECT_EQ(map->getStructModel(0), "parts");
  EXPECT_EQ(map->getStructTexture(21), "cross");
  EXPECT_EQ(map->getStructModel(25), "");
  EXPECT_EQ(map->getStructModel(-1), "");
}

TEST_F(CMapFileTest, MissingDefinitionIsReportedAndTheMapStillWorks) {
  dir->remove("\\structures\\gas.pnd");
  writeDef(9, [] {
    DefSpec d = fixtureDef(9);
    d.kind = 4;
    return d;
  }());
  dir->write("\\structures\\genbuild2.pnd", "\"cut\"\r\n");
  auto map = newMap();
  EXPECT_TRUE(logged("\\structures\\gas.pnd: File not found. This structure is not placed on the maps"));
  EXPECT_TRUE(logged("\\structures\\genbuild2.pnd: Input past end of file. This structure is not placed"));
  EXPECT_EQ(map->getStructModel(7), "");
  EXPECT_EQ(map->getStructModel(9), "");
  EXPECT_EQ(map->getStructModel(8), "tallbuild2");
  // A map placing them: those slots stay empty (no box, no service); the map saves as it was read.
  MapSpec m;
  m.slots[0] = {100, -200, 300, 2, 0};   // landing
  m.slots[1] = {300, -100, 300, 7, 0};   // gas, missing
  m.slots[2] = {-300, -100, 300, 9, 4};  // genbuild2, damaged
  dir->write("\\maps\\m.pnd", m.text());
  map->MapName = "m";
  ASSERT_TRUE(map->Load());
  EXPECT_EQ(map->getStructDef(0), 2);
  EXPECT_EQ(map->getStructDef(1), -1);
  EXPECT_EQ(map->getStructDef(2), -1);
  EXPECT_FALSE(map->checkCheapStructCol(300, -50, 300, 10));  // no box where the gas station stood
  EXPECT_EQ(map->getCloseLanding(0), 0);                      // and no service within reach
  map->Save();
  EXPECT_EQ(dir->read("\\maps\\m.pnd"), m.text());
}

TEST_F(CMapFileTest, MapColourPublishesSkyFogAndTint) {
  auto map = newMap();
  const struct {
    Integer r, g, b;
    float tr, tg, tb;
  } cases[] = {
      {0, 0, 0, 100, 100, 100},       {200, 100, 50, 255, 127.5f, 63.75f},
      {10, 20, 5, 127.5f, 255, 63.75f}, {0, 51, 255, 0, 51, 255},
      {80, 80, 0, 255, 255, 0},
  };
  for (const auto& c : cases) {
    map->setRed(c.r);
    map->setGreen(c.g);
    map->setBlue(c.b);
    EXPECT_FLOAT_EQ(TintR, c.tr) << c.r << "," << c.g << "," << c.b;
    EXPECT_FLOAT_EQ(TintG, c.tg) << c.r << "," << c.g << "," << c.b;
    EXPECT_FLOAT_EQ(TintB, c.tb) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(map->FogG, c.g);
    EXPECT_FLOAT_EQ(SkyB, c.b);
  }
}
