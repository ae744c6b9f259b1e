// CWorld: the world map of nodes and links (one instance, World): the node table read from the
// world file, the node the player is at, the planned route and the era that closes nodes; what
// the map, the ships and the frame's map change read of it. The traders, the world-map screen and
// saving the world file come with the world-map work.
//
// World file "\maps\" + WorldName + ".pnd", items: a head item (not checked), then per node 21
// lines: Title / Path / X, Y / Align / Desc / Icon, Level, LinkCount / Links(0..4), one a line /
// EraGray(0..8), one a line / WorldType; then "eof". A title "eof" ends the list.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

// One node of the world map.
struct WorldNode {
  std::string Title;    // "" marks a free slot
  std::string Path;     // base name of the node's map file "\maps\" + Path + ".pnd"
  Single X = 0, Y = 0;  // position on the world map, 0..1536
  std::string Desc;
  Integer Icon = 0;
  Long Align = 0;  // AlignType
  Integer Level = 0;
  std::array<Integer, 5> Links{};  // entries 0..LinkCount-1 are used
  Integer LinkCount = 0;           // 0..5
  Integer Visible = 0;             // 1 shown on the world map
  Long WorldType = 0;              // WorldType 0..25 of the node's map
  std::array<bool, 9> EraGray{};   // closed in era 0..8
  Integer MissionDone = 0;         // (Boolean)
  Integer Dark = 0;                // (Boolean) not mapped yet
  Long LastHostile = 0;            // GameTime (s) of the last police alert here, 0 never
};

class CWorld {
 public:
  static constexpr Integer Eras = 9;
  static constexpr Integer RouteSlots = 16;
  static constexpr Single MapSize = 1536;  // world-map units on each side

  Single ScrollX = 0, ScrollY = 0;  // world-map view origin
  Single h = 0, w = 0;              // view height and width
  Integer Selected = -1;            // node selected on the world map, -1 none
  std::string WorldName = "world";  // base name of the world file
  Integer CurrentNode = -1;         // the node the player is at
  Integer DestNode = -1;            // next node of the planned route, -1 none
  Integer CurrentEra = 0;           // 0..8
  Integer KillValue = 0;            // money paid for each kill by the player

  // Replaces the node table by the world file's nodes. A missing file, a file without "eof" or
  // an item of the wrong kind raises a VbError to the caller and leaves the table as it was.
  void Load();
  // View size; no selection; the route cleared.
  void Init(Single width, Single height);

  Integer getTotalNodes() const { return LastNode; }  // index of the last node, -1 empty
  // Node getters; VbError 9 for a node outside 0..getTotalNodes.
  std::string getNodeTitle(Integer node) const;
  std::string getNodePath(Integer node) const;
  Long getNodeWorldType(Integer node) const;
  Integer getNodeLevel(Integer node) const;
  Integer getNodeVisible(Integer node) const;
  Long getNodeLastHostile(Integer node) const;
  void setNodeLastHostile(Integer node, Long value);
  // First node whose path equals path ignoring case; 0 when none does.
  Integer getNodeFromPath(const std::string& path) const;
  std::string getCurrentPath() const;  // path of CurrentNode

  // Travel. isLinkOpen: b among a's links or a among b's, and b not closed in CurrentEra; False
  // for a below 0 (VbError 9 for a node outside the table).
  bool isLinkOpen(Integer a, Integer b) const;
  // Arrival: CurrentNode := DestNode and the route moves on (DestNode -1 when it is used up).
  void NextNode();
  void ClearDest();
  // A random node open from CurrentNode (r x (count - 0.9) rounded), -1 none.
  Integer FindRandomCanReach() const;

  // Called once at the end of every map load; counts the loads.
  void MapLoadMsg() { ++MapLoads; }
  Integer getMapLoads() const { return MapLoads; }
  // Scrolls the world-map view so that node is centred (kept within the map).
  void Center(Integer node);
  // Adds the current node to the player's mapped locations and recomputes visibility.
  void UpdatePlayerMap();
  // Mapped nodes are shown and lit; nodes linked with them either way are shown, dark.
  void checkVis();

 private:
  const WorldNode& node(Integer i) const;
  WorldNode& node(Integer i);

  std::vector<WorldNode> Nodes{1};  // one unused slot until the first load
  Integer LastNode = -1;
  std::array<Integer, RouteSlots> Route{};  // Route(0) is the next hop (= DestNode)
  Integer RouteLast = -1;                   // last entry of the route, -1 none (filled by the warp map)
  Integer MapLoads = 0;
};

extern std::shared_ptr<CWorld> World;
