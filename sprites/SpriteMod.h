// SpriteMod: the pool of 1024 sprites (Sprites) that are both the weapons' shots and the game's
// visual effects, the slot search (AddSprite), the per-frame drivers (MoveSprites in the update,
// SortSprites and the two render lists in the render), the effect bursts that make many sprites at
// once, splash damage with its linear falloff, and the model-sprite drawing procedures.
// Main thread only; nothing here allocates after the pool is made.
#pragma once
#include <array>
#include <vector>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"
#include "sprites/CSprite.h"

constexpr Integer SpritePoolSize = 1024;

// SpriteKind: the values of CSprite.sType; also the damage type CShip.Hit receives (47 splash
// damage and 94 a ram are never live sprites).
enum SpriteKind : Long {
  skSmoke = 0, skFlare = 1, skMiniFlare = 2, skBlueFlare = 3, skCloud = 4, skStar = 5, skBlueGlow = 6,
  skHaloFlare = 7, skLaserShot = 8, skRocket = 9, skPhotonShot = 10, skBurstCore = 11, skBurstBit = 12,
  skMissile = 13, skExplodeFlash = 14, skDust = 15, skFlash = 16, skBlastCore = 17, skPuff = 18,
  skFireball = 19, skSpark = 20, skSparkB = 21, skHitFlash = 22, skSmokeRed = 23, skTorpedo = 24,
  skTorSpark = 25, skTorFade = 26, skTorBit = 27, skTorFadeB = 28, skTorBurst = 29, skSplash = 30,
  skSpikeGlow = 31, skPanelShot = 32, skTorRing = 33, skShortShot = 34, skBlastCoreB = 35, skXBlast = 36,
  skSpawner = 37, skSpike = 38, skRing = 39, skBeamShot = 40, skHarpBolt = 41, skExplodeQuad = 42,
  skHarpBoltB = 43, skSpikeQuad = 44, skOrbCore = 45, skRingFade = 46, skSplashDamage = 47, skMissileB = 48,
  skTorpedoB = 49, skNeuBolt = 50, skTorGlow = 51, skHaloBolt = 52, skNeuHalo = 53, skNeuBoltB = 54,
  skNeuFlash = 55, skTorFlash = 56, skSkySpike = 57, skElectro = 58, skSpawnerB = 59, skHeartShot = 60,
  skHeart = 61, skGreenCloud = 62, skRedSpike = 63, skBlank = 64, skLightFlash = 65, skLightFlashB = 66,
  skBlankB = 67, skLightFlashC = 68, skDebris1 = 69, skDebris2 = 70, skDebris3 = 71, skDebris4 = 72,
  skFire = 73, skTurretBolt = 74, skDebris5 = 75, skBlood = 76, skPanelShotB = 77, skZap = 78,
  skRedFlare = 79, skRedSpikeQuad = 80, skZapB = 81, skOrb = 82, skInnerOrb = 83, skShock = 84,
  skBlueRedGlow = 85, skTunnelRing = 86, skTunnelFlare = 87, skSpinShot = 88, skPlain = 89,
  skSpikeSteadyB = 90, skSpikeSteady = 91, skCreditTunnel = 92, skCreditFlare = 93, skRam = 94,
  skNeuShot = 95, skNeuShotB = 96
};

// The pool, slots 0..1023; made by the game set-up (or on the first AddSprite).
extern std::vector<CSprite> Sprites;
// The free-slot hint: the slot search starts there.
extern Integer SpriteHint;
// The render lists of the frame (sprite indices), rebuilt by SortSprites; -1 = empty.
extern std::array<Integer, SpritePoolSize> SpriteListA, SpriteListB;
extern Integer SpriteListALast, SpriteListBLast;
// The shared scratch world matrix: the firing code leaves the firing mount's rotation here just
// before it adds a shot; CSprite.Init copies it into the facing of the aimed kinds.
extern D3DMATRIX ScratchMatrix;

// Starts a sprite of kind at (x, height y, z) with velocity (vx, vy, vz) units per second; life
// and size 0 or less take the kind's defaults, owner and target -1 mean none. While the game is
// paused only kinds 92 and 93 start; cheap effect kinds start only inside easyTestVis. A full pool
// takes over the lowest replaceable (Expendl) sprite, else logs "sprite overflow!" (unforced).
// Errors are trapped ("Error in AddSprite: ").
void AddSprite(Single x, Single y, Single z, Single vx, Single vy, Single vz, Long kind, Single life, Single size,
               Integer owner, Integer target);
// Once per frame from the update: every live sprite's Move.
void MoveSprites();
// Once per frame from the render, after the map's first pass: rebuilds the two render lists from
// the visible live sprites (and kills the player's shots off screen in the classic view).
void SortSprites();
// List B (opaque pass, right after SortSprites) and list A (after the map's transparent pass,
// depth writes and lighting off; builds the billboard matrix first, then resets SpriteHint).
void RenderSpriteListB();
void RenderSpriteListA();

// Effect bursts at a point (x, height y, z): sprites through AddSprite and a sound.
void spawnSparkPair(const D3DVECTOR& p);
void spawnSmallBurst(const D3DVECTOR& p);
void spawnDebrisBurst(const D3DVECTOR& p);
void spawnLargeExplosion(const D3DVECTOR& p, Integer flag);  // flag 0: with blast cores
void spawnShipExplosion(const D3DVECTOR& p);
void spawnOrbBlast(const D3DVECTOR& p, Integer owner);
void spawnOrbFade(const D3DVECTOR& p, Integer owner);
void spawnBlastA(const D3DVECTOR& p);
void spawnBlastB(const D3DVECTOR& p);
void spawnFireBurst(const D3DVECTOR& p);
void spawnSmokeBurst(const D3DVECTOR& p);
void spawnWaveBurstA(const D3DVECTOR& p);
void spawnWaveBurstB(const D3DVECTOR& p);
// CShip.Hit of kind 47 from owner on every existing ship closer than radius (in space) to point:
// damage x (radius - distance) / radius, a quarter of it on the owner's own ship; direction =
// ship position - point.
void doSplashDamage(Single damage, Single radius, const D3DVECTOR& point, Integer owner);

// Model sprites drawn with the misc models (facing written back by missile and rocket).
void DrawHarpModel(const D3DVECTOR& position, const D3DMATRIX& facing);
void DrawMissileModel(const D3DVECTOR& position, D3DMATRIX& facing, Single angle, Single pitch, Single life);
void DrawRockerModel(const D3DVECTOR& position, D3DMATRIX& facing, Single angle, Single pitch, Single life);
void DrawPanelSprite(const D3DVECTOR& position, const D3DMATRIX& facing);
