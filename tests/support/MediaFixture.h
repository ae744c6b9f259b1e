// MediaFixture: the recording device of DeviceFixture with fresh texture and model caches, the
// text writer and the sprite object, LoadDone True (no loading-screen ring) unless a test clears
// it; plus small encoders for MD2, BMP and DDS files written into the fixture's game folder.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Trivec.h"
#include "tests/support/DeviceFixture.h"

// An MD2 file as the tests build it: tables laid out header, skins, texture coordinates,
// triangles, frames. Header field offsets for corrupting a file are below.
struct Md2Content {
  struct Vertex {
    uint8_t x, y, z, normal;
  };
  struct Frame {
    std::string name;                     // at most 16 characters
    std::array<float, 3> scale{1, 1, 1};  // file order x, y, z
    std::array<float, 3> translate{0, 0, 0};
    std::vector<Vertex> vertices;
  };
  int32_t skinWidth = 64, skinHeight = 32;
  int32_t skins = 1;
  std::vector<std::array<int16_t, 2>> texCoords;  // s, t
  std::vector<std::array<int16_t, 6>> triangles;  // vertex 0..2, texture coordinate 0..2
  std::vector<Frame> frames;
};
namespace md2field {
constexpr size_t SkinWidth = 8, SkinHeight = 12, FrameSize = 16, NumSkins = 20, NumVerts = 24, NumST = 28,
                 NumTris = 32, NumFrames = 40, OfsSkins = 44, OfsST = 48, OfsTris = 52, OfsFrames = 56;
}
std::string encodeMd2(const Md2Content& md2);
void putInt32(std::string& bytes, size_t at, int32_t value);
int32_t getInt32(const std::string& bytes, size_t at);

// One triangle (vertices 0, 1, 2) over n frames named name + index, vertex k of frame f at
// (k + f, 2k, 3k) packed with scale 1 and translate 0.
Md2Content triangleModel(int frames, const std::string& name = "frame");

// 24-bit BMP and 32-bit A8R8G8B8 DDS of argb pixels (top row first).
std::string encodeBmp(int32_t width, int32_t height, const std::vector<uint32_t>& argb);
std::string encodeDds(int32_t width, int32_t height, const std::vector<uint32_t>& argb);

// The vertices of a vertex buffer's bytes.
std::vector<MD2Vertex> md2Vertices(const std::vector<uint8_t>& bytes);

// One line per slot of TexSlots and ModelSlots: what the slot holds (a texture's format, size and
// a digest of its pixels; a model's state, frame names and a digest of its frames), for comparing
// two loads of the same files.
std::vector<std::string> describeCaches();

// Empties and drops the model and texture caches and the text writer; loading counts as not done.
void releaseMedia();

class MediaFixture : public DeviceFixture {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The calls of one kind recorded since the last clear.
  std::vector<D3DCall> callsOf(D3DCallKind kind) const;
  int countOf(D3DCallKind kind) const;
};
