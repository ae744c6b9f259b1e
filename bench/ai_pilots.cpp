// One update of a level with 32 ships over the default map "losgatos" (the player's ship and 31
// AI ships of pirates, traders, police and cyborgs spawned within 2500 units of each other):
// every ship's movement step (which runs its pilot's decision step and fires its weapons) and
// the sprite pool's step, at 60 frames per second. No device and no sound: drawing is not part
// of the update.
// AIFight32: the pilots fly and fight (hits leave armour and shields full, so the fight goes on).
// AIIdle32: the same ships with pilots that do not drive them.
// The goal is under 1 ms per update. "allocs_per_update" counts heap allocations in the timed
// updates; the goal is none from the pilots.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "game/GameMod.h"
#include "levels/CMap.h"
#include "runtime/Paths.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Counting replacements of the global allocation functions (this program only).
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {
constexpr int ShipCount = 32;
constexpr int RebuildEvery = 1200;  // updates (20 s) before ships that left are put back

// The level once per process: map, designs, world, player record, sprite pool.
void loadLevelOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  setAppPath(QV_TEST_GAME_DIR);
  GameMode = pmPlay;
  CurMap = new CMap();
  CurMap->MapName = "losgatos";
  CurMap->Load();
  CurMap->setMedianShips(0);
  loadShipDefs();
  World = std::make_shared<CWorld>();
  World->Load();
  World->CurrentNode = 0;
  Player = std::make_shared<CPlayer>();
  GameInterface = std::make_shared<CInterface>();
}

// Ships(0) the player's ship at the centre, Ships(1..31) AI ships of four factions.
void buildFleet(bool driven) {
  setRndSeedForTests(2024);
  Sprites.assign(SpritePoolSize, CSprite{});
  Ships.clear();
  for (int i = 0; i < ShipCount; ++i) Ships.push_back(std::make_shared<CShip>());
  Ships[0]->setDef(*ShipDefs[0]);
  Ships[0]->Init(0);
  const char* units[] = {"pirate_rich", "misc_trader", "misc_cop", "cyborg_weak", "misc_rich", "zombie_trader"};
  for (int k = 0; k < 200; ++k) {
    bool full = true;
    for (const auto& s : Ships) full = full && s->Exists;
    if (full) break;
    CurMap->MissionSpawn(units[k % 6], "", 5000 * Rnd() - 2500, 5000 * Rnd() - 2500, -1);
  }
  for (int i = 1; i < ShipCount; ++i) {
    CShip& s = *Ships[i];
    if (!driven) {
      const Single x = s.x, y = s.y, e = s.e, r = s.r;
      s.Init(static_cast<Integer>(i));  // a pilot that does not drive
      s.x = x;
      s.y = y;
      s.e = e;
      s.r = r;
    }
    s.IsIshuo = true;
  }
  SceneEvent = 0;
}

void update() {
  FrameTime = 1 / 60.0;
  for (size_t i = 0; i < Ships.size(); ++i)
    if (Ships[i] && Ships[i]->Exists) Ships[i]->Move();
  MoveSprites();
}

void runFleet(benchmark::State& state, bool driven) {
  loadLevelOnce();
  if (ShipDefs.empty() || !ShipDefs[0]) {
    state.SkipWithError("the default content is missing");
    return;
  }
  buildFleet(driven);
  for (int k = 0; k < 120; ++k) update();  // two seconds to find targets and close in
  long allocs = 0, count = 0, live = 0;
  for (auto _ : state) {
    if (++count % RebuildEvery == 0) {
      state.PauseTiming();
      buildFleet(driven);
      state.ResumeTiming();
    }
    const long before = allocations.load(std::memory_order_relaxed);
    update();
    allocs += allocations.load(std::memory_order_relaxed) - before;
  }
  for (const auto& s : Ships) live += s->Exists;
  long sprites = 0, attacking = 0;
  for (const CSprite& sp : Sprites) sprites += sp.Exists;
  for (size_t i = 1; i < Ships.size(); ++i) attacking += Ships[i]->Exists && Ships[i]->keyPrimary;
  state.counters["allocs_per_update"] = benchmark::Counter(static_cast<double>(allocs) / std::max(1L, count));
  state.counters["ships"] = static_cast<double>(live);
  state.counters["sprites"] = static_cast<double>(sprites);  // shots and effects alive at the end
  state.counters["firing"] = static_cast<double>(attacking);  // ships firing their mounts at the end
  clearRndTestSeed();
}

void AIFight32(benchmark::State& state) { runFleet(state, true); }
void AIIdle32(benchmark::State& state) { runFleet(state, false); }
BENCHMARK(AIFight32)->Unit(benchmark::kMillisecond);
BENCHMARK(AIIdle32)->Unit(benchmark::kMillisecond);
}  // namespace
