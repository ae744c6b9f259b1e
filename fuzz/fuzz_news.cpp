// The news file "\gfx\news\news.pnd": read, then a segment started and read to its end.
#include "campaign/CNews.h"
#include "engine/GameGlobals.h"
#include "fuzz/FuzzGame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzWrite("\\gfx\\news\\news.pnd", data, size);
  fuzzRun([] {
    CNews news;
    news.Init();
    FrameTime = 1.0;
    news.NewSeg();
    for (int k = 0; k < 40; ++k) {
      news.Read();
      news.getYukiMsg();
      news.getTrantorMsg();
    }
  });
  return 0;
}
