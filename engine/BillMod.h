// BillMod: the drawing helpers of every effect, sprite and overlay.
//
// Billboards: a 32 x 32 textured quad of the shared buffers (BillQuadVB, ColorQuadVBs; QuadVertex,
// FVF 0x152, stride 36) drawn as a triangle strip in the world. getBillFace builds the frame's
// camera-facing rotation BillMatrix once per frame; each helper scales the quad by its size (x and
// z) and height (y), turns it in its own plane by its spin (radians, 0 = none), faces it to the
// camera and moves it to a world position. DrawPlane instead lies in the world's x-y plane, not
// turned to the camera. Positions are world vectors; colour components 0..255. Helpers that clamp
// an argument do so in the caller's variable. Each traps its failures ("Error in " + its name +
// ": ") except DrawVBBill, whose errors pass to its caller.
//
// Screen quads: drawn in screen pixels from four pre-transformed vertices (Back3DCust,
// Back3DRot, makeTLVertex): text, interface panels, the loading screen and the full-screen effect
// use them.
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

// ---- billboards ----

// The camera-facing rotation of the current frame (identity until the first getBillFace).
extern D3DMATRIX BillMatrix;

// Once per frame before the billboards: BillMatrix from CamTarget - CamEye: pitch about x, then
// yaw about y. Looking straight up or down (no horizontal component) gives the identity.
void getBillFace();
// Additive, tinted (red, green, blue; below 0 set to 0 in the caller's variables). Skipped when
// easyTestVis(position.x, position.z) is False. In classic view with the camera attached the quad
// is always turned by spin + 3.14. Drawn twice in bullet time. No trap.
void DrawVBBill(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
                Integer& red, Integer& green, Integer& blue, Single spin);
// Colour-blended with brightness alpha (clamped to 0..255 in the caller's variable); stage 1 gets
// the texture of TexNeuBolt with its alpha operation disabled (and keeps it).
void DrawAlphaBill(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
                   Single spin, Single unused, Integer& alpha);
// Additive and white. Buffer: the plain quad when shade is below 0 (or flag is non-zero), else
// ColorQuadVBs(shade), shade first lowered to 31 in the caller's variable.
void DrawBill(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
              Integer unused1, Single spin, Single unused2, Integer flag, Integer& shade);
// A flat quad (not camera-facing) in the world's x-y plane: world = RotZ(spin) x Scale(size,
// height, size) x Translation(position), the spin left out when 0, height -99 meaning size.
// Additive with grey level intensity (below 0 set to 0 in the caller's variable); blending is off
// again afterwards.
void DrawPlane(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
               Single spin, Single height, Integer unused, Integer& intensity);
// Alpha-blended (texture alpha), never spun; height -99 means size. Buffer as DrawBill by shade.
void DrawDDSBill(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
                 Integer unused, Single height, Integer& shade);

// ---- screen quads ----

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
