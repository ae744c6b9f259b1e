#include "campaign/CWorld.h"

#include <algorithm>

#include "campaign/CPlayer.h"
#include "runtime/ItemFile.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"

std::shared_ptr<CWorld> World;

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
      if (table.empty()) {  // slot 0 keeps what the file does not store
        n.Visible = Nodes[0].Visible;
        n.Dark = Nodes[0].Dark;
        n.LastHostile = Nodes[0].LastHostile;
      }
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
}

void CWorld::Init(Single width, Single height) {
  w = width;
  h = height;
  Selected = -1;
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

std::string CWorld::getNodeTitle(Integer n) const {
  return node(n).Title;
}
std::string CWorld::getNodePath(Integer n) const {
  return node(n).Path;
}
Long CWorld::getNodeWorldType(Integer n) const {
  return node(n).WorldType;
}
Integer CWorld::getNodeLevel(Integer n) const {
  return node(n).Level;
}
Integer CWorld::getNodeVisible(Integer n) const {
  return node(n).Visible;
}
Long CWorld::getNodeLastHostile(Integer n) const {
  return node(n).LastHostile;
}
void CWorld::setNodeLastHostile(Integer n, Long value) {
  node(n).LastHostile = value;
}

Integer CWorld::getNodeFromPath(const std::string& path) const {
  const std::string p = LCase(path);
  for (Integer i = 0; i <= LastNode; ++i)
    if (LCase(Nodes[i].Path) == p) return i;
  return 0;
}

std::string CWorld::getCurrentPath() const {
  return getNodePath(CurrentNode);
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
  Selected = CurrentNode;
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

// ---- view and visibility -------------------------------------------------------------------

void CWorld::Center(Integer n) {
  const WorldNode& c = node(n);
  ScrollX = std::max(0.0f, std::min(c.X - w / 2, MapSize - w));
  ScrollY = std::max(0.0f, std::min(c.Y - h / 2, MapSize - h));
  if (w >= MapSize) ScrollX = (MapSize - w) / 2;
}

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
