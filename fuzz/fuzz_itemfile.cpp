// Item files: the item-by-item reader over any text, every kind of item in turn.
#include "fuzz/FuzzGame.h"
#include "runtime/ItemFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzRun([&] {
    ItemReader in = ItemReader::fromText(std::string(reinterpret_cast<const char*>(data), size));
    for (int k = 0; !in.eof() && k < 10000; ++k) {
      switch (k % 6) {
        case 0: in.readString(); break;
        case 1: in.readNumber(); break;
        case 2: in.readInteger(); break;
        case 3: in.readLong(); break;
        case 4: in.readBool(); break;
        default: in.readLine(); break;
      }
    }
  });
  return 0;
}
