// The landed-ship screens driven frame by frame with the pointer and the click latch: the store
// frame and its "done!", the gas station and the ship stats box, the hardware and weapon stores,
// goods trading, plunder, the wait screen, the banners and the save icon.
#include "tests/interface/StoreFixture.h"
#include "runtime/VbError.h"

namespace {

class StoreScreens : public StoreFixture {
 protected:
  // Catalogue entries written straight into the interface: id, price, energy.
  void setItem(int id, Long price, Long energy = 0) {
    auto& e = probe().items()[static_cast<size_t>(id)];
    e.name = "item" + std::to_string(id);
    e.desc = "a thing";
    e.price = price;
    e.value = energy;
  }
  // The colour of the caption text s in the last frame (0 when not drawn).
  D3DCOLOR colourOf(const std::string& s) const {
    auto t = findText(s);
    return t ? t->colour : 0;
  }
  static constexpr D3DCOLOR Grey = 0xFF646464;  // a disabled button's caption
  // Centre of store grid cell (c, r) and owned cell i of the 500-wide stores; their button.
  static Single cellX(int c) { return X0 + 20 + 70 * c + 32; }
  static Single cellY(int r) { return Y0 + 50 + 70 * r + 32; }
  static Single ownedX(int i) { return X0 + 40 + 70 * i + 32; }
  static constexpr Single OwnedY = Y0 + 240 + 32;
  static constexpr Single BuyX = X0 + 320 + 72, BuyY = Y0 + 200 + 10;
};

// ---- store frame ---------------------------------------------------------------------------

TEST_F(StoreScreens, FrameShowsTitleAndCashAndDoneReturnsToFlight) {
  gi->Window = msHardware;
  ship().LandingFrame = 3;
  Player->Cash = -50;
  frame([&] { EXPECT_EQ(probe().frame("planet hardware", 500).x, X0); });
  EXPECT_TRUE(hasText("planethardware")) << allTexts();
  auto cash = findText("$-50");
  ASSERT_TRUE(cash) << allTexts();
  EXPECT_EQ(cash->colour, 0xFF00FF00u);
  EXPECT_EQ(gi->Window, msHardware);

  ship().Steering = 12;
  clickAt(buttonCx(X0 + 175, 150), buttonCy(Y0 + 320), [&] { probe().frame("planet hardware", 500); });
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_EQ(ship().LandingFrame, 1001);
  EXPECT_EQ(ship().Steering, 0);  // the frame stops the steering

  // The gas station's frame is 300 wide: its "done!" is centred on it.
  gi->Window = msGasStation;
  clickAt(400, Y0 + 330, [&] { probe().gas(); });
  EXPECT_EQ(gi->Window, msNone);
  // The shipyard leaves by "done!" too.
  gi->Window = msShipyard;
  clickAt(400, Y0 + 330, [&] { probe().shipyard(); });
  EXPECT_EQ(gi->Window, msNone);
}

// ---- gas station and stats ---------------------------------------------------------------------

TEST_F(StoreScreens, GasStationFillsAsFarAsTheCashGoes) {
  const Single fuelY = buttonCy(Y0 + 110), hullY = buttonCy(Y0 + 160), shieldY = buttonCy(Y0 + 210);
  struct FuelCase {
    Long fuel, cash;
    const char* caption;
    Long cashAfter, fuelAfter;
  };
  ShipDefs[1]->MaxFuel = 180;
  ship().MakeModdedDef();
  for (const FuelCase& c : {FuelCase{100, 10, "fuelup:$3.2", 7, 180}, FuelCase{0, 5, "fuelup:$5", 0, 125},
                            FuelCase{0, 0, "fuelup:$0", 0, 0}, FuelCase{0, -40, "fuelup:$0", -40, 0}}) {
    setPlayerDesign(sbCar, 3);
    *ShipDefs[1] = design(sbCar, 3);
    if (c.fuel == 100) {
      ShipDefs[1]->MaxFuel = 180;
      ship().setDef(*ShipDefs[1]);
      ship().MakeModdedDef();
    }
    ship().Fuel = c.fuel;
    Player->Cash = c.cash;
    frame([&] { probe().gas(); });
    EXPECT_TRUE(hasText(c.caption)) << c.fuel << "/" << c.cash << ": " << allTexts();
    clickAt(400, fuelY, [&] { probe().gas(); });
    EXPECT_EQ(Player->Cash, c.cashAfter) << c.caption;
    EXPECT_EQ(ship().Fuel, c.fuelAfter) << c.caption;
  }

  setPlayerDesign(sbCar, 3);
  ship().Armor = 40.3f;
  ship().Shields = 91;
  Player->Cash = 1000;
  frame([&] { probe().gas(); });
  EXPECT_TRUE(hasText("repairhull:$120")) << allTexts();
  EXPECT_EQ(colourOf("rechargeshields:$0"), Grey);
  clickAt(400, shieldY, [&] { probe().gas(); });
  EXPECT_EQ(ship().Shields, 91);
  clickAt(400, hullY, [&] { probe().gas(); });
  EXPECT_EQ(Player->Cash, 880);
  EXPECT_FLOAT_EQ(ship().Armor, 100.3f);
  ship().Shields = 80;
  clickAt(400, shieldY, [&] { probe().gas(); });
  EXPECT_EQ(Player->Cash, 878);
  EXPECT_EQ(ship().Shields, 100);
  frame([&] { probe().gas(); });
  EXPECT_EQ(colourOf("repairhull:$0"), Grey);
  EXPECT_EQ(colourOf("fuelup:$0"), Grey);

  // Short of cash the hull is repaired in part: 50 of 120 buys 25 points.
  ship().Armor = 40;
  Player->Cash = 50;
  clickAt(400, hullY, [&] { probe().gas(); });
  EXPECT_EQ(Player->Cash, 0);
  EXPECT_FLOAT_EQ(ship().Armor, 65);
}

TEST_F(StoreScreens, ShipStatsListTheDesignAndMoveTheAnchor) {
  ShipDefs[4]->TotalMounts = 3;
  ShipDefs[4]->MaxArmor = 250;
  Single x = 600, y = 100;
  frame([&] { probe().stats(x, y, 4); });
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, 55);
  EXPECT_TRUE(hasText("mounts:4")) << allTexts();
  EXPECT_TRUE(hasText("armor:250"));
  EXPECT_TRUE(hasText("accelleration:1.5"));
  auto stats = findText("stats");
  ASSERT_TRUE(stats);
  EXPECT_EQ(stats->colour, 0xFFFFFF00u);
  EXPECT_THROW(probe().stats(x, y, 40), VbError);
}

// ---- hardware store ----------------------------------------------------------------------------

TEST_F(StoreScreens, HardwareBuysAndSellsOncePerClick) {
  for (int id = 0; id < 32; ++id) setItem(id, 1000 + id, 2);
  setItem(0, 600, 3);
  setItem(7, 25, 2);
  dir->write("\\data\\partsdef.pnd", "");
  gi->InitParts(0);  // 0, 1, 6, 7, 13, 15, 17, 21, 22
  Player->Cash = 2000;

  // Laser: cell 0. One click buys it once onto mount 0; the next frames change nothing.
  clickAt(cellX(0), cellY(0), [&] { probe().hardware(); });
  EXPECT_EQ(probe().selItem(), 0);
  EXPECT_TRUE(hasText("buy:$600")) << allTexts();
  clickAt(BuyX, BuyY, [&] { probe().hardware(); });
  EXPECT_EQ(Player->Cash, 1400);
  EXPECT_EQ(ship().getMount(0), 1);
  EXPECT_EQ(Player->getMount(0), 1);
  frame([&] { probe().hardware(); });
  EXPECT_EQ(Player->Cash, 1400);
  EXPECT_EQ(ship().getMount(1), -1);

  // Too little cash: a grey price and no purchase.
  Player->Cash = 500;
  clickAt(BuyX, BuyY, [&] { probe().hardware(); });
  EXPECT_EQ(colourOf("buy:$600"), Grey) << allTexts();
  EXPECT_EQ(Player->Cash, 500);
  EXPECT_EQ(ship().getMount(1), -1);

  // The armour part armorx (id 7, cell 3): bought, then every armour shows "can't buy"; sold for 12 (12.5 to even).
  clickAt(cellX(3), cellY(0), [&] { probe().hardware(); });
  clickAt(BuyX, BuyY, [&] { probe().hardware(); });
  EXPECT_EQ(Player->ArmorLev, 1);
  EXPECT_EQ(Player->Cash, 475);
  EXPECT_EQ(ship().getMaxArmor(), 250);
  frame([&] { probe().hardware(); });
  EXPECT_EQ(colourOf("can'tbuy"), Grey);
  // Owned row: mounts 1..4, then the armour code 17 in cell 4.
  EXPECT_EQ(probe().ownedList()[4], 17);
  EXPECT_TRUE(hasText("1")) << allTexts();
  clickAt(ownedX(4), OwnedY, [&] { probe().hardware(); });
  EXPECT_EQ(probe().selItem(), 104);
  EXPECT_TRUE(hasText("sell:$12")) << allTexts();
  clickAt(BuyX, BuyY, [&] { probe().hardware(); });
  EXPECT_EQ(Player->ArmorLev, 0);
  EXPECT_EQ(Player->Cash, 487);
  EXPECT_EQ(ship().getMaxArmor(), 100);

  // An upgrade flag: the fuel doubler (cell 2) raises the tank; owned it cannot be bought again;
  // sold (owned cell 4, code 16) for half of 1006, rounded to the even 503.
  Player->Cash = 2000;
  clickAt(cellX(2), cellY(0), [&] { probe().hardware(); });
  clickAt(BuyX, BuyY, [&] { probe().hardware(); });
  EXPECT_TRUE(Player->HasFuelDoubler);
  EXPECT_EQ(Player->Cash, 994);
  EXPECT_EQ(ship().getMaxFuel(), 1500);
  frame([&] { probe().hardware(); });
  EXPECT_TRUE(hasText("can'tbuy"));
  EXPECT_EQ(probe().ownedList()[4], 16);
  clickAt(ownedX(4), OwnedY, [&] { probe().hardware(); });
  clickAt(BuyX, BuyY, [&] { probe().hardware(); });
  EXPECT_FALSE(Player->HasFuelDoubler);
  EXPECT_EQ(Player->Cash, 994 + 503);
  EXPECT_EQ(ship().getMaxFuel(), 500);
  Player->Cash = 787 - 300;

  // Selling the laser on mount 0 (cell 0 of the owned row): half of 600.
  clickAt(ownedX(0), OwnedY, [&] { probe().hardware(); });
  clickAt(BuyX, BuyY, [&] { probe().hardware(); });
  EXPECT_EQ(Player->Cash, 787);
  EXPECT_EQ(ship().getMount(0), -1);
  EXPECT_EQ(Player->getMount(0), -1);
  clickAt(BuyX, BuyY, [&] { probe().hardware(); });  // the empty mount: nothing to sell
  EXPECT_EQ(Player->Cash, 787);
}

TEST_F(StoreScreens, HardwareRulesOfBodyMountsAndEnergy) {
  for (int id = 0; id < 32; ++id) setItem(id, 100, 1);
  setItem(10, 100, 5);
  dir->write("\\data\\partsdef.pnd", "");
  gi->InitParts(3);
  Player->Cash = 5000;
  StoreProbe p = probe();
  auto buyable = [&](Integer slot) {
    p.selItem() = slot;
    frame([&] { probe().hardware(); });
    return hasText("buy:$100");
  };
  // Stock order of tier 3: slot 0 laser, slot 10 cannon, slot 19 tractor boost (id 20).
  EXPECT_TRUE(buyable(0));
  EXPECT_FALSE(buyable(10));
  EXPECT_FALSE(buyable(19));
  setPlayerDesign(sbCapital, 3);
  EXPECT_FALSE(buyable(0));
  EXPECT_TRUE(buyable(10));
  EXPECT_TRUE(buyable(19));

  // Energy: a part that needs more than the capacity left shows red figures and "can't buy".
  setItem(10, 100, 25);
  EXPECT_FALSE(buyable(10));
  auto energy = findText("energy:25");
  ASSERT_TRUE(energy) << allTexts();
  EXPECT_EQ(energy->colour, 0xFFFF0000u);
  EXPECT_TRUE(hasText("can'tbuy"));
  EXPECT_TRUE(hasText(std::to_string(Player->getEnergyLoad()) + "/20")) << allTexts();

  // Every mount taken: no mount weapon is offered; one sold, they are offered again.
  setItem(10, 100, 0);
  for (Integer m = 0; m < 4; ++m) ship().setMount(m, 5);
  EXPECT_EQ(p.freeMount(), -1);
  EXPECT_FALSE(buyable(10));
  ship().setMount(2, -1);
  EXPECT_EQ(p.freeMount(), 2);
  EXPECT_TRUE(buyable(10));

  // An empty cell of the grid selects it and offers nothing.
  gi->InitParts(0);  // nine parts: on the second row of Scroll 1 only slot 8 is filled
  gi->Scroll = 1;
  clickAt(cellX(1), cellY(1), [&] { probe().hardware(); });
  EXPECT_EQ(gi->Scroll, 1);
  EXPECT_EQ(p.selItem(), 9);
  frame([&] { probe().hardware(); });
  EXPECT_TRUE(hasText("can'tbuy"));
  EXPECT_TRUE(hasText("energy:0"));
}

// ---- weapon store ------------------------------------------------------------------------------

TEST_F(StoreScreens, WeaponStoreMagazinesAndQuarterPriceSales) {
  dir->write("\\data\\ammodef.pnd", "");
  gi->InitWeaponList(0);  // slots: 3, 0, 13, 10, 14
  setItem(3, 50);
  setItem(0, 30);
  setItem(13, 20);
  Player->Cash = 1000;

  // Shotty ammunition (slot 2) with 96 rounds: 3/5 of 20 = 12, and the magazine stops at 99.
  ship().setSecondaryAmmo(3, 96);
  clickAt(cellX(2), cellY(0), [&] { probe().weapons(); });
  EXPECT_TRUE(hasText("buy:$12")) << allTexts();
  clickAt(BuyX, BuyY, [&] { probe().weapons(); });
  EXPECT_EQ(ship().getSecondaryAmmo(3), 99);
  EXPECT_EQ(Player->Cash, 988);
  EXPECT_EQ(Player->getAmmo(3), 99);
  frame([&] { probe().weapons(); });
  EXPECT_EQ(colourOf("can'tbuy"), Grey);

  // The shotty itself (slot 0): bought once, rounds kept at 99; then it is owned.
  clickAt(cellX(0), cellY(0), [&] { probe().weapons(); });
  clickAt(BuyX, BuyY, [&] { probe().weapons(); });
  EXPECT_EQ(Player->Cash, 938);
  EXPECT_TRUE(ship().getHasSecondary(3));
  EXPECT_TRUE(Player->getHasWeapon(3));
  frame([&] { probe().weapons(); });
  EXPECT_TRUE(hasText("can'tbuy"));
  EXPECT_TRUE(hasText("99"));  // its rounds in the owned row
  EXPECT_EQ(Player->Cash, 938);

  // Sold for 12 (12.5 to the even 12); the rounds stay on the ship.
  clickAt(ownedX(0), OwnedY, [&] { probe().weapons(); });
  EXPECT_TRUE(hasText("sell:$12")) << allTexts();
  clickAt(BuyX, BuyY, [&] { probe().weapons(); });
  EXPECT_EQ(Player->Cash, 950);
  EXPECT_FALSE(ship().getHasSecondary(3));
  EXPECT_EQ(ship().getSecondaryAmmo(3), 99);

  // The missile (price 30) sells for 8 (7.5 to the even 8).
  ship().setSecondary(0, true);
  Player->setHasWeaponFromShip(0);
  clickAt(ownedX(0), OwnedY, [&] { probe().weapons(); });
  EXPECT_TRUE(hasText("sell:$8")) << allTexts();

  // A cell past the last stocked slot selects the last stocked slot.
  clickAt(cellX(3), cellY(1), [&] { probe().weapons(); });
  EXPECT_EQ(probe().selItem(), 4);
}

TEST_F(StoreScreens, IconsComeFromTheirSheetCells) {
  struct Case {
    Integer id;
    bool weapon;
    Integer sheet;  // PartsTex index for parts
    Long left, top;
  };
  for (const Case& c : {Case{8, true, 0, 0, 128}, Case{10, true, 0, 0, 128}, Case{18, true, 0, 0, 0},
                        Case{17, true, 0, 192, 192}, Case{2, false, 0, 0, 0}, Case{0, false, 0, 64, 0},
                        Case{31, false, 1, 64, 192}, Case{40, false, 0, 0, 0}}) {
    const Integer handle = c.weapon ? TexWeapons : PartsTex[static_cast<size_t>(c.sheet)];
    frame([&] {
      if (c.weapon)
        probe().weaponIcon(c.id, 10, 20);
      else
        probe().partIcon(c.id, 10, 20);
    });
    const auto draws = drawsOf(handle);
    ASSERT_EQ(draws.size(), 1u) << c.id;
    EXPECT_EQ(draws[0].rect.left, c.left) << c.id;
    EXPECT_EQ(draws[0].rect.top, c.top) << c.id;
    EXPECT_EQ(draws[0].rect.right - draws[0].rect.left, 64);
    EXPECT_FLOAT_EQ(draws[0].matrix.m[3][0], 10);
  }
  frame([&] { probe().weaponIcon(-1, 10, 20); });
  EXPECT_TRUE(drawsOf(TexWeapons).empty());
}

// ---- goods trading -----------------------------------------------------------------------------

TEST_F(StoreScreens, TradingBuysWithinCashAndHoldAndSellsAtThreeQuarters) {
  World = std::make_shared<CWorld>();
  World->AddNode("market", "market", 10, 10, "", 0, 0, 0);
  World->InitTraders();
  World->CurrentNode = 0;
  Integer kind = -1;
  for (Integer k = 0; k < 8 && kind < 0; ++k)
    if (World->getTraderHasRsc(k)) kind = k;
  ASSERT_GE(kind, 0);
  const Long price = World->getTraderResource(kind);
  ASSERT_GT(price, 0);
  const Single buyX = X0 + 100, buyY = Y0 + 64 - 20 + 30;
  const Single sellX = X0 + 350, sellY = buyY;
  auto buy = [&](Integer button) { clickAt(buyX, buyY, [&] { probe().trading(false); }, button); };

  struct BuyCase {
    Long cash;
    Integer free;
    Integer button;
    Integer bought;
  };
  for (const BuyCase& c : {BuyCase{10 * price - 1, 30, 1, 1}, BuyCase{10 * price + 50, 30, 2, 1},
                           BuyCase{10 * price + 50, 30, 1, 10}, BuyCase{10 * price + 50, 4, 1, 4},
                           BuyCase{10 * price + 50, 0, 1, 0}, BuyCase{price - 1, 30, 1, 0}}) {
    ShipDefs[1]->Cargo = c.free;
    ship().setDef(*ShipDefs[1]);
    Player->setResource(kind, 0);
    gi->cargoToShip();
    Player->Cash = c.cash;
    buy(c.button);
    EXPECT_EQ(Player->getResource(kind), c.bought) << c.cash << " " << c.free;
    EXPECT_EQ(Player->Cash, c.cash - c.bought * price);
    EXPECT_EQ(ship().getResource(kind), c.bought);
  }

  // An overloaded hold (negative free space) buys nothing and never pays out.
  ShipDefs[1]->Cargo = 2;
  ship().setDef(*ShipDefs[1]);
  Player->setResource(kind, 5);
  gi->cargoToShip();
  Player->Cash = 100 * price;
  buy(1);
  EXPECT_EQ(Player->getResource(kind), 5);
  EXPECT_EQ(Player->Cash, 100 * price);

  // Selling: one unit (any other button) or all (left), rounded half to even.
  ShipDefs[1]->Cargo = 30;
  ship().setDef(*ShipDefs[1]);
  Player->setResource(kind, 3);
  Player->Cash = 0;
  frame([&] { probe().trading(true); });
  EXPECT_TRUE(hasText("pleasanttrading"));
  EXPECT_TRUE(hasText("$" + std::to_string(CLng(price * 0.75)))) << allTexts();
  clickAt(sellX, sellY, [&] { probe().trading(false); }, 2);
  EXPECT_EQ(Player->getResource(kind), 2);
  EXPECT_EQ(Player->Cash, CLng(price * 0.75));
  const Long before = Player->Cash;
  clickAt(sellX, sellY, [&] { probe().trading(false); }, 1);
  EXPECT_EQ(Player->getResource(kind), 0);
  EXPECT_EQ(Player->Cash, CLng(before + price * 0.75 * 2));
  EXPECT_EQ(ship().getResource(kind), 0);
}

TEST_F(StoreScreens, TradingSellListScrollsWithinTheKindsHeld) {
  World = std::make_shared<CWorld>();
  World->AddNode("market", "market", 10, 10, "", 0, 0, 0);
  World->InitTraders();
  World->CurrentNode = 0;
  for (Integer k = 0; k < 5; ++k) Player->setResource(k, 1);
  gi->Scroll = 9;
  frame([&] { probe().trading(false); });
  EXPECT_EQ(gi->Scroll, 4);
  Player->setResource(0, 0);
  frame([&] { probe().trading(false); });
  EXPECT_EQ(gi->Scroll, 3);
  Player->setResource(1, 0), Player->setResource(2, 0), Player->setResource(3, 0), Player->setResource(4, 0);
  frame([&] { probe().trading(false); });
  EXPECT_EQ(gi->Scroll, 0);
}

// ---- plunder -----------------------------------------------------------------------------------

class Plunder : public StoreScreens {
 protected:
  void SetUp() override {
    StoreScreens::SetUp();
    Ships.push_back(std::make_shared<CShip>());
    CShipDef d = design(sbCar, 1);
    d.Price = 20000;
    wreck().setDef(d);
    wreck().ShipType = 6;
    wreck().MakeModdedDef();
    wreck().Armor = -5;
    wreck().Exists = true;
    wreck().setCash(300);
    CShipLevelProbe::tractorTarget(ship()) = 1;
    gi->Window = msPlunder;
  }
  CShip& wreck() { return *Ships[1]; }
  void draw() { probe().plunder(); }
  static constexpr Single RowX = X0 + 100, RowY = Y0 + 84 + 32;
  static constexpr Single ButtonX = X0 + 360, TakeAllY = Y0 + 120, CashY = Y0 + 70, ShipY = Y0 + 170,
                          DoneY = Y0 + 220;
};

TEST_F(Plunder, WithoutCapturedShipItClosesAtOnce) {
  for (Integer target : {-1, 0, 7}) {
    gi->Window = msPlunder;
    ship().TractorFrame = 3;
    ship().keyWarp = true;
    CShipLevelProbe::tractorTarget(ship()) = target;
    frame([&] { draw(); });
    EXPECT_EQ(gi->Window, msNone) << target;
    EXPECT_EQ(ship().TractorFrame, 1001);
    EXPECT_FALSE(ship().keyWarp);
  }
}

TEST_F(Plunder, GoodsAsFarAsTheHoldTakesAndTheCash) {
  ShipDefs[1]->Cargo = 5;
  ship().setDef(*ShipDefs[1]);
  wreck().setResource(2, 12);
  Player->Cash = 100;
  clickAt(RowX, RowY, [&] { draw(); });
  EXPECT_EQ(Player->getResource(2), 5);
  EXPECT_EQ(ship().getResource(2), 5);
  EXPECT_EQ(wreck().getResource(2), 7);
  EXPECT_EQ(Player->Cash, 100);
  clickAt(RowX, RowY, [&] { draw(); });  // the hold is full: nothing more
  EXPECT_EQ(wreck().getResource(2), 7);

  // "take all" over six slots (four rows shown) takes what fits, and the cash.
  ShipDefs[1]->Cargo = 100;
  ship().setDef(*ShipDefs[1]);
  for (Integer k = 0; k < 6; ++k) wreck().setResource(k, 10);
  frame([&] { draw(); });
  EXPECT_TRUE(hasText("takecash:$300")) << allTexts();
  EXPECT_TRUE(hasText("bananas")) << allTexts();
  EXPECT_FALSE(hasText("bananas(10)"));
  clickAt(ButtonX, TakeAllY, [&] { draw(); });
  for (Integer k = 0; k < 6; ++k) EXPECT_EQ(wreck().getResource(k), 0) << k;
  EXPECT_EQ(Player->getResource(2), 15);
  EXPECT_EQ(Player->Cash, 400);
  EXPECT_EQ(wreck().getCash(), 0);
  EXPECT_TRUE(wreck().Exists);
  frame([&] { draw(); });
  EXPECT_EQ(colourOf("takecash:$0"), Grey);

  clickAt(ButtonX, DoneY, [&] { draw(); });
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_EQ(ship().TractorFrame, 1001);
}

TEST_F(Plunder, TakeShipOnlyIntoAFreeBayOfACarrier) {
  frame([&] { draw(); });
  EXPECT_EQ(colourOf("takeship"), Grey);  // an ordinary ship never takes ships
  setPlayerDesign(sbCapital, 3);           // two dock bays
  frame([&] { draw(); });
  EXPECT_EQ(colourOf("takeship"), Grey) << "a wreck still sparking cannot be taken";
  wreck().TractorSparkOut();
  SubPlayers[0]->ShipType = 3;
  frame([&] { draw(); });
  EXPECT_NE(colourOf("takeship"), Grey);
  clickAt(ButtonX, ShipY, [&] { draw(); });
  EXPECT_FALSE(wreck().Exists);
  ASSERT_TRUE(SubPlayers[1]);
  EXPECT_EQ(SubPlayers[1]->ShipType, 6);
  EXPECT_TRUE(SubPlayers[1]->SubVersion);
  EXPECT_FLOAT_EQ(SubPlayers[1]->Armor, 100);
  EXPECT_EQ(SubPlayers[0]->ShipType, 3);
}

TEST_F(Plunder, AnExpensiveShipNeedsTheTractorBoost) {
  setPlayerDesign(sbCapital, 3);
  CShipDef d = design(sbCar, 1);
  d.Price = 150000;
  wreck().setDef(d);
  wreck().TractorSparkOut();
  CShipLevelProbe::sparkVal(wreck()) = 2.0f;
  clickAt(ButtonX, ShipY, [&] { draw(); });
  EXPECT_TRUE(wreck().Exists);
  EXPECT_FALSE(wreck().getTooSparkedForTakeover());
  EXPECT_EQ(CShipLevelProbe::sparkVal(wreck()), 1.0f);  // only sparked
  Player->HasTractorBoost = true;
  clickAt(ButtonX, ShipY, [&] { draw(); });
  EXPECT_FALSE(wreck().Exists);
  EXPECT_EQ(SubPlayers[0]->ShipType, 6);
}

// ---- wait screen, banners, save icon -----------------------------------------------------------

TEST_F(StoreScreens, WaitScreenCountsDownToFlight) {
  gi->Window = msWaitForASec;
  gi->InitWaitForASec();
  ship().LandingFrame = 2;
  ship().TractorFrame = 0;
  FrameTime = 1.0;
  for (int i = 0; i < 3; ++i) {
    probe().wait();
    EXPECT_EQ(gi->Window, msWaitForASec) << i;
  }
  probe().wait();
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_EQ(ship().LandingFrame, 1001);
  EXPECT_EQ(ship().TractorFrame, 0);
}

TEST_F(StoreScreens, ResultBannerClockAndSizes) {
  struct Case {
    Single clock;
    double ft;
    Single after;
    const char* text;
    float size;
  };
  for (const Case& c : {Case{4.0f, 0.1, 3.9f, "missioncomplete!", 20 * 0.5f + 2}, Case{2.0f, 0.1, 1.9f, "missioncomplete!", 2},
                        Case{0.25f, 0.1, 0.15f, "missioncomplete!", 1}, Case{14.0f, 0.1, 13.9f, "missionfailed!", 12},
                        Case{10.05f, 0.1, 0.0f, "missionfailed!", 0.2f}}) {
    FrameTime = c.ft;
    Single clock = c.clock;
    frame([&] { probe().result(clock); });
    EXPECT_NEAR(clock, c.after, 1e-5) << c.clock;
    auto t = findText(c.text);
    ASSERT_TRUE(t) << c.clock << " " << allTexts();
    const auto glyphs = drawsOf(TexFontDDS);
    ASSERT_FALSE(glyphs.empty());
    EXPECT_NEAR(glyphs[0].matrix.m[0][0], c.size, 1e-4) << c.clock;
  }
}

TEST_F(StoreScreens, DirectiveBannerAndWarning) {
  frame([&] { probe().directive(3.0f, "find the reaper", "01:30", 0, false); });
  EXPECT_TRUE(hasText("findthereaper")) << allTexts();
  EXPECT_TRUE(hasText("01:30"));
  frame([&] { probe().directive(4.7f, "find the reaper", "", 0, false); });
  EXPECT_FALSE(hasText("findthereaper"));  // still opening
  frame([&] { probe().directive(0, "", "", 2.6f, true); });
  auto warn = findText("givingupmission...");
  ASSERT_TRUE(warn) << allTexts();
  EXPECT_EQ(warn->colour, 0xFFFF0000u);  // Int(5.2) = 5, odd: bright red
  frame([&] { probe().directive(0, "", "", 2.6f, false); });
  EXPECT_FALSE(hasText("givingupmission..."));
}

TEST_F(StoreScreens, SaveIconFadesFromFullAlpha) {
  probe().saveIconTimer() = 5.0f;
  FrameTime = 1.0;
  frame([&] { probe().saveIcon(); });
  auto draws = drawsOf(TexIconsW);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].color >> 24, 250u);
  EXPECT_EQ(draws[0].rect.left, 128);
  EXPECT_EQ(draws[0].rect.top, 32);
  EXPECT_FLOAT_EQ(draws[0].matrix.m[3][0], 140);
  EXPECT_FLOAT_EQ(probe().saveIconTimer(), 4.0f);
  frame([&] { probe().saveIcon(); });
  EXPECT_EQ(drawsOf(TexIconsW)[0].color >> 24, 200u);
}

}  // namespace
