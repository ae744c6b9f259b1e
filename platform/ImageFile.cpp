// BMP decoding through stb_image (built here for BMP only, static symbols) and a small reader for
// uncompressed DDS files.
#include "platform/ImageFile.h"

#include <bit>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 8192
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {
uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

HResult invalid(std::string& error, const std::string& why) {
  error = why;
  return D3DXERR_INVALIDDATA;
}

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// The header's promises checked against the data before the decoder reads (it would read zeros
// past the end of a short file).
HResult checkBmp(const uint8_t* data, size_t size, std::string& error) {
  if (size < 26) return invalid(error, "BMP file shorter than its header");
  uint32_t offset = le32(data + 10), headerSize = le32(data + 14);
  int64_t width, height;
  uint32_t bits, compression = 0;
  if (headerSize == 12) {
    width = le16(data + 18);
    height = int16_t(le16(data + 20));
    bits = le16(data + 24);
  } else if (headerSize >= 40 && size >= 34) {
    width = int32_t(le32(data + 18));
    height = int32_t(le32(data + 22));
    bits = le16(data + 28);
    compression = le32(data + 30);
  } else {
    return invalid(error, "BMP header of unknown size");
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
    return invalid(error, "BMP size out of range");
  if (compression != 0 && compression != 3) return invalid(error, "compressed BMP files are not supported");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return invalid(error, "BMP bit count " + std::to_string(bits) + " not supported");
  uint64_t rowBytes = ((uint64_t(width) * bits + 31) / 32) * 4;
  if (offset < 14 + headerSize || uint64_t(offset) + rowBytes * uint64_t(height) > size)
    return invalid(error, "BMP file is truncated");
  return D3D_OK;
}

HResult decodeBmp(const uint8_t* data, size_t size, DecodedImage& image, std::string& error) {
  if (size > 0x7FFFFFFF) return invalid(error, "BMP file too large");
  if (HResult hr = checkBmp(data, size, error); FAILED(hr)) return hr;
  int w = 0, h = 0, comp = 0;
  stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &comp, 4);
  if (!pixels) return invalid(error, std::string("not a readable BMP file (") + stbi_failure_reason() + ")");
  if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide) {
    stbi_image_free(pixels);
    return invalid(error, "BMP size out of range");
  }
  image.width = w;
  image.height = h;
  image.hasAlpha = comp == 4;
  image.argb.resize(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < image.argb.size(); ++i) {
    const stbi_uc* p = pixels + i * 4;
    image.argb[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  stbi_image_free(pixels);
  return D3D_OK;
}

// One channel of a packed pixel scaled to 0..255; fallback when the mask is empty.
uint32_t channel(uint32_t pixel, uint32_t mask, uint32_t fallback) {
  if (mask == 0) return fallback;
  int shift = std::countr_zero(mask);
  uint32_t bits = std::popcount(mask >> shift);
  uint32_t v = (pixel & mask) >> shift;
  uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
  return static_cast<uint32_t>((uint64_t(v) * 255u + max / 2) / max);
}

HResult decodeDds(const uint8_t* data, size_t size, DecodedImage& image, std::string& error) {
  constexpr size_t kHeader = 4 + 124;
  if (size < kHeader) return invalid(error, "DDS file shorter than its header");
  const uint8_t* h = data + 4;
  if (le32(h) != 124) return invalid(error, "DDS header size is not 124");
  uint32_t height = le32(h + 8), width = le32(h + 12);
  const uint8_t* pf = h + 72;
  if (le32(pf) != 32) return invalid(error, "DDS pixel format size is not 32");
  uint32_t pfFlags = le32(pf + 4), bitCount = le32(pf + 12);
  uint32_t rMask = le32(pf + 16), gMask = le32(pf + 20), bMask = le32(pf + 24), aMask = le32(pf + 28);
  constexpr uint32_t kAlphaPixels = 0x1, kFourCC = 0x4, kRgb = 0x40;
  if (pfFlags & kFourCC) return invalid(error, "compressed DDS files are not supported");
  if (!(pfFlags & kRgb)) return invalid(error, "DDS file is not RGB");
  if (bitCount != 32 && bitCount != 24) return invalid(error, "DDS bit count " + std::to_string(bitCount) + " not supported");
  if (width == 0 || height == 0 || width > uint32_t(kMaxImageSide) || height > uint32_t(kMaxImageSide))
    return invalid(error, "DDS size out of range");
  size_t bytesPerPixel = bitCount / 8;
  size_t needed = kHeader + size_t(width) * height * bytesPerPixel;
  if (size < needed) return invalid(error, "DDS file is truncated");
  bool alpha = (pfFlags & kAlphaPixels) && aMask != 0;
  image.width = static_cast<int32_t>(width);
  image.height = static_cast<int32_t>(height);
  image.hasAlpha = alpha;
  image.argb.resize(size_t(width) * height);
  const uint8_t* p = data + kHeader;
  for (size_t i = 0; i < image.argb.size(); ++i, p += bytesPerPixel) {
    uint32_t px = bytesPerPixel == 4 ? le32(p) : uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    uint32_t a = alpha ? channel(px, aMask, 255) : 255;
    image.argb[i] = a << 24 | channel(px, rMask, 0) << 16 | channel(px, gMask, 0) << 8 | channel(px, bMask, 0);
  }
  return D3D_OK;
}
}  // namespace

HResult decodeImage(const uint8_t* data, size_t size, DecodedImage& image, std::string& error) {
  image = DecodedImage{};
  if (!data || size < 4) return invalid(error, "file too short to be a texture");
  HResult hr;
  if (std::memcmp(data, "DDS ", 4) == 0)
    hr = decodeDds(data, size, image, error);
  else if (data[0] == 'B' && data[1] == 'M')
    hr = decodeBmp(data, size, image, error);
  else
    hr = invalid(error, "neither a BMP nor a DDS file");
  if (FAILED(hr)) image = DecodedImage{};
  return hr;
}

HResult loadImageFile(const std::string& path, DecodedImage& image, std::string& error) {
  std::error_code ec;
  std::ifstream in;
  if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
  if (!in.is_open()) {
    error = path + ": file not found";
    return D3DXERR_FILENOTFOUND;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = path + ": read error";
    return D3DXERR_FILENOTFOUND;
  }
  HResult hr = decodeImage(bytes.data(), bytes.size(), image, error);
  if (FAILED(hr)) error = path + ": " + error;
  return hr;
}
