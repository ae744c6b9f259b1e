#include "tools/contentgen/Mesh.h"

#include <cmath>

Vec3 normalised(Vec3 a) {
  float l = length(a);
  return l > 1e-9f ? a * (1.0f / l) : Vec3{0, 1, 0};
}

Vec3 Xform::rotate(Vec3 v) const {
  return {r[0] * v.x + r[1] * v.y + r[2] * v.z, r[3] * v.x + r[4] * v.y + r[5] * v.z,
          r[6] * v.x + r[7] * v.y + r[8] * v.z};
}

Vec3 Xform::apply(Vec3 p) const { return rotate(p) + t; }

Xform Xform::operator*(const Xform& o) const {
  Xform x;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      x.r[i * 3 + j] = r[i * 3] * o.r[j] + r[i * 3 + 1] * o.r[3 + j] + r[i * 3 + 2] * o.r[6 + j];
  x.t = rotate(o.t) + t;
  return x;
}

Xform translate(Vec3 t) {
  Xform x;
  x.t = t;
  return x;
}

Xform scaleXform(Vec3 s) {
  Xform x;
  x.r = {s.x, 0, 0, 0, s.y, 0, 0, 0, s.z};
  return x;
}

Xform pitch(float a) {
  Xform x;
  float c = std::cos(a), s = std::sin(a);
  x.r = {1, 0, 0, 0, c, s, 0, -s, c};
  return x;
}

Xform roll(float a) {
  Xform x;
  float c = std::cos(a), s = std::sin(a);
  x.r = {c, -s, 0, s, c, 0, 0, 0, 1};
  return x;
}

Xform yaw(float a) {
  Xform x;
  float c = std::cos(a), s = std::sin(a);
  x.r = {c, 0, s, 0, 1, 0, -s, 0, c};
  return x;
}

int Mesh::vertex(Vec3 p, float uPix, float vPix) {
  pos.push_back(p);
  uv.push_back({uPix / skinW_, vPix / skinH_});
  part.push_back(currentPart);
  return static_cast<int>(pos.size()) - 1;
}

void Mesh::orientFrom(size_t firstTri, Vec3 centre) {
  for (size_t i = firstTri; i < tris.size(); ++i) {
    auto& t = tris[i];
    Vec3 a = pos[t[0]], b = pos[t[1]], c = pos[t[2]];
    Vec3 n = cross(b - a, c - a);
    Vec3 mid = (a + b + c) * (1.0f / 3.0f);
    if (dot(n, mid - centre) < 0) std::swap(t[1], t[2]);
  }
}

void Mesh::transform(const Xform& x, size_t firstVertex) {
  for (size_t i = firstVertex; i < pos.size(); ++i) pos[i] = x.apply(pos[i]);
}

void Mesh::append(const Mesh& o) {
  int base = static_cast<int>(pos.size());
  for (size_t i = 0; i < o.pos.size(); ++i) {
    pos.push_back(o.pos[i]);
    uv.push_back(o.uv[i]);
    part.push_back(o.part[i]);
  }
  for (const auto& t : o.tris) tris.push_back({t[0] + base, t[1] + base, t[2] + base});
}

void Mesh::setPart(int p, size_t firstVertex) {
  for (size_t i = firstVertex; i < part.size(); ++i) part[i] = p;
}

void Mesh::box(Vec3 lo, Vec3 hi, UvRect uv) { box(lo, hi, {uv, uv, uv, uv, uv, uv}); }

void Mesh::box(Vec3 lo, Vec3 hi, const std::array<UvRect, 6>& f) {
  size_t t0 = tris.size();
  // Each face: four corners in order (u0,v0) (u1,v0) (u1,v1) (u0,v1), "up" of the picture
  // along +y for side faces and along +z for the top and bottom.
  const Vec3 c[6][4] = {
      {{hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z}},  // +x
      {{lo.x, hi.y, hi.z}, {lo.x, hi.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}},  // -x
      {{lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}},  // +y
      {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}},  // -y
      {{hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}},  // +z
      {{lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}},  // -z
  };
  for (int i = 0; i < 6; ++i) {
    int a = vertex(c[i][0], f[i].u0, f[i].v0);
    int b = vertex(c[i][1], f[i].u1, f[i].v0);
    int d = vertex(c[i][2], f[i].u1, f[i].v1);
    int e = vertex(c[i][3], f[i].u0, f[i].v1);
    tri(a, b, d);
    tri(a, d, e);
  }
  orientFrom(t0, (lo + hi) * 0.5f);
}

void Mesh::taperBox(float y0, float y1, float w0, float d0, float w1, float d1, UvRect uv, Vec3 at) {
  size_t v0 = pos.size(), t0 = tris.size();
  box({-0.5f, y0, -0.5f}, {0.5f, y1, 0.5f}, uv);
  for (size_t i = v0; i < pos.size(); ++i) {
    float t = (y1 != y0) ? (pos[i].y - y0) / (y1 - y0) : 0.0f;
    pos[i].x *= w0 + (w1 - w0) * t;
    pos[i].z *= d0 + (d1 - d0) * t;
    pos[i] = pos[i] + at;
  }
  orientFrom(t0, Vec3{0, (y0 + y1) / 2, 0} + at);
}

void Mesh::cylinder(Vec3 a, Vec3 b, float ra, float rb, int n, UvRect uv) {
  size_t t0 = tris.size();
  Vec3 axis = normalised(b - a);
  Vec3 side = std::fabs(axis.y) < 0.9f ? normalised(cross(axis, {0, 1, 0})) : Vec3{1, 0, 0};
  Vec3 up = cross(side, axis);
  std::vector<int> ringA, ringB;
  for (int i = 0; i <= n; ++i) {
    float ang = 6.2831853f * i / n;
    Vec3 dir = side * std::cos(ang) + up * std::sin(ang);
    float u = uv.u0 + (uv.u1 - uv.u0) * i / n;
    ringA.push_back(vertex(a + dir * ra, u, uv.v1));
    ringB.push_back(vertex(b + dir * rb, u, uv.v0));
  }
  for (int i = 0; i < n; ++i) {
    tri(ringA[i], ringB[i], ringB[i + 1]);
    tri(ringA[i], ringB[i + 1], ringA[i + 1]);
  }
  orientFrom(t0, (a + b) * 0.5f);
  size_t t1 = tris.size();
  float cu = (uv.u0 + uv.u1) / 2, cv = (uv.v0 + uv.v1) / 2;
  int ca = vertex(a, cu, cv), cb = vertex(b, cu, cv);
  for (int i = 0; i < n; ++i) {
    float ang0 = 6.2831853f * i / n, ang1 = 6.2831853f * (i + 1) / n;
    Vec3 d0 = side * std::cos(ang0) + up * std::sin(ang0);
    Vec3 d1 = side * std::cos(ang1) + up * std::sin(ang1);
    float ru = (uv.u1 - uv.u0) / 2, rv = (uv.v1 - uv.v0) / 2;
    if (ra > 0.01f) {
      int p = vertex(a + d0 * ra, cu + ru * std::cos(ang0), cv + rv * std::sin(ang0));
      int q = vertex(a + d1 * ra, cu + ru * std::cos(ang1), cv + rv * std::sin(ang1));
      tri(ca, p, q);
    }
    if (rb > 0.01f) {
      int p = vertex(b + d0 * rb, cu + ru * std::cos(ang0), cv + rv * std::sin(ang0));
      int q = vertex(b + d1 * rb, cu + ru * std::cos(ang1), cv + rv * std::sin(ang1));
      tri(cb, p, q);
    }
  }
  // Caps face along the axis.
  for (size_t i = t1; i < tris.size(); ++i) {
    auto& t = tris[i];
    Vec3 nrm = cross(pos[t[1]] - pos[t[0]], pos[t[2]] - pos[t[0]]);
    bool atB = t[0] == cb;
    if ((dot(nrm, axis) < 0) == atB) std::swap(t[1], t[2]);
  }
}

void Mesh::sphere(Vec3 c, Vec3 r, int n, int m, UvRect uv) {
  size_t t0 = tris.size();
  std::vector<std::vector<int>> rings;
  for (int j = 0; j <= m; ++j) {
    float lat = 3.14159265f * j / m;   // 0 top .. pi bottom
    std::vector<int> ring;
    for (int i = 0; i <= n; ++i) {
      float lon = 6.2831853f * i / n;
      Vec3 p{std::sin(lat) * std::sin(lon) * r.x, std::cos(lat) * r.y, std::sin(lat) * std::cos(lon) * r.z};
      ring.push_back(vertex(c + p, uv.u0 + (uv.u1 - uv.u0) * i / n, uv.v0 + (uv.v1 - uv.v0) * j / m));
    }
    rings.push_back(ring);
  }
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < n; ++i) {
      if (j > 0) tri(rings[j][i], rings[j][i + 1], rings[j + 1][i + 1]);
      if (j < m - 1) tri(rings[j][i], rings[j + 1][i + 1], rings[j + 1][i]);
    }
  orientFrom(t0, c);
}

void Mesh::loft(const std::vector<Station>& st, float chamfer, UvRect uv) {
  const int kSides = 8;
  auto ringPoint = [&](const Station& s, int k) -> Vec3 {
    float w = s.halfWidth, lo = s.bottom, hi = s.top;
    float cw = w * chamfer, ch = (hi - lo) * chamfer * 0.5f;
    const Vec3 pts[kSides] = {{-w + cw, hi, s.z}, {w - cw, hi, s.z}, {w, hi - ch, s.z},
                              {w, lo + ch, s.z},  {w - cw, lo, s.z}, {-w + cw, lo, s.z},
                              {-w, lo + ch, s.z}, {-w, hi - ch, s.z}};
    return pts[k % kSides];
  };
  float zmin = st.front().z, zmax = st.back().z;
  std::vector<std::vector<int>> rings;
  for (const Station& s : st) {
    std::vector<int> ring;
    float v = uv.v1 - (uv.v1 - uv.v0) * (s.z - zmin) / (zmax - zmin);
    for (int k = 0; k <= kSides; ++k)
      ring.push_back(vertex(ringPoint(s, k), uv.u0 + (uv.u1 - uv.u0) * k / kSides, v));
    rings.push_back(ring);
  }
  for (size_t j = 0; j + 1 < rings.size(); ++j) {
    size_t tj = tris.size();
    for (int k = 0; k < kSides; ++k) {
      tri(rings[j][k], rings[j + 1][k], rings[j + 1][k + 1]);
      tri(rings[j][k], rings[j + 1][k + 1], rings[j][k + 1]);
    }
    const Station &a = st[j], &b = st[j + 1];
    orientFrom(tj, {0, (a.bottom + a.top + b.bottom + b.top) / 4, (a.z + b.z) / 2});
  }
  // End caps: fans around the ring's centre, facing -z at the tail and +z at the nose.
  for (int end = 0; end < 2; ++end) {
    const Station& s = end ? st.back() : st.front();
    size_t tc = tris.size();
    float cv = end ? uv.v0 : uv.v1;
    int centre = vertex({0, (s.bottom + s.top) / 2, s.z}, (uv.u0 + uv.u1) / 2, cv);
    std::vector<int> ring;
    for (int k = 0; k <= kSides; ++k)
      ring.push_back(vertex(ringPoint(s, k), uv.u0 + (uv.u1 - uv.u0) * k / kSides, cv));
    for (int k = 0; k < kSides; ++k) tri(centre, ring[k], ring[k + 1]);
    Vec3 out{0, 0, end ? 1.0f : -1.0f};
    for (size_t i = tc; i < tris.size(); ++i) {
      auto& t = tris[i];
      if (dot(cross(pos[t[1]] - pos[t[0]], pos[t[2]] - pos[t[0]]), out) < 0) std::swap(t[1], t[2]);
    }
  }
}

void Mesh::quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, UvRect uv) {
  int ia = vertex(a, uv.u0, uv.v0), ib = vertex(b, uv.u1, uv.v0);
  int ic = vertex(c, uv.u1, uv.v1), id = vertex(d, uv.u0, uv.v1);
  tri(ia, ib, ic);
  tri(ia, ic, id);
}
