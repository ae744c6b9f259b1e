// DockMod: docking and fleet ships. A player who owns a carrier flies one of its fleet ships
// (SubPlayers) while the carrier stays in the level as an AI ship of the player's side (the
// mother ship, MotherShip), and docks back into it; both switches run inside one frame, called
// from the interface's ship-change fades. The records involved are Player (the ship flown),
// MotherPlayer (the carrier's record while a fleet ship is flown), SubPlayers and SubIndex.
//
// Each procedure checks everything it needs before it changes anything: a switch that cannot
// be made (a missing ship, an empty bay or a bay whose design does not exist, no mother ship)
// is reported ("Error in SpawnSubPlayer: ..." through the message log) and leaves the player in
// the ship and records it had; so does a failure part-way, which restores them. A switch
// replaces the Ships(p) object, so callers re-read Ships(p) afterwards instead of holding it.
#pragma once
#include "runtime/Numbers.h"

// Ship b's pilot takes ship a's hostility, the ships hostile to a become hostile to b, and b
// becomes hostile to every ship that is now hostile to it. Covers the hostility tables' ship
// indexes 0..31; empty and absent slots are skipped. Traps its errors ("Error in CloneHostile: ").
void CloneHostile(Integer a, Integer b);

// Launch: the player in Ships(p) (a carrier) switches into the fleet ship of SubPlayers(choice);
// the carrier stays in the first free slot of Ships (the array grows by one, logging "ship bounds
// exceeded!", when none is free) as an AI ship of unit type 21 with the player's enemies and its
// missing fuel in FuelSpace; with makeMother it becomes MotherShip. SubIndex = subIndex. Traps
// its errors ("Error in SpawnSubPlayer: ").
void SpawnSubPlayer(Integer p, Integer choice, bool makeMother, Integer subIndex);

// Dock: the fleet ship in Ships(p) goes back into SubPlayers(SubIndex), the mother ship Ships(m)
// leaves the level and the player flies the carrier again at its place, with its shields and
// armour; MotherShip -1, SubIndex 0. Flying a Capital or Fleshy ship changes nothing. When the
// action key (keyWarp) was held the interface launches the next fleet ship (SpawnCycle). Traps
// its errors ("Error in dockPlayer: ").
void dockPlayer(Integer p, Integer m);
