// The world map's route picking, arrival along the route, travel bearing, services of a node's
// map, random destinations and landings, map-mission score, and the world file's round trip.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "tests/support/TempGameDir.h"

namespace {
// A map file whose 32 structure slots hold defs (the rest empty, -1).
std::string mapFile(const std::vector<int>& defs) {
  std::string t = "\"M\"\r\n1,0,2\r\n";
  for (int s = 0; s < 12; ++s) t += "0,10,\"\",0,0\r\n";
  for (int i = 0; i < 32; ++i)
    t += "0,0,0\r\n" + std::to_string(i < static_cast<int>(defs.size()) ? defs[i] : -1) + "\r\n0\r\n";
  return t + "60,70,120\r\n";
}

class WorldTravelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(5);
    dir.write("\\data\\readme.txt", "");
  }
  void TearDown() override {
    Player.reset();
    GameText.reset();
    clearRndTestSeed();
  }
  // Node i at (100 i, 50), path "n" + i, with a map file of the given services.
  Integer add(const std::vector<int>& defs = {}) {
    const Integer i = static_cast<Integer>(world.getTotalNodes() + 1);
    const std::string path = "n" + std::to_string(i);
    dir.write("\\maps\\" + path + ".pnd", mapFile(defs));
    return world.AddNode("Node " + std::to_string(i), path, 100.0f * i, 50, "desc of " + path, i, 0, 0);
  }
  void link(Integer a, Integer b) {
    world.Selected = a;
    world.AddNodeLink(b);
  }
  std::vector<Integer> route() const {
    std::vector<Integer> r;
    for (Integer k = 0; k <= world.getRouteLast(); ++k) r.push_back(world.getRouteNode(k));
    return r;
  }
  TempGameDir dir;
  CWorld world;
};
}  // namespace

TEST_F(WorldTravelTest, RoutePicking) {
  // A chain 0 - 1 - 2 - 3 (3 -> 2 stored backwards), 4 linked to 0 but closed in era 2, 5 alone.
  for (int i = 0; i < 6; ++i) add();
  link(0, 1);
  link(1, 2);
  link(3, 2);
  link(0, 4);
  world.setEraGray(4, 2, 1);
  world.CurrentEra = 2;
  world.CurrentNode = 0;
  struct Step {
    const char* what;
    Integer click;
    std::vector<Integer> route;
    Integer dest, hilite;
  };
  const Step steps[] = {
      {"not linked: nothing", 5, {}, -1, -1},
      {"closed by the era: nothing", 4, {}, -1, -1},
      {"beyond the current node's links: nothing", 2, {}, -1, -1},
      {"neighbour starts a route", 1, {1}, 1, 1},
      {"neighbour of the end extends it", 2, {1, 2}, 1, 2},
      {"a backward link extends it too", 3, {1, 2, 3}, 1, 3},
      {"a node that is no neighbour of the end: nothing", 5, {1, 2, 3}, 1, 3},
      {"a route node cuts the route after it", 2, {1, 2}, 1, 2},
      {"the current node cancels travel", 0, {}, -1, 0},
      {"a new route after cancelling", 1, {1}, 1, 1},
      {"the neighbour again restarts it", 1, {1}, 1, 1},
  };
  for (const Step& s : steps) {
    world.PickNode(s.click);
    EXPECT_EQ(route(), s.route) << s.what;
    EXPECT_EQ(world.DestNode, s.dest) << s.what;
    EXPECT_EQ(world.HiLiteNode, s.hilite) << s.what;
  }
  // The era opens node 4 again.
  world.CurrentEra = 0;
  world.PickNode(4);
  EXPECT_EQ(route(), std::vector<Integer>{4});
}

TEST_F(WorldTravelTest, AFullRouteIgnoresAFurtherPickButStillCutsAndRestarts) {
  for (int i = 0; i < 18; ++i) add();
  for (Integer i = 0; i < 17; ++i) link(i, static_cast<Integer>(i + 1));
  world.CurrentNode = 0;
  for (Integer i = 1; i <= 17; ++i) world.PickNode(i);
  EXPECT_EQ(world.getRouteLast(), 15);
  EXPECT_EQ(world.getRouteNode(15), 16);
  EXPECT_EQ(world.HiLiteNode, 16);
  world.PickNode(3);
  EXPECT_EQ(world.getRouteLast(), 2);
  world.PickNode(1);
  EXPECT_EQ(route(), std::vector<Integer>{1});
}

TEST_F(WorldTravelTest, ArrivalWalksTheRouteAndTheBearingFollowsIt) {
  for (int i = 0; i < 4; ++i) add();
  link(0, 1);
  link(1, 2);
  link(2, 3);
  world.CurrentNode = 0;
  EXPECT_EQ(world.getTravelDir(), 0);  // no destination
  world.PickNode(1);
  world.PickNode(2);
  world.PickNode(3);
  EXPECT_NEAR(world.getTravelDir(), 0, 1e-4);  // node 1 lies due +x of node 0
  const Integer expect[][2] = {{1, 2}, {2, 3}, {3, -1}};
  for (const auto& e : expect) {
    world.NextNode();
    EXPECT_EQ(world.CurrentNode, e[0]);
    EXPECT_EQ(world.DestNode, e[1]);
  }
  EXPECT_EQ(world.getTravelDir(), 0);  // after the last hop
  world.setNodeLastHostile(2, 40);
  world.ClearDest();
  world.ClearLastHostiles();
  EXPECT_EQ(world.getRouteLast(), -1);
  EXPECT_EQ(world.HiLiteNode, -1);
  EXPECT_EQ(world.Selected, 3);
  EXPECT_EQ(world.getNodeLastHostile(2), 0);
}

TEST_F(WorldTravelTest, ServicesOfANodesMap) {
  const Integer shop = add({11, 12, 13, 3, 16});  // shopping twice, ammo, a plain building, bank
  const Integer ammo = add({13});
  const Integer none = add({3, 4});
  const Integer lost = add();
  dir.remove("\\maps\\n3.pnd");
  world.InitTraders();
  EXPECT_EQ(world.getCurIcon(shop, 6), vbTrue);
  EXPECT_EQ(world.getCurIcon(shop, 7), vbTrue);
  EXPECT_EQ(world.getCurIcon(shop, 9), vbTrue);
  EXPECT_EQ(world.getCurIcon(shop, 0), 0);
  EXPECT_EQ(world.findRandomLanding(ammo), "ammo");
  EXPECT_EQ(world.findRandomLanding(none), "");
  std::set<std::string> words;
  for (int k = 0; k < 200; ++k) words.insert(world.findRandomLanding(shop));
  EXPECT_EQ(words, (std::set<std::string>{"ammo", "bank"}));
  // A map that cannot be read raises once, then offers nothing.
  EXPECT_THROW(world.getCurIcon(lost, 0), VbError);
  EXPECT_EQ(world.getCurIcon(lost, 0), 0);
  EXPECT_TRUE(world.getMapHasTrade(shop));
  EXPECT_FALSE(world.getMapHasTrade(ammo));
  EXPECT_EQ(world.getLocaleHasTrade(shop), vbTrue);
  EXPECT_EQ(world.getLocaleHasTrade(lost), 0);  // reported and left without trade
}

TEST_F(WorldTravelTest, RandomDestinationsNeedAnOpenLinkAndAService) {
  const Integer start = add();
  const Integer plain = add({3});
  const Integer bank = add({16});
  add();  // alone
  link(start, plain);
  link(plain, bank);
  world.CurrentNode = 3;
  EXPECT_EQ(world.FindRandomCanReach(), -1);
  EXPECT_EQ(world.FindRandomDestNode(), -1);
  EXPECT_EQ(world.CurrentNode, 3);
  world.CurrentNode = start;
  for (int k = 0; k < 20; ++k) {
    EXPECT_EQ(world.FindRandomDestNode(), bank);
    EXPECT_EQ(world.CurrentNode, start);
  }
  // A node whose map cannot be read is no destination; the current node is restored.
  dir.remove("\\maps\\n2.pnd");
  EXPECT_EQ(world.FindRandomDestNode(), -1);
  EXPECT_EQ(world.CurrentNode, start);
}

TEST_F(WorldTravelTest, MapMissionScoreAndGoal) {
  for (int i = 0; i < 9; ++i) add();
  Player = std::make_shared<CPlayer>();
  world.setNode(1, "One", "n1", "", 0, 0, 0, 2);
  world.setNode(2, "Two", "n2", "", 0, 0, 3, 2);
  world.setNode(3, "Three", "n3", "", 0, 0, 7, 2);
  for (const char* m : {"map-n1.pnd", "map-n2.pnd", "map-n3.pnd", "other.pnd"}) Player->addMissionComplete(m);
  world.CheckNodeMissionCompletes();
  EXPECT_EQ(world.KillValue, 5 + 125);  // level 7 adds nothing
  EXPECT_FLOAT_EQ(world.PercentOwned, 3 * 100.0f / 5);  // 9 nodes less 4
  EXPECT_EQ(world.MissionsCompleted, Player->getMissionCompletes());
  EXPECT_EQ(world.getNodeMission(2), vbTrue);
  EXPECT_EQ(world.getNodeMission(4), 0);
  world.setGoalPath("N5");
  EXPECT_EQ(world.getGoalPath(), "N5");
  EXPECT_FLOAT_EQ(world.GoalPathFrame, 1.5f);
}

TEST_F(WorldTravelTest, ATableTooSmallToScoreOwnsNothing) {
  for (int i = 0; i < 3; ++i) add();
  Player = std::make_shared<CPlayer>();
  Player->addMissionComplete("map-n0.pnd");
  world.CheckNodeMissionCompletes();
  EXPECT_EQ(world.PercentOwned, 0);
  EXPECT_EQ(world.KillValue, 5);
}

TEST_F(WorldTravelTest, EditingTheTable) {
  for (int i = 0; i < 6; ++i) add();
  world.setNode(3, "", "n3", "", 0, 0, 0, 2);  // a free slot
  EXPECT_EQ(world.AddNode("New", "new", 1, 2, "d", 4, 1, 2), 3);
  EXPECT_EQ(world.getTotalNodes(), 5);
  EXPECT_EQ(world.getNodeWorldType(3), 2);
  world.Selected = 0;
  for (Integer k = 1; k <= 6; ++k) world.AddNodeLink(k);
  EXPECT_EQ(world.getNodeLinkCount(0), 5);  // at most five
  world.ClearNodeLinks();
  EXPECT_EQ(world.getNodeLinkCount(0), 0);
  EXPECT_EQ(world.getNodeLink(0, 4), 0);
  world.setCurrentNodeByPath("N1");  // exact compare: unchanged
  EXPECT_EQ(world.CurrentNode, -1);
  world.setCurrentNodeByPath("n1");
  EXPECT_EQ(world.CurrentNode, 1);
  EXPECT_DOUBLE_EQ(world.getLocaleDist(2), 100);
  EXPECT_THROW(world.setEraGray(0, 9, 1), VbError);
  // Description block.
  GameText = std::make_shared<CText>();
  world.HiLiteNode = 2;
  world.setDestDesc();
  EXPECT_EQ(GameText->getBlockLine(0), "desc of n2");
  world.setDesc();
  EXPECT_EQ(GameText->getBlockLine(0), "desc of n1");
}

TEST_F(WorldTravelTest, TheWorldFileRoundTrips) {
  for (int i = 0; i < 3; ++i) add();
  world.setNode(1, "Far, away", "n1", "commas, kept, here", 63, -2, 3, 24);
  world.setNode(2, "Q", "n2", "say \"hi\"", 0, 0, 0, 2);
  link(1, 0);
  link(1, 2);
  world.setEraGray(1, 8, 1);
  world.setEraGray(0, 0, 1);
  // A position that is no short decimal keeps its Single value.
  world.AddNode("Odd", "n0", 0.1f, 1535.999f, "", 0, 0, 0);
  world.Save();
  const std::string text = dir.read("\\maps\\world.pnd");
  EXPECT_EQ(text.rfind("\"World!\"\r\n\"Node 0\"\r\n\"n0\"\r\n0,50\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n0.1,1535.999\r\n"), std::string::npos);
  CWorld back;
  back.Load();
  ASSERT_EQ(back.getTotalNodes(), 3);
  for (Integer i = 0; i <= 3; ++i) {
    EXPECT_EQ(back.getNodeTitle(i), world.getNodeTitle(i));
    EXPECT_EQ(back.getNodePath(i), world.getNodePath(i));
    EXPECT_EQ(back.getNodeX(i), world.getNodeX(i));
    EXPECT_EQ(back.getNodeY(i), world.getNodeY(i));
    EXPECT_EQ(back.getNodeAlign(i), world.getNodeAlign(i));
    EXPECT_EQ(back.getNodeIcon(i), world.getNodeIcon(i));
    EXPECT_EQ(back.getNodeLevel(i), world.getNodeLevel(i));
    EXPECT_EQ(back.getNodeWorldType(i), world.getNodeWorldType(i));
    EXPECT_EQ(back.getNodeLinkCount(i), world.getNodeLinkCount(i));
    for (Integer k = 0; k < 5; ++k) EXPECT_EQ(back.getNodeLink(i, k), world.getNodeLink(i, k));
    for (Integer e = 0; e < 9; ++e) EXPECT_EQ(back.getEraGray(i, e), world.getEraGray(i, e));
  }
  EXPECT_EQ(back.getNodeDesc(1), "commas, kept, here");
  EXPECT_EQ(back.getNodeDesc(2), "say 'hi'");  // an inner quote cannot be stored
  // The traders are rebuilt with the table.
  back.CurrentNode = 2;
  EXPECT_GE(back.getTraderResource(0), 5);

  // An empty table writes one empty record; a failed save leaves the old file.
  CWorld empty;
  empty.WorldName = "empty";
  empty.Save();
  const std::string e = dir.read("\\maps\\empty.pnd");
  EXPECT_EQ(e.rfind("\"World!\"\r\n\"\"\r\n\"\"\r\n0,0\r\n0\r\n\"\"\r\n0,0,0\r\n", 0), 0u);
  EXPECT_NE(e.find("#FALSE#\r\n0\r\n\"eof\"\r\n"), std::string::npos);
  empty.WorldName = "missing\\world";
  EXPECT_THROW(empty.Save(), VbError);
}

TEST_F(WorldTravelTest, EdgeScrollingAndCentring) {
  add();
  world.Init(800, 600);
  FrameTime = 0.1;
  struct Case {
    Single px, py, x0, y0, x1, y1;
  };
  const Case cases[] = {
      {790, 300, 100, 100, 115, 100},   // right edge: 150 a second
      {10, 300, 100, 100, 85, 100},     // left edge
      {400, 590, 100, 100, 100, 115},   // bottom edge
      {400, 300, 100, 100, 100, 100},   // inside: still
      {790, 590, 730, 930, 736, 936},   // held at 1536 less the view
      {10, 10, 5, 5, 0, 0},             // held at 0
  };
  for (const Case& c : cases) {
    PointerX = c.px;
    PointerY = c.py;
    world.ScrollX = c.x0;
    world.ScrollY = c.y0;
    world.Move();
    EXPECT_FLOAT_EQ(world.ScrollX, c.x1) << c.px << "," << c.py;
    EXPECT_FLOAT_EQ(world.ScrollY, c.y1) << c.px << "," << c.py;
  }
  // A view wider than the map centres it and does not scroll sideways.
  world.Init(1600, 600);
  world.Center(0);
  EXPECT_FLOAT_EQ(world.ScrollX, -32);
  PointerX = 1590;
  world.Move();
  EXPECT_FLOAT_EQ(world.ScrollX, -32);
  FrameTime = 0;
  PointerX = PointerY = 0;
}

TEST_F(WorldTravelTest, DarkNodesBorderHiddenOnes) {
  // 0 -> 1, 2 -> 0; 3 hidden and linked from 2.
  for (int i = 0; i < 4; ++i) add();
  link(0, 1);
  link(2, 0);
  link(3, 2);
  Player = std::make_shared<CPlayer>();
  world.CurrentNode = 0;
  world.UpdatePlayerMap();
  EXPECT_EQ(world.getNodeDark(0), 0);
  EXPECT_EQ(world.getNodeDark(1), vbTrue);  // shown, not mapped
  EXPECT_EQ(world.getNodeVisible(3), 0);
  world.CheckDark();
  EXPECT_EQ(world.getNodeDark(0), 0);
  EXPECT_EQ(world.getNodeDark(1), 0);
  EXPECT_EQ(world.getNodeDark(2), vbTrue);  // a hidden node links to it
  EXPECT_EQ(world.getNodeDark(3), 0);       // hidden itself, but linked with no hidden node
}
