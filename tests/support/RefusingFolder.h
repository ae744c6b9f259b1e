// Folders that refuse writes the way a real medium does, for tests that run as root (root ignores
// permission bits). ReadOnlyFolder bind-mounts a folder read-only over itself (EROFS);
// FullFolder puts a small tmpfs holding a copy of the folder in its place and fills it up
// (ENOSPC); BusyFile makes one file a mount point (EBUSY). All work in the test process's own
// mount namespace, made by the first of them (unshare(CLONE_NEWNS), then private propagation
// from "/"), so no mount reaches the machine.
// Where the kernel refuses, refused() says why (the test skips); otherwise the folder refuses
// writes until the destructor unmounts it. Only the calling thread and threads it starts later
// see the mounts.
#pragma once
#include <map>
#include <string>

class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& realFolder);
  ~ReadOnlyFolder();
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
  const std::string& refused() const { return refused_; }  // "" when in place

 private:
  std::string folder_, refused_;
  bool mounted_ = false;
};

class FullFolder {
 public:
  // A tmpfs of `bytes` (rounded up to pages; it must hold the folder's files) filled by the file
  // FillerName inside it.
  explicit FullFolder(const std::string& realFolder, long bytes = 2 << 20);
  ~FullFolder();
  FullFolder(const FullFolder&) = delete;
  FullFolder& operator=(const FullFolder&) = delete;
  const std::string& refused() const { return refused_; }
  static constexpr const char* FillerName = ".filler";

 private:
  std::string folder_, refused_;
  bool mounted_ = false;
};

// A file that cannot be replaced: bind-mounted over itself, so it reads and writes as before
// while a rename onto it fails with EBUSY (a mount point), as writes that replace it do.
class BusyFile {
 public:
  explicit BusyFile(const std::string& realFile);
  ~BusyFile();
  BusyFile(const BusyFile&) = delete;
  BusyFile& operator=(const BusyFile&) = delete;
  const std::string& refused() const { return refused_; }

 private:
  std::string file_, refused_;
  bool mounted_ = false;
};

// Every file under realFolder (recursively) by its path relative to it, with its bytes; the
// filler of a FullFolder left out. Two snapshots compare equal when no file changed, appeared or
// vanished.
std::map<std::string, std::string> folderFiles(const std::string& realFolder);
