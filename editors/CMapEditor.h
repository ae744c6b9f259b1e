// CMapEditor: the editor of maps (one instance, MapEditor) in the program mode pmMapEditor. It
// owns a map object of its own (EditMap, not the play map CurMap) and forwards its window's edits
// to it: title, colour, weather, fog and effect, the 12 sky sectors (angles in whole degrees,
// scale, picture) and the 32 structure slots (position, definition index, link). The map is
// shown live under the free-flight camera: the right button flies forward at 500 units a second,
// drags turn and tilt the view. Its window is frmMapEdit ("Map Editor"); the map file is written
// and read by CMap.Save / CMap.Load ("\maps\" + name + ".pnd").
#pragma once
#include <memory>
#include <string>

#include "editors/frmMapEdit.h"
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

class CMap;

class CMapEditor {
 public:
  CMapEditor();
  ~CMapEditor();

  Integer sEditing = 0;  // selected structure slot 0..31 (the map's editor step)
  Integer Editing = 0;   // selected sky sector 0..11 (blinks in the sky pass)

  // Makes the map object, a new interface object and shows the window; no map is read.
  void Init();
  void Move();
  void Render();
  // The sector backdrops around the eye, the selected sector blinking (before Render).
  void DrawSkyBox();

  // Sector angles in whole degrees (stored as radians by 3.14 / 180).
  void setScrollx(Integer sector, double degrees);
  void setScrolly(Integer sector, double degrees);
  void setScrollR(Integer sector, double degrees);
  void setScrollScale(Integer sector, Single scale);
  Long getScrollX(Integer sector) const;  // rounded whole degrees
  Long getScrollY(Integer sector) const;
  Long getScrollR(Integer sector) const;
  Long getScrollScale(Integer sector) const;  // the whole part, at least 10
  Single getScale(Integer sector) const;      // the stored scale
  void setTexture(Integer sector, const std::string& file);
  std::string getTexture(Integer sector) const;
  void setRed(Integer v);
  void setGreen(Integer v);
  void setBlue(Integer v);
  Single getRed() const;
  Single getGreen() const;
  Single getBlue() const;
  void setTitle(const std::string& title);
  std::string getTitle() const;
  void setName(const std::string& name);
  std::string getName() const;
  // False when the map could not be read (the map then holds what it held; CMap logs why).
  bool LoadMap();
  // Raises VbError when the file cannot be written.
  void SaveMap();
  // The file of the map's name exists.
  bool hasFile() const;
  D3DVECTOR getStructPos(Integer slot) const;
  void setStructPos(Integer slot, Single x, Single y, Single z);
  void setStructType(Integer slot, Long defIndex);  // StructDefIndex 0..21, -1 empty
  Long getStructType(Integer slot) const;
  void setStructLink(Integer slot, Integer value);
  Integer getStructLink(Integer slot) const;
  void setWeather(Long v);
  void setFog(Long v);
  void setFX(Long v);
  Long getWeather() const;
  Long getFog() const;
  Long getFX() const;

  FrmMapEdit* form() const { return form_.get(); }
  CMap* editMap() const { return EditMap.get(); }
  D3DVECTOR eye() const;

 private:
  std::unique_ptr<CMap> EditMap;
  Single ViewAngle = 0, LookHeight = 1000, EyeHeight = 1000, EyeX = 0, EyeZ = 0;
  std::unique_ptr<FrmMapEdit> form_;
};

extern std::shared_ptr<CMapEditor> MapEditor;
