// CWorld: the world map of the campaign (one instance, World; the world editor keeps its own): a
// table of nodes, each naming one map file, joined by at most five links per node on a square map
// of 1536 x 1536 units; the node the player is at, the planned route, the era that closes nodes,
// what the player can see, the landing services of a node's map, the mission goal node, the score
// of completed map missions, one goods trader per node, and the world-map screen (Render, Move,
// Center; drawn in CWorldRender.cpp).
//
// World file "\maps\" + WorldName + ".pnd", items: a head item (not checked), then per node 21
// lines: Title / Path / X, Y / Align / Desc / Icon, Level, LinkCount / Links(0..4), one a line /
// EraGray(0..8), one a line / WorldType; then "eof". A title "eof" ends the list. Visible,
// HasTrade, MissionDone, Dark and LastHostile are not stored.
//
// Node arguments are node indexes 0..getTotalNodes(); an index outside raises VbError 9 (Subscript
// out of range), an era outside 0..8 likewise. Links are directed as stored, but travel and
// visibility treat a link as joining both nodes.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "campaign/CTrader.h"
#include "engine/PlayerNotices.h"
#include "runtime/Numbers.h"

// One node of the world map.
struct WorldNode {
  std::string Title;    // "" marks a free slot
  std::string Path;     // base name of the node's map file "\maps\" + Path + ".pnd"
  Single X = 0, Y = 0;  // position on the world map, 0..1536
  std::string Desc;
  Integer Icon = 0;  // planet icon 0..63: atlas Icon \ 16, cell Icon mod 16
  Long Align = 0;    // AlignType
  Integer Level = 0;  // 0..3 score the node's map mission
  std::array<Integer, 5> Links{};  // entries 0..LinkCount-1 are used
  Integer LinkCount = 0;           // 0..5
  Integer Visible = 0;             // 1 shown on the world map
  Long WorldType = 0;              // WorldType 0..25 of the node's map
  Integer HasTrade = 0;            // (Boolean) the node's map holds a trading structure
  std::array<bool, 9> EraGray{};   // closed in era 0..8
  Integer MissionDone = 0;         // (Boolean) the node's map mission is completed
  Integer Dark = 0;                // (Boolean) not mapped yet (checkVis) / next to hidden nodes (CheckDark)
  Long LastHostile = 0;            // GameTime (s) at which hostiles were last met here, 0 never
};

class CWorld {
 public:
  static constexpr Integer Eras = 9;
  static constexpr Integer RouteSlots = 16;
  static constexpr Integer ServiceSlots = 16;  // service flags indexed by StructType
  static constexpr Single MapSize = 1536;      // world-map units on each side

  // Loads the planet atlases and the galaxy tiles through the texture cache (TexMon) when it
  // exists; without it the screen draws no pictures until a cache is there.
  CWorld();

  Single ScrollX = 0, ScrollY = 0;  // world-map view origin
  Single h = 0, w = 0;              // view height and width (screen pixels)
  Integer Selected = -1;            // node selected in the world editor, -1 none
  std::string WorldName = "world";  // base name of the world file
  Integer CurrentNode = -1;         // the node the player is at
  Integer DestNode = -1;            // next node of the planned route (Route(0)), -1 none
  Integer HiLiteNode = -1;          // node highlighted on the world-map screen, -1 none
  Single GoalPathFrame = 0;         // blink timer of the mission goal marker (1.5 .. 0.5)
  Integer CurrentEra = 0;           // 0..8
  Integer KillValue = 0;            // money paid for each kill by the player
  Single PercentOwned = 0;          // percent of the nodes whose map mission is completed
  Integer MissionsCompleted = 0;

  // ---- world file (Save, Load) ----
  // Replaces the node table by the world file's nodes, then rebuilds the traders. A missing file,
  // a file without "eof", an item of the wrong kind, a link count above 5 or a used link outside
  // the file's nodes raises a VbError to the caller and leaves the table as it was.
  void Load();
  // Writes the whole table (every slot, 21 lines each) to the world file, replacing it atomically;
  // VbError 75/76 when it cannot be written (the old file is then untouched).
  void Save() const;
  // View size; no selection, no drag; the route cleared.
  void Init(Single width, Single height);

  // ---- node table and editing ----
  Integer getTotalNodes() const { return LastNode; }  // index of the last node, -1 empty
  // Puts a node into the first slot whose title is empty, or appends one; Visible 0, WorldType 2.
  // Returns the slot used.
  Integer AddNode(const std::string& title, const std::string& path, Single x, Single y, const std::string& desc,
                  Integer icon, Long align, Integer level);
  void setNode(Integer node, const std::string& title, const std::string& path, const std::string& desc, Integer icon,
               Long align, Integer level, Long worldType);
  void ClearLinks(Integer node);  // LinkCount 0
  // Appends target to the links of Selected when it has fewer than 5; nothing without a selection.
  void AddNodeLink(Integer target);
  void ClearNodeLinks();  // zeroes the 5 links and the link count of Selected
  void setEraGray(Integer node, Integer era, Integer flag);  // closed when flag >= 1
  bool getEraGray(Integer node, Integer era) const;
  void setAddingLink() { AddingLink = 1; }  // the next clicked node becomes a link of Selected
  std::string getNodeTitle(Integer node) const;
  std::string getNodePath(Integer node) const;
  Single getNodeX(Integer node) const;
  Single getNodeY(Integer node) const;
  std::string getNodeDesc(Integer node) const;
  Long getNodeAlign(Integer node) const;
  Integer getNodeIcon(Integer node) const;
  Integer getNodeLevel(Integer node) const;
  Integer getNodeMission(Integer node) const;  // (Boolean) MissionDone
  Long getNodeWorldType(Integer node) const;
  Integer getNodeVisible(Integer node) const;
  Integer getNodeDark(Integer node) const;
  Integer getNodeLinkCount(Integer node) const;
  Integer getNodeLink(Integer node, Integer k) const;  // link entry k 0..4
  Long getNodeLastHostile(Integer node) const;
  void setNodeLastHostile(Integer node, Long value);
  void ClearLastHostiles();  // LastHostile 0 on every node
  // First node whose path equals path ignoring case; 0 when none does.
  Integer getNodeFromPath(const std::string& path) const;
  // CurrentNode := the last node whose path equals path exactly; unchanged when none does.
  void setCurrentNodeByPath(const std::string& path);
  std::string getCurrentPath() const;  // path of CurrentNode
  // World-map distance from the current node to node.
  Double getLocaleDist(Integer node) const;

  // ---- entering a node's map ----
  // What keeps the map of node from being entered (CMap.checkMapFile): its file and the reason,
  // empty when it reads whole. A node that names no map, or no such node, is a fault of the world
  // file ("\maps\world.pnd", "node 2 names no map").
  FileProblem nodeMapProblem(Integer node) const;
  // Loads the map of node into CurMap and makes it the current node. False when the map cannot
  // be entered: nothing changes, and *problem (when given) says why.
  bool EnterNode(Integer node, FileProblem* problem);
  // "Los Gatos cannot be entered" ("Node 2" for a node without a title), for the notices.
  std::string cannotEnter(Integer node) const;

  // ---- travel ----
  // b among a's links or a among b's, and b not closed in CurrentEra; False for a below 0.
  bool isLinkOpen(Integer a, Integer b) const;
  // The route pick of a click on node n of the world-map screen: the current node cancels
  // travel, an open neighbour of the current node starts a new route, an open neighbour of the
  // route's end extends it (at most 16 entries), a route node cuts the route after it.
  void PickNode(Integer n);
  // Extends, or cuts back, the planned route with n (see PickNode); nothing without a route.
  void extendRoute(Integer n);
  // Arrival: CurrentNode := DestNode and the route moves on (DestNode -1 when it is used up).
  void NextNode();
  // No destination, no route, no highlight; Selected := CurrentNode.
  void ClearDest();
  Integer getRouteLast() const { return RouteLast; }  // last route entry, -1 none
  Integer getRouteNode(Integer k) const;              // route entry k 0..15
  // Bearing (radians 0..2pi, getAngle) from the current node to DestNode; 0 without both.
  Single getTravelDir() const;
  // A random node open from CurrentNode (r x (count - 0.9) rounded), -1 none.
  Integer FindRandomCanReach() const;
  // The last node of a 10-step random walk from CurrentNode, other than the start, that offers a
  // landing service; -1 none. CurrentNode is restored.
  Integer FindRandomDestNode();

  // ---- services of a node's map ----
  // Reads the structure slots of the node's map into the 16 service flags (VbError on a missing
  // or damaged map file).
  void ReadNodeServices(Integer node);
  // The flag (Boolean) of service structType (0..15) at node; rereads only for another node's path.
  Integer getCurIcon(Integer node, Integer structType);
  // One service word ("ammo", "bank", "ships", "gas", "mcontrol", "parts", "dinner") for a random
  // mission's end at node; "" without these services.
  std::string findRandomLanding(Integer node);

  // ---- player state ----
  // Adds the current node's path to the player's mapped locations, then checkVis.
  void UpdatePlayerMap();
  // Mapped nodes are shown and lit; nodes linked with them either way are shown, dark.
  void checkVis();
  // Dark := the node has a link to, or is linked from, a hidden node (not called in play).
  void CheckDark();
  // MissionDone per node from the player's completed "map-" + path + ".pnd" missions; KillValue,
  // PercentOwned (of node count less 4) and MissionsCompleted.
  void CheckNodeMissionCompletes();
  // The mission goal node's map path; the goal marker starts blinking (GoalPathFrame 1.5).
  void setGoalPath(const std::string& path);
  const std::string& getGoalPath() const { return GoalPath; }

  // ---- description block (GameText; nothing without the text writer) ----
  // Without the text writer (GameText) they do nothing.
  void setDesc();                  // width 200, the current node's description
  void setDestDesc();              // width 200, HiLiteNode's description (DestNode's without one)
  void setSpecDest(Integer node);  // width 230, that node's description

  // ---- traders and goods ----
  void InitTraders();     // one trader per node, rolled, and HasTrade from the node's map
  void updateTraders();   // re-rolls every trader
  // Called on every map load: counts it; after 20 loads each load re-rolls the traders with
  // probability 0.1.
  void MapLoadMsg();
  Integer getMapLoads() const { return MapLoads; }
  Integer getTraderResource(Integer kind) const;  // price of kind at the current node's trader
  Integer getTraderHasRsc(Integer kind) const;    // (Boolean) that trader stocks kind
  Integer getLocaleHasTrade(Integer node) const;  // 0 for a "tutor..." path, else HasTrade
  Integer getTraderCheapestType(Integer node) const;
  Integer getTraderCheapestPrice(Integer node) const;
  Integer getTraderExpestType(Integer node) const;
  Integer getTraderExpestPrice(Integer node) const;
  // True when the node's map holds a trading structure (definition 11 or 12).
  bool getMapHasTrade(Integer node) const;
  CTrader& getTrader(Integer node);  // the node's trader (VbError 9 before InitTraders)

  // ---- world-map screen ----
  // One frame of the screen: background scaled by Brite (0..1), links, route, nodes with their
  // markers and titles; in play a click (MouseHeld) on a node picks the route, in the editor it
  // drags nodes or adds a link. Draws through DxSprite, Back3DCust and GameText.
  void Render(bool EditorVersion, Single Brite);
  // Edge scrolling by the pointer: 150 units a second within 50 pixels of an edge.
  void Move();
  // Scrolls so that node is centred, kept within the map; a view wider than the map is centred.
  void Center(Integer node);
  // True when Render draws the node (0..getTotalNodes()) and its planet, hover frame or title
  // (screen box from 46 pixels left, right and above its position to 62 below) overlaps the
  // screen rectangle (left, top)-(right, bottom). Screens drawn over the map use it to keep
  // nodes in view.
  bool nodeDrawnIn(Integer node, Single left, Single top, Single right, Single bottom) const;

 private:
  friend struct CWorldProbe;  // tests read the route and the service flags
  const WorldNode& node(Integer i) const;
  WorldNode& node(Integer i);
  const CTrader& trader(Integer node) const;
  bool pointerOver(const WorldNode& n) const;
  bool isDrawn(const WorldNode& n) const;  // a titled, shown (or goal) node near the view
  void drawNodeLinks(Integer a);
  void drawRoute();
  void drawSegment(const WorldNode& a, const WorldNode& b, Integer red, Integer green, Integer blue);
  void drawNode(Integer i, bool EditorVersion);
  void loadTextures();

  std::vector<WorldNode> Nodes{1};  // one unused slot until the first load
  Integer LastNode = -1;
  std::array<Integer, 4> PlanetTex{-1, -1, -1, -1};  // planet atlases "planets\p_1..4.dds"
  std::array<Integer, 16> GalaxyTex{};               // background tiles "galaxy\g11..g44.bmp"
  bool TexturesLoaded = false;
  Integer DragNode = -1;
  Single DragOffX = 0, DragOffY = 0;
  Integer AddingLink = 0;
  std::array<Integer, RouteSlots> Route{};  // Route(0) is the next hop (= DestNode)
  Integer RouteLast = -1;                   // last entry of the route, -1 none
  std::vector<CTrader> Traders;             // one per node, same index
  Integer MapLoads = 0;
  std::string ServicePath;                  // path whose services Services holds
  std::array<Integer, ServiceSlots> Services{};
  std::string GoalPath;                     // map path of the mission goal node, "" none
  Double Clock = 0;                         // seconds accumulated by the screen
};

extern std::shared_ptr<CWorld> World;
