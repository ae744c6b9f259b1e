// CSprite: one slot of the sprite pool (Sprites in SpriteMod): a weapon shot or a visual effect
// of one of the 97 kinds (SpriteKind 0..96). Init gives a kind its defaults (SpriteKinds.cpp),
// Move steps it by FrameTime with its homing, hit tests, children and death effects
// (SpriteMove.cpp), Render draws it by kind (SpriteRender.cpp, beams and models SpriteBeams.cpp).
// Only AddSprite calls Init; only MoveSprites calls Move; only the render lists call Render.
// Main thread only; nothing here allocates.
#pragma once
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

// A flag of a pool slot that reads as a bool and reports every write to the pool's index of
// free and expendable slots (SpriteMod.cpp), so that the slot search need not visit every slot.
// Which: 0 Exists, 1 Expendl.
template <int Which>
class PoolFlag {
 public:
  explicit PoolFlag(bool v = false) : v_(v) { noteWrite(); }
  PoolFlag(const PoolFlag& o) : v_(o.v_) { noteWrite(); }
  PoolFlag& operator=(const PoolFlag& o) {
    v_ = o.v_;
    noteWrite();
    return *this;
  }
  PoolFlag& operator=(bool v) {
    v_ = v;
    noteWrite();
    return *this;
  }
  operator bool() const { return v_; }

 private:
  void noteWrite() const;
  bool v_;
};

class CSprite {
 public:
  Long sType = 0;                // SpriteKind 0..96
  Single Frame = 0;              // life left in seconds; the sprite dies when it falls below 0
  PoolFlag<0> Exists{false};     // the slot holds a live sprite
  Integer Owner = 0;             // ship index of the maker (0 the player), -1 nobody
  Integer Target = 0;            // ship a homing kind steers toward, -1 none
  bool Alpha = false;            // True: render list A (transparent pass), False: list B
  PoolFlag<1> Expendl{false};    // True: AddSprite may take the live slot over when the pool is full
  bool IsOpen = false;           // True while this sprite's own Move runs

  bool getTestVis() const;  // easyTestVis(pos.x, pos.z)
  D3DVECTOR getPos() const { return pos; }
  D3DVECTOR getTraj() const { return traj; }
  Single getpFrame() const { return pFrame; }
  Single getSize() const { return size; }
  Single getR() const { return R; }
  Single getG() const { return G; }
  Single getB() const { return B; }
  D3DMATRIX getFace() const { return face; }
  Single getMyAngle() const { return myAngle; }
  Single getMyPitch() const { return myPitch; }
  Single getSpeed() const { return speed; }

  // Takes the other sprite's fields (not Expendl, IsOpen or the jam timers) and makes this live.
  void Copy(const CSprite& copiedSprite);
  // Makes the slot a live sprite of newType at (x, y, z) moving (xM, yM, zM) units per second;
  // newFrame / newSize above 0 override the kind's life / size. Kinds 4, 57 and 61 write the
  // size they chose back into newSize. Reads ScratchMatrix for the aimed kinds.
  void Init(Single x, Single y, Single z, Single xM, Single yM, Single zM, Long newType, Single newFrame,
            Single& newSize, Integer newOwner, Integer newTarget);
  // One frame step by FrameTime (movement, homing, hits, children, death effects).
  void Move();
  // Draws the sprite by kind; one-frame kinds mark themselves dead afterwards.
  void Render();
  // Forgets the ships' hit radii of the last frame; MoveSprites calls it before the frame's moves
  // and endHitFrame after them. In between, ships must stand still and keep their slots (the ship
  // test looks only at the ships near the shot).
  static void newHitFrame();
  static void endHitFrame();

 private:
  // SpriteMove.cpp
  Integer checkShipHit(Single x, Single y, Single z, Integer owner);
  void steerHoming(Single accel, Single maxSpeed, Single turnDiv, Single pitchDiv);
  void deflectShot(Integer code);
  void checkCollisions();
  bool structHit() const;
  Integer shotTest();  // structure then ship test at pos: -2 structure, ship index, -1 none, < -9 deflect
  void kindStep(const D3DVECTOR& oldPos);
  // The kinds' own steps, called by kindStep (oldPos before the frame's travel, back just behind it).
  void laserShotStep(const D3DVECTOR& oldPos);
  void beamShotStep(const D3DVECTOR& oldPos, const D3DVECTOR& back);
  void neuShotStep(const D3DVECTOR& oldPos, const D3DVECTOR& back);
  void neuShotBStep(const D3DVECTOR& oldPos, const D3DVECTOR& back);
  void panelShotStep(const D3DVECTOR& oldPos);
  void shortShotStep(const D3DVECTOR& oldPos);
  void harpBoltStep(const D3DVECTOR& oldPos);
  void harpBoltBStep(const D3DVECTOR& oldPos);
  void missileStep();
  void torpedoStep();
  void torpedoBStep();
  void neuBoltStep();
  void heartShotStep();
  void redFlareStep();
  void turretBoltStep();
  void orbStep();
  void orbCoreStep();
  void blastCoreStep();
  void debrisStep(const D3DVECTOR& oldPos);
  void zapStep();
  void deathEffect(Long kind, const D3DVECTOR& oldPos);
  bool tick(Single rate) const;
  // SpriteRender.cpp / SpriteBeams.cpp
  void getViewFade(Single& fade) const;
  void placeBeam(Single scale);
  void DrawLaserBeam(const D3DVECTOR& position, const D3DMATRIX& facing);
  void DrawPhotonBeam(const D3DVECTOR& position, const D3DMATRIX& facing);
  void DrawBeam(const D3DVECTOR& position, const D3DMATRIX& facing);
  void DrawShockModel();
  void DrawInnerOrbModel();
  void DrawOrbModel(Integer shell);
  void DrawZapModel();
  void DrawDebrisModel();
  void DrawTunnel();
  void DrawSpinBill(const D3DVECTOR& position, const D3DMATRIX& facing, Integer alpha);

  D3DVECTOR pos{};     // world units, y up
  D3DVECTOR traj{};    // units per second
  Single pFrame = 0;   // Frame before the last Move
  Single size = 0;     // drawing size, or a kind's spin rate
  Single R = 0, G = 0, B = 0;  // tint 0..255
  D3DMATRIX face{};    // facing of shots and models
  Single myAngle = 0;  // heading, radians
  Single myPitch = 0;
  Single speed = 0;    // homing speed, units per second
  Single hardTurnTime = 0;
  Single jamTime = 0;
  Single trackTime = 0;
};
