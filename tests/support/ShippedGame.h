// The generated game folder as shipped, copied for a test or benchmark to play on. The build's
// game folder is also the one `make run` plays in, and playing rewrites its data/ folder (save
// slots, options, cheats, unlocks): the copy takes data/ from the source tree's content/data, so
// what a test sees does not hang on what was played. Needs QV_TEST_GAME_DIR and QV_SOURCE_DIR.
#pragma once
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "tests/support/TempGameDir.h"

// Copies into the folder `to` (made if missing); "" on success, else what failed.
inline std::string copyShippedGame(const std::string& to) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::copy(QV_TEST_GAME_DIR, to, fs::copy_options::recursive, ec);
  if (ec) return std::string("cannot copy ") + QV_TEST_GAME_DIR + ": " + ec.message();
  const fs::path data = fs::path(to) / "data";
  fs::remove_all(data, ec);
  fs::copy(fs::path(QV_SOURCE_DIR) / "content" / "data", data, fs::copy_options::recursive, ec);
  if (ec) return std::string("cannot copy ") + QV_SOURCE_DIR + "/content/data: " + ec.message();
  return "";
}

// A temporary game folder (TempGameDir) holding the shipped game; throws when the copy fails.
inline std::unique_ptr<TempGameDir> shippedGameDir() {
  auto dir = std::make_unique<TempGameDir>();
  const std::string error = copyShippedGame(dir->path());
  if (!error.empty()) throw std::runtime_error(error);
  return dir;
}
