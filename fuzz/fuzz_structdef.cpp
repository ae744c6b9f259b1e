// Structure definitions: the input stands for one of the fixed definition files.
#include "fuzz/FuzzGame.h"
#include "levels/CMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\structures\\landing.pnd", data, size);
  fuzzRun([] {
    CMap map;
    map.LoadStructDefs();
  });
  return 0;
}
