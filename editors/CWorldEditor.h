// CWorldEditor: the editor of the world map (one instance, WorldEditor) in the program mode
// pmWorldEditor. It owns a world map object of its own, draws it every frame in the world map's
// editor mode (a click picks a node, a drag moves it, in link mode a click links it) in the
// 800 x 600 view of the 1536 x 1536 map, and forwards its window's edits to the selected node.
// Its window is frmWorldEdit ("World Editor"); the world file is written and read by CWorld.Save
// and CWorld.Load. Getters give "", 0 or 0.0 and setters change nothing while no node is selected.
#pragma once
#include <memory>
#include <string>

#include "editors/frmWorldEdit.h"
#include "runtime/Numbers.h"

class CWorld;

class CWorldEditor {
 public:
  static constexpr Single ViewWidth = 800, ViewHeight = 600;

  CWorldEditor();
  ~CWorldEditor();

  // Draws the world map and refreshes the window when the selection changed to a node.
  void Render();
  void ClearLinks();
  void setEraGray(Integer era, Integer value);  // grayed when value >= 1
  void Move() {}
  Integer getEraGray(Integer era) const;  // 1 grayed, else 0
  std::string getTitle() const;
  std::string getPath() const;
  std::string getDesc() const;
  Single getX() const;
  Single getY() const;
  std::string getIcon() const;  // decimal text
  Long getAlign() const;
  Long getWorldType() const;
  Integer getLevel() const;
  void setAddLink();
  void UpdateValues(const std::string& title, const std::string& path, const std::string& desc, Integer icon,
                    Long align, Integer level, Long worldType);
  void AddNode(const std::string& title, const std::string& path, Single x, Single y, const std::string& desc,
               Integer icon, Long align, Integer level);
  // Makes the world map (view 800 x 600, nothing selected) and shows the window; no file is read.
  void Init();
  void setScrollx(Single v);
  void setScrolly(Single v);
  // Raise VbError when the world file cannot be written or read (the map then keeps its nodes).
  void Save();
  void Load();
  // The world file's game path ("\maps\world.pnd") and whether it exists.
  std::string filePath() const;
  bool hasFile() const;

  FrmWorldEdit* form() const { return form_.get(); }
  CWorld* world() const { return World_.get(); }
  bool hasSelection() const;

 private:
  void ShowNodeValues();
  std::unique_ptr<CWorld> World_;
  std::unique_ptr<FrmWorldEdit> form_;
};

extern std::shared_ptr<CWorldEditor> WorldEditor;
