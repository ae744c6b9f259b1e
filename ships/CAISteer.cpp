// CAI steering: the raw values the decision step turns into its turn and climb commands (goal
// nearness, flyTo with its structure probe and detour, the climb value, the two look-ahead
// probes) and the fire control. All read the pilot's own ship through Ships(ID) and the current
// map's structure queries; without a ship they give neutral values, without a map no structure
// is ever in the way.
#include <algorithm>
#include <cmath>

#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "ships/CAI.h"
#include "ships/CShip.h"

namespace {
// The quarter of a heading in [0, 6.28): 0..3.
long quarter(Single h) { return static_cast<long>(Int(h / 1.57)); }

// Secondary weapons the pilot fires, with their aim window and the wait after a shot.
struct SecondaryWindow {
  Integer weapon;
  Single turn, climb, dist, wait;
};
constexpr SecondaryWindow SecondaryWindows[] = {
    {0, 5, 5, 2000, 1.0f},    // missile
    {1, 7, 15, 4000, 2.0f},   // torpedo
    {2, 2, 2, 5000, 0.7f},    // xbow
    {3, 1, 1, 1000, 0.7f},    // shotty
    {4, 1.5f, 1.5f, 8000, 0.7f},  // sniper
    {5, 15, 15, 1000, 0.7f},  // neutron
    {7, 2, 2, 5000, 0.7f},    // dark
};  // 6 (heart) and 8 (fueler) are never fired by a pilot
}  // namespace

bool CAI::isNearGoal(Single d) const {
  const CShip* s = own();
  if (!s) return false;
  return goalX - d < s->x && s->x < goalX + d && goalY - d < s->y && s->y < goalY + d;
}

Single CAI::flyTo(Single px, Single py) {
  CShip* s = own();
  if (!s) return 0;
  const double dist = getDist(s->x, s->y, px, py);
  const long n = static_cast<long>(roundHalfEven(dist / 100));
  bool blocked = false;
  if (n > 0) {
    if (avoidWait >= 0) {
      --avoidWait;
    } else if (CurMap) {
      // Probe spheres every ~100 units from 200 ahead on the way to the point and out to twice its
      // distance, at most 149 of them; the first structure met is steered around by the corner of
      // its box that turns least away from the point.
      const Single radius = (s->getWidth() + s->getDepth()) / 2 + 100;
      const long last = std::min(2 * n, 150L);
      const Single dx = px - s->x, dy = py - s->y;
      auto probe = [&](long k, Single& qx, Single& qy) {
        const double f = static_cast<double>(k) / n;
        qx = static_cast<Single>(s->x + dx * f);
        qy = static_cast<Single>(s->y + dy * f);
      };
      // The probes lie between the first and the last: only structures near that stretch can stop them.
      Single ax, ay, bx, by;
      probe(2, ax, ay);
      probe(last, bx, by);
      const uint32_t near = CurMap->cheapStructsNear(std::min(ax, bx), std::max(ax, bx), s->e, std::min(ay, by),
                                                     std::max(ay, by), radius);
      for (long k = 2; near != 0 && k <= last; ++k) {
        Single qx, qy;
        probe(k, qx, qy);
        if (!CurMap->checkCheapStructCol(qx, s->e, qy, radius, near)) continue;
        const D3DVECTOR L = CurMap->getStructLBounds(LastStructHit);
        const D3DVECTOR U = CurMap->getStructUBounds(LastStructHit);
        const D3DXVECTOR2 c = pickCornerByAngle(
            makeVec2(L.x - radius, L.z - radius), makeVec2(L.x - radius, U.z + radius),
            makeVec2(U.x + radius, L.z - radius), makeVec2(U.x + radius, U.z + radius), makeVec2(s->x, s->y),
            makeVec2(px, py));
        px = c.x;
        py = c.y;
        blocked = true;
        break;
      }
      if (!blocked) avoidWait = CInt(4 * Rnd() + 3);
    }
  }
  Single h = s->r;
  while (h >= 6.28f) h -= 6.28f;
  while (h < 0) h += 6.28f;
  const Single turn = getHunt(s->x, s->y, px, py, h + 1.57f);
  return blocked ? turn * 5 : turn;
}

Single CAI::turnToward() const {
  const CShip* s = own();
  if (!s) return 0;
  const Single d = static_cast<Single>(getDist(s->x, s->y, goalX, goalY));
  Single a = getAngle(0, 0, d, s->e - goalE);
  if (a > 3.14f) a -= 6.28f;
  return s->Pitch + a;
}

bool CAI::probeAhead() const {
  const CShip* s = own();
  if (!s || !CurMap) return false;
  const double L = s->Speed + 500.0;
  const Single px = static_cast<Single>(s->x + L * std::cos(s->r - 1.57));
  const Single py = static_cast<Single>(s->y - L * std::sin(s->r - 1.57));
  return CurMap->checkCheapStructCol(px, s->e, py, 0);
}

CAI::Avoid CAI::PredictCollision(Single lookAhead) const {
  Avoid out;
  const CShip* s = own();
  if (!s || !CurMap) return out;
  const double L = lookAhead;
  const Single px = static_cast<Single>(s->x + L * std::cos(s->r - 1.57));
  const Single py = static_cast<Single>(s->y - L * std::sin(s->r - 1.57));
  const Single pe = static_cast<Single>(s->e - 2 * L * s->Pitch);
  const double k = FrameTime * s->Speed;
  Single qx = static_cast<Single>(px + s->xM * k);
  Single qe = static_cast<Single>(pe + s->eM * k);
  Single qy = static_cast<Single>(py + s->yM * k);
  const Single wantX = qx, wantE = qe, wantY = qy;
  CurMap->checkStructCol(px, pe, py, qx, qe, qy, 200);
  if (LastStructHit == -1) return out;
  // A wall across one ground axis turns the ship along it, the shorter way for its heading
  // quarter, unless the ship already runs nearly parallel to the wall; a top or bottom face
  // pitches it away.
  const Single h = s->r;
  const bool odd = quarter(h) % 2 != 0;
  if (qx != wantX) out.turn = std::fabs(std::cos(h)) > 0.8f ? 0.0f : odd ? -1.0f : 1.0f;
  if (qy != wantY) out.turn = std::fabs(std::sin(h)) > 0.8f ? 0.0f : odd ? 1.0f : -1.0f;
  if (qe != wantE && s->Pitch != 0) out.pitch = s->Pitch >= 0 ? -1.0f : 1.0f;
  return out;
}

void CAI::doFireControl(Integer t) {
  // 1. No fire while a talk box focuses a ship.
  if (GameInterface && GameInterface->getTalkBox() && GameInterface->PopFocID >= 0) {
    keyPrimary = keySecondary = false;
    return;
  }
  // 2. A target that is gone or out of the table is no target.
  if (t == -1) return;
  CShip* target = liveOther(t);
  CShip* s = own();
  if (!target || !s) return;
  if (!checkHostile(t)) {
    keyPrimary = keySecondary = false;
    return;
  }
  // 3. The goal point stands on the target for the aim; it is restored on every way out.
  const Single keepX = goalX, keepE = goalE, keepY = goalY;
  goalX = target->x;
  goalE = target->e;
  goalY = target->y;
  auto restore = [&] {
    goalX = keepX;
    goalE = keepE;
    goalY = keepY;
  };
  // 4-5. Line of sight, tested every 0.5..1.5 s.
  clearShotWait = static_cast<Single>(clearShotWait - FrameTime);
  if (clearShotWait < 0) {
    clearShotWait = Rnd() + 0.5f;
    clearShot = !CurMap || !CurMap->quickTestConnect(D3DVECTOR{s->x, s->e, s->y}, D3DVECTOR{goalX, goalE, goalY}, 100);
  }
  if (!clearShot) {
    restore();
    return;
  }
  // 6. Aim.
  Single aimTurn = -flyTo(goalX, goalY) * 80;
  const double dist = getDist(goalX, goalY, s->x, s->y);
  Single aimClimb = turnToward() * 30;
  aimTime = static_cast<Single>(aimTime + FrameTime);
  if (bigBody) {
    aimTurn /= 25;
    aimClimb /= 25;
  }
  // 7. Mounts.
  if (std::fabs(aimTurn) < 4 && std::fabs(aimClimb) < 4 && dist < 5000 && (!ClassicView || dist < 2000)) {
    keyPrimary = true;
    aimTime = 0;
  }
  // 8. Secondary weapon: waits, and out of ammunition altogether.
  if (outOfAmmo) secondaryWait = 0.5f;
  if (secondaryWait > 0) {
    keySecondary = false;
    restore();
    return;
  }
  // 9. An empty weapon switches on to the next.
  Integer w = s->getCurrentWeapon();
  if (w >= 0 && s->getSecondaryAmmo(w) < 1) {
    outOfAmmo = true;
    for (Integer i = 0; i <= 7; ++i)
      if (s->getHasSecondary(i) && s->getSecondaryAmmo(i) > 0) outOfAmmo = false;
    s->keySwitchRight = true;
  }
  // 10. Fire within the weapon's window.
  w = s->getCurrentWeapon();
  if (w == -1) {
    s->keySwitchRight = true;
    secondaryWait = 1.0f;
  }
  for (const SecondaryWindow& row : SecondaryWindows) {
    if (row.weapon != w) continue;
    if (std::fabs(aimTurn) < row.turn && std::fabs(aimClimb) < row.climb && dist < row.dist) {
      keySecondary = true;
      secondaryWait = row.wait;
    }
  }
  // 11.
  restore();
}
