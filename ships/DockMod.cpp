// Docking and fleet ships: CloneHostile, SpawnSubPlayer, dockPlayer (see DockMod.h).
#include "ships/DockMod.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CAI.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

namespace {
constexpr Long UnitMyMother = 21;  // the carrier left behind escorts the player

// The ship of Ships(i) taking part in the level; a clear error otherwise.
CShip& presentShip(Integer i, const char* what) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size() || !Ships[static_cast<size_t>(i)] ||
      !Ships[static_cast<size_t>(i)]->Exists)
    vbRaise(vberr::InvalidCall, std::string(what) + " (ship " + std::to_string(i) + ") is not in the level");
  return *Ships[static_cast<size_t>(i)];
}

// The design of index t; a clear error when there is none.
const CShipDef& designOf(Integer t, const char* whose) {
  if (t < 0 || static_cast<size_t>(t) >= ShipDefs.size() || !ShipDefs[static_cast<size_t>(t)])
    vbRaise(vberr::InvalidCall, std::string(whose) + " names no ship design (" + std::to_string(t) + ")");
  return *ShipDefs[static_cast<size_t>(t)];
}

CPlayer& fleetRecord(Integer bay) {
  if (bay < 0 || bay >= static_cast<Integer>(SubPlayers.size()) || !SubPlayers[static_cast<size_t>(bay)])
    vbRaise(vberr::InvalidCall, "fleet bay " + std::to_string(bay) + " does not exist");
  return *SubPlayers[static_cast<size_t>(bay)];
}

// What a switch changes, kept so that a failure part-way puts everything back.
struct SwitchState {
  CPlayer player;
  std::shared_ptr<CPlayer> mother;
  std::array<std::shared_ptr<CPlayer>, 4> subs;
  std::vector<std::shared_ptr<CShip>> ships;
  Integer motherShip, subIndex;

  SwitchState()
      : player(*Player), mother(MotherPlayer), subs(SubPlayers), ships(Ships), motherShip(MotherShip),
        subIndex(SubIndex) {}
  void restore() const {
    *Player = player;
    MotherPlayer = mother;
    SubPlayers = subs;
    Ships = ships;
    MotherShip = motherShip;
    SubIndex = subIndex;
  }
};

// Runs a switch; on any failure the saved state comes back and the error goes on to the trap.
template <class F>
void atomically(F&& body) {
  const SwitchState saved;
  try {
    body();
  } catch (...) {
    saved.restore();
    throw;
  }
}

void closeChoiceList() {
  if (GameInterface) GameInterface->SecondarySwitchFrame = 0;
}
}  // namespace

void CloneHostile(Integer a, Integer b) {
  vbTrap("CloneHostile", [&] {
    vbCheckIndex(a, 0, static_cast<long long>(Ships.size()) - 1);
    vbCheckIndex(b, 0, static_cast<long long>(Ships.size()) - 1);
    // Held by locals: checkAIHostile may attach a pilot, nothing here replaces a slot.
    const std::shared_ptr<CShip> from = Ships[static_cast<size_t>(a)], to = Ships[static_cast<size_t>(b)];
    if (!from || !to) vbRaise(vberr::ObjectMissing);
    const Integer last = static_cast<Integer>(std::min<size_t>(CAI::HostileSlots, Ships.size()) - 1);
    // 1.
    for (Integer i = 0; i < CAI::HostileSlots; ++i) to->setAIHostile(i, from->checkAIHostile(i));
    // 2.
    for (Integer i = 0; i <= last; ++i) {
      CShip* s = Ships[static_cast<size_t>(i)].get();
      if (s && s->Exists) s->setAIHostile(b, s->checkAIHostile(a));
    }
    // 3.
    for (Integer i = 0; i <= last; ++i) {
      CShip* s = Ships[static_cast<size_t>(i)].get();
      if (s && s->Exists) to->setAIHostile(i, s->checkAIHostile(b));
    }
  });
}

void SpawnSubPlayer(Integer p, Integer choice, bool makeMother, Integer subIndex) {
  vbTrap("SpawnSubPlayer", [&] {
    // Everything the switch needs, before anything changes.
    if (!Player) vbRaise(vberr::ObjectMissing, "there is no player record");
    const CShip& carrier = presentShip(p, "the player's ship");
    const CShipDef& carrierDesign = designOf(Player->ShipType, "the player's record");
    const CPlayer& sub = fleetRecord(choice);
    if (sub.ShipType == -1) vbRaise(vberr::InvalidCall, "fleet bay " + std::to_string(choice) + " is empty");
    designOf(sub.ShipType, "the fleet ship's record");
    if (subIndex < 0 || subIndex >= static_cast<Integer>(SubPlayers.size()))
      vbRaise(vberr::InvalidCall, "fleet bay " + std::to_string(subIndex) + " does not exist");

    atomically([&] {
      // 1., 2.
      closeChoiceList();
      const Integer fuelGap = CInt(static_cast<double>(carrier.getMaxFuel()) - carrier.Fuel);
      // 3.
      Player->updateFromShip(p);
      // 4., 5.
      size_t k = 0;
      while (k < Ships.size() && Ships[k] && Ships[k]->Exists) ++k;
      if (k == Ships.size()) {
        Ships.push_back(nullptr);
        addMessage("ship bounds exceeded!", false);
      }
      const auto mother = std::make_shared<CShip>();
      Ships[k] = mother;
      const Integer m = static_cast<Integer>(k);
      // 6.
      auto motherRecord = std::make_shared<CPlayer>(*Player);
      motherRecord->SubVersion = false;
      motherRecord->MotherVersion = true;
      MotherPlayer = motherRecord;
      // 7.
      const Single h = carrier.r;
      const Single x = carrier.x, y = carrier.y, e = carrier.e;
      mother->Clone(m, p, carrierDesign);
      mother->setAI();
      mother->setAIType(UnitMyMother);
      mother->makePrimaryInterval();
      mother->r = h;
      // 8., 9.
      CloneHostile(p, m);
      mother->FuelSpace = fuelGap;
      // 10.
      Player->ClonePlayer(*SubPlayers[static_cast<size_t>(choice)]);
      Player->getUniversalData(*MotherPlayer);
      // 11. Ship p is rebuilt in place, so what a rebuild leaves (the held controls) carries
      // over. A trial build on a spare object comes first: a record that cannot be built fails
      // there, with the carrier still whole for the put-back.
      const std::shared_ptr<CShip> flown = Ships[static_cast<size_t>(p)];
      Ships[static_cast<size_t>(p)] = std::make_shared<CShip>();
      Player->MakeShipFromPlayer(p, x, y, e);
      Ships[static_cast<size_t>(p)] = flown;
      Player->MakeShipFromPlayer(p, x, y, e);
      flown->r = h;
      // 12.
      if (makeMother) MotherShip = m;
      SubIndex = subIndex;
      // 13.
      CloneHostile(m, p);
      // 14.
      flown->Armor = std::min<Single>(flown->Armor, flown->getMaxArmor());
      flown->Shields = std::min<Single>(flown->Shields, flown->getMaxShields());
    });
  });
}

void dockPlayer(Integer p, Integer m) {
  vbTrap("dockPlayer", [&] {
    // 1., 2.
    closeChoiceList();
    if (!Player) vbRaise(vberr::ObjectMissing, "there is no player record");
    const CShip& flying = presentShip(p, "the player's ship");
    const Long body = flying.getShipBody();
    if (body == sbCapital || body == sbFleshy) return;
    // Everything the switch needs, before anything changes.
    const CShip& mother = presentShip(m, "the mother ship");
    if (m == p) vbRaise(vberr::InvalidCall, "the mother ship is the player's own ship");
    if (!MotherPlayer) vbRaise(vberr::InvalidCall, "there is no carrier record");
    designOf(MotherPlayer->ShipType, "the carrier's record");
    fleetRecord(SubIndex);

    bool actionHeld = false;
    // Held past the switch: the ships that leave the level end their engine loops after it.
    const std::shared_ptr<CShip> flown = Ships[static_cast<size_t>(p)], carried = Ships[static_cast<size_t>(m)];
    atomically([&] {
      // 3.
      actionHeld = flying.keyWarp;
      const Single motherShields = mother.Shields, motherArmor = mother.Armor;
      // 4.
      CloneHostile(p, m);
      Player->updateFromShip(p);
      // 5.
      auto docked = std::make_shared<CPlayer>(*Player);
      docked->MotherVersion = false;
      docked->SubVersion = true;
      SubPlayers[static_cast<size_t>(SubIndex)] = docked;
      // 6.
      const Single h = mother.r;
      Player->ClonePlayer(*MotherPlayer);
      Player->getUniversalData(*docked);
      // 7.
      const auto carrier = std::make_shared<CShip>();
      Ships[static_cast<size_t>(p)] = carrier;
      Player->MakeShipFromPlayer(p, mother.x, mother.y, mother.e);
      carrier->r = h;
      // 8.
      CloneHostile(m, p);
      Ships[static_cast<size_t>(m)]->Exists = false;
      carrier->Shields = motherShields;
      carrier->Armor = motherArmor;
      // 9.
      MotherShip = -1;
      SubIndex = 0;
    });
    flown->stopEngineSound();
    carried->stopEngineSound();
    // 10.
    if (actionHeld && GameInterface) GameInterface->SpawnCycle();
  });
}
