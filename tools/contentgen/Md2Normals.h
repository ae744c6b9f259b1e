// The lookup of the MD2 normal-table entry nearest to a normal. The table is the game's own
// (MD2Normals, engine/MD2NormalTable.cpp, compiled into the generator too), in the file's axes:
// the game's loader exchanges y and z of a vertex's normal as of its position, so callers pass
// the normal in the file's axes (drawing x, drawing z, drawing y).
#pragma once
#include <cstdint>

uint8_t nearestMd2Normal(float x, float y, float z);
