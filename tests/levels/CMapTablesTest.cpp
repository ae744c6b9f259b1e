// Keyword tables and the unit-type table of "\data\shipinfo.pnd".
#include <gtest/gtest.h>

#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "levels/CMap.h"
#include "runtime/VbError.h"
#include "tests/levels/LevelFixture.h"

namespace {
class CMapTablesTest : public LevelTest {};
using CMapUnits = CMapTestAccess;
}  // namespace

TEST_F(CMapTablesTest, KeywordsMapToTheirNumbersInAnyCase) {
  auto map = newMap();
  const struct {
    Long (CMap::*lookup)(const std::string&) const;
    const char* word;
    Long value;
  } cases[] = {
      {&CMap::getUnitFromString, "pirate", 10},        {&CMap::getUnitFromString, "PIRATE_POOR", 10},
      {&CMap::getUnitFromString, "pirate_poor", 10},   {&CMap::getUnitFromString, "Pirate_Strong", 11},
      {&CMap::getUnitFromString, "zafia_grunt", 40},   {&CMap::getUnitFromString, "zafia_thug", 43},
      {&CMap::getUnitFromString, "fiend_capital", 60}, {&CMap::getUnitFromString, "ol_blarty", 65},
      {&CMap::getUnitFromString, "zombie_trader", 0},  {&CMap::getAlignFromString, "FIEND", 11},
      {&CMap::getAlignFromString, "neutral", 0},       {&CMap::getAlignFromString, "zafia", 9},
      {&CMap::getMountFromString, "Plasmoder", 11},    {&CMap::getMountFromString, "rocket", 0},
      {&CMap::getSecondaryFromString, "fueler", 8},    {&CMap::getSecondaryFromString, "Torpedo", 1},
      {&CMap::getShipFromString, "MOTAMA", 22},        {&CMap::getShipFromString, "phantom", 0},
      {&CMap::getShipFromString, "galleon2", 13},
  };
  for (const auto& c : cases) EXPECT_EQ(((*map).*c.lookup)(c.word), c.value) << c.word;
  EXPECT_FALSE(logged("Unrecognized"));
  EXPECT_FALSE(logged("Unexpected"));
}

TEST_F(CMapTablesTest, UnknownKeywordsAreLoggedWithTheirDefault) {
  auto map = newMap();
  const struct {
    Long (CMap::*lookup)(const std::string&) const;
    const char* word;
    Long value;
    const char* message;
  } cases[] = {
      {&CMap::getAlignFromString, "Pterodactyl", 0, "Unrecognized alignment: Pterodactyl"},
      {&CMap::getMountFromString, "laser2", -1, "Unrecognized mount: laser2"},
      {&CMap::getSecondaryFromString, "", -1, "Unrecognized secondary weapon: "},
      {&CMap::getShipFromString, "beetle2", -1, "Unrecognized ship: beetle2"},
      {&CMap::getUnitFromString, "pirate ", -1, "Unexpected unit type: pirate "},
  };
  for (const auto& c : cases) {
    clearLog();
    EXPECT_EQ(((*map).*c.lookup)(c.word), c.value) << c.word;
    EXPECT_EQ(MsgLog[0], c.message);
  }
}

TEST_F(CMapTablesTest, UnitFileFillsTheUnitTable) {
  dir->write("\\data\\shipinfo.pnd",
             "desc before any unit\r\n"
             "ship nekobus\r\n"
             "#cyborg\r\n"
             "ship worm\r\n"
             "m3 plasma\r\n"
             "m8 radio\r\n"
             "seca torpedo 40\r\n"
             "sec xbow\r\n"
             "seca shotty 2.5\r\n"
             "cm1 cyb\r\n"
             "ct1 cyb_skin\r\n"
             "cm2 gun\r\n"
             "ct2 gun_skin\r\n"
             "desc A  cyborg, with  blanks \r\n"
             "align CYBORG\r\n"
             "\r\n"
             "colour blue\r\n"
             "#Pirate_Raider\r\n"
             "ship beetle2\r\n"
             "m1 laser2\r\n"
             "cd1 zom1\r\n"
             "cd2 nobody\r\n"
             "align pirates\r\n"
             "sec bomb\r\n"
             "#no_such_unit\r\n"
             "ship banana\r\n"
             "#my_mother\r\n"
             "desc not shown\r\n");
  const CharDef zombieA = CharDefs[4];  // "zom1"
  CharDefs[4] = CharDef{"zmodel", "zskin.bmp"};
  auto map = newMap();
  CharDefs[4] = zombieA;
  const UnitInfo& u0 = CMapUnits::unit(*map, 0);  // lines before the first "#" go to unit 0
  EXPECT_EQ(u0.Desc, "before any unit");
  EXPECT_EQ(u0.Ship, 4);

  const UnitInfo& c = CMapUnits::unit(*map, 12);
  EXPECT_EQ(c.Ship, 18);
  EXPECT_EQ(c.Mount, (std::array<Long, 8>{1, 1, 2, 1, 1, 1, 1, 10}));  // "#" made them lasers
  EXPECT_EQ(c.HasSecondary[1], vbTrue);
  EXPECT_EQ(c.SecondaryAmmo[1], 40);
  EXPECT_EQ(c.HasSecondary[2], vbTrue);
  EXPECT_EQ(c.SecondaryAmmo[2], 15);
  EXPECT_EQ(c.SecondaryAmmo[3], 2);  // 2.5 rounds half to even
  EXPECT_EQ(c.HasSecondary[0], vbFalse);
  EXPECT_EQ(c.CharModel1, "cyb");
  EXPECT_EQ(c.CharTexture1, "cyb_skin.bmp");
  EXPECT_EQ(c.CharModel2, "gun");
  EXPECT_EQ(c.CharTexture2, "gun_skin.bmp");
  EXPECT_EQ(c.Desc, "A  cyborg, with  blanks ");
  EXPECT_EQ(c.Align, 4);
  EXPECT_EQ(map->getShipDriverTexture(12), "cyb_skin.bmp");
  EXPECT_EQ(map->getShipUnitDesc(12), "A  cyborg, with  blanks ");

  const UnitInfo& p = CMapUnits::unit(*map, 28);  // unknown names inside the file
  EXPECT_EQ(p.Ship, -1);
  EXPECT_EQ(p.Mount[0], -1);
  EXPECT_EQ(p.Align, 0);
  for (Integer k = 0; k < 16; ++k) EXPECT_EQ(p.HasSecondary[k], vbFalse);
  EXPECT_EQ(p.CharModel1, "zmodel");  // a character of the character table
  EXPECT_EQ(p.CharTexture1, "zskin.bmp");
  EXPECT_EQ(p.CharModel2, "");  // an unknown character changes nothing
  // One line for the file: its first damaged line and how many; the units they belong to are not
  // spawned, the others are.
  EXPECT_EQ(MsgLog[0],
            "\\data\\shipinfo.pnd: line 17: unknown item \"colour\" (7 damaged lines). Ships of the units it "
            "describes badly do not appear");
  EXPECT_FALSE(logged("Unrecognized"));
  for (int unit : {12, 28}) EXPECT_FALSE(CMapUnits::unitRead(*map, unit)) << unit;
  for (int unit : {0, 21, 42}) EXPECT_TRUE(CMapUnits::unitRead(*map, unit)) << unit;
  EXPECT_NE(CMapUnits::unit(*map, 28).Ship, 16);  // "ship banana" under the unknown unit went nowhere
  for (int u = 0; u < 66; ++u) EXPECT_NE(CMapUnits::unit(*map, u).Ship, 16) << u;

  const UnitInfo& never = CMapUnits::unit(*map, 42);  // never named: the table's defaults
  EXPECT_EQ(never.Mount, (std::array<Long, 8>{}));
  EXPECT_EQ(never.Ship, 0);
  EXPECT_EQ(never.Desc, "");
  EXPECT_EQ(map->getShipUnitDesc(21), "mother ship");
  EXPECT_THROW(map->getShipUnitDesc(66), VbError);
  EXPECT_THROW(map->getShipDriverTexture(-1), VbError);
}

// "cd1"/"cd2" name a character of the character table: its model and skin become the seat's.
TEST_F(CMapTablesTest, CharacterLinesTakeModelAndSkinFromTheCharacterTable) {
  const auto saved = CharDefs;
  CharDefs[4] = CharDef{"zombie", "zom1.bmp"};
  CharDefs[1] = CharDef{"flee", "flee.bmp"};
  dir->write("\\data\\shipinfo.pnd",
             "#zafia\r\n"
             "cd1 zom1\r\n"
             "cd2 flee\r\n"
             "#pirate\r\n"
             "ct1 own_skin\r\n"
             "cd1 nobody\r\n");
  auto map = newMap();
  CharDefs = saved;
  const UnitInfo& z = CMapUnits::unit(*map, 40);
  EXPECT_EQ(z.CharModel1, "zombie");
  EXPECT_EQ(map->getShipDriverTexture(40), "zom1.bmp");
  EXPECT_EQ(z.CharModel2, "flee");
  EXPECT_EQ(z.CharTexture2, "flee.bmp");
  EXPECT_EQ(map->getShipDriverTexture(10), "own_skin.bmp");  // an unknown character changes nothing
}

TEST_F(CMapTablesTest, DamagedUnitLinesAreReportedAndSkipped) {
  dir->write("\\data\\shipinfo.pnd",
             "#ninja_cop\r\n"
             "seca torpedo\r\n"
             "ship\r\n"
             "seca missile 99999\r\n"
             "ship reaper\r\n");
  auto map = newMap();
  EXPECT_TRUE(logged("\\data\\shipinfo.pnd: line 2: Subscript out of range (3 damaged lines)"));
  EXPECT_FALSE(CMapUnits::unitRead(*map, 17));
  const UnitInfo& u = CMapUnits::unit(*map, 17);
  EXPECT_EQ(u.HasSecondary[1], vbFalse);
  EXPECT_EQ(u.HasSecondary[0], vbFalse);
  EXPECT_EQ(u.Ship, 7);  // the lines after the damaged ones still count
}

TEST_F(CMapTablesTest, MissingUnitFileIsReportedAndNoUnitIsUsed) {
  dir->remove("\\data\\shipinfo.pnd");
  auto map = newMap();
  EXPECT_TRUE(logged("\\data\\shipinfo.pnd: File not found. No ship of the traffic, police or missions appears"));
  EXPECT_FALSE(CMapUnits::unitRead(*map, 10));
  EXPECT_EQ(CMapUnits::unit(*map, 10).Mount[0], 0);
  EXPECT_EQ(map->getShipUnitDesc(21), "mother ship");
}

TEST_F(CMapTablesTest, CrewLinesTakeModelAndSkinFromTheCharacterTable) {
  const auto saved = CharDefs;
  CharDefs[4] = CharDef{"zombie", "zom1.bmp"};
  CharDefs[5] = CharDef{"zombie", "zom2.bmp"};
  CharDefs[28] = CharDef{"", "null.bmp"};  // a character without a model
  dir->write("\\data\\shipinfo.pnd",
             "#zombie_trader\r\n"
             "cd1 zom1\r\n"
             "cd2 Zombie B\r\n"
             "#zombie_rich\r\n"
             "cd1 zom1\r\n"
             "cm1 other\r\n"      // a later line wins
             "cd2 nobody\r\n"     // unknown: no gunner
             "#zombie_poor\r\n"
             "cd1 null\r\n");
  auto map = newMap();
  CharDefs = saved;
  const UnitInfo& trader = CMapUnits::unit(*map, 0);
  EXPECT_EQ(trader.CharModel1, "zombie");
  EXPECT_EQ(trader.CharTexture1, "zom1.bmp");
  EXPECT_EQ(trader.CharModel2, "zombie");
  EXPECT_EQ(trader.CharTexture2, "zom2.bmp");
  const UnitInfo& rich = CMapUnits::unit(*map, 1);
  EXPECT_EQ(rich.CharModel1, "other");
  EXPECT_EQ(rich.CharTexture1, "zom1.bmp");
  EXPECT_EQ(rich.CharModel2, "");
  EXPECT_EQ(rich.CharTexture2, "");
  EXPECT_TRUE(logged("\\data\\shipinfo.pnd: line 7: unknown character \"nobody\""));
  EXPECT_EQ(CMapUnits::unit(*map, 2).CharModel1, "");
  EXPECT_EQ(map->getShipDriverTexture(0), "zom1.bmp");
}
