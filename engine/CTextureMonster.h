// CTextureMonster: the texture cache (one instance, TexMon). Every texture the game draws has a
// small Integer handle into the slot table TexSlots, which drawing code indexes directly. This far
// only the table and ClearAll (after a device reset); loading by name comes with the cache work.
#pragma once
#include <memory>
#include <vector>

#include "platform/Direct3D.h"

// One slot of TexSlots.
struct TexCacheSlot {
  std::shared_ptr<Direct3DTexture8> object;
  bool used = false;
};

// Created with one unused slot (handle 0); grows by one slot at a time.
extern std::vector<TexCacheSlot> TexSlots;

class CTextureMonster {
 public:
  CTextureMonster();
  // Releases every texture and empties the cache: TexSlots is one unused slot again; handles
  // given out before are void.
  void ClearAll();
};

extern std::shared_ptr<CTextureMonster> TexMon;
