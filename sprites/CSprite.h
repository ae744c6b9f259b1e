// CSprite: one slot of the sprite pool (Sprites in SpriteMod): a weapon shot or a visual effect
// of one of the 97 kinds. This far the least record the ships and the camera read: kind, life,
// position and velocity as AddSprite started it. Movement, homing, hit tests and drawing come with
// the sprite work.
#pragma once
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

class CSprite {
 public:
  bool Alive = false;   // the slot holds a started sprite
  Long sType = 0;       // SpriteKind 0..96
  Single Life = 0;      // seconds as given to AddSprite (0: the kind's default)
  Single Size = 0;      // as given to AddSprite (0: the kind's default)
  Integer Owner = -1;   // ship index of the shooter, -1 none
  Integer Param = -1;   // target ship of homing kinds, -1 none
  D3DVECTOR Pos{};      // (x, height, z)
  D3DVECTOR Traj{};     // units per second

  D3DVECTOR getPos() const { return Pos; }
  D3DVECTOR getTraj() const { return Traj; }
};
