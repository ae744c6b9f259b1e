// Ship definition files: the 39-line round trip, the dock-bay rule, texts that the format cannot
// hold, damaged files, the start-up loader, and every design shipped with the game.
#include "ships/CShipDef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "tests/support/TempGameDir.h"

namespace {
void clearLog() {
  MsgLog.fill("");
  MsgCount = 0;
}

int errorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}

// A design with a distinct value in every field and table row.
CShipDef sampleDef() {
  CShipDef d;
  d.ShipName = "Testbed";
  d.TotalSeats = 1;
  d.Acceleration = 612.5f;
  d.Agility = 18.25f;
  d.MaxSpeed = 1234.567f;
  d.Traction = 0.1f;
  d.MaxShields = 310;
  d.MaxArmor = -7;
  d.MaxFuel = 32767;
  d.ShipTitle = "Test Bed";
  d.Price = 2000000000;
  d.Description = "Fast, light, and cheap; \"not\" for sale";
  d.Energy = 21;
  d.Cargo = 40;
  d.JetSnd = 3;
  d.TotalMounts = 2;
  d.TotalJets = 1;
  d.totalLights = 3;
  d.CamFollowZ = 260.75f;
  d.CamFollowY = -0.5f;
  d.Model = "testbed";
  d.BodyTex = "body.bmp";
  d.InteriorTex = "inside.bmp";
  d.WindowTex = "glass.bmp";
  d.WheelTex = "wheels.bmp";
  d.ShipBody = sbConvertible;
  for (Integer i = 0; i < 4; ++i) {
    d.setSeatXOff(i, -12.5f + i);
    d.setSeatYOff(i, 8 + i / 3.0f);
    d.setSeatZOff(i, 1e-5f * (i + 1));
    d.setJetXOff(i, 100 + i);
    d.setJetYOff(i, -62.125f - i);
    d.setJetZOff(i, 6);
    d.setLightXOff(i, 22 * i);
    d.setLightYOff(i, 60.5f);
    d.setLightZOff(i, -i * 0.25f);
  }
  for (Integer i = 0; i < 8; ++i) {
    d.setMountXOff(i, -30 + 7.5f * i);
    d.setMountYOff(i, 20);
    d.setMountZOff(i, 2.5e7f * i);
    d.setMountRot(i, 1.57f * i);
  }
  return d;
}

class CShipDefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clearLog();
    DevMode = false;
    dir.write("\\ships\\readme.txt", "");  // the ships folder exists
  }
  void TearDown() override {
    ShipDefs.clear();
    DevMode = false;
  }
  TempGameDir dir;
};
}  // namespace

TEST_F(CShipDefTest, EveryFieldButDockBaysSurvivesAWriteAndARead) {
  CShipDef w = sampleDef();
  w.DockBays = 6;
  w.WriteDef();

  std::vector<std::string> lines = readLines("\\ships\\Testbed.pnd");
  ASSERT_EQ(lines.size(), 39u);
  EXPECT_EQ(dir.read("\\ships\\Testbed.pnd").substr(0, 11), "\"Testbed\"\r\n");
  EXPECT_EQ(lines[3], "-11.5,8.333333,2e-05");   // at most 7 significant digits
  EXPECT_EQ(lines[30], "612.5");                   // line 31 acceleration
  EXPECT_EQ(lines[31], "0.1");                     // line 32 traction
  EXPECT_EQ(lines[32], "1234.567");                // line 33 top speed
  EXPECT_EQ(lines[33], "18.25");                   // line 34 agility
  EXPECT_EQ(lines[34], "32767,310,-7,2000000000");
  EXPECT_EQ(lines[36], "-0.5,260.75");             // line 37 height before distance
  EXPECT_EQ(lines[37], "2");
  EXPECT_EQ(lines[38], "21,40,3");

  CShipDef r;
  r.ShipName = "testbed";  // files are found whatever the case
  r.ReadDef();
  EXPECT_EQ(r.ShipName, "Testbed");
  EXPECT_EQ(r.TotalSeats, w.TotalSeats);
  EXPECT_EQ(r.Acceleration, w.Acceleration);
  EXPECT_EQ(r.Agility, w.Agility);
  EXPECT_EQ(r.MaxSpeed, w.MaxSpeed);
  EXPECT_EQ(r.Traction, w.Traction);
  EXPECT_EQ(r.DockBays, 0);  // never stored; a convertible keeps the fresh record's 0
  EXPECT_EQ(r.MaxShields, w.MaxShields);
  EXPECT_EQ(r.MaxArmor, w.MaxArmor);
  EXPECT_EQ(r.MaxFuel, w.MaxFuel);
  EXPECT_EQ(r.ShipTitle, w.ShipTitle);
  EXPECT_EQ(r.Price, w.Price);
  EXPECT_EQ(r.Energy, w.Energy);
  EXPECT_EQ(r.Cargo, w.Cargo);
  EXPECT_EQ(r.JetSnd, w.JetSnd);
  EXPECT_EQ(r.TotalMounts, w.TotalMounts);
  EXPECT_EQ(r.TotalJets, w.TotalJets);
  EXPECT_EQ(r.totalLights, w.totalLights);
  EXPECT_EQ(r.CamFollowZ, w.CamFollowZ);
  EXPECT_EQ(r.CamFollowY, w.CamFollowY);
  EXPECT_EQ(r.Model, w.Model);
  EXPECT_EQ(r.BodyTex, w.BodyTex);
  EXPECT_EQ(r.InteriorTex, w.InteriorTex);
  EXPECT_EQ(r.WindowTex, w.WindowTex);
  EXPECT_EQ(r.WheelTex, w.WheelTex);
  EXPECT_EQ(r.ShipBody, w.ShipBody);
  // Rows beyond the counts are kept like the others; floats to their 7 digits.
  for (Integer i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(r.getSeatXOff(i), w.getSeatXOff(i));
    EXPECT_FLOAT_EQ(r.getSeatYOff(i), w.getSeatYOff(i));
    EXPECT_FLOAT_EQ(r.getSeatZOff(i), w.getSeatZOff(i));
    EXPECT_FLOAT_EQ(r.getJetXOff(i), w.getJetXOff(i));
    EXPECT_FLOAT_EQ(r.getJetYOff(i), w.getJetYOff(i));
    EXPECT_FLOAT_EQ(r.getJetZOff(i), w.getJetZOff(i));
    EXPECT_FLOAT_EQ(r.getLightXOff(i), w.getLightXOff(i));
    EXPECT_FLOAT_EQ(r.getLightYOff(i), w.getLightYOff(i));
    EXPECT_FLOAT_EQ(r.getLightZOff(i), w.getLightZOff(i));
  }
  for (Integer i = 0; i < 8; ++i) {
    EXPECT_FLOAT_EQ(r.getMountXOff(i), w.getMountXOff(i));
    EXPECT_FLOAT_EQ(r.getMountYOff(i), w.getMountYOff(i));
    EXPECT_FLOAT_EQ(r.getMountZOff(i), w.getMountZOff(i));
    EXPECT_FLOAT_EQ(r.getMountRot(i), w.getMountRot(i));
  }
  // The description's commas stay inside its quotes; its double quotes could not be stored and
  // became single quotes, without shifting a single item of the file.
  EXPECT_EQ(r.Description, "Fast, light, and cheap; 'not' for sale");

  // Written again, the text is the same.
  std::string first = dir.read("\\ships\\Testbed.pnd");
  r.WriteDef();
  EXPECT_EQ(dir.read("\\ships\\Testbed.pnd"), first);
}

TEST_F(CShipDefTest, CapitalDesignsGetHalfTheirMountsAsDockBays) {
  struct Case {
    Long body;
    Integer mounts, bays;
  } cases[] = {{sbCapital, 1, 0}, {sbCapital, 2, 1}, {sbCapital, 3, 2}, {sbCapital, 5, 2},
               {sbCapital, 7, 4}, {sbCapital, 8, 4}, {sbCar, 7, 0},     {sbFleshy, 7, 0}};
  for (const Case& c : cases) {
    CShipDef w = sampleDef();
    w.ShipBody = c.body;
    w.TotalMounts = c.mounts;
    w.WriteDef();
    CShipDef r;
    r.ShipName = w.ShipName;
    r.ReadDef();
    EXPECT_EQ(r.DockBays, c.bays) << "body " << c.body << ", mounts " << c.mounts;
  }
  // Other body types keep what the record held.
  CShipDef r;
  r.ShipName = "Testbed";
  r.DockBays = 3;
  r.ReadDef();
  EXPECT_EQ(r.DockBays, 3);
}

TEST_F(CShipDefTest, ANameOnLineOneRenamesTheDesign) {
  CShipDef w = sampleDef();
  w.ShipName = "Other";
  w.WriteDef();
  dir.write("\\ships\\Alias.pnd", dir.read("\\ships\\Other.pnd"));
  dir.remove("\\ships\\Other.pnd");
  CShipDef r;
  r.ShipName = "Alias";
  r.ReadDef();
  EXPECT_EQ(r.ShipName, "Other");
  r.WriteDef();
  EXPECT_TRUE(dir.exists("\\ships\\Other.pnd"));
}

TEST_F(CShipDefTest, HandWrittenNumbersAndDamagedFiles) {
  sampleDef().WriteDef();
  std::vector<std::string> lines = readLines("\\ships\\Testbed.pnd");
  auto fileWith = [&](size_t count, int line = -1, const std::string& text = "") {
    std::string t;
    for (size_t i = 0; i < count; ++i) t += (static_cast<int>(i) + 1 == line ? text : lines[i]) + "\r\n";
    dir.write("\\ships\\Testbed.pnd", t);
  };

  // A leading point and a leading minus are read as numbers.
  fileWith(39, 31, ".5");
  CShipDef r;
  r.ShipName = "Testbed";
  r.ReadDef();
  EXPECT_EQ(r.Acceleration, 0.5f);
  fileWith(39, 32, "-.25");
  r.ReadDef();
  EXPECT_EQ(r.Traction, -0.25f);

  struct Case {
    const char* what;
    size_t lines;
    int line;
    std::string text;
    int error;
  } cases[] = {
      {"ends after line 26", 26, -1, "", vberr::InputPastEnd},
      {"a text where a number is due", 39, 33, "\"fast\"", vberr::TypeMismatch},
      {"a count beyond Integer", 39, 7, "40000", vberr::Overflow},
  };
  for (const Case& c : cases) {
    fileWith(c.lines, c.line, c.text);
    CShipDef d;
    d.ShipName = "Testbed";
    EXPECT_EQ(errorNumber([&] { d.ReadDef(); }), c.error) << c.what;
  }
  // The record keeps what was read before the file ended.
  fileWith(26);
  CShipDef d;
  d.ShipName = "Testbed";
  EXPECT_THROW(d.ReadDef(), VbError);
  EXPECT_EQ(d.TotalMounts, 2);
  EXPECT_EQ(d.Model, "testbed");
  EXPECT_EQ(d.BodyTex, "");

  CShipDef missing;
  missing.ShipName = "nothere";
  EXPECT_EQ(errorNumber([&] { missing.ReadDef(); }), vberr::FileNotFound);
  // A ships folder that does not exist cannot be written.
  dir.remove("\\ships");
  EXPECT_EQ(errorNumber([&] { sampleDef().WriteDef(); }), vberr::PathNotFound);
}

TEST_F(CShipDefTest, TableRowsOutsideTheirTablesRaise) {
  CShipDef d;
  EXPECT_EQ(errorNumber([&] { d.getSeatXOff(4); }), vberr::Subscript);
  EXPECT_EQ(errorNumber([&] { d.setJetZOff(-1, 1); }), vberr::Subscript);
  EXPECT_EQ(errorNumber([&] { d.getMountRot(8); }), vberr::Subscript);
  EXPECT_EQ(errorNumber([&] { d.setLightYOff(4, 1); }), vberr::Subscript);
  d.setMountRot(7, 3.14f);
  EXPECT_EQ(d.getMountRot(7), 3.14f);
}

TEST_F(CShipDefTest, TheLoaderReportsBadFilesAndLoadsTheRest) {
  for (const char* name : BuiltInShipNames) {
    CShipDef d = sampleDef();
    d.ShipName = name;
    d.Price = static_cast<Long>(Len(name));
    d.WriteDef();
  }
  dir.remove("\\ships\\bus.pnd");
  dir.write("\\ships\\galleon.pnd", "\"galleon\"\r\n1\r\n");

  resetPlayerNotices();
  EXPECT_EQ(loadShipDefs(), 2);
  ASSERT_EQ(ShipDefs.size(), 32u);
  for (size_t i = 0; i < ShipDefs.size(); ++i) ASSERT_TRUE(ShipDefs[i]) << i;
  for (int i = 0; i < BuiltInShipDefCount; ++i) {
    std::string name = BuiltInShipNames[i];
    EXPECT_EQ(ShipDefs[i]->ShipName, name);
    if (name == "bus" || name == "galleon") continue;
    EXPECT_EQ(ShipDefs[i]->Price, Len(name)) << name;
  }
  EXPECT_EQ(ShipDefs[23]->ShipName, "");
  // Told to the player, each by its file and why; those two are the designs not used.
  ASSERT_TRUE(firstPlayerNotice());
  EXPECT_EQ(firstPlayerNotice()->title, "\\ships\\bus.pnd");
  EXPECT_EQ(firstPlayerNotice()->text, "File not found. This ship design is not used");
  dismissPlayerNotice();
  ASSERT_TRUE(firstPlayerNotice());
  EXPECT_EQ(firstPlayerNotice()->title, "\\ships\\galleon.pnd");
  EXPECT_EQ(firstPlayerNotice()->text, "Input past end of file. This ship design is not used");
  dismissPlayerNotice();
  EXPECT_FALSE(firstPlayerNotice());
  for (int i = 0; i < BuiltInShipDefCount; ++i) {
    const std::string name = BuiltInShipNames[i];
    EXPECT_EQ(shipDefReadable(i), name != "bus" && name != "galleon") << name;
  }
  EXPECT_TRUE(shipDefReadable(23));  // an empty design that never failed
  EXPECT_FALSE(shipDefReadable(32));
}

// Every design shipped with the game reads as the loader reads it, and writing it again gives a
// file that reads back the same.
TEST_F(CShipDefTest, EveryDefaultDesignLoads) {
  const std::string game = QV_TEST_GAME_DIR;
  if (!fileExists(game + "/ships/Phantom.pnd")) GTEST_SKIP() << "no generated game folder at " << game;
  for (const char* name : BuiltInShipNames) dir.write(std::string("\\ships\\") + name + ".pnd", readFileBytes(game + "/ships/" + name + ".pnd"));

  EXPECT_EQ(loadShipDefs(), 0);
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
  for (int i = 0; i < BuiltInShipDefCount; ++i) {
    const CShipDef& d = *ShipDefs[i];
    SCOPED_TRACE(BuiltInShipNames[i]);
    EXPECT_EQ(readLines(std::string("\\ships\\") + BuiltInShipNames[i] + ".pnd").size(), 39u);
    EXPECT_TRUE(equalsIgnoreCase(d.ShipName, BuiltInShipNames[i]));
    EXPECT_GE(d.TotalMounts, 0);
    EXPECT_LE(d.TotalMounts, 7);
    EXPECT_GE(d.ShipBody, sbCar);
    EXPECT_LE(d.ShipBody, sbFleshy);
    EXPECT_FALSE(d.Model.empty());
    if (d.ShipBody == sbCapital) {
      EXPECT_EQ(d.DockBays, CInt(d.TotalMounts / 2.0));
    }

    d.WriteDef();
    CShipDef again;
    again.ShipName = d.ShipName;
    again.ReadDef();
    EXPECT_EQ(again.Price, d.Price);
    EXPECT_EQ(again.MaxSpeed, d.MaxSpeed);
    EXPECT_EQ(again.Description, d.Description);
    EXPECT_EQ(again.getMountRot(d.TotalMounts), d.getMountRot(d.TotalMounts));
  }
}
