// The uppermost surface of a model as it is drawn, seen from straight above: for tests that stand
// something on a model (a ship on a pad's deck) by its geometry rather than by its box. Positions
// are drawing space (x across, y up, z depth), a flat triangle list of three per triangle.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

// Height of the uppermost triangle over the ground point (x, z); -1e9 where none covers it.
inline double modelTopAt(const std::vector<std::array<float, 3>>& tris, double x, double z) {
  double top = -1e9;
  for (size_t i = 0; i + 2 < tris.size(); i += 3) {
    const auto &a = tris[i], &b = tris[i + 1], &c = tris[i + 2];
    const double d = (b[0] - a[0]) * (c[2] - a[2]) - (c[0] - a[0]) * (b[2] - a[2]);
    if (std::fabs(d) < 1e-9) continue;  // seen edge-on from above
    const double u = ((x - a[0]) * (c[2] - a[2]) - (c[0] - a[0]) * (z - a[2])) / d;
    const double v = ((b[0] - a[0]) * (z - a[2]) - (x - a[0]) * (b[2] - a[2])) / d;
    if (u < 0 || v < 0 || u + v > 1) continue;
    top = std::max(top, a[1] + u * (b[1] - a[1]) + v * (c[1] - a[1]));
  }
  return top;
}
