// The credits file "\data\credits.pnd".
#include "fuzz/FuzzGame.h"
#include "interface/CInterface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\data\\credits.pnd", data, size);
  fuzzRun([] {
    CInterface gi;
    gi.ReadCredits();
  });
  return 0;
}
