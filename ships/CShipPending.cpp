// CShip: the weapon step, talk key, travel heading, warp tunnel and crew operations in
// their least form: the frame can call them, nothing is fired, said or started yet. The
// ship's weapons, tunnel and crew work replace these bodies. Target cycling is complete.
#include "audio/soundMod.h"
#include "ships/CShip.h"

void CShip::FireWeapons() {}

void CShip::MakeMyTunnel() {
  tunnelPending = false;
  trickYaw = 0;
}

void CShip::randomCrew() {}

void CShip::doTalkKey() {}

void CShip::nextTarget() { cycleTarget(1); }

void CShip::prevTarget() { cycleTarget(-1); }

void CShip::cycleTarget(int step) {
  if (ID == 0) PlaySound(SndBeep);
  const long count = static_cast<long>(Ships.size());
  if (count == 0) return;
  long k = SecondaryTarget;
  for (long tries = 0; tries < count; ++tries) {
    k += step;
    if (k >= count) k = 0;
    if (k < 0) k = count - 1;
    const std::shared_ptr<CShip>& s = Ships[k];
    if (s && s.get() != this && s->Exists && s->getWarp() == 0) {
      SecondaryTarget = static_cast<Integer>(k);
      return;
    }
  }
}

void CShip::steerToTravelDir(Single& turn) {
  while (r >= 6.28f) r -= 6.28f;
  while (r < 0) r += 6.28f;
  turn = 0;
}
