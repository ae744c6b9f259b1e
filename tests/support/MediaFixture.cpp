#include "tests/support/MediaFixture.h"

#include <cstring>

#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"

namespace {
void put16(std::string& b, int16_t v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& b, int32_t v) {
  for (int k = 0; k < 4; ++k) b += static_cast<char>((static_cast<uint32_t>(v) >> (8 * k)) & 0xFF);
}
void putFloat(std::string& b, float f) {
  int32_t v;
  std::memcpy(&v, &f, 4);
  put32(b, v);
}
}  // namespace

void putInt32(std::string& bytes, size_t at, int32_t value) {
  for (int k = 0; k < 4; ++k)
    bytes[at + k] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * k)) & 0xFF);
}

int32_t getInt32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(bytes[at + k]);
  return static_cast<int32_t>(v);
}

std::string encodeMd2(const Md2Content& md2) {
  const int32_t numVerts = md2.frames.empty() ? 0 : static_cast<int32_t>(md2.frames[0].vertices.size());
  const int32_t frameSize = 40 + 4 * numVerts;
  const int32_t ofsSkins = 68, ofsST = ofsSkins + 64 * md2.skins;
  const int32_t ofsTris = ofsST + 4 * static_cast<int32_t>(md2.texCoords.size());
  const int32_t ofsFrames = ofsTris + 12 * static_cast<int32_t>(md2.triangles.size());
  const int32_t ofsEnd = ofsFrames + frameSize * static_cast<int32_t>(md2.frames.size());
  std::string b = "IDP2";
  for (int32_t v :
       {8, md2.skinWidth, md2.skinHeight, frameSize, md2.skins, numVerts,
        static_cast<int32_t>(md2.texCoords.size()), static_cast<int32_t>(md2.triangles.size()), 0,
        static_cast<int32_t>(md2.frames.size()), ofsSkins, ofsST, ofsTris, ofsFrames, ofsEnd, ofsEnd})
    put32(b, v);
  for (int s = 0; s < md2.skins; ++s) b += std::string(64, '\0');
  for (const auto& st : md2.texCoords) {
    put16(b, st[0]);
    put16(b, st[1]);
  }
  for (const auto& t : md2.triangles)
    for (int16_t v : t) put16(b, v);
  for (const Md2Content::Frame& f : md2.frames) {
    for (float v : f.scale) putFloat(b, v);
    for (float v : f.translate) putFloat(b, v);
    std::string name = f.name;
    name.resize(16, '\0');
    b += name;
    for (const Md2Content::Vertex& v : f.vertices) {
      b += static_cast<char>(v.x);
      b += static_cast<char>(v.y);
      b += static_cast<char>(v.z);
      b += static_cast<char>(v.normal);
    }
  }
  return b;
}

Md2Content triangleModel(int frames, const std::string& name) {
  Md2Content m;
  m.texCoords = {{0, 0}, {32, 0}, {0, 16}};
  m.triangles = {{0, 1, 2, 0, 1, 2}};
  for (int f = 0; f < frames; ++f) {
    Md2Content::Frame fr;
    fr.name = name + std::to_string(f);
    for (int k = 0; k < 3; ++k)
      fr.vertices.push_back(Md2Content::Vertex{uint8_t(k + f), uint8_t(2 * k), uint8_t(3 * k), uint8_t(k)});
    m.frames.push_back(fr);
  }
  return m;
}

std::string encodeBmp(int32_t width, int32_t height, const std::vector<uint32_t>& argb) {
  const int32_t row = (width * 3 + 3) / 4 * 4;
  std::string b = "BM";
  put32(b, 54 + row * height);
  put32(b, 0);
  put32(b, 54);
  put32(b, 40);
  put32(b, width);
  put32(b, height);
  put16(b, 1);
  put16(b, 24);
  for (int32_t v : {0, row * height, 2835, 2835, 0, 0}) put32(b, v);
  for (int32_t y = height - 1; y >= 0; --y) {
    std::string line;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t c = argb[static_cast<size_t>(y * width + x)];
      line += static_cast<char>(c & 0xFF);
      line += static_cast<char>((c >> 8) & 0xFF);
      line += static_cast<char>((c >> 16) & 0xFF);
    }
    line.resize(static_cast<size_t>(row), '\0');
    b += line;
  }
  return b;
}

std::string encodeDds(int32_t width, int32_t height, const std::vector<uint32_t>& argb) {
  std::string b = "DDS ";
  put32(b, 124);
  put32(b, 0x1 | 0x2 | 0x4 | 0x1000 | 0x8);  // caps, height, width, pixel format, pitch
  put32(b, height);
  put32(b, width);
  put32(b, width * 4);
  put32(b, 0);
  put32(b, 0);
  for (int i = 0; i < 11; ++i) put32(b, 0);
  // pixel format: size, flags (RGB | ALPHAPIXELS), fourCC, bits, masks r, g, b, a
  for (int32_t v : {32, 0x40 | 0x1, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, int32_t(0xFF000000)})
    put32(b, v);
  for (int32_t v : {0x1000, 0, 0, 0, 0}) put32(b, v);
  for (uint32_t c : argb) put32(b, static_cast<int32_t>(c));
  return b;
}

std::vector<MD2Vertex> md2Vertices(const std::vector<uint8_t>& bytes) {
  std::vector<MD2Vertex> v(bytes.size() / sizeof(MD2Vertex));
  std::memcpy(v.data(), bytes.data(), v.size() * sizeof(MD2Vertex));
  return v;
}

void MediaFixture::SetUp() {
  DeviceFixture::SetUp();
  makeDevice();
  TexMon = std::make_shared<CTextureMonster>();
  ModelMon = std::make_shared<CModelMonster>();
  GameText = std::make_shared<CText>();
  checkHResult(D3DX->CreateSprite(D3DDevice, DxSprite));
  LoadDone = true;
  PendingEndScene = false;  // set by a windowed developer start; no scene is open here
  MsgCount = 0;
  clearCalls();
}

namespace {
// FNV-1a over bytes.
uint64_t digest(const void* data, size_t size, uint64_t h = 1469598103934665603ull) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}
std::string vec(const D3DVECTOR& v) {
  return std::to_string(v.x) + "," + std::to_string(v.y) + "," + std::to_string(v.z);
}
}  // namespace

std::vector<std::string> describeCaches() {
  std::vector<std::string> lines;
  for (size_t i = 0; i < TexSlots.size(); ++i) {
    std::string line = "texture " + std::to_string(i) + (TexSlots[i].used ? " used" : " free");
    if (const std::shared_ptr<Direct3DTexture8>& t = TexSlots[i].object) {
      std::vector<uint32_t> argb;
      const HResult hr = D3DDevice ? D3DDevice->ReadTexture(*t, argb) : D3DERR_INVALIDCALL;
      line += " format " + std::to_string(t->Format()) + " " + std::to_string(t->Width()) + "x" +
              std::to_string(t->Height()) + " pixels " +
              (FAILED(hr) ? std::string("unread") : std::to_string(digest(argb.data(), argb.size() * 4)));
    }
    lines.push_back(line);
  }
  for (size_t i = 0; i < ModelSlots.size(); ++i) {
    std::string line = "model " + std::to_string(i) + (ModelSlots[i].used ? " used" : " free");
    if (const std::shared_ptr<CMD2>& m = ModelSlots[i].object) {
      line += (m->Loaded ? " loaded" : " unloaded") + std::string(" texture ") + std::to_string(m->myTexture) +
              " frames " + std::to_string(m->NumFrames()) + " triangles " + std::to_string(m->NumTriangles()) +
              " ids " + std::to_string(m->FrameIDFrom()) + std::to_string(m->FrameIDTo()) +
              std::to_string(m->FrameIDTo2()) + std::to_string(m->FrameIDTo3()) + " bounds " +
              vec(m->getLBounds()) + " " + vec(m->getUBounds());
      uint64_t h = digest("", 0);
      for (Long f = 0; f <= m->NumFrames(); ++f) {
        const std::string name = m->GetFrameName(f);
        h = digest(name.data(), name.size(), h);
        const std::vector<MD2Vertex>& v = m->FrameVertices(f);
        h = digest(v.data(), v.size() * sizeof(MD2Vertex), h);
      }
      line += " frames digest " + std::to_string(h);
    }
    lines.push_back(line);
  }
  return lines;
}

void releaseMedia() {
  if (ModelMon) ModelMon->ClearAll();
  if (TexMon) TexMon->ClearAll();
  ModelMon.reset();
  TexMon.reset();
  GameText.reset();
  LoadDone = false;
}

void MediaFixture::TearDown() {
  releaseMedia();
  DeviceFixture::TearDown();
}

std::vector<D3DCall> MediaFixture::callsOf(D3DCallKind kind) const {
  std::vector<D3DCall> out;
  for (const D3DCall& c : calls())
    if (c.kind == kind) out.push_back(c);
  return out;
}

int MediaFixture::countOf(D3DCallKind kind) const {
  return static_cast<int>(callsOf(kind).size());
}
