#include "tests/support/RefusingFolder.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string failed(const std::string& what) { return what + ": " + std::strerror(errno); }

// "" once this process has mounts of its own; made at the first call.
const std::string& ownMountNamespace() {
  static const std::string why = [] {
    if (::unshare(CLONE_NEWNS) != 0) return failed("unshare(CLONE_NEWNS)");
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return failed("private mounts");
    return std::string();
  }();
  return why;
}

// errno of creating a file in folder, 0 when that worked (the file is removed again).
int probeWrite(const std::string& folder) {
  const std::string probe = folder + "/.probe";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return errno;
  int err = 0;
  if (::write(fd, "probe", 5) != 5) err = errno != 0 ? errno : ENOSPC;
  ::close(fd);
  ::unlink(probe.c_str());
  return err;
}
}  // namespace

ReadOnlyFolder::ReadOnlyFolder(const std::string& realFolder) : folder_(realFolder) {
  refused_ = ownMountNamespace();
  if (!refused_.empty()) return;
  if (::mount(folder_.c_str(), folder_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    refused_ = failed("bind mount of " + folder_);
    return;
  }
  mounted_ = true;
  if (::mount(nullptr, folder_.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
    refused_ = failed("read-only remount of " + folder_);
    return;
  }
  if (probeWrite(folder_) != EROFS) refused_ = "the read-only mount still takes writes";
}

ReadOnlyFolder::~ReadOnlyFolder() {
  if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

FullFolder::FullFolder(const std::string& realFolder, long bytes) : folder_(realFolder) {
  refused_ = ownMountNamespace();
  if (!refused_.empty()) return;
  // The folder's files wait aside while the tmpfs takes its place, then come back into it.
  std::string aside = folder_ + ".aside-XXXXXX";
  if (!::mkdtemp(aside.data())) {
    refused_ = failed("mkdtemp beside " + folder_);
    return;
  }
  std::error_code ec;
  fs::copy(folder_, aside, fs::copy_options::recursive, ec);
  const std::string options = "size=" + std::to_string(bytes);
  if (!ec && ::mount("qv-full", folder_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    refused_ = failed("tmpfs over " + folder_);
  } else if (ec) {
    refused_ = "copy of " + folder_ + ": " + ec.message();
  } else {
    mounted_ = true;
    fs::copy(aside, folder_, fs::copy_options::recursive, ec);
    if (ec) refused_ = "the folder's files do not fit in " + options + ": " + ec.message();
  }
  fs::remove_all(aside, ec);
  if (!refused_.empty()) return;
  const std::string filler = folder_ + "/" + FillerName;
  const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    refused_ = failed("filler in " + folder_);
    return;
  }
  const std::vector<char> block(4096, 'x');
  while (::write(fd, block.data(), block.size()) > 0) {
  }
  while (::write(fd, block.data(), 1) > 0) {
  }
  ::close(fd);
  if (probeWrite(folder_) != ENOSPC) refused_ = "the filled tmpfs still takes writes";
}

FullFolder::~FullFolder() {
  if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

BusyFile::BusyFile(const std::string& realFile) : file_(realFile) {
  refused_ = ownMountNamespace();
  if (!refused_.empty()) return;
  if (::mount(file_.c_str(), file_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    refused_ = failed("bind mount of " + file_);
    return;
  }
  mounted_ = true;
  const std::string probe = file_ + ".probe";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) ::close(fd);
  const bool replaced = ::rename(probe.c_str(), file_.c_str()) == 0;
  const int err = errno;
  ::unlink(probe.c_str());
  if (replaced || err != EBUSY) refused_ = "a rename onto the mounted file was not refused as busy";
}

BusyFile::~BusyFile() {
  if (mounted_) ::umount2(file_.c_str(), MNT_DETACH);
}

std::map<std::string, std::string> folderFiles(const std::string& realFolder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(realFolder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const std::string rel = fs::relative(it->path(), realFolder, ec).string();
    if (rel == FullFolder::FillerName) continue;
    if (it->is_directory(ec)) {
      files[rel + "/"] = "";
      continue;
    }
    std::ifstream f(it->path(), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    files[rel] = s.str();
  }
  return files;
}
