// SpriteMod: the pool of 1024 sprites (Sprites) and the calls the engine, the map and the ships
// make on it: AddSprite, the per-frame MoveSprites, and the effect spawners spawnOrbBlast and
// doSplashDamage. This far a least pool: AddSprite records each started sprite in the next slot
// (the oldest is replaced once all 1024 are used) and nothing moves or is drawn; splash damage is
// dealt in full. The sprite work replaces the pool's movement, lists and drawing.
// Main thread only; nothing here allocates after the pool is made.
#pragma once
#include <vector>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"
#include "sprites/CSprite.h"

constexpr Integer SpritePoolSize = 1024;

// SpriteKind values the engine, map and ships start by name.
enum SpriteKind : Long {
  skFlare = 1, skMiniFlare = 2, skBlueFlare = 3, skCloud = 4, skStar = 5, skBlueGlow = 6, skHaloFlare = 7,
  skLaserShot = 8,
  skRocket = 9, skPhotonShot = 10, skMissile = 13, skExplodeFlash = 14, skDust = 15, skBlastCore = 17,
  skPuff = 18, skFireball = 19, skSparkB = 21, skTorpedo = 24, skTorSpark = 25, skTorFade = 26, skTorFadeB = 28,
  skTorBurst = 29, skSplash = 30, skSpikeGlow = 31,
  skPanelShot = 32, skShortShot = 34, skRing = 39, skBeamShot = 40, skExplodeQuad = 42, skRingFade = 46,
  skSplashDamage = 47, skMissileB = 48, skTorpedoB = 49, skNeuBolt = 50, skNeuBoltB = 54,
  skSkySpike = 57, skSpawnerB = 59, skGreenCloud = 62, skHeartShot = 60, skLightFlashC = 68, skDebris1 = 69, skDebris2 = 70, skDebris3 = 71,
  skDebris4 = 72, skDebris5 = 75, skPanelShotB = 77, skZap = 78, skZapB = 81, skOrb = 82, skBlueRedGlow = 85,
  skTunnelRing = 86, skTunnelFlare = 87, skSpinShot = 88, skRam = 94, skNeuShot = 95
};

// The pool, slots 0..1023; made on the first AddSprite (or by the game set-up).
extern std::vector<CSprite> Sprites;

// Starts a sprite of kind at (x, height y, z) with velocity (vx, vy, vz) units per second; life
// and size 0 take the kind's defaults, owner and param -1 mean none. While the game is paused
// only kinds 92 and 93 start.
void AddSprite(Single x, Single y, Single z, Single vx, Single vy, Single vz, Long kind, Single life, Single size,
               Integer owner, Integer param);
// Once per frame: every live sprite's step (nothing in the least pool).
void MoveSprites();
// The orb-blast effect at position: stops the two warp-out sounds and starts its sprites.
void spawnOrbBlast(const D3DVECTOR& position, Integer n);
// CShip.Hit of kind 47 from source on every existing ship closer than radius (in space) to
// position: amount x (radius - distance) / radius, a quarter of it on the source itself, pushed
// away from the position.
void doSplashDamage(Single amount, Single radius, const D3DVECTOR& position, Integer source);
