// CMissionControl: the mission manager (one instance, MissionControl). It reads the unlock list
// of eras ("\data\unlocks.pnd") and the "#def" headers of the current era's missions (the
// visible "*.pnd" files of "\missions\era" + era, sorted by name), builds the board of missions
// offered at the player's node, loads one mission's eight phases with its placeholders filled,
// starts it, steps it once per frame (doRead, while Reading) with phase switches that carry the
// time limit, and records completions and failures in the player record.
//
// Header keys of a mission file ("#def key value"): align, owner, level, recyclable, name,
// desc, prohibit, nolevup, israndom. A missing or damaged unlock list is told to the player once
// (engine/PlayerNotices; the pairs before the damage stay); a missing era folder or mission file
// is reported to the message log and read as empty; the game goes on.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "campaign/CMissionPhase.h"
#include "runtime/Numbers.h"

// One entry of the unlock list: era `era` is reached once mission `mission` (a file name
// without ".pnd") is completed.
struct EraUnlock {
  Integer era = 0;
  std::string mission;
};

// The header of one mission file of the current era.
struct MissionDef {
  std::string file;       // file name inside the era folder
  Long align = 0;         // AlignType; 10 = any alignment
  Integer level = 0;      // faction level the player needs
  bool recyclable = false;
  std::string name, desc;
  std::string owner;      // giver's portrait, "" = chosen by alignment
  std::string prohibit;   // node path where the mission is not offered
  bool nolevup = false;   // completing it leaves the faction level
  Integer random = -2;    // destination node; -2 none asked, -1 none found
  std::string landing;    // landing word at the destination
};

// One entry of the node's board: def -1 = no mission.
struct NodeMission {
  Integer def = -1;
  std::string portrait;
};

class CMissionControl {
 public:
  static constexpr Integer PhaseCount = 8;
  static constexpr Long AnyAlign = 10;
  static constexpr const char* TutorialFile = "tut.pnd";  // the tutorial's mission file

  bool Reading = false;              // a mission is running (doRead is called each frame)
  Single MissionCompleteFrame = 0;   // result banner clock: 4 after a completion, 14 after a failure
  bool LockedArea = false;           // the running mission keeps the player in the area
  Integer curMission = 0;            // board entry the running mission came from

  // Reads the unlock list and the headers of the current era's missions.
  void GetMissionDefs();
  // The highest era of the unlock list whose mission the player completed (0 when none);
  // also has the world map re-check its map-mission completions and counts the completed
  // missions of the record (the tutorial's not counted) into CWorld::MissionsCompleted.
  Integer checkCurrentEra();
  // Builds the board of the current node (nothing while a mission runs) and loads the portraits
  // of entries 0..2 into ZomPortraitTex.
  void SetNodeMissions();
  bool IsNodeMission(Integer k) const;
  std::string getMissionName(Integer k) const;
  std::string getMissionDesc(Integer k) const;
  std::string getMissionPath(Integer k) const;
  Integer getMissionRandom(Integer k) const;
  std::string getMissionLanding(Integer k) const;

  // Loads "\missions\era" + era + "\" + file into the phases. node >= 0 fills %dt, %dp, %ln and
  // %ld from that node and landing; node -3 (a map mission) fills %pn with landing.
  void LoadMission(const std::string& file, Integer node, const std::string& landing);
  void StartMission();
  void AbortMission() { Reading = false; }
  // The player's game ends (back to the main menu, a new game, a load): the mission ends with it
  // and nothing of it runs or shows in the next game: no phase, time limit, lock, goal marker or
  // result banner. Nothing is recorded or paid. Callers: newGame, CPlayer.Load.
  void EndWithGame();
  // The player's ship is lost (its death throes began): a running mission ends failed. A mission
  // its own script already ended keeps its result. Called by doGame each frame the ship is lost.
  void PlayerShipLost();
  // One frame of the running phase, then a phase switch or the end of the mission.
  void doRead();
  // Completion: the result banner, the faction level (unless nolevup) and the record of the
  // loaded mission's file; the board is rebuilt and the headers re-read.
  void MissionComplete();
  void MissionFail();

  // The running phase's state; neutral values while no phase runs.
  Single getCurrentWait() const;
  void setCurrentWait(Single t);
  void zeroWaiting();  // a wait above 0.1 s becomes 0.1 s
  void setTag(const std::string& name);
  std::string getTimeLimit() const;
  Long getLinkedLanding() const;
  void forceGotoGoal();
  std::string getDirective() const;
  Single getDirectiveFrame() const;
  // The directive stops showing (its timer 0; its text stays). Called by the interface when the
  // script opens a talk box.
  void endDirective();

  // Logs the runaway-script message once per loaded mission.
  void noteRunawayScript();

  // For the tests and the screens: the lists as read, the running phase (nullptr none), the
  // name recorded when the loaded mission completes.
  const std::vector<EraUnlock>& getEraUnlocks() const { return EraUnlocks; }
  const std::vector<MissionDef>& getMissionDefs() const { return MissionDefs; }
  const std::vector<NodeMission>& getNodeMissions() const { return NodeMissions; }
  CMissionPhase& getPhase(Integer k);
  CMissionPhase* getRunningPhase();
  const CMissionPhase* getRunningPhase() const;
  Integer getCurPhase() const { return CurPhase; }
  const std::string& getLoadedName() const { return LoadedName; }

  std::vector<EraUnlock> EraUnlocks;  // read by GetMissionDefs; tests may set it

 private:
  void readUnlocks();
  void readHeader(MissionDef& def);
  void applyHeaderLine(MissionDef& def, const std::string& line, bool& randomSeen);
  const MissionDef* defOf(Integer k) const;
  const MissionDef* loadedDef() const;

  std::array<CMissionPhase, PhaseCount> Phases;
  Integer CurPhase = -1;
  std::vector<MissionDef> MissionDefs;
  std::vector<NodeMission> NodeMissions{NodeMission{}};
  bool MapMission = false;
  std::string LoadedName;   // base name of the loaded file ("tut.pnd", "map-losgatos.pnd")
  bool LoopReported = false;
};

extern std::shared_ptr<CMissionControl> MissionControl;
