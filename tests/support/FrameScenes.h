// Scenes of the real main loop that frame benchmarks and frame comparisons run (header only, so
// that bench/ can use it without the test framework). Call from a frame hook of frmMain once
// start-up has shown the title scene (pass 1 or later):
//   startFlightScene: flight over "losgatos" with the map's population, the title effect off;
//   startBusyScene: that flight with 128 ships around the player;
//   topUpBusySprites: fills the sprite pool to 1024 live sprites, half of them (or wantedShots)
//   shots fired by the ships (call between frames to keep the scene steady).
#pragma once
#include <cmath>
#include <memory>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/CameraMod.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "sprites/CSprite.h"
#include "sprites/SpriteMod.h"

namespace frame_scenes {
constexpr int BusyShips = 128;
constexpr int BusyShots = 512;

// The player's new ship in flight over "losgatos", its population not yet placed; false when the
// map did not load.
inline bool enterFlight() {
  Ships.clear();
  for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
  Characters.clear();
  for (int i = 0; i < 16; ++i) Characters.push_back(std::make_shared<CCharacter>());
  Player->Init();
  Player->MakeShipFromPlayer(0, 0, 0, 0);
  CurMap->MapName = "losgatos";
  const bool loaded = CurMap->Load();
  GameInterface->Window = msNone;
  ScreenFxOn = false;
  SteerDelay = 2;
  return loaded;
}

// enterFlight with the map's population; false when the map did not load.
inline bool startFlightScene() {
  if (!enterFlight()) return false;
  resetLevel();
  return true;
}

// The number of ships that exist afterwards (BusyShips unless the map spawns none): the map's
// population drawn again and again, gathered into one level.
inline int startBusyScene() {
  if (!startFlightScene()) return 0;
  std::vector<std::shared_ptr<CShip>> gathered;
  for (int round = 0; round < 400 && gathered.size() + 1 < static_cast<size_t>(BusyShips); ++round) {
    CurMap->ShipInit();
    for (size_t i = 1; i < Ships.size(); ++i) {
      if (!Ships[i] || !Ships[i]->Exists) continue;
      gathered.push_back(Ships[i]);
      Ships[i] = std::make_shared<CShip>();
    }
  }
  Ships.resize(1);
  for (auto& s : gathered) {
    if (Ships.size() >= static_cast<size_t>(BusyShips)) break;
    s->ID = static_cast<Integer>(Ships.size());
    Ships.push_back(s);
  }
  return static_cast<int>(Ships.size());
}

inline void topUpBusySprites(int wantedShots = BusyShots) {
  int shots = 0, all = 0;
  for (const CSprite& s : Sprites) {
    if (!s.Exists) continue;
    ++all;
    shots += s.sType == skLaserShot;
  }
  const CShip& player = *Ships[0];
  for (int guard = 0; all < SpritePoolSize && guard < SpritePoolSize; ++guard) {
    if (shots < wantedShots) {
      const auto owner = static_cast<Integer>(Rnd() * (Ships.size() - 1));
      const CShip* s = Ships[static_cast<size_t>(owner)].get();
      if (!s || !s->Exists) continue;
      const Single a = Rnd() * 6.28f;
      AddSprite(s->x, s->e, s->y, std::cos(a) * 2500, 0, std::sin(a) * 2500, skLaserShot, 0, 0, owner, -1);
      ++shots;
    } else {
      AddSprite(player.x + (Rnd() - 0.5f) * 2000, player.e + Rnd() * 300, player.y + 300 + Rnd() * 2000, 0, 20, 0,
                Rnd() < 0.5f ? skSmoke : skFlare, 0, 0, -1, -1);
    }
    ++all;
  }
}
}  // namespace frame_scenes
