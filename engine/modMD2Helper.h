// modMD2Helper: what every MD2 model shares: the MD2 vertex-normal table (MD2Normals, indexed by
// the normal byte of each packed vertex) and the material every model is lit with
// (DefaultMaterial, set on the device once by initMD2Normals).
#pragma once
#include <array>

#include "platform/Types.h"

constexpr int MD2NormalCount = 162;

// The published MD2 normal table, in its published order and axes: entry 0 is
// (-0.525731, 0, 0.850651), entry 1 (-0.442863, 0.238856, 0.864188), in the file's axes (z up):
// a model takes an entry with its y and z exchanged, as its positions. Constant data
// (engine/MD2NormalTable.cpp), so it is valid before initMD2Normals runs.
extern const std::array<D3DVECTOR, MD2NormalCount> MD2Normals;

// Diffuse (1, 1, 1, 1), ambient (1, 1, 1, 1), specular and emissive 0, power 10; set once.
extern D3DMATERIAL8 DefaultMaterial;

// Once at start-up, after the device exists and before the first model is loaded: fills
// DefaultMaterial and sets it on D3DDevice (VbError when the device refuses).
void initMD2Normals();
