#include "runtime/Paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/VbError.h"
#include "tests/support/TempGameDir.h"

TEST(Paths, ResolvesSeparatorsDotsAndCase) {
  TempGameDir dir;
  dir.write("\\Data\\Options.pnd", "x");
  dir.write("\\maps\\LosGatos.BMP", "x");
  dir.write("\\ships\\phantom.pnd", "x");
  dir.write("\\ships\\Phantom.pnd", "y");
  const std::string root = dir.path();
  struct Case { const char* in; std::string out; };
  const Case cases[] = {
      {"\\data\\options.pnd", root + "/Data/Options.pnd"},
      {"data\\OPTIONS.PND", root + "/Data/Options.pnd"},
      {"\\gfx\\\\..\\maps\\losgatos.bmp", root + "/maps/LosGatos.BMP"},
      {"\\gfx\\.\\..\\..\\maps\\losgatos.bmp", root + "/maps/LosGatos.BMP"},  // never above the root
      {"\\ships\\Phantom.pnd", root + "/ships/Phantom.pnd"},                   // the exact spelling wins
      {"\\ships\\PHANTOM.pnd", root + "/ships/Phantom.pnd"},                   // else the lowest name
      {"\\missions\\era0\\..\\map\\map-tut.pnd", root + "/missions/map/map-tut.pnd"},
      {"\\data\\New\\File.pnd", root + "/Data/New/File.pnd"},                  // missing parts keep their spelling
      {"", root},
  };
  for (const Case& c : cases) EXPECT_EQ(resolvePath(c.in), c.out) << c.in;
  EXPECT_TRUE(fileExists(resolvePath("\\DATA\\options.PND")));
  EXPECT_FALSE(fileExists(resolvePath("\\data")));
}

TEST(Paths, JoinAndProgramFolder) {
  EXPECT_EQ(joinGamePath("\\gfx\\", "\\news\\a.dds"), "\\gfx\\news\\a.dds");
  EXPECT_EQ(joinGamePath("\\gfx", "a.bmp"), "\\gfx\\a.bmp");
  EXPECT_EQ(joinGamePath("", "a"), "a");
  EXPECT_FALSE(exeDir().empty());
  EXPECT_EQ(exeDir().front(), '/');
}

TEST(Paths, ListFilesMatchesWildcardsSortedWithoutFolders) {
  TempGameDir dir;
  for (const char* n : {"b.pnd", "A.PND", "c.txt", "noext", "tut.pnd"}) dir.write(std::string("\\m\\") + n, "");
  dir.write("\\m\\sub.pnd\\inner", "");
  const std::string m = resolvePath("\\m");
  EXPECT_EQ(listFiles(m, "*.pnd"), (std::vector<std::string>{"A.PND", "b.pnd", "tut.pnd"}));
  EXPECT_EQ(listFiles(m, "*.*"), (std::vector<std::string>{"A.PND", "b.pnd", "c.txt", "noext", "tut.pnd"}));
  EXPECT_EQ(listFiles(m, "?.p*"), (std::vector<std::string>{"A.PND", "b.pnd"}));
  EXPECT_TRUE(listFiles(m, "*.wav").empty());
  try {
    listFiles(resolvePath("\\nowhere"), "*");
    ADD_FAILURE();
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::PathNotFound);
  }
}
