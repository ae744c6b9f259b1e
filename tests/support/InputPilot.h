// A test pilot that plays the game only through what a player has: the key bindings of the
// player record and the mouse (relative motion and buttons), posted to the main window's event
// queue as a player's hands would. It reads whatever game state it needs to choose its next input
// (where a ship or pad is, what the action panel offers, which screen is up, where the pointer
// stands) and never writes any.
//
// Each method is one step of a task, called once per frame from a frame hook (after the frame):
// it posts this frame's input and tells whether the task is done. Calling a different task's
// step simply starts that task; `frame()` must run first in every hook. An input posted in a hook
// reaches the game's update two frames later (it is delivered in the next frame's yield, after
// that frame's update), so every step allows for the lag.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

class CShip;

// Key actions of the options' "input" page (the index of a binding in the player record).
namespace pilot_keys {
constexpr Integer Thrust = 0, Brake = 1, TrickLeft = 2, TrickRight = 3, PrevTarget = 4, NextTarget = 5,
                  PrevWeapon = 6, NextWeapon = 7, Action = 8, WarpMap = 9, Attack = 10, Secondary = 11,
                  Status = 16, Talk = 17;
}

// CInterface.iAction values: what the action key does now.
namespace pilot_offer {
constexpr Long None = 0, Hyperspace = 1, Land = 2, Tractor = 3;
}

class InputPilot {
 public:
  // What the pilot counts while it plays, for a test's report.
  struct Log {
    Long shots = 0;           // frames the attack key or the secondary key was held in flight
    Long landings = 0;        // pads the pilot set down on (a screen or the wait opened)
    Long clicks = 0;          // button releases posted
    Long targetPresses = 0;   // presses of the target keys
    Long steerFrames = 0;     // frames in which the mouse steered
  };

  // ---- per frame -----------------------------------------------------------------------------

  // Call first in every frame hook: notes the frame.
  void frame();
  Long frames() const { return frameCount; }
  const Log& log() const { return counts; }
  std::string describe() const;  // what the pilot sees and holds, for a failure's message

  // ---- keys and buttons ----------------------------------------------------------------------

  // Holds or releases the key bound to the action; each change goes to the queue once.
  void hold(Integer action, bool down);
  bool held(Integer action) const;
  // A press of the key: down now, up in the same yield (the game keeps the press for a frame).
  void tap(Integer action);
  // Releases every key and button the pilot holds.
  void releaseAll();
  // The left mouse button in flight (it fires the mounts like the attack key).
  void holdButton(bool down);

  // ---- the pointer of the screens --------------------------------------------------------------

  // Moves the screens' pointer toward the screen point by relative motion; true once it stands
  // within a pixel of it. Only while the interface holds the mouse.
  bool pointAt(Single x, Single y);
  // A click at the screen point: the pointer moved there, the left button pressed and, after
  // `holdFrames` frames, released. True on the frame the release is posted.
  bool click(Single x, Single y, int holdFrames = 1);
  void cancelClick();  // forgets a click under way (a screen changed under it)

  // ---- flying ----------------------------------------------------------------------------------

  // Steers and throttles toward the ground point at height e, keeping the speed near `speed`;
  // goes round the structures on the way.
  void flyTo(Single x, Single y, Single e, Single speed);
  // Brakes to a stop.
  void stop();
  // Lands on the map's structure slot `pad`: flies over it, slows down and holds the action key
  // from the frame the action panel says "land". True once a screen (the pad's store, or the
  // mission's wait) took over or the landing ended with nothing to open.
  bool landOn(Integer pad);
  // Leaves the pad it stands on: flies toward a point clear of pads and structures. True once
  // no pad lies under the ship.
  bool takeOff();
  // Pulls the wreck `ship` with the tractor: flies beside it, matches its drift and holds the
  // action key while the panel offers the tractor. True once the plunder screen (or the
  // mission's wait) opened.
  bool pull(Integer ship);

  // ---- travel ----------------------------------------------------------------------------------

  // Plans a route to the world node `goal` on the world-map screen: opens it with the warp-map
  // key, clicks the nodes of the shortest open route from the current node, one after the other,
  // as far as the map shows them, and closes it. True once that route is planned and the map is
  // closed; where it ends short of goal, a call on arrival there plans on.
  bool planRoute(Integer goal);
  // Flies off the pads and holds the action key while the panel says "hyperspace", until the
  // warp can no longer be called back. True once the ship is warping out or has arrived.
  bool hyperspace();

  // ---- fighting --------------------------------------------------------------------------------

  // Presses the target keys until the ship's target is `ship`. True once it is.
  bool target(Integer ship);
  // Chases `ship` (targeted first), aims at the point the shots meet it and fires the mounts and,
  // where it holds one with rounds, the gunner's weapon. Returns false once the ship is down
  // (armour below 0), gone or warping.
  bool attack(Integer ship);
  static bool down(const CShip& s);  // disabled or dying

  // ---- stores ----------------------------------------------------------------------------------

  // At the hardware store: buys the part with PartId `part` for every free mount (a mount weapon)
  // or once (any other part) while the cash lasts; then "done!". True once the store has closed.
  bool buyParts(const std::vector<Integer>& parts);
  // The open hardware store stocks the part with PartId `part`.
  static bool inStock(Integer part);
  // At the weapon store: buys each stock id (0..9 a weapon, 10.. five rounds of weapon id - 10),
  // `count` times each in order, while the cash lasts; then "done!". True once the store closed.
  bool buyWeapons(const std::vector<std::pair<Integer, int>>& buys);
  // On a trading screen (Pleasant Trading, a mart): buys a hold of the kind in the buy list's
  // first row (a left click buys ten), or sells every row of the hold (a left click sells a row
  // whole); then "done!". True once the screen has closed.
  bool trade(bool buy);
  // On the plunder screen: "take all", then "done!". True once the screen has closed.
  bool plunder();
  // Leaves any store or list screen by its "done!" button. True once flight is back.
  bool leaveScreen();
  // Answers a yes/no or ok/cancel box: ok (yes) or cancel (no). True on the frame it clicked.
  bool answer(bool ok);

  // ---- talking ---------------------------------------------------------------------------------

  // Targets `ship` and presses the talk key `presses` times, each once the last one's box shows.
  // True once all presses went out.
  bool talkTo(Integer ship, int presses);

 private:
  struct Hand {  // the mouse's state: a click under way
    enum class Step { Idle, Moving, Pressed } step = Step::Idle;
    Single x = 0, y = 0;
    int wait = 0;       // frames since the last motion, or since the press
    int holdFrames = 1;
  };

  void steer(Single dx, Single dy);
  // The ground point to fly to on the way to (x, y) at height e: the point itself, or a corner of
  // the first structure in the way.
  void wayPoint(Single& x, Single& y, Single e) const;
  static Single turnTo(const CShip& s, Single x, Single y);  // -pi..pi, positive to the right
  void keepSpeed(Single wanted);
  void cruise();  // on along the heading at flight height
  // One frame of a store visit: selects each cell of the list in turn and presses "buy", then
  // "done!"; true once the screen has closed.
  bool storeRun(Long screen, const std::vector<Integer>& cells);

  std::map<Integer, bool> keys;
  std::map<Integer, double> released;  // game seconds (clock) of each key's last release
  double clock = 0;                    // game seconds since the pilot's first frame
  bool buttonDown = false;
  Hand hand;
  Long frameCount = 0;
  Log counts;
  // Task state.
  Integer landPad = -1;
  Long landStart = 0;
  bool landHolding = false;
  Integer pullShip = -1;
  // The shortest open way from the current node to goal over the nodes the map shows, or, with
  // goal beyond them, the shown start of the shortest way over all nodes; empty for none.
  std::vector<Integer> wayTo(Integer goal) const;
  std::vector<Integer> route;  // the route being planned on the world map
  Long mapFrames = 0;
  Long storeFrames = 0;  // frames the store has been open, 0 before
  std::vector<Integer> storeCells;
  size_t storeStep = 0;
  int storePhase = 0, storeWait = 0;
  Long cashBefore = 0;
  int buysDone = 0;
  int talkPresses = 0;
  Integer talkShip = -1;
  Long talkFrame = 0;
  bool tookAll = false;
};
