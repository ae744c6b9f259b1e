#include "runtime/Strings.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/VbError.h"

namespace {
long clampLen(long n, size_t size) { return n < 0 ? 0 : (static_cast<size_t>(n) > size ? static_cast<long>(size) : n); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Decimal digits of |v| rounded to `decimals` places, half away from zero, taken from its
// 15 significant digits (the precision the game's runtime shows).
std::string fixedDigits(double a, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", a);
  std::string digits;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (std::isdigit(static_cast<unsigned char>(*p))) digits += *p;
  int exp10 = std::atoi(std::strchr(buf, 'e') + 1);
  // value = 0.digits x 10^(exp10 + 1); keep the digits down to 10^-decimals
  long keep = static_cast<long>(exp10) + 1 + decimals;
  std::string kept;
  if (keep <= 0) {
    kept = (keep == 0 && digits[0] >= '5') ? "1" : "0";
  } else {
    if (keep >= static_cast<long>(digits.size())) {
      kept = digits + std::string(keep - digits.size(), '0');
    } else {
      kept = digits.substr(0, keep);
      if (digits[keep] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i < 0) kept.insert(kept.begin(), '1'); else ++kept[i];
      }
    }
  }
  // kept is the whole number value x 10^decimals
  if (static_cast<long>(kept.size()) <= decimals) kept.insert(0, decimals + 1 - kept.size(), '0');
  return kept;
}
}  // namespace

std::string Mid(std::string_view s, long start, long length) {
  if (start < 1 || length < -1) vbRaise(vberr::InvalidCall);
  if (static_cast<size_t>(start) > s.size()) return "";
  std::string_view rest = s.substr(start - 1);
  if (length == -1) return std::string(rest);
  return std::string(rest.substr(0, clampLen(length, rest.size())));
}

std::string Left(std::string_view s, long n) {
  if (n < 0) vbRaise(vberr::InvalidCall);
  return std::string(s.substr(0, clampLen(n, s.size())));
}

std::string Right(std::string_view s, long n) {
  if (n < 0) vbRaise(vberr::InvalidCall);
  long k = clampLen(n, s.size());
  return std::string(s.substr(s.size() - k));
}

long InStr(std::string_view s, std::string_view find) { return InStr(1, s, find); }

long InStr(long start, std::string_view s, std::string_view find) {
  if (start < 1) vbRaise(vberr::InvalidCall);
  if (static_cast<size_t>(start) > s.size()) return 0;
  if (find.empty()) return start;
  size_t p = s.find(find, start - 1);
  return p == std::string_view::npos ? 0 : static_cast<long>(p) + 1;
}

long Len(std::string_view s) { return static_cast<long>(s.size()); }

std::string LCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

std::string UCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

std::string LTrim(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  return b == std::string_view::npos ? "" : std::string(s.substr(b));
}

std::string RTrim(std::string_view s) {
  size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? "" : std::string(s.substr(0, e + 1));
}

std::string Trim(std::string_view s) { return LTrim(RTrim(s)); }

std::string Replace(std::string_view s, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(s);
  std::string r;
  size_t pos = 0;
  for (size_t p; (p = s.find(find, pos)) != std::string_view::npos; pos = p + find.size()) {
    r.append(s.substr(pos, p - pos));
    r.append(with);
  }
  r.append(s.substr(pos));
  return r;
}

std::string Space(long n) {
  if (n < 0) vbRaise(vberr::InvalidCall);
  return std::string(static_cast<size_t>(n), ' ');
}

double Val(std::string_view s) {
  // Blanks are ignored anywhere, as the game's runtime does ("1 000" reads 1000).
  std::string t;
  for (char c : s)
    if (!isBlank(c)) t += c;
  size_t i = 0;
  std::string num;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) num += t[i++];
  size_t digits = 0;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) { num += t[i++]; ++digits; }
  if (i < t.size() && t[i] == '.') {
    num += t[i++];
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) { num += t[i++]; ++digits; }
  }
  if (digits == 0) return 0.0;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
    size_t j = i + 1;
    std::string ex = "e";
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ex += t[j++];
    size_t expDigits = 0;
    while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) { ex += t[j++]; ++expDigits; }
    if (expDigits > 0) num += ex;
  }
  double v = std::strtod(num.c_str(), nullptr);
  if (std::isinf(v)) vbRaise(vberr::Overflow);
  return v;
}

std::string Str(double v) {
  if (v == 0.0) return " 0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  std::string r = buf;
  // The runtime writes fractions below one without the leading zero: " .5", "-.25".
  if (r.rfind("0.", 0) == 0) r.erase(0, 1);
  else if (r.rfind("-0.", 0) == 0) r.erase(1, 1);
  return v > 0 ? " " + r : r;
}

std::string CStr(double v) {
  if (v == 0.0) return "0";
  // Shortest text that reads back exactly; plain decimal notation for the magnitudes game data
  // holds, exponent form only for the very large and the very small.
  char buf[400];
  double mag = std::fabs(v);
  auto fmt = (mag >= 1e-5 && mag < 1e15) ? std::chars_format::fixed : std::chars_format::general;
  auto res = std::to_chars(buf, buf + sizeof buf, v, fmt);
  return std::string(buf, res.ptr);
}

std::string Chr(int code) {
  if (code < 0 || code > 255) vbRaise(vberr::InvalidCall);
  return std::string(1, static_cast<char>(code));
}

int Asc(std::string_view s) {
  if (s.empty()) vbRaise(vberr::InvalidCall);
  return static_cast<unsigned char>(s[0]);
}

std::string Format(double v, std::string_view pattern) {
  if (!std::isfinite(v)) vbRaise(vberr::Overflow);
  size_t dot = pattern.find('.');
  std::string_view intPat = pattern.substr(0, dot);
  std::string_view decPat = dot == std::string_view::npos ? std::string_view() : pattern.substr(dot + 1);
  int minInt = 0;
  for (char c : intPat) if (c == '0') ++minInt;
  int decimals = 0, minDec = 0;
  for (char c : decPat) {
    if (c == '0' || c == '#') ++decimals;
    if (c == '0') minDec = decimals;
  }
  std::string kept = fixedDigits(std::fabs(v), decimals);
  std::string ip = kept.substr(0, kept.size() - decimals);
  std::string dp = kept.substr(kept.size() - decimals);
  ip.erase(0, std::min(ip.find_first_not_of('0'), ip.size()));
  if (static_cast<int>(ip.size()) < minInt) ip.insert(0, minInt - ip.size(), '0');
  while (static_cast<int>(dp.size()) > minDec && dp.back() == '0') dp.pop_back();
  bool zero = kept.find_first_not_of('0') == std::string::npos;
  std::string r = (v < 0 && !zero) ? "-" : "";
  r += ip;
  if (dot != std::string_view::npos && !dp.empty()) r += "." + dp;
  return r;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}
