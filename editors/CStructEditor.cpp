#include "editors/CStructEditor.h"

#include "platform/Forms.h"

std::shared_ptr<CStructEditor> StructEditor;

CStructEditor::CStructEditor() = default;
CStructEditor::~CStructEditor() = default;

void CStructEditor::Init() {
  form_ = std::make_unique<Form>("Struct Editor");
  form_->show();
}
