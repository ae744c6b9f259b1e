#include "engine/CTextureMonster.h"

std::vector<TexCacheSlot> TexSlots(1);
std::shared_ptr<CTextureMonster> TexMon;

CTextureMonster::CTextureMonster() { ClearAll(); }

void CTextureMonster::ClearAll() {
  for (TexCacheSlot& s : TexSlots) {
    s.object.reset();
    s.used = false;
  }
  TexSlots.assign(1, TexCacheSlot{});
}
