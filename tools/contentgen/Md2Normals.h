// The 162-entry vertex-normal table of the MD2 format in its published order and axes, and
// the lookup of the entry nearest to a normal. The game's loader reads a vertex's normal
// index straight into this table without exchanging y and z, so callers pass the normal in
// the game's drawing space (x right, y up, z forward).
#pragma once
#include <array>
#include <cstdint>

extern const std::array<std::array<float, 3>, 162> kMd2Normals;

uint8_t nearestMd2Normal(float x, float y, float z);
