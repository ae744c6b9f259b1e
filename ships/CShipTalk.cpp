// CShip talk and targeting: the talk key (doTalkKey), the target keys (nextTarget, prevTarget),
// the pilot's hold before a conversation (AITalkOverride) and the heading toward the next
// world-map node during a departure (steerToTravelDir). The keys are called by the movement step,
// which clears each key after the call.
#include <cmath>

#include "audio/soundMod.h"
#include "campaign/CMissionControl.h"
#include "campaign/CWorld.h"
#include "engine/FuncMod.h"
#include "interface/CInterface.h"
#include "ships/CShip.h"

namespace {
constexpr Long UnitPlayerCarrier = 21;  // UnitType of the player's own carrier: no talk
}  // namespace

void CShip::AITalkOverride() {
  CAI& p = ai();
  if (p.Job == 5 || p.Job == 12) {
    p.Job = 0;
    p.JobFrame = 1.0f;
  }
  p.resetTimeToLeave();
}

void CShip::doTalkKey() {
  // 1.
  if (ID == 0) PlaySound(SndBeep);
  // 2.
  if (MissionControl && MissionControl->Reading && GameInterface) GameInterface->continueMissionTalk();
  // 3.
  if (SecondaryTarget <= -1 || static_cast<size_t>(SecondaryTarget) >= Ships.size()) return;
  const std::shared_ptr<CShip>& target = Ships[static_cast<size_t>(SecondaryTarget)];
  // A slot never set up has no pilot: it does not exist for talking.
  if (!target || !target->Exists || !target->pilot) return;
  if (target->getAIType() == UnitPlayerCarrier) return;
  if (target->getArmorPercent() <= 0) return;
  if (GameInterface) GameInterface->ChatterBox(SecondaryTarget);
}

void CShip::nextTarget() {
  cycleTarget(1);
}

void CShip::prevTarget() {
  cycleTarget(-1);
}

void CShip::cycleTarget(int step) {
  if (ID == 0) PlaySound(SndBeep);
  const long count = static_cast<long>(Ships.size());
  if (count == 0) return;
  long k = SecondaryTarget;
  for (long tries = 0; tries < count; ++tries) {
    k += step;
    if (k >= count) k = 0;
    if (k < 0) k = count - 1;
    const std::shared_ptr<CShip>& s = Ships[static_cast<size_t>(k)];
    if (s && s.get() != this && s->Exists && s->getWarp() == 0) {
      SecondaryTarget = static_cast<Integer>(k);
      return;
    }
  }
}

void CShip::steerToTravelDir(Single& turn) {
  // 1. The goal: the world map's route for the player's ship; any other ship keeps its heading
  // (the point ahead along (cos(r - 1.57), -sin(r - 1.57)), so a ship on its heading turns by 0).
  const bool player = ID == 0;
  const Single g = player && World ? World->getTravelDir() : 0.0f;
  const Single aheadX = std::cos(r - 1.57f), aheadY = -std::sin(r - 1.57f);
  // 2. (a heading that is not a finite number starts again from 0)
  if (!std::isfinite(r)) r = 0;
  while (r >= 6.28f) r -= 6.28f;
  while (r < 0) r += 6.28f;
  // 3. Without a world map the player's ship has no route to line up with.
  if (player && !World) {
    turn = 0;
    return;
  }
  const Single gx = player ? std::cos(g) : aheadX, gy = player ? std::sin(g) : aheadY;
  turn = getHunt(x, y, x + gx * 100, y + gy * 100, r + 1.57f);
}
