// The game folder the generator writes into. Paths are game-relative with '/' separators
// ("gfx/portraits/zom1.bmp"); folders are created as needed; each file is written to a
// temporary beside it and renamed, so an interrupted run never leaves a half file.
// Thread-safe: the generator's workers write through one OutputFolder. written() lists
// every path in sorted order (the manifest).
#pragma once
#include <mutex>
#include <string>
#include <vector>

class OutputFolder {
 public:
  explicit OutputFolder(std::string root);
  const std::string& root() const { return root_; }
  void write(const std::string& relPath, const std::string& bytes);
  std::vector<std::string> written() const;
  // The real path of a game-relative path (for reading the copied text data).
  std::string realPath(const std::string& relPath) const;

 private:
  std::string root_;
  mutable std::mutex mutex_;
  std::vector<std::string> written_;
};
