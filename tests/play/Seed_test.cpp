// The game tests' random sequence: a run of the real main loop from one seed is the same run
// every time, and another seed plays another game. The trace is taken in a child process of this
// test program (a fresh process, as ctest runs every game test), from the shipped Los Gatos with
// its population, the player's ship flying and firing by keys and mouse motion for a minute of
// game time while the AI pilots fly, trade and fight.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <unistd.h>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/frmMain.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/FrameScenes.h"
#include "tests/support/GameRunFixture.h"

namespace {

constexpr const char* TraceFile = "QV_SEED_TRACE";  // set in the child: where its trace goes
constexpr Long TraceFrames = 500;                    // 20 s at 40 ms

class SeededGameTest : public GameRunTest {};

// One line per 50 frames: every ship's slot, state, place and gauges, to a tenth of a unit.
std::string shipsLine(Long pass) {
  std::ostringstream o;
  o << pass;
  for (size_t i = 0; i < Ships.size(); ++i) {
    const CShip* s = Ships[i].get();
    if (!s || !s->Exists) continue;
    o << " | " << i << ' ' << s->getUnitType() << ' ' << std::lround(s->x * 10) << ',' << std::lround(s->y * 10)
      << ',' << std::lround(s->e * 10) << ' ' << std::lround(s->Armor * 10) << '/' << std::lround(s->Shields * 10);
  }
  return o.str();
}

// Runs the trace test in a child process with QV_SEED=seed; its trace, or "" when it failed.
std::string traceInChild(uint32_t seed, const std::string& out) {
  std::remove(out.c_str());
  const std::string command = "QV_SEED=" + std::to_string(seed) + " " + TraceFile + "=" + out +
                              " /proc/" + std::to_string(getpid()) +
                              "/exe --gtest_filter=SeededGameTest.TraceOfOneRun > /dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return "";
  std::ifstream in(out);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// Only in the child of the test below: plays and writes the trace.
TEST_F(SeededGameTest, TraceOfOneRun) {
  const char* out = std::getenv(TraceFile);
  if (!out) GTEST_SKIP() << "run by TheSameSeedPlaysTheSameGame";
  FakeGameClock clock;
  std::ofstream trace(out);
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, TraceFrames + 100)) return;
    GameWindow& w = frmMain.window();
    if (pass == 1 || !Ships[0]) {
      if (!frame_scenes::startFlightScene()) GameRunning = false;
      clock.step = 40;
      w.postKeyDown(Player->getCharKey(0));   // thrust
      w.postKeyDown(Player->getCharKey(10));  // attack
      return;
    }
    w.postMouseMotion(pass % 200 < 100 ? 6.0f : -4.0f, 0);
    if (pass % 50 == 0) trace << shipsLine(pass) << '\n';
    if (pass >= TraceFrames) GameRunning = false;
  };
  frmMain.Form_Load();
  EXPECT_TRUE(trace.good());
}

TEST_F(SeededGameTest, TheSameSeedPlaysTheSameGame) {
  const std::string out = dir->path() + "/trace.txt";
  const uint32_t seed = gameTestSeed();
  const std::string first = traceInChild(seed, out), again = traceInChild(seed, out);
  const std::string other = traceInChild((seed + 7919) & 0xFFFFFF, out);
  ASSERT_FALSE(first.empty()) << "the traced run failed";
  ASSERT_GT(std::count(first.begin(), first.end(), '|'), TraceFrames / 50 * 3) << "a level without traffic";
  EXPECT_EQ(first, again) << "one seed, two different games";
  EXPECT_NE(first, other) << "the seed does not reach the game";
}
