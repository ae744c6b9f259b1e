#include "editors/CShipEditor.h"

#include "platform/Forms.h"

std::shared_ptr<CShipEditor> ShipEditor;

CShipEditor::CShipEditor() = default;
CShipEditor::~CShipEditor() = default;

void CShipEditor::Init() {
  form_ = std::make_unique<Form>("Ship Editor");
  form_->show();
}
