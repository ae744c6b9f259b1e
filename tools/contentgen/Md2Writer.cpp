#include "tools/contentgen/Md2Writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <tuple>

#include "tools/contentgen/Md2Normals.h"

namespace {

void put16(std::string& s, int v) {
  uint16_t u = static_cast<uint16_t>(static_cast<int16_t>(v));
  s.push_back(static_cast<char>(u & 0xFF));
  s.push_back(static_cast<char>(u >> 8));
}

void put32(std::string& s, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

void putFloat(std::string& s, float f) {
  uint32_t u;
  static_assert(sizeof u == sizeof f);
  std::memcpy(&u, &f, sizeof u);
  put32(s, static_cast<int32_t>(u));
}

// Vertex normals of one frame: the area-weighted face normals of each vertex's triangles.
std::vector<Vec3> vertexNormals(const std::vector<Vec3>& pos, const std::vector<std::array<int, 3>>& tris) {
  std::vector<Vec3> n(pos.size());
  for (const auto& t : tris) {
    Vec3 f = cross(pos[t[1]] - pos[t[0]], pos[t[2]] - pos[t[0]]);
    for (int k : t) n[k] = n[k] + f;
  }
  for (Vec3& v : n) v = normalised(v);
  return n;
}

using Key = std::tuple<long, long, long>;
Key keyOf(Vec3 p) {
  return {std::lround(p.x * 100), std::lround(p.y * 100), std::lround(p.z * 100)};
}

}  // namespace

Md2Model staticModel(const Mesh& mesh, const std::string& frameName) {
  Md2Model m;
  m.skinWidth = mesh.skinWidth();
  m.skinHeight = mesh.skinHeight();
  m.uv = mesh.uv;
  m.tris = mesh.tris;
  m.frames.push_back({frameName, mesh.pos});
  return m;
}

Md2Model outlineOf(const Md2Model& m, float thickness) {
  Md2Model o = m;
  for (auto& t : o.tris) std::swap(t[1], t[2]);
  for (size_t f = 0; f < m.frames.size(); ++f) {
    const std::vector<Vec3>& pos = m.frames[f].pos;
    std::vector<Vec3> n = vertexNormals(pos, m.tris);
    std::map<Key, Vec3> sum;
    for (size_t i = 0; i < pos.size(); ++i) sum[keyOf(pos[i])] = sum[keyOf(pos[i])] + n[i];
    for (size_t i = 0; i < pos.size(); ++i)
      o.frames[f].pos[i] = pos[i] + normalised(sum[keyOf(pos[i])]) * thickness;
  }
  return o;
}

std::string encodeMd2(const Md2Model& m) {
  if (m.skinWidth <= 0 || m.skinHeight <= 0) throw std::runtime_error("MD2 skin size must be positive");
  if (m.frames.empty()) throw std::runtime_error("MD2 needs at least one frame");
  const size_t nv = m.frames[0].pos.size();
  if (nv == 0 || nv > 32767 || m.tris.size() > 32767) throw std::runtime_error("MD2 size out of range");
  for (const Md2Frame& f : m.frames)
    if (f.pos.size() != nv) throw std::runtime_error("MD2 frames differ in vertex count");

  // Texture coordinates, shared where equal.
  std::map<std::pair<int, int>, int> stIndex;
  std::vector<std::pair<int, int>> st;
  std::vector<int> vertSt(nv);
  for (size_t i = 0; i < nv; ++i) {
    std::pair<int, int> c{static_cast<int>(std::lround(m.uv[i].x * m.skinWidth)),
                          static_cast<int>(std::lround(m.uv[i].y * m.skinHeight))};
    auto it = stIndex.find(c);
    if (it == stIndex.end()) {
      it = stIndex.emplace(c, static_cast<int>(st.size())).first;
      st.push_back(c);
    }
    vertSt[i] = it->second;
  }

  const int32_t frameSize = 40 + 4 * static_cast<int32_t>(nv);
  const int32_t ofsSt = 68;
  const int32_t ofsTris = ofsSt + 4 * static_cast<int32_t>(st.size());
  const int32_t ofsFrames = ofsTris + 12 * static_cast<int32_t>(m.tris.size());
  const int32_t ofsEnd = ofsFrames + frameSize * static_cast<int32_t>(m.frames.size());

  std::string s;
  s.reserve(ofsEnd);
  s += "IDP2";
  put32(s, 8);
  put32(s, m.skinWidth);
  put32(s, m.skinHeight);
  put32(s, frameSize);
  put32(s, 0);                                   // skins
  put32(s, static_cast<int32_t>(nv));
  put32(s, static_cast<int32_t>(st.size()));
  put32(s, static_cast<int32_t>(m.tris.size()));
  put32(s, 0);                                   // GL commands
  put32(s, static_cast<int32_t>(m.frames.size()));
  put32(s, ofsSt);                               // skins offset (none)
  put32(s, ofsSt);
  put32(s, ofsTris);
  put32(s, ofsFrames);
  put32(s, ofsEnd);                              // GL commands offset (none)
  put32(s, ofsEnd);
  for (const auto& c : st) {
    put16(s, c.first);
    put16(s, c.second);
  }
  for (const auto& t : m.tris) {
    for (int k : t) put16(s, k);
    for (int k : t) put16(s, vertSt[k]);
  }
  for (const Md2Frame& f : m.frames) {
    // File axes: x, drawing z, drawing y.
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    for (const Vec3& p : f.pos) {
      const float v[3] = {p.x, p.z, p.y};
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], v[k]);
        hi[k] = std::max(hi[k], v[k]);
      }
    }
    float scale[3];
    for (int k = 0; k < 3; ++k) scale[k] = hi[k] > lo[k] ? (hi[k] - lo[k]) / 255.0f : 1.0f;
    for (int k = 0; k < 3; ++k) putFloat(s, scale[k]);
    for (int k = 0; k < 3; ++k) putFloat(s, lo[k]);
    char name[16] = {};
    std::copy_n(f.name.begin(), std::min<size_t>(f.name.size(), 15), name);
    s.append(name, 16);
    std::vector<Vec3> n = vertexNormals(f.pos, m.tris);
    for (size_t i = 0; i < nv; ++i) {
      const Vec3& p = f.pos[i];
      const float v[3] = {p.x, p.z, p.y};
      for (int k = 0; k < 3; ++k)
        s.push_back(static_cast<char>(std::clamp<long>(std::lround((v[k] - lo[k]) / scale[k]), 0, 255)));
      s.push_back(static_cast<char>(nearestMd2Normal(n[i].x, n[i].z, n[i].y)));  // file axes, as the position
    }
  }
  return s;
}
