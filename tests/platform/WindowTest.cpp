// The main window's events, key translation, cursor and twips; the timer's test clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Timer.h"
#include "platform/Window.h"

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
