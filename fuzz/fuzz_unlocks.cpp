// The unlock list "\data\unlocks.pnd", read with the era check against a player record.
#include <memory>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "fuzz/FuzzGame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    fuzzGameDir();
    World = std::make_shared<CWorld>();
    fuzzRun([] { World->Load(); });
    Player = std::make_shared<CPlayer>();
    Player->addMissionComplete("tut.pnd");
    return true;
  }();
  (void)ready;
  fuzzWrite("\\data\\unlocks.pnd", data, size);
  fuzzRun([] {
    CMissionControl mc;
    mc.GetMissionDefs();
    mc.checkCurrentEra();
  });
  return 0;
}
