#include "editors/frmMapEdit.h"

#include <algorithm>
#include <exception>

#include "editors/CMapEditor.h"
#include "editors/EditorMod.h"
#include "engine/MessageLog.h"
#include "runtime/Numbers.h"
#include "runtime/Strings.h"

namespace {
// The list index that shows value, or no choice when the list has no such entry.
Integer listIndexOf(const ComboBox& combo, Long value) {
  return value >= 0 && value < combo.listCount() ? static_cast<Integer>(value) : -1;
}

Integer barValue(double v) { return static_cast<Integer>(std::clamp(roundHalfEven(v), -32768.0, 32767.0)); }
}  // namespace

std::vector<std::string> FrmMapEdit::structNames() {
  return {"None",        "PlanetWare", "AmazingDinner", "Landing",         "GenBuild1",    "TallBuild",
          "Catwalk",     "Catwalk2",   "GasBlaster",    "TallBuild2",      "GenBuild2",    "ShipYard",
          "ShopperMart", "PleasantTrading", "TriggerHappy", "CloseWalk", "CloseWalk2",   "FirstBank",
          "IndyControl", "NinjaControl",    "Gasbag",       "Cybuild",   "Cross"};
}

FrmMapEdit::FrmMapEdit(CMapEditor& editor) : Form("Map Editor"), editor_(editor) {
  // The name, title, Load and Save share the first row, the sector bars go two by two: the window
  // fits an 800 x 600 screen.
  txtTitle.sameLine = Command1.sameLine = Command2.sameLine = true;
  yScroll.sameLine = scaleScroll.sameLine = true;
  lblStatus.wrap = true;
  cmbFog.sameLine = cmbFX.sameLine = true;
  cmdUpdate.sameLine = true;
  for (ScrollBar* bar : {&SXscroll, &SYScroll, &SZScroll}) bar->sameLine = true;

  onLoad = [this] { Form_Load(); };
  Command1.onClick = [this] { Command1_Click(); };
  Command2.onClick = [this] { Command2_Click(); };
  cmdUpdate.onClick = [this] { cmdUpdate_Click(); };
  rScroll.onChange = [this] { colourChange(rScroll, ColR, &CMapEditor::setRed); };
  gScroll.onChange = [this] { colourChange(gScroll, ColG, &CMapEditor::setGreen); };
  bScroll.onChange = [this] { colourChange(bScroll, ColB, &CMapEditor::setBlue); };
  cmbWeather.onClick = cmbWeather.onChange = [this] { atmosphereChange(cmbWeather, &CMapEditor::setWeather); };
  cmbFog.onClick = cmbFog.onChange = [this] { atmosphereChange(cmbFog, &CMapEditor::setFog); };
  cmbFX.onClick = cmbFX.onChange = [this] { atmosphereChange(cmbFX, &CMapEditor::setFX); };
  optSec.onClick = [this](Integer i) { optSec_Click(i); };
  xScroll.onChange = [this] { sectorChange(0); };
  yScroll.onChange = [this] { sectorChange(1); };
  RotScroll.onChange = [this] { sectorChange(2); };
  scaleScroll.onChange = [this] { sectorChange(3); };
  optStruct.onClick = [this](Integer i) { optStruct_Click(i); };
  cmbStructType.onClick = [this] { cmbStructType_Click(); };
  SXscroll.onChange = [this] { slotChange(0); };
  SYScroll.onChange = [this] { slotChange(1); };
  SZScroll.onChange = [this] { slotChange(2); };
  txtLink.onChange = [this] { txtLink_Change(); };
}

void FrmMapEdit::Form_Load() {
  optSec(0).setValue(true);
  optStruct(0).setValue(true);
}

void FrmMapEdit::report(const std::string& text) {
  lblStatus.setCaption(text);
  if (!text.empty()) addMessage("Map Editor: " + text, false);
}

void FrmMapEdit::colourChange(ScrollBar& bar, Integer& var, void (CMapEditor::*set)(Integer)) {
  if (filling_) return;
  var = bar.value();
  (editor_.*set)(var);
}

void FrmMapEdit::atmosphereChange(const ComboBox& combo, void (CMapEditor::*set)(Long)) {
  if (filling_ || combo.listIndex() < 0) return;  // typed text that names no entry stores nothing
  (editor_.*set)(combo.listIndex());
}

void FrmMapEdit::sectorChange(int which) {
  if (filling_) return;
  sectorMoved_[static_cast<size_t>(which)] = true;
  switch (which) {
    case 0:
      SecX = xScroll.value();
      editor_.setScrollx(CurSector, SecX);
      break;
    case 1:
      SecY = yScroll.value();
      editor_.setScrolly(CurSector, SecY);
      break;
    case 2:
      SecR = RotScroll.value();
      editor_.setScrollR(CurSector, SecR);
      break;
    default:
      SecScale = scaleScroll.value();
      editor_.setScrollScale(CurSector, SecScale);
      break;
  }
}

void FrmMapEdit::cmdUpdate_Click() { UpdateSection(); }

void FrmMapEdit::UpdateSection() {
  // The bars the user moved are already in the sector; the others only show it.
  if (sectorMoved_[0]) editor_.setScrollx(CurSector, SecX);
  if (sectorMoved_[1]) editor_.setScrolly(CurSector, SecY);
  if (sectorMoved_[2]) editor_.setScrollR(CurSector, SecR);
  if (sectorMoved_[3]) editor_.setScrollScale(CurSector, SecScale);
  editor_.setTexture(CurSector, txtBitmap.text());
}

void FrmMapEdit::optSec_Click(Integer i) {
  CurSector = i;
  editor_.Editing = i;
  ShowSection();
}

void FrmMapEdit::ShowSection() {
  FillGuard fill(filling_);
  sectorMoved_.fill(false);
  SecX = barValue(editor_.getScrollX(CurSector));
  SecY = barValue(editor_.getScrollY(CurSector));
  SecR = barValue(editor_.getScrollR(CurSector));
  SecScale = barValue(editor_.getScrollScale(CurSector));
  RotScroll.setValue(SecR);
  scaleScroll.setValue(SecScale);
  xScroll.setValue(SecX);
  yScroll.setValue(SecY);
  txtBitmap.setText(editor_.getTexture(CurSector));
  ColR = barValue(editor_.getRed());
  ColG = barValue(editor_.getGreen());
  ColB = barValue(editor_.getBlue());
  rScroll.setValue(ColR);
  gScroll.setValue(ColG);
  bScroll.setValue(ColB);
  cmbWeather.setListIndex(listIndexOf(cmbWeather, editor_.getWeather()));
  cmbFog.setListIndex(listIndexOf(cmbFog, editor_.getFog()));
  cmbFX.setListIndex(listIndexOf(cmbFX, editor_.getFX()));
}

void FrmMapEdit::optStruct_Click(Integer i) {
  CurSlot = i;
  ShowSlot();
  editor_.sEditing = CurSlot;
}

void FrmMapEdit::ShowSlot() {
  FillGuard fill(filling_);
  const D3DVECTOR pos = editor_.getStructPos(CurSlot);
  SlotX = barValue(pos.x);
  SlotY = barValue(pos.y);
  SlotZ = barValue(pos.z);
  SXscroll.setValue(SlotX);
  SYScroll.setValue(SlotY);
  SZScroll.setValue(SlotZ);
  lblSX.setCaption(CStr(SlotX));
  lblSY.setCaption(CStr(SlotY));
  lblSZ.setCaption(CStr(SlotZ));
  SlotType = static_cast<Integer>(std::clamp<Long>(editor_.getStructType(CurSlot), -1, 32767));
  cmbStructType.setListIndex(listIndexOf(cmbStructType, SlotType + 1L));
  // A link the slot does not hold as typed stays in the box until it is mended.
  const auto& typed = linkTyped_[static_cast<size_t>(CurSlot)];
  txtLink.setText(typed ? *typed : CStr(editor_.getStructLink(CurSlot)));
}

void FrmMapEdit::slotChange(int axis) {
  if (filling_) return;
  // Only the moved component changes; the others keep the slot's stored values.
  D3DVECTOR pos = editor_.getStructPos(CurSlot);
  ScrollBar& bar = axis == 0 ? SXscroll : axis == 1 ? SYScroll : SZScroll;
  Label& caption = axis == 0 ? lblSX : axis == 1 ? lblSY : lblSZ;
  const Integer v = bar.value();
  if (axis == 0) SlotX = v, pos.x = v;
  if (axis == 1) SlotY = v, pos.y = v;
  if (axis == 2) SlotZ = v, pos.z = v;
  editor_.setStructPos(CurSlot, pos.x, pos.y, pos.z);
  caption.setCaption(CStr(v));
}

void FrmMapEdit::cmbStructType_Click() {
  if (filling_ || cmbStructType.listIndex() < 0) return;
  SlotType = static_cast<Integer>(cmbStructType.listIndex() - 1);
  editor_.setStructType(CurSlot, SlotType);
}

void FrmMapEdit::txtLink_Change() {
  if (filling_) return;
  const std::string text = txtLink.text();
  const auto link = editorInteger(text);
  const size_t slot = static_cast<size_t>(CurSlot);
  if (!link) {
    linkTyped_[slot] = text;
    report("Link " + text + " lies beyond -32768..32767; the slot keeps " + CStr(editor_.getStructLink(CurSlot)) +
           ".");
    linkToldAt_ = lblStatus.caption();
    return;
  }
  editor_.setStructLink(CurSlot, *link);
  if (isEditorNumber(text)) {
    linkTyped_[slot].reset();
    if (!linkToldAt_.empty() && lblStatus.caption() == linkToldAt_) report("");  // the typed link now holds
    linkToldAt_.clear();
  } else {
    linkTyped_[slot] = text;
    report("Link \"" + text + "\" is not a number: the slot's link is " + CStr(*link) + ".");
    linkToldAt_ = lblStatus.caption();
  }
}

std::string FrmMapEdit::slotName(size_t slot) { return "slot " + CStr(static_cast<Long>(slot + 1)); }

bool FrmMapEdit::linksToSave(std::string& notes) {
  notes.clear();
  for (size_t slot = 0; slot < linkTyped_.size(); ++slot) {
    if (!linkTyped_[slot]) continue;
    const std::string& text = *linkTyped_[slot];
    const Integer held = editor_.getStructLink(static_cast<Integer>(slot));
    if (!editorInteger(text)) {
      report("Not saved: the Link of " + slotName(slot) + ", " + text + ", lies beyond -32768..32767 (the slot holds " +
             CStr(held) + ").");
      return false;
    }
    notes += (notes.empty() ? "" : "; ") + std::string("Link of ") + slotName(slot) + " \"" + text + "\" as " +
             CStr(held);
  }
  return true;
}

void FrmMapEdit::Command1_Click() {
  replace_.loadPressed();
  const std::string refused = checkEditorName(txtName.text());
  if (!refused.empty()) {
    report("Not loaded: " + refused);
    return;
  }
  editor_.setName(txtName.text());
  const bool loaded = editor_.LoadMap();
  if (!loaded) report("Load failed: \\maps\\" + txtName.text() + ".pnd could not be read; the map is unchanged.");
  if (loaded) {
    replace_.holds(editor_.getName());
    for (auto& typed : linkTyped_) typed.reset();
  }
  txtTitle.setText(editor_.getTitle());
  ShowSection();
  ShowSlot();  // the structure panel shows the loaded map's slot
  if (loaded) report("Loaded " + editor_.getName() + ".");
}

void FrmMapEdit::Command2_Click() {
  const std::string refused = checkEditorName(txtName.text());
  if (!refused.empty()) {
    report("Not saved: " + refused);
    return;
  }
  std::string notes;
  if (!linksToSave(notes)) return;
  const std::string name = txtName.text();
  editor_.setName(name);
  editor_.setTitle(txtTitle.text());
  std::string question;
  if (!replace_.mayWrite(name, editor_.hasFile(), "\\maps\\" + name + ".pnd", question)) {
    report(question);
    return;
  }
  try {
    editor_.SaveMap();
    replace_.holds(name);
    report("Saved " + name + "." + (notes.empty() ? "" : " Not numbers, saved as read: " + notes + "."));
  } catch (const std::exception& e) {
    report(std::string("Save failed: ") + e.what());
  }
}
