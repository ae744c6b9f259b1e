// TargMod: the target view. Once per frame, before the frame update, RenderTarg draws the
// targeted ship as a turning wire frame into the next of the six 128 x 128 target-view textures
// (TargetTex, TargetSurf and TargetRTS of modDirectX) and marks that slot used; the HUD's radar
// panel shows every used slot. The picture is green for a friend of the viewer, red for an
// enemy, grey for a ship whose armour is below 0.
//
// The device states the view changes (fill, cull, depth test and writes, blending, lighting,
// ambient, stage-0 alpha operation, light 0) are put back as they were, also when drawing fails.
// Lights 1..7 are left off (the frame's lights set them again before the scene is drawn); the
// view transform and CamUp are left as the picture's camera set them (the flight camera sets
// both again later in the frame).
#pragma once
#include "runtime/Numbers.h"

extern Integer TargetSlot;  // slot the next picture goes into, 0..5
extern Double TargetOrbit;  // orbit angle of the picture's camera, radians in [0, 6.28]

// Draws Ships(shipIndex) into slot TargetSlot, tinted by its pilot's hostility toward viewer
// (both ship indexes); nothing when that ship does not exist (the slot does not advance). Called
// by the main loop in play while GameInterface->TargRender is 0 or more. Traps its errors
// ("Error in RenderTarg: ..."); the slot then does not advance.
void RenderTarg(Integer& viewer, Integer& shipIndex);
