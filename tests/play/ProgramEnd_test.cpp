// A termination signal (SIGTERM) ends the game through its own end sequence in every scene: the
// game runs in a child process of this test program (the test below, chosen by QV_END_SCENE),
// which plays to the scene, tells the parent so through a mark file and goes on playing; the
// parent sends the signal, and the child must end within a bound with status 0 and with the files
// of data/ (options, save slots, cheats) byte for byte as they were and no write's leftover in the
// game folder. In the start-up the child signals itself, after the window system's connection
// and before the game's first frame: the game must end without playing. Flight and the store are
// reached as the other game tests reach them (the ship made and placed by the test, over the gas
// station's pad with the action key held for the store).
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/FrameScenes.h"
#include "tests/support/GameProcess.h"
#include "tests/support/GameRunFixture.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* SceneVariable = "QV_END_SCENE";  // set in the child: the scene to end in
constexpr const char* MarkVariable = "QV_END_MARK";    // set in the child: the file it writes there
constexpr Long PassesAfterMark = 500;  // a child still playing this long after its mark failed
constexpr double Bound = 120;          // seconds for each of the child's steps: only a hang exceeds it

class ProgramEndGameTest : public GameRunTest {};

// Every file below `root` by its path from there, with its bytes.
std::map<std::string, std::string> filesBelow(const fs::path& root) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    std::ifstream in(it->path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[fs::relative(it->path(), root).string()] = bytes.str();
  }
  return files;
}

// The names below `root` that a cut-off write leaves (".tmp-" in them).
std::string writeLeftovers(const fs::path& root) {
  std::string found;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (it->path().filename().string().find(".tmp-") != std::string::npos) found += it->path().string() + "\n";
  return found;
}

struct Scene {
  const char* name;
  bool signalledByParent;  // else the child signals itself, inside the start-up
};
void PrintTo(const Scene& s, std::ostream* os) { *os << s.name; }
class SignalledSceneTest : public ::testing::TestWithParam<Scene> {};
}  // namespace

// Only in the child of the test below: plays to the scene QV_END_SCENE names, writes the mark
// file and plays on until the main loop ends.
TEST_F(ProgramEndGameTest, PlaysToTheSceneUntilTheSignal) {
  const char* scene = std::getenv(SceneVariable);
  const char* mark = std::getenv(MarkVariable);
  if (!scene || !mark) GTEST_SKIP() << "run by SignalledSceneTest";
  const std::string wanted = scene;
  FakeGameClock clock;
  const fs::path data = fs::path(dir->path()) / "data";
  std::map<std::string, std::string> before;
  bool marked = false, flying = false, signalled = false;
  Long passesAfterMark = 0;
  auto markScene = [&] {
    before = filesBelow(data);
    std::ofstream(mark) << "in the scene\n";
    marked = true;
  };
  if (wanted == "startup") {
    // The signal arrives in the start-up, after the window system's connection is made (here by
    // a window of the test's own, before the start-up makes the game's).
    GameWindow early;
    if (!early.realize(64, 64, false)) GTEST_SKIP() << "no window system";
    installTerminationSignals();
    markScene();
    signalled = ::raise(SIGTERM) == 0;
  }
  Long pressedAt = 0;
  Integer action = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (marked) {
      if (++passesAfterMark > PassesAfterMark) GameRunning = false;
      return;
    }
    bool reached = false;
    if (pass > 5000) GameRunning = false;  // the scene was never reached
    if (scriptInPlay(pass, 5000)) {
      CInterface& gi = *GameInterface;
      const Single cx = ScreenWidth / 2.0f, cy = ScreenHeight / 2.0f;
      if (wanted == "title") {
        reached = gi.Window == msDemo && pass >= 20;
      } else if (wanted == "menu") {
        if (gi.Window == msDemo && pass >= 20 && pressedAt == 0) {
          frmMain.window().postMouseDown(1, cx, cy);
          frmMain.window().postMouseUp(1, cx, cy);
          pressedAt = pass;
        }
        reached = gi.Window == msMainMenu && pass > pressedAt + 5;
      } else if (!flying) {
        flying = frame_scenes::startFlightScene();
        if (!flying) GameRunning = false;
        if (wanted == "store") action = holdActionOver(padServing(structGas));
        pressedAt = pass;
      } else if (wanted == "flight") {
        reached = pass > pressedAt + 60 && gi.Window == msNone && Ships[0]->Exists;
      } else if (wanted == "store" && gi.Window == msGasStation) {
        frmMain.window().postKeyUp(action);
        reached = true;
      }
    }
    if (reached) markScene();
  };
  frmMain.Form_Load();

  ASSERT_TRUE(marked) << "the scene \"" << wanted << "\" was never reached";
  if (wanted == "startup") {
    EXPECT_TRUE(signalled);
  }
  EXPECT_LE(passesAfterMark, PassesAfterMark) << "the signal did not end the main loop";
  EXPECT_TRUE(filesBelow(data) == before) << "data/ changed at the end";
  EXPECT_EQ(writeLeftovers(dir->path()), "");
}

TEST_P(SignalledSceneTest, SigtermEndsTheGameWithNothingLost) {
  const std::string scene = GetParam().name;
  TempGameDir work;
  const std::string mark = work.path() + "/mark", errors = work.path() + "/child.txt";
  GameProcess child("/proc/" + std::to_string(::getpid()) + "/exe",
                    {"--gtest_filter=ProgramEndGameTest.PlaysToTheSceneUntilTheSignal"}, {},
                    {std::string(SceneVariable) + "=" + scene, std::string(MarkVariable) + "=" + mark}, errors);
  ASSERT_TRUE(child.started()) << child.output();
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(Bound);
  while (!fs::exists(mark) && child.running() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(fs::exists(mark)) << "the child never reached the scene; its messages:\n" << child.output();
  if (GetParam().signalledByParent) child.signal(SIGTERM);
  ASSERT_TRUE(child.waitExit(Bound)) << "the game did not end; its messages:\n" << child.output();
  EXPECT_EQ(child.exitCode(), 0) << child.output();
}

INSTANTIATE_TEST_SUITE_P(Scenes, SignalledSceneTest,
                         ::testing::Values(Scene{"startup", false}, Scene{"title", true}, Scene{"menu", true},
                                           Scene{"flight", true}, Scene{"store", true}),
                         [](const ::testing::TestParamInfo<Scene>& i) { return std::string(i.param.name); });
