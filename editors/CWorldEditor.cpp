#include "editors/CWorldEditor.h"

#include "campaign/CWorld.h"
#include "editors/frmWorldEdit.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"

std::shared_ptr<CWorldEditor> WorldEditor;

CWorldEditor::CWorldEditor() = default;
CWorldEditor::~CWorldEditor() = default;

bool CWorldEditor::hasSelection() const {
  return World_ && World_->Selected >= 0 && World_->Selected <= World_->getTotalNodes();
}

void CWorldEditor::Render() {
  if (!World_) return;
  const Integer before = World_->Selected;
  World_->Render(true, 1.0f);
  if (World_->Selected != before && hasSelection()) ShowNodeValues();
}

void CWorldEditor::ShowNodeValues() {
  if (form_) form_->showNode();
}

void CWorldEditor::ClearLinks() {
  if (hasSelection()) World_->ClearLinks(World_->Selected);
}

void CWorldEditor::setEraGray(Integer era, Integer value) {
  if (hasSelection()) World_->setEraGray(World_->Selected, era, value);
}

Integer CWorldEditor::getEraGray(Integer era) const {
  return hasSelection() && World_->getEraGray(World_->Selected, era) ? 1 : 0;
}

std::string CWorldEditor::getTitle() const { return hasSelection() ? World_->getNodeTitle(World_->Selected) : ""; }
std::string CWorldEditor::getPath() const { return hasSelection() ? World_->getNodePath(World_->Selected) : ""; }
std::string CWorldEditor::getDesc() const { return hasSelection() ? World_->getNodeDesc(World_->Selected) : ""; }
Single CWorldEditor::getX() const { return hasSelection() ? World_->getNodeX(World_->Selected) : 0.0f; }
Single CWorldEditor::getY() const { return hasSelection() ? World_->getNodeY(World_->Selected) : 0.0f; }
std::string CWorldEditor::getIcon() const { return hasSelection() ? CStr(World_->getNodeIcon(World_->Selected)) : ""; }
Long CWorldEditor::getAlign() const { return hasSelection() ? World_->getNodeAlign(World_->Selected) : 0; }
Long CWorldEditor::getWorldType() const { return hasSelection() ? World_->getNodeWorldType(World_->Selected) : 0; }
Integer CWorldEditor::getLevel() const { return hasSelection() ? World_->getNodeLevel(World_->Selected) : 0; }

void CWorldEditor::setAddLink() {
  if (hasSelection()) World_->setAddingLink();
}

void CWorldEditor::UpdateValues(const std::string& title, const std::string& path, const std::string& desc,
                                Integer icon, Long align, Integer level, Long worldType) {
  if (hasSelection()) World_->setNode(World_->Selected, title, path, desc, icon, align, level, worldType);
}

void CWorldEditor::AddNode(const std::string& title, const std::string& path, Single x, Single y,
                           const std::string& desc, Integer icon, Long align, Integer level) {
  if (World_) World_->AddNode(title, path, x, y, desc, icon, align, level);
}

void CWorldEditor::Init() {
  World_ = std::make_unique<CWorld>();
  World_->Init(ViewWidth, ViewHeight);
  form_ = std::make_unique<FrmWorldEdit>(*this);
  form_->show();
}

void CWorldEditor::setScrollx(Single v) {
  if (World_) World_->ScrollX = v;
}
void CWorldEditor::setScrolly(Single v) {
  if (World_) World_->ScrollY = v;
}

void CWorldEditor::Save() {
  if (World_) World_->Save();
}

std::string CWorldEditor::filePath() const {
  return World_ ? "\\maps\\" + World_->WorldName + ".pnd" : "";
}

bool CWorldEditor::hasFile() const { return World_ && fileExists(resolvePath(filePath())); }

void CWorldEditor::Load() {
  if (!World_) return;
  World_->Load();
  World_->Selected = -1;  // the old index may name no node of the new table
}
