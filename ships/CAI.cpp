#include "ships/CAI.h"

#include "runtime/Rnd.h"
#include "ships/CShip.h"

void CAI::Init(Integer i) {
  ID = i;
  if (i >= 0 && static_cast<size_t>(i) < Ships.size() && Ships[i] && Ships[i]->Exists) {
    Long body = Ships[i]->getShipBody();
    bigBody = body == sbCapital || body == sbFleshy;
  }
  Job = 1;
  JobTarget = -1;
  leaveTime = 10 - 20 * Rnd();
  outOfAmmo = false;
  hostile.fill(false);
  for (size_t k = 0; k < Ships.size() && Ships[k]; ++k)
    if (Ships[k]->Exists) Ships[k]->setAIHostile(i, false);
}

bool CAI::checkHostile(Integer i) const { return i >= 0 && i < HostileSlots && hostile[i]; }

void CAI::setHostile(Integer i, bool v) {
  if (i == ID || i < 0 || i >= HostileSlots) return;
  hostile[i] = v;
}

void CAI::resetHostile(Single t) {
  hostile.fill(false);
  evalTime = t;
}
