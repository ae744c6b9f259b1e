// Readers for the generated media, used by the content checks. Pictures and models go through
// the game's own loaders (the texture decoder of the D3DX layer; CMD2.LoadMD2 on a recording
// device), after the header rules the generator promises (power-of-two sizes, 24-bit BMP,
// A8R8G8B8 DDS, exact MD2 frame sizes, texture coordinates inside the skin); sounds are read as
// RIFF PCM. Each reports the first problem as text.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace content {

std::string readFile(const std::string& path);   // empty when missing
std::vector<std::string> manifest();             // game-relative paths the generator wrote
std::string gamePath(const std::string& rel);    // QV_TEST_GAME_DIR + "/" + rel

struct Picture {
  int width = 0, height = 0;
  bool alpha = false;
  std::vector<std::array<uint8_t, 4>> px;   // r, g, b, a (a = 255 for BMP)
  const std::array<uint8_t, 4>& at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};
// "" on success, else what is wrong.
std::string parseBmp(const std::string& bytes, Picture& out);
std::string parseDds(const std::string& bytes, Picture& out);

struct Md2 {
  int skinWidth = 0, skinHeight = 0, vertices = 0, frames = 0;
  std::vector<std::string> frameNames;                  // without their NUL padding
  std::vector<std::array<int, 3>> tris;                 // indexes into pos[f]
  std::vector<std::vector<std::array<float, 3>>> pos;   // per frame, drawing space (x, file z, file y)
};
// Loads the model file rel (relative to the game folder) with the game's CMD2: pos[f] holds the
// loader's expanded vertices of frame f (three per triangle, tris {3i, 3i + 1, 3i + 2}).
std::string readMd2(const std::string& rel, Md2& out);
// Signed volume of frame f of a model (positive when front faces wind clockwise from outside
// in the left-handed drawing space, which is what counter-clockwise culling keeps).
double signedVolume(const Md2& m, int frame);

struct Wav {
  int rate = 0, channels = 0, bits = 0;
  std::vector<int16_t> samples;
};
std::string parseWav(const std::string& bytes, Wav& out);

}  // namespace content
