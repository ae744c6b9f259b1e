#include "editors/CWorldEditor.h"

#include "platform/Forms.h"

std::shared_ptr<CWorldEditor> WorldEditor;

CWorldEditor::CWorldEditor() = default;
CWorldEditor::~CWorldEditor() = default;

void CWorldEditor::Init() {
  form_ = std::make_unique<Form>("World Editor");
  form_->show();
}
