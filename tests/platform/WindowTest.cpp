// The main window's events, key translation, cursor and twips; the timer's test clock; the
// program started with no display.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Timer.h"
#include "platform/Window.h"
#include "tests/support/ShippedGame.h"

extern char** environ;

TEST(KeyCodes, WindowsVirtualKeysFromTheWindowSystemsKeys) {
  struct Case {
    const char* key;
    Integer vk;
  } cases[] = {
      {"A", 65},       {"Z", 90},         {"0", 48},          {"9", 57},        {"Escape", 27},
      {"Return", 13},  {"Keypad Enter", 13}, {"Backspace", 8}, {"Tab", 9},       {"Space", 32},
      {"Left", 37},    {"Up", 38},        {"Right", 39},      {"Down", 40},     {"F1", 112},
      {"F12", 123},    {"Keypad 0", 96},  {"Keypad 9", 105},  {"Keypad +", 107}, {"Left Shift", 16},
      {"Right Shift", 16}, {"Left Ctrl", 17}, {"Right Alt", 18}, {"PageUp", 33},  {"Delete", 46},
      {";", 186},      {"=", 187},        {",", 188},         {"-", 189},       {"/", 191},
      {"[", 219},      {"]", 221},        {"'", 222},         {"`", 192},       {"No such key", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(virtualKeyFromKeyName(c.key), c.vk) << c.key;
}

namespace {
struct Log {
  std::vector<std::string> lines;
  void attach(GameWindow& w) {
    w.onKeyDown = [this](Integer& k, Integer&) { lines.push_back("down " + std::to_string(k)); };
    w.onKeyUp = [this](Integer& k, Integer&) { lines.push_back("up " + std::to_string(k)); };
    w.onKeyPress = [this](Integer& k) { lines.push_back("press " + std::to_string(k)); };
    w.onMouseDown = [this](Integer& b, Integer&, Single& x, Single& y) {
      lines.push_back("mdown " + std::to_string(b) + " " + std::to_string(int(x)) + "," + std::to_string(int(y)));
    };
    w.onMouseUp = [this](Integer& b, Integer&, Single&, Single&) { lines.push_back("mup " + std::to_string(b)); };
  }
};
}  // namespace

TEST(WindowEvents, SystemKeysBecomeKeyDownPressAndUp) {
  GameWindow w;
  Log log;
  log.attach(w);
  doEvents();  // drain anything pending
  log.lines.clear();
  pushSystemKeyForTests("W", true);
  pushSystemTextForTests("w");
  pushSystemKeyForTests("W", true, true);  // auto-repeat
  pushSystemKeyForTests("W", false);
  pushSystemKeyForTests("Backspace", true);
  pushSystemKeyForTests("Return", true);
  pushSystemKeyForTests("Escape", true);
  pushSystemTextForTests("A\xC3\xA9!");  // non-ASCII characters have no code
  pushSystemMouseButtonForTests(2, true, 30, 40);
  pushSystemMouseButtonForTests(2, false, 900, 900);
  doEvents();
  std::vector<std::string> expected = {"down 87",  "press 119", "down 87", "up 87",    "down 8",
                                       "press 8",  "down 13",   "press 13", "down 27", "press 27",
                                       "press 65", "press 33",  "mdown 2 30,40", "mup 2"};
  EXPECT_EQ(log.lines, expected);
}

TEST(WindowEvents, ScriptedEventsAndCloseRunOnlyInsideDoEvents) {
  GameWindow w;
  Log log;
  log.attach(w);
  bool unloaded = false;
  w.onUnload = [&](Integer& cancel) {
    unloaded = true;
    cancel = -1;
  };
  w.show();
  w.postKeyDown(27);
  w.postKeyPress(27);
  w.postMouseDown(1, 5, 6);
  w.postClose();
  EXPECT_TRUE(log.lines.empty());
  doEvents();
  EXPECT_EQ(log.lines, (std::vector<std::string>{"down 27", "press 27", "mdown 1 5,6"}));
  EXPECT_TRUE(unloaded);
  EXPECT_TRUE(w.visible()) << "a cancelled close keeps the window";
  // events of a window that is gone are dropped
  {
    GameWindow other;
    other.onKeyDown = [&](Integer&, Integer&) { ADD_FAILURE() << "delivered to a destroyed window"; };
    other.postKeyDown(65);
  }
  doEvents();
}

TEST(WindowGeometry, TwipsAtTheConfiguredDpi) {
  GameWindow w;
  EXPECT_EQ(GetDeviceCaps(GetDC(0), LOGPIXELSX), 96);
  // 800 x 600 client: outer 12000 twips wide, 375 + 9000 twips high
  w.setWidth(12000);
  w.setHeight(375 + 9000);
  EXPECT_EQ(w.clientWidth(), 800);
  EXPECT_EQ(w.clientHeight(), 600);
  w.move(3000, 1500);
  EXPECT_EQ(w.left(), 3000);
  EXPECT_EQ(w.top(), 1500);
  setScreenDpi(120, 120);
  EXPECT_EQ(GetDeviceCaps(GetDC(w.hWnd()), LOGPIXELSY), 120);
  w.setHeight(300 + 7200);  // 25 + 600 pixels at 120 dpi
  EXPECT_EQ(w.clientHeight(), 600);
  setScreenDpi(96, 96);
  EXPECT_EQ(ShowWindow(w.hWnd(), SW_SHOWNORMAL), 0);
  EXPECT_TRUE(w.visible());
  EXPECT_EQ(windowFromHandle(w.hWnd()), &w);
  EXPECT_EQ(windowFromHandle(w.hWnd() + 1000), nullptr);
}

TEST(Cursor, CounterAndVirtualCursorWhileHidden) {
  GameWindow w;
  EXPECT_EQ(ShowCursor(false), -1);
  EXPECT_EQ(ShowCursor(false), -2);
  EXPECT_EQ(ShowCursor(true), -1);
  // hidden: relative motion moves the cursor that SetCursorPos placed
  ASSERT_TRUE(SetCursorPos(550, 375));
  w.postMouseMotion(12, -7);
  w.postMouseMotion(0.4f, 0);
  doEvents();
  POINTAPI p;
  ASSERT_TRUE(GetCursorPos(p));
  EXPECT_EQ(p.x, 562);
  EXPECT_EQ(p.y, 368);
  SetCursorPos(550, 375);
  GetCursorPos(p);
  EXPECT_EQ(p.x, 550);
  EXPECT_EQ(p.y, 375);
  EXPECT_EQ(ShowCursor(true), 0);
  // shown (no real pointer here): client positions of mouse events through the window's position
  w.move(3000, 1500);  // 200, 100 pixels
  w.postMouseDown(1, 10, 20);
  doEvents();
  GetCursorPos(p);
  EXPECT_EQ(p.x, 210);
  EXPECT_EQ(p.y, 120);
}

TEST(MessageBox, GoesToTheHook) {
  std::string seen;
  setMessageBoxHook([&](const std::string& text, Long style, const std::string& title) {
    seen = title + "|" + text + "|" + std::to_string(style);
  });
  EXPECT_EQ(MsgBox("Division by zero", vbCritical, "Error: 11"), 1);
  EXPECT_EQ(seen, "Error: 11|Division by zero|16");
  setMessageBoxHook(nullptr);
}

TEST(Timer, TestClockAndSleepReplaceTheRealOnes) {
  uint32_t now = 0xFFFFFFF0u;
  setTimeSourceForTests([&] { return now; }, [&](uint32_t ms) { now += ms; });
  uint32_t start = timeGetTime();
  sleepMs(40);
  EXPECT_EQ(timeGetTime() - start, 40u) << "a difference across the 32-bit wrap";
  setTimeSourceForTests(nullptr);
  uint32_t a = timeGetTime();
  sleepMs(5);
  EXPECT_GE(timeGetTime() - a, 4u);
  EXPECT_EQ(timeBeginPeriod(1), 0u);
  EXPECT_EQ(timeEndPeriod(1), 0u);
}

// ---- no display ----

namespace {
struct ProgramRun {
  bool ended = false;  // within the time allowed
  int exitCode = -1;
  std::string errors;  // its standard error
};

// Starts the shipped program (a copy) with the environment less the variables named in drop and
// plus those in add, and waits at most `seconds` for it to end (it is killed after that).
ProgramRun runProgram(const std::vector<std::string>& drop, const std::vector<std::string>& add, int seconds) {
  ProgramRun run;
  auto dir = shippedGameDir();
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool dropped = false;
    for (const std::string& name : drop) dropped = dropped || entry.rfind(name + "=", 0) == 0;
    if (!dropped) env.push_back(entry);
  }
  for (const std::string& entry : add) env.push_back(entry);
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const std::string program = dir->path() + "/Quorvex", errPath = dir->path() + "/stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::string arg0 = program;
  char* argv[] = {arg0.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    run.errors = "cannot start " + program + ": " + std::strerror(spawned);
    return run;
  }
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  run.ended = WIFEXITED(status);
  if (run.ended) run.exitCode = WEXITSTATUS(status);
  std::stringstream text;
  text << std::ifstream(errPath).rdbuf();
  run.errors = text.str();
  return run;
}
}  // namespace

TEST(NoDisplay, TheProgramSaysSoAndFailsWithinSeconds) {
  // No display and no video driver named: SDL's fallback has no screen to show a window on.
  const ProgramRun run = runProgram({"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, {}, 20);
  ASSERT_TRUE(run.ended) << "still running after 20 s; its messages:\n" << run.errors;
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.errors.find("there is no display to open a window on"), std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find("items loaded"), std::string::npos) << "it went on to load the game";
}
