// CModelMonster: the MD2 model cache (one instance, ModelMon). Every model has a small Integer
// handle into the slot table ModelSlots. This far only the table and ClearAll (after a device
// reset); loading by path comes with the cache work.
#pragma once
#include <memory>
#include <vector>

#include "engine/CMD2.h"

// One slot of ModelSlots.
struct ModelCacheSlot {
  std::shared_ptr<CMD2> object;
  bool used = false;
};

// Created with one unused slot (handle 0); grows by one slot at a time.
extern std::vector<ModelCacheSlot> ModelSlots;

class CModelMonster {
 public:
  CModelMonster();
  // Releases every model and empties the cache: ModelSlots is one unused slot again.
  void ClearAll();
};

extern std::shared_ptr<CModelMonster> ModelMon;
