// A program run as a separate process for tests that watch how it ends: started with the test's
// environment less some variables and plus others, its standard output and standard error to one
// file; signalled and waited for with a time limit (a program still running
// at the limit is killed, so a hang fails the test instead of holding it).
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

class GameProcess {
 public:
  // Starts `program` with `args` (after argv[0]); output() says why when it could not start.
  GameProcess(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& drop,
              const std::vector<std::string>& add, const std::string& outputFile);
  ~GameProcess();  // kills it if it still runs
  GameProcess(const GameProcess&) = delete;
  GameProcess& operator=(const GameProcess&) = delete;

  bool started() const { return pid_ > 0; }
  void signal(int sig) const;
  // Waits at most `seconds` for the end; true when it exited (not killed by a signal) in time.
  bool waitExit(double seconds);
  bool running();
  int exitCode() const { return exitCode_; }  // -1 unless it exited
  std::string output() const;                 // what it wrote so far

 private:
  pid_t pid_ = -1;
  int exitCode_ = -1;
  std::string outputFile_, startError_;
};
