#include "engine/CModelMonster.h"

std::vector<ModelCacheSlot> ModelSlots(1);
std::shared_ptr<CModelMonster> ModelMon;

CModelMonster::CModelMonster() { ClearAll(); }

void CModelMonster::ClearAll() {
  for (ModelCacheSlot& s : ModelSlots) {
    s.object.reset();
    s.used = false;
  }
  ModelSlots.assign(1, ModelCacheSlot{});
}
