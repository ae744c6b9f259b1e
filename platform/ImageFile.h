// Texture files read by D3DX8::CreateTextureFromFileEx: BMP (uncompressed 8-bit palette, 24-bit
// and 32-bit, bottom-up or top-down) and DDS (uncompressed 32-bit with or without alpha, 24-bit).
// The type is recognised by the file's content, not its name. Malformed files give a reason,
// never a crash: every size and offset is checked against the data before it is used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

struct DecodedImage {
  int32_t width = 0, height = 0;
  bool hasAlpha = false;        // the file carries an alpha channel
  std::vector<uint32_t> argb;   // top row first
};

// Decodes a BMP or DDS file held in memory. D3DXERR_INVALIDDATA with a reason in error.
HResult decodeImage(const uint8_t* data, size_t size, DecodedImage& image, std::string& error);
// Reads (once) and decodes a file: D3DXERR_FILENOTFOUND when it is missing or cannot be read.
// Both touch no shared state: any thread may call them.
HResult loadImageFile(const std::string& path, DecodedImage& image, std::string& error);

// Largest width or height accepted (keeps a malformed header from asking for gigabytes).
constexpr int32_t kMaxImageSide = 8192;
