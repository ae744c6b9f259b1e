// CAI: the AI pilot record every ship carries. This far the record's faction facts (Align,
// UnitType), its target and state timer, the seven commands the ship's movement step copies, and
// the hostility table with Init, checkHostile, setHostile and resetHostile. The decision step,
// target choice, faction evaluation and hit reactions come with the AI work.
#pragma once
#include <array>

#include "runtime/Numbers.h"

class CAI {
 public:
  Long Job = 0;             // behaviour state; 1 wander after Init
  Single JobFrame = 0;      // seconds left in the state
  Integer JobTarget = -1;   // target ship index, -1 none
  Integer ID = 0;           // index of the pilot's ship in Ships
  bool keyThrust = false;
  bool keyBrake = false;
  Single Steering = 0;      // turn command
  Single Elever = 0;        // climb command
  bool keyPrimary = false;
  bool keySecondary = false;
  bool keyWarp = false;
  Long Align = 0;           // AlignType
  Long UnitType = 0;
  Double FinalUnstuck = 0;  // seconds the ship has pressed against a structure
  Single GoalLever = 0;     // goal height of the climb correction
  bool isGoalLever = false;

  // Attaches the pilot to ship i: wander state, no target, the hostility table cleared, and no
  // pilot of the ships array (up to its first empty slot) hostile to ship i.
  void Init(Integer i);
  // Hostility toward ship i; ships outside the table (0..31) are never hostile.
  bool checkHostile(Integer i) const;
  // Sets the mark for ship i, except for the pilot's own ship; ships outside 0..31 are ignored.
  void setHostile(Integer i, bool v);
  // Clears every mark; the next hostility evaluation comes after t seconds.
  void resetHostile(Single t);
  // The per-frame decision step and the reaction to a hit; in their least form they leave the
  // commands and the state as they are.
  void Move() {}
  void Hit() {}

  static constexpr int HostileSlots = 32;

 private:
  std::array<bool, HostileSlots> hostile{};
  Single leaveTime = 0;     // seconds towards leaving the map
  Single evalTime = 0;      // timer of the hostility evaluation
  bool outOfAmmo = false;
  bool bigBody = false;     // the ship is a Capital or Fleshy design
};
