#include "campaign/CMissionControl.h"

#include <algorithm>
#include <utility>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CTextureMonster.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"

std::shared_ptr<CMissionControl> MissionControl;

namespace {

void logMessage(const std::string& text) { addMessage(text, false); }

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Every occurrence of find in s becomes with; the search resumes after the inserted text.
std::string replaceAll(std::string s, const std::string& find, const std::string& with) {
  if (find.empty()) return s;
  for (size_t at = s.find(find); at != std::string::npos; at = s.find(find, at + with.size()))
    s.replace(at, find.size(), with);
  return s;
}

std::string landingName(const std::string& word) {
  static const std::pair<const char*, const char*> names[] = {
      {"ammo", "Ammo Depot"},       {"bank", "First Bank"},          {"gas", "Gas Blaster"},
      {"hut", "Pleasant Trading"},  {"mcontrol", "Mission Control"}, {"parts", "Planet Hardware"},
      {"dinner", "Amazing Buffet"}, {"ships", "Monster Shipyard"},   {"shopping", "Ultra-Shopper Mart"},
  };
  for (const auto& [w, n] : names)
    if (word == w) return n;
  return "Unknown";
}

std::string eraFolder() {
  const Integer era = World ? World->CurrentEra : 0;
  return "\\missions\\era" + std::to_string(era) + "\\";
}

bool nodeKnown(Integer node) { return World && node >= 0 && node <= World->getTotalNodes(); }

// The player's faction level for an alignment; alignments without a faction level (the map's
// above 5, "any") count as level 0.
Integer factionLevel(Long align) {
  if (!Player || align < 0 || align >= CPlayer::AlignSlots) return 0;
  return Player->getAlignLevel(static_cast<Integer>(align));
}

Long nodeAlign() { return CurMap ? CurMap->getWorldAlign() : 0; }

std::string portraitFor(Long align) {
  const float r = Rnd();
  static const char* const mixed[] = {"zom1", "zom2", "zom3", "zom4", "ninja", "ninja2", "ninja3", "chica"};
  static const char* const zombies[] = {"zom1", "zom2", "zom3", "zom4"};
  static const char* const ninjas[] = {"ninja", "ninja2", "ninja3", "chica"};
  auto pick = [r](const char* const* list, int n) { return std::string(list[std::min(n - 1, static_cast<int>(r * n))]); };
  switch (align) {
    case 0:
    case CMissionControl::AnyAlign: return pick(mixed, 8);
    case 1: return "ptero";
    case 2: return pick(zombies, 4);
    case 3: return pick(ninjas, 4);
    default: return "cyborg";
  }
}

}  // namespace

// ---- unlock list and headers ------------------------------------------------------------------

void CMissionControl::readUnlocks() {
  EraUnlocks.clear();
  const std::string path = "\\data\\unlocks.pnd";
  const char* const effect = "Missions of the later eras may stay locked";
  try {
    ItemReader in(path);
    while (!in.eof()) {
      EraUnlock u;
      u.era = in.readInteger();
      if (in.eof()) {
        tellDamagedFile(FileProblem{path, "the list ends after era " + std::to_string(u.era)}, effect);
        break;
      }
      u.mission = in.readString();
      EraUnlocks.push_back(u);
    }
  } catch (const std::exception& e) {
    tellDamagedFile(FileProblem::of(e, path), effect);  // the pairs before stay
  }
}

void CMissionControl::applyHeaderLine(MissionDef& def, const std::string& line, bool& randomSeen) {
  std::vector<std::string> f;
  size_t start = 0;
  for (;;) {
    const size_t sp = line.find(' ', start);
    f.push_back(line.substr(start, sp == std::string::npos ? std::string::npos : sp - start));
    if (sp == std::string::npos) break;
    start = sp + 1;
  }
  const std::string key = f.size() > 1 ? LCase(f[1]) : std::string();
  const std::string value = f.size() > 2 ? f[2] : std::string();
  std::string toEnd = value;
  for (size_t i = 3; i < f.size(); ++i) toEnd += " " + f[i];
  auto withDest = [&](const std::string& s) {
    if (!randomSeen || !nodeKnown(def.random)) return s;
    return replaceAll(s, "%dt", World->getNodeTitle(def.random));
  };

  if (key == "align") {
    if (value == "neutral") def.align = 0;
    else if (value == "ptero" || value == "dactyl" || value == "pterodactyl") def.align = 1;
    else if (value == "zombie") def.align = 2;
    else if (value == "ninja") def.align = 3;
    else if (value == "any") def.align = AnyAlign;
    else {
      logMessage("Unidentified alignment: " + value + " in mission " + def.file + ".");
      def.align = 0;
    }
  } else if (key == "owner") {
    def.owner = toEnd;
  } else if (key == "level") {
    // A fraction rounds half to even, as every stored Integer; a number beyond the range is held at its end.
    def.level = CInt(std::clamp(Val(value), -32768.0, 32767.0));
  } else if (key == "recyclable") {
    def.recyclable = value == "1";
  } else if (key == "name") {
    def.name = withDest(toEnd);
  } else if (key == "desc") {
    def.desc = withDest(toEnd);
  } else if (key == "prohibit") {
    def.prohibit = toEnd;
  } else if (key == "nolevup") {
    def.nolevup = true;
  } else if (key == "israndom") {
    randomSeen = true;
    Randomize();
    def.random = World ? World->FindRandomDestNode() : -1;
    if (def.random >= 0) def.landing = World->findRandomLanding(def.random);
  } else {
    logMessage("Unidentified #def: " + key + " in mission " + def.file + ".");
  }
}

void CMissionControl::readHeader(MissionDef& def) {
  const std::vector<std::string> lines = readLines(eraFolder() + def.file);
  bool randomSeen = false;
  for (const std::string& line : lines) {
    if (startsWith(line, "#phase")) break;
    if (startsWith(line, "#def")) applyHeaderLine(def, line, randomSeen);
  }
}

void CMissionControl::GetMissionDefs() {
  readUnlocks();
  MissionDefs.clear();
  const std::string folder = eraFolder();
  std::vector<std::string> files;
  try {
    files = listFiles(resolvePath(folder), "*.pnd");
  } catch (const VbError&) {
    logMessage("Missing mission folder: " + folder);
    return;
  }
  for (const std::string& name : files) {
    if (name.empty() || name[0] == '.') continue;  // hidden files are no missions
    MissionDef def;
    def.file = name;
    try {
      readHeader(def);
    } catch (const VbError& e) {
      logMessage("Error in mission " + name + ": " + e.what());
      continue;
    }
    MissionDefs.push_back(def);
  }
}

Integer CMissionControl::checkCurrentEra() {
  Integer era = 0;
  if (Player)
    for (const EraUnlock& u : EraUnlocks)
      if (u.era > era && Player->checkCompletedMission(u.mission + ".pnd")) era = u.era;
  if (World && Player) {
    World->CheckNodeMissionCompletes();
    // The status screen's count: the missions of the record, the tutorial's not counted. (The
    // record's upper bound, which the world map takes, counts one short of that for a campaign
    // that did not begin with the tutorial.)
    Integer done = 0;
    for (Integer i = 0; i <= Player->getMissionCompletes(); ++i) {
      const std::string name = Player->getMissionComplete(i);
      if (!name.empty() && name != TutorialFile) ++done;
    }
    World->MissionsCompleted = done;
  }
  return era;
}

// ---- the board ---------------------------------------------------------------------------------

void CMissionControl::SetNodeMissions() {
  if (Reading) return;
  const Long align = nodeAlign();
  const std::string here = World && World->CurrentNode >= 0 ? World->getCurrentPath() : std::string();
  NodeMissions.assign(1, NodeMission{});
  for (size_t i = 0; i < MissionDefs.size(); ++i) {
    const MissionDef& d = MissionDefs[i];
    if (d.align != align && d.align != AnyAlign) continue;
    if (factionLevel(align) < d.level) continue;
    if (!d.recyclable && Player && Player->checkMissionComplete(d.file)) continue;
    if (d.prohibit == here) continue;
    if (d.random == -1) continue;
    NodeMission m{static_cast<Integer>(i), d.owner.empty() ? portraitFor(d.align) : d.owner};
    if (NodeMissions.size() == 1 && NodeMissions[0].def == -1)
      NodeMissions[0] = m;
    else
      NodeMissions.push_back(m);
  }
  const size_t count = NodeMissions.size();
  for (size_t k = 0; k < count; ++k) {
    const size_t j = std::min(count - 1, static_cast<size_t>(CInt(Rnd() * static_cast<double>(count))));
    std::swap(NodeMissions[k], NodeMissions[j]);
  }
  auto levelOf = [this](const NodeMission& m) { return m.def < 0 ? Integer(0) : MissionDefs[m.def].level; };
  auto nolevup = [this](const NodeMission& m) { return m.def >= 0 && MissionDefs[m.def].nolevup; };
  for (size_t pass = 0; pass < count; ++pass)
    for (size_t i = 1; i < count; ++i) {
      const NodeMission &a = NodeMissions[i - 1], &b = NodeMissions[i];
      if (levelOf(b) > levelOf(a) || (nolevup(a) && !nolevup(b))) std::swap(NodeMissions[i - 1], NodeMissions[i]);
    }
  if (!TexMon) return;
  for (size_t k = 0; k < std::min<size_t>(3, count); ++k)
    if (NodeMissions[k].def >= 0)
      TexMon->forceReplace(ZomPortraitTex[k], "\\gfx\\portraits\\" + NodeMissions[k].portrait + ".bmp");
}

bool CMissionControl::IsNodeMission(Integer k) const {
  if (k < 0 || static_cast<size_t>(k) >= NodeMissions.size()) return false;
  if (NodeMissions.size() == 1) return NodeMissions[0].def != -1;
  return true;
}

const MissionDef* CMissionControl::defOf(Integer k) const {
  vbCheckIndex(k, 0, static_cast<long long>(NodeMissions.size()) - 1);
  const Integer d = NodeMissions[static_cast<size_t>(k)].def;
  if (d < 0 || static_cast<size_t>(d) >= MissionDefs.size()) vbRaise(vberr::Subscript);
  return &MissionDefs[static_cast<size_t>(d)];
}

std::string CMissionControl::getMissionName(Integer k) const { return defOf(k)->name; }
std::string CMissionControl::getMissionDesc(Integer k) const { return defOf(k)->desc; }
std::string CMissionControl::getMissionPath(Integer k) const { return defOf(k)->file; }
Integer CMissionControl::getMissionRandom(Integer k) const { return defOf(k)->random; }
std::string CMissionControl::getMissionLanding(Integer k) const { return defOf(k)->landing; }

// ---- loading and running -------------------------------------------------------------------------

void CMissionControl::LoadMission(const std::string& file, Integer node, const std::string& landing) {
  const std::string path = eraFolder() + file;
  for (CMissionPhase& p : Phases) p.Reset();
  CurPhase = -1;
  MapMission = node == -3;
  LoopReported = false;
  const size_t slash = file.find_last_of("\\/");
  LoadedName = slash == std::string::npos ? file : file.substr(slash + 1);

  // A script that cannot be read, or holds nothing for phase 0 (where every mission starts), is
  // reported (forced: the player is left flying with no mission) with its file; nothing runs.
  auto fail = [&](const std::string& why) {
    addMessage("Error in mission " + file + ": " + why + " (" + path + ")", true);
  };
  std::vector<std::string> lines;
  try {
    lines = readLines(path);
  } catch (const VbError& e) {
    fail(e.what());
    return;
  }
  Integer phase = -1;
  size_t phase0Lines = 0;
  for (const std::string& raw : lines) {
    if (startsWith(raw, "#phase ")) {
      const double n = Val(raw.substr(7));
      phase = n >= 0 && n < PhaseCount ? static_cast<Integer>(n) : -1;
      continue;
    }
    if (startsWith(raw, "#endphase")) {
      phase = -1;
      continue;
    }
    if (phase < 0 || raw.empty() || startsWith(raw, "//")) continue;
    std::string line = raw;
    if (node >= 0) {
      if (nodeKnown(node)) {
        line = replaceAll(line, "%dt", World->getNodeTitle(node));
        line = replaceAll(line, "%dp", World->getNodePath(node));
      }
      line = replaceAll(line, "%ln", landing);
      line = replaceAll(line, "%ld", landingName(landing));
    } else if (node == -3) {
      line = replaceAll(line, "%pn", landing);
    }
    Phases[static_cast<size_t>(phase)].AddLine(line);
    if (phase == 0) ++phase0Lines;
  }
  if (phase0Lines == 0) fail("no script lines in phase 0");
}

void CMissionControl::StartMission() {
  CurPhase = 0;
  LockedArea = false;
  if (World) World->setGoalPath("");
  Phases[0].StartRead();
  Reading = true;
}

void CMissionControl::doRead() {
  CMissionPhase* p = getRunningPhase();
  if (!p) {
    Reading = false;
    return;
  }
  p->doRead();
  if (p->GoalPhase >= 0) {
    const Integer goal = p->GoalPhase;
    if (goal >= PhaseCount) {
      logMessage("No such mission phase: " + std::to_string(goal));
      p->Reading = false;
      MissionFail();
      return;
    }
    const Single t = p->getTimeT();
    CurPhase = goal;
    p = &Phases[static_cast<size_t>(goal)];
    p->StartRead();
    p->setTimeT(t);
  }
  if (!p->Reading) Reading = false;
}

const MissionDef* CMissionControl::loadedDef() const {
  for (const MissionDef& d : MissionDefs)
    if (d.file == LoadedName) return &d;
  return nullptr;
}

void CMissionControl::MissionComplete() {
  MissionCompleteFrame = 4.0f;
  if (Player) {
    const MissionDef* d = MapMission ? nullptr : loadedDef();
    if (d && !d->nolevup) {
      // A mission for any alignment raises the level of the faction that offered it here.
      const Long align = d->align == AnyAlign ? nodeAlign() : d->align;
      if (align >= 0 && align < CPlayer::AlignSlots) Player->setAlignLevel(align, static_cast<Integer>(d->level + 1));
    }
    Player->addMissionComplete(LoadedName);
  }
  if (GameInterface) GameInterface->NeedMissionReinit = true;
  GetMissionDefs();
}

void CMissionControl::MissionFail() {
  MissionCompleteFrame = 14.0f;
  Reading = false;
  LockedArea = false;
}

void CMissionControl::EndWithGame() {
  Reading = false;
  MissionCompleteFrame = 0;
  LockedArea = false;
  for (CMissionPhase& p : Phases) p.Stop();
  CurPhase = -1;
  MapMission = false;
  LoadedName.clear();
  if (World) {
    World->setGoalPath("");
    World->GoalPathFrame = 0;
  }
}

void CMissionControl::PlayerShipLost() {
  if (Reading) MissionFail();
}

void CMissionControl::noteRunawayScript() {
  if (LoopReported) return;
  LoopReported = true;
  logMessage("infinite loop script danger!");
}

// ---- running-phase accessors ---------------------------------------------------------------------

CMissionPhase& CMissionControl::getPhase(Integer k) {
  vbCheckIndex(k, 0, PhaseCount - 1);
  return Phases[static_cast<size_t>(k)];
}

CMissionPhase* CMissionControl::getRunningPhase() {
  return CurPhase >= 0 && CurPhase < PhaseCount ? &Phases[static_cast<size_t>(CurPhase)] : nullptr;
}

const CMissionPhase* CMissionControl::getRunningPhase() const {
  return CurPhase >= 0 && CurPhase < PhaseCount ? &Phases[static_cast<size_t>(CurPhase)] : nullptr;
}

Single CMissionControl::getCurrentWait() const {
  const CMissionPhase* p = getRunningPhase();
  return p ? p->Waiting : 0.0f;
}

void CMissionControl::setCurrentWait(Single t) {
  if (CMissionPhase* p = getRunningPhase()) p->Waiting = t;
}

void CMissionControl::zeroWaiting() {
  CMissionPhase* p = getRunningPhase();
  if (p && p->Waiting > 0.1f) p->Waiting = 0.1f;
}

void CMissionControl::setTag(const std::string& name) {
  if (CMissionPhase* p = getRunningPhase()) p->setFlag(name);
}

std::string CMissionControl::getTimeLimit() const {
  const CMissionPhase* p = getRunningPhase();
  return p ? p->getTimeLimit() : std::string();
}

Long CMissionControl::getLinkedLanding() const {
  const CMissionPhase* p = getRunningPhase();
  return p ? p->GoalLand : -1;
}

void CMissionControl::forceGotoGoal() {
  CMissionPhase* p = getRunningPhase();
  if (!p) return;
  p->forceGotoGoal();
  p->GoalLand = -1;
}

std::string CMissionControl::getDirective() const {
  const CMissionPhase* p = getRunningPhase();
  return p ? p->currentDirective : std::string();
}

Single CMissionControl::getDirectiveFrame() const {
  const CMissionPhase* p = getRunningPhase();
  return Reading && p ? p->directiveFrame : 0.0f;
}

void CMissionControl::endDirective() {
  if (CMissionPhase* p = getRunningPhase()) p->directiveFrame = 0;
}
