// RGBA float image that the texture painters draw into, and the colour type they share.
// Channels are 0..1; alpha is opacity for DDS files and ignored by the BMP writer.
// Pixel (x, y): x to the right, y downward, pixel centres at (x + 0.5, y + 0.5).
#pragma once
#include <cstddef>
#include <vector>

struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
};

// 0..255 components, the way colours are written everywhere else in the game.
inline Rgba rgb(int r, int g, int b, float a = 1.0f) {
  return {r / 255.0f, g / 255.0f, b / 255.0f, a};
}
Rgba mix(Rgba a, Rgba b, float t);     // a + (b - a) t on all four channels
Rgba scaled(Rgba c, float k);          // rgb times k, alpha kept

enum class Blend { Over, Add, Max, Replace };

class Image {
 public:
  Image() = default;
  Image(int w, int h, Rgba fill = {0, 0, 0, 1});
  int width() const { return w_; }
  int height() const { return h_; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  Rgba& at(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
  const Rgba& at(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
  // Puts colour c at (x, y) with weight k (0..1) in the given mode; outside pixels are ignored.
  //   Over: source-over with opacity c.a * k; Add: rgb += c.rgb * c.a * k, alpha = max;
  //   Max: per-channel maximum of the weighted colour; Replace: lerp to c by k.
  void put(int x, int y, Rgba c, float k, Blend mode = Blend::Over);
  void fill(Rgba c);
  // Copies src with its top-left corner at (x, y) in the given mode (k = 1).
  void draw(const Image& src, int x, int y, Blend mode = Blend::Over);
  Image crop(int x, int y, int w, int h) const;
  // Box-filtered downscale by an integer factor (supersampled painting).
  Image downsample(int factor) const;
  // Clamps every channel into 0..1.
  void clamp();

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgba> px_;
};
