// BMP decoding through stb_image (built here for BMP only, static symbols: 1/4/8-bit palettes,
// 16/24/32-bit, bit fields) with our own run-length decoder for RLE8 and RLE4, and a small reader
// for DDS files: uncompressed 24/32-bit and DXT1/DXT3/DXT5 block compression, the top level of
// a mip chain. Every size the header promises is checked against the file before it is read.
#include "platform/ImageFile.h"

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/Paths.h"

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
  if (compression == 1 || compression == 2) {
    if (bits != (compression == 1 ? 8u : 4u)) return invalid(error, "BMP run-length data of the wrong bit count");
    if (offset < 14 + headerSize || offset >= size) return invalid(error, "BMP file is truncated");
    return D3D_OK;
  }
  if (compression != 0 && compression != 3) return invalid(error, "BMP compression " + std::to_string(compression) + " not supported");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return invalid(error, "BMP bit count " + std::to_string(bits) + " not supported");
  uint64_t rowBytes = ((uint64_t(width) * bits + 31) / 32) * 4;
  if (offset < 14 + headerSize || uint64_t(offset) + rowBytes * uint64_t(height) > size)
    return invalid(error, "BMP file is truncated");
  return D3D_OK;
}

// RLE8 (bits 8) and RLE4 (bits 4) pixel data of a BMP with a BITMAPINFOHEADER, bottom-up rows.
// Pixels the stream skips or never reaches take palette entry 0. A run past the end of its row is
// cut at the row's end; data past the end of the file ends the picture there.
HResult decodeBmpRle(const uint8_t* data, size_t size, DecodedImage& image, std::string& error) {
  const uint32_t offset = le32(data + 10), headerSize = le32(data + 14);
  const int32_t width = int32_t(le32(data + 18)), height = int32_t(le32(data + 22));
  const uint32_t bits = le16(data + 28);
  if (height <= 0) return invalid(error, "BMP run-length data must be stored bottom-up");
  uint32_t colours = size >= 50 ? le32(data + 46) : 0;
  if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
  const size_t paletteAt = 14 + size_t(headerSize);
  if (paletteAt + size_t(colours) * 4 > offset) return invalid(error, "BMP palette is truncated");
  std::vector<uint32_t> palette(size_t(1) << bits, 0xFF000000u);
  for (uint32_t i = 0; i < colours; ++i) {
    const uint8_t* c = data + paletteAt + i * 4;
    palette[i] = 0xFF000000u | uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
  }
  image.width = width;
  image.height = height;
  image.hasAlpha = false;
  image.argb.assign(size_t(width) * height, palette[0]);
  int32_t x = 0, row = 0;  // row counts from the bottom
  auto put = [&](uint32_t index) {
    if (x < width && row < height) image.argb[size_t(height - 1 - row) * width + x] = palette[index & ((1u << bits) - 1)];
    ++x;
  };
  size_t p = offset;
  while (p + 1 < size && row < height) {
    const uint8_t count = data[p], value = data[p + 1];
    p += 2;
    if (count > 0) {  // a run of count pixels
      for (uint32_t k = 0; k < count && x < width; ++k)
        put(bits == 8 ? value : (k % 2 == 0 ? value >> 4 : value & 0x0F));
    } else if (value == 0) {  // end of row
      x = 0;
      ++row;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // delta
      if (p + 1 >= size) break;
      x += data[p];
      row += data[p + 1];
      p += 2;
    } else {  // value literal pixels, padded to a whole 16-bit word
      const size_t bytes = bits == 8 ? value : (value + 1u) / 2;
      if (p + bytes > size) break;
      for (uint32_t k = 0; k < value && x < width; ++k)
        put(bits == 8 ? data[p + k] : (k % 2 == 0 ? data[p + k / 2] >> 4 : data[p + k / 2] & 0x0F));
      p += bytes + (bytes & 1);
    }
  }
  return D3D_OK;
}

HResult decodeBmp(const uint8_t* data, size_t size, DecodedImage& image, std::string& error) {
  if (size > 0x7FFFFFFF) return invalid(error, "BMP file too large");
  if (HResult hr = checkBmp(data, size, error); FAILED(hr)) return hr;
  if (le32(data + 14) >= 40) {
    const uint32_t compression = le32(data + 30);
    if (compression == 1 || compression == 2) return decodeBmpRle(data, size, image, error);
  }
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

// Colour of a 5:6:5 value, 0..255 per channel.
void rgb565(uint16_t c, int& r, int& g, int& b) {
  r = (c >> 11 & 31) * 255 / 31;
  g = (c >> 5 & 63) * 255 / 63;
  b = (c & 31) * 255 / 31;
}

// Decodes the top level of a DXT1, DXT3 or DXT5 picture (4 x 4 blocks of 8 or 16 bytes).
HResult decodeDxt(const uint8_t* blocks, size_t bytes, uint32_t width, uint32_t height, int kind,
                  DecodedImage& image, std::string& error) {
  const size_t bw = (width + 3) / 4, bh = (height + 3) / 4, blockBytes = kind == 1 ? 8 : 16;
  if (bytes < bw * bh * blockBytes) return invalid(error, "DDS file is truncated");
  image.width = static_cast<int32_t>(width);
  image.height = static_cast<int32_t>(height);
  image.hasAlpha = kind != 1;
  image.argb.assign(size_t(width) * height, 0);
  bool transparent = false;
  for (size_t by = 0; by < bh; ++by)
    for (size_t bx = 0; bx < bw; ++bx) {
      const uint8_t* b = blocks + (by * bw + bx) * blockBytes;
      const uint8_t* colour = kind == 1 ? b : b + 8;
      uint32_t alpha[16];
      for (uint32_t& a : alpha) a = 255;
      if (kind == 3) {
        for (int i = 0; i < 16; ++i) alpha[i] = ((b[i / 2] >> (4 * (i % 2))) & 15) * 17;
      } else if (kind == 5) {
        uint32_t a[8];
        a[0] = b[0];
        a[1] = b[1];
        if (a[0] > a[1]) {
          for (int i = 1; i < 7; ++i) a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
        } else {
          for (int i = 1; i < 5; ++i) a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
          a[6] = 0;
          a[7] = 255;
        }
        uint64_t idx = 0;
        for (int i = 0; i < 6; ++i) idx |= uint64_t(b[2 + i]) << (8 * i);
        for (int i = 0; i < 16; ++i) alpha[i] = a[(idx >> (3 * i)) & 7];
      }
      const uint16_t c0 = le16(colour), c1 = le16(colour + 2);
      int r[4], g[4], bl[4];
      rgb565(c0, r[0], g[0], bl[0]);
      rgb565(c1, r[1], g[1], bl[1]);
      const bool four = kind != 1 || c0 > c1;
      if (four) {
        r[2] = (2 * r[0] + r[1]) / 3, g[2] = (2 * g[0] + g[1]) / 3, bl[2] = (2 * bl[0] + bl[1]) / 3;
        r[3] = (r[0] + 2 * r[1]) / 3, g[3] = (g[0] + 2 * g[1]) / 3, bl[3] = (bl[0] + 2 * bl[1]) / 3;
      } else {
        r[2] = (r[0] + r[1]) / 2, g[2] = (g[0] + g[1]) / 2, bl[2] = (bl[0] + bl[1]) / 2;
        r[3] = g[3] = bl[3] = 0;
      }
      const uint32_t indexes = le32(colour + 4);
      for (int i = 0; i < 16; ++i) {
        const size_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
        if (x >= width || y >= height) continue;
        const uint32_t k = (indexes >> (2 * i)) & 3;
        uint32_t a = alpha[i];
        if (!four && k == 3) {
          a = 0;
          transparent = true;
        }
        image.argb[y * width + x] = a << 24 | uint32_t(r[k]) << 16 | uint32_t(g[k]) << 8 | uint32_t(bl[k]);
      }
    }
  if (kind == 1) image.hasAlpha = transparent;
  return D3D_OK;
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
  if (width == 0 || height == 0 || width > uint32_t(kMaxImageSide) || height > uint32_t(kMaxImageSide))
    return invalid(error, "DDS size out of range");
  if (pfFlags & kFourCC) {
    const std::string fourCC(reinterpret_cast<const char*>(pf + 8), 4);
    const int kind = fourCC == "DXT1" ? 1 : fourCC == "DXT3" ? 3 : fourCC == "DXT5" ? 5 : 0;
    if (kind == 0) return invalid(error, "DDS compression \"" + fourCC + "\" not supported");
    return decodeDxt(data + kHeader, size - kHeader, width, height, kind, image, error);
  }
  if (!(pfFlags & kRgb)) return invalid(error, "DDS file is not RGB");
  if (bitCount != 32 && bitCount != 24) return invalid(error, "DDS bit count " + std::to_string(bitCount) + " not supported");
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
  image = DecodedImage{};
  std::string bytes;
  switch (readWholeFile(path, bytes)) {
    case FileRead::Read: break;
    case FileRead::Failed:
      error = path + ": read error";
      return D3DXERR_FILENOTFOUND;
    default:
      error = path + ": file not found";
      return D3DXERR_FILENOTFOUND;
  }
  HResult hr = decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, error);
  if (FAILED(hr)) error = path + ": " + error;
  return hr;
}
