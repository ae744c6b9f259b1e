// A private copy of the generated game folder for one benchmark run: made under the system's
// temporary folder and set as the program's folder; the destructor sets the executable's folder back and removes it. ok() is false (and
// the benchmark is skipped with the reason) when the copy could not be made.
#pragma once
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "runtime/Paths.h"
#include "tests/support/ShippedGame.h"

class BenchGameDir {
 public:
  BenchGameDir(benchmark::State& state, const char* prefix) {
    namespace fs = std::filesystem;
    std::string path = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!::mkdtemp(path.data())) {
      state.SkipWithError("cannot make a temporary folder");
      return;
    }
    path_ = path;
    const std::string error = copyShippedGame(path_);
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      return;
    }
    setAppPath(path_);
    ok_ = true;
  }
  ~BenchGameDir() {
    setAppPath(exeDir());
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  BenchGameDir(const BenchGameDir&) = delete;
  BenchGameDir& operator=(const BenchGameDir&) = delete;
  bool ok() const { return ok_; }

 private:
  std::string path_;
  bool ok_ = false;
};
