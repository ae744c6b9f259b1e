// The shipyard driven frame by frame: prices with and without the trade-in, the cash rule, the
// purchases it refuses, and the fleet page's bays with their purchase and sale.
#include <algorithm>
#include <cmath>

#include "tests/interface/StoreFixture.h"

struct ShipyardProbe {
  CInterface& g;
  auto& stock() { return g.shipStock; }
  Integer& selItem() { return g.selItem; }
  Integer& fleetSlot() { return g.fleetSlot; }
  bool& fleetMode() { return g.shipyardFleetMode; }
  Integer pendingType() const { return g.pendingShipType; }
  Long pendingPrice() const { return g.pendingPrice; }
  Integer pendingSlot() const { return g.pendingSlot; }
  void draw() { g.drawShipyard(); }
};

namespace {
constexpr D3DCOLOR Grey = 0xFF646464, Green = 0xFF00FF00, Red = 0xFFFF0000;
// Buttons of the 500-wide frame at (X0, Y0).
constexpr Single BuyX = X0 + 385, BuyY = Y0 + 225, FleetModeY = Y0 + 275;
constexpr Single FleetBuyX = X0 + 342, FleetSellX = X0 + 427, FleetButtonY = Y0 + 230;
constexpr Single bayX(int b) { return X0 + 305 + 52 * b; }
constexpr Single BayY = Y0 + 145;

class Shipyard : public StoreFixture {
 protected:
  void SetUp() override {
    StoreFixture::SetUp();
    ShipyardProbe p = yard();
    p.stock().fill(-1);
    p.stock()[0] = 2;
    p.stock()[1] = 3;
    p.stock()[2] = 4;
    p.selItem() = 0;
    ShipDefs[1]->Price = 1250;  // the ship flown
    ShipDefs[2]->Price = 2000;
    ShipDefs[3]->Price = 1000;
    *ShipDefs[4] = design(sbCapital, 3);
    ShipDefs[4]->Price = 8000;
    ShipDefs[4]->DockBays = 2;
  }
  ShipyardProbe yard() { return ShipyardProbe{*gi}; }
  void draw() { yard().draw(); }
  D3DCOLOR colourOf(const std::string& s) const {
    auto t = findText(s);
    return t ? t->colour : 0;
  }
};
}  // namespace

TEST_F(Shipyard, ATradeInOfAQuarterAndCashEqualToThePriceIsEnough) {
  gi->Window = msShipyard;
  Player->Cash = 1688;
  frame([&] { draw(); });
  EXPECT_TRUE(hasText("trade-in:$312.5")) << allTexts();
  EXPECT_NE(colourOf("buy:$1688"), Grey) << allTexts();
  clickAt(BuyX, BuyY, [&] { draw(); });
  EXPECT_EQ(gi->Window, msConfirmPurchase);
  EXPECT_EQ(yard().pendingType(), 2);
  EXPECT_EQ(yard().pendingPrice(), 1688);
  EXPECT_EQ(yard().pendingSlot(), -1);

  gi->Window = msShipyard;
  Player->Cash = 1687;
  clickAt(BuyX, BuyY, [&] { draw(); });
  EXPECT_EQ(colourOf("buy:$1688"), Grey);
  EXPECT_EQ(gi->Window, msShipyard);

  // A trade-in beyond the price pays out: the price is shown with its sign.
  ShipDefs[1]->Price = 12000;
  frame([&] { draw(); });
  EXPECT_TRUE(hasText("buy:$-1000")) << allTexts();
}

TEST_F(Shipyard, TheTradeInLineStandsClearOfTheBuyButton) {
  // The line is drawn before the button, so any overlap hides it under the button.
  gi->Window = msShipyard;
  Player->Cash = 5000;
  frame([&] { draw(); });
  const auto line = findText("trade-in:$312.5");
  ASSERT_TRUE(line) << allTexts();
  Single buttonTop = 1e9f;
  for (const D3DCall& c : drawsOf(TexRoundedW))
    if (std::fabs(c.matrix.m[3][0] - BuyX) < 100) buttonTop = std::min(buttonTop, c.matrix.m[3][1]);
  ASSERT_LT(buttonTop, 1e9f) << "no buy button drawn";
  EXPECT_LE(line->y + 36 * 0.45f, buttonTop);  // a text line of size 0.45 is 36 x 0.45 pixels high
}

TEST_F(Shipyard, RefusedPurchasesAndTheCarrierPrice) {
  struct Case {
    const char* what;
    Long currentBody;
    Integer selected;     // stock entry
    Integer motherShip;
    const char* price;    // the buy button's text, "can'tbuy" when refused
    bool tradeIn;
  } cases[] = {
      {"the ship flown", sbCar, 3, -1, "can'tbuy", true},
      {"a carrier from a fleet ship", sbCar, 2, 5, "can'tbuy", false},
      {"a carrier from a plain ship: full price", sbCar, 2, -1, "buy:$8000", false},
      {"a carrier from a carrier: traded in", sbCapital, 2, -1, "buy:$7688", true},
      {"a plain ship from a carrier", sbCapital, 0, -1, "buy:$1688", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    setPlayerDesign(c.currentBody, 3);
    ShipDefs[1]->Price = 1250;
    yard().stock()[3] = 1;  // the design flown is on sale too
    yard().selItem() = c.selected;
    MotherShip = c.motherShip;
    Player->Cash = 100000;
    gi->Window = msShipyard;
    clickAt(BuyX, BuyY, [&] { draw(); });
    ASSERT_TRUE(hasText(c.price)) << allTexts();
    EXPECT_EQ(hasText("trade-in:$312.5"), c.tradeIn);
    EXPECT_EQ(gi->Window, std::string(c.price) == "can'tbuy" ? msShipyard : msConfirmPurchase);
    EXPECT_EQ(hasText("fleetmode"), c.currentBody == sbCapital);
  }
  MotherShip = -1;
}

TEST_F(Shipyard, TheFleetPageBuysIntoBaysAndSellsForAQuarter) {
  setPlayerDesign(sbCapital, 3);  // two dock bays
  ShipDefs[1]->Price = 1250;
  SubPlayers[0]->ShipType = 3;
  Player->Cash = 2000;
  gi->Window = msShipyard;
  clickAt(BuyX, FleetModeY, [&] { draw(); });
  EXPECT_TRUE(yard().fleetMode());
  EXPECT_EQ(yard().fleetSlot(), -1);

  // The empty second bay: the full price, enough cash.
  clickAt(bayX(1), BayY, [&] { draw(); });
  EXPECT_EQ(yard().fleetSlot(), 1);
  frame([&] { draw(); });
  EXPECT_TRUE(hasText("slot2")) << allTexts();
  EXPECT_TRUE(hasText("buyforslot2"));
  EXPECT_EQ(colourOf("price:$2000"), Green);
  clickAt(FleetSellX, FleetButtonY, [&] { draw(); });  // nothing to sell
  EXPECT_EQ(gi->Window, msShipyard);
  clickAt(FleetBuyX, FleetButtonY, [&] { draw(); });
  EXPECT_EQ(gi->Window, msConfirmPurchase);
  EXPECT_EQ(yard().pendingSlot(), 1);
  EXPECT_EQ(yard().pendingPrice(), 2000);

  // The occupied first bay trades its ship in; one dollar short turns the lines red.
  gi->Window = msShipyard;
  Player->Cash = 1749;
  clickAt(bayX(0), BayY, [&] { draw(); });
  frame([&] { draw(); });
  EXPECT_EQ(colourOf("trade-in:$250"), Red) << allTexts();
  EXPECT_EQ(colourOf("finalprice:$1750"), Red);
  EXPECT_EQ(colourOf("buy"), Grey);
  clickAt(FleetSellX, FleetButtonY, [&] { draw(); });
  EXPECT_EQ(gi->Window, msConfirmSell);
  EXPECT_EQ(yard().pendingType(), 3);
  EXPECT_EQ(yard().pendingPrice(), 250);
  EXPECT_EQ(yard().pendingSlot(), 0);

  // A carrier never goes into a bay, whatever the cash.
  gi->Window = msShipyard;
  Player->Cash = 1000000;
  yard().selItem() = 2;
  clickAt(FleetBuyX, FleetButtonY, [&] { draw(); });
  EXPECT_EQ(colourOf("buy"), Grey);
  EXPECT_EQ(gi->Window, msShipyard);
}
