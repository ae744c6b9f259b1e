// CCharacter: a crew character (a ship's seat, or one thrown off and falling in Characters).
// The record's public fields, Init, the model, texture and pose a seat is given, the animation
// table and clock with its blends, the gunner's weapon switch and shooting point, the free
// fall, and its drawing: seated in a ship (AttachedRender, WeaponRender, AttachedFadeRender, with
// the ship's transform already set) or falling free (Render).
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
  // Cache handles of the body model, its overlay model and the texture (-1 until set with the
  // caches up, and for a character without a model or texture).
  Integer getBodyModel() const { return bodyModel; }
  Integer getOverlayModel() const { return overlayModel; }
  Integer getTextureNumber() const { return texture; }
  // The character's model name: the body "models\chars\" + name + ".md2" and the overlay
  // "_o.md2" through the model cache, both set to linear frame blending (AnimType 0).
  void setModel(const std::string& name);
  // The character's texture file name under "\gfx\", bound to the body model.
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

  // Drawing. d is the ground distance from the camera that the caller measured. Frames blend
  // linearly (AnimType 0) for d <= 500, else the frame blended from is shown alone; the dark
  // overlay (shade FadeTex(0)) is drawn over the body for d <= 730 (below 1000 and
  // (d - 720) / 20 rounded half to even at most 0).
  // Seated, with the ship's seat transform already set (the ship's drawing calls it).
  void AttachedRender(Double d);
  // The hand-weapon model of weapon w (WeaponModels, 0..8) in the character's frames and its
  // overlay (WeaponOModels) for d <= 730. A weapon without a model (below 0, beyond the table)
  // draws nothing.
  void WeaponRender(Long w, Double d);
  // The overlay alone in the frames it holds, shaded by the distance from the camera eye to the
  // character: FadeTex(s), s = (d - 1720) / 20 rounded, drawn when s >= 1 and d < 2000. plain
  // switches frame blending off.
  void AttachedFadeRender(bool plain);
  // A free character (thrown off a ship): nothing without a texture name; otherwise turned by r
  // about the vertical axis at (x, e, y), the body with its texture and, for d <= 730 from the
  // camera eye, the overlay. plain switches frame blending off; the frame render passes False.
  void Render(bool plain);

 private:
  // The range (1-based frames) and rate of animation anim; pose 10 also sets bNeedsCoords.
  void lookUpAnim();
  // Draws model handle m (nothing for none or an unloaded model) in this character's frames
  // with blend mode animType; fade -1 draws the model's own texture, else FadeTex(fade).
  // held draws the frames the model already holds.
  void drawModel(Integer m, Long animType, Integer fade, bool held = false);

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
  Integer bodyModel = -1, overlayModel = -1, texture = -1;
};

// Characters thrown off ships, 0..15; a slot whose character does not exist is free. The game
// set-up fills it.
extern std::vector<std::shared_ptr<CCharacter>> Characters;
