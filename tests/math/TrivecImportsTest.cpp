// The game's run-time loading of Trivec (engine/TrivecImports): the blends reach the library
// through dlopen, and a missing or broken library or a missing export raises a VbError with a
// clear message instead of crashing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/TrivecImports.h"
#include "runtime/VbError.h"

namespace fs = std::filesystem;

namespace {

class TrivecImportsTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qv-trivec-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    TrivecImports::setLibraryFolder("");
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  // Runs a linear blend of one vertex through the game's entry and returns the VbError it raised
  // (number -1 when none); out and the box must be untouched when it raises.
  int blendError(std::string* message) {
    MD2Vertex a{1, 1, 1, 1, 1, 1, 1, 1}, b{3, 3, 3, 3, 3, 3, 3, 3}, out{};
    D3DVECTOR lo{-7, -7, -7}, hi{-7, -7, -7};
    try {
      TrivecImports::AnimateLinear(&out, &a, &b, 1, 0.5f, &lo, &hi);
    } catch (const VbError& e) {
      *message = e.what();
      EXPECT_EQ(out.x, 0.0f);
      EXPECT_EQ(lo.x, -7.0f);
      return e.number();
    }
    return -1;
  }

  std::string folder_;
};

}  // namespace

TEST_F(TrivecImportsTest, BlendsGoThroughTheLoadedLibrary) {
  TrivecImports::setLibraryFolder("");
  MD2Vertex f0{0, 0, 0, 0, 0, 1, 0, 0}, f1{2, 4, -6, 0, 0, 1, 1, 1}, f2{4, 8, -12, 0, 0, 1, 1, 1},
      f3{6, 12, -18, 0, 0, 1, 1, 1}, out{};
  D3DVECTOR lo, hi;

  EXPECT_EQ(TrivecImports::AnimateLinear(&out, &f0, &f1, 1, 0.5f, &lo, &hi), 1);
  EXPECT_EQ(out.x, 1.0f);
  EXPECT_EQ(out.y, 2.0f);
  EXPECT_EQ(out.z, -3.0f);
  EXPECT_EQ(out.u, 0.5f);
  EXPECT_TRUE(lo.x == 1 && lo.y == 2 && lo.z == -3 && hi.x == 1 && hi.y == 2 && hi.z == -3);

  // Evenly spaced keys: the spline between f1 and f2 is the straight line.
  TrivecImports::AnimateCatmullRom(&out, &f0, &f1, &f2, &f3, 1, 0.5f, &lo, &hi);
  EXPECT_EQ(out.x, 3.0f);
  EXPECT_EQ(out.y, 6.0f);
  EXPECT_EQ(out.z, -9.0f);

  const std::string path = TrivecImports::loadedPath();
  EXPECT_EQ(fs::path(path).filename(), "libTrivec.so");
  EXPECT_TRUE(fs::exists(path));
}

TEST_F(TrivecImportsTest, MissingLibraryRaisesNotFound) {
  TrivecImports::setLibraryFolder(folder_);  // an empty folder
  std::string message;
  EXPECT_EQ(blendError(&message), vberr::FileNotFound);
  EXPECT_EQ(message, "Trivec library not found: " + folder_ + "/libTrivec.so");
  EXPECT_EQ(TrivecImports::loadedPath(), "");

  // Still missing on the next call; found once the folder is the right one again.
  EXPECT_EQ(blendError(&message), vberr::FileNotFound);
  TrivecImports::setLibraryFolder(QV_TEST_LIB_DIR);
  EXPECT_EQ(blendError(&message), -1);
}

TEST_F(TrivecImportsTest, BrokenLibraryRaisesLoadError) {
  std::ofstream(folder_ + "/libTrivec.so") << "not a shared library\n";
  TrivecImports::setLibraryFolder(folder_);
  std::string message;
  EXPECT_EQ(blendError(&message), 48);
  EXPECT_EQ(message.rfind("Trivec library could not be loaded: ", 0), 0u) << message;
}

TEST_F(TrivecImportsTest, MissingExportRaisesEntryPointError) {
  TrivecImports::setLibraryFolder(QV_TEST_LIB_DIR);
  EXPECT_NE(TrivecImports::entryPoint("AnimateCatmullRom"), nullptr);
  try {
    TrivecImports::entryPoint("AnimateCubic");
    ADD_FAILURE() << "no error for a missing export";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 453);
    EXPECT_EQ(std::string(e.what()).rfind("Can't find DLL entry point AnimateCubic in Trivec", 0), 0u)
        << e.what();
  }
}
