#include "levels/CStruct.h"

#include <algorithm>
#include <cmath>

#include "campaign/CPlayer.h"
#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "sprites/SpriteMod.h"

namespace {
constexpr Double FarFadeStart = 4720;  // ground distance where the outline starts to fade
constexpr Double FarFadeEnd = 5000;    // beyond it the outline is not drawn
constexpr Integer InsideShade = 9;     // shade of the outline seen from inside

// The model of a cache handle; null while there is no cache, for a handle the cache never gave,
// or for a model that failed to load.
CMD2* modelOf(Integer handle) {
  if (!ModelMon || handle < 0) return nullptr;
  Integer h = handle;
  const Integer slot = ModelMon->getRealModelNum(h);
  if (slot < 0 || static_cast<size_t>(slot) >= ModelSlots.size()) return nullptr;
  CMD2* m = ModelSlots[static_cast<size_t>(slot)].object.get();
  return m && m->Loaded ? m : nullptr;
}

D3DVECTOR at(Single x, Single y, Single z) {
  D3DVECTOR v;
  v.x = x;
  v.y = y;
  v.z = z;
  return v;
}

void spriteAt(const D3DVECTOR& p, Long kind, Single life = 0) { AddSprite(p.x, p.y, p.z, 0, 0, 0, kind, life, 0, -1, -1); }
}  // namespace

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
  // Media through the caches (none while the caches are not up, as in the map tools' tests).
  const std::string base = DefCopy.ModelName;
  const std::string tex = DefCopy.TextureName;
  if (ModelMon) {
    ModelMain = ModelMon->getModelNumber("models\\structs\\" + base + ".md2");
    // The main model's box over all its frames replaces the definition's. A model that did not
    // load keeps the definition's box, so the structure still blocks and lands.
    if (const CMD2* m = modelOf(ModelMain)) {
      LocalLower = m->getLBounds();
      LocalUpper = m->getUBounds();
      updateWorldBounds();
    }
    ModelO = ModelMon->getModelNumber("models\\structs\\" + base + "_o.md2");
  }
  if (TexMon) TexMain = TexMon->getTextureNumber(tex + ".bmp");
  if (ModelMon) ModelF = ModelMon->getModelNumber("models\\structs\\" + base + "_f.md2");
  if (TexMon) TexF = TexMon->getTextureNumber(tex + "_f.bmp");
  if (CMD2* m = modelOf(ModelMain)) m->myTexture = TexMain;
  if (CMD2* m = modelOf(ModelF)) m->myTexture = TexF;
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

// ---- lights --------------------------------------------------------------------------------

void CStruct::Move(bool ShowBounds) {
  const Single old = LightClock;
  LightClock += static_cast<Single>(FrameTime);
  const Long second = static_cast<Long>(Int(LightClock));
  const bool puff = Int(old * 5.0) != Int(LightClock * 5.0);
  // totalLights is bounded to the table by Init; the bound is kept here too for a caller that
  // wrote the public field.
  const Integer last = std::min<Integer>(totalLights, StructLights - 1);
  for (Integer i = 0; i <= last; ++i) {
    const D3DVECTOR p = at(Location.x + LightPos[i].x, Location.y + LightPos[i].y + VOff, Location.z + LightPos[i].z);
    switch (LightKind[i]) {
      case lightRed:
        if (GameMode == pmStructEditor) spriteAt(p, skHaloFlare, 1.0f);
        if (second % 4 == i % 4) spriteAt(p, skHaloFlare, 1.0f - (LightClock - static_cast<Single>(Int(LightClock))));
        break;
      case lightBlue: spriteAt(p, skBlueGlow); break;
      case lightGreengas:
        if (puff) {
          const Single vx = Rnd() * 20 - 10;
          const Single vy = Rnd() * 100 + 100;
          const Single vz = Rnd() * 20 - 10;
          AddSprite(p.x, p.y, p.z, vx, vy, vz, skGreenCloud, 0, 0, -1, -1);
        }
        break;
      case lightYellow: spriteAt(p, skBlueRedGlow); break;
      default: break;
    }
  }
  if (!ShowBounds) return;
  auto corners = [](const D3DVECTOR& lo, const D3DVECTOR& hi, Long ends, Long others) {
    for (int k = 0; k < 8; ++k) {
      const D3DVECTOR c = at(k & 1 ? hi.x : lo.x, k & 2 ? hi.y : lo.y, k & 4 ? hi.z : lo.z);
      spriteAt(c, k == 0 || k == 7 ? ends : others);
    }
  };
  corners(WorldLower, WorldUpper, skBlueFlare, skFlare);
  const D3DVECTOR lo = at(Location.x + Scale.x * LocalLower.x, Location.y + Scale.y * LocalLower.y,
                          Location.z + Scale.z * LocalLower.z);
  const D3DVECTOR hi = at(Location.x + Scale.x * LocalUpper.x, Location.y + Scale.y * LocalUpper.y,
                          Location.z + Scale.z * LocalUpper.z);
  corners(lo, hi, skFlare, skBlueFlare);
}

// ---- drawing -------------------------------------------------------------------------------

bool CStruct::cameraInside() const {
  if (ClassicView && !CamDetached)
    return WorldLower.y > 200 && WorldLower.x < CamEye.x && CamEye.x < WorldUpper.x && WorldLower.z < CamEye.z &&
           CamEye.z < WorldUpper.z && CamEye.y > WorldLower.y;
  return WorldLower.x < CamEye.x && CamEye.x < WorldUpper.x && WorldLower.y < CamEye.y && CamEye.y < WorldUpper.y &&
         WorldLower.z < CamEye.z && CamEye.z < WorldUpper.z;
}

bool CStruct::cornerVisible() const {
  return easyTestVis(WorldLower.x, WorldLower.z) || easyTestVis(WorldUpper.x, WorldUpper.z) ||
         easyTestVis(WorldUpper.x, WorldLower.z) || easyTestVis(WorldLower.x, WorldUpper.z);
}

void CStruct::setWorld() const {
  D3DMATRIX S, T, W;
  D3DXMatrixScaling(S, Scale.x, Scale.y, Scale.z);
  D3DXMatrixTranslation(T, Location.x, Location.y + VOff, Location.z);
  D3DXMatrixMultiply(W, S, T);
  checkHResult(device().SetTransform(D3DTS_WORLD, W));
}

void CStruct::drawModel(Integer handle, Integer fade) {
  if (CMD2* m = modelOf(handle)) m->Render(nullptr, 0, 0, 0, 0, 0, true, fade, 0);
}

void CStruct::Render() {
  if (!cornerVisible() || cameraInside()) return;
  setWorld();
  drawModel(ModelMain, -1);
  const Double d = getDist(CamEye.x, CamEye.z, Location.x, Location.z);
  if (d < FarFadeEnd && CInt((d - FarFadeStart) / 20) <= 0) drawModel(ModelO, 0);
}

// Blending by the texture's own alpha, as the shade textures draw.
static void setShadeBlend(Direct3DDevice8& dev) {
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
  checkHResult(dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA));
  checkHResult(dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA));
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1));
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE));
}

void CStruct::FadeRender() {
  Direct3DDevice8& dev = device();
  setWorld();
  setShadeBlend(dev);
  if (cameraInside()) drawModel(ModelO, InsideShade);
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE));
  checkHResult(dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE));
  checkHResult(dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE));
  drawModel(ModelF, -1);
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0));
}

void CStruct::DynaFadeRender() {
  if (!cornerVisible()) return;
  Direct3DDevice8& dev = device();
  setWorld();
  setShadeBlend(dev);
  const Double d = getDist(CamEye.x, CamEye.z, Location.x, Location.z);
  if (d >= FarFadeEnd) return;
  const Integer n = CInt((d - FarFadeStart) / 20);
  if (n > 0) drawModel(ModelO, n);
}
