#include "engine/MessageLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <regex>
#include <vector>
#include <string>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/CheatMod.h"
#include "runtime/Numbers.h"
#include "runtime/Trap.h"
#include "tests/support/TempGameDir.h"

namespace {
class MessageLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MsgLog.fill("");
    MsgCount = 0;
    MsgTimer = 0;
    TypedKeys.clear();
    DevMode = false;
    FrameTime = 0;
  }
  void TearDown() override {
    setTrapSink(nullptr);
    Player.reset();
    DevMode = false;
    FrameTime = 0;
  }
  void frame(double seconds) {
    FrameTime = seconds;
    DrawMessages();
  }
  void type(const std::string& keys) {
    for (char c : keys) checkCheats(std::string(1, c));
  }
};
}  // namespace

TEST_F(MessageLogTest, UnforcedLinesNeedDeveloperMode) {
  MsgTimer = 1.5f;
  addMessage("hidden", false);
  EXPECT_EQ(MsgCount, 0);
  EXPECT_EQ(MsgLog[0], "");
  EXPECT_EQ(MsgTimer, 1.5f);  // not even the timer
  addMessage("shown", true);
  EXPECT_EQ(MsgCount, 1);
  EXPECT_EQ(MsgLog[0], "shown");
  EXPECT_EQ(MsgTimer, 0);
  DevMode = true;
  addMessage("dev", false);
  EXPECT_EQ(MsgCount, 2);
  EXPECT_EQ(MsgLog[0], "dev");
  EXPECT_EQ(MsgLog[1], "shown");
}

namespace {
// The lines logging writes to the echo, each with its line break.
std::vector<std::string> echoed(const std::function<void()>& logging) {
  std::vector<std::string> lines;
  std::FILE* out = std::tmpfile();
  EXPECT_NE(out, nullptr);
  if (!out) return lines;
  LogEcho = out;
  logging();
  LogEcho = stderr;
  std::rewind(out);
  char buf[256];
  while (std::fgets(buf, sizeof buf, out)) lines.emplace_back(buf);
  std::fclose(out);
  return lines;
}
}  // namespace

// Whatever the developer option says, each line reaches standard error as one timed line.
TEST_F(MessageLogTest, EveryLineIsEchoedWithItsTime) {
  const std::vector<std::string> lines = echoed([] {
    addMessage("hidden", false);
    addMessage("two\r\nlines", true);
  });
  ASSERT_EQ(lines.size(), 2u);
  const std::regex timed(R"(\d\d:\d\d:\d\d\.\d\d\d (.*)\n)");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, timed)) << lines[0];
  EXPECT_EQ(m[1], "hidden");
  ASSERT_TRUE(std::regex_match(lines[1], m, timed)) << lines[1];
  EXPECT_EQ(m[1], "two  lines");
  EXPECT_EQ(MsgCount, 1);  // the in-game log keeps its own rules
}

// A line logged again and again (a full sound pool logs once per ship and frame) is written once,
// then counted; the next other line and later repeats show the count.
TEST_F(MessageLogTest, RepeatedLinesAreCountedNotWrittenAgain) {
  std::vector<std::string> lines = echoed([] {
    addMessage("before", false);
    for (int i = 0; i < 26; ++i) addMessage("sound overflow!", false);
    addMessage("after", false);
    addMessage("after", false);
    addMessage("last", false);
  });
  for (std::string& line : lines) line.erase(0, 13);  // the time
  // Within one second; where the clock passes a second mid-run, a count line comes earlier.
  const std::vector<std::string> expected = {"before\n", "sound overflow!\n", "(repeated 25 times)\n", "after\n",
                                             "(repeated 1 time)\n", "last\n"};
  if (lines.size() == expected.size()) {
    EXPECT_EQ(lines, expected);
  } else {
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(lines.front(), "before\n");
    EXPECT_EQ(lines.back(), "last\n");
  }
}

TEST_F(MessageLogTest, KeepsTheNewest21AndShowsAtMost19) {
  for (int i = 1; i <= 25; ++i) addMessage("line " + std::to_string(i), true);
  EXPECT_EQ(MsgCount, 19);
  for (int k = 0; k <= 20; ++k) EXPECT_EQ(MsgLog[k], "line " + std::to_string(25 - k));
}

TEST_F(MessageLogTest, OldestLineDropsEveryTwoSecondsWithoutANewOne) {
  addMessage("one", true);
  for (double end : {0.5, 1.0, 1.5, 2.0}) {
    frame(0.5);
    EXPECT_EQ(MsgCount, 1) << "frame ending at " << end;
  }
  frame(0.5);  // the timer reaches 2.5
  EXPECT_EQ(MsgCount, 0);
  EXPECT_EQ(MsgTimer, 0);
  frame(5.0);  // an empty log does not run the timer
  EXPECT_EQ(MsgTimer, 0);

  // A line 1.9 s after the previous one restarts the timer for the whole list.
  addMessage("a", true);
  frame(1.9);
  addMessage("b", true);
  frame(1.9);
  EXPECT_EQ(MsgCount, 2);
  frame(0.2);
  EXPECT_EQ(MsgCount, 1);  // one line dropped, the timer starts again
  frame(2.0);
  EXPECT_EQ(MsgCount, 1);
  frame(0.01);
  EXPECT_EQ(MsgCount, 0);
}

TEST_F(MessageLogTest, InstalledAsTheTrapSink) {
  installMessageLog();
  vbTrap("LoadTex", [] { CInt(99999); });
  EXPECT_EQ(MsgCount, 0);  // unforced: developer mode only
  DevMode = true;
  vbTrap("LoadTex", [] { CInt(99999); });
  EXPECT_EQ(MsgCount, 1);
  EXPECT_EQ(MsgLog[0], "Error in LoadTex: Overflow");
}

TEST_F(MessageLogTest, CheatCodesUnlockCaseBlindAndOnlyOnce) {
  TempGameDir dir;
  dir.write("\\data\\options2.pnd", "0\r\n0\r\n2\r\n0\r\n0\r\n");
  Player = std::make_shared<CPlayer>();
  MsgLog.fill("");
  MsgCount = 0;

  type("XXPLUMVORTEX");  // keys arrive upper case
  EXPECT_EQ(MsgCount, 1);
  EXPECT_EQ(MsgLog[0], "infinite cash cheat unlocked.");
  EXPECT_EQ(Player->getHasCheat(2), 2);  // already on: stays on

  type("flintop2614");
  EXPECT_EQ(Player->getHasCheat(1), 1);
  EXPECT_FALSE(CheatAmmo);
  type("flintop2614");
  EXPECT_EQ(MsgCount, 3);  // the message comes again
  EXPECT_EQ(Player->getHasCheat(1), 1);

  type("marblequietzephyrhollowcanyon");
  EXPECT_EQ(Player->getHasCheat(0), 1);
  EXPECT_EQ(Player->getHasCheat(3), 1);
  EXPECT_EQ(MsgLog[0], "slo mo cheat unlocked.");
  EXPECT_EQ(MsgLog[1], "god mode cheat unlocked.");
}

TEST_F(MessageLogTest, CheatCodeTypedAcrossTheCut) {
  TempGameDir dir;
  Player = std::make_shared<CPlayer>();  // missing cheat file: all locked
  MsgLog.fill("");
  MsgCount = 0;
  type(std::string(96, 'Q'));
  type("plumv");  // the 101st key cuts TypedKeys to its last 50: "QQ...Qplumv"
  EXPECT_EQ(TypedKeys.size(), 50u);
  type("ortex");
  EXPECT_EQ(Player->getHasCheat(2), 1);
  EXPECT_EQ(MsgLog[0], "infinite cash cheat unlocked.");
  EXPECT_LE(TypedKeys.size(), 100u);
}
