// The world map as the map and the ships use it: the default world file, damaged files, node
// look-ups, travel along links and routes, random reachable nodes and the player's visibility.
#include "campaign/CWorld.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "campaign/CPlayer.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "tests/support/TempGameDir.h"

namespace {
int errorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}

// One node record: title, path, link count and links, closed in every era when gray.
std::string node(const std::string& title, const std::string& path, std::initializer_list<int> links,
                 bool gray = false, int worldType = 0, int level = 0, const std::string& linkCount = "") {
  std::string t = "\"" + title + "\"\r\n\"" + path + "\"\r\n512,37.5\r\n0\r\n\"a, b\"\r\n5," +
                  std::to_string(level) + "," +
                  (linkCount.empty() ? std::to_string(links.size()) : linkCount) + "\r\n";
  int n = 0;
  for (int l : links) {
    t += std::to_string(l) + "\r\n";
    ++n;
  }
  for (; n < 5; ++n) t += "0\r\n";
  for (int e = 0; e < 9; ++e) t += gray ? "#TRUE#\r\n" : "#FALSE#\r\n";
  return t + std::to_string(worldType) + "\r\n";
}

class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(77);
    dir.write("\\data\\readme.txt", "");  // a new player record writes its options here
  }
  void TearDown() override {
    Player.reset();
    clearRndTestSeed();
  }
  void write(const std::string& body) { dir.write("\\maps\\world.pnd", "\"World!\"\r\n" + body); }
  TempGameDir dir;
  CWorld world;
};
}  // namespace

TEST_F(WorldTest, TheDefaultWorldLoads) {
  TempGameDir game(QV_SOURCE_DIR "/content");
  CWorld w;
  w.Load();
  EXPECT_EQ(w.getTotalNodes(), 12);
  const Integer home = w.getNodeFromPath("LosGatos");
  EXPECT_EQ(w.getNodePath(home), "losgatos");
  EXPECT_EQ(w.getNodeTitle(home), "Los Gatos");
  const Integer zom = w.getNodeFromPath("zomflats");
  EXPECT_EQ(w.getNodeWorldType(zom), 3);
  EXPECT_EQ(w.getNodeLevel(zom), 1);
  w.CurrentNode = home;
  EXPECT_EQ(w.getCurrentPath(), "losgatos");
  EXPECT_TRUE(w.isLinkOpen(home, zom));
  EXPECT_TRUE(w.isLinkOpen(zom, home));
  // the tutorial yard is linked but closed in every era
  EXPECT_FALSE(w.isLinkOpen(home, w.getNodeFromPath("tut")));
  EXPECT_EQ(w.getNodeFromPath("nowhere"), 0);
}

TEST_F(WorldTest, ADamagedWorldFileRaisesAndKeepsTheTable) {
  write(node("A", "a", {1}) + node("B", "b", {0}) + "\"eof\"\r\n");
  world.Load();
  ASSERT_EQ(world.getTotalNodes(), 1);
  struct Case {
    const char* what;
    std::string body;
    int error;
  };
  const Case cases[] = {
      {"no eof", node("C", "c", {}), 62},
      {"a link beyond the table", node("C", "c", {4}) + "\"eof\"\r\n", 9},
      {"six links", node("C", "c", {}, false, 0, 0, "6") + "\"eof\"\r\n", 9},
      {"a word for a number", "\"C\"\r\n\"c\"\r\nfar,0\r\n", 13},
  };
  for (const Case& c : cases) {
    write(c.body);
    EXPECT_EQ(errorNumber([&] { world.Load(); }), c.error) << c.what;
    EXPECT_EQ(world.getTotalNodes(), 1) << c.what;
    EXPECT_EQ(world.getNodePath(1), "b") << c.what;
  }
  dir.remove("\\maps\\world.pnd");
  EXPECT_EQ(errorNumber([&] { world.Load(); }), 53);
  // outside the table
  EXPECT_EQ(errorNumber([&] { world.getNodePath(2); }), 9);
  EXPECT_EQ(errorNumber([&] { world.getNodePath(-1); }), 9);
}

TEST_F(WorldTest, LinksRoutesAndArrival) {
  // 0 - 1 - 2, 3 closed; 2 is linked from 1 only as 2 -> 1.
  write(node("A", "a", {1, 3}) + node("B", "b", {}) + node("C", "c", {1}) + node("D", "d", {0}, true) +
        "\"eof\"\r\n");
  world.Load();
  EXPECT_TRUE(world.isLinkOpen(1, 2));   // stored only as 2 -> 1
  EXPECT_FALSE(world.isLinkOpen(0, 3));  // closed in the current era
  EXPECT_TRUE(world.isLinkOpen(3, 0));   // a closed node does not block leaving it
  EXPECT_FALSE(world.isLinkOpen(-1, 0));
  world.CurrentNode = 0;
  std::set<Integer> reached;
  for (int k = 0; k < 100; ++k) reached.insert(world.FindRandomCanReach());
  EXPECT_EQ(reached, std::set<Integer>{1});
  world.CurrentNode = 3;
  EXPECT_EQ(world.FindRandomCanReach(), 0);
  world.CurrentNode = 1;
  for (int k = 0; k < 200; ++k) reached.insert(world.FindRandomCanReach());
  EXPECT_EQ(reached, (std::set<Integer>{0, 1, 2}));

  world.CurrentNode = 0;
  world.DestNode = 1;
  world.NextNode();
  EXPECT_EQ(world.CurrentNode, 1);
  EXPECT_EQ(world.DestNode, -1);
  world.MapLoadMsg();
  world.MapLoadMsg();
  EXPECT_EQ(world.getMapLoads(), 2);
  world.setNodeLastHostile(2, 345);
  EXPECT_EQ(world.getNodeLastHostile(2), 345);
}

TEST_F(WorldTest, TheCurrentNodeIsMappedAndItsNeighboursShown) {
  write(node("A", "a", {1}) + node("B", "b", {2}) + node("C", "c", {}) + node("D", "d", {}) + "\"eof\"\r\n");
  world.Load();
  Player = std::make_shared<CPlayer>();
  world.CurrentNode = 1;
  world.UpdatePlayerMap();
  EXPECT_TRUE(Player->checkMappedLoc("b"));
  EXPECT_EQ(world.getNodeVisible(0), 1);  // links to the mapped node
  EXPECT_EQ(world.getNodeVisible(1), 1);
  EXPECT_EQ(world.getNodeVisible(2), 1);  // linked from it
  EXPECT_EQ(world.getNodeVisible(3), 0);
  // the view centres on a node, kept inside the 1536 map
  world.Init(800, 600);
  world.Center(0);
  EXPECT_FLOAT_EQ(world.ScrollX, 512 - 400);
  EXPECT_FLOAT_EQ(world.ScrollY, 0);  // 37.5 - 300 raised to 0
}
