// frmMapEdit: the window "Map Editor" of the map editor. Every user's edit reaches the map at
// once (Save only writes the file); the sector's picture only through "Update". Selecting a
// sector or slot, or loading a map, shows the stored values on the bars and lists without writing
// them back: a bar's range or whole steps never change the map, only the user's own moves do.
// A list holding typed text stores nothing. Refused names and numbers and failed loads and saves
// are told in lblStatus. A Link that is not a number stores its numeric prefix and is named, at
// once and in Save's status; one beyond the Integer range keeps the slot's link and refuses Save
// until it is mended. An existing file that the editor did not load under that name is replaced
// only when Save is pressed a second time for it.
#pragma once
#include <array>
#include <optional>
#include <string>

#include "editors/EditorMod.h"
#include "platform/Forms.h"

class CMapEditor;

class FrmMapEdit : public Form {
 public:
  explicit FrmMapEdit(CMapEditor& editor);

  TextBox txtName{*this, "txtName", "Name:"};
  TextBox txtTitle{*this, "txtTitle", "Title:"};
  CommandButton Command1{*this, "Command1", "Load"};
  CommandButton Command2{*this, "Command2", "Save"};
  ScrollBar rScroll{*this, "rScroll", "R:", 0, 255, 20, 0};
  ScrollBar gScroll{*this, "gScroll", "G:", 0, 255, 20, 0};
  ScrollBar bScroll{*this, "bScroll", "B:", 0, 255, 20, 0};
  ComboBox cmbWeather{*this, "cmbWeather", "", ComboBox::Style::DropDownCombo,
                      {"No Weather", "Lightning Storm", "Nebula Storm", "Shooting Stars", "Sparkle GLow", "Fire Storm"},
                      "Weather"};
  ComboBox cmbFog{*this, "cmbFog", "", ComboBox::Style::DropDownCombo,
                  {"No Fog", "Light Fog", "Medium Fog", "Dense Fog"}, "Fog"};
  ComboBox cmbFX{*this, "cmbFX", "", ComboBox::Style::DropDownCombo, {"No FX", "Glows", "Clouds", "Electro"}, "FX"};
  Frame fraSection{*this, "fraSection", "Section"};
  ControlArray<OptionButton> optSec{*this, "optSec", numberedCaptions(12), &fraSection, 6};
  ScrollBar xScroll{*this, "xScroll", "X:", 0, 360, 20, 0, &fraSection};
  ScrollBar yScroll{*this, "yScroll", "Y:", 0, 360, 20, 0, &fraSection};
  ScrollBar RotScroll{*this, "RotScroll", "R:", 0, 360, 20, 0, &fraSection};
  ScrollBar scaleScroll{*this, "scaleScroll", "Scale:", 1, 50, 5, 10, &fraSection};
  TextBox txtBitmap{*this, "txtBitmap", "Bitmap:", "", &fraSection};
  CommandButton cmdUpdate{*this, "cmdUpdate", "Update", &fraSection};
  Frame fraStruct{*this, "fraStruct", "Struct"};
  ControlArray<OptionButton> optStruct{*this, "optStruct", numberedCaptions(32), &fraStruct, 8};
  ComboBox cmbStructType{*this, "cmbStructType", "Type:", ComboBox::Style::DropDownCombo, structNames(), "", &fraStruct};
  Label lblSX{*this, "lblSX", "X:", &fraStruct};
  ScrollBar SXscroll{*this, "SXscroll", "", -5000, 5000, 500, 0, &fraStruct};
  Label lblSY{*this, "lblSY", "Y:", &fraStruct};
  ScrollBar SYScroll{*this, "SYScroll", "", -2000, 2000, 200, 0, &fraStruct};
  Label lblSZ{*this, "lblSZ", "Z:", &fraStruct};
  ScrollBar SZScroll{*this, "SZScroll", "", -5000, 5000, 500, 0, &fraStruct};
  TextBox txtLink{*this, "txtLink", "Link:", "", &fraStruct};
  Label lblStatus{*this, "lblStatus", ""};

  Integer SecX = 0, SecY = 0, SecR = 0, SecScale = 0, CurSector = 0;
  Integer ColR = 0, ColG = 0, ColB = 0;
  Integer CurSlot = 0, SlotX = 0, SlotY = 0, SlotZ = 0, SlotType = -1;

 private:
  static std::vector<std::string> structNames();
  void Form_Load();
  void Command1_Click();
  void Command2_Click();
  void cmdUpdate_Click();
  void optSec_Click(Integer i);
  void optStruct_Click(Integer i);
  void colourChange(ScrollBar& bar, Integer& var, void (CMapEditor::*set)(Integer));
  void atmosphereChange(const ComboBox& combo, void (CMapEditor::*set)(Long));
  void sectorChange(int which);
  void slotChange(int axis);
  void cmbStructType_Click();
  void txtLink_Change();
  void UpdateSection();
  void ShowSection();
  void ShowSlot();
  void report(const std::string& text);
  static std::string slotName(size_t slot);
  // Save's check of the typed links: false (and told) when one lies beyond the Integer range;
  // notes names those that were not numbers, with the link the slot holds.
  bool linksToSave(std::string& notes);

  CMapEditor& editor_;
  ReplaceQuestion replace_;
  // Per slot, the Link text the author typed that the slot does not hold as typed (not a number,
  // or beyond range); none once a number in range is typed or a map is loaded.
  std::array<std::optional<std::string>, 32> linkTyped_{};
  std::string linkToldAt_;  // the status of the last link refused or named; "" none
  bool filling_ = false;
  std::array<bool, 4> sectorMoved_{};  // x, y, r, scale bars moved by the user since shown
};
