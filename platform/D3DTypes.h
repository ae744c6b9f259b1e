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

// Two Singles: sprite scaling, rotation centre and translation (screen pixels), ground points.
struct D3DXVECTOR2 {
  float x = 0, y = 0;
};

// Four Longs: source rectangles in texels, destination rectangles in screen pixels.
struct RECT {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Two Longs: a cursor position in screen pixels (GetCursorPos).
struct POINTAPI {
  int32_t x = 0, y = 0;
};
