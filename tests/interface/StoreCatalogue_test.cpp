// Store catalogues and stock lists: reading "\data\partsdef.pnd" and "\data\ammodef.pnd" (the
// shipped files whole, records, "#endfile", unknown keywords, damaged and missing files), the
// shared entries of both files, the stock of each store by tier, the description block, and the
// list row and square cell widgets.
#include <fstream>
#include <sstream>

#include "tests/interface/StoreFixture.h"
#include "runtime/ItemFile.h"
#include "runtime/VbError.h"

namespace {

class StoreCatalogue : public StoreFixture {
 protected:
  std::string shipped(const std::string& name) {
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/content/data/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(StoreCatalogue, ShippedFilesFillEveryEntryWithoutComplaint) {
  dir->write("\\data\\partsdef.pnd", shipped("partsdef.pnd"));
  dir->write("\\data\\ammodef.pnd", shipped("ammodef.pnd"));
  gi->ReadPartDefs();
  auto items = probe().items();
  for (int id = 0; id < 32; ++id) {
    EXPECT_FALSE(items[id].name.empty()) << id;
    EXPECT_FALSE(items[id].desc.empty()) << id;
    EXPECT_GT(items[id].price, 0) << id;
    EXPECT_GE(items[id].value, 0) << id;
    EXPECT_EQ(gi->getPartEnergy(static_cast<Integer>(id)), items[id].value);
  }
  // Heavy mounts cost more than the light ones, and the starting cash buys a first weapon.
  EXPECT_GT(items[10].price, items[4].price);
  EXPECT_LE(items[0].price, 10000);
  gi->ReadAmmoDefs();
  items = probe().items();
  for (int id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18}) {
    EXPECT_FALSE(items[id].name.empty()) << id;
    EXPECT_GT(items[id].price, 0) << id;
  }
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
}

TEST_F(StoreCatalogue, RecordsKeywordsAndUnknownLines) {
  dir->write("\\data\\partsdef.pnd",
             "a comment line\r\n#LASER\r\n120\r\n3\r\nlaser\r\na red beam\r\n"
             "#endfile\r\n"
             "#vulcan\r\n  99.5abc\r\nnone\r\n spin \r\n\r\n"
             "#\r\n"
             "#widget\r\n5\r\n6\r\n"
             "#rocket\r\n100.5\r\n2.5\r\nrocket\r\nboom\r\n");
  gi->ReadPartDefs();
  auto items = probe().items();
  EXPECT_EQ(items[0].price, 120);
  EXPECT_EQ(items[0].value, 3);
  EXPECT_EQ(items[0].name, "laser");
  EXPECT_EQ(items[0].desc, "a red beam");
  // After "#endfile" reading goes on; numbers are read from the line's start and rounded half to
  // even; names are taken whole.
  EXPECT_EQ(items[1].price, 100);
  EXPECT_EQ(items[1].value, 0);
  EXPECT_EQ(items[1].name, " spin ");
  EXPECT_EQ(items[1].desc, "");
  EXPECT_EQ(items[3].price, 100);
  EXPECT_EQ(items[3].value, 2);
  ASSERT_GE(MsgCount, 2);
  EXPECT_EQ(MsgLog[1], "Unrecognized part: ");
  EXPECT_EQ(MsgLog[0], "Unrecognized part: widget");

  // The weapons file replaces name, price and description of shared entries but not the value.
  dir->write("\\data\\ammodef.pnd", "#shotty\r\n40\r\nshotty\r\nclose and loud\r\n#bazooka\r\n1\r\n");
  gi->ReadAmmoDefs();
  items = probe().items();
  EXPECT_EQ(items[3].name, "shotty");
  EXPECT_EQ(items[3].price, 40);
  EXPECT_EQ(items[3].desc, "close and loud");
  EXPECT_EQ(items[3].value, 2);
  EXPECT_EQ(MsgLog[0], "Unrecognized weapon: bazooka");
}

TEST_F(StoreCatalogue, DamagedOrMissingFileRaisesAndKeepsWhatWasRead) {
  dir->write("\\data\\partsdef.pnd", "#laser\r\n120\r\n3\r\nlaser\r\nbeam\r\n#plasma\r\n500\r\n4\r\n");
  try {
    gi->ReadPartDefs();
    FAIL() << "a record cut short must raise";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::InputPastEnd);
  }
  auto items = probe().items();
  EXPECT_EQ(items[0].price, 120);
  EXPECT_EQ(items[2].price, 0);  // the cut record leaves its entry untouched
  EXPECT_EQ(items[2].name, "");

  dir->remove("\\data\\partsdef.pnd");
  try {
    gi->InitParts(0);
    FAIL() << "a missing file must raise";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::FileNotFound);
  }
  // The stock was set before the file was read, so the store still opens with it.
  EXPECT_TRUE(probe().partsInStock()[0]);
}

TEST_F(StoreCatalogue, StockByTier) {
  dir->write("\\data\\partsdef.pnd", "");
  dir->write("\\data\\ammodef.pnd", "");
  struct PartsCase {
    Integer tier;
    std::vector<int> ids;
  };
  for (const PartsCase& c : {PartsCase{0, {0, 1, 6, 7, 13, 15, 17, 21, 22}},
                             PartsCase{1, {0, 1, 2, 3, 5, 7, 8, 10, 11, 13, 14, 19, 20, 21, 22, 23, 24, 28}},
                             PartsCase{3, {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                           14, 15, 16, 17, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28}},
                             PartsCase{5, {}}, PartsCase{-1, {}}}) {
    gi->Scroll = 3;
    gi->xScroll = 2;
    gi->InitParts(c.tier);
    std::vector<int> got;
    for (int id = 0; id < 32; ++id)
      if (probe().partsInStock()[id]) got.push_back(id);
    EXPECT_EQ(got, c.ids) << "tier " << c.tier;
    EXPECT_EQ(gi->Scroll, 0);
    EXPECT_EQ(gi->xScroll, 0);
  }

  struct WeaponCase {
    Integer tier;
    std::vector<int> ids;
  };
  for (const WeaponCase& c : {WeaponCase{0, {3, 0, 13, 10, 14}},
                              WeaponCase{2, {3, 0, 4, 2, 1, 5, 6, 13, 10, 14, 12, 11, 15, 16, 17}},
                              WeaponCase{-1, {}}, WeaponCase{4, {}}}) {
    gi->InitWeaponList(c.tier);
    std::vector<int> got;
    for (Integer id : probe().weaponStock())
      if (id >= 0) got.push_back(id);
    EXPECT_EQ(got, c.ids) << "tier " << c.tier;
  }

  // Ships: tier 4 offers only ship 1; tiers 2 and 3 end with one ship by the node's world type.
  World = std::make_shared<CWorld>();
  World->AddNode("ninja town", "ninja", 10, 10, "", 0, 0, 2);
  World->setNode(0, "ninja town", "ninja", "", 0, 0, 2, 7);
  World->CurrentNode = 0;
  struct ShipCase {
    Integer tier;
    std::vector<int> ids;
  };
  for (const ShipCase& c : {ShipCase{0, {1, 6, 2, 14, 4}}, ShipCase{2, {4, 3, 0, 7, 17, 15, 20, 9}},
                            ShipCase{4, {1}}}) {
    probe().fleetMode() = true;
    probe().selItem() = 5;
    gi->InitShipStore(c.tier);
    std::vector<int> got;
    for (Integer id : probe().shipStock())
      if (id >= 0) got.push_back(id);
    EXPECT_EQ(got, c.ids) << "tier " << c.tier;
    EXPECT_FALSE(probe().fleetMode());
    EXPECT_EQ(probe().selItem(), 0);
  }
  World->setNode(0, "somewhere", "ninja", "", 0, 0, 3, 1);
  gi->InitShipStore(3);
  EXPECT_EQ(probe().shipStock()[7], 13);
  // A design whose file failed to read is not sold; the others close up.
  ShipDefs[6]->ReadFailed = true;
  gi->InitShipStore(0);
  EXPECT_EQ(probe().shipStock()[1], 2);
  EXPECT_EQ(probe().shipStock()[4], -1);
}

TEST_F(StoreCatalogue, DescriptionBlockOfAnEntryOrNone) {
  dir->write("\\data\\partsdef.pnd",
             "#beam\r\n3000\r\n6\r\nbeam\r\na long steady beam that keeps biting as long as you hold on.\r\n");
  gi->ReadPartDefs();
  StoreProbe p = probe();
  EXPECT_EQ(p.describe(4), 3000);
  EXPECT_EQ(p.itemName(), "beam");
  EXPECT_EQ(p.itemEnergy(), 6);
  EXPECT_GT(GameText->getBlockSize(), 0);  // wrapped at 180 pixels: more than one line
  EXPECT_EQ(p.describe(-1), 0);
  EXPECT_EQ(p.itemName(), "");
  EXPECT_EQ(p.itemEnergy(), 0);
  EXPECT_EQ(GameText->getBlockLine(0), "");
  EXPECT_THROW(gi->getPartEnergy(32), VbError);
}

TEST_F(StoreCatalogue, ListRowAndCellsTakeTheClickOnce) {
  StoreProbe p = probe();
  PointerX = 50;
  PointerY = 20;
  MouseClicked = true;
  EXPECT_FALSE(p.row(10, 10, 100, 30, false, true));  // disabled: never clicked
  EXPECT_TRUE(MouseClicked);
  EXPECT_TRUE(p.row(10, 10, 100, 30, false, false));
  EXPECT_FALSE(MouseClicked);
  EXPECT_FALSE(p.row(10, 10, 100, 30, false, false));  // the latch is spent

  // Cells: 85 and 64 pixels square, the pointer strictly inside.
  PointerX = 80;
  PointerY = 80;
  MouseClicked = true;
  EXPECT_FALSE(p.cell(0, 0, false));
  EXPECT_TRUE(MouseClicked);
  EXPECT_TRUE(p.cell(0, 0, true));
  PointerX = 64;
  PointerY = 30;
  MouseClicked = true;
  EXPECT_FALSE(p.cell(0, 0, false));  // on the edge counts as outside
  PointerX = 63;
  EXPECT_TRUE(p.cell(0, 0, false));
}

}  // namespace
