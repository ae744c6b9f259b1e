#include "campaign/CMissionControl.h"

#include "campaign/CPlayer.h"

std::shared_ptr<CMissionControl> MissionControl;

Integer CMissionControl::checkCurrentEra() const {
  Integer era = 0;
  if (!Player) return era;
  for (const EraUnlock& u : EraUnlocks)
    if (u.era > era && Player->checkCompletedMission(u.mission + ".pnd")) era = u.era;
  return era;
}

void CMissionControl::MissionFail() {
  Reading = false;
  LockedArea = false;
  LinkedLanding = -1;
}
