// CCharacter: a crew character (a ship's seat, or one thrown off and falling in Characters).
// This far the record's public fields, Init, and the model, texture and pose a seat is given
// (names and pose only), and the free fall; the model and texture handles, the animation table
// and clock, the weapon switch and drawing come with the crew work.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

class CCharacter {
 public:
  Single x = 0, y = 0;      // ground position
  Single e = 0;             // height
  Single r = 0;             // heading, radians
  Single xM = 0, yM = 0, eM = 0;  // velocity while falling, units per second
  bool Exists = false;      // present (True after Init)
  bool bNeedsCoords = false;
  Integer SwitchWeapon = -1;  // weapon being switched to, -1 none
  Long Weapon = -1;         // weapon held (SecondaryType for the gunner), -1 none
  Single FreeFalling = 0;   // seconds of free fall; the fall runs while above 0

  // Present, no weapon, not falling.
  void Init();
  Integer getAnim() const { return static_cast<Integer>(anim); }
  const std::string& getModel() const { return modelName; }
  const std::string& getTexture() const { return textureName; }
  // Cache handles of the model, its outline model and the texture (0 until set with the caches up).
  Integer getBodyModel() const { return bodyModel; }
  Integer getOutlineModel() const { return outlineModel; }
  Integer getTextureNumber() const { return textureNumber; }
  // The character's model name (its files are "models\chars\" + name + ".md2" and "_o.md2").
  void setModel(const std::string& name);
  // The character's texture file name under "\gfx\".
  void setTexture(const std::string& name);
  // Pose a; nothing unless (force or no blend is running) and a differs from the current pose.
  void setAnim(Long a, Single blendTime = 0, bool force = false);
  // Once per frame: the free fall by FrameTime while FreeFalling is above 0 (position += velocity
  // x time, eM -= 100 x time, FreeFalling += time).
  void Move();
  // Draws a free character (nothing yet: drawing comes with the crew work).
  void Render(Integer& v);

 private:
  Long anim = 0;
  Integer blendMode = 0;    // 0 playing, 1 waiting to blend into pendingAnim, 2 blending
  Single blendRate = 0;
  Integer pendingAnim = 0;
  std::string modelName;
  std::string textureName;
  Integer bodyModel = 0, outlineModel = 0, textureNumber = 0;
};

// Characters thrown off ships, 0..15; a slot whose character does not exist is free. The game
// set-up fills it.
extern std::vector<std::shared_ptr<CCharacter>> Characters;
