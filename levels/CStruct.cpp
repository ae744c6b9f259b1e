#include "levels/CStruct.h"

#include <algorithm>

void CStruct::setDef(const CStructDef& def) {
  CStructDef copy;
  copy.sName = def.sName;
  copy.ModelName = def.ModelName;
  copy.TextureName = def.TextureName;
  copy.setScale(def.getScale());
  copy.zOff = def.zOff;
  copy.totalLights = def.totalLights;
  for (Long i = 0; i < StructLights; ++i) {
    D3DVECTOR p = def.getLightPos(i);
    copy.setLightPos(i, p.x, p.y, p.z);
    copy.setLightType(i, def.getLightType(i));
  }
  copy.setlBounds(def.getLBounds());
  copy.setuBounds(def.getUBounds());
  copy.setType(def.getType());
  DefCopy = copy;
  Init();
}

void CStruct::Init() {
  myName = DefCopy.sName;
  Scale = DefCopy.getScale();
  VOff = DefCopy.zOff;
  LocalLower = DefCopy.getLBounds();
  LocalUpper = DefCopy.getUBounds();
  KindCopy = DefCopy.getType();
  // The light step visits 0..totalLights; a definition claiming more lights than the table
  // holds is bounded to the table.
  totalLights = std::min<Integer>(DefCopy.totalLights, StructLights - 1);
  for (Long i = 0; i < StructLights; ++i) {
    LightPos[i] = DefCopy.getLightPos(i);
    LightKind[i] = DefCopy.getLightType(i);
  }
  updateWorldBounds();
  Exists = true;
}

void CStruct::setLoc(Single x, Single y, Single z) {
  Location.x = x;
  Location.y = y;
  Location.z = z;
  updateWorldBounds();
}

void CStruct::updateWorldBounds() {
  WorldLower.x = Location.x + Scale.x * LocalLower.x;
  WorldLower.y = Location.y + Scale.y * LocalLower.y + VOff;
  WorldLower.z = Location.z + Scale.z * LocalLower.z;
  WorldUpper.x = Location.x + Scale.x * LocalUpper.x;
  WorldUpper.y = Location.y + Scale.y * LocalUpper.y + VOff;
  WorldUpper.z = Location.z + Scale.z * LocalUpper.z;
}

void CStruct::slideAxis(Single lower, Single upper, Single old, Single& now) {
  if (lower >= old && lower < now) now = old;
  if (upper <= old && upper > now) now = old;
}

bool CStruct::checkWithin(Single pX, Single pY, Single pZ, Single& x, Single& y, Single& z,
                          Single w) {
  // The definition's box becomes the local box again; the world box stays until the next setLoc.
  LocalLower = DefCopy.getLBounds();
  LocalUpper = DefCopy.getUBounds();
  const Single h = w / 2;
  if (!(WorldLower.x - w < x && x < WorldUpper.x + w && WorldLower.y - h < y &&
        y < WorldUpper.y + h && WorldLower.z - w < z && z < WorldUpper.z + w))
    return false;
  slideAxis(WorldLower.x - w, WorldUpper.x + w, pX, x);
  slideAxis(WorldLower.y - h, WorldUpper.y + h, pY, y);
  slideAxis(WorldLower.z - w, WorldUpper.z + w, pZ, z);
  return true;
}
