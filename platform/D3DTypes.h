// Plain value types shared by the device layer and the game: vectors, matrices and colours in
// Direct3D's layout (row vectors, translation in the fourth row, y up, left-handed).
#pragma once
#include <cstdint>

struct D3DVECTOR {
  float x = 0, y = 0, z = 0;
};

// m[row][col]; _41.._43 (m[3][0..2]) hold the translation.
struct D3DMATRIX {
  float m[4][4] = {};
};

using D3DCOLOR = uint32_t;  // ARGB, 8 bits each

struct D3DCOLORVALUE {
  float r = 0, g = 0, b = 0, a = 0;
};
