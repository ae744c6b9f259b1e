// The options and cheat-flag files: the input up to its first zero byte is "\data\options.pnd",
// the rest "\data\options2.pnd".
#include "campaign/CPlayer.h"
#include "fuzz/FuzzGame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t cut = all.find('\0');
  fuzzWrite("\\data\\options.pnd", all.substr(0, cut));
  fuzzWrite("\\data\\options2.pnd", cut == std::string::npos ? std::string() : all.substr(cut + 1));
  fuzzRun([] {
    CPlayer p;
    p.ReadOptions();
    p.ReadCheats();
  });
  return 0;
}
