// CMissionControl: the mission manager (one instance, MissionControl). This far only the unlock
// list of eras and checkCurrentEra; reading the unlock list and the missions, the node-mission
// list, loading, starting and stepping missions come with the mission work.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

// One entry of the unlock list: era `era` is reached once mission `mission` (a file name
// without ".pnd") is completed.
struct EraUnlock {
  Integer era = 0;
  std::string mission;
};

class CMissionControl {
 public:
  // The highest era of the unlock list whose mission the player record Player completed (the
  // completed name is the mission + ".pnd"); 0 when none, or without a player record.
  Integer checkCurrentEra() const;

  std::vector<EraUnlock> EraUnlocks;  // filled from "\data\unlocks.pnd" by the mission work
};

extern std::shared_ptr<CMissionControl> MissionControl;
