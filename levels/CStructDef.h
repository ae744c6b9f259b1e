// CStructDef: one kind of structure (a building, pad, catwalk ...): title, model and texture base
// names, scale, vertical offset, 16 lights and their kinds, model-space box and structure type.
// Each definition lives in "\structures\" + sName + ".pnd" (41 lines of items, all 16 lights always
// written). The map loads the 22 game definitions at construction; every placed structure keeps
// its own copy (CStruct.setDef); the structure editor edits, saves and reloads them.
#pragma once
#include <string>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

// StructType: what a structure is to landing, services and missions (editor list order).
enum StructType : Long {
  structParts = 0,
  structRestaurant = 1,
  structLanding = 2,
  structGeneric = 3,
  structGas = 4,
  structShips = 5,
  structShopping = 6,
  structAmmo = 7,
  structHut = 8,
  structBank = 9,
  structMControl = 10,
};

// LightType: what a structure light emits each frame (CStruct.Move).
enum LightType : Long {
  lightWhite = 0,
  lightRed = 1,
  lightBlue = 2,
  lightGreengas = 3,
  lightYellow = 4,
};

constexpr Integer StructLights = 16;  // light table size; indexes 0..15

class CStructDef {
 public:
  std::string Title;        // display title, first line of the file
  std::string sName;        // file name without folder and ".pnd"; not stored in the file
  Integer totalLights = 0;  // highest light index in use (0..15 as the editor writes it)
  std::string ModelName;    // model base under "models\structs\" (main, "_o" and "_f" models)
  std::string TextureName;  // texture base (+ ".bmp" and + "_f.bmp")
  Integer zOff = 0;         // vertical offset of the box and the drawing position, world units

  void setType(Long t) { Kind = t; }
  Long getType() const { return Kind; }
  void setlBounds(const D3DVECTOR& v) { LowerBound = v; }
  D3DVECTOR getLBounds() const { return LowerBound; }
  void setuBounds(const D3DVECTOR& v) { UpperBound = v; }
  D3DVECTOR getUBounds() const { return UpperBound; }
  void setScale(const D3DVECTOR& v) { Scale = v; }
  D3DVECTOR getScale() const { return Scale; }
  // Light accessors take indexes 0..15; any other index raises Subscript out of range.
  void setLightPos(Long i, Single x, Single y, Single z);
  D3DVECTOR getLightPos(Long i) const;
  void setLightType(Long i, Long t);
  Long getLightType(Long i) const;

  void Init() { totalLights = 0; }
  // Reads the file named by sName into every field but sName. A missing, short or malformed
  // file raises a VbError naming the file, and the definition keeps all its previous values.
  void Load();
  // Writes every field but sName to the file named by sName, replacing it atomically.
  void Save() const;

  std::string filePath() const;  // "\structures\" + sName + ".pnd"

 private:
  D3DVECTOR LightPos[StructLights];  // offsets from the structure's location
  Long LightKind[StructLights] = {};  // LightType of each light
  D3DVECTOR Scale;
  D3DVECTOR LowerBound;  // model-space box
  D3DVECTOR UpperBound;
  Long Kind = 0;  // StructType
};
