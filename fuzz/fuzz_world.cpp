// The world file "\maps\world.pnd".
#include "campaign/CWorld.h"
#include "fuzz/FuzzGame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\maps\\world.pnd", data, size);
  fuzzRun([] {
    CWorld world;
    world.Load();
  });
  return 0;
}
