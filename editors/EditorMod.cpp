#include "editors/EditorMod.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "platform/Window.h"
#include "runtime/Strings.h"

Single PrevPointerX = 0, PrevPointerY = 0;

PointerStep trackEditorPointer() {
  PointerStep step;
  POINTAPI cursor{};
  GetCursorPos(cursor);
  const auto cx = static_cast<Single>(cursor.x), cy = static_cast<Single>(cursor.y);
  if (!MouseHeld) {
    PointerX = cx;
    PointerY = cy;
    return step;
  }
  PrevPointerX = PointerX;
  PrevPointerY = PointerY;
  PointerY = cy;
  if (cx != PointerX) {
    step.dx = cx - PointerX;
    PointerX = cx;
    PrevPointerX = cx;
  }
  if (PointerY != PrevPointerY) {
    step.dy = PointerY - PrevPointerY;
    PrevPointerY = PointerY;
  }
  return step;
}

namespace {
void setView(const D3DVECTOR& eye, const D3DVECTOR& at) {
  D3DVECTOR up;
  up.x = 0;
  up.y = 1;
  up.z = 0;
  CamEye = eye;
  CamTarget = at;
  D3DXMatrixLookAtLH(MatView, eye, at, up);
  checkHResult(device().SetTransform(D3DTS_VIEW, MatView));
}
D3DVECTOR vec(Single x, Single y, Single z) {
  D3DVECTOR v;
  v.x = x;
  v.y = y;
  v.z = z;
  return v;
}
}  // namespace

void setOrbitCamera(Single angle, Single height, Single distance) {
  setView(vec(std::cos(angle) * distance, height, -std::sin(angle) * distance), vec(0, 0, 0));
}

void setFlightCamera(Single angle, Single lookHeight, Single eyeHeight, Single x, Single z) {
  setView(vec(x, eyeHeight, z), vec(x + std::cos(angle) * 100, lookHeight, z + std::sin(angle) * 100));
}

Single degreesToRadians(double degrees) { return static_cast<Single>(degrees * EditorPi / 180); }
double radiansToDegrees(Single radians) { return radians * 180 / EditorPi; }

std::optional<Integer> editorInteger(const std::string& text) {
  const double v = roundHalfEven(Val(text));
  if (!(v >= -32768 && v <= 32767)) return std::nullopt;
  return static_cast<Integer>(v);
}

std::optional<Long> editorLong(const std::string& text) {
  const double v = roundHalfEven(Val(text));
  if (!(v >= -2147483648.0 && v <= 2147483647.0)) return std::nullopt;
  return static_cast<Long>(v);
}

std::optional<Single> editorSingle(const std::string& text) {
  const double v = Val(text);
  if (!(std::fabs(v) <= std::numeric_limits<Single>::max())) return std::nullopt;
  return static_cast<Single>(v);
}

bool isEditorNumber(const std::string& text) {
  std::string t;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') t += c;
  size_t i = 0, digits = 0;
  auto isDigit = [&t](size_t at) { return at < t.size() && t[at] >= '0' && t[at] <= '9'; };
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  for (; isDigit(i); ++i) ++digits;
  if (i < t.size() && t[i] == '.')
    for (++i; isDigit(i); ++i) ++digits;
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    if (!isDigit(i)) return false;
    while (isDigit(i)) ++i;
  }
  return i == t.size();
}

std::string editorNumberText(Single v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string checkEditorName(const std::string& name, const std::string& what) {
  if (name.empty()) return what + " is empty: type one first.";
  if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
    return what + " holds no folder: \"" + name + "\"";
  if (name.find("..") != std::string::npos) return what + " holds no \"..\": \"" + name + "\"";
  return "";
}

bool ReplaceQuestion::mayWrite(const std::string& name, bool exists, const std::string& file, std::string& question) {
  const std::string key = LCase(name);
  const bool confirmed = !asked_.empty() && asked_ == key;
  asked_.clear();
  if (!exists || confirmed || (!held_.empty() && held_ == key)) return true;
  asked_ = key;
  question = file + " exists and was not loaded here: press Save again to replace it.";
  return false;
}

void ReplaceQuestion::holds(const std::string& name) {
  held_ = LCase(name);
  asked_.clear();
}
