// The generator writes byte-identical files on every run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <string>

#include "MediaReaders.h"

namespace fs = std::filesystem;

TEST(ContentGenerator, TwoRunsWriteIdenticalBytes) {
#ifndef QV_CONTENTGEN_EXE
  GTEST_SKIP() << "this build does not generate content";
#else
  fs::path base = fs::temp_directory_path() / ("qv_contentgen_" + std::to_string(::getpid()));
  fs::remove_all(base);
  std::string a = (base / "a").string(), b = (base / "b").string();
  for (const std::string& dir : {a, b}) {
    std::string cmd = std::string("\"") + QV_CONTENTGEN_EXE + "\" \"" + dir + "\" > /dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
  std::string listA = content::readFile(a + "/contentgen.manifest");
  ASSERT_FALSE(listA.empty());
  EXPECT_EQ(listA, content::readFile(b + "/contentgen.manifest"));
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(a)) {
    if (!e.is_regular_file()) continue;
    std::string rel = fs::relative(e.path(), a).string();
    EXPECT_EQ(content::readFile(e.path().string()), content::readFile(b + "/" + rel)) << rel << " differs";
    ++files;
  }
  EXPECT_GT(files, 550u);
  fs::remove_all(base);
#endif
}
