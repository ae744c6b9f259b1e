// Traders and goods: prices by era with their swings, stock, cheapest and dearest, re-rolls on map
// loads and the tutorial's lack of trade.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "campaign/CTrader.h"
#include "campaign/CWorld.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "tests/support/TempGameDir.h"

struct CTraderProbe {
  static void set(CTrader& t, Integer kind, Integer price, bool stocked) {
    t.Prices[kind] = price;
    t.InStock[kind] = stocked ? vbTrue : vbFalse;
  }
};

namespace {
class TraderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(11);
    World = std::make_shared<CWorld>();
  }
  void TearDown() override {
    World.reset();
    clearRndTestSeed();
  }
};
}  // namespace

TEST_F(TraderTest, PricesFollowTheEraWithinTheirSwing) {
  struct Case {
    Integer era, kind, low, high;
  };
  // Before dips and spikes: base x (era / 4 + 1) +-10; dips reach 50 lower (floor 5), spikes 100 higher.
  const Case cases[] = {{0, 6, 5, 25 + 100}, {8, 7, 5, 160 + 100}, {1, 4, 5, 66 + 100}};
  for (const Case& c : cases) {
    World->CurrentEra = c.era;
    int inSwing = 0;
    for (int k = 0; k < 400; ++k) {
      CTrader t;
      t.Init(0);
      t.setRandomResources();
      const Integer p = t.getResourcePrice(c.kind);
      EXPECT_GE(p, c.low);
      EXPECT_LE(p, c.high);
      const double mid = (c.era / 4.0 + 1) * GoodsBasePrice[c.kind];
      if (p >= mid - 10 && p <= mid + 10) ++inSwing;
      int stocked = 0;
      for (Integer g = 0; g < 8; ++g) stocked += t.getHasRsc(g) ? 1 : 0;
      EXPECT_GE(stocked, 1);
      EXPECT_LE(stocked, 4);
    }
    EXPECT_GT(inSwing, 320) << "era " << c.era;  // about 90 % see neither a dip nor a spike
  }
  CTrader t;
  EXPECT_THROW(t.getResourcePrice(16), VbError);
}

TEST_F(TraderTest, CheapestAndDearestStockedKinds) {
  TempGameDir dir;
  World->AddNode("A", "a", 0, 0, "", 0, 0, 0);
  World->AddNode("B", "tutorial", 0, 0, "", 0, 0, 0);
  World->InitTraders();  // maps missing: reported, no trade
  CTrader& t = World->getTrader(0);
  t.Init(0);
  for (Integer k = 0; k < 8; ++k) CTraderProbe::set(t, k, 0, false);
  EXPECT_EQ(World->getTraderCheapestType(0), 0);  // nothing stocked
  EXPECT_EQ(World->getTraderCheapestPrice(0), 0);
  EXPECT_EQ(World->getTraderExpestPrice(0), 0);
  CTraderProbe::set(t, 3, 40, true);
  EXPECT_EQ(World->getTraderCheapestType(0), 3);  // a single kind is both
  EXPECT_EQ(World->getTraderExpestType(0), 3);
  CTraderProbe::set(t, 5, 12, true);
  CTraderProbe::set(t, 6, 12, true);
  CTraderProbe::set(t, 7, 90, true);
  CTraderProbe::set(t, 1, 99, false);  // not stocked: ignored
  EXPECT_EQ(World->getTraderCheapestType(0), 5);  // a tie keeps the lower kind
  EXPECT_EQ(World->getTraderCheapestPrice(0), 12);
  EXPECT_EQ(World->getTraderExpestType(0), 7);
  EXPECT_EQ(World->getTraderExpestPrice(0), 90);
  World->CurrentNode = 0;
  EXPECT_EQ(World->getTraderResource(7), 90);
  EXPECT_EQ(World->getTraderHasRsc(7), vbTrue);
  EXPECT_EQ(World->getTraderHasRsc(1), 0);
  EXPECT_EQ(World->getLocaleHasTrade(1), 0);  // "tutor..." never trades
}

TEST_F(TraderTest, TheFirstTwentyMapLoadsNeverReRoll) {
  TempGameDir dir;
  World->AddNode("A", "a", 0, 0, "", 0, 0, 0);
  World->InitTraders();
  CTrader& t = World->getTrader(0);
  CTraderProbe::set(t, 0, 1, true);
  for (int k = 0; k < 20; ++k) World->MapLoadMsg();
  EXPECT_EQ(World->getTrader(0).getResourcePrice(0), 1);
  int loads = 0;
  while (World->getTrader(0).getResourcePrice(0) == 1 && loads < 500) {
    World->MapLoadMsg();
    ++loads;
  }
  EXPECT_LT(loads, 500);  // later loads re-roll now and then
  EXPECT_GT(loads, 0);
}
