// CShip copy, warp tunnel and crew: Clone (a fleet ship launched as a copy of another ship),
// MakeMyTunnel (the tunnel sprites of a departing ship, called by the departure step) and the
// crew thrown off a ship that has gone down (ejectCrew, through randomCrew from the damage step).
#include <cmath>

#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

namespace {
constexpr Single TunnelSpeed = 75000;  // units per second, straight backward past the ship
constexpr Long FallingPose = 25;
}  // namespace

void CShip::Clone(Integer id, Integer source, const CShipDef& definition) {
  vbCheckIndex(source, 0, static_cast<long long>(Ships.size()) - 1);
  // Held by a local so that a copy of a slot that is replaced meanwhile stays valid.
  const std::shared_ptr<CShip> from = Ships[static_cast<size_t>(source)];
  if (!from) vbRaise(vberr::ObjectMissing);
  const CShip& s = *from;
  // 1.
  setDef(definition);
  Init(id);
  // 2.
  r = s.r;
  roll = s.roll;
  Pitch = s.Pitch;
  x = s.x;
  y = s.y;
  e = s.e;
  // 3.
  UpdateFromDef();
  // 4.
  for (Integer i = 0; i < MountSlots; ++i) setMount(i, s.getMount(i));
  // 5.
  firingRate = s.getFiringRate();
  makePrimaryInterval();
  // 6.
  Shields = s.Shields;
  Armor = s.Armor;
  maxShields = s.getMaxShields();
  maxArmor = s.getMaxArmor();
  Fuel = s.Fuel;
}

void CShip::MakeMyTunnel() {
  // 1.
  mountPos[0] = getMountPos(0);
  // 2.
  const Single vx = std::cos(r - 1.57f) * -TunnelSpeed;
  const Single vy = Pitch * TunnelSpeed;
  const Single vz = std::sin(r - 1.57f) * TunnelSpeed;
  tunnelPending = false;
  trickYaw = 0;
  // 3. A Capital ship's rings turn as a Bike's would.
  const Integer mount = static_cast<Integer>(Int(Rnd() * 5.0));
  ScratchMatrix = getMountRotMatrix(mount, def().ShipBody == sbCapital);
  // 4. Rings (life 0 takes the kind's default).
  for (Integer k = 0; k <= 44; k = static_cast<Integer>(k + 2)) {
    const Single size1 = Rnd() * 100;
    AddSprite(x, e, y, vx, vy, vz, skTunnelRing, k / 11.0f, size1, ID, -1);
    const Single life2 = (k + 2 * Rnd()) / 11.0f;
    const Single size2 = Rnd() * 100;
    AddSprite(x, e, y, vx, vy, vz, skTunnelRing, life2, size2, ID, -1);
  }
  for (Integer k = 30; k <= 45; ++k) {
    const Single life = (k + Rnd()) / 11.0f;
    const Single size = Rnd() * 100;
    AddSprite(x, e, y, vx, vy, vz, skTunnelRing, life, size, ID, -1);
  }
  // 5.
  AddSprite(x, e, y, vx / 25, vy / 25, vz / 25, skTunnelFlare, 4.0f, 0, ID, -1);
}

void CShip::randomCrew() {
  ejectCrew();
}

void CShip::ejectCrew() {
  for (Integer seat = 0; seat < CrewSeats; ++seat) {
    const std::shared_ptr<CCharacter>& sc = crew[static_cast<size_t>(seat)];
    if (!sc || !sc->Exists || sc->getTexture().empty()) continue;
    // 1. The first free slot (an empty slot is free too).
    long c = -1;
    for (size_t k = 0; k < Characters.size(); ++k) {
      if (!Characters[k] || !Characters[k]->Exists) {
        c = static_cast<long>(k);
        break;
      }
    }
    if (c < 0) continue;
    const Integer slot = static_cast<Integer>(c);
    // 2. The camera follows the player's thrown driver and gunner.
    if (ID == 0 && seat <= 1) charIndex[static_cast<size_t>(seat)] = slot;
    // 3.
    auto thrown = std::make_shared<CCharacter>();
    Characters[static_cast<size_t>(c)] = thrown;
    Randomize();
    thrown->Init();
    thrown->x = x;
    thrown->y = y;
    thrown->e = e;
    thrown->setAnim(FallingPose, 0, false);
    thrown->xM = xM + 100 - Rnd() * 200;
    thrown->yM = yM + 100 - Rnd() * 200;
    thrown->eM = Rnd() * 200 - 100;
    thrown->r = seat - 0.5f + Rnd() + 1.57f;
    thrown->FreeFalling = 1.0f;
    thrown->setModel(sc->getModel());
    thrown->setTexture(sc->getTexture());
    // 4. The title sequence's camera follows the thrown character.
    if (GameInterface && GameInterface->Window == msDemo) {
      GameInterface->DemoSceneFollow = slot;
      GameInterface->DemoSceneFrame = 0;
      GameInterface->DemoSceneMode = 7;
    }
  }
}
