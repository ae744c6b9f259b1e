// CStruct: one placed structure of the current map. It keeps its own copy of the CStructDef it
// was made from, an axis-aligned world box for the collision and landing queries, and its light
// table. The map owns 32 of them (one per structure slot); the structure editor owns a preview.
// World box: WorldLower = Location + Scale x LocalLower and WorldUpper = Location + Scale x
// LocalUpper componentwise, with VOff added to both y; corners are not re-ordered (a negative
// scale gives a box no point is inside). Recomputed only by setLoc, setDef and Init.
// Drawing (CMap.Render and CMap.FadeRender call it): the solid pass, the glow pass and the far-fade
// pass of its three models, "models\structs\" + base + ".md2", "_o.md2" (outline, drawn with the
// shade textures FadeTex) and "_f.md2" (glow, drawn additively); each frame its lights start sprites.
#pragma once
#include <string>

#include "levels/CStructDef.h"
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

class CStruct {
 public:
  std::string myName;       // the definition's file name, copied by Init
  bool Exists = false;      // the slot holds an active structure; set by Init, cleared by the map
  Integer totalLights = 0;  // highest light index the light step visits; at most 15

  // Takes a private copy of def (everything but its Title) and sets the structure up (Init).
  void setDef(const CStructDef& def);
  // Fills the structure from its definition copy and activates it.
  void Init();
  void setLoc(Single x, Single y, Single z);  // world units; y is the height
  D3DVECTOR getLoc() const { return Location; }
  D3DVECTOR getLBounds() const { return WorldLower; }
  D3DVECTOR getUBounds() const { return WorldUpper; }
  Long getType() const { return DefCopy.getType(); }  // StructType of the copy, active or not
  Long getDef() const { return Exists ? KindCopy : -1; }  // StructType, -1 when inactive

  // True when (x, y, z) lies strictly inside the world box widened by w on x and z only.
  bool cheapCheckWithin(Single x, Single y, Single z, Single w) const {
    return WorldLower.x - w < x && x < WorldUpper.x + w && WorldLower.y < y && y < WorldUpper.y &&
           WorldLower.z - w < z && z < WorldUpper.z + w;
  }
  // Move from (pX, pY, pZ) to (x, y, z) of a body of radius w: True when the new point lies
  // strictly inside the box grown by w on x and z and w/2 on y; then each new coordinate that
  // crossed a grown face from outside falls back to its old value. The structure is unchanged.
  // (Inline: every ship's step asks it of every structure several times.)
  bool checkWithin(Single pX, Single pY, Single pZ, Single& x, Single& y, Single& z, Single w) const {
    const Single h = w / 2;
    if (!(WorldLower.x - w < x && x < WorldUpper.x + w && WorldLower.y - h < y && y < WorldUpper.y + h &&
          WorldLower.z - w < z && z < WorldUpper.z + w))
      return false;
    slideAxis(WorldLower.x - w, WorldUpper.x + w, pX, x);
    slideAxis(WorldLower.y - h, WorldUpper.y + h, pY, y);
    slideAxis(WorldLower.z - w, WorldUpper.z + w, pZ, z);
    return true;
  }

  // Per frame: advances LightClock by FrameTime and starts the sprites of lights 0..totalLights
  // (red lights chase in groups of four, one step a second); ShowBounds adds flares at the
  // corners of the world box and of the unshifted model box (the structure editor).
  void Move(bool ShowBounds);
  // Solid pass: the main model, and the "_o" outline plain out to about 4730 units of ground
  // distance from CamEye. Nothing when no ground corner passes easyTestVis or the eye is inside.
  void Render();
  // Glow pass (no visibility test): with the eye inside, the outline with shade 9 blended; then
  // the "_f" model additively with the factor of the preset the caller set. Alpha blending is off
  // afterwards.
  void FadeRender();
  // Far-fade pass: the outline with shade 1..14 between 4730 and 5000 units. Leaves alpha
  // blending on for the caller.
  void DynaFadeRender();

 private:
  void updateWorldBounds();
  bool cameraInside() const;
  bool cornerVisible() const;
  void setWorld() const;
  static void drawModel(Integer handle, Integer fade);
  static void slideAxis(Single lower, Single upper, Single old, Single& now) {
    if (lower >= old && lower < now) now = old;
    if (upper <= old && upper > now) now = old;
  }

  D3DVECTOR Location;
  Integer ModelMain = -1, ModelO = -1, ModelF = -1;  // model handles: main, "_o", "_f" glow
  Integer TexMain = -1, TexF = -1;                   // texture handles: base + ".bmp", + "_f.bmp"
  D3DVECTOR Scale;
  CStructDef DefCopy;
  D3DVECTOR LightPos[StructLights];  // offsets from Location (not scaled)
  Long LightKind[StructLights] = {};
  D3DVECTOR LocalUpper, LocalLower;  // model-space box
  D3DVECTOR WorldLower, WorldUpper;
  Long KindCopy = 0;    // StructType copied by Init
  Integer VOff = 0;     // the definition's zOff
  Single LightClock = 0;  // seconds, advanced by the light step
};
