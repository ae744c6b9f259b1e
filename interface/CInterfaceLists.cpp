// Small shared services of CInterface: the goods names and the clickable goods row of the trading,
// plunder and status screens; the stop of the player's steering when a screen takes the
// controls; the gunner's secondary-weapon choice and the fleet choice that fill the choice arc
// of the HUD (drawn by drawHudIcon); and the respawn into a fleet ship.
#include <string>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "ships/CShip.h"

namespace {
CShip* playerShipOf(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}
}  // namespace

std::string CInterface::rscStringFromNum(Integer kind) const {
  static const char* const names[8] = {"tapes", "bananas", "kittens", "dairy", "pills", "clothes", "paper", "chemicals"};
  if (kind < 0 || kind > 7) return "unidentified";
  return names[kind];
}

bool CInterface::drawCargoList(Single x, Single y, Integer kind, Integer count, Integer price) {
  const int32_t col = kind % 4, row = kind / 4;
  if (kind >= 0)
    hudSprite(TexRsc, RECT{col * 64, row * 64, col * 64 + 64, row * 64 + 64}, 1, 1, x, y,
              D3DColorARGB(255, 255, 255, 255));
  Integer r = 255, g = 255, b = 255;
  bool clicked = false;
  if (PointerX > x && PointerX < x + 200 && PointerY > y + 7 && PointerY < y + 57) {
    r = 150, g = 150, b = 255;
    if (MouseHeld) r = 100, g = 100;
    if (MouseClicked) {
      MouseClicked = false;
      clicked = true;
    }
  }
  const std::string name = rscStringFromNum(kind);
  const bool plain = count < 1 || price < 1;
  hudText(x + 64, y + 18, plain ? name : name + "(" + std::to_string(count) + ")", 0, r, g, b, 0.7f);
  hudText(x + 200, y + 18, price < 1 ? std::to_string(count) : "$" + std::to_string(price), 0, 255, 255, 255, 0.7f);
  return clicked;
}

void CInterface::stopPlayerSteer() {
  CShip* p = playerShipOf(playerShip);
  if (!p) return;
  p->Steering = 0;
  p->Elever = 0;
}

// A request while a ship change already runs (dockFrame above 0) is ignored: the fire key held
// on a carrier asks every frame, and a restarted fade would launch the fleet ship again.
void CInterface::Spawn(Integer ship) {
  if (ship != playerShip || dockFrame > 0) return;
  if (spawnChoice < 0 || spawnChoice > 3) return;
  const CPlayer* member = SubPlayers[static_cast<size_t>(spawnChoice)].get();
  if (!member || member->ShipType < 0) return;
  dockFrame = 1.0f;
  PlaySound(SndSpawn);
}

void CInterface::InitSecondarySwitch(Long weapon, Long keep) {
  if (keep) WeaponSwitchBack = chosenSecondary;
  chosenSecondary = static_cast<Integer>(weapon);
  if (!keep) PlaySound(SndBeep);
  if (SecondarySwitchFrame <= 0) {
    choiceList.fill(-1);
    size_t n = 0;
    for (Integer w = 0; w <= 7; ++w)
      if (Player && Player->getHasWeapon(w)) choiceList[n++] = w;
    const CShip* p = playerShipOf(playerShip);
    choiceArcPos = p ? p->getCurrentWeapon() : 0;
  }
  if (!keep) SecondarySwitchFrame = 2.0f;
  choiceListIsFleet = false;
}

void CInterface::holsterSecondary(Integer held) {
  landedSecondary = held < 0 ? Integer(-1) : chosenSecondary >= 0 ? chosenSecondary : held;
  if (held >= 0) InitSecondarySwitch(-1, -1);
}

void CInterface::giveBoughtSecondary(Integer weapon) {
  if (landedSecondary < 0 && chosenSecondary < 0) landedSecondary = weapon;
}

Integer CInterface::getSecondaryGoal() const { return SecondarySwitchFrame > 0 ? chosenSecondary : Integer(-2); }

void CInterface::MakeSpawnList(Integer position) {
  choiceListIsFleet = true;
  if (SecondarySwitchFrame <= 0) {
    choiceList.fill(-1);
    size_t n = 0;
    for (const auto& member : SubPlayers)
      if (member && member->ShipType >= 0) choiceList[n++] = member->ShipType;
    choiceArcPos = position;
  }
  SecondarySwitchFrame = 2.0f;
  choiceListIsFleet = true;
}
