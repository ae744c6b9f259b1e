#include "tests/support/GameProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

GameProcess::GameProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& drop, const std::vector<std::string>& add,
                         const std::string& outputFile)
    : outputFile_(outputFile) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool dropped = false;
    for (const std::string& name : drop) dropped = dropped || entry.rfind(name + "=", 0) == 0;
    if (!dropped) env.push_back(entry);
  }
  env.insert(env.end(), add.begin(), add.end());
  std::vector<char*> envp, argv;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> arguments{program};
  arguments.insert(arguments.end(), args.begin(), args.end());
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned == 0) pid_ = pid;
  else startError_ = "cannot start " + program + ": " + std::strerror(spawned);
}

GameProcess::~GameProcess() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
}

void GameProcess::signal(int sig) const {
  if (pid_ > 0) ::kill(pid_, sig);
}

bool GameProcess::running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
  pid_ = -1;
  if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
  return false;
}

bool GameProcess::waitExit(double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (running()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return exitCode_ >= 0;
}

std::string GameProcess::output() const {
  if (!startError_.empty()) return startError_;
  std::stringstream text;
  text << std::ifstream(outputFile_).rdbuf();
  return text.str();
}
