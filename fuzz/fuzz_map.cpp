// Map files with the structure definitions and the unit table they load.
#include "fuzz/FuzzGame.h"
#include "levels/CMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\maps\\fz.pnd", data, size);
  fuzzRun([] {
    CMap map;
    map.MapName = "fz";
    map.Load();
  });
  return 0;
}
