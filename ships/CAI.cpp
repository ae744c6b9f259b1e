// CAI: the record, the hostility table and the faction rules, target choice, the reactions to a
// hit and the stuck test. See CAI.h.
#include "ships/CAI.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"

namespace {
bool isOneOf(Long t, std::initializer_list<Long> list) { return std::find(list.begin(), list.end(), t) != list.end(); }

// What the faction rules make of ship k: nothing, hostile, or hostile and a target candidate.
enum class Mark { None, Hostile, Candidate };

// Unit types that flee the map when a ship has marked them.
bool fleesWhenMarked(Long own) { return isOneOf(own, {2, 5, 8, 9, 46, 47, 48}); }

// The faction rules of own unit type against unit type t. The probabilities draw Rnd only on the
// row that holds them.
Mark factionRule(Long own, Long t) {
  if (isOneOf(own, {1, 4, 14, 16, 17, 18, 22, 23, 24, 27, 57, 61, 64})) {
    if (isOneOf(t, {10, 11, 12, 13, 25, 26, 28, 36, 37, 38, 39, 40, 41, 43, 44, 45, 52, 53, 54, 55, 58, 59, 60, 62,
                    63, 65}))
      return Mark::Candidate;
    return Mark::None;
  }
  if (isOneOf(own, {10, 11, 25, 28, 65})) {  // pirates
    if (isOneOf(t, {0, 3, 6, 46, 47, 48})) return Rnd() < 0.9f ? Mark::Candidate : Mark::None;
    if (isOneOf(t, {1, 4, 7, 21, 22, 23, 24, 27, 61})) return Mark::Candidate;
    if (isOneOf(t, {2, 5, 8, 9})) return Rnd() < 0.8f ? Mark::Candidate : Mark::None;
    if (isOneOf(t, {12, 13, 36, 37, 38, 39})) return Mark::Hostile;
    return Mark::None;
  }
  if (isOneOf(own, {12, 13, 26, 36, 37, 38, 39, 40, 41, 43, 44, 45, 52, 53, 54, 55, 56, 58, 59, 60, 62, 63})) {
    const bool victim = (t >= 0 && t <= 11) || (t >= 14 && t <= 23) || (t >= 32 && t <= 35) ||
                        isOneOf(t, {25, 27, 28, 46, 47, 48, 57, 64});
    return victim ? Mark::Candidate : Mark::None;
  }
  return Mark::None;
}

// Unit types that turn on the player's ship (and its carrier) by the level's alert state.
bool alertTurnsOnPlayer(Long own) {
  if (SceneEvent == 6) return isOneOf(own, {0, 3, 6, 22, 23, 27, 32, 33, 34});
  if (SceneEvent == 3) return isOneOf(own, {14, 16, 17, 18});
  return false;
}

// Indexes the table covers: Ships(0 .. this - 1).
Integer tableEnd() { return static_cast<Integer>(std::min<size_t>(Ships.size(), CAI::HostileSlots)); }
}  // namespace

CShip* CAI::shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}

CShip* CAI::liveOther(Integer i) const {
  if (i == ID) return nullptr;
  CShip* s = shipAt(i);
  return s && s->Exists ? s : nullptr;
}

void CAI::Init(Integer i) {
  ID = i;
  if (CShip* s = shipAt(i); s && s->Exists) {
    const Long body = s->getShipBody();
    bigBody = body == sbCapital || body == sbFleshy;
  }
  Job = aiWander;
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

bool CAI::taggedByMission() const {
  const CShip* s = own();
  return MissionControl && MissionControl->Reading && s && !s->getTag().empty();
}

bool CAI::sparesPlayer() const {
  const CShip* s = own();
  return SceneEvent == 4 && s && s->getTag() == "stuck";
}

void CAI::forgetPlayer() {
  for (const Integer k : {Integer{0}, MotherShip}) {
    if (k < 0 || k == ID) continue;
    setHostile(k, false);
    if (CShip* other = liveOther(k)) other->setAIHostile(ID, false);
    if (JobTarget == k) JobTarget = -1;
    if (prevTarget == k) prevTarget = -1;
  }
}

Integer CAI::EvalHostiles() {
  Integer candidate = -1;
  const Integer end = tableEnd();
  const bool spare = sparesPlayer();
  if (spare) forgetPlayer();
  for (Integer k = 0; k < end; ++k) {
    CShip* other = Ships[k].get();
    const bool live = other && other->Exists;
    if (spare && (k == 0 || k == MotherShip)) continue;
    // 1. Ships that take part in the level and are not warping.
    if (k != ID && live && other->getWarp() == 0) {
      if (other->checkAIHostile(ID) && !checkHostile(k)) {
        setHostile(k, true);
        // A ship a running mission has tagged stays for it (the mission cannot go on without it).
        if (fleesWhenMarked(UnitType) && !taggedByMission()) {
          leaveTime = 20;
          randomGoal();
          JobFrame = 10;
          Job = aiLeave;
        }
      }
      const Mark m = factionRule(UnitType, other->getAIType());
      if (m != Mark::None) setHostile(k, true);
      if (m == Mark::Candidate) candidate = k;
    }
    // 2. The level's alert turns some units on the player's ship and its carrier.
    if (alertTurnsOnPlayer(UnitType)) {
      setHostile(0, true);
      if (MotherShip >= 0) setHostile(MotherShip, true);
    }
    // 3. Hostility is mutual.
    if (checkHostile(k) && live) other->setAIHostile(ID, true);
    // 4. The map's truce clears it both ways.
    if (CurMap && CurMap->HostileSafe > 0) {
      setHostile(k, false);
      if (live) other->setAIHostile(ID, false);
      SceneEvent = 5;
    }
  }
  return candidate;
}

void CAI::findTarget() {
  std::array<Integer, HostileSlots> found{};
  int n = 0;
  const Integer end = tableEnd();
  for (Integer k = 0; k < end; ++k) {
    CShip* other = Ships[k].get();
    if (!checkHostile(k) || !other || !other->Exists) continue;
    if (k == MotherShip && Rnd() < 0.6f) continue;
    found[static_cast<size_t>(n++)] = k;
    if (!other->checkAIHostile(ID)) other->setAIHostile(ID, true);
  }
  if (n == 0) {
    JobTarget = -1;
    return;
  }
  int pick = static_cast<int>(roundHalfEven(static_cast<double>(Rnd()) * n));
  if (pick >= n) pick = n - 1;
  JobTarget = found[static_cast<size_t>(pick)];
}

void CAI::evasive() {
  CShip* s = own();
  if (!s || s->Armor < 0) return;
  if (Rnd() < 0.4f) s->RollMe(0);
  else if (Rnd() < 0.8f) s->RollMe(1);
  else s->RollMe(2);
}

void CAI::Hit() {
  CShip* s = own();
  if (!s) return;
  switch (Job) {
    case aiWander:
    case aiGoLand:
    case aiLanded:
      JobFrame = 0;
      break;
    case aiAttack:
    case aiPass:
      if (s->Armor > 0) {
        if (Rnd() < 0.05f) s->RollMe(0);
        else if (Rnd() < 0.1f) s->RollMe(1);
      }
      break;
    case aiBreakAway: {
      // Without a player record (the editors) the pilot reacts as on normal difficulty.
      const Integer difficulty = Player ? Player->Difficulty : Integer{2};
      if (difficulty < 3) {
        evasive();
      } else if (Rnd() >= 0.5f) {
        evasive();
      } else {
        s->SpinMe();
        if (Rnd() < 0.5f) evasive();
      }
      break;
    }
    default:
      break;
  }
}

void CAI::setUnstuckHistory() {
  CShip* s = own();
  if (!s) return;
  for (int k = HistorySlots - 1; k > 0; --k) posHistory[k] = posHistory[k - 1];
  posHistory[0] = Sample{s->x, s->e, s->y};
  if (historySamples < HistorySlots) ++historySamples;
  if (!s->keyThrust || historySamples < 6) return;
  for (int k = 1; k <= 5; ++k)
    if (posHistory[k].x != posHistory[0].x || posHistory[k].y != posHistory[0].y) return;
  Job = aiUnstuck;
  JobFrame = 2.0f;
  goalX = static_cast<Single>(s->x - 500 * std::cos(s->r - 1.57));
  goalY = static_cast<Single>(s->y + 500 * std::sin(s->r - 1.57));
  goalE = 200 * Rnd() - 100;
}

void CAI::randomGoal() {
  goalX = 5000 * Rnd() - 2500;
  goalY = 5000 * Rnd() - 2500;
  goalE = 300 * Rnd() - 150;
  JobTarget = -1;
}
