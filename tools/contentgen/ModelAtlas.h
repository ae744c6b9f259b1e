// The texture layout shared by the hand weapons, mounts and misc models: a 64 x 64 skin in
// four 32 x 32 quadrants (main colour with panel lines, dark metal, glowing accent, light
// metal with stripes). The model texture painter fills them per texture name.
#pragma once
#include <string>

#include "tools/contentgen/Image.h"
#include "tools/contentgen/Mesh.h"

namespace atlas {
constexpr int kSize = 64;
constexpr UvRect kMain{1, 1, 31, 31}, kDark{33, 1, 63, 31}, kGlow{1, 33, 31, 63}, kLight{33, 33, 63, 63};
}  // namespace atlas

// Paints the 64 x 64 atlas of one model texture ("rocket.bmp", "laser.bmp" ...): main and
// accent colours come from the name.
Image paintModelAtlas(const std::string& textureName);
