// CMap: the map of one world node. For now only the fog fields that the render presets read;
// the map file, sky, weather, structures and queries are added to this same class.
#pragma once
#include "runtime/Numbers.h"

class CMap {
 public:
  Integer Fog = 0;                   // fog on (Boolean, -1/0), set every frame from the map's fog mode
  Integer FogR = 0, FogG = 0, FogB = 0;  // fog colour 0..255
  Long FogNear = 0, FogFar = 0;      // fog start and end, world units
};

// The current map; created at start-up and lives for the whole run.
extern CMap* CurMap;
