// frmShipEdit: the window "Ship Editor" of the ship editor. Text boxes hold the definition's
// names, texts and numbers until Save; the count buttons hold the pending counts; the 20 element
// buttons (one group) pick the seat, mount, jet or light whose offsets the scroll bars move; a
// user's move of a bar changes the definition and the preview at once. Save and Load go through
// the editor object; a refused name or number, a failed write or read and a clamped file are told
// in lblStatus, and leave the file and the values being edited as they were. A number box whose
// text is not a number is saved as its numeric prefix (0 for none) and the status names it. An
// existing file that the editor did not load under that name is replaced only when Save is
// pressed a second time for it (ReplaceQuestion).
#pragma once
#include <string>

#include "editors/EditorMod.h"
#include "platform/Forms.h"

class CShipEditor;

class FrmShipEdit : public Form {
 public:
  explicit FrmShipEdit(CShipEditor& editor);

  // Declared in drawing order: the name with Save and Load first, so they are never scrolled away.
  TextBox txtName{*this, "txtName", "Name:"};
  CommandButton Command1{*this, "Command1", "Save"};
  CommandButton Command2{*this, "Command2", "Load"};
  TextBox txtModel{*this, "txtModel", "Model:"};
  ComboBox cmbShipBody{*this, "cmbShipBody", "Ship Type:", ComboBox::Style::DropDownList,
                       {"Car", "Bike", "Convertible", "Capital", "Fleshy"}};
  TextBox txtTitle{*this, "txtTitle", "Title:"};
  TextBox txtDesc{*this, "txtDesc", "Description:"};
  Frame fraTextures{*this, "fraTextures", "Textures"};
  TextBox txtBodyTex{*this, "txtBodyTex", "Body:", "", &fraTextures};
  TextBox txtInteriorTex{*this, "txtInteriorTex", "Interior:", "", &fraTextures};
  TextBox txtWindowTex{*this, "txtWindowTex", "Window:", "", &fraTextures};
  TextBox txtWheelsTex{*this, "txtWheelsTex", "Wheels:", "", &fraTextures};
  TextBox txtAcceleration{*this, "txtAcceleration", "Acceleration:"};
  TextBox txtMaxSpeed{*this, "txtMaxSpeed", "Max Speed:"};
  TextBox txtTraction{*this, "txtTraction", "Traction:"};
  TextBox txtAgility{*this, "txtAgility", "Agility:"};
  TextBox txtShields{*this, "txtShields", "Shields:"};
  TextBox txtArmor{*this, "txtArmor", "Armor:"};
  TextBox txtPrice{*this, "txtPrice", "Price:"};
  TextBox txtFuel{*this, "txtFuel", "Fuel:"};
  TextBox txtEnergy{*this, "txtEnergy", "Energy:"};
  TextBox txtStorage{*this, "txtStorage", "Storage:"};
  TextBox txtJetSnd{*this, "txtJetSnd", "JetSnd:"};
  TextBox txtCamFollowY{*this, "txtCamFollowY", "CamFollowY"};
  TextBox txtCamFollowZ{*this, "txtCamFollowZ", "CamFollowZ"};
  Frame fraSeats{*this, "fraSeats", "Seats"};
  ControlArray<OptionButton> optSeats{*this, "optSeats", numberedCaptions(4), &fraSeats};
  Frame fraMounts{*this, "fraMounts", "Mounts:"};
  ControlArray<OptionButton> optMount{*this, "optMount", numberedCaptions(8), &fraMounts};
  Frame fraJets{*this, "fraJets", "Jets"};
  ControlArray<OptionButton> optJet{*this, "optJet", numberedCaptions(4), &fraJets};
  Frame fraLights{*this, "fraLights", "Lights"};
  ControlArray<OptionButton> optLight{*this, "optLight", numberedCaptions(4), &fraLights};
  Frame fraEditPos{*this, "fraEditPos", "Edit Pos"};
  ControlArray<OptionButton> optEdit{*this, "optEdit", editCaptions(), &fraEditPos, 0};
  Label xLabel{*this, "xLabel", "X: 0", &fraEditPos};
  ScrollBar xScroll{*this, "xScroll", "", -50, 50, 10, 0, &fraEditPos};
  Label yLabel{*this, "yLabel", "Y: 0", &fraEditPos};
  ScrollBar yScroll{*this, "yScroll", "", -110, 90, 10, 0, &fraEditPos};
  Label zLabel{*this, "zLabel", "Z: 0", &fraEditPos};
  ScrollBar zScroll{*this, "zScroll", "", -50, 50, 10, 0, &fraEditPos};
  Label lblR{*this, "lblR", "R: 0", &fraEditPos};
  ScrollBar rScroll{*this, "rScroll", "", 0, 360, 10, 0, &fraEditPos};
  Label lblStatus{*this, "lblStatus", ""};

  Integer EditIndex = 0;
  Integer SeatsIndex = 0, MountsIndex = 0, JetsIndex = 0, LightsIndex = 0;

  void LoadShip();

 private:
  static std::vector<std::string> editCaptions();
  void Form_Load();
  void Command1_Click();
  void Command2_Click();
  void optEdit_Click(Integer index);
  void countClick(ControlArray<OptionButton>& group, Integer firstElement, Integer& stored, Integer index);
  void scrollChange(ScrollBar& bar, Label& caption, const char* prefix, void (FrmShipEdit::*apply)(Integer));
  void applyX(Integer v);
  void applyY(Integer v);
  void applyZ(Integer v);
  void applyR(Integer v);
  // notes receives the number boxes whose text was not a number, with the value saved.
  bool saveFormToDef(std::string& notes);
  void setScrollRanges();
  void report(const std::string& text);

  CShipEditor& editor_;
  bool filling_ = false;  // the window sets its own controls: bars show values, the data keeps them
  ReplaceQuestion replace_;
};
