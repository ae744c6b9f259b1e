#include "runtime/Trap.h"

#include <cstdio>
#include <utility>

namespace {
std::function<void(const std::string&)>& sink() {
  static std::function<void(const std::string&)> s;
  return s;
}
}  // namespace

void setTrapSink(std::function<void(const std::string& line)> s) { sink() = std::move(s); }

void reportNotice(const std::string& line) {
  if (sink()) {
    sink()(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

void reportTrapped(const std::string& label, const std::string& text) {
  reportNotice("Error in " + label + ": " + text);
}
