#include "MediaReaders.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "engine/CMD2.h"
#include "engine/modDirectX.h"
#include "platform/Direct3D.h"
#include "platform/ImageFile.h"
#include "platform/Window.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"

namespace content {

namespace {
uint32_t u32(const std::string& b, size_t o) {
  return static_cast<uint8_t>(b[o]) | static_cast<uint8_t>(b[o + 1]) << 8 | static_cast<uint8_t>(b[o + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[o + 3])) << 24;
}
int32_t i32(const std::string& b, size_t o) { return static_cast<int32_t>(u32(b, o)); }
uint16_t u16(const std::string& b, size_t o) { return static_cast<uint16_t>(static_cast<uint8_t>(b[o]) | static_cast<uint8_t>(b[o + 1]) << 8); }
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

namespace {
// The pixels of a picture as the game's texture loader decodes them.
std::string decodeWithTheGame(const std::string& b, bool wantAlpha, Picture& out) {
  DecodedImage image;
  std::string error;
  if (FAILED(decodeImage(reinterpret_cast<const uint8_t*>(b.data()), b.size(), image, error))) return error;
  if (image.hasAlpha != wantAlpha) return wantAlpha ? "the loader finds no alpha" : "the loader finds alpha";
  out.width = image.width;
  out.height = image.height;
  out.alpha = image.hasAlpha;
  out.px.resize(image.argb.size());
  for (size_t i = 0; i < image.argb.size(); ++i) {
    const uint32_t c = image.argb[i];
    out.px[i] = {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
                 static_cast<uint8_t>(c >> 24)};
  }
  return "";
}

// One recording device for every model load of the test program, on the game's globals.
void ensureModelDevice() {
  // Kept to the end of the program and never destroyed: windows must not go during static
  // destruction.
  static GameWindow* window = nullptr;
  if (D3DDevice) return;
  setDeviceBackend(DeviceBackendKind::Recording);
  if (!window) window = new GameWindow();
  D3DPRESENT_PARAMETERS pp;
  pp.Windowed = true;
  pp.BackBufferWidth = 64;
  pp.BackBufferHeight = 64;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.EnableAutoDepthStencil = true;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  pp.hDeviceWindow = window->hWnd();
  DirectX8().Direct3DCreate()->CreateDevice(0, D3DDEVTYPE_HAL, window->hWnd(),
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, pp, D3DDevice);
  setDeviceBackend(DeviceBackendKind::OpenGL);
  if (D3DDevice) D3DDevice->SetRecording(false);
}
}  // namespace

std::string parseBmp(const std::string& b, Picture& out) {
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0) return "not a BMP";
  if (u32(b, 2) != b.size()) return "file size field differs from the file";
  int w = i32(b, 18), h = i32(b, 22);
  if (!pow2(w) || !pow2(h)) return "size not a power of two";
  if (u16(b, 28) != 24 || u32(b, 30) != 0) return "not 24-bit uncompressed";
  size_t row = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3}, off = u32(b, 10);
  if (off + row * h != b.size()) return "pixel data size wrong";
  return decodeWithTheGame(b, false, out);
}

std::string parseDds(const std::string& b, Picture& out) {
  if (b.size() < 128 || b.compare(0, 4, "DDS ") != 0 || u32(b, 4) != 124) return "not a DDS";
  int h = static_cast<int>(u32(b, 12)), w = static_cast<int>(u32(b, 16));
  if (!pow2(w) || !pow2(h)) return "size not a power of two";
  if (u32(b, 76) != 32 || (u32(b, 80) & 0x41) != 0x41 || u32(b, 88) != 32) return "not A8R8G8B8";
  if (u32(b, 92) != 0x00FF0000 || u32(b, 96) != 0x0000FF00 || u32(b, 100) != 0xFF || u32(b, 104) != 0xFF000000)
    return "channel masks not A8R8G8B8";
  if (b.size() != 128 + static_cast<size_t>(w) * h * 4) return "pixel data size wrong";
  return decodeWithTheGame(b, true, out);
}

std::string readMd2(const std::string& rel, Md2& m) {
  // The header rules the generator keeps, beyond what the loader accepts.
  const std::string b = readFile(gamePath(rel));
  if (b.size() < 68 || b.compare(0, 4, "IDP2") != 0 || i32(b, 4) != 8) return "bad ident or version";
  m.skinWidth = i32(b, 8);
  m.skinHeight = i32(b, 12);
  const int frameSize = i32(b, 16), nv = i32(b, 24), nst = i32(b, 28), ofsSt = i32(b, 48);
  if (nv <= 0 || nst <= 0) return "empty counts";
  if (frameSize != 40 + 4 * nv) return "frame size is not 40 + 4 x vertices";
  if (ofsSt < 68 || i32(b, 52) < 68 || i32(b, 56) < 68) return "a table overlaps the header";
  if (ofsSt + 4LL * nst > static_cast<int64_t>(b.size())) return "texture coordinates outside the file";
  for (int i = 0; i < nst; ++i) {
    int s = static_cast<int16_t>(u16(b, ofsSt + 4 * i)), t = static_cast<int16_t>(u16(b, ofsSt + 4 * i + 2));
    if (s < 0 || s > m.skinWidth || t < 0 || t > m.skinHeight) return "texture coordinate outside the skin";
  }
  m.vertices = nv;

  // The game's loader.
  ensureModelDevice();
  if (!D3DDevice) return "no device to load models on: " + lastErrorDescription();
  const std::string app = appPath();
  setAppPath(QV_TEST_GAME_DIR);
  std::string refused;
  setTrapSink([&](const std::string& line) { refused = line; });
  CMD2 model;
  const bool loaded = model.LoadMD2(Replace(rel, "/", "\\"));
  setTrapSink(nullptr);
  setAppPath(app);
  if (!loaded) return refused.empty() ? "not loaded" : refused;
  m.frames = model.NumFrames() + 1;
  m.frameNames.clear();
  m.pos.assign(static_cast<size_t>(m.frames), {});
  for (Long f = 0; f < m.frames; ++f) {
    const std::string name = model.GetFrameName(f);
    m.frameNames.push_back(name.substr(0, name.find('\0')));
    for (const MD2Vertex& v : model.FrameVertices(f))
      m.pos[static_cast<size_t>(f)].push_back({v.x, v.y, v.z});
  }
  m.tris.clear();
  for (int t = 0; t < model.NumTriangles(); ++t) m.tris.push_back({3 * t, 3 * t + 1, 3 * t + 2});
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
