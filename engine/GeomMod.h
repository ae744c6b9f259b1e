// GeomMod: the small static vertex buffers that billboards, sky backdrops, effect quads and the
// panel and beam sprites share (InitGeometry, once at start-up from initGame), and the two vertex
// layouts of the engine's quads. The buffers sit in the managed pool, so a device reset keeps
// them; they are never rebuilt or changed while the game runs.
//
// A standard quad is given by its corners a, b, c, d in that order and drawn as a triangle strip
// (a, b, c), (b, c, d); its texture coordinates are inset by 0.003 from the texture's edges:
// a (0.003, 0.997), b (0.003, 0.003), c (0.997, 0.997), d (0.997, 0.003). Every vertex has the
// normal (0, 1, 0). Buffers are drawn with FVF 0x152 and stride 36, whatever FVF created them.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "platform/Direct3D.h"
#include "runtime/Numbers.h"

// The shared buffers hold QuadVertex, the screen quads ScreenVertex (platform/Types.h).
constexpr int32_t QuadVertexStride = 36;
constexpr int32_t ScreenVertexStride = 28;

using VertexBuffer = std::shared_ptr<Direct3DVertexBuffer8>;
extern VertexBuffer BillQuadVB;                     // +-16 in x and y at z 0, uv 0..1, white
extern VertexBuffer QuadVB;                         // standard quad +-45 at z 45, white
extern std::array<VertexBuffer, 4> FrameQuadVBs;    // x +-10, y +-45, z 45; u from i/4 to (i+1)/4
extern std::array<VertexBuffer, 32> ColorQuadVBs;   // +-16 quad tinted (200, 150, 100) x i/31
extern std::array<VertexBuffer, 6> PanelVBs;        // 16 x 150 strip turned by i x 1.04667 about z
extern VertexBuffer TubeVB;                         // the six strips as a 36-vertex triangle list

// Builds every buffer above in the order listed. A failed device call raises a VbError; the
// buffers built before it stay.
void InitGeometry();
// For i = 0..31: MakeColorQuadVB(i, red x f, green x f, blue x f), f = i / 31, each rounded
// half to even.
void BuildColorRamps(Integer red, Integer green, Integer blue);
// The 32 x 32 standard quad in makeRGB(red, green, blue) into ColorQuadVBs(index).
void MakeColorQuadVB(Integer index, Integer red, Integer green, Integer blue);
// A white standard quad into target (replacing what it held).
void MakeQuadVB(VertexBuffer& target, Single ax, Single ay, Single az, Single bx, Single by, Single bz, Single cx,
                Single cy, Single cz, Single dx, Single dy, Single dz);
// As MakeQuadVB with texture coordinates a (uMin, vMax), b (uMin, vMin), c (uMax, vMax), d (uMax, vMin).
void MakeQuadVBUV(VertexBuffer& target, Single ax, Single ay, Single az, Single bx, Single by, Single bz, Single cx,
                  Single cy, Single cz, Single dx, Single dy, Single dz, Single uMin, Single vMin, Single uMax,
                  Single vMax);
void MakeTubeVB();
// ARGB(255, red, green, blue) (D3DX colour packing).
D3DCOLOR makeRGB(Integer red, Integer green, Integer blue);

// Releases every shared buffer (the end of the program, before the device goes).
void ReleaseGeometry();
