#include "editors/CMapEditor.h"

#include "platform/Forms.h"

std::shared_ptr<CMapEditor> MapEditor;

CMapEditor::CMapEditor() = default;
CMapEditor::~CMapEditor() = default;

void CMapEditor::Init() {
  form_ = std::make_unique<Form>("Map Editor");
  form_->show();
}
