#include "engine/FuncMod.h"

#include <cmath>
#include <utility>

#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

D3DXVECTOR2 makeVec2(Single x, Single y) {
  D3DXVECTOR2 v;
  v.x = x;
  v.y = y;
  return v;
}

std::string strItem(const std::string& text, Integer n, const std::string& separator, bool toEnd) {
  std::string result;
  vbTrap("strItem", [&] {
    if (n < 1) vbRaise(vberr::InvalidCall);
    const long len = Len(text);
    // Positions beyond the end of the text count as separators.
    auto isSep = [&](long p) { return p > len || Mid(text, p, 1) == separator; };
    long count = 1, start = 1;
    for (long p = 1; count != n; ++p) {
      if (isSep(p)) {
        ++count;
        start = p + 1;
      }
    }
    long end;
    if (toEnd) {
      end = len + 1;
    } else {
      end = start;
      while (!isSep(end)) ++end;
    }
    if (end >= start) result = Mid(text, start, end - start);
  });
  return result;
}

std::vector<std::string> getFileList(const std::string& pattern) {
  size_t cut = pattern.find_last_of("\\/");
  std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut + 1);
  std::string name = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  if (name.empty()) name.push_back('*');
  std::string real = resolvePath(folder);
  std::vector<std::string> names;
  try {
    names = listFiles(real, name);
  } catch (const VbError& e) {
    if (e.number() != vberr::PathNotFound) throw;  // a missing folder matches nothing
  }
  if (names.empty()) names.push_back("");
  return names;
}

Single getAngle(Single x1, Single z1, Single x2, Single z2) {
  Single r = 0;
  vbTrap("getAngle", [&] {
    Single dx = x2 - x1;
    Single dz = z2 - z1;
    if (!std::isfinite(dx) || !std::isfinite(dz)) vbRaise(vberr::Overflow);
    if (dx == 0) r = dz > 0 ? 4.7124f : 1.571f;
    if (dz == 0) r = dx > 0 ? 0.0f : 3.1416f;
    if (dx != 0 && dz != 0) {
      Single q = dz / dx;
      if (!std::isfinite(q)) vbRaise(vberr::Overflow);
      double a = std::atan(static_cast<double>(q));
      if (dx > 0 && dz < 0) r = static_cast<Single>(-a);
      else if (dx < 0) r = static_cast<Single>(3.1416 - a);
      else r = static_cast<Single>(6.2832 - a);
    }
  });
  return r;
}

Single getHunt(Single x1, Single z1, Single x2, Single z2, Single heading) {
  Single r = 0;
  vbTrap("getHunt", [&] {
    Single d = getAngle(x1, z1, x2, z2) - heading;
    if (!std::isfinite(d)) vbRaise(vberr::Overflow);
    r = d >= 0 ? static_cast<Single>(3.14 - d) : static_cast<Single>(-3.14 - d);
  });
  return r;
}

Double getDist(Single x1, Single z1, Single x2, Single z2) {
  double dx = static_cast<Single>(x2 - x1);
  double dz = static_cast<Single>(z2 - z1);
  return std::sqrt(dx * dx + dz * dz);
}

Double getQuickDist(Single x1, Single z1, Single x2, Single z2) {
  return static_cast<Single>(std::fabs(x1 - x2) + std::fabs(z1 - z2));
}

D3DXVECTOR2 pickCornerByAngle(const D3DXVECTOR2& c1, const D3DXVECTOR2& c2, const D3DXVECTOR2& c3,
                              const D3DXVECTOR2& c4, const D3DXVECTOR2& centre, const D3DXVECTOR2& target) {
  const D3DXVECTOR2* corners[4] = {&c1, &c2, &c3, &c4};
  Single toTarget = getAngle(centre.x, centre.y, target.x, target.y);
  Single e[4];
  for (int i = 0; i < 4; ++i) {
    e[i] = toTarget - getAngle(centre.x, centre.y, corners[i]->x, corners[i]->y);
    if (e[i] < -3.14f) e[i] = static_cast<Single>(e[i] + 6.28);
  }
  int order[4] = {0, 1, 2, 3};
  for (int pass = 0; pass < 3; ++pass)
    for (int j = 0; j < 3; ++j)
      if (e[order[j]] > e[order[j + 1]]) std::swap(order[j], order[j + 1]);
  int first = order[0], last = order[3];
  return std::fabs(e[first]) < std::fabs(e[last]) ? *corners[first] : *corners[last];
}

D3DVECTOR vecSubtract(const D3DVECTOR& a, const D3DVECTOR& b) { return D3DVECTOR{a.x - b.x, a.y - b.y, a.z - b.z}; }

Single getTimeFactor() { return static_cast<Single>(FrameTime / 0.02); }

D3DVECTOR getSoundCoords(const D3DVECTOR& source) {
  D3DVECTOR out;
  vbTrap("getSoundCoords", [&] {
    Single a0 = getAngle(CamEye.x, CamEye.z, CamTarget.x, CamTarget.z);
    Single a1 = getAngle(CamEye.x, CamEye.z, source.x, source.z);
    Single d = a0 - a1;
    double t = d >= 0 ? 3.14 - d : -3.14 - d;
    out.x = static_cast<Single>(std::sin(t) * -10000.0);
    double dist = getDist(CamEye.x, CamEye.z, source.x, source.z) / 1000.0;
    if (!std::isfinite(dist)) vbRaise(vberr::Overflow);
    if (dist > 4) dist = 4;
    out.z = static_cast<Single>(-std::pow(10.0, dist));
  });
  return out;
}

bool easyTestVis(Single x, Single z) {
  bool visible = false;
  vbTrap("easyTestVis", [&] {
    if (ClassicView && !CamDetached) {
      visible = std::fabs(CamEye.x - x) < 4000 && std::fabs(CamEye.z - z) < 4000;
    } else if (TitleCam || CamNoCull || ClassicView) {
      visible = true;
    } else {
      const Single a = getAngle(CamEye.x, CamEye.z, x, z);
      const Single e = std::fabs(a - CamHeading);
      visible = e < 1.3f || e > 4.98f;
    }
  });
  return visible;
}

D3DVECTOR getScreenCoords(const D3DVECTOR& point) {
  D3DVECTOR out;
  vbTrap("getScreenCoords", [&] {
    D3DVIEWPORT8 viewport;
    checkHResult(device().GetViewport(viewport));
    out = myVecProject(point, viewport, MatProj, MatView, MatWorld);
  });
  return out;
}

D3DVECTOR myVecProject(const D3DVECTOR& point, const D3DVIEWPORT8& viewport, const D3DMATRIX& projection,
                       const D3DMATRIX& view, const D3DMATRIX& world) {
  D3DVECTOR out;
  vbTrap("myVecProject", [&] {
    if (!WarmedUp) return;
    D3DVECTOR projected;
    D3DXVec3Project(projected, point, viewport, projection, view, world);
    out = projected;
  });
  return out;
}
