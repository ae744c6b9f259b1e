#include "tools/contentgen/ImageFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

void put16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

char byteOf(float v) {
  return static_cast<char>(static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)));
}

}  // namespace

std::string encodeBmp(const Image& img) {
  const uint32_t w = img.width(), h = img.height();
  const uint32_t row = (w * 3 + 3) & ~3u;
  const uint32_t data = row * h;
  std::string s;
  s.reserve(54 + data);
  s += "BM";
  put32(s, 54 + data);
  put32(s, 0);
  put32(s, 54);
  put32(s, 40);      // BITMAPINFOHEADER
  put32(s, w);
  put32(s, h);       // positive: bottom-up
  put16(s, 1);
  put16(s, 24);
  put32(s, 0);       // BI_RGB
  put32(s, data);
  put32(s, 2835);    // 72 dpi
  put32(s, 2835);
  put32(s, 0);
  put32(s, 0);
  for (uint32_t y = h; y-- > 0;) {
    for (uint32_t x = 0; x < w; ++x) {
      const Rgba& p = img.at(static_cast<int>(x), static_cast<int>(y));
      s.push_back(byteOf(p.b));
      s.push_back(byteOf(p.g));
      s.push_back(byteOf(p.r));
    }
    for (uint32_t pad = w * 3; pad < row; ++pad) s.push_back(0);
  }
  return s;
}

std::string encodeDds(const Image& img) {
  const uint32_t w = img.width(), h = img.height();
  std::string s;
  s.reserve(128 + 4 * w * h);
  s += "DDS ";
  put32(s, 124);                       // header size
  put32(s, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000);   // CAPS | HEIGHT | WIDTH | PITCH | PIXELFORMAT
  put32(s, h);
  put32(s, w);
  put32(s, w * 4);                     // pitch
  put32(s, 0);                         // depth
  put32(s, 0);                         // mip count
  for (int i = 0; i < 11; ++i) put32(s, 0);
  put32(s, 32);                        // pixel format size
  put32(s, 0x40 | 0x1);                // RGB | ALPHAPIXELS
  put32(s, 0);                         // fourCC
  put32(s, 32);                        // bits per pixel
  put32(s, 0x00FF0000);
  put32(s, 0x0000FF00);
  put32(s, 0x000000FF);
  put32(s, 0xFF000000);
  put32(s, 0x1000);                    // DDSCAPS_TEXTURE
  for (int i = 0; i < 4; ++i) put32(s, 0);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const Rgba& p = img.at(static_cast<int>(x), static_cast<int>(y));
      s.push_back(byteOf(p.b));
      s.push_back(byteOf(p.g));
      s.push_back(byteOf(p.r));
      s.push_back(byteOf(p.a));
    }
  return s;
}

std::string encodeTexture(const Image& img, const std::string& name) {
  std::string ext = name.size() >= 4 ? name.substr(name.size() - 4) : "";
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".dds" ? encodeDds(img) : encodeBmp(img);
}
