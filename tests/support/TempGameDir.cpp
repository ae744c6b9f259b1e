#include "tests/support/TempGameDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "runtime/Paths.h"

namespace fs = std::filesystem;

TempGameDir::TempGameDir(const std::string& copyFrom) : previousAppPath_(appPath()) {
  std::string tmpl = (fs::temp_directory_path() / "qv-game-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("TempGameDir: cannot create " + tmpl);
  path_ = tmpl;
  if (!copyFrom.empty()) {
    std::error_code ec;
    fs::copy(copyFrom, path_, fs::copy_options::recursive, ec);
    if (ec) {
      fs::remove_all(path_, ec);
      throw std::runtime_error("TempGameDir: cannot copy " + copyFrom);
    }
  }
  setAppPath(path_);
}

TempGameDir::~TempGameDir() {
  setAppPath(previousAppPath_);
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempGameDir::real(const std::string& gamePath) const {
  std::string p = gamePath;
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.empty() || p.front() != '/') p.insert(p.begin(), '/');
  return path_ + p;
}

void TempGameDir::write(const std::string& gamePath, const std::string& bytes) const {
  fs::path p = real(gamePath);
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f << bytes;
  if (!f) throw std::runtime_error("TempGameDir: cannot write " + p.string());
}

std::string TempGameDir::read(const std::string& gamePath) const {
  std::ifstream f(real(gamePath), std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool TempGameDir::exists(const std::string& gamePath) const { return fs::exists(real(gamePath)); }

void TempGameDir::remove(const std::string& gamePath) const {
  std::error_code ec;
  fs::remove_all(real(gamePath), ec);
}
