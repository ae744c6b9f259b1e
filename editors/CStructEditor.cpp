#include "editors/CStructEditor.h"

#include <algorithm>
#include <exception>

#include "editors/EditorMod.h"
#include "editors/frmStructEdit.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CStruct.h"
#include "levels/CStructDef.h"
#include "runtime/Paths.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"

std::shared_ptr<CStructEditor> StructEditor;

CStructEditor::CStructEditor() : PreviewStruct(std::make_unique<CStruct>()), EditDef(std::make_unique<CStructDef>()) {}
CStructEditor::~CStructEditor() = default;

namespace {
Integer whole(Single v) { return static_cast<Integer>(std::clamp(roundHalfEven(v), -32768.0, 32767.0)); }
}  // namespace

void CStructEditor::setPOSVals(Integer light, Single x, Single y, Single z) { EditDef->setLightPos(light, x, y, z); }
void CStructEditor::setLightType(Integer light, Long type) { EditDef->setLightType(light, type); }
Long CStructEditor::getLightType(Integer light) const { return EditDef->getLightType(light); }
D3DVECTOR CStructEditor::getLightPos(Integer light) const { return EditDef->getLightPos(light); }
Integer CStructEditor::getXVal(Integer light) const { return whole(EditDef->getLightPos(light).x); }
Integer CStructEditor::getYVal(Integer light) const { return whole(EditDef->getLightPos(light).y); }
Integer CStructEditor::getZVal(Integer light) const { return whole(EditDef->getLightPos(light).z); }
void CStructEditor::SaveDef() { EditDef->Save(); }
void CStructEditor::LoadDef() { EditDef->Load(); }
bool CStructEditor::hasFile() const { return fileExists(resolvePath(EditDef->filePath())); }
std::string CStructEditor::getName() const { return EditDef->sName; }
std::string CStructEditor::getTitle() const { return EditDef->Title; }
std::string CStructEditor::getModel() const { return EditDef->ModelName; }
std::string CStructEditor::getTexture() const { return EditDef->TextureName; }
Integer CStructEditor::getTotalLights() const { return EditDef->totalLights; }
Integer CStructEditor::getZOff() const { return EditDef->zOff; }
D3DVECTOR CStructEditor::getScale() const { return EditDef->getScale(); }
void CStructEditor::setName(const std::string& name) { EditDef->sName = name; }
Long CStructEditor::getType() const { return EditDef->getType(); }

void CStructEditor::setVals(const std::string& name, Integer lightCount, const std::string& model,
                            const std::string& texture, Integer vOff, const D3DVECTOR& scale, Long type,
                            const std::string& title) {
  EditDef->Title = title;
  EditDef->sName = name;
  EditDef->totalLights = lightCount;
  EditDef->ModelName = model;
  EditDef->TextureName = texture;
  EditDef->zOff = vOff;
  EditDef->setScale(scale);
  EditDef->setType(type);
}

void CStructEditor::UpdateStruct() { PreviewStruct->setDef(*EditDef); }

void CStructEditor::Init() {
  ViewDistance = 1000;
  if (Ships.empty()) Ships.resize(1);
  Ships[0] = std::make_shared<CShip>();
  Ships[0]->Init(0);
  GameInterface = std::make_shared<CInterface>();
  form_ = std::make_unique<FrmStructEdit>(*this);
  form_->show();
  form_->txtName.setText("parts");
  form_->lights.setValue(1);
  EditDef->sName = "parts";
  std::string failed;
  try {
    EditDef->Load();
  } catch (const std::exception& e) {
    failed = e.what();
  }
  PreviewStruct->setDef(*EditDef);
  PreviewShipDef = std::make_unique<CShipDef>();
  PreviewShip = std::make_shared<CShip>();
  PreviewShipDef->ShipName = "phantom";
  try {
    PreviewShipDef->ReadDef();
  } catch (const std::exception& e) {
    addMessage(std::string("Struct Editor: the preview ship: ") + e.what(), false);
  }
  PreviewShip->Init(0);
  PreviewShip->setDef(*PreviewShipDef);
  PreviewShip->UpdateFromDef();
  PreviewShip->y = 300;
  if (failed.empty()) form_->holdsFile(EditDef->sName);
  form_->fillFromDef(failed.empty() ? "" : "Load failed: " + failed);
}

void CStructEditor::Move() {
  const PointerStep step = trackEditorPointer();
  ViewAngle += step.dx / 50;
  ViewHeight += step.dy * 4;
  if (PreviewShip) {
    PreviewShip->Steering = 10;
    PreviewShip->keyThrust = true;
    PreviewShip->Move();
  }
  PreviewStruct->Move(true);
  setOrbitCamera(ViewAngle, ViewHeight, ViewDistance);
  MoveSprites();
}

void CStructEditor::Render() {
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  PreviewStruct->Render();
  if (PreviewShip) {
    Single distance = -1.0f;
    PreviewShip->Render(distance);
  }
  checkHResult(device().SetRenderState(D3DRS_ZWRITEENABLE, 0));
  PreviewStruct->FadeRender();
  SortSprites();
  RenderSpriteListA();
  checkHResult(device().SetRenderState(D3DRS_ZWRITEENABLE, 1));
}
