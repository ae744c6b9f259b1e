// A scripted player for the default missions in the real main loop on the generated content. It
// takes a mission where the game offers it — the mission-control board of the node (an era
// mission) or the map's police, talked to twice (the node's map mission) — and then plays it by
// what the screen shows: it lands at the pad serving the linked landing, plots a course to the
// goal node the world map marks and warps there, brings down the ships carrying the tags it is
// told to, hovers over a downed tagged wreck with the action key held to tractor it, takes all on
// the plunder screen and sells its hold on a trading screen. It never touches the mission
// interpreter: it reads only what the interface shows (directive, linked landing, goal node,
// result banner) and acts through keys, mouse clicks, the ship's position and the ship's own
// damage routine.
#pragma once
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "runtime/Numbers.h"
#include "tests/support/GameRunFixture.h"

// What one mission case does; the tag strings are lists separated by commas. Tables name the
// fields they set (designated initialisers); the others keep these defaults.
struct MissionCase {
  const char* label = "";  // test name
  const char* file = "";   // the mission file as the board or the police name it: "escort.pnd", "map-tut.pnd"
  const char* node = "losgatos";  // path of the world node where it is taken
  const char* done = "";          // missions completed before ("courier.pnd,..."), besides "tut.pnd"
  Integer level = 0;              // the record's level with the node's faction
  const char* down = "";          // tags of ships to bring down with hits from the player
  const char* pull = "";          // tag of a downed ship to tractor
  const char* keep = "";          // tags of ships nobody can sink (hits leave their armour full)
  unsigned setup = 0;             // MissionSetup flags
  bool passes = true;             // ends with "mission complete!" (else "mission failed!")
  Long pay = 0;                   // cash the mission pays on its own (kills, loot and sales not counted)
  Long frameMs = 100;             // frame time in milliseconds
  Single atLeast = 0;             // game seconds the mission must run (a clock it waits out)
  Integer eraAfter = -1;          // the world's era after the end, -1 unchecked
  Long screenAfter = 0;           // the screen state at the end, -1 unchecked
  // Played as a player on "easy" (difficulty 1) would: a new game's ship as the wizard gives it
  // (no guns, full armour and shields) plus what the setup flags buy, taking every blow; a wreck
  // ends the run as a problem. Otherwise the pilot takes no damage and is topped up every frame.
  bool mortal = false;
};

enum MissionSetup : unsigned {
  WithGoods = 1,     // the hold carries goods when the mission is taken (mortal: bought at the node)
  WithMissiles = 2,  // the gunner's rack holds missiles (secondary weapon 0; mortal: the rack bought)
  SellHold = 4,      // lands at a trading post and sells the whole hold
  LeaveArea = 8,     // warps to a neighbouring node once the mission shows its first directive
  Dawdle = 16,       // never lands at the linked landing
};

// What the run saw, for the test's assertions.
struct MissionRun {
  bool offered = false;                 // the board listed the mission / the police offered it
  bool started = false;                 // mission control ran it
  bool ended = false;                   // it stopped within the frame limit
  Single result = 0;                    // the result banner's clock when it stopped (4 complete, 14 failed)
  Long paid = 0;                        // cash won while it ran, less kills, loot and sales
  Long frames = 0;                      // frames from the start to the end
  Double seconds = 0;                   // game time from the start to the end
  std::vector<std::string> directives;  // every directive shown, in order
  std::string problem;                  // why the player could not go on ("" none)
  Integer eraAfter = -1;                // the world's era after the end
  bool recorded = false;                // the record lists the mission as completed
  Long windowAfter = -1;                // the screen state at the end
  Single lowestArmor = -1;              // the pilot's lowest armour from the start to the end
  Single lowestShields = -1;            // and its lowest shields
};

class MissionPlayTest : public GameRunTest, public ::testing::WithParamInterface<MissionCase> {
 protected:
  // Plays the case from the first frame to the mission's end (or the frame limit).
  MissionRun play(const MissionCase& c);

 private:
  class Pilot;  // the scripted player (MissionPlayer.cpp)
};

// Test names from the labels; a case prints as its file and node.
void PrintTo(const MissionCase& c, std::ostream* os);
std::string missionCaseName(const ::testing::TestParamInfo<MissionCase>& info);
// The common checks of a played case: offered, started, ended with its result, directives shown,
// the pay, the record.
void expectPlayed(const MissionCase& c, const MissionRun& r);
