// frmWorldEdit: the window "World Editor" of the world editor. Selecting a node on the map fills
// the boxes, lists and era boxes; "Update" (and "Save" before it writes) carries them into the
// selected node. A list showing no choice keeps the node's value; a title "eof" (which would end
// the world file) and numbers beyond the Integer range are refused, and failed loads and saves
// told, in lblStatus.
#pragma once
#include <string>

#include "editors/EditorMod.h"
#include "platform/Forms.h"

class CWorldEditor;

class FrmWorldEdit : public Form {
 public:
  explicit FrmWorldEdit(CWorldEditor& editor);

  TextBox txtTitle{*this, "txtTitle", "Title:"};
  TextBox txtPath{*this, "txtPath", "Path:"};
  TextBox txtDesc{*this, "txtDesc", "Desc:"};
  TextBox txtIcon{*this, "txtIcon", "Icon:"};
  ComboBox cmbAlign{*this, "cmbAlign", "Align:", ComboBox::Style::DropDownList,
                    {"NEUTRAL", "PTERODACTYL", "ZOMBIE", "NINJA", "CYBORG"}};
  TextBox txtLevel{*this, "txtLevel", "Level:"};
  ComboBox cmbType{*this, "cmbType", "Type:", ComboBox::Style::DropDownList, worldTypeNames()};
  ControlArray<CheckBox> chkEraGray{*this, "chkEraGray",
                                    {"Un", "Deux", "Trois", "Quatre", "Cinq", "Six", "Sept", "Huit", "Neuf"}, nullptr, 5};
  ScrollBar HScroll{*this, "HScroll", "", 0, 736, 100, 0};
  ScrollBar VScroll{*this, "VScroll", "", 0, 936, 100, 0, nullptr, ScrollBar::Orientation::Vertical};
  CommandButton cmdNewNode{*this, "cmdNewNode", "New"};
  CommandButton cmdUpdate{*this, "cmdUpdate", "Update"};
  CommandButton cmdAddLink{*this, "cmdAddLink", "Add Link"};
  CommandButton cmdClearLinks{*this, "cmdClearLinks", "Clear LInks"};
  CommandButton cmdSave{*this, "cmdSave", "Save"};
  CommandButton cmdLoad{*this, "cmdLoad", "Load"};
  TextBox txtWorld{*this, "txtWorld", "", "world"};
  Label lblStatus{*this, "lblStatus", ""};

  // Fills the window from the selected node (the editor calls it when the selection changes).
  void showNode();

 private:
  static std::vector<std::string> worldTypeNames();
  void cmdNewNode_Click();
  void cmdUpdate_Click();
  // Carries the boxes into the selected node; false (and told) when a value is refused. notes
  // names the number boxes that were not numbers, with the values stored.
  bool updateNode(std::string& notes);
  void cmdSave_Click();
  void cmdLoad_Click();
  void report(const std::string& text);

  CWorldEditor& editor_;
  ReplaceQuestion replace_;
};
