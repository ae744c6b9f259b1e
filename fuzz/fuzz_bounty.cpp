// The bounty file "\data\bounty.pnd", read through the office's offer walk (default map and unit
// table, a new player record).
#include <memory>

#include "campaign/CPlayer.h"
#include "fuzz/FuzzGame.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    fuzzGameDir();
    CurMap = new CMap();
    CurMap->MapName = "losgatos";
    fuzzRun([] { CurMap->Load(); });
    Player = std::make_shared<CPlayer>();
    return true;
  }();
  (void)ready;
  fuzzWrite("\\data\\bounty.pnd", data, size);
  fuzzRun([] {
    CInterface gi;
    gi.InitBountyList();
  });
  return 0;
}
