// CStructEditor: the editor of structure definitions (one instance, StructEditor) in the program
// mode pmStructEditor. It edits one CStructDef (EditDef): title, model and texture names, type,
// vertical offset, scale and 16 lights with their kinds and positions, and shows it on a preview
// structure at the origin with a preview ship driving a circle beside it, under the orbit camera
// at distance 1000. Its window is frmStructEdit ("Struct Editor"); the definition is written and
// read by CStructDef.Save / Load ("\structures\" + name + ".pnd").
#pragma once
#include <memory>
#include <string>

#include "editors/frmStructEdit.h"
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

class CShip;
class CShipDef;
class CStruct;
class CStructDef;

class CStructEditor {
 public:
  CStructEditor();
  ~CStructEditor();

  void setPOSVals(Integer light, Single x, Single y, Single z);
  void setLightType(Integer light, Long type);
  Long getLightType(Integer light) const;
  // The light's position, each component rounded to a whole number (kept within the Integer range).
  Integer getXVal(Integer light) const;
  Integer getYVal(Integer light) const;
  Integer getZVal(Integer light) const;
  D3DVECTOR getLightPos(Integer light) const;
  // Raise VbError when the file cannot be written or read; a failed read changes nothing.
  void SaveDef();
  void LoadDef();
  // The file of the definition's name exists.
  bool hasFile() const;
  std::string getName() const;
  std::string getTitle() const;
  std::string getModel() const;
  std::string getTexture() const;
  Integer getTotalLights() const;
  Integer getZOff() const;
  D3DVECTOR getScale() const;  // per axis, with its fraction
  void setName(const std::string& name);
  Long getType() const;
  // The window's values: name, index of the last light in use, model, texture, vertical offset,
  // scale per axis, structure type, title.
  void setVals(const std::string& name, Integer lightCount, const std::string& model, const std::string& texture,
               Integer vOff, const D3DVECTOR& scale, Long type, const std::string& title);
  // The preview structure takes its own copy of the definition and reloads its models.
  void UpdateStruct();
  // Shows the window, loads the "parts" definition into the preview and the window, and sets
  // the preview ship driving beside it.
  void Init();
  void Render();
  void Move();

  FrmStructEdit* form() const { return form_.get(); }
  const CStructDef& editDef() const { return *EditDef; }
  CShip* previewShip() const { return PreviewShip.get(); }

 private:
  std::unique_ptr<CStruct> PreviewStruct;
  std::unique_ptr<CStructDef> EditDef;
  std::shared_ptr<CShip> PreviewShip;
  std::unique_ptr<CShipDef> PreviewShipDef;
  Single ViewAngle = 0, ViewDistance = 1000, ViewHeight = 0;
  std::unique_ptr<FrmStructEdit> form_;
};

extern std::shared_ptr<CStructEditor> StructEditor;
