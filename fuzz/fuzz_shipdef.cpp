// Ship definitions.
#include "fuzz/FuzzGame.h"
#include "ships/CShipDef.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\ships\\fz.pnd", data, size);
  fuzzRun([] {
    CShipDef def;
    def.ShipName = "fz";
    def.ReadDef();
  });
  return 0;
}
