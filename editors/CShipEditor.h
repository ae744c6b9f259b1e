// CShipEditor: the editor of ship definitions (one instance, ShipEditor) in the program mode
// pmShipEditor. It edits one CShipDef (EditDef) and shows it on a preview ship standing at the
// origin with two crew members, under the orbit camera; its window is frmShipEdit ("Ship Editor").
// The definition is written and read by CShipDef.WriteDef / ReadDef ("\ships\" + name + ".pnd").
//
// Edited elements are addressed by one index 0..19: seats 0-3, mounts 4-11 (with a rotation),
// jets 12-15, lights 16-19. Getters and setters do nothing (getters give 0 or "") before Init has
// made the definition, as the window's load runs before it.
#pragma once
#include <memory>
#include <string>

#include "editors/frmShipEdit.h"
#include "runtime/Numbers.h"

class CShip;
class CShipDef;

// The values the window's Save passes to setDefVals, in that order.
struct ShipDefVals {
  std::string name, model, bodyTex, interiorTex, wheelTex, windowTex;
  Integer seats = 0, mounts = 0, lights = 0, jets = 0;  // index of the last element in use
  Single agility = 0, maxSpeed = 0, acceleration = 0, traction = 0;
  Integer maxShields = 0, maxFuel = 0, maxArmor = 0;
  Long price = 0;
  std::string title, description;
  Single camFollowY = 0, camFollowZ = 0;
  Long body = 0;
  Integer energy = 0, storage = 0, jetSnd = 0;
};

class CShipEditor {
 public:
  static constexpr Integer Elements = 20;

  CShipEditor();
  ~CShipEditor();

  // The preview takes the definition; its mounts become lasers, or cannons on a Capital or
  // Fleshy body.
  void UpdateShip();

  std::string getDefName() const;
  std::string getDefModel() const;
  std::string getDefBodyTex() const;
  std::string getDefWheelTex() const;
  std::string getDefInteriorTex() const;
  std::string getDefWindowTex() const;
  Integer getDefTotalSeats() const;
  Integer getDefTotalMounts() const;
  Integer getDefTotalLights() const;
  Integer getDefTotalJets() const;
  Single getDefAgility() const;
  Single getDefMaxSpeed() const;
  Single getDefAcceleration() const;
  Single getDefTraction() const;
  std::string getDefTitle() const;
  std::string getDefDesc() const;
  Integer getDefFuel() const;
  Integer getDefArmor() const;
  Integer getDefShields() const;
  Long getDefPrice() const;
  Single getDefCamFollowZ() const;
  Single getDefCamFollowY() const;
  Long getDefShipBody() const;
  Integer getDefShipEnergy() const;
  Integer getDefShipStorage() const;
  Integer getDefJetSnd() const;

  // Offsets of element 0..19; getOptR the mount rotation in degrees (0 for other elements).
  Single getOptX(Integer index) const;
  Single getOptY(Integer index) const;
  Single getOptZ(Integer index) const;
  double getOptR(Integer index) const;

  void setDefName(const std::string& name);
  void setDefVals(const ShipDefVals& v);
  // The preview's model and textures from the definition.
  void setShipResources();
  // Shows the window, then makes the preview ship and an empty definition.
  void Init();
  // Writes the definition; raises VbError when it cannot be written.
  void Save();
  // The file of the definition's name exists.
  bool hasFile() const;
  // Reads the file of the definition's name and seats the crew. A file that cannot be read
  // raises VbError and leaves the definition as it was. Counts beyond the window's buttons are
  // clamped; the returned text says which (empty when none was).
  std::string Load();
  void setScrollR(Integer index, double degrees);  // mounts 4..11 only
  void setScrollx(Integer index, Single value);
  void setScrolly(Integer index, Single value);
  void setScrollZ(Integer index, Single value);

  void Move();
  void Render();

  FrmShipEdit* form() const { return form_.get(); }
  const CShipDef* editDef() const { return EditDef.get(); }
  CShip* previewShip() const { return PreviewShip.get(); }
  Single viewDistance() const { return ViewDistance; }

 private:
  void seatCrew();
  std::shared_ptr<CShip> PreviewShip;
  std::unique_ptr<CShipDef> EditDef;
  Single ViewAngle = 0, ViewHeight = 0, ViewDistance = 100;
  std::unique_ptr<FrmShipEdit> form_;
};

extern std::shared_ptr<CShipEditor> ShipEditor;
