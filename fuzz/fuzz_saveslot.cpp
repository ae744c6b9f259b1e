// Save slots: the input is the slot's "save.pnd"; its other files are deleted-slot markers.
// Loaded into a game set up as a new game would be (default world, blank designs, 16 ships).
#include <memory>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "fuzz/FuzzGame.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

namespace {
void setUpGame() {
  fuzzGameDir();
  GameMode = 1;
  for (int n = 0; n < 6; ++n) ShipDefs.push_back(std::make_shared<CShipDef>());
  for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
  World = std::make_shared<CWorld>();
  World->Load();
  MissionControl = std::make_shared<CMissionControl>();
  GameInterface = std::make_shared<CInterface>();
  CurMap = new CMap();
  MotherPlayer = std::make_shared<CPlayer>();
  MotherPlayer->ShipType = -1;
  for (auto& s : SubPlayers) s = std::make_shared<CPlayer>();
  for (Integer k = 0; k <= 4; ++k) fuzzWrite(CPlayer::SlotFile(0, k), "\"*nil*\"\r\n");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUpGame(), true);
  (void)ready;
  fuzzWrite(CPlayer::SlotFile(0, -1), data, size);
  Player = std::make_shared<CPlayer>();
  fuzzRun([] { Player->Load(0, 0, -1); });
  return 0;
}
