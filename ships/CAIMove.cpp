// CAI decision step: Move, once per frame for every AI-driven ship (CShip.Move calls it, then
// copies the seven commands into the ship). Its steps run in this order: hostility evaluation,
// commands cleared, the radio's fire during missions, nothing more for a wreck, timers (and the
// position sample of the stuck test every HistoryPace seconds), a dead target dropped, gas units'
// weapon, the leave rules, the tag's leave timer, the title scene, a new choice when the state
// time runs out, target tracking, meetings, the mother ship, the alert, escort units, the state
// action, the wall nudges, the look-ahead, the goal height and the shaping of the turn and climb.
#include <algorithm>
#include <cmath>

#include "campaign/CMissionControl.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "ships/CAI.h"
#include "ships/CShip.h"

namespace {
bool missionReading() { return MissionControl && MissionControl->Reading; }

bool isBigBody(const CShip& s) {
  const Long body = s.getShipBody();
  return body == sbCapital || body == sbFleshy;
}

// Speed lowered by 100 per second, not below 0 (the settling brake of landing and escort).
void settle(CShip& s, double dt) { s.Speed = std::max(0.0f, static_cast<Single>(s.Speed - 100 * dt)); }

constexpr Long UnitMyMother = 21;  // the player's carrier flown by the AI: escorts
constexpr Long AlignCyborg = 4, AlignPirate = 5;
}  // namespace

void CAI::Move() {
  CShip* s = own();
  if (!s) return;
  const double dt = FrameTime;

  // 1. Hostility, about twice a second.
  evalTime = static_cast<Single>(evalTime + dt);
  if (evalTime > 0.5f) {
    evalTime -= Rnd();
    const Integer c = EvalHostiles();
    if (JobTarget == -1 && c >= 0) {
      Job = aiAttack;
      JobTarget = c;
    }
  }

  // 2.
  keyLeft = keyRight = keyThrust = keyBrake = keyWarp = keyPrimary = keySecondary = false;

  // 3. The radio talks through the primary fire while a mission is read.
  if (missionReading() && s->getMount(0) == 10) keyPrimary = true;

  // 4. A wreck only receives cleared commands.
  if (s->Armor < 0) return;

  // 5. Timers, and the stuck test's position sample at its fixed pace.
  JobFrame = static_cast<Single>(JobFrame - dt);
  if (engageTime > 0) engageTime = static_cast<Single>(engageTime - dt);
  if (secondaryWait > 0) secondaryWait = static_cast<Single>(secondaryWait - dt);
  leaveTime = static_cast<Single>(leaveTime + dt);
  historyClock = static_cast<Single>(historyClock + dt);
  if (historyClock >= HistoryPace) {
    historyClock = std::fmod(historyClock, HistoryPace);
    setUnstuckHistory();
  }

  // 6. A dead (or vanished) target is dropped: the next frame chooses anew.
  if (JobTarget >= 0) {
    CShip* t = liveOther(JobTarget);
    if (!t || t->Armor < 0) {
      setHostile(JobTarget, false);
      engageTime = 0;
      JobTarget = -1;
      JobFrame = -1;
    }
  }

  // 7. Gas units keep a weapon selected.
  if ((UnitType == 49 || UnitType == 50 || UnitType == 51) && s->getCurrentWeapon() == -1) s->keySwitchRight = true;

  // 8. Leave rules.
  const bool tagged = !s->getTag().empty();
  if (s->autoEvac == 2) {
    JobFrame = 10;
    Job = aiLeave;
  } else if (SceneEvent == 4 && !tagged) {
    if (Job != aiLeave && Job != aiWaitLeave) {
      Job = aiWaitLeave;
      JobFrame = 4 * Rnd();
    }
  } else if (tagged || MotherShip == ID) {
    leaveTime = 0;
  }

  // 9. A mission's tag lapses once no mission is read.
  if (tagged && !missionReading()) {
    leaveTime = 10 * Rnd() + 10;
    s->setTag("");
  }

  // 10. The title scene keeps its ships.
  if (GameInterface && GameInterface->Window == msDemo) leaveTime = 0;

  // 11.
  if (JobFrame < 0) newChoice();

  // 12. Target tracking.
  if (JobTarget >= 0) {
    CShip* t = liveOther(JobTarget);
    if (t) {
      goalX = t->x;
      goalE = t->e;
      goalY = t->y;
      s->SecondaryTarget = JobTarget;
    } else {
      JobFrame = 0;
      engageTime = 0;
      Job = aiWander;
    }
  }

  // 13. Meetings.
  if (s->Meeter >= 0 && (Job == aiWander || Job == aiGoLand) && liveOther(s->Meeter)) {
    Job = aiMeet;
    JobFrame = 20;
    JobTarget = s->Meeter;
  }

  // 14. The mother ship never leaves.
  if (MotherShip == ID && Job == aiLeave) Job = aiEscort;

  // 15. Alert: ships of the law-abiding factions head for the exit.
  if (Align != AlignPirate && Align != AlignCyborg && s->getWarp() == 0 && leaveTime < 20 && SceneEvent > 0) {
    const bool calmJob = Job == aiIdle || Job == aiWander || Job == aiGoLand || Job == aiLanded;
    if ((SceneEvent >= 1 && SceneEvent <= 3 && calmJob) || (SceneEvent == 4 && !tagged)) {
      leaveTime = 20;
      if (JobFrame > 1) JobFrame = 1;
    }
  }

  // 16. Escort units follow the player's ship.
  if (UnitType == UnitMyMother) {
    Job = aiEscort;
    escortTime += dt;
    JobTarget = 0;
    JobFrame = 10;
    if (escortTime > 5) escortTime = 0;
  }

  // 17.
  stateAction();

  // 18. Wall nudges.
  if (Job != aiUnstuck) {
    if (s->Unstick == 0) {
      s->Unstick = s->UnstickY = 0;
      Single ahead = 0;
      s->AINudge(ahead);
    } else {
      SteeringGoal = -5 * s->Unstick;
      EleverGoal = s->UnstickY;
    }
  }

  // 19. Look-ahead: a wall ahead turns the ship along it.
  const Avoid avoid = PredictCollision(s->Speed / 2 + 50);
  if (avoid.turn != 0) SteeringGoal -= 100 * avoid.turn;

  // 20-21.
  shapeCommands();
}

void CAI::startAttack() {
  Job = aiAttack;
  JobFrame = 20;
  leaveTime = 0;
}

void CAI::newChoice() {
  // a. Still engaged: keep at the target.
  if (engageTime > 0) {
    JobFrame = 20;
    if (JobTarget >= 0) startAttack();
    return;
  }
  // b. A hostile ship to attack.
  JobTarget = -1;
  findTarget();
  if (JobTarget >= 0) {
    engageTime = 15 * Rnd() + 15;
    startAttack();
    return;
  }
  // c. Land (three times in four when the map has a pad), else wander or leave. Without a pad the
  // wander choice is taken, so the choice is not made again next frame.
  if (Rnd() >= 0.25f && CurMap) {
    const Integer pad = CurMap->getRandLanding();
    if (pad >= 0) {
      const D3DVECTOR p = CurMap->getStructPos(pad);
      Job = aiGoLand;
      goalX = p.x;
      goalE = p.y + 150;
      goalY = p.z;
      JobFrame = 10;
      return;
    }
  }
  Job = aiWander;
  randomGoal();
  JobFrame = 10;
  if (leaveTime > 20) Job = aiLeave;
}

void CAI::stateAction() {
  CShip& s = *own();
  const double dt = FrameTime;
  switch (Job) {
    case aiWander: {
      SteeringGoal = -5 * flyTo(goalX, goalY);
      EleverGoal = 5 * turnToward();
      if (coastTime <= 0) keyThrust = true;
      else coastTime = static_cast<Single>(coastTime - dt);
      if (s.Speed > s.MaxSpeed / 2.0f) coastTime = Rnd() + 1;
      if (isNearGoal(500) || probeAhead()) JobFrame = 0;
      break;
    }
    case aiAttack:
      attackAction();
      break;
    case aiPass:
      driftAction(50, 15);
      reattackTail();
      break;
    case aiBreakAway:
      driftAction(80, 30);
      reattackTail();
      break;
    case aiLeave: {
      const Single w = s.getRealWarp();
      const bool departing = w >= 1 && w < 20;  // lining up, climbing or warping out
      if (!departing && s.climbBlocked()) {
        keyThrust = true;  // under a structure: on until the climb is clear
        SteeringGoal = EleverGoal = 0;
      } else {
        keyWarp = true;
      }
      // A departure takes about 8 s from the first press: its time does not run out under it.
      if (departing && JobFrame < 1) JobFrame = 1;
      if (JobFrame <= 0.5f) {
        JobFrame = 0;
        leaveTime = 0;
        if (missionReading() && s.getTag().empty()) {
          s.setTag("stuck");
          forgetPlayer();
        }
      }
      evalTime = 0;
      break;
    }
    case aiGoLand:
    case aiMeet:
      SteeringGoal = -5 * flyTo(goalX, goalY);
      EleverGoal = 5 * turnToward();
      if (!isNearGoal(100)) {
        approach();
      } else if (Job == aiGoLand) {
        if (s.Speed <= 0) {
          JobFrame = 10;
          Job = aiLanded;
        } else {
          keyBrake = true;
          settle(s, dt);
        }
      }
      break;
    case aiLanded:
      s.Speed = 0;
      s.eM = -50;
      SteeringGoal = EleverGoal = 0;
      isGoalLever = false;
      if (missionReading()) JobFrame = 0;
      break;
    case aiUnstuck:
      SteeringGoal = -15 * flyTo(goalX, goalY);
      EleverGoal = 15 * turnToward();
      keyThrust = true;
      break;
    case aiEscort:
      escortAction();
      break;
    case aiWaitLeave:
      if (JobFrame <= 0.5f) {
        Job = aiLeave;
        JobFrame = 10;
      }
      break;
    default:
      break;
  }
}

void CAI::approach() {
  const CShip& s = *own();
  const bool near = isNearGoal(1000);
  if (s.Speed < 50) keyThrust = true;
  if (near && s.Speed > 200) keyBrake = true;
  if (near && s.Speed > 100) {
    coastTime = 3.0f;
  } else if (coastTime > 0) {
    coastTime = static_cast<Single>(coastTime - FrameTime);
  } else {
    keyThrust = true;
  }
}

void CAI::attackAction() {
  CShip& s = *own();
  // 1. Close in and fire.
  const Single turn = flyTo(goalX, goalY);
  const Single climb = turnToward();
  SteeringGoal = -turn * (25 * aimTime + 180);
  EleverGoal = (25 * aimTime + 50) * climb;
  keyThrust = true;
  doFireControl(JobTarget);
  if (!isNearGoal(500)) {
    // 2. Held against a structure for 3 s: flip.
    if (FinalUnstuck > 3) {
      s.RollMe(2);
      FinalUnstuck = 0;
    }
  } else {
    // 3. Reached the target: pass it, or break away early in the run.
    if (CShip* t = liveOther(JobTarget)) {
      if (isBigBody(*t) || Rnd() < 0.5f) s.RollMe(Rnd() >= 0.5f ? 1 : 0);
    }
    Job = aiPass;
    goalE = 100 - 200 * Rnd();
    driftX = 500 * Rnd() - 250;
    driftE = 50 * Rnd() - 25;
    driftY = 500 * Rnd() - 250;
    prevTarget = JobTarget;
    JobTarget = -1;
    const double h = s.r;
    if (JobFrame <= 24.5f) {
      goalX = static_cast<Single>(s.x + 2500 * std::cos(h - 2.14 + Rnd()));
      goalY = static_cast<Single>(s.y - 2500 * std::sin(h - 2.14 + Rnd()));
      const CShip* passed = liveOther(prevTarget);
      if (passed && isBigBody(*passed)) {
        goalX = static_cast<Single>(s.x + 7500 * std::cos(h - 2.14 + Rnd()));
        goalY = static_cast<Single>(s.y - 7500 * std::sin(h - 2.14 + Rnd()));
      }
      JobFrame = 30;
    } else {
      goalX = static_cast<Single>(s.x + 2500 * std::cos(h - 7 * Rnd()));
      goalY = static_cast<Single>(s.y - 2500 * std::sin(h - 7 * Rnd()));
      JobFrame = 10;
      evasive();
      Job = aiBreakAway;
    }
  }
  // 4. A target no longer hostile ends the attack.
  if (JobTarget >= 0 && !checkHostile(JobTarget)) JobFrame = 0;
}

void CAI::driftAction(Single turnGain, Single climbGain) {
  const double dt = FrameTime;
  goalX = static_cast<Single>(goalX + driftX * dt);
  goalE = static_cast<Single>(goalE + driftE * dt);
  goalY = static_cast<Single>(goalY + driftY * dt);
  SteeringGoal = -turnGain * flyTo(goalX, goalY);
  EleverGoal = climbGain * turnToward();
  keyThrust = true;
}

void CAI::reattackTail() {
  if (isNearGoal(500)) JobFrame = 0;
  doFireControl(liveOther(prevTarget) ? prevTarget : Integer{-1});
  if (JobFrame <= 0) {
    JobTarget = liveOther(prevTarget) ? prevTarget : Integer{-1};
    Job = aiAttack;
    JobFrame = engageTime <= 0 ? -1.0f : 25.0f;
  }
}

void CAI::escortAction() {
  CShip& s = *own();
  SteeringGoal = -5 * flyTo(goalX, goalY);
  EleverGoal = 5 * turnToward();
  findTarget();
  s.SecondaryTarget = JobTarget;
  JobTarget = 0;
  const Integer foe = s.SecondaryTarget;
  if (CShip* f = liveOther(foe)) {
    if (f->checkAIHostile(0) && escortTime < 4 && s.Armor > 10 && f->Armor > 0) keyPrimary = true;
  }
  if (!isNearGoal(1600)) {
    if (s.Speed < 50) keyThrust = true;
    if (coastTime > 0) coastTime = static_cast<Single>(coastTime - FrameTime);
    else keyThrust = true;
  } else if (s.Speed > 0) {
    keyBrake = true;
    settle(s, FrameTime);
  }
}

void CAI::shapeCommands() {
  CShip& s = *own();
  const double dt = FrameTime;
  // 20. Goal height: 20 per call toward GoalLever.
  if (isGoalLever) {
    if (std::fabs(s.e - GoalLever) >= 10) {
      if (s.e <= GoalLever) Elever = std::min(100.0f, Elever + 20);
      else Elever = std::max(-100.0f, Elever - 20);
    } else {
      isGoalLever = false;
    }
  }
  // 21. Turn and climb move toward their goals.
  if (Steering < SteeringGoal) {
    Steering = std::min(SteeringGoal, static_cast<Single>(Steering + (SteeringGoal - Steering + 50) * dt));
  } else if (Steering > SteeringGoal) {
    Steering = std::max(SteeringGoal, static_cast<Single>(Steering + (SteeringGoal - Steering - 50) * dt));
  }
  if (Elever < EleverGoal) Elever = std::min(EleverGoal, static_cast<Single>(Elever + 500 * dt));
  else if (Elever > EleverGoal) Elever = std::max(EleverGoal, static_cast<Single>(Elever - 500 * dt));
  Steering = std::clamp(Steering, -10.0f, 10.0f);
}
