#include "sprites/SpriteMod.h"

#include <cmath>

#include "audio/soundMod.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "ships/CShip.h"

std::vector<CSprite> Sprites;

namespace {
Integer nextSlot = 0;  // the slot the next sprite takes (the oldest once the pool went round)
}  // namespace

void AddSprite(Single x, Single y, Single z, Single vx, Single vy, Single vz, Long kind, Single life, Single size,
               Integer owner, Integer param) {
  if (GamePaused && kind != 92 && kind != 93) return;
  if (Sprites.size() != static_cast<size_t>(SpritePoolSize)) {
    Sprites.assign(SpritePoolSize, CSprite{});
    nextSlot = 0;
  }
  CSprite& s = Sprites[nextSlot];
  nextSlot = static_cast<Integer>((nextSlot + 1) % SpritePoolSize);
  s.Alive = true;
  s.sType = kind;
  s.Life = life;
  s.Size = size;
  s.Owner = owner;
  s.Param = param;
  s.Pos = D3DVECTOR{x, y, z};
  s.Traj = D3DVECTOR{vx, vy, vz};
}

void MoveSprites() {}

void spawnOrbBlast(const D3DVECTOR& position, Integer n) {
  const D3DVECTOR p = position;
  PlaySound(SndBassplode);
  PlaySound(SndMiniWarpOut);
  AddSprite(p.x, p.y, p.z, 0, 0, 0, skRingFade, 0, 0, -1, -1);
  AddSprite(p.x, p.y, p.z, 0, 0, 0, skOrb, 0, 0, n, -1);
  AddSprite(p.x, p.y, p.z, 0, 0, 0, 83, 0, 0, n, -1);
  for (int k = 0; k < 5; ++k) AddSprite(p.x, p.y, p.z, 0, 0, 0, 84, 0, 0, n, -1);
  CamShake = 0.9f;
  doSplashDamage(5000, 3000, p, n);
  AddSprite(p.x, p.y, p.z, 0, 0, 0, 45, 0, 0, n, -1);
}

void doSplashDamage(Single amount, Single radius, const D3DVECTOR& position, Integer source) {
  for (size_t i = 0; i < Ships.size(); ++i) {
    if (!Ships[i] || !Ships[i]->Exists) continue;
    CShip& s = *Ships[i];
    const double ground = getDist(s.x, s.y, position.x, position.z);
    const double dh = s.e - position.y;
    const double d = std::sqrt(ground * ground + dh * dh);
    if (!(d < radius)) continue;
    double f = (radius - d) / radius;
    if (static_cast<long>(i) == source) f /= 4;
    const D3DVECTOR dir{s.x - position.x, s.e - position.y, s.y - position.z};
    s.Hit(skSplashDamage, source, dir, static_cast<Single>(f * amount));
  }
}
