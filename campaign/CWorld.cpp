#include "campaign/CWorld.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "levels/CMap.h"
#include "runtime/ItemFile.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

std::shared_ptr<CWorld> World;

namespace {
constexpr Integer MapSkySectors = 12;
constexpr Integer MapStructSlots = 32;

// The structure-definition index of each of the 32 slots of a map file "\maps\" + path + ".pnd"
// (title; fog, weather, effects; 12 sky sectors of 5 items; then per slot x, y, z, definition,
// link). VbError 53 for a missing file, 62 for a short one, 13 for a word where a number stands.
std::array<Integer, MapStructSlots> readStructDefs(const std::string& path) {
  const std::string file = "\\maps\\" + path + ".pnd";
  std::array<Integer, MapStructSlots> defs{};
  try {
    ItemReader in(file);
    in.readString();
    for (int k = 0; k < 3; ++k) in.readNumber();
    for (Integer s = 0; s < MapSkySectors; ++s) {
      in.readNumber();
      in.readNumber();
      in.readString();
      in.readNumber();
      in.readNumber();
    }
    for (Integer& d : defs) {
      for (int k = 0; k < 3; ++k) in.readNumber();
      d = in.readInteger();
      in.readInteger();
    }
  } catch (const std::exception& e) {
    const auto* vb = dynamic_cast<const VbError*>(&e);
    throw VbError(vb ? vb->number() : vberr::InvalidCall, std::string(e.what()) + " (" + file + ")");
  }
  return defs;
}

// Service flag (StructType) of a structure-definition index, -1 none.
Integer serviceOfDef(Integer def) {
  switch (def) {
    case 0: return 0;    // Parts
    case 1: return 1;    // Restaurant
    case 7: return 4;    // Gas
    case 10: return 5;   // Ships
    case 11:
    case 12: return 6;   // Shopping
    case 13: return 7;   // Ammo
    case 16: return 9;   // Bank
    case 17: return 10;  // MControl
    default: return -1;
  }
}

// A Single as its shortest text that reads back to the same Single (512, 37.5, 0.1).
double singleItem(Single v) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::strtod(std::string(buf, res.ptr).c_str(), nullptr);
}
}  // namespace

// ---- world file ----------------------------------------------------------------------------

void CWorld::Load() {
  const std::string path = "\\maps\\" + WorldName + ".pnd";
  std::vector<WorldNode> table;
  try {
    ItemReader in(path);
    in.readString();  // head, not compared
    while (true) {
      const std::string title = in.readString();
      if (title == "eof") break;
      if (table.size() >= 32767) throw VbError(vberr::Overflow, "Overflow: more nodes than the table holds");
      WorldNode n;
      if (table.empty()) n = Nodes[0];  // slot 0 keeps what the file does not store
      n.Title = title;
      n.Path = in.readString();
      n.X = in.readSingle();
      n.Y = in.readSingle();
      n.Align = in.readLong();
      n.Desc = in.readString();
      n.Icon = in.readInteger();
      n.Level = in.readInteger();
      n.LinkCount = in.readInteger();
      for (Integer& link : n.Links) link = in.readInteger();
      for (bool& gray : n.EraGray) gray = in.readBool();
      n.WorldType = in.readLong();
      n.MissionDone = 0;
      if (n.LinkCount < 0 || n.LinkCount > static_cast<Integer>(n.Links.size()))
        throw VbError(vberr::Subscript,
                      "Subscript out of range: node \"" + title + "\" has " + CStr(n.LinkCount) + " links");
      table.push_back(n);
    }
    // A used link must name a node of the file.
    for (const WorldNode& n : table)
      for (Integer k = 0; k < n.LinkCount; ++k)
        if (n.Links[k] < 0 || n.Links[k] >= static_cast<Integer>(table.size()))
          throw VbError(vberr::Subscript,
                        "Subscript out of range: node \"" + n.Title + "\" links to node " + CStr(n.Links[k]));
  } catch (const std::exception& e) {
    const auto* vb = dynamic_cast<const VbError*>(&e);
    throw VbError(vb ? vb->number() : vberr::InvalidCall, std::string(e.what()) + " (" + path + ")");
  }
  const Integer count = static_cast<Integer>(table.size());
  if (table.empty()) table.push_back(Nodes[0]);  // the table always holds slot 0
  Nodes = std::move(table);
  LastNode = static_cast<Integer>(count - 1);
  InitTraders();
}

void CWorld::Save() const {
  ItemWriter out("\\maps\\" + WorldName + ".pnd");
  out.writeString("World!").endLine();
  for (const WorldNode& n : Nodes) {
    out.writeString(n.Title).endLine();
    out.writeString(n.Path).endLine();
    out.writeNumber(singleItem(n.X)).writeNumber(singleItem(n.Y)).endLine();
    out.writeNumber(n.Align).endLine();
    out.writeString(n.Desc).endLine();
    out.writeNumber(n.Icon).writeNumber(n.Level).writeNumber(n.LinkCount).endLine();
    for (Integer link : n.Links) out.writeNumber(link).endLine();
    for (bool gray : n.EraGray) out.writeBool(gray).endLine();
    out.writeNumber(n.WorldType).endLine();
  }
  out.writeString("eof").endLine();
  out.commit();
}

void CWorld::Init(Single width, Single height) {
  w = width;
  h = height;
  Selected = -1;
  DragNode = -1;
  RouteLast = -1;
}

// ---- nodes ---------------------------------------------------------------------------------

const WorldNode& CWorld::node(Integer i) const {
  vbCheckIndex(i, 0, LastNode);
  return Nodes[i];
}

WorldNode& CWorld::node(Integer i) {
  vbCheckIndex(i, 0, LastNode);
  return Nodes[i];
}

Integer CWorld::AddNode(const std::string& title, const std::string& path, Single x, Single y,
                        const std::string& desc, Integer icon, Long align, Integer level) {
  Integer slot = -1;
  for (Integer i = 0; i <= LastNode && slot < 0; ++i)
    if (Nodes[i].Title.empty()) slot = i;
  if (slot < 0) {
    if (LastNode >= 32766) vbRaise(vberr::Overflow);
    slot = static_cast<Integer>(LastNode + 1);
    LastNode = slot;
    if (static_cast<size_t>(slot) >= Nodes.size()) Nodes.resize(slot + 1);
  }
  WorldNode& n = Nodes[slot];
  n.Title = title;
  n.Path = path;
  n.X = x;
  n.Y = y;
  n.Desc = desc;
  n.Icon = icon;
  n.Align = align;
  n.Level = level;
  n.Visible = 0;
  n.WorldType = 2;
  return slot;
}

void CWorld::setNode(Integer i, const std::string& title, const std::string& path, const std::string& desc,
                     Integer icon, Long align, Integer level, Long worldType) {
  WorldNode& n = node(i);
  n.Title = title;
  n.Path = path;
  n.Desc = desc;
  n.Icon = icon;
  n.Align = align;
  n.Level = level;
  n.WorldType = worldType;
}

void CWorld::ClearLinks(Integer i) {
  node(i).LinkCount = 0;
}

void CWorld::AddNodeLink(Integer target) {
  if (Selected < 0) return;
  WorldNode& n = node(Selected);
  if (n.LinkCount < static_cast<Integer>(n.Links.size())) n.Links[n.LinkCount++] = target;
}

void CWorld::ClearNodeLinks() {
  if (Selected < 0) return;
  WorldNode& n = node(Selected);
  n.Links.fill(0);
  n.LinkCount = 0;
}

void CWorld::setEraGray(Integer i, Integer era, Integer flag) {
  vbCheckIndex(era, 0, Eras - 1);
  node(i).EraGray[era] = flag >= 1;
}

bool CWorld::getEraGray(Integer i, Integer era) const {
  vbCheckIndex(era, 0, Eras - 1);
  return node(i).EraGray[era];
}

std::string CWorld::getNodeTitle(Integer n) const { return node(n).Title; }
std::string CWorld::getNodePath(Integer n) const { return node(n).Path; }
Single CWorld::getNodeX(Integer n) const { return node(n).X; }
Single CWorld::getNodeY(Integer n) const { return node(n).Y; }
std::string CWorld::getNodeDesc(Integer n) const { return node(n).Desc; }
Long CWorld::getNodeAlign(Integer n) const { return node(n).Align; }
Integer CWorld::getNodeIcon(Integer n) const { return node(n).Icon; }
Integer CWorld::getNodeLevel(Integer n) const { return node(n).Level; }
Integer CWorld::getNodeMission(Integer n) const { return node(n).MissionDone; }
Long CWorld::getNodeWorldType(Integer n) const { return node(n).WorldType; }
Integer CWorld::getNodeVisible(Integer n) const { return node(n).Visible; }
Integer CWorld::getNodeDark(Integer n) const { return node(n).Dark; }
Integer CWorld::getNodeLinkCount(Integer n) const { return node(n).LinkCount; }
Integer CWorld::getNodeLink(Integer n, Integer k) const { return vbAt(node(n).Links, k); }
Long CWorld::getNodeLastHostile(Integer n) const { return node(n).LastHostile; }
void CWorld::setNodeLastHostile(Integer n, Long value) { node(n).LastHostile = value; }

void CWorld::ClearLastHostiles() {
  for (WorldNode& n : Nodes) n.LastHostile = 0;
}

Integer CWorld::getNodeFromPath(const std::string& path) const {
  const std::string p = LCase(path);
  for (Integer i = 0; i <= LastNode; ++i)
    if (LCase(Nodes[i].Path) == p) return i;
  return 0;
}

void CWorld::setCurrentNodeByPath(const std::string& path) {
  for (Integer i = 0; i <= LastNode; ++i)
    if (Nodes[i].Path == path) CurrentNode = i;
}

std::string CWorld::getCurrentPath() const {
  return getNodePath(CurrentNode);
}

// ---- entering a node's map ---------------------------------------------------------------

FileProblem CWorld::nodeMapProblem(Integer n) const {
  const std::string worldFile = "\\maps\\" + WorldName + ".pnd";
  if (n < 0 || n > LastNode) return FileProblem{worldFile, "no node " + std::to_string(n + 1)};
  if (Nodes[n].Path.empty()) return FileProblem{worldFile, "node " + std::to_string(n + 1) + " names no map"};
  FileProblem problem;
  CMap::checkMapFile(Nodes[n].Path, &problem);
  return problem;
}

bool CWorld::EnterNode(Integer n, FileProblem* problem) {
  FileProblem why;
  if (n < 0 || n > LastNode || Nodes[n].Path.empty() || !CurMap) {
    why = nodeMapProblem(n);
  } else {
    CurMap->MapName = Nodes[n].Path;
    if (CurMap->Load(&why)) {
      CurrentNode = n;
      return true;
    }
  }
  if (problem) *problem = why;
  return false;
}

std::string CWorld::cannotEnter(Integer n) const {
  const bool titled = n >= 0 && n <= LastNode && !Nodes[n].Title.empty();
  return (titled ? Nodes[n].Title : "Node " + std::to_string(n + 1)) + " cannot be entered";
}

Double CWorld::getLocaleDist(Integer n) const {
  const WorldNode& a = node(CurrentNode);
  const WorldNode& b = node(n);
  return getDist(a.X, a.Y, b.X, b.Y);
}

// ---- travel --------------------------------------------------------------------------------

bool CWorld::isLinkOpen(Integer a, Integer b) const {
  if (a < 0) return false;
  const WorldNode& from = node(a);
  const WorldNode& to = node(b);
  bool linked = false;
  for (Integer k = 0; k < from.LinkCount && !linked; ++k) linked = from.Links[k] == b;
  for (Integer k = 0; k < to.LinkCount && !linked; ++k) linked = to.Links[k] == a;
  if (!linked) return false;
  return !(CurrentEra >= 0 && CurrentEra < Eras && to.EraGray[CurrentEra]);
}

void CWorld::PickNode(Integer n) {
  if (n == CurrentNode) {
    DestNode = -1;
    RouteLast = -1;
    HiLiteNode = CurrentNode;
  } else if (isLinkOpen(CurrentNode, n)) {
    DestNode = n;
    HiLiteNode = n;
    Route[0] = n;
    RouteLast = 0;
  }
  extendRoute(n);
  if (RouteLast > -1) HiLiteNode = Route[RouteLast];
}

void CWorld::extendRoute(Integer n) {
  if (RouteLast < 0 || n == CurrentNode) return;
  for (Integer i = 0; i <= RouteLast; ++i)
    if (Route[i] == n) {
      RouteLast = i;
      return;
    }
  if (RouteLast < RouteSlots - 1 && isLinkOpen(Route[RouteLast], n)) Route[++RouteLast] = n;
}

void CWorld::NextNode() {
  CurrentNode = DestNode;
  DestNode = -1;
  if (RouteLast > 0) {
    for (Integer i = 0; i < RouteSlots - 1; ++i) Route[i] = Route[i + 1];
    DestNode = Route[0];
    --RouteLast;
  }
}

void CWorld::ClearDest() {
  DestNode = -1;
  RouteLast = -1;
  HiLiteNode = -1;
  Selected = CurrentNode;
}

Integer CWorld::getRouteNode(Integer k) const {
  return vbAt(Route, k);
}

Single CWorld::getTravelDir() const {
  if (CurrentNode < 0 || DestNode < 0) return 0;
  const WorldNode& a = node(CurrentNode);
  const WorldNode& b = node(DestNode);
  return getAngle(a.X, a.Y, b.X, b.Y);
}

Integer CWorld::FindRandomCanReach() const {
  std::vector<Integer> open;
  for (Integer n = 0; n <= LastNode; ++n)
    if (isLinkOpen(CurrentNode, n)) open.push_back(n);
  if (open.empty()) return -1;
  const Integer m = static_cast<Integer>(open.size() - 1);
  Integer k = CInt(Rnd() * (m + 0.9));
  if (k > m) k = m;
  return open[k];
}

Integer CWorld::FindRandomDestNode() {
  Randomize();
  const Integer start = CurrentNode;
  // CurrentNode walks with the search and comes back to the start however the walk ends.
  struct Restore {
    Integer& node;
    Integer value;
    ~Restore() { node = value; }
  } restore{CurrentNode, start};
  Integer result = -1;
  for (int step = 0; step < 10; ++step) {
    const Integer next = FindRandomCanReach();
    if (next < 0) return -1;
    CurrentNode = next;
    if (next == start) continue;
    // A node whose map cannot be read is no destination (logged once; told if it is entered).
    try {
      ReadNodeServices(next);
    } catch (const std::exception& e) {
      logDamagedFile(FileProblem::of(e, "\\maps\\" + node(next).Path + ".pnd"), cannotEnter(next));
      continue;
    }
    if (std::any_of(Services.begin(), Services.end(), [](Integer f) { return f != 0; })) result = next;
  }
  return result;
}

// ---- services ------------------------------------------------------------------------------

void CWorld::ReadNodeServices(Integer n) {
  Services.fill(0);
  const std::string path = node(n).Path;
  // A map that cannot be read offers nothing; its path is cached so the error is raised once.
  ServicePath = path;
  for (Integer def : readStructDefs(path)) {
    const Integer s = serviceOfDef(def);
    if (s >= 0) Services[s] = vbTrue;
  }
}

Integer CWorld::getCurIcon(Integer n, Integer structType) {
  vbCheckIndex(structType, 0, ServiceSlots - 1);
  if (node(n).Path != ServicePath) ReadNodeServices(n);
  return Services[structType];
}

std::string CWorld::findRandomLanding(Integer n) {
  ReadNodeServices(n);
  std::string word;
  if (Services[7]) word = "ammo";
  struct Choice {
    Integer flag;
    const char* word;
    double threshold;
  };
  static constexpr Choice choices[] = {{9, "bank", 0.5},      {5, "ships", 0.33}, {4, "gas", 0.25},
                                       {10, "mcontrol", 0.175}, {0, "parts", 0.14}, {1, "dinner", 0.125}};
  for (const Choice& c : choices) {
    if (!Services[c.flag]) continue;
    const double r = Rnd();
    if (r < c.threshold || word.empty()) word = c.word;
  }
  return word;
}

// ---- player state --------------------------------------------------------------------------

void CWorld::UpdatePlayerMap() {
  if (!Player) vbRaise(vberr::ObjectMissing);
  Player->AddMappedLoc(getCurrentPath());
  checkVis();
}

void CWorld::checkVis() {
  for (Integer i = 0; i <= LastNode; ++i) {
    Nodes[i].Dark = vbTrue;
    Nodes[i].Visible = 0;
  }
  auto validLink = [this](Integer k) { return k >= 0 && k <= LastNode; };
  for (Integer i = 0; i <= LastNode; ++i) {
    WorldNode& n = Nodes[i];
    if (!Player || !Player->checkMappedLoc(n.Path)) continue;
    n.Visible = 1;
    n.Dark = vbFalse;
    for (Integer k = 0; k < n.LinkCount; ++k)
      if (validLink(n.Links[k])) Nodes[n.Links[k]].Visible = 1;
  }
  for (Integer i = 0; i <= LastNode; ++i) {
    WorldNode& n = Nodes[i];
    if (n.Visible != 0) continue;
    for (Integer k = 0; k < n.LinkCount; ++k)
      if (validLink(n.Links[k]) && Nodes[n.Links[k]].Dark == vbFalse) n.Visible = 1;
  }
}

void CWorld::CheckDark() {
  auto validLink = [this](Integer k) { return k >= 0 && k <= LastNode; };
  for (Integer i = 0; i <= LastNode; ++i) {
    WorldNode& n = Nodes[i];
    bool dark = false;
    for (Integer k = 0; k < n.LinkCount && !dark; ++k)
      dark = validLink(n.Links[k]) && Nodes[n.Links[k]].Visible == 0;
    for (Integer j = 0; j <= LastNode && !dark; ++j) {
      const WorldNode& o = Nodes[j];
      if (o.Visible != 0) continue;
      for (Integer k = 0; k < o.LinkCount && !dark; ++k) dark = o.Links[k] == i;
    }
    n.Dark = vbBool(dark);
  }
}

void CWorld::CheckNodeMissionCompletes() {
  if (!Player) vbRaise(vberr::ObjectMissing);
  KillValue = 0;
  Integer count = 0;
  for (Integer i = 0; i <= LastNode; ++i) {
    WorldNode& n = Nodes[i];
    const bool done = Player->checkCompletedMission("map-" + n.Path + ".pnd");
    n.MissionDone = vbBool(done);
    if (!done) continue;
    ++count;
    static constexpr Integer value[] = {5, 10, 100, 125};
    if (n.Level >= 0 && n.Level <= 3) KillValue = CInt(KillValue + value[n.Level]);
  }
  // The four nodes without a map mission are not counted; a table that small owns nothing.
  const Integer divisor = static_cast<Integer>(LastNode - 3);
  PercentOwned = divisor >= 1 ? static_cast<Single>(count * 100.0 / divisor) : 0.0f;
  MissionsCompleted = Player->getMissionCompletes();
}

void CWorld::setGoalPath(const std::string& path) {
  GoalPath = path;
  GoalPathFrame = 1.5f;
}

// ---- description block ---------------------------------------------------------------------

void CWorld::setDesc() {
  if (!GameText) return;  // no text writer, no block
  const std::string desc = getNodeDesc(CurrentNode);
  GameText->ClearBlock();
  GameText->makeBlock(200, desc);
}

void CWorld::setDestDesc() {
  if (!GameText) return;  // no text writer, no block
  // A destination set without a highlight (a loaded or scripted route) describes the next hop.
  const std::string desc = getNodeDesc(HiLiteNode >= 0 ? HiLiteNode : DestNode);
  GameText->ClearBlock();
  GameText->makeBlock(200, desc);
}

void CWorld::setSpecDest(Integer n) {
  if (!GameText) return;  // no text writer, no block
  const std::string desc = getNodeDesc(n);
  GameText->ClearBlock();
  GameText->makeBlock(230, desc);
}

// ---- traders -------------------------------------------------------------------------------

void CWorld::InitTraders() {
  std::vector<CTrader> traders(static_cast<size_t>(LastNode + 1));
  for (Integer i = 0; i <= LastNode; ++i) {
    CTrader& t = traders[i];
    t.Init(i);
    t.x = Nodes[i].X;
    t.y = Nodes[i].Y;
    t.setRandomResources();
    // A node whose map cannot be read is logged once and trades nothing; the world still loads.
    // The player is told when the map is to be entered.
    Nodes[i].HasTrade = vbFalse;
    if (Nodes[i].Path.empty()) {
      logDamagedFile(nodeMapProblem(i), cannotEnter(i));
      continue;
    }
    try {
      Nodes[i].HasTrade = vbBool(getMapHasTrade(i));
    } catch (const std::exception& e) {
      logDamagedFile(FileProblem::of(e, "\\maps\\" + Nodes[i].Path + ".pnd"), cannotEnter(i));
    }
  }
  Traders = std::move(traders);
}

void CWorld::updateTraders() {
  for (CTrader& t : Traders) t.setRandomResources();
}

void CWorld::MapLoadMsg() {
  Randomize();
  if (MapLoads < 32767) ++MapLoads;
  const double r = Rnd();
  if (MapLoads > 20 && r < 0.1) updateTraders();
}

const CTrader& CWorld::trader(Integer n) const {
  vbCheckIndex(n, 0, static_cast<long long>(Traders.size()) - 1);
  return Traders[n];
}

CTrader& CWorld::getTrader(Integer n) {
  vbCheckIndex(n, 0, static_cast<long long>(Traders.size()) - 1);
  return Traders[n];
}

Integer CWorld::getTraderResource(Integer kind) const {
  return trader(CurrentNode).getResourcePrice(kind);
}

Integer CWorld::getTraderHasRsc(Integer kind) const {
  return trader(CurrentNode).getHasRsc(kind);
}

Integer CWorld::getLocaleHasTrade(Integer n) const {
  const WorldNode& nd = node(n);
  if (LCase(Left(nd.Path, 5)) == "tutor") return 0;
  return nd.HasTrade;
}

namespace {
// The best stocked kind of a trader: cheapest (lower) or dearest; kind 0 and price 0 when none.
std::pair<Integer, Integer> bestStocked(const CTrader& t, bool cheapest) {
  Integer kind = 0, price = 0;
  for (Integer k = 0; k < GoodsKinds; ++k) {
    if (!t.getHasRsc(k)) continue;
    const Integer p = t.getResourcePrice(k);
    if (price == 0 || (cheapest ? p < price : p > price)) {
      kind = k;
      price = p;
    }
  }
  return {kind, price};
}
}  // namespace

Integer CWorld::getTraderCheapestType(Integer n) const { return bestStocked(trader(n), true).first; }
Integer CWorld::getTraderCheapestPrice(Integer n) const { return bestStocked(trader(n), true).second; }
Integer CWorld::getTraderExpestType(Integer n) const { return bestStocked(trader(n), false).first; }
Integer CWorld::getTraderExpestPrice(Integer n) const { return bestStocked(trader(n), false).second; }

bool CWorld::getMapHasTrade(Integer n) const {
  for (Integer def : readStructDefs(node(n).Path))
    if (def == 11 || def == 12) return true;
  return false;
}
