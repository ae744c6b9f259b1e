#include "ships/CCharacter.h"

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"

std::vector<std::shared_ptr<CCharacter>> Characters;

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
  } else {
    blendRate = blendTime;
    blendMode = 1;
    pendingAnim = static_cast<Integer>(a);
  }
}

void CCharacter::Move() {
  if (!(FreeFalling > 0)) return;
  const Single dt = static_cast<Single>(FrameTime);
  x += xM * dt;
  y += yM * dt;
  e += eM * dt;
  eM -= 100 * dt;
  FreeFalling += dt;
}

void CCharacter::Render(Integer& v) { (void)v; }
