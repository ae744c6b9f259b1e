// LoaderMod: the game's media loading. LoadModels asks the two caches for every model and
// texture of the game in a fixed order (ships, characters, structures, misc, weapon and mount
// models, sprite and interface textures), keeping the handles in the globals of engine/MediaHandles.h, and draws the
// loading screen (Drawloader: a ring of the last names asked for, "loading stuff...", a progress
// bar and its percentage) while it runs the first time. LoadSounds fills the sound slots,
// LoadFontTextures the two font textures, LoadCharDefs the character table of "\data\chars.pnd".
//
// After a device reset the main loop empties both caches and calls LoadModels again: the same
// request order gives every handle its old value, nothing is drawn and nothing logged.
#pragma once
#include <string>

#include "engine/MediaHandles.h"
#include "runtime/Numbers.h"

// ---- operations ----
// Reads "\data\chars.pnd" into CharDefs: every entry first "hiro" / "hiro.bmp"; a line "#name"
// of a known character takes the next line as its model and the one after as its skin ("null"
// empties either). A file that ends inside a record ends the table there; a missing file is
// logged ("Error in LoadCharDefs: ") and leaves the presets.
void LoadCharDefs();
// One loading-screen step (scene, ring, bar, percentage, Present) while LoadScreenOn and not
// LoadDone. The screen is drawn at most once every 16 ms (a display frame): a step sooner after
// the last drawn one only counts (LoadCount); the first step of each LoadModels draws. Traps its
// errors ("Error in Drawloader: ").
void Drawloader();
// The device's EndScene; a failure is logged ("Error in TryEndScene: ").
void TryEndScene();
// The whole model and texture load (order in LoaderMod.cpp), then LoadDone := True. Called when
// play begins and after a device reset. No trap of its own: a missing file is handled by the
// caches; a missing device or map raises to the caller.
void LoadModels();
// InitSound, then the 34 effect sounds into their slot globals.
void LoadSounds();
// "text.bmp" into TexFont, "text.dds" into TexFontDDS.
void LoadFontTextures();
void LoadMiscModels();
void LoadWeaponModels();
void LoadMountModels();
// One model (path under the game folder) into MiscModels(index) / MountModels(index), drawn with
// the texture name; one loading step.
void LoadMiscModel(Integer index, const std::string& modelPath, const std::string& textureName);
void LoadMountModel(Integer index, const std::string& modelPath, const std::string& textureName);
// path + ".md2" into WeaponModels(index) and path + "_o.md2" into WeaponOModels(index), both with
// the texture; a step after each.
void LoadWeaponModel(Integer index, const std::string& modelPathNoExt, const std::string& textureName);
// DxSprite anew, then every sprite, interface and effect texture into its global.
void LoadSpriteTextures();
