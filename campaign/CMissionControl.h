// CMissionControl: the mission manager (one instance, MissionControl). This far the unlock list
// of eras with checkCurrentEra, and the least form of what the map, the ships and the frame read
// and call of a running mission: whether one runs (Reading) and locks the area, the landing its
// phase waits for, tags, failure and the jump to the goal. Reading the unlock list and the
// missions, the node-mission list, loading, starting and stepping missions come with the mission
// work.
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

  bool Reading = false;     // a mission is running
  bool LockedArea = false;  // the running mission locks the area (leaving it fails the mission)
  Long LinkedLanding = -1;  // StructType the current phase waits for a landing at, -1 none

  // One step of the current phase (once per frame while Reading); nothing in the least form.
  void doRead() {}
  // Shortens a running wait of the current phase to 0.1 s; the least form has no waits.
  void zeroWaiting() {}
  // Raises the flag named tag in the current phase (kept in RaisedTags until the phase reads it).
  void setTag(const std::string& tag) { RaisedTags.push_back(tag); }
  std::vector<std::string> RaisedTags;
  // Ends the running mission as failed: nothing runs or locks the area afterwards.
  void MissionFail();
  // The StructType the current phase waits for, -1 none.
  Long getLinkedLanding() const { return LinkedLanding; }
  // The phase jumps to its goal: it no longer waits for a landing.
  void forceGotoGoal() { LinkedLanding = -1; }

  // What the talk action uses of a mission (least form until the mission work): the node-mission
  // entry that runs, loading ("\missions\era" + era + "\" + file) and starting a mission, the
  // directive's seconds left (0: none shown) and the running phase's wait.
  Integer curMission = 0;
  std::string LoadedFile;  // the file of the last LoadMission
  void LoadMission(const std::string& file, Integer /*node*/, const std::string& /*landing*/) { LoadedFile = file; }
  void StartMission() { Reading = true; }
  Single getDirectiveFrame() const { return 0; }
  Single getCurrentWait() const { return currentWait; }
  void setCurrentWait(Single w) { currentWait = w; }
  Single currentWait = 0;
};

extern std::shared_ptr<CMissionControl> MissionControl;
