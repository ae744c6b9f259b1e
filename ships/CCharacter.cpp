#include "ships/CCharacter.h"

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"

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
  if (!ModelMon || name.empty()) return;  // "" is a character without a model
  bodyModel = ModelMon->getModelNumber("models\\chars\\" + name + ".md2");
  outlineModel = ModelMon->getModelNumber("models\\chars\\" + name + "_o.md2");
}

void CCharacter::setTexture(const std::string& name) {
  textureName = name;
  if (TexMon && !name.empty()) textureNumber = TexMon->getTextureNumber(name);
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

void CCharacter::Render(Integer& v) { (void)v; }
