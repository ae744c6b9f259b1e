#include "ships/CCharacter.h"

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"

std::vector<std::shared_ptr<CCharacter>> Characters;

namespace {
// CharAnimTable: first and last frame (1-based) and rate of animations 0..25; 2 is the default
// row that every number outside the table also takes.
struct AnimRow {
  Integer first, last;
  Single rate;
};
constexpr AnimRow DefaultAnim{21, 26, 2};
constexpr AnimRow CharAnimTable[26] = {
    {1, 10, 1},    {11, 20, 1},   DefaultAnim,   {27, 35, 5},   {36, 44, 10},  {45, 47, 10},  {48, 50, 10},
    {51, 59, 7},   {58, 59, 1},   {60, 64, 1},   {65, 67, 10},  {68, 71, 2},   {72, 75, 2},   {76, 78, 2},
    {79, 82, 2},   {83, 87, 1},   {92, 95, 2},   {88, 91, 2},   {96, 99, 1},   {104, 107, 2}, {100, 103, 2},
    {108, 110, 1}, {111, 113, 10}, {114, 116, 1}, {117, 119, 10}, {21, 27, 12}};

// Distances of the drawing: frames blend up to BlendRange; the overlay shows while
// (d - 720) / 20 rounds to 0 or less (d <= 730) below OverlayRange; the far overlay fade
// starts where (d - 1720) / 20 rounds to 1 and ends at FadeRange.
constexpr Double BlendRange = 500, OverlayRange = 1000, FadeRange = 2000;

Long blendModeAt(Double d) { return d <= BlendRange ? 0 : -1; }
bool overlayAt(Double d) { return d < OverlayRange && CInt((d - 720) / 20) <= 0; }

// The loaded model of a cache handle; null for none (-1), no cache or a model that failed to load.
CMD2* loadedModel(Integer handle) {
  if (handle < 0 || !ModelMon) return nullptr;
  Integer h = handle;
  const Integer slot = ModelMon->getRealModelNum(h);
  if (slot < 0 || static_cast<size_t>(slot) >= ModelSlots.size()) return nullptr;
  CMD2* m = ModelSlots[static_cast<size_t>(slot)].object.get();
  return m && m->Loaded ? m : nullptr;
}

bool isHoldPose(Long a) { return a == 9 || a == 21 || a == 23; }
bool isFirePose(Long a) { return a == 10 || a == 22 || a == 24; }
}  // namespace

void CCharacter::lookUpAnim() {
  const AnimRow& row = anim >= 0 && anim <= 25 ? CharAnimTable[anim] : DefaultAnim;
  firstFrame = row.first;
  lastFrame = row.last;
  rate = row.rate;
  if (anim == 10) bNeedsCoords = true;
}

void CCharacter::Init() {
  Exists = true;
  SwitchWeapon = -1;
  Weapon = -1;
  FreeFalling = 0;
}

void CCharacter::setModel(const std::string& name) {
  modelName = name;
  bodyModel = overlayModel = -1;
  if (!ModelMon || name.empty()) return;  // "" is a character without a model
  bodyModel = ModelMon->getModelNumber("models\\chars\\" + name + ".md2");
  overlayModel = ModelMon->getModelNumber("models\\chars\\" + name + "_o.md2");
  for (Integer m : {bodyModel, overlayModel})
    if (CMD2* model = loadedModel(m)) model->AnimType = 0;
  if (CMD2* body = loadedModel(bodyModel); body && texture >= 0) body->myTexture = texture;
}

void CCharacter::setTexture(const std::string& name) {
  textureName = name;
  texture = -1;
  if (!TexMon || name.empty()) return;
  texture = TexMon->getTextureNumber(name);
  if (CMD2* body = loadedModel(bodyModel)) body->myTexture = texture;
}

void CCharacter::setAnim(Long a, Single blendTime, bool force) {
  if (!(force || blendMode == 0) || a == anim) return;
  if (blendTime <= 0) {
    anim = a;
    lookUpAnim();
    frame = firstFrame - 1;
    prevFrame = firstFrame;
  } else {
    blendRate = blendTime;
    blendMode = 1;
    pendingAnim = static_cast<Integer>(a);
  }
  blend = 0;
}

void CCharacter::Move() {
  const Single dt = static_cast<Single>(FrameTime);
  blend += dt;
  if (FreeFalling > 0) {
    x += xM * dt;
    y += yM * dt;
    e += eM * dt;
    eM -= 100 * dt;
    FreeFalling += dt;
  }
  if (blendMode == 0) {
    lookUpAnim();
  } else if (blendMode == 1) {
    rate = blendRate;
  } else {
    anim = pendingAnim;
    lookUpAnim();
    rate = blendRate;
  }
  blend += rate * dt;
  bool wrapped = false, blendEnded = false;
  if (blend > 1) {
    if (blendMode == 0) {
      prevFrame = frame;
      ++frame;
      blend = 0;
      if (frame > lastFrame - 1) {
        frame = firstFrame - 1;
        wrapped = true;
      }
    } else if (blendMode == 1) {
      anim = pendingAnim;
      lookUpAnim();
      prevFrame = frame;
      frame = firstFrame - 1;
      blendMode = 2;
      blend = 0;
    } else {
      blend = 0;
      blendMode = 0;
      prevFrame = firstFrame - 1;
      frame = firstFrame;
      blendEnded = true;
    }
  }
  if (blendEnded && switchPhase == 1) {
    if (SwitchWeapon == -1) {
      switchPhase = 0;
      Weapon = -1;
    } else {
      setAnim(holdAnim, 10.0f, false);
      switchPhase = 2;
      Weapon = SwitchWeapon;
    }
  } else if (blendEnded && switchPhase == 2) {
    switchPhase = 0;
  }
  if (wrapped) {
    if (isFirePose(anim)) anim -= 1;  // 10 -> 9, 22 -> 21, 24 -> 23
    lookUpAnim();
    frame = firstFrame - 1;
    blend = 0;
  }
}

void CCharacter::setSwitchWeapon(Integer w, Long bodyType) {
  if (isFirePose(anim) || switchPhase != 0 || (w == -1 && Weapon == -1)) return;
  if (w >= 0) {
    if (bodyType == 0) holdAnim = 9;
    else if (bodyType == 1) holdAnim = 21;
    else if (bodyType == 2) holdAnim = 23;
  }
  if (!isHoldPose(anim)) {
    switchPhase = 2;
    setAnim(holdAnim, 10.0f, true);
    Weapon = w;
  } else {
    switchPhase = 1;
    if (bodyType == 0 || bodyType == 2) setAnim(1, 10.0f, true);
    else if (bodyType == 1) setAnim(18, 10.0f, true);
  }
  SwitchWeapon = w;
}

void CCharacter::setvShoot(Single px, Single py, Single pz) {
  shootX = px;
  shootY = py;
  shootZ = pz;
  bNeedsCoords = false;
}

// ---- drawing ----------------------------------------------------------------------------------

void CCharacter::drawModel(Integer m, Long animType, Integer fade, bool held) {
  CMD2* model = loadedModel(m);
  if (!model) return;
  model->AnimType = animType;
  if (held) {
    model->Render(nullptr, 0, 0, 0, 0, 0, true, fade, 0);
    return;
  }
  // The frames after frame stand for the third and fourth key frames, which linear and no
  // blending never read; they also keep the call explicit when frame and prevFrame are both 0.
  model->Render(nullptr, blend, prevFrame, frame, frame, frame + 1, false, fade, 0);
}

void CCharacter::AttachedRender(Double d) {
  const Long mode = blendModeAt(d);
  // Characters of one model share it, each with its own skin: the skin is bound for every draw.
  if (CMD2* body = loadedModel(bodyModel); body && texture >= 0) body->myTexture = texture;
  drawModel(bodyModel, mode, -1);
  if (overlayAt(d)) drawModel(overlayModel, mode, 0);
}

void CCharacter::WeaponRender(Long w, Double d) {
  if (w < 0 || w >= static_cast<Long>(WeaponModels.size())) return;  // weapons 9..15 have no hand model
  const Long mode = blendModeAt(d);
  drawModel(WeaponModels[static_cast<size_t>(w)], mode, -1);
  if (overlayAt(d)) drawModel(WeaponOModels[static_cast<size_t>(w)], mode, 0);
}

void CCharacter::AttachedFadeRender(bool plain) {
  const Double d = getDist(CamEye.x, CamEye.z, x, y);
  if (d >= FadeRange) return;
  const Integer s = CInt((d - 1720) / 20);
  if (s < 1) return;
  drawModel(overlayModel, plain ? -1 : 0, s, true);
}

void CCharacter::Render(bool plain) {
  if (textureName.empty()) return;
  const Long mode = plain ? -1 : 0;
  D3DXMatrixIdentity(MatWorld);
  D3DMATRIX turn, place, world;
  D3DXMatrixRotationY(turn, r);
  D3DXMatrixTranslation(place, x, e, y);
  D3DXMatrixMultiply(world, turn, place);
  checkHResult(device().SetTransform(D3DTS_WORLD, world));
  if (CMD2* body = loadedModel(bodyModel); body && texture >= 0) body->myTexture = texture;
  drawModel(bodyModel, mode, -1);
  if (overlayAt(getDist(CamEye.x, CamEye.z, x, y))) drawModel(overlayModel, mode, 0);
}
