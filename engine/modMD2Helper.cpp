#include "engine/modMD2Helper.h"

#include "engine/modDirectX.h"

D3DMATERIAL8 DefaultMaterial;

void initMD2Normals() {
  DefaultMaterial = D3DMATERIAL8{};
  DefaultMaterial.Diffuse = D3DCOLORVALUE{1, 1, 1, 1};
  DefaultMaterial.Ambient = D3DCOLORVALUE{1, 1, 1, 1};
  DefaultMaterial.Power = 10;
  checkHResult(device().SetMaterial(DefaultMaterial));
}
