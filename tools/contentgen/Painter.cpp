#include "tools/contentgen/Painter.h"

#include <algorithm>
#include <cmath>

namespace {

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Pixel range covering [lo, hi] in one axis, clipped to 0..n-1.
void span(float lo, float hi, int n, int& a, int& b) {
  a = std::max(0, static_cast<int>(std::floor(lo)));
  b = std::min(n - 1, static_cast<int>(std::ceil(hi)));
}

float segDist(float px, float py, float x0, float y0, float x1, float y1) {
  float dx = x1 - x0, dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? clamp01(((px - x0) * dx + (py - y0) * dy) / len2) : 0.0f;
  float ex = x0 + t * dx - px, ey = y0 + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

uint32_t hash3(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

float smooth(float t) { return t * t * (3 - 2 * t); }

}  // namespace

void fillRect(Image& img, float x0, float y0, float x1, float y1, Rgba c, Blend m) {
  int ax, bx, ay, by;
  span(x0, x1, img.width(), ax, bx);
  span(y0, y1, img.height(), ay, by);
  for (int y = ay; y <= by; ++y) {
    float cy = clamp01(std::min(y + 1.0f, y1) - std::max(static_cast<float>(y), y0));
    if (cy <= 0) continue;
    for (int x = ax; x <= bx; ++x) {
      float cx = clamp01(std::min(x + 1.0f, x1) - std::max(static_cast<float>(x), x0));
      img.put(x, y, c, cx * cy, m);
    }
  }
}

void fillRoundRect(Image& img, float x0, float y0, float x1, float y1, float radius, Rgba c,
                   Blend m) {
  int ax, bx, ay, by;
  span(x0, x1, img.width(), ax, bx);
  span(y0, y1, img.height(), ay, by);
  for (int y = ay; y <= by; ++y)
    for (int x = ax; x <= bx; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float qx = std::max(std::max(x0 + radius - px, px - (x1 - radius)), 0.0f);
      float qy = std::max(std::max(y0 + radius - py, py - (y1 - radius)), 0.0f);
      float d = std::sqrt(qx * qx + qy * qy) - radius;       // outside distance of the corner
      float edge = std::min(std::min(px - x0, x1 - px), std::min(py - y0, y1 - py));
      float cov = (qx > 0 && qy > 0) ? clamp01(0.5f - d) : clamp01(edge + 0.5f);
      img.put(x, y, c, cov, m);
    }
}

void fillCircle(Image& img, float cx, float cy, float r, Rgba c, Blend m) {
  fillEllipse(img, cx, cy, r, r, 0.0f, c, m);
}

void fillEllipse(Image& img, float cx, float cy, float rx, float ry, float angle, Rgba c,
                 Blend m) {
  float rmax = std::max(rx, ry) + 1;
  int ax, bx, ay, by;
  span(cx - rmax, cx + rmax, img.width(), ax, bx);
  span(cy - rmax, cy + rmax, img.height(), ay, by);
  float ca = std::cos(angle), sa = std::sin(angle);
  float rmin = std::max(std::min(rx, ry), 0.01f);
  for (int y = ay; y <= by; ++y)
    for (int x = ax; x <= bx; ++x) {
      float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      float u = dx * ca + dy * sa, v = -dx * sa + dy * ca;
      float n = std::sqrt((u * u) / (rx * rx) + (v * v) / (ry * ry));
      img.put(x, y, c, clamp01((1.0f - n) * rmin + 0.5f), m);
    }
}

void ring(Image& img, float cx, float cy, float r, float width, Rgba c, Blend m) {
  float outer = r + width / 2 + 1;
  int ax, bx, ay, by;
  span(cx - outer, cx + outer, img.width(), ax, bx);
  span(cy - outer, cy + outer, img.height(), ay, by);
  for (int y = ay; y <= by; ++y)
    for (int x = ax; x <= bx; ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      img.put(x, y, c, clamp01(width / 2 - std::fabs(d - r) + 0.5f), m);
    }
}

void glow(Image& img, float cx, float cy, float radius, Rgba c, float power, Blend m) {
  int ax, bx, ay, by;
  span(cx - radius, cx + radius, img.width(), ax, bx);
  span(cy - radius, cy + radius, img.height(), ay, by);
  for (int y = ay; y <= by; ++y)
    for (int x = ax; x <= bx; ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / radius;
      if (d < 1) img.put(x, y, c, std::pow(1 - d, power), m);
    }
}

void line(Image& img, float x0, float y0, float x1, float y1, float width, Rgba c, Blend m) {
  float h = width / 2 + 1;
  int ax, bx, ay, by;
  span(std::min(x0, x1) - h, std::max(x0, x1) + h, img.width(), ax, bx);
  span(std::min(y0, y1) - h, std::max(y0, y1) + h, img.height(), ay, by);
  for (int y = ay; y <= by; ++y)
    for (int x = ax; x <= bx; ++x) {
      float d = segDist(x + 0.5f, y + 0.5f, x0, y0, x1, y1);
      img.put(x, y, c, clamp01(width / 2 - d + 0.5f), m);
    }
}

void polyline(Image& img, const std::vector<Vec2>& pts, float width, Rgba c, Blend m) {
  for (size_t i = 1; i < pts.size(); ++i)
    line(img, pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, width, c, m);
}

void polygon(Image& img, const std::vector<Vec2>& pts, Rgba c, Blend m) {
  if (pts.size() < 3) return;
  float minx = pts[0].x, maxx = pts[0].x, miny = pts[0].y, maxy = pts[0].y;
  for (const Vec2& p : pts) {
    minx = std::min(minx, p.x);
    maxx = std::max(maxx, p.x);
    miny = std::min(miny, p.y);
    maxy = std::max(maxy, p.y);
  }
  int ax, bx, ay, by;
  span(minx, maxx, img.width(), ax, bx);
  span(miny, maxy, img.height(), ay, by);
  auto insidePoly = [&](float px, float py) {
    bool in = false;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      if ((pts[i].y > py) != (pts[j].y > py) &&
          px < (pts[j].x - pts[i].x) * (py - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x)
        in = !in;
    }
    return in;
  };
  for (int y = ay; y <= by; ++y)
    for (int x = ax; x <= bx; ++x) {
      int hits = 0;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
          if (insidePoly(x + (i + 0.5f) / 4, y + (j + 0.5f) / 4)) ++hits;
      img.put(x, y, c, hits / 16.0f, m);
    }
}

void vgradient(Image& img, int x0, int y0, int x1, int y1, Rgba top, Rgba bottom) {
  for (int y = std::max(0, y0); y < std::min(img.height(), y1); ++y) {
    float t = y1 - y0 > 1 ? static_cast<float>(y - y0) / (y1 - y0 - 1) : 0.0f;
    Rgba c = mix(top, bottom, t);
    for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x) img.at(x, y) = c;
  }
}

void spikes(Image& img, float cx, float cy, int n, float length, float width, float angle,
            Rgba c) {
  int ax, bx, ay, by;
  span(cx - length, cx + length, img.width(), ax, bx);
  span(cy - length, cy + length, img.height(), ay, by);
  for (int y = ay; y <= by; ++y)
    for (int x = ax; x <= bx; ++x) {
      float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      float d = std::hypot(dx, dy);
      if (d >= length) continue;
      float a = std::atan2(dy, dx) - angle;
      float sector = 6.2831853f / n;
      float off = std::fabs(std::remainder(a, sector));   // angle to the nearest spike
      float across = d * std::sin(off);                  // pixels off the spike's axis
      float halfw = width * (1 - d / length) / 2 + 0.35f;
      float k = clamp01(halfw - across + 0.5f) * std::pow(1 - d / length, 1.5f);
      img.put(x, y, c, k, Blend::Add);
    }
}

float valueNoise(float x, float y, uint32_t seed, int period) {
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  float fx = smooth(x - xi), fy = smooth(y - yi);
  auto v = [&](int i, int j) {
    if (period > 0) {
      i = ((i % period) + period) % period;
      j = ((j % period) + period) % period;
    }
    return (hash3(i, j, seed) & 0xFFFFFF) / 16777215.0f;
  };
  float a = v(xi, yi), b = v(xi + 1, yi), c = v(xi, yi + 1), d = v(xi + 1, yi + 1);
  return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy;
}

float fbm(float x, float y, uint32_t seed, int octaves, int period) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * valueNoise(x, y, seed + o * 101u, period);
    norm += amp;
    x *= 2;
    y *= 2;
    if (period > 0) period *= 2;
    amp *= 0.5f;
  }
  return sum / norm;
}
