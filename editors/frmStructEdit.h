// frmStructEdit: the window "Struct Editor" of the structure editor. The text boxes, the type
// list and the lights bar reach the definition at every light position edit and on Save; a
// user's move of a position bar or choice of a light type changes the selected light at once.
// Selecting a light, or loading, shows its values without writing them back. The scale box holds
// one number for all three axes, or three numbers "x,y,z" when they differ. Refused names and
// numbers and failed loads and saves are told in lblStatus. An existing file that the editor did
// not load under that name is replaced only when Save is pressed a second time for it.
#pragma once
#include <optional>
#include <string>

#include "editors/EditorMod.h"
#include "platform/D3DTypes.h"
#include "platform/Forms.h"

class CStructEditor;

class FrmStructEdit : public Form {
 public:
  explicit FrmStructEdit(CStructEditor& editor);

  TextBox txtName{*this, "txtName", "Name:"};
  TextBox txtTitle{*this, "txtTitle", "Title:"};
  TextBox txtModel{*this, "txtModel", "Model:"};
  TextBox txtTexture{*this, "txtTexture", "Texture:"};
  ComboBox Combo2{*this, "Combo2", "Type:", ComboBox::Style::DropDownList,
                  {"Parts", "Restaurant", "Landing", "Generic", "Gas", "Ships", "Shopping", "Ammo", "Hut", "Bank",
                   "MControl"}};
  TextBox txtVOff{*this, "txtVOff", "vOff:", "0"};
  TextBox txtScale{*this, "txtScale", "Scale:", "1"};
  ScrollBar lights{*this, "lights", "Lights:", 0, 15, 5, 0};
  Frame fraLights{*this, "fraLights", "Lights"};
  ControlArray<OptionButton> optLight{*this, "optLight", numberedCaptions(16), &fraLights};
  ComboBox Combo1{*this, "Combo1", "Type:", ComboBox::Style::DropDownList,
                  {"White", "Red", "Blue", "Greengas", "Yellow"}, "", &fraLights};
  Label lblX{*this, "lblX", "X: 0", &fraLights};
  ScrollBar HScroll1{*this, "HScroll1", "", -1100, 1100, 100, 0, &fraLights};
  Label lblY{*this, "lblY", "Y: 0", &fraLights};
  ScrollBar HScroll2{*this, "HScroll2", "", -2000, 2000, 100, 0, &fraLights};
  Label lblZ{*this, "lblZ", "Z: 0", &fraLights};
  ScrollBar HScroll3{*this, "HScroll3", "", -1000, 1000, 100, 0, &fraLights};
  CommandButton Command1{*this, "Command1", "Save"};
  CommandButton Command2{*this, "Command2", "Load"};
  Label lblStatus{*this, "lblStatus", ""};

  Integer LightX = 0, LightY = 0, LightZ = 0, CurLight = 0, LightCount = 0;

  // Fills the window from the edited definition and selects its last light in use; status is
  // shown after it (a clamped light count adds its note).
  void fillFromDef(const std::string& status);
  // The editor loaded the definition of name (Init's "parts"): Save replaces its file at once.
  void holdsFile(const std::string& name) { replace_.holds(name); }

 private:
  void Combo1_Click();
  void Command1_Click();
  void Command2_Click();
  void positionChange(int axis);
  void lights_Change();
  void optLight_Click(Integer i);
  void UpdateLightPos();
  bool windowValues(std::string& refused, Integer& vOff, D3DVECTOR& scale);
  void report(const std::string& text);

  CStructEditor& editor_;
  bool filling_ = false;
  ReplaceQuestion replace_;
};
