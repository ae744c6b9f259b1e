// BillMod: screen quads drawn in screen pixels from four pre-transformed vertices (Back3DCust,
// Back3DRot, makeTLVertex): text, interface panels, the loading screen and the full-screen effect
// use them. Camera-facing billboards join this module later.
//
// Texture coordinates of a screen quad are its source rectangle divided by 256: source rectangles
// are texel coordinates in a 256 x 256 texture. The blend is additive (ONE, ONE); the stage-0
// colour operation is whatever the last setQuickRMode left (texture x factor after rpAdditive or
// rpColorBlend, texture x vertex colour otherwise). Blending is off again afterwards.
#pragma once
#include <array>
#include <memory>

#include "engine/GeomMod.h"
#include "platform/Direct3D.h"
#include "runtime/Numbers.h"

// The corners of the screen quad being drawn; overwritten by each call.
extern std::array<ScreenVertex, 4> ScreenQuadVerts;

// A screen vertex at (x, y) pixels with z 0 and rhw 1.
ScreenVertex makeTLVertex(Single x, Single y, D3DCOLOR color, Single u, Single v);

// Draws src (texels of a 256 x 256 texture) of texture into dst (screen pixels) in colour
// (red, green, blue). Nothing is drawn when drawFlag is 0 (callers pass -1); the eighth argument
// is not used. texture may be empty (the quad then shows its colour). A failed device call logs
// "Error in Back3DCust: " + the error text (unforced) and ends the draw.
void Back3DCust(const std::shared_ptr<Direct3DTexture8>& texture, const RECT& src, const RECT& dst, Integer red,
                Integer green, Integer blue, Integer drawFlag, Integer unused);
// As Back3DCust into the square of circumradius radius about (centreX, centreY) turned by angle
// radians: corner k at centre + radius (cos(angle + a_k), sin(angle + a_k)), a = 3.14, 4.71,
// 1.57, 0, each corner keeping Back3DCust's texture coordinates. Logs "Error in Back3DRot: ".
void Back3DRot(const std::shared_ptr<Direct3DTexture8>& texture, const RECT& src, Single centreX, Single centreY,
               Single radius, Integer red, Integer green, Integer blue, Single angle);
