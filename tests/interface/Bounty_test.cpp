// Bounties: reading the 64 records of the bounty file, the offer walk with the game's seeded
// generator, the portraits of the offers, bad bounty files, the office's two pages, taking a
// target and its message, and the description under the pointer on the status screen.
#include <memory>
#include <string>
#include <vector>

#include "engine/MediaHandles.h"
#include "levels/CMap.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Rnd.h"
#include "tests/interface/StoreFixture.h"

struct BountyProbe {
  CInterface& g;
  std::array<Integer, 3>& offers() { return g.bountyOffers; }
  std::string name(Integer i) { return g.bounties.at(static_cast<size_t>(i)).name; }
  std::string text(Integer i) { return g.bounties.at(static_cast<size_t>(i)).text; }
  Long unit(Integer i) { return g.bounties.at(static_cast<size_t>(i)).unit; }
  void office() { g.drawBountyHunting(); }
  void status() { g.drawStatusScreen(); }
  void message() { g.drawBountyMessage(); }
  Single msgTimer() { return g.bountyMsgTimer; }
};

namespace {

// Units of the fixture's unit table: 10 has a driver "pir", 40 a driver "zaf", 12 none.
const char* const UnitFile = "#pirate\r\nct1 pir\r\n#zafia\r\nct1 zaf\r\n#cyborg\r\n";

struct Record {
  std::string name, text, reward, unit;
};

class BountyTest : public StoreFixture {
 protected:
  void SetUp() override {
    StoreFixture::SetUp();
    savedTexMon = TexMon;
    TexMon.reset();  // portraits are followed through the cache only where a test makes one
    savedPortraits = ZafPortraitTex;
    LoadDone = true;
    dir->write("\\data\\shipinfo.pnd", UnitFile);
    map = std::make_unique<CMap>();
    CurMap = map.get();
    ZafPortraitTex = {texture(128, 128), texture(128, 128), texture(128, 128)};
    writeBounties([](int i) {
      return Record{"target " + std::to_string(i), "about " + std::to_string(i), std::to_string(100 + i),
                    i % 2 ? "pirate" : "zafia"};
    });
    MsgLog.fill("");
    MsgCount = 0;
    clearRndTestSeed();
  }
  void TearDown() override {
    clearRndTestSeed();
    CurMap = nullptr;
    map.reset();
    ZafPortraitTex = savedPortraits;
    TexMon = savedTexMon;
    StoreFixture::TearDown();
  }
  static std::string portraitName(int k) { return "portraits\\zaf" + std::to_string(k + 1) + ".bmp"; }
  template <class F>
  void writeBounties(F&& record, int count = 64) {
    std::string t;
    for (int i = 0; i < count; ++i) {
      const Record r = record(i);
      t += r.name + "\r\n" + r.text + "\r\n" + r.reward + "\r\n" + r.unit + "\r\n-\r\n";
    }
    dir->write("\\data\\bounty.pnd", t);
  }
  void setStates(Long state, std::initializer_list<Integer> list) {
    for (Integer b : list) Player->setBountyHunted(b, state);
  }
  void openAll() {
    for (Integer b = 0; b < 64; ++b) Player->setBountyHunted(b, 0);
  }
  D3DCOLOR colourOf(const std::string& s) const {
    auto t = findText(s);
    return t ? t->colour : 0;
  }
  static constexpr D3DCOLOR Grey = 0xFF646464;  // a disabled button's caption
  bool logged(const std::string& start) const {
    for (int i = 0; i < MsgCount; ++i)
      if (MsgLog[static_cast<size_t>(i)].rfind(start, 0) == 0) return true;
    return false;
  }
  BountyProbe bp() { return BountyProbe{*gi}; }
  std::array<Integer, 3> offersWithSeed(uint32_t seed) {
    setRndSeedForTests(seed);
    gi->InitBountyList();
    return bp().offers();
  }

  std::shared_ptr<CTextureMonster> savedTexMon;
  std::array<Integer, 3> savedPortraits{};
  std::unique_ptr<CMap> map;
};

constexpr Single OfficeX0 = 150, OfficeY0 = 120;
constexpr Single NewsX = 250, HuntX = 550, DoneX = 400, ButtonY = 450;  // button centres
Single rowY(int place) {
  return OfficeY0 + 42 + 85 * place + 42;
}

// ---- the file ------------------------------------------------------------------------------------

TEST_F(BountyTest, RecordsKeepNameTextRewardAndUnit) {
  struct Case {
    const char* reward;
    Long expected;
  };
  const Case rewards[] = {{"1500", 1500}, {"money", 0},         {"", 0},           {"2.5", 2},
                          {"3.5", 4},     {"750 dollars", 750}, {"99999999999", 0}};
  writeBounties([&](int i) {
    const size_t n = sizeof(rewards) / sizeof(rewards[0]);
    return Record{i == 0 ? "[R]red[r] baron" : "t", i == 0 ? "flies a red ship" : "",
                  i < static_cast<int>(n) ? rewards[i].reward : "1", i == 1 ? "no_such_unit" : "PIRATE"};
  });
  gi->InitBountyList();
  for (size_t i = 0; i < sizeof(rewards) / sizeof(rewards[0]); ++i)
    EXPECT_EQ(gi->getBountyVal(static_cast<Integer>(i)), rewards[i].expected) << rewards[i].reward;
  EXPECT_EQ(gi->getBountyName(0), "[R]red[r] baron");
  EXPECT_EQ(bp().text(0), "flies a red ship");
  EXPECT_EQ(gi->getBountyUnit(0), 10);
  EXPECT_EQ(gi->getBountyUnit(1), -1);
  EXPECT_TRUE(logged("Unexpected unit type: no_such_unit"));
  EXPECT_TRUE(logged("Bounty 6: reward out of range"));
  EXPECT_EQ(gi->getBountyUnit(63), 10);
  EXPECT_THROW(gi->getBountyName(64), VbError);

  dir->write("\\data\\bounty.pnd", "\xEF\xBB\xBF" + readFileBytes(resolvePath("\\data\\bounty.pnd")));
  gi->InitBountyList();
  EXPECT_EQ(gi->getBountyName(0), "[R]red[r] baron") << "a UTF-8 mark is not part of the first name";
}

TEST_F(BountyTest, AMissingOrShortFileOffersNothingWithAMessage) {
  setRndSeedForTests(1);
  gi->InitBountyList();
  ASSERT_NE(bp().offers()[0], -1);  // the full file offers something with this seed

  writeBounties([](int i) { return Record{"short " + std::to_string(i), "", "5", "zafia"}; }, 10);
  MsgCount = 0;
  EXPECT_EQ(offersWithSeed(1), (std::array<Integer, 3>{-1, -1, -1}));
  EXPECT_TRUE(logged("Bounty list \\data\\bounty.pnd: 50 lines, 320 expected; no bounties offered."));
  EXPECT_EQ(gi->getBountyName(9), "short 9");  // whole records read stay
  EXPECT_EQ(gi->getBountyName(10), "");

  dir->remove("\\data\\bounty.pnd");
  MsgCount = 0;
  EXPECT_NO_THROW(gi->InitBountyList());
  EXPECT_EQ(bp().offers(), (std::array<Integer, 3>{-1, -1, -1}));
  EXPECT_TRUE(logged("Bounty list \\data\\bounty.pnd: File not found"));
}

// ---- the offer walk ------------------------------------------------------------------------------

TEST_F(BountyTest, TakenBountiesLimitTheOffers) {
  int oneOffered = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    openAll();
    setStates(1, {5, 9, 30});
    EXPECT_EQ(offersWithSeed(seed), (std::array<Integer, 3>{-1, -1, -1})) << "three taken, seed " << seed;

    Player->setBountyHunted(30, 2);
    const auto two = offersWithSeed(seed);
    EXPECT_EQ(two[1], -1) << seed;
    EXPECT_EQ(two[2], -1) << seed;
    oneOffered += two[0] >= 0;

    openAll();
    setStates(1, {0, 2});
    setStates(2, {1, 3, 4});
    const auto open = offersWithSeed(seed);
    for (int k = 0; k < 3; ++k) {
      if (open[k] < 0) {
        for (int rest = k; rest < 3; ++rest) EXPECT_EQ(open[rest], -1) << seed;
        break;
      }
      EXPECT_GE(open[k], 5) << "taken and closed bounties are never offered, seed " << seed;
      EXPECT_LT(open[k], 63) << seed;
      if (k > 0) {
        EXPECT_GT(open[k], open[k - 1]) << "offers come in index order, seed " << seed;
      }
    }
  }
  EXPECT_GT(oneOffered, 150) << "with two taken the one offer is nearly always made";
}

TEST_F(BountyTest, Bounty63IsNeverOffered) {
  for (Integer b = 0; b < 63; ++b) Player->setBountyHunted(b, 2);
  for (uint32_t seed = 1; seed <= 300; ++seed)
    EXPECT_EQ(offersWithSeed(seed), (std::array<Integer, 3>{-1, -1, -1})) << seed;
}

// The walk offers a bounty it reaches with a chance of 0.4 and passes over the next one with a
// chance of 0.3: the first offer is bounty 0 in 40 % of the seeds and bounty 1 in 0.6 x 0.7 x 0.4.
TEST_F(BountyTest, TheWalkOffersWithItsTwoChances) {
  const int seeds = 3000;
  int first0 = 0, first1 = 0;
  for (int s = 1; s <= seeds; ++s) {
    const auto o = offersWithSeed(static_cast<uint32_t>(s));
    first0 += o[0] == 0;
    first1 += o[0] == 1;
  }
  EXPECT_NEAR(first0 / double(seeds), 0.4, 0.03);
  EXPECT_NEAR(first1 / double(seeds), 0.168, 0.025);
}

// ---- portraits -----------------------------------------------------------------------------------

TEST_F(BountyTest, OffersShowTheDriverOfTheirUnitAndAnUnknownUnitKeepsThePortrait) {
  struct Case {
    const char* unit;
    const char* portrait;  // "" keeps the one shown before
  };
  for (const Case& c :
       {Case{"pirate", "\\gfx\\portraits\\pir.bmp"}, Case{"zafia", "\\gfx\\portraits\\zaf.bmp"},
        Case{"no_such_unit", ""}, Case{"cyborg", ""}}) {
    TexMon = std::make_shared<CTextureMonster>();
    for (int k = 0; k < 3; ++k) ZafPortraitTex[k] = TexMon->getTextureNumber(portraitName(k));
    writeBounties([&](int) { return Record{"t", "", "1", c.unit}; });
    MsgCount = 0;
    const auto o = offersWithSeed(7);
    int offered = 0, reloads = 0;
    for (int i = 0; i < MsgCount; ++i)
      reloads += MsgLog[static_cast<size_t>(i)].rfind(
                     std::string("Error in forceReplace: (") + c.portrait + ")", 0) == 0;
    for (int k = 0; k < 3; ++k) {
      if (o[k] < 0) continue;
      ++offered;
      // The handle keeps its name only when it was not reloaded.
      EXPECT_EQ(TexMon->getTextureNumber(portraitName(k)) == ZafPortraitTex[k], !*c.portrait) << c.unit << k;
    }
    EXPECT_EQ(offered, 3) << c.unit;
    EXPECT_EQ(reloads, *c.portrait ? offered : 0) << c.unit;  // the files are missing here
  }
}

// ---- the office ----------------------------------------------------------------------------------

TEST_F(BountyTest, TheOfficeOpensOnTheNewsAndItsButtonsSwitchPages) {
  setRndSeedForTests(1);
  gi->InitBountyList();
  gi->Window = msBountyOffice;
  gi->BountyMode = false;
  frame([&] { bp().office(); });
  EXPECT_EQ(colourOf("watchnews"), Grey);  // the page shown
  EXPECT_NE(colourOf("bountyhunting"), Grey);
  EXPECT_FALSE(hasText("$100")) << allTexts();

  clickAt(HuntX, ButtonY, [&] { bp().office(); });
  EXPECT_TRUE(gi->BountyMode);
  clickAt(NewsX, ButtonY, [&] { bp().office(); });
  EXPECT_FALSE(gi->BountyMode);
  EXPECT_EQ(gi->Window, msBountyOffice);

  for (bool targets : {false, true}) {
    gi->BountyMode = targets;
    ship().LandingFrame = 3;
    clickAt(DoneX, ButtonY, [&] { bp().office(); });
    EXPECT_EQ(gi->Window, msNone) << targets;
    EXPECT_EQ(ship().LandingFrame, 1001) << targets;
    gi->Window = msBountyOffice;
  }
}

TEST_F(BountyTest, TheTargetPageListsTheOffersAndAClickTakesOne) {
  gi->Window = msBountyOffice;
  gi->BountyMode = true;
  gi->InitBountyList();
  bp().offers() = {4, 11, -1};
  frame([&] { bp().office(); });
  auto name = findText("target4");
  ASSERT_TRUE(name) << allTexts();
  EXPECT_EQ(name->colour, 0xFFFFFF00u);
  EXPECT_TRUE(hasText("$111"));
  EXPECT_TRUE(hasText("about11"));
  int greyHunting = 0;  // the frame's title is white, the page's button grey
  for (const DrawnText& t : texts()) greyHunting += t.text == "bountyhunting" && t.colour == Grey;
  EXPECT_EQ(greyHunting, 1) << allTexts();
  EXPECT_EQ(drawsOf(ZafPortraitTex[0]).size(), 1u);
  EXPECT_EQ(drawsOf(ZafPortraitTex[1]).size(), 1u);
  EXPECT_TRUE(drawsOf(ZafPortraitTex[2]).empty()) << "an empty place is not drawn";
  EXPECT_EQ(drawsOf(ZafPortraitTex[1])[0].color, D3DColorARGB(200, 255, 100, 100));

  ship().LandingFrame = 3;
  clickAt(400, rowY(1), [&] { bp().office(); });
  EXPECT_EQ(Player->getBountyHunted(11), 1);
  EXPECT_EQ(Player->getBountyHunted(4), 0);
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_EQ(ship().LandingFrame, 1001);
  EXPECT_EQ(bp().offers(), (std::array<Integer, 3>{4, 11, -1}));
  EXPECT_FLOAT_EQ(bp().msgTimer(), 2.0f);
  FrameTime = 0.5;
  frame([&] { bp().message(); });
  EXPECT_TRUE(hasText("newtarget:target11!")) << allTexts();
  EXPECT_FLOAT_EQ(bp().msgTimer(), 1.75f);
}

TEST_F(BountyTest, TheStatusScreenDescribesTheBountyUnderThePointer) {
  World = std::make_shared<CWorld>();
  gi->InitBountyList();
  Player->setBountyHunted(7, 1);
  gi->sScroll = -20;
  PointerX = 600;  // on the first line of open bounties, y 424
  PointerY = 424;
  frame([&] { bp().status(); });
  EXPECT_TRUE(hasText("about7")) << allTexts();
  PointerY = 300;
  frame([&] { bp().status(); });
  EXPECT_FALSE(hasText("about7"));
  EXPECT_TRUE(hasText("target7"));
}

}  // namespace
