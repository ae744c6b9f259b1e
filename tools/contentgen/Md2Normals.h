// The lookup of the MD2 normal-table entry nearest to a normal. The table is the game's own
// (MD2Normals, engine/MD2NormalTable.cpp, compiled into the generator too). The game's loader
// reads a vertex's normal index straight into that table without exchanging y and z, so callers
// pass the normal in the game's drawing space (x right, y up, z forward).
#pragma once
#include <cstdint>

uint8_t nearestMd2Normal(float x, float y, float z);
