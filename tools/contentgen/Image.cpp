#include "tools/contentgen/Image.h"

#include <algorithm>

Rgba mix(Rgba a, Rgba b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Rgba scaled(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

Image::Image(int w, int h, Rgba fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}

void Image::put(int x, int y, Rgba c, float k, Blend mode) {
  if (!inside(x, y) || k <= 0.0f) return;
  k = std::min(k, 1.0f);
  Rgba& d = at(x, y);
  switch (mode) {
    case Blend::Over: {
      float s = c.a * k;
      d.r += (c.r - d.r) * s;
      d.g += (c.g - d.g) * s;
      d.b += (c.b - d.b) * s;
      d.a = s + d.a * (1.0f - s);
      break;
    }
    case Blend::Add: {
      float s = c.a * k;
      d.r += c.r * s;
      d.g += c.g * s;
      d.b += c.b * s;
      d.a = std::max(d.a, s);
      break;
    }
    case Blend::Max:
      d.r = std::max(d.r, c.r * k);
      d.g = std::max(d.g, c.g * k);
      d.b = std::max(d.b, c.b * k);
      d.a = std::max(d.a, c.a * k);
      break;
    case Blend::Replace:
      d = mix(d, c, k);
      break;
  }
}

void Image::fill(Rgba c) { std::fill(px_.begin(), px_.end(), c); }

void Image::draw(const Image& src, int x, int y, Blend mode) {
  for (int j = 0; j < src.height(); ++j)
    for (int i = 0; i < src.width(); ++i) put(x + i, y + j, src.at(i, j), 1.0f, mode);
}

Image Image::crop(int x, int y, int w, int h) const {
  Image out(w, h, {0, 0, 0, 0});
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (inside(x + i, y + j)) out.at(i, j) = at(x + i, y + j);
  return out;
}

Image Image::downsample(int factor) const {
  Image out(w_ / factor, h_ / factor);
  float n = static_cast<float>(factor * factor);
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x) {
      Rgba s{0, 0, 0, 0};
      for (int j = 0; j < factor; ++j)
        for (int i = 0; i < factor; ++i) {
          const Rgba& p = at(x * factor + i, y * factor + j);
          s.r += p.r;
          s.g += p.g;
          s.b += p.b;
          s.a += p.a;
        }
      out.at(x, y) = {s.r / n, s.g / n, s.b / n, s.a / n};
    }
  return out;
}

void Image::clamp() {
  for (Rgba& p : px_) {
    p.r = std::clamp(p.r, 0.0f, 1.0f);
    p.g = std::clamp(p.g, 0.0f, 1.0f);
    p.b = std::clamp(p.b, 0.0f, 1.0f);
    p.a = std::clamp(p.a, 0.0f, 1.0f);
  }
}
