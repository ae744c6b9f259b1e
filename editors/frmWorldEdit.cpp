#include "editors/frmWorldEdit.h"

#include <exception>

#include "editors/CWorldEditor.h"
#include "editors/EditorMod.h"
#include "engine/MessageLog.h"
#include "runtime/Strings.h"

std::vector<std::string> FrmWorldEdit::worldTypeNames() {
  return {"Intl Trading",       "Intl Metropolis",  "Intl Frontier",     "Zombie Trading",     "Zombie Metropolis",
          "Zombie Frontier",    "Ninja Trading",    "Ninja Metropolis",  "Ninja Frontier",     "Pirate Cove",
          "Pirate Base",        "Pterodactyl Office", "Pterodactyl Nexus", "Pterodactyl Military", "Wasteland",
          "Cyborg Base",        "Cyborg HQ",        "Graveyard",         "DemoScene",          "WastedLand",
          "Zafia Base",         "Zafia HQ",         "Cops And Zafia",    "Cops And Cyborgs",   "Cops And Pirates",
          "Pteros and Cyborgs"};
}

FrmWorldEdit::FrmWorldEdit(CWorldEditor& editor) : Form("World Editor"), editor_(editor) {
  chkEraGray(0).rowLabel = "Eragray:";
  for (CommandButton* b : {&cmdUpdate, &cmdAddLink, &cmdClearLinks, &cmdLoad}) b->sameLine = true;
  txtWorld.locked = true;
  lblStatus.wrap = true;
  HScroll.onChange = [this] { editor_.setScrollx(HScroll.value()); };
  VScroll.onChange = [this] { editor_.setScrolly(VScroll.value()); };
  cmdNewNode.onClick = [this] { cmdNewNode_Click(); };
  cmdUpdate.onClick = [this] { cmdUpdate_Click(); };
  cmdAddLink.onClick = [this] { editor_.setAddLink(); };
  cmdClearLinks.onClick = [this] { editor_.ClearLinks(); };
  cmdSave.onClick = [this] { cmdSave_Click(); };
  cmdLoad.onClick = [this] { cmdLoad_Click(); };
}

void FrmWorldEdit::report(const std::string& text) {
  lblStatus.setCaption(text);
  if (!text.empty()) addMessage("World Editor: " + text, false);
}

void FrmWorldEdit::showNode() {
  auto listIndex = [](const ComboBox& combo, Long v) {
    return v >= 0 && v < combo.listCount() ? static_cast<Integer>(v) : Integer{-1};  // out of range: no choice
  };
  txtTitle.setText(editor_.getTitle());
  txtDesc.setText(editor_.getDesc());
  txtIcon.setText(editor_.getIcon());
  txtPath.setText(editor_.getPath());
  txtLevel.setText(CStr(editor_.getLevel()));
  cmbAlign.setListIndex(listIndex(cmbAlign, editor_.getAlign()));
  cmbType.setListIndex(listIndex(cmbType, editor_.getWorldType()));
  for (Integer era = 0; era < chkEraGray.count(); ++era) chkEraGray(era).setValue(editor_.getEraGray(era) == 1 ? 1 : 0);
}

void FrmWorldEdit::cmdNewNode_Click() {
  editor_.AddNode("New Node", "losgatos", HScroll.value() + 400.0f, VScroll.value() + 300.0f, "New Description", 0, 0,
                  0);
}

bool FrmWorldEdit::updateNode(std::string& notes) {
  notes.clear();
  if (txtTitle.text() == "eof") {
    report("A node cannot be titled \"eof\": the world file ends at that title.");
    return false;
  }
  if (editor_.hasSelection()) {
    const std::string refused = checkEditorName(txtPath.text(), "A map path");
    if (!refused.empty()) {
      report(refused + "; the node is unchanged.");
      return false;
    }
  }
  const auto icon = editorInteger(txtIcon.text());
  const auto level = editorInteger(txtLevel.text());
  if (!icon || !level) {
    report(std::string(!icon ? "Icon " + txtIcon.text() : "Level " + txtLevel.text()) +
           " lies beyond -32768..32767; the node is unchanged.");
    return false;
  }
  if (editor_.hasSelection()) {
    // A box that is not wholly a number stores its numeric prefix; the status names it.
    for (const auto& [box, value] : {std::pair<const TextBox*, Integer>{&txtIcon, *icon}, {&txtLevel, *level}})
      if (!isEditorNumber(box->text()))
        notes += (notes.empty() ? "" : "; ") + box->label() + " \"" + box->text() + "\" as " + CStr(value);
  }
  // A list showing no choice keeps the node's value.
  const Long align = cmbAlign.listIndex() >= 0 ? cmbAlign.listIndex() : editor_.getAlign();
  const Long type = cmbType.listIndex() >= 0 ? cmbType.listIndex() : editor_.getWorldType();
  editor_.UpdateValues(txtTitle.text(), txtPath.text(), txtDesc.text(), *icon, align, *level, type);
  for (Integer era = 0; era < chkEraGray.count(); ++era) editor_.setEraGray(era, chkEraGray(era).value());
  return true;
}

void FrmWorldEdit::cmdUpdate_Click() {
  std::string notes;
  if (updateNode(notes) && !notes.empty()) report("Not numbers, stored as read: " + notes + ".");
}

void FrmWorldEdit::cmdSave_Click() {
  std::string notes;
  if (!updateNode(notes)) return;
  std::string question;
  if (!replace_.mayWrite(editor_.filePath(), editor_.hasFile(), editor_.filePath(), question)) {
    report(question);
    return;
  }
  try {
    editor_.Save();
    replace_.holds(editor_.filePath());
    report("Saved the world." + (notes.empty() ? "" : " Not numbers, saved as read: " + notes + "."));
  } catch (const std::exception& e) {
    report(std::string("Save failed: ") + e.what());
  }
}

void FrmWorldEdit::cmdLoad_Click() {
  replace_.loadPressed();
  try {
    editor_.Load();
    replace_.holds(editor_.filePath());
    report("Loaded the world.");
  } catch (const std::exception& e) {
    report(std::string("Load failed: ") + e.what() + "; the map keeps its nodes.");
  }
}
