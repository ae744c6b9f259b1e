// The pointer in a real X session: a press, a drag (out past the window's edge) and the release
// sent through the server's test extension reach the game window, with the cursor shown and
// hidden (the hidden cursor reads relative motion). Runs on its own Xvfb display, in a child
// process so that the window system it starts ends with it; skipped without Xvfb or xdotool.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/Direct3D.h"
#include "platform/Window.h"

extern char** environ;

namespace {
bool onPath(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Delivers what the window system has for a while.
void pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    doEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Sends one xdotool command, then delivers events until arrived() holds (at most 5 s: a loaded
// machine may be slow to pass them on), and a little longer for what follows in the same burst.
template <class Arrived>
void xdotool(const std::string& args, Arrived arrived) {
  pump(50);
  if (std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()) != 0) {
    std::fprintf(stderr, "xdotool %s failed\n", args.c_str());
    std::_Exit(2);
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!arrived() && std::chrono::steady_clock::now() < end) pump(10);
  pump(50);
}

// In the child: a 320 x 240 window centred on the 640 x 480 screen (client 160..480, 120..360),
// pressed at client (40, 40), dragged to (70, 60) and off the screen's corner, released there.
[[noreturn]] void pressDragRelease(bool hidden) {
  setenv("SDL_VIDEODRIVER", "x11", 1);
  GameWindow w;
  int downs = 0, heldMoves = 0, ups = 0;
  w.onMouseDown = [&](Integer& b, Integer&, Single&, Single&) { downs += b == 1; };
  w.onMouseUp = [&](Integer& b, Integer&, Single&, Single&) { ups += b == 1; };
  w.show();
  // A loaded server may refuse a connection for a moment: a few tries before giving up.
  bool realized = false;
  for (int tries = 0; tries < 5 && !realized; ++tries) {
    realized = w.realize(320, 240, false);
    if (!realized) {
      std::fprintf(stderr, "%s\n", lastErrorDescription().c_str());
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
  }
  if (!realized) std::_Exit(3);
  if (hidden) ShowCursor(false);
  pump(300);
  int moves = 0;
  w.onMouseMove = [&](Integer& b, Integer&, Single&, Single&) {
    ++moves;
    heldMoves += downs > ups && (b & 1);
  };
  xdotool("mousemove 200 160", [&] { return moves > 0; });
  xdotool("mousedown 1", [&] { return downs > 0; });
  POINTAPI before;
  GetCursorPos(before);
  xdotool("mousemove 230 180", [&] { return heldMoves >= 1; });
  xdotool("mousemove 639 479", [&] { return heldMoves >= 2; });
  POINTAPI after;
  GetCursorPos(after);
  xdotool("mouseup 1", [&] { return ups > 0; });
  const bool moved = after.x != before.x || after.y != before.y;  // the hidden cursor follows the motion
  std::fprintf(stderr, "downs %d held moves %d ups %d cursor moved %d\n", downs, heldMoves, ups, moved);
  std::_Exit(downs == 1 && heldMoves >= 2 && ups == 1 && (moved || !hidden) ? 0 : 1);
}
}  // namespace

TEST(XSessionPointer, PressDragAndReleaseReachTheWindowWithTheCursorShownAndHidden) {
  if (!onPath("Xvfb") || !onPath("xdotool")) GTEST_SKIP() << "needs Xvfb and xdotool";
  const std::string display = ":" + std::to_string(200 + getpid() % 500);
  const std::string socket = "/tmp/.X11-unix/X" + display.substr(1);
  const std::string screen = "640x480x24";
  const char* argv[] = {"Xvfb", display.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", nullptr};
  pid_t server = 0;
  ASSERT_EQ(posix_spawnp(&server, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  for (int k = 0; k < 100 && !std::filesystem::exists(socket); ++k) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (std::filesystem::exists(socket)) {
    setenv("DISPLAY", display.c_str(), 1);
    for (bool hidden : {false, true}) {
      SCOPED_TRACE(hidden ? "cursor hidden" : "cursor shown");
      EXPECT_EXIT(pressDragRelease(hidden), ::testing::ExitedWithCode(0), "");
    }
  } else {
    ADD_FAILURE() << "Xvfb did not start on " << display;
  }
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
}
