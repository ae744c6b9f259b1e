// Texture file writers: 24-bit uncompressed BMP (opaque, bottom-up rows padded to 4 bytes)
// and uncompressed 32-bit A8R8G8B8 DDS (no mip levels: the game's loader builds them).
// Channels are clamped to 0..1 and rounded to the nearest of 0..255.
#pragma once
#include <string>

#include "tools/contentgen/Image.h"

std::string encodeBmp(const Image& img);
std::string encodeDds(const Image& img);
// Picks the writer by the name's extension: ".dds" -> DDS, anything else BMP.
std::string encodeTexture(const Image& img, const std::string& name);
