#include "tools/contentgen/OutputFolder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

OutputFolder::OutputFolder(std::string root) : root_(std::move(root)) {
  fs::create_directories(root_);
}

std::string OutputFolder::realPath(const std::string& relPath) const {
  return (fs::path(root_) / relPath).string();
}

void OutputFolder::write(const std::string& relPath, const std::string& bytes) {
  fs::path target = fs::path(root_) / relPath;
  fs::create_directories(target.parent_path());
  fs::path tmp = target;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + tmp.string());
  }
  fs::rename(tmp, target);
  std::lock_guard<std::mutex> lock(mutex_);
  written_.push_back(relPath);
}

std::vector<std::string> OutputFolder::written() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> list = written_;
  std::sort(list.begin(), list.end());
  return list;
}
