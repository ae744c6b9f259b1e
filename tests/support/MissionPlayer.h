// A player of the default missions in the real main loop on the generated content, at "easy" in
// a new game's ship with a new game's cash. It plays only through the key bindings and the mouse
// (InputPilot.h): it buys the kit the case names at the stores by their buttons, takes the
// mission where the game offers it — the mission-control board of the node (an era mission) or
// one of the map's police ships, targeted with the target key and talked to twice (the node's map
// mission) — and then plays it by what the screen shows: it lands at the pad serving the linked
// landing, plans a course to the goal node on the world map and warps there, shoots down the
// ships carrying the tags it is told to with its own guns, pulls a downed tagged wreck with the
// tractor, takes all on the plunder screen and sells its hold on a trading screen. It never
// touches the mission interpreter or the ships: it reads what the interface shows (directive,
// linked landing, goal node, result banner) and where things are.
//
// The cases where the mission must fail (passes = false), and a winning case marked `scripted`,
// keep the scripted helpers that make
// sure it does not win: the pilot is kept unhurt, ships named by `keep` cannot sink, and a ship
// it must bring down is brought down by a blow of the test's own.
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
  const char* start = "";         // node where the new game's ship starts ("" the mission's node)
  const char* done = "";          // missions completed before ("courier.pnd,..."), besides "tut.pnd"
  Integer level = 0;              // the record's level with the node's faction
  unsigned kit = 0;               // MissionKit flags: bought at the start node's stores first
  const char* down = "";          // tags of ships the player shoots down (the fight may end it)
  const char* pull = "";          // tag of a downed ship to tractor
  const char* keep = "";          // failing cases: tags of ships nobody can sink
  unsigned setup = 0;             // MissionSetup flags
  bool passes = true;             // ends with "mission complete!" (else "mission failed!")
  Long pay = 0;                   // cash the mission pays on its own (kills, loot and sales not counted)
  Long frameMs = 100;             // failing cases: frame time in milliseconds
  Single atLeast = 0;             // game seconds the mission must run (a clock it waits out)
  Integer eraAfter = -1;          // the world's era after the end, -1 unchecked
  Long screenAfter = 0;           // the screen state at the end, -1 unchecked
  Integer difficulty = 1;         // the record's difficulty (1 "easy")
  bool scripted = false;          // a winning case still played by the failing cases' helpers
};

// What the player buys before it takes the mission, at the stores of the start node.
enum MissionKit : unsigned {
  Guns = 1,      // the best gun the hardware store stocks for every free mount (plasma, else lasers)
  Plating = 2,   // armour plating at the hardware store ("armor x")
  Missiles = 4,  // the missile rack at the weapon store ("trigger happy")
  Goods = 8,     // a hold of the cheapest goods at a trading post
  Rounds = 16,   // five more missiles with the rack
  Armed = Guns | Plating | Missiles | Rounds,
};

enum MissionSetup : unsigned {
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
  Double seconds = 0;                   // game time from the mission's start to its end
  Double totalSeconds = 0;              // game time from the first frame (shopping included)
  std::vector<std::string> directives;  // every directive shown, in order
  std::string problem;                  // why the player could not go on ("" none)
  Integer eraAfter = -1;                // the world's era after the end
  bool recorded = false;                // the record lists the mission as completed
  Long windowAfter = -1;                // the screen state at the end
  Single lowestArmor = -1;              // the pilot's lowest armour from the first frame to the end
  Single lowestShields = -1;            // and its lowest shields
  std::string bought;                   // what the stores sold it, for the report
  Long shots = 0;                       // frames it fired in
};

class MissionPlayTest : public GameRunTest, public ::testing::WithParamInterface<MissionCase> {
 protected:
  // Plays the case from the first frame to the mission's end (or the frame limit).
  MissionRun play(const MissionCase& c);

 private:
  class Pilot;  // the player (MissionPlayer.cpp)
};

// Test names from the labels; a case prints as its file and node.
void PrintTo(const MissionCase& c, std::ostream* os);
std::string missionCaseName(const ::testing::TestParamInfo<MissionCase>& info);
// The common checks of a played case: offered, started, ended with its result, directives shown,
// the pay, the record.
void expectPlayed(const MissionCase& c, const MissionRun& r);
