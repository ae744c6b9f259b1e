#include "editors/CMapEditor.h"

#include <algorithm>
#include <cmath>

#include "editors/EditorMod.h"
#include "editors/frmMapEdit.h"
#include "engine/GameGlobals.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Paths.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

std::shared_ptr<CMapEditor> MapEditor;

CMapEditor::CMapEditor() = default;
CMapEditor::~CMapEditor() = default;

void CMapEditor::Init() {
  EditMap = std::make_unique<CMap>();
  GameInterface = std::make_shared<CInterface>();
  form_ = std::make_unique<FrmMapEdit>(*this);
  form_->show();
}

void CMapEditor::Move() {
  if (!EditMap) return;
  EditMap->Move(true, sEditing);
  MoveSprites();
  const PointerStep step = trackEditorPointer();
  if (Ships.empty()) Ships.resize(1);
  if (!Ships[0]) Ships[0] = std::make_shared<CShip>();
  CShip& flyer = *Ships[0];
  if (MouseHeld && MouseButton == 2) flyer.keyThrust = true;
  if (!MouseHeld) flyer.keyThrust = false;
  ViewAngle -= step.dx / 50;
  LookHeight -= step.dy;
  if (flyer.keyThrust) {
    EyeX += static_cast<Single>(std::cos(ViewAngle) * 500 * FrameTime);
    EyeZ += static_cast<Single>(std::sin(ViewAngle) * 500 * FrameTime);
  }
  setFlightCamera(ViewAngle, LookHeight, EyeHeight, EyeX, EyeZ);
}

void CMapEditor::DrawSkyBox() {
  if (EditMap) EditMap->RenderSky(Editing);
}

void CMapEditor::Render() {
  if (!EditMap) return;
  SortSprites();
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  EditMap->Render();
  checkHResult(device().SetRenderState(D3DRS_ZWRITEENABLE, 0));
  EditMap->FadeRender();
  RenderSpriteListA();
  setQuickRMode(rpFogged, 255, 255, 255, 255);
  checkHResult(device().SetRenderState(D3DRS_ZWRITEENABLE, 1));
}

D3DVECTOR CMapEditor::eye() const {
  D3DVECTOR v;
  v.x = EyeX;
  v.y = EyeHeight;
  v.z = EyeZ;
  return v;
}

void CMapEditor::setScrollx(Integer s, double degrees) {
  if (EditMap) EditMap->setSecX(s, degreesToRadians(degrees));
}
void CMapEditor::setScrolly(Integer s, double degrees) {
  if (EditMap) EditMap->setSecY(s, degreesToRadians(degrees));
}
void CMapEditor::setScrollR(Integer s, double degrees) {
  if (EditMap) EditMap->setSecR(s, degreesToRadians(degrees));
}
void CMapEditor::setScrollScale(Integer s, Single scale) {
  if (EditMap) EditMap->setSecScale(s, scale);
}

namespace {
Long wholeDegrees(Single radians) {
  const double d = roundHalfEven(radiansToDegrees(radians));
  return std::isfinite(d) ? static_cast<Long>(std::clamp(d, -2e9, 2e9)) : 0;
}
}  // namespace

Long CMapEditor::getScrollX(Integer s) const { return EditMap ? wholeDegrees(EditMap->getSecX(s)) : 0; }
Long CMapEditor::getScrollY(Integer s) const { return EditMap ? wholeDegrees(EditMap->getSecY(s)) : 0; }
Long CMapEditor::getScrollR(Integer s) const { return EditMap ? wholeDegrees(EditMap->getSecR(s)) : 0; }

Long CMapEditor::getScrollScale(Integer s) const {
  if (!EditMap) return 0;
  const double whole = std::floor(EditMap->getSecSC(s));
  return std::isfinite(whole) ? static_cast<Long>(std::clamp(whole, 10.0, 2e9)) : 10;
}

Single CMapEditor::getScale(Integer s) const { return EditMap ? EditMap->getSecSC(s) : 0; }

void CMapEditor::setTexture(Integer s, const std::string& file) {
  if (EditMap) EditMap->setSecTexture(s, file);
}
std::string CMapEditor::getTexture(Integer s) const { return EditMap ? EditMap->getSecTexture(s) : ""; }

void CMapEditor::setRed(Integer v) {
  if (EditMap) EditMap->setRed(v);
}
void CMapEditor::setGreen(Integer v) {
  if (EditMap) EditMap->setGreen(v);
}
void CMapEditor::setBlue(Integer v) {
  if (EditMap) EditMap->setBlue(v);
}
Single CMapEditor::getRed() const { return EditMap ? EditMap->getRed() : 0; }
Single CMapEditor::getGreen() const { return EditMap ? EditMap->getGreen() : 0; }
Single CMapEditor::getBlue() const { return EditMap ? EditMap->getBlue() : 0; }

void CMapEditor::setTitle(const std::string& title) {
  if (EditMap) EditMap->MapTitle = title;
}
std::string CMapEditor::getTitle() const { return EditMap ? EditMap->MapTitle : ""; }
void CMapEditor::setName(const std::string& name) {
  if (EditMap) EditMap->MapName = name;
}
std::string CMapEditor::getName() const { return EditMap ? EditMap->MapName : ""; }

bool CMapEditor::LoadMap() { return EditMap && EditMap->Load(); }

bool CMapEditor::hasFile() const {
  return EditMap && fileExists(resolvePath("\\maps\\" + EditMap->MapName + ".pnd"));
}

void CMapEditor::SaveMap() {
  if (EditMap) EditMap->Save();
}

D3DVECTOR CMapEditor::getStructPos(Integer slot) const { return EditMap ? EditMap->getStructPos(slot) : D3DVECTOR{}; }
void CMapEditor::setStructPos(Integer slot, Single x, Single y, Single z) {
  if (EditMap) EditMap->setStructPos(slot, x, y, z);
}
void CMapEditor::setStructType(Integer slot, Long defIndex) {
  if (EditMap) EditMap->setStructDef(slot, defIndex);
}
Long CMapEditor::getStructType(Integer slot) const { return EditMap ? EditMap->getStructDef(slot) : 0; }
void CMapEditor::setStructLink(Integer slot, Integer value) {
  if (EditMap) EditMap->setStructLink(slot, value);
}
Integer CMapEditor::getStructLink(Integer slot) const { return EditMap ? EditMap->getStructLink(slot) : 0; }

void CMapEditor::setWeather(Long v) {
  if (EditMap) EditMap->MapWeather = v;
}
void CMapEditor::setFog(Long v) {
  if (EditMap) EditMap->MapFog = v;
}
void CMapEditor::setFX(Long v) {
  if (EditMap) EditMap->MapFX = v;
}
Long CMapEditor::getWeather() const { return EditMap ? EditMap->MapWeather : 0; }
Long CMapEditor::getFog() const { return EditMap ? EditMap->MapFog : 0; }
Long CMapEditor::getFX() const { return EditMap ? EditMap->MapFX : 0; }
