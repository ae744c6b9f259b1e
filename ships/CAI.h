// CAI: the AI pilot record every ship carries (CShip.Init attaches one; CShip.setAI gives a ship
// a fresh one and lets it drive). The pilot keeps the ship's faction facts (Align, UnitType), a
// table of the ships it is hostile to, a target, a goal point, a behaviour state (Job) with its
// timer, and the seven commands the ship's movement step copies into the ship each frame.
//
//   CAI.cpp       the record, the hostility table and its faction rules (EvalHostiles), target
//                 choice (findTarget), the reactions to a hit and the stuck test
//   CAISteer.cpp  the steering values: goal nearness, flyTo with its structure probe and detour,
//                 the climb value, the look-ahead probes and the fire control
//   CAIMove.cpp   the per-frame decision step Move and its state actions
//
// Ships are named by their index in Ships; the table holds indexes 0..31 and a ship of a higher
// index (the array grows with fleet launches) is never hostile, never a candidate and never
// marked. Ground axes x and y, height e; ahead for a heading H is (cos(H - 1.57), -sin(H - 1.57)).
// Every random draw uses the game's Rnd. Nothing here allocates after the record is made.
#pragma once
#include <array>

#include "runtime/Numbers.h"

class CShip;

// Behaviour states (Job).
enum AIState : Long {
  aiIdle = 0,       // no steering of its own; set from outside (CShip.AITalkOverride)
  aiWander = 1,     // cruise to a random goal point
  aiAttack = 3,     // close in on JobTarget and fire
  aiPass = 4,       // fly on past the target to a drifting point, then attack again
  aiLeave = 5,      // press the action command to leave the map
  aiGoLand = 6,     // fly to a landing pad and settle on it
  aiLanded = 7,     // stand on the pad
  aiUnstuck = 8,    // fly to a point behind the ship
  aiBreakAway = 9,  // evasive turn to a drifting point, then attack again
  aiMeet = 10,      // fly to the meeting partner (CShip.Meeter) and stop there
  aiEscort = 11,    // follow the player's ship and shoot at the player's enemies
  aiWaitLeave = 12  // wait, then leave
};

class CAI {
 public:
  Long Job = 0;             // behaviour state (AIState); 1 after Init
  Single JobFrame = 0;      // seconds left in the state; below 0 the decision step chooses anew
  Integer JobTarget = -1;   // target ship index, -1 none
  Integer ID = 0;           // index of the pilot's ship in Ships
  bool keyLeft = false;     // cleared every frame; nothing reads them
  bool keyRight = false;
  bool keyThrust = false;
  bool keyBrake = false;
  Single Steering = 0;      // turn command, -10..10
  Single Elever = 0;        // climb command
  Single SteeringGoal = 0;  // value Steering is moved toward
  Single EleverGoal = 0;    // value Elever is moved toward
  bool keyPrimary = false;
  bool keySecondary = false;
  bool keyWarp = false;     // action command: leave the map by hyperspace
  Long Align = 0;           // AlignType
  Long UnitType = 0;        // keys the faction rules; the player's ship stays 0
  Double FinalUnstuck = 0;  // seconds the ship has pressed against a structure (the ship counts it)
  Single GoalLever = 0;     // goal height of the climb correction
  bool isGoalLever = false;

  static constexpr int HostileSlots = 32;  // hostility table: ship indexes 0..31
  static constexpr int HistorySlots = 9;   // positions kept for the stuck test
  static constexpr Single HistoryPace = 0.5f;  // seconds between two position samples

  // Attaches the pilot to ship i: wander state, no target, leave timer 10 - 20 r, the hostility
  // table cleared, and no pilot of the ships array (up to its first empty slot) hostile to ship i.
  void Init(Integer i);
  // Hostility toward ship i; ships outside the table (0..31) are never hostile.
  bool checkHostile(Integer i) const;
  // Sets the mark for ship i, except for the pilot's own ship; ships outside 0..31 are ignored.
  void setHostile(Integer i, bool v);
  // Clears every mark; the next hostility evaluation comes after t seconds (-0.5 at once).
  void resetHostile(Single t);
  // The ship has been on the map for no time towards leaving (CShip.AITalkOverride).
  void resetTimeToLeave() { leaveTime = 0; }

  // Applies the faction rules against every existing, non-warping ship of index 0..31 and returns
  // the last ship marked as a new target candidate, -1 none. Called by Move about every 0.5 s.
  Integer EvalHostiles();
  // JobTarget := a random ship of the table that is hostile and exists (the mother ship skipped
  // with probability 0.6); -1 when none. Hostility is made mutual on the way.
  void findTarget();
  // The pilot's reaction to a damaging hit on its ship; called by CShip.Hit after it has set
  // JobTarget to the attacker. Reads the player record's difficulty when there is one.
  void Hit();
  // Records the ship's position (newest first) and starts the unstuck state when the ship holds
  // thrust but has not moved on the ground over the last five samples. Move calls it once every
  // HistoryPace seconds; a pilot is never judged stuck before six real samples.
  void setUnstuckHistory();
  // The per-frame decision step, called by CShip.Move for an AI-driven ship before it copies
  // keyThrust, keyBrake, Steering, Elever, keyPrimary, keySecondary and keyWarp.
  void Move();

 private:
  friend struct CAIProbe;  // tests read and set the private state

  // Ships(i) when i is an index of Ships holding a ship object, else nullptr (no existence test).
  static CShip* shipAt(Integer i);
  // The pilot's own ship (Ships(ID)), nullptr when the slot is gone.
  CShip* own() const { return shipAt(ID); }
  // Ships(i) when it exists and is not the pilot's own ship, else nullptr: the check every use of
  // JobTarget, prevTarget and Meeter goes through.
  CShip* liveOther(Integer i) const;

  // ---- steering (CAISteer.cpp) ----
  // True when the ship lies strictly inside the square of half side d around the goal (ground).
  bool isNearGoal(Single d) const;
  // Turn value toward the ground point (px, py); probes for structures on the way (at most 149
  // sphere tests, skipped for 3 to 7 calls after a clear probe) and, blocked, steers for the
  // structure's corner with five times the value.
  Single flyTo(Single px, Single py);
  // Climb value toward the goal height.
  Single turnToward() const;
  // True when the point Speed + 500 units ahead at the ship's height lies in a structure box.
  bool probeAhead() const;
  // Look-ahead against the structure boxes from lookAhead units ahead: turn (from the ground
  // faces crossed) and pitch (from a top or bottom face), each -1, 0 or 1.
  struct Avoid {
    Single turn = 0;
    Single pitch = 0;
  };
  Avoid PredictCollision(Single lookAhead) const;
  // Fire commands against ship t (-1 none); leaves the goal point as it found it.
  void doFireControl(Integer t);

  // ---- decision step helpers (CAIMove.cpp) ----
  void randomGoal();          // a random goal point in the 5000 square; JobTarget -1
  void evasive();             // a roll or a flip while the ship's armour holds
  void startAttack();         // Job 3 for 20 s, leave timer 0
  void newChoice();           // step 11: the choice when the state time runs out
  void stateAction();         // step 17
  void attackAction();
  void driftAction(Single turnGain, Single climbGain);  // pass and break away
  void reattackTail();
  void approach();            // states 6 and 10 while farther than 100
  void escortAction();
  void shapeCommands();       // steps 20 and 21
  bool taggedByMission() const;  // the ship carries a tag while a mission is read
  // A ship the mission's clear-out could not send away (tagged "stuck" while SceneEvent is 4)
  // leaves the player's ship and its carrier alone: no hostility either way, no target.
  bool sparesPlayer() const;
  void forgetPlayer();

  // Goal point: ground x, height, ground y.
  Single goalX = 0, goalE = 0, goalY = 0;
  Single driftX = 0, driftE = 0, driftY = 0;  // goal drift in the pass and break-away states, units/s
  Single engageTime = 0;      // seconds of engagement left after a target was found
  Integer prevTarget = 0;     // target remembered while the pilot passes and turns
  bool outOfAmmo = false;     // no secondary weapon with ammunition is left
  std::array<bool, HostileSlots> hostile{};
  Single coastTime = 0;       // seconds during which thrust is withheld
  Single secondaryWait = 0;   // seconds before the next secondary shot
  Single leaveTime = 0;       // seconds towards leaving; above 20 a wandering ship leaves
  Single evalTime = 0;        // timer of the hostility evaluation
  struct Sample {
    Single x = 0, e = 0, y = 0;
  };
  std::array<Sample, HistorySlots> posHistory{};  // newest first
  Single aimTime = 0;         // seconds since the last primary shot
  Single clearShotWait = 0;   // seconds until the line of sight is tested again
  bool clearShot = false;     // result of the last line-of-sight test
  bool bigBody = false;       // the ship is a Capital or Fleshy design
  Double escortTime = 0;      // cycle clock of an escorting ship, 0..5 s
  Integer avoidWait = 0;      // flyTo calls to skip before the next structure probe
  Single historyClock = 0;    // seconds since the last position sample
  Integer historySamples = 0;  // real samples in posHistory, up to HistorySlots
};
