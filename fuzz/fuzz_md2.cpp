// MD2 models, loaded onto a recording device.
#include "engine/CMD2.h"
#include "fuzz/FuzzGame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzDevice();
  fuzzWrite("\\models\\fz.md2", data, size);
  fuzzRun([] {
    CMD2 model;
    model.LoadMD2("models\\fz.md2");
  });
  return 0;
}
