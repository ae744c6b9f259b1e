// Texture and sound files written by independent tools (ImageMagick, the NVIDIA Texture Tools and
// SoX; tests/platform/fixtures/make-fixtures says how), decoded and checked against their sources:
// palette, 16-bit and run-length BMP files pixel for pixel, block-compressed DDS files as
// ImageMagick decodes them, mip chains by their top level, and 8/16-bit mono/stereo waves at four rates
// by their level and length.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/Direct3D.h"
#include "platform/DirectSound.h"
#include "platform/ImageFile.h"
#include "platform/Window.h"

namespace {
const std::string Fixtures = std::string(QV_SOURCE_DIR) + "/tests/platform/fixtures/";

std::string readFixture(const std::string& name) {
  std::ifstream in(Fixtures + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A binary PPM (P6) or PGM (P5) of depth 255 as ARGB (a PGM's grey in every channel).
std::vector<uint32_t> readNetpbm(const std::string& name, int& w, int& h) {
  const std::string s = readFixture(name);
  size_t p = 0;
  auto token = [&] {
    while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p]))) ++p;
    size_t b = p;
    while (p < s.size() && !std::isspace(static_cast<unsigned char>(s[p]))) ++p;
    return s.substr(b, p - b);
  };
  const std::string magic = token();
  w = std::atoi(token().c_str());
  h = std::atoi(token().c_str());
  token();  // 255
  ++p;
  const int channels = magic == "P6" ? 3 : 1;
  std::vector<uint32_t> out;
  for (int i = 0; i < w * h && p + channels <= s.size(); ++i, p += channels) {
    const uint8_t r = s[p], g = s[p + (channels - 1) / 2], b = s[p + channels - 1];
    out.push_back(0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b);
  }
  return out;
}

DecodedImage decode(const std::string& bytes, HResult& hr, std::string& error) {
  DecodedImage image;
  hr = decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, error);
  return image;
}

int channelOf(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 0xFF); }
}  // namespace

TEST(ToolFixtures, PicturesDecodeToTheirSources) {
  // Block-compressed pictures are checked against ImageMagick's own decoding of the same file
  // (the encoder's error against src.ppm is the encoder's); alphaSource "" means opaque.
  struct Case {
    const char* file;
    const char* source;
    const char* alphaSource;
    int tolerance;  // per channel, alpha included
  } cases[] = {
      {"pal1.bmp", "src2.ppm", "", 0},           {"pal4.bmp", "src16.ppm", "", 0},
      {"pal8.bmp", "src256.ppm", "", 0},         {"rle8.bmp", "src256.ppm", "", 0},
      {"rgb24.bmp", "src.ppm", "", 0},           {"rgb565.bmp", "src.ppm", "", 8},
      {"rgb555.bmp", "src.ppm", "", 8},          {"plain_mips.dds", "src.ppm", "", 0},
      {"dxt1.dds", "dxt1.ref.ppm", "", 3},       {"dxt3.dds", "dxt3.ref.ppm", "dxt3.ref.pgm", 3},
      {"dxt5.dds", "dxt5.ref.ppm", "dxt5.ref.pgm", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    int w = 0, h = 0;
    const std::vector<uint32_t> src = readNetpbm(c.source, w, h);
    ASSERT_EQ(src.size(), 16u * 8u);
    std::vector<uint32_t> alpha(src.size(), 0xFFFFFFFFu);
    if (*c.alphaSource) alpha = readNetpbm(c.alphaSource, w, h);
    ASSERT_EQ(alpha.size(), src.size());
    HResult hr;
    std::string error;
    const DecodedImage image = decode(readFixture(c.file), hr, error);
    ASSERT_EQ(hr, D3D_OK) << error;
    ASSERT_EQ(image.width, 16);
    ASSERT_EQ(image.height, 8);
    EXPECT_EQ(image.hasAlpha, *c.alphaSource != 0);
    int worst = 0;
    for (size_t i = 0; i < src.size(); ++i) {
      for (int shift : {16, 8, 0})
        worst = std::max(worst, std::abs(channelOf(image.argb[i], shift) - channelOf(src[i], shift)));
      worst = std::max(worst, std::abs(channelOf(image.argb[i], 24) - channelOf(alpha[i], 0)));
    }
    EXPECT_LE(worst, c.tolerance);
  }
}

// No common tool here writes RLE4, so its case is a stream built by hand: runs, an odd literal
// with its padding, a delta jump, the ends of row and picture, and a run longer than its row.
TEST(ToolFixtures, FourBitRunLengthPictures) {
  auto u16 = [](uint32_t v) { return std::string{char(v), char(v >> 8)}; };
  auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  const std::string stream = std::string("\x04\x12", 2)           // row 0 (bottom): 1 2 1 2
                             + std::string("\x00\x00", 2)         // end of row
                             + std::string("\x00\x03\x34\x50", 4) // row 1: literal 3 4 5, padded
                             + std::string("\x07\x66", 2)         // run of 7 cut at the row's end
                             + std::string("\x00\x00", 2)         //
                             + std::string("\x00\x02\x02\x00", 4) // row 2: delta 2 right
                             + std::string("\x02\x77", 2)         // 7 7 at x 2, 3
                             + std::string("\x00\x01", 2);        // end of picture
  std::string palette;
  for (uint32_t i = 0; i < 16; ++i) palette += u32(i * 0x00100F01u);
  std::string header = u32(40) + u32(4) + u32(3) + u16(1) + u16(4) + u32(2) + u32(uint32_t(stream.size())) +
                       u32(2835) + u32(2835) + u32(16) + u32(0);
  const uint32_t offset = 14 + 40 + 64;
  const std::string file = "BM" + u32(uint32_t(offset + stream.size())) + u32(0) + u32(offset) + header + palette + stream;
  HResult hr;
  std::string error;
  const DecodedImage image = decode(file, hr, error);
  ASSERT_EQ(hr, D3D_OK) << error;
  auto colour = [](uint32_t i) { return 0xFF000000u | (i * 0x00100F01u & 0xFFFFFFu); };
  const uint32_t top[4] = {colour(0), colour(0), colour(7), colour(7)};
  const uint32_t middle[4] = {colour(3), colour(4), colour(5), colour(6)};
  const uint32_t bottom[4] = {colour(1), colour(2), colour(1), colour(2)};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(image.argb[0 * 4 + x], top[x]) << x;
    EXPECT_EQ(image.argb[1 * 4 + x], middle[x]) << x;
    EXPECT_EQ(image.argb[2 * 4 + x], bottom[x]) << x;
  }
  // Every prefix of the stream decodes or is refused without reading past the data.
  for (size_t n = 0; n < file.size(); ++n) {
    HResult cut;
    decode(file.substr(0, n), cut, error);
  }
}

TEST(ToolFixtures, WavesKeepTheirLevelRateAndLength) {
  setAudioOutput(AudioOutput::Manual);
  GameWindow window;
  DirectX8 dx;
  std::shared_ptr<DirectSound8> device;
  ASSERT_EQ(dx.DirectSoundCreate("", device), D3D_OK);
  ASSERT_EQ(device->SetCooperativeLevel(window.hWnd(), DSSCL_NORMAL), D3D_OK);
  DSBUFFERDESC desc;
  desc.lFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  struct Case {
    const char* file;
    int rate, channels, bytesPerSample;
    double tolerance;  // of the level, on the -1..1 scale
  } cases[] = {
      {"u8_mono_11025.wav", 11025, 1, 1, 0.03},
      {"s16_stereo_22050.wav", 22050, 2, 2, 0.03},
      {"s16_mono_48000.wav", 48000, 1, 2, 0.03},
      {"u8_stereo_8000.wav", 8000, 2, 1, 0.03},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::shared_ptr<DirectSoundSecondaryBuffer8> buffer;
    ASSERT_EQ(device->CreateSoundBufferFromFile(Fixtures + c.file, desc, buffer), D3D_OK) << lastErrorDescription();
    EXPECT_EQ(buffer->GetFrequency(), c.rate);
    EXPECT_EQ(buffer->BufferBytes(), (c.rate + 5) / 10 * c.channels * c.bytesPerSample);  // 0.1 s
    // A band-limited 50 Hz square wave at half scale starting high: from 1 to 9 ms both sides
    // average +0.5 (the mixer runs at 44100 frames a second, interleaved left and right).
    buffer->Play(DSBPLAY_DEFAULT);
    const std::vector<float> out = renderAudioForTests(441);
    for (int side = 0; side < 2; ++side) {
      double sum = 0;
      int n = 0;
      for (int frame = 44; frame < 397; ++frame, ++n) sum += out[static_cast<size_t>(frame * 2 + side)];
      EXPECT_NEAR(sum / n, 0.5, c.tolerance) << "side " << side;
    }
    buffer->Stop();
    advanceAudioForTests(0.2);
  }
  device.reset();
  setAudioOutput(AudioOutput::Device);
}
