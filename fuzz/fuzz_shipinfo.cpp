// The unit table "\data\shipinfo.pnd", read with a default map.
#include "fuzz/FuzzGame.h"
#include "levels/CMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\data\\shipinfo.pnd", data, size);
  fuzzRun([] {
    CMap map;
    map.MapName = "losgatos";
    map.Load();
  });
  return 0;
}
