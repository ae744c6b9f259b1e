// The program started on a display that takes the connection and never answers (the test's own
// X socket, which accepts and never writes): it ends after DisplayAnswerSeconds with the
// no-display message and status 1, and a termination signal while it waits ends it with status 0.
#include <gtest/gtest.h>
#include <signal.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "tests/support/GameProcess.h"
#include "tests/support/ShippedGame.h"

namespace {
constexpr double Margin = 30;  // seconds past the watched wait: only a hang exceeds it

// A listening X display socket of an unused display number, in the file system and in the
// abstract name space (the window system's library tries both); accepted connections are held
// open and never written to.
class SilentDisplay {
 public:
  SilentDisplay() {
    ::mkdir("/tmp/.X11-unix", 01777);
    for (int n = 640; n < 700 && number_ < 0; ++n) {
      const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
      if (::access(path.c_str(), F_OK) == 0 || ::access(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), F_OK) == 0)
        continue;
      const int abstractFd = listenOn(path, true);
      if (abstractFd < 0) continue;
      const int fileFd = listenOn(path, false);
      if (fileFd < 0) {
        ::close(abstractFd);
        continue;
      }
      listening_ = {abstractFd, fileFd};
      number_ = n;
      path_ = path;
    }
  }
  ~SilentDisplay() {
    for (int fd : listening_) ::close(fd);
    for (int fd : accepted_) ::close(fd);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  SilentDisplay(const SilentDisplay&) = delete;
  SilentDisplay& operator=(const SilentDisplay&) = delete;

  bool up() const { return number_ >= 0; }
  std::string name() const { return ":" + std::to_string(number_); }
  // Waits at most `seconds` for a client's connection and accepts it; false when none came.
  bool acceptOne(double seconds) {
    std::vector<pollfd> fds;
    for (int fd : listening_) fds.push_back({fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), static_cast<int>(seconds * 1000)) <= 0) return false;
    for (const pollfd& p : fds)
      if (p.revents & POLLIN)
        if (const int c = ::accept(p.fd, nullptr, nullptr); c >= 0) accepted_.push_back(c);
    return !accepted_.empty();
  }

 private:
  static int listenOn(const std::string& path, bool abstract) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const size_t at = abstract ? 1 : 0;  // abstract names start with a 0 byte
    std::memcpy(a.sun_path + at, path.data(), path.size());
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + at + path.size() + (abstract ? 0 : 1));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(fd, 4) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  }
  int number_ = -1;
  std::string path_;
  std::vector<int> listening_, accepted_;
};

// The shipped program on that display, with no video driver named.
struct ProgramOnDisplay {
  std::unique_ptr<TempGameDir> dir = shippedGameDir();
  GameProcess game;
  explicit ProgramOnDisplay(const SilentDisplay& display)
      : game(dir->path() + "/Quorvex", {}, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"},
             {"DISPLAY=" + display.name()}, dir->path() + "/output.txt") {}
};
}  // namespace

TEST(SilentDisplay, TheProgramEndsAfterTheWaitWithTheNoDisplayMessage) {
  SilentDisplay display;
  ASSERT_TRUE(display.up()) << "no free display number for the test's socket";
  ProgramOnDisplay run(display);
  ASSERT_TRUE(run.game.started()) << run.game.output();
  ASSERT_TRUE(display.acceptOne(60)) << "the program never connected; its messages:\n" << run.game.output();
  ASSERT_TRUE(run.game.waitExit(DisplayAnswerSeconds + Margin)) << "still waiting; its messages:\n" << run.game.output();
  EXPECT_EQ(run.game.exitCode(), 1);
  const std::string errors = run.game.output();
  EXPECT_NE(errors.find("there is no display to open a window on (DISPLAY=" + display.name() + " did not answer within " +
                        std::to_string(DisplayAnswerSeconds) + " s)"),
            std::string::npos)
      << errors;
}

TEST(SilentDisplay, ATerminationSignalWhileItWaitsEndsTheProgram) {
  SilentDisplay display;
  ASSERT_TRUE(display.up()) << "no free display number for the test's socket";
  ProgramOnDisplay run(display);
  ASSERT_TRUE(run.game.started()) << run.game.output();
  ASSERT_TRUE(display.acceptOne(60)) << "the program never connected; its messages:\n" << run.game.output();
  run.game.signal(SIGTERM);
  // Status 0 is the signal's end: the wait's own end is status 1.
  ASSERT_TRUE(run.game.waitExit(DisplayAnswerSeconds + Margin)) << "not ended; its messages:\n" << run.game.output();
  EXPECT_EQ(run.game.exitCode(), 0) << run.game.output();
  EXPECT_EQ(run.game.output().find("there is no display"), std::string::npos) << run.game.output();
}
