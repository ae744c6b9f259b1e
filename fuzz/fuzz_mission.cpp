// Mission files: the input is a mission of era 0, read both for its header (the board's list of
// the era's missions) and as a script (its phases compiled line by line, placeholders filled).
#include <memory>

#include "campaign/CMissionControl.h"
#include "campaign/CWorld.h"
#include "fuzz/FuzzGame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    fuzzGameDir();
    World = std::make_shared<CWorld>();
    fuzzRun([] { World->Load(); });
    World->CurrentEra = 0;
    return true;
  }();
  (void)ready;
  fuzzWrite("\\missions\\era0\\zz-fuzz.pnd", data, size);
  fuzzRun([] {
    CMissionControl mc;
    mc.GetMissionDefs();
    mc.LoadMission("zz-fuzz.pnd", 1, "bar");
    mc.getTimeLimit();
  });
  return 0;
}
