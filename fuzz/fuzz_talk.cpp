// Talk lines "\data\talk.pnd": read, then one line asked for of each category and alignment.
#include "campaign/CTalkControl.h"
#include "fuzz/FuzzGame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\data\\talk.pnd", data, size);
  fuzzRun([] {
    CTalkControl talk;
    for (Long category = 0; category < 20; ++category)
      for (Long align = 0; align < 12; align += 3) talk.getRandomTalk(category, align, 1, 2, 30, 0);
  });
  return 0;
}
