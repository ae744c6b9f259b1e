// RenderMod: the five render presets that put the device into a fixed blending set-up with a
// texture-factor colour (setQuickRMode), and FtoDW, the bits of a float for float-valued render
// states. Callers set a preset before each group of non-opaque draws; every call sets all of its
// states again (nothing is cached), and the states stay until changed.
#pragma once
#include "runtime/Numbers.h"

// RenderPreset
constexpr Long rpFogged = 0;      // texture x diffuse, no blend, the map's linear fog when it has fog
constexpr Long rpAdditive = 1;    // texture x factor, ONE/ONE
constexpr Long rpAlphaBlend = 2;  // texture x diffuse, alpha = texture alpha x factor alpha, SRCALPHA/INVSRCALPHA
constexpr Long rpColorBlend = 3;  // texture x factor, SRCCOLOR/INVSRCCOLOR
constexpr Long rpSolid = 4;       // texture x diffuse, no blend, no fog

extern Long RenderMode;  // the preset of the last call

// The fog rpFogged sets: the current map's, as the map keeps it (levels/CMap publishes it).
struct MapFogState {
  Integer Fog = 0;                       // fog on (Boolean, -1/0)
  Integer FogR = 0, FogG = 0, FogB = 0;  // colour, 0..255
  Long FogNear = 0, FogFar = 0;          // start and end, world units
};
// Fills out with the current map's fog and returns true; false when there is no map. Set once by
// the map module at start-up; null (no map module) counts as no map.
extern bool (*CurrentMapFog)(MapFogState& out);

// Sets the texture factor ARGB(alpha, red, green, blue), the common stage-0 set-up and the states
// of mode on D3DDevice. red, green and blue below 0 are set to 0 in the caller's variables; alpha
// is not clamped (the colour packing clamps each component to 0..255). rpFogged reads the fog of
// the current map (CurrentMapFog; no map raises VbError 91) and leaves fog as it was on a map
// without fog. A failed device call stops the operation
// and logs "Error in setQuickRMode: " + the error text (unforced).
void setQuickRMode(Long mode, Integer& red, Integer& green, Integer& blue, Integer& alpha);
// The same for callers that pass values (literals, expressions): each is stored to an Integer
// first (VbError 6 outside -32768..32767).
void setQuickRMode(Long mode, Long red, Long green, Long blue, Long alpha);

// The IEEE-754 bit pattern of value as a Long: FtoDW(1.0) = 1065353216, FtoDW(0.0) = 0.
Long FtoDW(Single value);
