// The character table "\data\chars.pnd".
#include "fuzz/FuzzGame.h"
#include "game/LoaderMod.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\data\\chars.pnd", data, size);
  fuzzRun([] { LoadCharDefs(); });
  return 0;
}
