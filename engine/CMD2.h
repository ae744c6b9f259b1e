// CMD2: an MD2 model drawn from one vertex buffer, and the material every model is lit with.
// This far only the start-up part: initMD2Normals sets DefaultMaterial on the device. Loading,
// animating and drawing models, and the MD2 normal table, come with the model work.
#pragma once
#include "platform/Types.h"

class CMD2 {};

// Diffuse (1, 1, 1, 1), ambient (1, 1, 1, 1), specular and emissive 0, power 10; set once.
extern D3DMATERIAL8 DefaultMaterial;

// Once at start-up, after the device exists and before the first model is loaded: fills
// DefaultMaterial and sets it on D3DDevice (VbError when the device refuses).
void initMD2Normals();
