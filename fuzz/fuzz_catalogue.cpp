// The store catalogues "\data\partsdef.pnd" and "\data\ammodef.pnd" (the same input for both).
#include "fuzz/FuzzGame.h"
#include "interface/CInterface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\data\\partsdef.pnd", data, size);
  fuzzWrite("\\data\\ammodef.pnd", data, size);
  fuzzRun([] {
    CInterface gi;
    gi.ReadPartDefs();
    gi.ReadAmmoDefs();
  });
  return 0;
}
