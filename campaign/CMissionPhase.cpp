#include "campaign/CMissionPhase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Strings.h"
#include "ships/CShip.h"

namespace {

// Command codes (the numbers scripts compile to).
enum Cmd : Long {
  cWait = 0, cPass, cFail, cSpawn, cDir, cTag, cGoto, cPrint, cGotoPhase, cIfTrueGoto, cIfFalseGoto, cIfPathGoto,
  cPopup, cLinkLanding, cTimeLim, cPayMe, cKillTimer, cClearOut, cLock, cUnlock, cMakeHostile, cMakeFriendly,
  cIfPathNotGoto, cAutoEvac, cUnclear, cForceFriend, cSpawnXY, cSpecialGift, cTimerLink, cExplodeWarp,
  cMakeMeBlarg, cTotalHeal, cSpawnUp, cForceEvac, cMakeMotama, cMakeIshuo, cPopFoc, cRollCredits,
  cIfEquippedGoto, cIfSecondaryGoto, cIfPlunderGoto, cIfHasDestGoto, cIfHasRscGoto = 43, cIfHasNoRscGoto,
  cIfHasCapitalGoto, cIfHasNotCapitalGoto
};

// How a command's fields become its arguments.
enum Pattern { pRest, pNone, pF1, pF2, pPopup, pSpawn, pSpawnXY, pPopFoc };

struct Keyword {
  const char* word;
  Long code;
  Pattern pattern;
};

constexpr Keyword Keywords[] = {
    {"wait", cWait, pRest},                 {"pass", cPass, pNone},
    {"fail", cFail, pNone},                 {"spawn", cSpawn, pSpawn},
    {"dir", cDir, pRest},                   {"tag", cTag, pRest},
    {"*", cTag, pRest},                     {"goto", cGoto, pRest},
    {"print", cPrint, pRest},               {"gotophase", cGotoPhase, pRest},
    {"iftruegoto", cIfTrueGoto, pF2},       {"iffalsegoto", cIfFalseGoto, pF2},
    {"ifpathgoto", cIfPathGoto, pF2},       {"popup", cPopup, pPopup},
    {"linklanding", cLinkLanding, pF2},     {"timelim", cTimeLim, pF1},
    {"payme", cPayMe, pRest},               {"killtimer", cKillTimer, pNone},
    {"clearout", cClearOut, pNone},         {"lock", cLock, pNone},
    {"unlock", cUnlock, pNone},             {"makehostile", cMakeHostile, pRest},
    {"makefriendly", cMakeFriendly, pRest}, {"ifpathnotgoto", cIfPathNotGoto, pF2},
    {"autoevac", cAutoEvac, pRest},         {"unclear", cUnclear, pNone},
    {"forcefriend", cForceFriend, pRest},   {"spawnxy", cSpawnXY, pSpawnXY},
    {"specialgift", cSpecialGift, pF2},     {"timerlink", cTimerLink, pF2},
    {"explodewarp", cExplodeWarp, pNone},   {"makemeblarg", cMakeMeBlarg, pRest},
    {"totalheal", cTotalHeal, pRest},       {"spawnup", cSpawnUp, pSpawnXY},
    {"forceevac", cForceEvac, pRest},       {"makemotama", cMakeMotama, pRest},
    {"makeishuo", cMakeIshuo, pRest},       {"popfoc", cPopFoc, pPopFoc},
    {"rollcredits", cRollCredits, pNone},   {"ifequippedgoto", cIfEquippedGoto, pF1},
    {"ifsecondarygoto", cIfSecondaryGoto, pF1}, {"ifplundergoto", cIfPlunderGoto, pF1},
    {"ifhasdestgoto", cIfHasDestGoto, pF1}, {"ifhasrscgoto", cIfHasRscGoto, pF1},
    {"ifhasnorscgoto", cIfHasNoRscGoto, pF1}, {"ifhascapitalgoto", cIfHasCapitalGoto, pF1},
    {"ifhasnotcapitalgoto", cIfHasNotCapitalGoto, pF1},
};

struct Landing {
  const char* word;
  Long type;
};

constexpr Landing Landings[] = {
    {"hardware", 0},   {"planethardware", 0}, {"parts", 0},       {"restaurant", 1},     {"rest", 1},
    {"dinner", 1},     {"gas", 4},            {"gasblaster", 4},  {"ships", 5},          {"shipyard", 5},
    {"shopping", 6},   {"shoppermart", 6},    {"ultramart", 6},   {"mart", 6},           {"ammo", 7},
    {"ammodepot", 7},  {"hut", 8},            {"trading", 8},     {"bank", 9},           {"firstbank", 9},
    {"missioncontrol", 10}, {"mcontrol", 10}, {"control", 10},
};

constexpr int LoopGuard = 1000;
constexpr Long CapitalBody = 3;

std::string trimBlanks(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return s.substr(a, b - a);
}

// Field k (1-based) of the comma-separated remainder, "" when there is none; toEnd keeps the
// commas of the fields after it.
std::string field(const std::vector<std::string>& fields, size_t k, bool toEnd = false) {
  if (k == 0 || k > fields.size()) return "";
  if (!toEnd) return fields[k - 1];
  std::string s = fields[k - 1];
  for (size_t i = k; i < fields.size(); ++i) s += "," + fields[i];
  return s;
}

std::vector<std::string> splitFields(const std::string& rest) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t comma = rest.find(',', start);
    out.push_back(rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

std::string unitField(const std::string& raw) {
  std::string u = Trim(raw);
  return LCase(u) == "null" ? std::string() : u;
}

CShip* shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}

CShip* playerShip() { return shipAt(0); }

// A script number: the leading-number rule, limited to what a Single holds.
Single number(const std::string& s) {
  const double v = Val(s);
  const double lim = std::numeric_limits<Single>::max();
  return static_cast<Single>(std::clamp(v, -lim, lim));
}

void logMessage(const std::string& text) { addMessage(text, false); }

}  // namespace

CMissionPhase::CMissionPhase() { Lines.push_back(ScriptLine{0, {}}); }

Long CMissionPhase::landingType(const std::string& word) {
  for (const Landing& l : Landings)
    if (word == l.word) return l.type;
  return -1;
}

Integer CMissionPhase::findShip(const std::string& tag) {
  const std::string want = LCase(tag);
  Integer found = -1;
  for (size_t i = 0; i < Ships.size(); ++i) {
    const CShip* s = Ships[i].get();
    if (s && s->Exists && LCase(s->getTag()) == want) found = static_cast<Integer>(i);
  }
  return found;
}

void CMissionPhase::AddLine(const std::string& text) {
  std::string line = trimBlanks(text);
  if (line.empty()) return;
  const size_t space = line.find(' ');
  const std::string word = line.substr(0, space);
  const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
  const Keyword* kw = nullptr;
  for (const Keyword& k : Keywords)
    if (word == k.word) kw = &k;
  if (!kw) return;

  ScriptLine sl;
  sl.code = kw->code;
  const std::vector<std::string> f = splitFields(rest);
  auto& a = sl.args;
  switch (kw->pattern) {
    case pRest: a[0] = rest; break;
    case pNone: break;
    case pF1: a[0] = field(f, 1); break;
    case pF2: a[0] = field(f, 1); a[1] = Trim(field(f, 2)); break;
    case pPopup: a[0] = field(f, 1); a[1] = Trim(field(f, 2, true)); break;
    case pSpawn: a[0] = field(f, 1); a[1] = unitField(field(f, 2)); a[2] = Trim(field(f, 3)); break;
    case pSpawnXY:
      // x from field 3 and y from field 4; a line without a fourth field places the ship at y = x.
      a[0] = field(f, 1);
      a[1] = unitField(field(f, 2));
      a[2] = Trim(field(f, 3));
      a[3] = f.size() >= 4 ? Trim(field(f, 4)) : a[2];
      break;
    case pPopFoc: a[0] = field(f, 1); a[1] = field(f, 2); a[2] = Trim(field(f, 3, true)); break;
  }
  if (Lines.size() == 1 && Lines[0].code == -1)
    Lines[0] = sl;
  else
    Lines.push_back(sl);
}

void CMissionPhase::Reset() {
  Lines.assign(1, ScriptLine{});
}

void CMissionPhase::StartRead() {
  Reading = true;
  LineIndex = 0;
  GoalPhase = -1;
  Flags.assign(1, std::string());
  currentDirective.clear();
  directiveFrame = 0;
  Waiting = 1.0f;
  GoalLand = -1;
  GoalTag.clear();
  TimeT = -1;
}

void CMissionPhase::Stop() {
  Reset();
  StartRead();
  Reading = false;
  Waiting = 0;
  TimerTag.clear();
}

void CMissionPhase::setFlag(const std::string& name) {
  if (hasFlag(name)) return;
  if (Flags.size() == 1 && Flags[0].empty())
    Flags[0] = name;
  else
    Flags.push_back(name);
}

bool CMissionPhase::hasFlag(const std::string& name) const {
  return std::find(Flags.begin(), Flags.end(), name) != Flags.end();
}

Integer CMissionPhase::findTag(const std::string& name) const {
  for (size_t i = 0; i < Lines.size(); ++i)
    if (Lines[i].code == cTag && Lines[i].args[0] == name) return static_cast<Integer>(i);
  return -1;
}

void CMissionPhase::gotoTag(const std::string& name) {
  const Integer at = findTag(name);
  if (at < 0)
    logMessage("can't find tag: " + name);
  else
    LineIndex = at;
}

void CMissionPhase::forceGotoGoal() {
  const Integer at = findTag(GoalTag);
  if (at < 0)
    logMessage("can't find tag: " + GoalTag);
  else
    LineIndex = static_cast<Integer>(at + 1);
}

bool CMissionPhase::timeLimitRed(Single t) {
  const double v = std::max(0.0, static_cast<double>(t));
  return v < 10 && v - Int(v) < 0.2;
}

std::string CMissionPhase::getTimeLimit() const {
  if (TimeT <= -1) return "";
  const double t = std::max(0.0, static_cast<double>(TimeT));
  const long whole = static_cast<long>(Int(t));
  const double frac = t - static_cast<double>(whole);
  if (GameText) {
    if (timeLimitRed(TimeT))
      GameText->setColor(255, 0, 0);
    else
      GameText->setColor(255, 255, 255);
  }
  const long hundredths = std::min(99L, static_cast<long>(Int(frac * 100 + 1e-4)));
  char buf[48];
  std::snprintf(buf, sizeof buf, "%ld:%02ld.%02ld", whole / 60, whole % 60, hundredths);
  return buf;
}

void CMissionPhase::doRead() {
  const double ft = GamePaused ? 0.0 : FrameTime;
  // 1. The time limit.
  if (TimeT > 0) {
    TimeT = static_cast<Single>(TimeT - ft);
    if (TimeT <= 0) {
      TimeT = -1;
      if (!TimerTag.empty()) {
        gotoTag(TimerTag);
      } else {
        Reading = false;
        if (MissionControl) MissionControl->MissionFail();
        return;
      }
    }
  }
  // 2. The directive timer.
  if (directiveFrame > 0) directiveFrame = std::max(0.0f, static_cast<Single>(directiveFrame - ft));
  // 3. The wait, then lines until one yields.
  if (Waiting > 0) {
    Waiting = static_cast<Single>(Waiting - ft);
    return;
  }
  int count = 0;
  for (;;) {
    bool last = false;
    if (++count > LoopGuard) {
      if (MissionControl)
        MissionControl->noteRunawayScript();
      else
        logMessage("infinite loop script danger!");
      last = true;
    }
    if (LineIndex < 0 || LineIndex >= static_cast<Integer>(Lines.size())) {
      Reading = false;
      return;
    }
    const ScriptLine line = Lines[static_cast<size_t>(LineIndex)];
    bool yields = false;
    try {
      yields = runLine(line);
    } catch (...) {
      // A line that fails has still run: the next frame goes on after it, and the error reaches
      // the caller's trap once.
      ++LineIndex;
      throw;
    }
    ++LineIndex;
    if (yields || !Reading || last) return;
  }
}

void CMissionPhase::setSpecialGift(const std::string& tag, const std::string& goalTag) {
  GoalTag = goalTag;
  if (CShip* s = shipAt(findShip(tag)))
    s->tractorGift = goalTag;
  else
    logMessage("special tractor fail: " + tag);
}

void CMissionPhase::setAutoEvac(const std::string& tag) {
  if (CShip* s = shipAt(findShip(tag))) s->autoEvac = 1;
}

void CMissionPhase::setForceEvac(const std::string& tag) {
  if (CShip* s = shipAt(findShip(tag)))
    s->ForceEvac();
  else
    logMessage("can't force evac!");
}

void CMissionPhase::setForceFriend(const std::string& tag) {
  if (CShip* s = shipAt(findShip(tag))) s->ForceFriend = true;
}

void CMissionPhase::setHostile(const std::string& tag, bool hostile) {
  if (CShip* s = shipAt(findShip(tag))) s->setAIHostile(0, hostile);
}

void CMissionPhase::setBlarg(const std::string& tag, bool on) {
  if (CShip* s = shipAt(findShip(tag))) s->IAmBlarg = on;
}

bool CMissionPhase::runLine(const ScriptLine& line) {
  const auto& a = line.args;
  auto jumpIf = [&](bool cond, const std::string& tag) {
    if (cond) gotoTag(tag);
  };
  // CMap::MissionSpawn takes (unit, tag, x, z, h); scripts give the tag first, then the unit.
  auto spawn = [&](Single x, Single y, Single h) {
    if (CurMap) CurMap->MissionSpawn(a[1], a[0], x, y, h);
  };
  CShip* me = playerShip();
  switch (line.code) {
    case cWait: Waiting = number(a[0]); return true;
    case cPass:
      Reading = false;
      if (MissionControl) MissionControl->MissionComplete();
      return true;
    case cFail:
      Reading = false;
      if (MissionControl) MissionControl->MissionFail();
      return true;
    case cSpawn: spawn(0, 0, number(a[2])); break;
    case cDir:
      currentDirective = a[0];
      directiveFrame = 5.0f;
      break;
    case cTag: break;
    case cGoto: gotoTag(a[0]); break;
    case cPrint: logMessage(a[0]); break;
    case cGotoPhase: {
      const double p = Val(a[0]);
      // A number past the Integer range names no phase, like any other outside 0..7.
      GoalPhase = (p > -1000 && p < 1000) ? static_cast<Integer>(CInt(p)) : static_cast<Integer>(999);
      return true;
    }
    case cIfTrueGoto: jumpIf(hasFlag(a[0]), a[1]); break;
    case cIfFalseGoto: jumpIf(!hasFlag(a[0]), a[1]); break;
    case cIfPathGoto:
      if (World) {
        World->setGoalPath(a[0]);
        if (World->CurrentNode >= 0 && World->getCurrentPath() == a[0]) {
          gotoTag(a[1]);
          World->setGoalPath("");
        }
      }
      break;
    case cIfPathNotGoto:
      jumpIf(!World || World->CurrentNode < 0 || World->getCurrentPath() != a[0], a[1]);
      break;
    case cPopup:
    case cPopFoc: {
      const std::string& text = line.code == cPopup ? a[1] : a[2];
      Waiting = GameInterface ? GameInterface->MakeTalkBox(a[0], text, false, true) : 0.0f;
      if (line.code == cPopFoc) {
        const std::string tag = Trim(a[1]);
        const Integer focus = findShip(tag);
        if (GameInterface) GameInterface->PopFocID = focus;
        if (focus < 0) logMessage("Can't find popup focus: " + tag);
      }
      return true;
    }
    case cLinkLanding: {
      const std::string word = LCase(a[0]);
      GoalLand = landingType(word);
      if (GoalLand < 0)
        logMessage("Unrecognized struct: " + word);
      else
        GoalTag = a[1];
      break;
    }
    case cTimeLim:
      TimeT = number(a[0]);
      TimerTag.clear();
      break;
    case cTimerLink:
      TimeT = number(a[0]);
      TimerTag = a[1];
      break;
    case cPayMe:
      if (Player) {
        // The sum is held to the range of the cash; an amount past it cannot wrap around.
        const double sum = static_cast<double>(Player->Cash) + std::nearbyint(Val(a[0]))  /* halves to even */;
        Player->Cash = static_cast<Long>(std::clamp(sum, static_cast<double>(std::numeric_limits<Long>::min()),
                                                    static_cast<double>(std::numeric_limits<Long>::max())));
      }
      break;
    case cKillTimer: TimeT = -1; break;
    case cClearOut: SceneEvent = 4; break;
    case cUnclear: SceneEvent = 0; break;
    case cLock:
      if (MissionControl) MissionControl->LockedArea = true;
      break;
    case cUnlock:
      if (MissionControl) MissionControl->LockedArea = false;
      break;
    case cMakeHostile: setHostile(a[0], true); break;
    case cMakeFriendly: setHostile(a[0], false); break;
    case cAutoEvac: setAutoEvac(a[0]); break;
    case cForceFriend: setForceFriend(a[0]); break;
    case cSpawnXY: spawn(number(a[2]), number(a[3]), -1); break;
    case cSpawnUp: spawn(number(a[2]), number(a[3]), 101); break;
    case cSpecialGift: setSpecialGift(a[0], a[1]); break;
    case cExplodeWarp:
      if (me) me->ExplodingWarp = true;
      break;
    case cMakeMeBlarg: setBlarg(a[0], true); break;
    case cTotalHeal:
      if (CShip* s = shipAt(findShip(a[0]))) {
        s->Armor = static_cast<Single>(s->getMaxArmor());
        s->Shields = static_cast<Single>(s->getMaxShields());
      }
      break;
    case cForceEvac: setForceEvac(a[0]); break;
    case cMakeMotama:
      if (CShip* s = shipAt(findShip(a[0]))) {
        if (!s->IsMotama) {
          s->IsMotama = true;
        } else {
          s->IsMotama = false;
          s->IsRedMotama = true;
        }
      }
      break;
    case cMakeIshuo:
      if (CShip* s = shipAt(findShip(a[0]))) s->IsIshuo = true;
      break;
    case cRollCredits:
      if (GameInterface) GameInterface->doCredits();
      break;
    case cIfEquippedGoto: jumpIf(me && me->getMount(0) != -1 && me->getMount(1) != -1, a[0]); break;
    case cIfSecondaryGoto: jumpIf(me && me->getSecondaryAmmo(0) >= 1, a[0]); break;
    case cIfPlunderGoto: jumpIf(GameInterface && GameInterface->Window == msPlunder, a[0]); break;
    case cIfHasDestGoto: jumpIf(World && World->DestNode >= 0, a[0]); break;
    case cIfHasRscGoto: jumpIf(Player && Player->getRscNotEmpty(), a[0]); break;
    case cIfHasNoRscGoto: jumpIf(Player && !Player->getRscNotEmpty(), a[0]); break;
    case cIfHasCapitalGoto: jumpIf(me && me->getShipBody() == CapitalBody, a[0]); break;
    case cIfHasNotCapitalGoto: jumpIf(!me || me->getShipBody() != CapitalBody, a[0]); break;
    default: break;
  }
  return false;
}
