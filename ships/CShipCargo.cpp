// CShip: cargo, cash, the pilot and its hostility, mounts and secondary weapons, the meeting
// arrangement and the design read-outs.
#include <cmath>

#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

namespace {
// Weight of a MountType in the primary fire interval: 1.0 for the full-rate weapons, 0.1 for the
// heavy ones, nothing for an empty mount.
Single mountWeight(Long type) {
  switch (type) {
    case 0: case 1: case 2: case 3: case 4: case 9: case 11: return 1.0f;
    case 5: case 6: case 7: case 8: case 10: return 0.1f;
    default: return 0;
  }
}
}  // namespace

// ---- cargo and cash ------------------------------------------------------------------------

Integer CShip::getResource(Integer i) const {
  return vbAt(cargo, i);
}

void CShip::setResource(Integer i, Integer n) {
  vbAt(cargo, i) = n;
}

Integer CShip::getGreatestRsc() const {
  Integer best = 0;
  for (Integer k = 1; k < GoodsKinds; ++k)
    if (cargo[k] > cargo[best]) best = k;
  return best;
}

namespace {
long carried(const std::array<Integer, CShip::GoodsKinds>& cargo) {
  long total = 0;
  for (Integer n : cargo) total += n;
  return total;
}
}  // namespace

Integer CShip::getFreeCargo() const { return CInt(static_cast<double>(def().Cargo) - carried(cargo)); }

Integer CShip::getEnergy() const { return def().Energy; }

void CShip::addResource(Integer i, Integer n, Integer& rest) {
  vbCheckIndex(i, 0, GoodsKinds - 1);
  const long free = def().Cargo - carried(cargo);
  if (free < 1) {
    rest = n;
  } else if (free < n) {
    cargo[i] = CInt(static_cast<double>(cargo[i]) + free);
    rest = CInt(static_cast<double>(n) - free);
  } else {
    cargo[i] = CInt(static_cast<double>(cargo[i]) + n);
    rest = 0;
  }
}

void CShip::giveRandomResources(bool flag) {
  // One clock seed for the whole run: reseeding on every call would hand every ship filled in the
  // same clock tick the same hold.
  static bool seeded = false;
  if (!seeded) {
    Randomize();
    seeded = true;
  }
  const CShipDef& d = def();
  const Integer k = CInt(Rnd() * 3.9 + 1);
  std::array<Integer, 6> kinds{};
  for (Integer j = 0; j <= k; ++j) kinds[j] = static_cast<Integer>(Int(Rnd() * 7.9));
  do {
    const Integer j = static_cast<Integer>(Int(Rnd() * k + 0.9));
    Integer& count = cargo[kinds[j]];
    count = CInt(count + Rnd() * 5.0 + 5.0);
  } while (!(carried(cargo) > d.Cargo / 2.0));
  if (d.Price < 0) vbRaise(vberr::InvalidCall);  // square root of a negative price
  cash = CLng(Rnd() * std::sqrt(static_cast<double>(d.Price)));
  if (flag) cash = CLng(cash / 20.0 + Rnd() * 20.0);
  if (cash < 5) cash = 5;
}

// ---- pilot and hostility -------------------------------------------------------------------

CAI& CShip::ai() const {
  if (!pilot) vbRaise(vberr::ObjectMissing);
  return *pilot;
}

void CShip::attachPilot() {
  // The pilot is attached before its Init runs, so the hostility calls Init makes on other ships
  // find this ship with a pilot.
  pilot = std::make_shared<CAI>();
  pilot->Init(ID);
}

void CShip::setAI() {
  aiDriven = true;
  attachPilot();
}

void CShip::setAIType(Long t) {
  ai().UnitType = t;
  ai().resetHostile(-0.5f);
}

Long CShip::getAIType() const { return ai().UnitType; }
Integer CShip::getUnitType() const { return CInt(ai().UnitType); }
void CShip::setAlign(Long a) { ai().Align = a; }
Long CShip::getAlign() const { return ai().Align; }

bool CShip::checkAIHostile(Integer i) {
  if (!pilot) attachPilot();
  return pilot->checkHostile(i);
}

void CShip::setAIHostile(Integer i, bool hostile) {
  if (!pilot) attachPilot();
  pilot->setHostile(i, hostile);
}

void CShip::resetAIHostiles() { ai().resetHostile(1.0f); }

// ---- weapons -------------------------------------------------------------------------------

void CShip::setMount(Integer i, Long weapon) {
  vbAt(mounts, i) = weapon;
}

Long CShip::getMount(Integer i) const {
  return vbAt(mounts, i);
}

void CShip::makePrimaryInterval() {
  const Integer last = def().TotalMounts < MountSlots ? def().TotalMounts : static_cast<Integer>(MountSlots - 1);
  Single s = 0;
  for (Integer i = 0; i <= last; ++i) s += mountWeight(mounts[i]);
  s *= firingRate;
  primaryInterval = s == 0 ? 1.0f : 0.25f / s;
}

void CShip::setSecondary(Integer i, bool owned) {
  vbAt(hasSecondary, i) = owned;
}

bool CShip::getHasSecondary(Integer i) const {
  return vbAt(hasSecondary, i);
}

void CShip::setSecondaryAmmo(Integer i, Integer n) {
  vbAt(secondaryAmmo, i) = n;
}

Integer CShip::getSecondaryAmmo(Integer i) const {
  return vbAt(secondaryAmmo, i);
}

Long CShip::getSecondaryWeapon() const {
  if (!crew[1]) vbRaise(vberr::ObjectMissing);
  return crew[1]->Weapon;
}

Integer CShip::getCurrentWeapon() const { return CInt(getSecondaryWeapon()); }

void CShip::makeMeet(Integer partner, Long mode, Integer a, Integer b, Integer c, Integer d) {
  Meeter = partner;
  meetValue = mode;
  meetInfo = {a, b, c, d};
}

// ---- design read-outs ----------------------------------------------------------------------

Integer CShip::getTotalMounts() const { return def().TotalMounts; }
Integer CShip::getTotalDockBays() const { return def().DockBays; }
Long CShip::getShipBody() const { return myDef ? myDef->ShipBody : 0; }
