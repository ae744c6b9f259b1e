#include "runtime/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Strings.h"
#include "runtime/VbError.h"

namespace {
std::string& appPathStore() {
  static std::string p;
  return p;
}

std::string stripTrailingSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

bool entryExists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

// The entry of folder whose name equals name ignoring case; the exact spelling wins, then the
// lowest name in byte order so that the choice does not depend on directory order. found tells
// whether such an entry exists (name itself is returned when none does).
std::string matchComponent(const std::string& folder, const std::string& name, bool& found) {
  found = entryExists(folder + "/" + name);
  if (found) return name;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return name;
  std::string best;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (equalsIgnoreCase(n, name) && (best.empty() || n < best)) best = n;
  }
  ::closedir(d);
  found = !best.empty();
  return found ? best : name;
}

bool wildMatch(const char* p, const char* s) {
  // '*' any run, '?' one character; letters compared ignoring case.
  const char* starP = nullptr;
  const char* starS = nullptr;
  while (*s) {
    if (*p == '*') {
      starP = p++;
      starS = s;
    } else if (*p == '?' || (*p && std::tolower(static_cast<unsigned char>(*p)) ==
                                      std::tolower(static_cast<unsigned char>(*s)))) {
      ++p;
      ++s;
    } else if (starP) {
      p = starP + 1;
      s = ++starS;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == 0;
}
}  // namespace

std::string exeDir() {
  std::string buf(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  buf.resize(static_cast<size_t>(n));
  size_t slash = buf.rfind('/');
  return slash == 0 ? "/" : buf.substr(0, slash);
}

const std::string& appPath() {
  std::string& p = appPathStore();
  if (p.empty()) p = exeDir();
  return p;
}

void setAppPath(const std::string& folder) { appPathStore() = stripTrailingSlash(folder); }

std::string resolvePath(const std::string& gamePath) {
  std::vector<std::string> parts;
  std::string cur;
  auto flush = [&] {
    if (cur.empty() || cur == ".") {
    } else if (cur == "..") {
      if (!parts.empty()) parts.pop_back();  // never above the program's folder
    } else {
      parts.push_back(cur);
    }
    cur.clear();
  };
  for (char c : gamePath) {
    if (c == '\\' || c == '/') flush();
    else cur += c;
  }
  flush();
  std::string real = appPath();
  bool onDisk = true;
  for (const std::string& part : parts) {
    bool found = false;
    std::string name = onDisk ? matchComponent(real, part, found) : part;
    if (real != "/") real += '/';
    real += name;
    onDisk = onDisk && found;
  }
  return real;
}

std::string joinGamePath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  bool aSep = a.back() == '\\' || a.back() == '/';
  bool bSep = b.front() == '\\' || b.front() == '/';
  if (aSep && bSep) return a + b.substr(1);
  if (aSep || bSep) return a + b;
  return a + "\\" + b;
}

FileRead readWholeFile(const std::string& realPath, std::string& bytes) {
  bytes.clear();
  // Non-blocking, so that a pipe or device node is refused rather than waited on.
  const int fd = ::open(realPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileRead::NotAFile;
  }
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  bool failed = false;
  for (;;) {
    if (got == bytes.size()) bytes.resize(got + 65536);  // the file grew since fstat
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  if (failed) {
    bytes.clear();
    return FileRead::Failed;
  }
  return FileRead::Read;
}

std::string gamePathOf(const std::string& realPath) {
  const std::string& root = appPath();
  if (realPath.size() <= root.size() || realPath.compare(0, root.size(), root) != 0 || realPath[root.size()] != '/')
    return realPath;
  std::string game = realPath.substr(root.size());
  std::replace(game.begin(), game.end(), '/', '\\');
  return game;
}

namespace {
std::function<int(const std::string&, const std::string&)>& renameFault() {
  static std::function<int(const std::string&, const std::string&)> fault;
  return fault;
}
}  // namespace

int renamePath(const std::string& from, const std::string& to) {
  if (renameFault()) {
    if (const int err = renameFault()(from, to)) return err;
  }
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void setRenameFaultForTests(std::function<int(const std::string& from, const std::string& to)> fault) {
  renameFault() = std::move(fault);
}

bool fileExists(const std::string& realPath) {
  struct stat st;
  return ::stat(realPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> listFiles(const std::string& realFolder, const std::string& pattern) {
  DIR* d = ::opendir(realFolder.c_str());
  if (!d) vbRaise(vberr::PathNotFound);
  // "*.*" means every file, also those without an extension.
  std::string pat = (pattern == "*.*" || pattern.empty()) ? "*" : pattern;
  std::vector<std::string> names;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    if (!fileExists(realFolder + "/" + n)) continue;
    if (wildMatch(pat.c_str(), n.c_str())) names.push_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
    std::string lx = LCase(x), ly = LCase(y);
    return lx != ly ? lx < ly : x < y;
  });
  return names;
}
