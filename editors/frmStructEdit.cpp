#include "editors/frmStructEdit.h"

#include <algorithm>
#include <exception>

#include "editors/CStructEditor.h"
#include "editors/EditorMod.h"
#include "engine/MessageLog.h"
#include "levels/CStructDef.h"
#include "runtime/Strings.h"

namespace {
std::string scaleText(const D3DVECTOR& s) {
  if (s.x == s.y && s.y == s.z) return editorNumberText(s.x);
  return editorNumberText(s.x) + "," + editorNumberText(s.y) + "," + editorNumberText(s.z);
}

// One number for all three axes, or three separated by commas; empty when a part is not a number
// or lies beyond the Single range.
std::optional<D3DVECTOR> readScale(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  if (parts.size() != 1 && parts.size() != 3) return std::nullopt;
  Single v[3];
  for (size_t i = 0; i < 3; ++i) {
    const std::string& part = parts[parts.size() == 1 ? 0 : i];
    if (!isEditorNumber(part)) return std::nullopt;
    const auto n = editorSingle(part);
    if (!n) return std::nullopt;
    v[i] = *n;
  }
  D3DVECTOR s;
  s.x = v[0];
  s.y = v[1];
  s.z = v[2];
  return s;
}
}  // namespace

FrmStructEdit::FrmStructEdit(CStructEditor& editor) : Form("Struct Editor"), editor_(editor) {
  for (ScrollBar* bar : {&HScroll1, &HScroll2, &HScroll3}) bar->sameLine = true;
  Command2.sameLine = true;
  lblStatus.wrap = true;
  Combo1.onClick = [this] { Combo1_Click(); };
  Command1.onClick = [this] { Command1_Click(); };
  Command2.onClick = [this] { Command2_Click(); };
  HScroll1.onChange = [this] { positionChange(0); };
  HScroll2.onChange = [this] { positionChange(1); };
  HScroll3.onChange = [this] { positionChange(2); };
  lights.onChange = [this] { lights_Change(); };
  optLight.onClick = [this](Integer i) { optLight_Click(i); };
}

void FrmStructEdit::report(const std::string& text) {
  lblStatus.setCaption(text);
  if (!text.empty()) addMessage("Struct Editor: " + text, false);
}

void FrmStructEdit::lights_Change() {
  LightCount = lights.value();
  for (Integer i = 0; i < optLight.count(); ++i) optLight(i).setEnabled(i <= LightCount);
}

void FrmStructEdit::optLight_Click(Integer i) {
  CurLight = i;
  FillGuard fill(filling_);
  LightX = editor_.getXVal(i);
  LightY = editor_.getYVal(i);
  LightZ = editor_.getZVal(i);
  HScroll1.setValue(LightX);
  HScroll2.setValue(LightY);
  HScroll3.setValue(LightZ);
  lblX.setCaption("X: " + CStr(LightX));
  lblY.setCaption("Y: " + CStr(LightY));
  lblZ.setCaption("Z: " + CStr(LightZ));
  const Long type = editor_.getLightType(i);
  Combo1.setListIndex(type >= 0 && type < Combo1.listCount() ? static_cast<Integer>(type) : -1);
}

void FrmStructEdit::positionChange(int axis) {
  if (filling_) return;  // only the user's own moves change the light
  ScrollBar& bar = axis == 0 ? HScroll1 : axis == 1 ? HScroll2 : HScroll3;
  Label& caption = axis == 0 ? lblX : axis == 1 ? lblY : lblZ;
  Integer& var = axis == 0 ? LightX : axis == 1 ? LightY : LightZ;
  var = bar.value();
  // The moved component only; the others keep the light's stored values.
  D3DVECTOR pos = editor_.getLightPos(CurLight);
  (axis == 0 ? pos.x : axis == 1 ? pos.y : pos.z) = var;
  editor_.setPOSVals(CurLight, pos.x, pos.y, pos.z);
  UpdateLightPos();
  caption.setCaption(std::string(axis == 0 ? "X: " : axis == 1 ? "Y: " : "Z: ") + CStr(var));
}

bool FrmStructEdit::windowValues(std::string& refused, Integer& vOff, D3DVECTOR& scale) {
  if (!isEditorNumber(txtVOff.text())) {
    refused = "vOff: \"" + txtVOff.text() + "\" is not a number.";
    return false;
  }
  const auto off = editorInteger(txtVOff.text());
  if (!off) {
    refused = "vOff: " + txtVOff.text() + " lies beyond -32768..32767.";
    return false;
  }
  const auto s = readScale(txtScale.text());
  if (!s) {
    refused = "Scale: \"" + txtScale.text() + "\" is not one number or three (x,y,z).";
    return false;
  }
  vOff = *off;
  scale = *s;
  return true;
}

void FrmStructEdit::UpdateLightPos() {
  std::string refused;
  Integer vOff = 0;
  D3DVECTOR scale;
  if (windowValues(refused, vOff, scale)) {
    const Long type = Combo2.listIndex() >= 0 ? Combo2.listIndex() : editor_.getType();
    editor_.setVals(txtName.text(), LightCount, txtModel.text(), txtTexture.text(), vOff, scale, type, txtTitle.text());
  } else {
    report("The light moved; the other values wait: " + refused);
  }
  editor_.UpdateStruct();
}

void FrmStructEdit::Combo1_Click() {
  if (filling_ || Combo1.listIndex() < 0) return;
  editor_.setLightType(CurLight, Combo1.listIndex());
  editor_.UpdateStruct();
}

void FrmStructEdit::Command1_Click() {
  std::string refused = checkEditorName(txtName.text());
  Integer vOff = 0;
  D3DVECTOR scale;
  if (refused.empty()) windowValues(refused, vOff, scale);
  if (!refused.empty()) {
    report("Not saved: " + refused);
    return;
  }
  const Long type = Combo2.listIndex() >= 0 ? Combo2.listIndex() : editor_.getType();
  editor_.setVals(txtName.text(), LightCount, txtModel.text(), txtTexture.text(), vOff, scale, type, txtTitle.text());
  const std::string name = txtName.text();
  std::string question;
  if (!replace_.mayWrite(name, editor_.hasFile(), "\\structures\\" + name + ".pnd", question)) {
    report(question);
    return;
  }
  try {
    editor_.SaveDef();
    replace_.holds(name);
    report("Saved " + name + ".");
  } catch (const std::exception& e) {
    report(std::string("Save failed: ") + e.what());
  }
}

void FrmStructEdit::Command2_Click() {
  replace_.loadPressed();
  const std::string refused = checkEditorName(txtName.text());
  if (!refused.empty()) {
    report("Not loaded: " + refused);
    return;
  }
  const std::string previous = editor_.getName();
  editor_.setName(txtName.text());
  try {
    editor_.LoadDef();
  } catch (const std::exception& e) {
    editor_.setName(previous);
    report(std::string("Load failed: ") + e.what());
    return;
  }
  replace_.holds(editor_.getName());
  fillFromDef("Loaded " + editor_.getName() + ".");
  editor_.UpdateStruct();
}

void FrmStructEdit::fillFromDef(const std::string& status) {
  txtName.setText(editor_.getName());
  txtTitle.setText(editor_.getTitle());
  txtModel.setText(editor_.getModel());
  txtTexture.setText(editor_.getTexture());
  const Integer total = editor_.getTotalLights();
  const Integer last = std::clamp<Integer>(total, 0, static_cast<Integer>(StructLights - 1));
  lights.setValue(last);
  lights_Change();
  txtVOff.setText(CStr(editor_.getZOff()));
  txtScale.setText(scaleText(editor_.getScale()));
  const Long type = editor_.getType();
  {
    FillGuard fill(filling_);
    Combo2.setListIndex(type >= 0 && type < Combo2.listCount() ? static_cast<Integer>(type) : -1);
  }
  optLight(LightCount).setValue(true);
  std::string text = status;
  if (last != total) text += " Lights " + CStr(total + 1) + " shown as " + CStr(last + 1) + ".";
  report(text);
}
