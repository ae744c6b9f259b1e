// Texture files: BMP and DDS decoding, the format rule (A8R8G8B8 keeps alpha, every other format
// loads opaque), the file's size kept, and malformed or missing files refused with a reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/D3DX.h"
#include "platform/ImageFile.h"
#include "platform/Window.h"

namespace {
void put16(std::string& s, uint32_t v) { s += char(v & 0xFF), s += char((v >> 8) & 0xFF); }
void put32(std::string& s, uint32_t v) { put16(s, v & 0xFFFF), put16(s, v >> 16); }

// An uncompressed bottom-up BMP of 24 or 32 bits from ARGB pixels (top row first).
std::string bmp(int w, int h, int bits, const std::vector<uint32_t>& argb) {
  int rowBytes = ((w * bits / 8) + 3) & ~3;
  std::string s = "BM";
  put32(s, 54 + rowBytes * h);
  put32(s, 0);
  put32(s, 54);
  put32(s, 40);
  put32(s, w);
  put32(s, h);
  put16(s, 1);
  put16(s, bits);
  put32(s, 0);
  put32(s, rowBytes * h);
  put32(s, 2835), put32(s, 2835), put32(s, 0), put32(s, 0);
  for (int y = h - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < w; ++x) {
      uint32_t p = argb[y * w + x];
      row += char(p & 0xFF), row += char((p >> 8) & 0xFF), row += char((p >> 16) & 0xFF);
      if (bits == 32) row += char(p >> 24);
    }
    row.resize(rowBytes, '\0');
    s += row;
  }
  return s;
}

// An uncompressed DDS of 32 bits (with or without an alpha mask) or 24 bits.
std::string dds(int w, int h, int bits, bool alpha, const std::vector<uint32_t>& argb) {
  std::string s = "DDS ";
  put32(s, 124);
  put32(s, 0x1 | 0x2 | 0x4 | 0x1000);
  put32(s, h);
  put32(s, w);
  put32(s, w * bits / 8);
  put32(s, 0);
  put32(s, 1);
  for (int i = 0; i < 11; ++i) put32(s, 0);
  put32(s, 32);
  put32(s, 0x40 | (alpha ? 0x1 : 0));
  put32(s, 0);
  put32(s, bits);
  put32(s, 0x00FF0000), put32(s, 0x0000FF00), put32(s, 0x000000FF), put32(s, alpha ? 0xFF000000u : 0);
  put32(s, 0x1000), put32(s, 0), put32(s, 0), put32(s, 0), put32(s, 0);
  for (uint32_t p : argb) {
    s += char(p & 0xFF), s += char((p >> 8) & 0xFF), s += char((p >> 16) & 0xFF);
    if (bits == 32) s += char(p >> 24);
  }
  return s;
}

const std::vector<uint32_t> kPixels = {0x80FF0000u, 0x4000FF00u, 0xFF0000FFu, 0x00FFFFFFu,
                                       0xFF102030u, 0x10405060u};  // 3 x 2, top row first

class TextureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("qv_tex_" + std::to_string(::getpid()) + "_" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    setDeviceBackend(DeviceBackendKind::Recording);
    window_.setWidth(64 * 15);
    window_.setHeight(89 * 15);
    D3DPRESENT_PARAMETERS pp;
    pp.hDeviceWindow = window_.hWnd();
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    ASSERT_EQ(DirectX8().Direct3DCreate()->CreateDevice(0, D3DDEVTYPE_HAL, window_.hWnd(),
                                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, pp, device_),
              D3D_OK);
  }
  void TearDown() override {
    device_.reset();
    setDeviceBackend(DeviceBackendKind::OpenGL);
    std::filesystem::remove_all(dir_);
  }
  std::string write(const std::string& name, const std::string& bytes) {
    auto path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  HResult load(const std::string& path, D3DFORMAT format, std::shared_ptr<Direct3DTexture8>& tex) {
    return d3dx_.CreateTextureFromFileEx(device_, path, 0, 0, D3DX_DEFAULT, 0, format, D3DPOOL_MANAGED,
                                         D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, tex);
  }
  std::vector<uint32_t> pixels(const Direct3DTexture8& tex) {
    std::vector<uint32_t> out;
    EXPECT_EQ(device_->ReadTexture(tex, out), D3D_OK);
    return out;
  }
  std::filesystem::path dir_;
  GameWindow window_;
  std::shared_ptr<Direct3DDevice8> device_;
  D3DX8 d3dx_;
};

std::vector<uint32_t> opaque(std::vector<uint32_t> p) {
  for (auto& v : p) v |= 0xFF000000u;
  return p;
}
}  // namespace

TEST_F(TextureFiles, FormatDecidesWhetherTheFileAlphaIsKept) {
  struct Case {
    const char* name;
    std::string bytes;
    D3DFORMAT format;
    std::vector<uint32_t> expected;
  } cases[] = {
      {"32-bit DDS as A8R8G8B8", dds(3, 2, 32, true, kPixels), D3DFMT_A8R8G8B8, kPixels},
      {"32-bit DDS as R8G8B8 (upper-case name)", dds(3, 2, 32, true, kPixels), D3DFMT_R8G8B8, opaque(kPixels)},
      {"DDS without alpha mask as A8R8G8B8", dds(3, 2, 32, false, kPixels), D3DFMT_A8R8G8B8, opaque(kPixels)},
      {"24-bit DDS", dds(3, 2, 24, false, kPixels), D3DFMT_A8R8G8B8, opaque(kPixels)},
      {"24-bit BMP", bmp(3, 2, 24, kPixels), D3DFMT_R8G8B8, opaque(kPixels)},
      {"32-bit BMP as R8G8B8", bmp(3, 2, 32, kPixels), D3DFMT_R8G8B8, opaque(kPixels)},
      {"32-bit BMP as A8R8G8B8", bmp(3, 2, 32, kPixels), D3DFMT_A8R8G8B8, kPixels},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<Direct3DTexture8> tex;
    ASSERT_EQ(load(write("t.bin", c.bytes), c.format, tex), D3D_OK) << lastErrorDescription();
    EXPECT_EQ(tex->Width(), 3);
    EXPECT_EQ(tex->Height(), 2);
    EXPECT_EQ(tex->Format(), c.format);
    EXPECT_EQ(tex->LevelCount(), 2);
    EXPECT_EQ(pixels(*tex), c.expected);
  }
}

TEST_F(TextureFiles, SizeIsKeptNotRoundedToPowersOfTwo) {
  std::vector<uint32_t> p(100 * 36, 0xFF123456u);
  std::shared_ptr<Direct3DTexture8> tex;
  ASSERT_EQ(load(write("odd.dds", dds(100, 36, 32, true, p)), D3DFMT_A8R8G8B8, tex), D3D_OK);
  EXPECT_EQ(tex->Width(), 100);
  EXPECT_EQ(tex->Height(), 36);
}

TEST_F(TextureFiles, MalformedAndMissingFilesAreRefusedWithAReason) {
  std::string good = dds(3, 2, 32, true, kPixels);
  std::string goodBmp = bmp(3, 2, 24, kPixels);
  std::string fourcc = good;
  fourcc[4 + 76] = 0x04;  // pixel format flags: FOURCC
  std::string bigger = good;
  bigger[4 + 8] = char(0xFF), bigger[4 + 9] = char(0xFF);  // height 65535
  std::string badHeader = good;
  badHeader[4] = 100;
  std::string bmpBadOffset = goodBmp;
  bmpBadOffset[10] = char(0xF0), bmpBadOffset[11] = char(0xFF);
  struct Case {
    const char* name;
    std::string bytes;
    HResult expected;
  } cases[] = {
      {"empty", "", D3DXERR_INVALIDDATA},
      {"text", "hello, this is not a picture", D3DXERR_INVALIDDATA},
      {"DDS header cut", good.substr(0, 60), D3DXERR_INVALIDDATA},
      {"DDS pixels cut", good.substr(0, good.size() - 5), D3DXERR_INVALIDDATA},
      {"DDS compressed with an unknown code", fourcc, D3DXERR_INVALIDDATA},
      {"DDS huge height", bigger, D3DXERR_INVALIDDATA},
      {"DDS header size", badHeader, D3DXERR_INVALIDDATA},
      {"BMP cut", goodBmp.substr(0, 30), D3DXERR_INVALIDDATA},
      {"BMP pixels cut", goodBmp.substr(0, goodBmp.size() - 10), D3DXERR_INVALIDDATA},
      {"BMP pixel offset past the end", bmpBadOffset, D3DXERR_INVALIDDATA},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<Direct3DTexture8> tex;
    std::string path = write("bad.dds", c.bytes);
    EXPECT_EQ(load(path, D3DFMT_A8R8G8B8, tex), c.expected);
    EXPECT_FALSE(tex);
    EXPECT_NE(lastErrorDescription().find(path), std::string::npos) << lastErrorDescription();
  }
  std::shared_ptr<Direct3DTexture8> tex;
  EXPECT_EQ(load((dir_ / "missing.bmp").string(), D3DFMT_R8G8B8, tex), D3DXERR_FILENOTFOUND);
  EXPECT_EQ(load(dir_.string(), D3DFMT_R8G8B8, tex), D3DXERR_FILENOTFOUND) << "a folder";
  EXPECT_FALSE(tex);
}

TEST(ImageDecode, EveryPrefixOfAValidFileIsHandled) {
  // No prefix may crash or read past the data; only the whole file decodes.
  for (const std::string& file : {dds(5, 3, 32, true, std::vector<uint32_t>(15, 0x80402010u)),
                                  bmp(5, 3, 24, std::vector<uint32_t>(15, 0xFF402010u))}) {
    for (size_t n = 0; n < file.size(); ++n) {
      DecodedImage image;
      std::string error;
      EXPECT_EQ(decodeImage(reinterpret_cast<const uint8_t*>(file.data()), n, image, error), D3DXERR_INVALIDDATA)
          << n << " bytes";
      EXPECT_TRUE(image.argb.empty());
    }
    DecodedImage image;
    std::string error;
    EXPECT_EQ(decodeImage(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image, error), D3D_OK) << error;
  }
}
