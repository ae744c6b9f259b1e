// CWorld: the world map of nodes and links (one instance, World). This far only the current era,
// which completed missions move on; the nodes, links, route, traders and the world file come
// with the world-map work.
#pragma once
#include <memory>

#include "runtime/Numbers.h"

class CWorld {
 public:
  Integer CurrentEra = 0;  // 0..8
};

extern std::shared_ptr<CWorld> World;
