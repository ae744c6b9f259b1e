#include "MediaReaders.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace content {

namespace {
uint32_t u32(const std::string& b, size_t o) {
  return static_cast<uint8_t>(b[o]) | static_cast<uint8_t>(b[o + 1]) << 8 | static_cast<uint8_t>(b[o + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[o + 3])) << 24;
}
int32_t i32(const std::string& b, size_t o) { return static_cast<int32_t>(u32(b, o)); }
uint16_t u16(const std::string& b, size_t o) { return static_cast<uint16_t>(static_cast<uint8_t>(b[o]) | static_cast<uint8_t>(b[o + 1]) << 8); }
float f32(const std::string& b, size_t o) {
  uint32_t u = u32(b, o);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
bool pow2(int v) { return v > 0 && (v & (v - 1)) == 0; }
}  // namespace

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string gamePath(const std::string& rel) { return std::string(QV_TEST_GAME_DIR) + "/" + rel; }

std::vector<std::string> manifest() {
  std::vector<std::string> out;
  std::istringstream in(readFile(gamePath("contentgen.manifest")));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) out.push_back(line);
  return out;
}

std::string parseBmp(const std::string& b, Picture& out) {
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0) return "not a BMP";
  if (u32(b, 2) != b.size()) return "file size field differs from the file";
  int w = i32(b, 18), h = i32(b, 22);
  if (!pow2(w) || !pow2(h)) return "size not a power of two";
  if (u16(b, 28) != 24 || u32(b, 30) != 0) return "not 24-bit uncompressed";
  size_t row = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3}, off = u32(b, 10);
  if (off + row * h != b.size()) return "pixel data size wrong";
  out.width = w;
  out.height = h;
  out.alpha = false;
  out.px.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      size_t s = off + static_cast<size_t>(h - 1 - y) * row + x * 3;
      out.px[static_cast<size_t>(y) * w + x] = {static_cast<uint8_t>(b[s + 2]), static_cast<uint8_t>(b[s + 1]), static_cast<uint8_t>(b[s]), 255};
    }
  return "";
}

std::string parseDds(const std::string& b, Picture& out) {
  if (b.size() < 128 || b.compare(0, 4, "DDS ") != 0 || u32(b, 4) != 124) return "not a DDS";
  int h = static_cast<int>(u32(b, 12)), w = static_cast<int>(u32(b, 16));
  if (!pow2(w) || !pow2(h)) return "size not a power of two";
  if (u32(b, 76) != 32 || (u32(b, 80) & 0x41) != 0x41 || u32(b, 88) != 32) return "not A8R8G8B8";
  if (u32(b, 92) != 0x00FF0000 || u32(b, 96) != 0x0000FF00 || u32(b, 100) != 0xFF || u32(b, 104) != 0xFF000000)
    return "channel masks not A8R8G8B8";
  if (b.size() != 128 + static_cast<size_t>(w) * h * 4) return "pixel data size wrong";
  out.width = w;
  out.height = h;
  out.alpha = true;
  out.px.resize(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < out.px.size(); ++i) {
    size_t s = 128 + i * 4;
    out.px[i] = {static_cast<uint8_t>(b[s + 2]), static_cast<uint8_t>(b[s + 1]), static_cast<uint8_t>(b[s]), static_cast<uint8_t>(b[s + 3])};
  }
  return "";
}

std::string parseMd2(const std::string& b, Md2& m) {
  if (b.size() < 68 || b.compare(0, 4, "IDP2") != 0 || i32(b, 4) != 8) return "bad ident or version";
  m.skinWidth = i32(b, 8);
  m.skinHeight = i32(b, 12);
  if (m.skinWidth <= 0 || m.skinHeight <= 0) return "skin size not positive";
  int frameSize = i32(b, 16), nv = i32(b, 24), nst = i32(b, 28), ntri = i32(b, 32), nf = i32(b, 40);
  int ofsSt = i32(b, 48), ofsTri = i32(b, 52), ofsFrames = i32(b, 56);
  if (nv <= 0 || nst <= 0 || ntri <= 0 || nf <= 0) return "empty counts";
  if (frameSize != 40 + 4 * nv) return "frame size is not 40 + 4 x vertices";
  auto fits = [&](int64_t ofs, int64_t len) { return ofs >= 68 && ofs + len <= static_cast<int64_t>(b.size()); };
  if (!fits(ofsSt, 4LL * nst) || !fits(ofsTri, 12LL * ntri) || !fits(ofsFrames, static_cast<int64_t>(frameSize) * nf))
    return "a table lies outside the file";
  for (int i = 0; i < nst; ++i) {
    int s = static_cast<int16_t>(u16(b, ofsSt + 4 * i)), t = static_cast<int16_t>(u16(b, ofsSt + 4 * i + 2));
    if (s < 0 || s > m.skinWidth || t < 0 || t > m.skinHeight) return "texture coordinate outside the skin";
  }
  m.vertices = nv;
  m.frames = nf;
  m.tris.clear();
  for (int i = 0; i < ntri; ++i) {
    std::array<int, 3> v{};
    for (int k = 0; k < 3; ++k) {
      v[k] = static_cast<int16_t>(u16(b, ofsTri + 12 * i + 2 * k));
      int st = static_cast<int16_t>(u16(b, ofsTri + 12 * i + 6 + 2 * k));
      if (v[k] < 0 || v[k] >= nv || st < 0 || st >= nst) return "triangle index out of range";
    }
    m.tris.push_back(v);
  }
  m.pos.assign(nf, {});
  m.frameNames.clear();
  for (int f = 0; f < nf; ++f) {
    size_t o = ofsFrames + static_cast<size_t>(f) * frameSize;
    float sc[3], tr[3];
    for (int k = 0; k < 3; ++k) {
      sc[k] = f32(b, o + 4 * k);
      tr[k] = f32(b, o + 12 + 4 * k);
    }
    m.frameNames.push_back(std::string(b.data() + o + 24, strnlen(b.data() + o + 24, 16)));
    for (int i = 0; i < nv; ++i) {
      size_t p = o + 40 + 4 * static_cast<size_t>(i);
      if (static_cast<uint8_t>(b[p + 3]) >= 162) return "normal index beyond the table";
      float fx = static_cast<uint8_t>(b[p]) * sc[0] + tr[0], fy = static_cast<uint8_t>(b[p + 1]) * sc[1] + tr[1],
            fz = static_cast<uint8_t>(b[p + 2]) * sc[2] + tr[2];
      m.pos[f].push_back({fx, fz, fy});   // the loader exchanges file y and z
    }
  }
  return "";
}

double signedVolume(const Md2& m, int f) {
  double v = 0;
  for (const auto& t : m.tris) {
    const auto &a = m.pos[f][t[0]], &b = m.pos[f][t[1]], &c = m.pos[f][t[2]];
    v += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0]);
  }
  return v / 6;
}

std::string parseWav(const std::string& b, Wav& w) {
  if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 8, "WAVEfmt ") != 0) return "not RIFF WAVE";
  if (u32(b, 4) + 8 != b.size()) return "RIFF size differs from the file";
  if (u16(b, 20) != 1) return "not PCM";
  w.channels = u16(b, 22);
  w.rate = static_cast<int>(u32(b, 24));
  w.bits = u16(b, 34);
  if (b.compare(36, 4, "data") != 0) return "no data chunk";
  uint32_t n = u32(b, 40);
  if (44 + static_cast<size_t>(n) != b.size() || n == 0 || n % 2) return "data size wrong";
  w.samples.resize(n / 2);
  for (size_t i = 0; i < w.samples.size(); ++i) w.samples[i] = static_cast<int16_t>(u16(b, 44 + 2 * i));
  return "";
}

}  // namespace content
