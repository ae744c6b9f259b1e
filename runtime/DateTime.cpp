#include "runtime/DateTime.h"

#include <cstdio>

namespace {
std::tm now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return tm;
}
}  // namespace

std::string DateText(const std::tm& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d/%d/%d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
  return buf;
}

std::string TimeText(const std::tm& t) {
  int h = t.tm_hour % 12;
  if (h == 0) h = 12;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h, t.tm_min, t.tm_sec, t.tm_hour < 12 ? "AM" : "PM");
  return buf;
}

std::string GeneralDateText(const std::tm& t) { return DateText(t) + " " + TimeText(t); }

std::string DateText() { return DateText(now()); }
std::string TimeText() { return TimeText(now()); }
std::string GeneralDateText() { return GeneralDateText(now()); }
