// CCharacter: a crew character (a ship's seat, or one thrown off and falling in Characters).
// The record's public fields, Init, the model, texture and pose a seat is given, the animation
// table and clock with its blends, the gunner's weapon switch and shooting point, and the free
// fall. Drawing comes with the crew work.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/D3DTypes.h"
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
  // Once per frame by FrameTime: the free fall while FreeFalling is above 0 (position += velocity
  // x time, eM -= 100 x time, FreeFalling += time), then the animation clock: frames advance,
  // blends into a new pose end, a running weapon switch moves on when its blend ends, and a firing
  // pose (10, 22, 24) returns to its holding pose (9, 21, 23) when it wraps.
  void Move();
  // Starts the gunner's switch to weapon w (-1 puts the weapon away); bodyType is the ship's
  // ShipBodyType (Car, Bike or Convertible pick the holding pose 9, 21 or 23). Ignored while a
  // firing pose runs, while a switch runs, or for -1 with no weapon held. Without a holding pose
  // the weapon is drawn at once; otherwise it is first put away (pose 1, or 18 on a Bike).
  void setSwitchWeapon(Integer w, Long bodyType);
  // The shooting point in world coordinates (x, height, z); clears bNeedsCoords.
  void setvShoot(Single px, Single py, Single pz);
  D3DVECTOR getvShoot() const { return D3DVECTOR{shootX, shootY, shootZ}; }
  // Animation frames (0-based) and the blend factor 0..1 between them, for drawing.
  Long getFrame() const { return frame; }
  Long getPrevFrame() const { return prevFrame; }
  Single getBlend() const { return blend; }
  // Draws a free character (nothing yet: drawing comes with the crew work).
  void Render(Integer& v);

 private:
  // The range (1-based frames) and rate of animation anim; pose 10 also sets bNeedsCoords.
  void lookUpAnim();

  Long frame = 0;           // current model frame, 0-based
  Long prevFrame = 0;       // frame blended from
  Single blend = 0;         // 0..1 between prevFrame and frame
  Long anim = 0;            // animation 0..25
  Integer firstFrame = 0, lastFrame = 0;  // range of the current animation, 1-based
  Single rate = 0;          // blend units per second
  Single shootX = 0, shootY = 0, shootZ = 0;  // shooting point, world coordinates
  Integer blendMode = 0;    // 0 playing, 1 waiting to blend into pendingAnim, 2 blending
  Single blendRate = 0;
  Integer pendingAnim = 0;
  Integer switchPhase = 0;  // weapon switch: 0 none, 1 putting the old weapon away, 2 drawing the new
  Long holdAnim = 0;        // pose holding the weapon being drawn (9, 21 or 23)
  std::string modelName;
  std::string textureName;
  Integer bodyModel = 0, outlineModel = 0, textureNumber = 0;
};

// Characters thrown off ships, 0..15; a slot whose character does not exist is free. The game
// set-up fills it.
extern std::vector<std::shared_ptr<CCharacter>> Characters;
