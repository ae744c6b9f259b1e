// TempGameDir: a temporary game folder for tests. The constructor makes an empty folder under
// the system's temporary folder (or a copy of an existing game folder, e.g. QV_TEST_GAME_DIR)
// and points the runtime's appPath() at it; the destructor restores the previous appPath and
// removes the folder with everything in it. Game paths are written as the game writes them
// ("\data\options.pnd"). Not copyable; one per test at a time.
#pragma once
#include <string>

class TempGameDir {
 public:
  explicit TempGameDir(const std::string& copyFrom = "");
  ~TempGameDir();
  TempGameDir(const TempGameDir&) = delete;
  TempGameDir& operator=(const TempGameDir&) = delete;

  const std::string& path() const { return path_; }               // absolute, no trailing '/'
  std::string real(const std::string& gamePath) const;            // path() + gamePath with '/' (no case matching)
  void write(const std::string& gamePath, const std::string& bytes) const;  // makes missing folders
  std::string read(const std::string& gamePath) const;            // "" when missing
  bool exists(const std::string& gamePath) const;
  void remove(const std::string& gamePath) const;                 // a file or a folder tree

 private:
  std::string path_;
  std::string previousAppPath_;
};
