#include "tools/contentgen/Rasteriser.h"

#include <algorithm>
#include <cmath>

Rasteriser::Rasteriser(Image& target)
    : target_(target), depth_(static_cast<size_t>(target.width()) * target.height(), 1e30f) {}

void Rasteriser::draw(const Mesh& mesh, const Image* tex, Rgba tint, const Xform& view, float scale,
                      Vec2 centre, float alpha) {
  const Vec3 light = normalised({-0.4f, 0.7f, -0.6f});   // toward the light, in view space
  std::vector<Vec3> v(mesh.pos.size());
  for (size_t i = 0; i < v.size(); ++i) v[i] = view.apply(mesh.pos[i]);
  for (const auto& t : mesh.tris) {
    Vec3 a = v[t[0]], b = v[t[1]], c = v[t[2]];
    Vec3 n = cross(b - a, c - a);
    if (n.z >= 0) continue;   // facing away
    float shade = 0.35f + 0.65f * std::max(0.0f, dot(normalised(n), light));
    Vec2 p[3];
    const Vec3* q[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) p[k] = {centre.x + q[k]->x * scale, centre.y - q[k]->y * scale};
    float minx = std::min({p[0].x, p[1].x, p[2].x}), maxx = std::max({p[0].x, p[1].x, p[2].x});
    float miny = std::min({p[0].y, p[1].y, p[2].y}), maxy = std::max({p[0].y, p[1].y, p[2].y});
    int x0 = std::max(0, static_cast<int>(std::floor(minx))), x1 = std::min(target_.width() - 1, static_cast<int>(std::ceil(maxx)));
    int y0 = std::max(0, static_cast<int>(std::floor(miny))), y1 = std::min(target_.height() - 1, static_cast<int>(std::ceil(maxy)));
    float area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (std::fabs(area) < 1e-6f) continue;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        float px = x + 0.5f, py = y + 0.5f;
        float w0 = ((p[1].x - px) * (p[2].y - py) - (p[2].x - px) * (p[1].y - py)) / area;
        float w1 = ((p[2].x - px) * (p[0].y - py) - (p[0].x - px) * (p[2].y - py)) / area;
        float w2 = 1 - w0 - w1;
        if (w0 < 0 || w1 < 0 || w2 < 0) continue;
        float z = w0 * a.z + w1 * b.z + w2 * c.z;
        float& d = depth_[static_cast<size_t>(y) * target_.width() + x];
        if (z >= d) continue;
        d = z;
        Rgba col = tint;
        if (tex) {
          float u = w0 * mesh.uv[t[0]].x + w1 * mesh.uv[t[1]].x + w2 * mesh.uv[t[2]].x;
          float vv = w0 * mesh.uv[t[0]].y + w1 * mesh.uv[t[1]].y + w2 * mesh.uv[t[2]].y;
          int tx = std::clamp(static_cast<int>(u * tex->width()), 0, tex->width() - 1);
          int ty = std::clamp(static_cast<int>(vv * tex->height()), 0, tex->height() - 1);
          const Rgba& s = tex->at(tx, ty);
          col = {s.r * tint.r, s.g * tint.g, s.b * tint.b, 1};
        }
        col = scaled(col, shade);
        col.a = alpha;
        target_.put(x, y, col, 1.0f, Blend::Over);
      }
  }
}

void viewBounds(const Mesh& mesh, const Xform& view, float& minX, float& maxX, float& minY, float& maxY) {
  minX = minY = 1e30f;
  maxX = maxY = -1e30f;
  for (const Vec3& p : mesh.pos) {
    Vec3 q = view.apply(p);
    minX = std::min(minX, q.x);
    maxX = std::max(maxX, q.x);
    minY = std::min(minY, q.y);
    maxY = std::max(maxY, q.y);
  }
}
