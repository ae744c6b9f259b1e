#include "sprites/SpriteMod.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "audio/soundMod.h"
#include "engine/BillMod.h"
#include "engine/CModelMonster.h"
#include "engine/CTrail.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "campaign/CPlayer.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "sprites/SpriteHelpers.h"

std::vector<CSprite> Sprites;

namespace {
// The pool's index: a bit per slot of Sprites for "not Exists" and for "Expendl", kept by the
// flags' writes. It covers the slots of the vector's storage it was built for; a write anywhere
// else (a sprite outside the pool, the pool being rebuilt) or a changed vector makes it stale, and
// it is built again from the slots before the next search.
struct PoolIndex {
  const CSprite* base = nullptr;
  size_t count = 0;
  bool stale = true;
  std::vector<uint64_t> free, expendable;

  // The first slot in [from, to) whose bit is set and that passes keep, -1 none.
  template <class Keep>
  static Integer first(const std::vector<uint64_t>& bits, Integer from, Integer to, Keep keep) {
    for (Integer i = from; i < to;) {
      const size_t w = static_cast<size_t>(i) / 64;
      uint64_t word = bits[w] >> (static_cast<size_t>(i) % 64);
      if (word == 0) {
        i = static_cast<Integer>((w + 1) * 64);
        continue;
      }
      i = static_cast<Integer>(i + std::countr_zero(word));
      if (i >= to) break;
      if (keep(i)) return i;
      ++i;
    }
    return -1;
  }
};
PoolIndex poolIndex;

void setBit(std::vector<uint64_t>& bits, size_t i, bool on) {
  const uint64_t b = uint64_t{1} << (i % 64);
  if (on)
    bits[i / 64] |= b;
  else
    bits[i / 64] &= ~b;
}

void poolIndexCurrent() {
  PoolIndex& ix = poolIndex;
  if (!ix.stale && ix.base == Sprites.data() && ix.count == Sprites.size()) return;
  ix.base = Sprites.data();
  ix.count = Sprites.size();
  ix.free.assign((ix.count + 63) / 64, 0);
  ix.expendable.assign((ix.count + 63) / 64, 0);
  for (size_t i = 0; i < ix.count; ++i) {
    setBit(ix.free, i, !Sprites[i].Exists);
    setBit(ix.expendable, i, Sprites[i].Expendl);
  }
  ix.stale = false;
}
}  // namespace

template <int Which>
void PoolFlag<Which>::noteWrite() const {
  PoolIndex& ix = poolIndex;
  const auto p = reinterpret_cast<uintptr_t>(this);
  const auto b = reinterpret_cast<uintptr_t>(ix.base);
  if (!b || p < b || p - b >= ix.count * sizeof(CSprite)) {
    ix.stale = true;
    return;
  }
  const size_t i = (p - b) / sizeof(CSprite);
  if (Which == 0)
    setBit(ix.free, i, !v_);
  else
    setBit(ix.expendable, i, v_);
}
template class PoolFlag<0>;
template class PoolFlag<1>;

namespace {
// Trails mark each section corner with a mini-flare: no velocity, the kind's life and size, no owner.
void trailCornerFlare(const D3DVECTOR& corner) {
  AddSprite(corner.x, corner.y, corner.z, 0, 0, 0, skMiniFlare, 0, 0, -1, -1);
}
const bool TrailFlaresPublished = (TrailCornerFlare = &trailCornerFlare, true);
}  // namespace
Integer SpriteHint = 0;
std::array<Integer, SpritePoolSize> SpriteListA{}, SpriteListB{};
Integer SpriteListALast = -1, SpriteListBLast = -1;
D3DMATRIX ScratchMatrix{};

// ---- helpers ----
namespace spr {
void add(const D3DVECTOR& p, const D3DVECTOR& v, Long kind, Single life, Single size, Integer owner,
         Integer target) {
  AddSprite(p.x, p.y, p.z, v.x, v.y, v.z, kind, life, size, owner, target);
}
D3DVECTOR within(const D3DVECTOR& p, Single d) {
  D3DVECTOR q;
  q.x = p.x - d + 2 * d * Rnd();
  q.y = p.y - d + 2 * d * Rnd();
  q.z = p.z - d + 2 * d * Rnd();
  return q;
}
D3DVECTOR spread(Single s) {
  D3DVECTOR v;
  v.x = s * Rnd() - s / 2;
  v.y = s * Rnd() - s / 2;
  v.z = s * Rnd() - s / 2;
  return v;
}
D3DVECTOR sinking() { return D3DVECTOR{0, -50 * Rnd(), 0}; }
D3DVECTOR vec(Single x, Single y, Single z) { return D3DVECTOR{x, y, z}; }
D3DVECTOR addScaled(const D3DVECTOR& a, const D3DVECTOR& b, Single k) {
  return D3DVECTOR{a.x + k * b.x, a.y + k * b.y, a.z + k * b.z};
}
Integer nearest(double x) {
  if (!(x == x)) return 0;
  if (x <= -32768.0) return -32768;
  if (x >= 32767.0) return 32767;
  return CInt(x);
}
Integer floorI(double x) {
  if (!(x == x)) return 0;
  const double f = std::floor(x);
  if (f <= -32768.0) return -32768;
  if (f >= 32767.0) return 32767;
  return static_cast<Integer>(f);
}
std::shared_ptr<Direct3DTexture8> tex(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(handle)].object;
}
CMD2* miscModel(Integer k) {
  if (!ModelMon || k < 0 || k >= static_cast<Integer>(MiscModels.size())) return nullptr;
  Integer h = MiscModels[static_cast<size_t>(k)];
  if (h < 0) return nullptr;
  const Integer slot = ModelMon->getRealModelNum(h);
  if (slot < 0 || static_cast<size_t>(slot) >= ModelSlots.size()) return nullptr;
  CMD2* m = ModelSlots[static_cast<size_t>(slot)].object.get();
  return m && m->Loaded ? m : nullptr;
}
}  // namespace spr

using namespace spr;

namespace {
bool cullKind(Long kind) {
  switch (kind) {
    case skSmoke: case skStar: case skBlueGlow: case skHaloFlare: case skDust: case skPuff: case skTorSpark:
    case skTorFade: case skBlueRedGlow: return true;
    default: return false;
  }
}

void ensurePool() {
  if (Sprites.size() != static_cast<size_t>(SpritePoolSize)) {
    Sprites.assign(SpritePoolSize, CSprite{});
    SpriteHint = 0;
  }
}

// The slot for a new sprite, -1 when none: the first free slot from SpriteHint on that is not
// mid-move, else the first free slot up to SpriteHint, else the first expendable slot. The pool's
// index answers in words of 64 slots instead of visiting each slot.
Integer findSlot() {
  if (SpriteHint < 0 || SpriteHint >= SpritePoolSize) SpriteHint = 0;
  poolIndexCurrent();
  const Integer found = poolIndex.first(poolIndex.free, SpriteHint, SpritePoolSize,
                                        [](Integer i) { return !Sprites[static_cast<size_t>(i)].IsOpen; });
  if (found >= 0) return found;
  const Integer early = poolIndex.first(poolIndex.free, 0, SpriteHint + 1, [](Integer) { return true; });
  if (early >= 0) return early;
  return poolIndex.first(poolIndex.expendable, 0, SpritePoolSize, [](Integer) { return true; });
}
}  // namespace

void AddSprite(Single x, Single y, Single z, Single vx, Single vy, Single vz, Long kind, Single life, Single size,
               Integer owner, Integer target) {
  vbTrap("AddSprite", [&] {
    if (GamePaused && kind != skCreditTunnel && kind != skCreditFlare) return;
    if (cullKind(kind) && !easyTestVis(x, z)) return;
    ensurePool();
    const Integer slot = findSlot();
    if (slot < 0) {
      addMessage("sprite overflow!", false);
      return;
    }
    SpriteHint = slot;
    Single newSize = size;
    Sprites[slot].Init(x, y, z, vx, vy, vz, kind, life, newSize, owner, target);
    if (GameInterface && GameInterface->Window == msDemo && kind == skMissile) {
      GameInterface->DemoSceneFollow = slot;
      GameInterface->DemoSceneMode = Rnd() < 0.5f ? 4 : 3;
      GameInterface->DemoSceneFrame = -1.0f;
      GameInterface->DemoSceneTarget = target;
    }
  });
}

void MoveSprites() {
  ensurePool();
  CSprite::newHitFrame();
  struct HitFrame {
    ~HitFrame() { CSprite::endHitFrame(); }
  } hitFrame;
  for (Integer i = 0; i < SpritePoolSize; ++i) {
    CSprite& s = Sprites[i];
    if (!s.Exists) continue;
    s.Move();
    if (!s.Exists && i < SpriteHint) SpriteHint = i;
  }
}

void SortSprites() {
  ensurePool();
  SpriteListALast = -1;
  SpriteListBLast = -1;
  for (Integer i = 0; i < SpritePoolSize; ++i) {
    CSprite& s = Sprites[i];
    if (!s.Exists) continue;
    if (s.getTestVis()) {
      if (s.Alpha)
        SpriteListA[static_cast<size_t>(++SpriteListALast)] = i;
      else
        SpriteListB[static_cast<size_t>(++SpriteListBLast)] = i;
    } else if (ClassicView && s.Owner == 0) {
      switch (s.sType) {
        case skLaserShot: case skRocket: case skPhotonShot: case skPanelShot: case skBeamShot:
        case skSpinShot: case skNeuShot: s.Exists = false; break;
        default: break;
      }
    }
  }
}

void RenderSpriteListB() {
  for (Integer k = 0; k <= SpriteListBLast; ++k) {
    CSprite& s = Sprites[static_cast<size_t>(SpriteListB[static_cast<size_t>(k)])];
    if (s.Exists) s.Render();
  }
}

void RenderSpriteListA() {
  getBillFace();
  for (Integer k = 0; k <= SpriteListALast; ++k) {
    CSprite& s = Sprites[static_cast<size_t>(SpriteListA[static_cast<size_t>(k)])];
    if (s.Exists) s.Render();
  }
  SpriteHint = 0;
}

// ---- bursts ----
namespace {
const D3DVECTOR Still{0, 0, 0};
void ring(const D3DVECTOR& p, Single size) { add(p, Still, skRing, 0, size); }
}  // namespace

void spawnSparkPair(const D3DVECTOR& p) {
  add(p, Still, skSpark);
  add(p, Still, skDust);
}

void spawnSmallBurst(const D3DVECTOR& p) {
  for (int k = 0; k < 5; ++k) add(p, spread(500), skBurstBit);
  add(p, Still, skBurstCore);
  PlaySound3D(SndFlame2, p);
}

void spawnDebrisBurst(const D3DVECTOR& p) {
  for (int k = 0; k < 16; ++k) {
    const D3DVECTOR v = spread(100);
    add(p, v, skTorFade, 0, 7 * Rnd());
  }
  for (int k = 0; k < 16; ++k) add(p, spread(200), skTorRing);
  add(p, Still, skTorRing);
  PlaySound3D(SndExplode, p);
  add(p, Still, skBlankB);
}

void spawnLargeExplosion(const D3DVECTOR& p, Integer flag) {
  for (int k = 0; k < 16; ++k) add(p, spread(500), skExplodeFlash);
  for (int k = 0; k < 4; ++k) {
    if (flag == 0) add(p, spread(2000), skBlastCore);
    add(within(p, 10), Still, skSparkB);
  }
  add(p, Still, skFlash);
  ring(p, 18);
  PlaySound3D(SndExplode, p);
  add(p, Still, skLightFlashC);
}

void spawnShipExplosion(const D3DVECTOR& p) {
  for (int k = 0; k < 16; ++k) {
    const D3DVECTOR v = spread(500);
    add(p, v, skTorFade, 0, 7 * Rnd());
  }
  for (int k = 0; k < 4; ++k) {
    add(p, spread(2000), skBlastCore);
    add(within(p, 10), Still, skSparkB);
  }
  add(p, Still, skTorBit);
  ring(p, 10);
  PlaySound3D(SndExplode, p);
  add(p, Still, skLightFlashB);
}

void spawnOrbBlast(const D3DVECTOR& point, Integer owner) {
  const D3DVECTOR p = point;
  PlaySound(SndBassplode);
  PlaySound(SndMiniWarpOut);
  add(p, Still, skRingFade);
  add(p, Still, skOrb);
  add(p, Still, skInnerOrb);
  for (int k = 0; k < 5; ++k) add(p, Still, skShock);
  CamShake = 0.9f;
  doSplashDamage(5000, 3000, p, owner);
  add(p, Still, skOrbCore);
}

void spawnOrbFade(const D3DVECTOR& point, Integer owner) {
  const D3DVECTOR p = point;
  PlaySound(SndBassplode);
  PlaySound(SndMiniWarpOut);
  add(p, Still, skRingFade);
  ring(p, 36);
  add(p, Still, skOrbCore);
  CamShake = 0.5f;
  doSplashDamage(1000, 1000, p, owner);
  add(p, Still, skBlankB);
}

namespace {
void blast(const D3DVECTOR& p, Long bit, Long light) {
  add(p, Still, skFlash);
  ring(p, 24);
  PlaySound3D(SndExplode, p);
  for (int k = 0; k < 17; ++k) add(p, spread(1500), bit);
  add(p, Still, light);
}
}  // namespace

void spawnBlastA(const D3DVECTOR& p) { blast(p, skNeuHalo, skLightFlash); }
void spawnBlastB(const D3DVECTOR& p) { blast(p, skHeart, skBlankB); }

void spawnFireBurst(const D3DVECTOR& p) {
  const D3DVECTOR q = within(p, 10);
  add(q, spread(50), skDust);
  add(within(p, 10), Still, skSparkB);
  ring(p, 7);
  PlaySound3D(SndMiniExplode, p);
}

void spawnSmokeBurst(const D3DVECTOR& p) {
  for (int k = 0; k < 4; ++k) {
    const D3DVECTOR q = within(p, 10);
    add(q, spread(50), skXBlast);
  }
  ring(p, 3);
  PlaySound3D(SndFlame2, p);
}

void spawnWaveBurstA(const D3DVECTOR& p) {
  for (int k = 0; k < 2; ++k) {
    const D3DVECTOR q = within(p, 30);
    add(q, spread(1250), skNeuHalo);
  }
  add(p, Still, skHaloBolt);
  ring(p, 8);
  PlaySound3D(SndMiniExplode, p);
}

void spawnWaveBurstB(const D3DVECTOR& p) {
  for (int k = 0; k < 2; ++k) {
    const D3DVECTOR q = within(p, 30);
    add(q, spread(50), skZapB);
  }
  add(p, Still, skSpikeQuad);
  ring(p, 3);
  PlaySound3D(SndFlame2, p);
}

void doSplashDamage(Single damage, Single radius, const D3DVECTOR& point, Integer owner) {
  for (size_t i = 0; i < Ships.size(); ++i) {
    const std::shared_ptr<CShip> ship = Ships[i];  // held: a hit may replace the slot
    if (!ship || !ship->Exists) continue;
    CShip& s = *ship;
    const double ground = getDist(s.x, s.y, point.x, point.z);
    const double dh = static_cast<double>(s.e) - point.y;
    const double d = std::sqrt(ground * ground + dh * dh);
    // A radius of 0 or less reaches nobody (and never divides by zero).
    if (!(d < radius) || !(radius > 0)) continue;
    double f = (radius - d) / radius;
    if (static_cast<long>(i) == owner) f /= 4;
    const D3DVECTOR dir = s.getPos();
    const D3DVECTOR rel{dir.x - point.x, dir.y - point.y, dir.z - point.z};
    s.Hit(skSplashDamage, owner, rel, static_cast<Single>(f * damage));
  }
}
