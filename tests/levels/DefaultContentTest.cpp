// The default content's structure definitions and maps: each loads cleanly and saves back to the
// very same bytes (with and without the classic view), so the editors never rewrite what they
// did not change.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "campaign/CPlayer.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "game/LoaderMod.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "runtime/Strings.h"
#include "tests/levels/LevelFixture.h"

namespace fs = std::filesystem;

namespace {
std::string readAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// The ".pnd" files of a folder of the generated game folder, by bare name.
std::vector<std::string> contentFiles(const std::string& folder) {
  std::vector<std::string> names;
  const fs::path dir = fs::path(QV_TEST_GAME_DIR) / folder;
  if (!fs::is_directory(dir)) return names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file() && LCase(e.path().extension().string()) == ".pnd")
      names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class DefaultContentTest : public LevelTest {
 protected:
  // The game folder's unit file and structure definitions in place of the fixture's.
  void useContentDefinitions() {
    for (const std::string& n : contentFiles("structures"))
      dir->write("\\structures\\" + n + ".pnd",
                 readAll(fs::path(QV_TEST_GAME_DIR) / "structures" / (n + ".pnd")));
    dir->write("\\data\\shipinfo.pnd", readAll(fs::path(QV_TEST_GAME_DIR) / "data" / "shipinfo.pnd"));
  }
};
}  // namespace

TEST_F(DefaultContentTest, EveryStructureDefinitionSavesBackToTheSameBytes) {
  const auto names = contentFiles("structures");
  if (names.empty()) GTEST_SKIP() << "no structures in " << QV_TEST_GAME_DIR;
  for (int i = 0; i < MapStructDefs; ++i)
    EXPECT_NE(std::find(names.begin(), names.end(), StructDefFiles[i]), names.end()) << StructDefFiles[i];
  for (const std::string& n : names) {
    const std::string bytes = readAll(fs::path(QV_TEST_GAME_DIR) / "structures" / (n + ".pnd"));
    dir->write("\\structures\\" + n + ".pnd", bytes);
    CStructDef d;
    d.sName = n;
    ASSERT_NO_THROW(d.Load()) << n;
    dir->remove("\\structures\\" + n + ".pnd");
    d.Save();
    EXPECT_EQ(dir->read("\\structures\\" + n + ".pnd"), bytes) << n;
  }
}

TEST_F(DefaultContentTest, EveryMapLoadsAndSavesBackToTheSameBytes) {
  const auto names = contentFiles("maps");
  if (names.empty()) GTEST_SKIP() << "no maps in " << QV_TEST_GAME_DIR;
  for (const char* required : {"demoscene", "losgatos", "tut"})
    EXPECT_NE(std::find(names.begin(), names.end(), required), names.end()) << required;
  useContentDefinitions();
  auto map = newMap();
  EXPECT_FALSE(logged("Error in")) << MsgLog[0];
  for (bool classic : {false, true}) {
    ClassicView = classic;
    for (const std::string& n : names) {
      if (n == "world") continue;  // the world map, not a level
      const std::string bytes = readAll(fs::path(QV_TEST_GAME_DIR) / "maps" / (n + ".pnd"));
      dir->write("\\maps\\" + n + ".pnd", bytes);
      map->MapName = n;
      clearLog();
      ASSERT_TRUE(map->Load()) << n << ": " << MsgLog[0];
      dir->remove("\\maps\\" + n + ".pnd");
      map->Save();
      EXPECT_EQ(dir->read("\\maps\\" + n + ".pnd"), bytes) << n << (classic ? " (classic view)" : "");
    }
  }
}

TEST_F(DefaultContentTest, EveryCrewOfTheUnitTableHasItsModelsAndSkin) {
  if (!fs::exists(fs::path(QV_TEST_GAME_DIR) / "data" / "chars.pnd")) GTEST_SKIP() << "no content";
  dir->write("\\data\\chars.pnd", readAll(fs::path(QV_TEST_GAME_DIR) / "data" / "chars.pnd"));
  const auto saved = CharDefs;
  LoadCharDefs();
  useContentDefinitions();
  auto map = newMap();
  CharDefs = saved;
  EXPECT_FALSE(logged("unrecognized char")) << MsgLog[0];
  int drivers = 0;
  for (int u = 0; u < 66; ++u) {
    const UnitInfo& info = CMapTestAccess::unit(*map, u);
    const std::pair<std::string, std::string> seats[] = {{info.CharModel1, info.CharTexture1},
                                                         {info.CharModel2, info.CharTexture2}};
    for (const auto& [model, skin] : seats) {
      if (model.empty()) continue;
      for (const std::string& file : {model + ".md2", model + "_o.md2"})
        EXPECT_TRUE(fs::exists(fs::path(QV_TEST_GAME_DIR) / "models" / "chars" / file)) << u << " " << file;
      EXPECT_TRUE(fs::exists(fs::path(QV_TEST_GAME_DIR) / "gfx" / skin)) << u << " " << skin;
    }
    if (!info.CharModel1.empty()) ++drivers;
  }
  EXPECT_GE(drivers, 60);  // nearly every unit has its driver
  EXPECT_EQ(CMapTestAccess::unit(*map, 0).CharModel2, "zombie");
}
