// The talk action at a ship: the category by who the ship is and how things stand, the offer's
// values, its acceptance by a second press (payment, meeting, map mission), the refusals, and the
// talk box's duration and the skip of a mission's talk line.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CTalkControl.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/LoggedLines.h"
#include "tests/support/TempGameDir.h"

struct TalkProbe {
  static Single& timer(CInterface& g) { return g.talkTimer; }
  static const std::string& text(CInterface& g) { return g.talkText; }
  static Single boxY(CInterface& g) { return g.talkBoxY; }
  static Integer ship(CInterface& g) { return g.talkShip; }
  static Long kind(CInterface& g) { return g.talkKind; }
  static Integer value(CInterface& g, int i) { return g.talkValues[static_cast<size_t>(i)]; }
  static bool confirm(CInterface& g) { return g.talkConfirm; }
};

namespace {
// Unit types and alignments of the map's tables.
constexpr Long Trader = 0, Police = 14, Fighter = 10;
constexpr Long Neutral = 0, Zombie = 2;

// Every line names its category; the offers show their values.
const char* const TalkFile =
    "#chatter\r\nneutral\r\nchatter\r\n#chatter\r\nzombie\r\nzombie chatter\r\n"
    "#chatter1\r\nneutral\r\nera one\r\n"
    "#trade\r\nneutral\r\ntrade %yt for %nt\r\n"
    "#forgive\r\nzombie\r\nforgive %m\r\n#gas\r\nneutral\r\ngas %m\r\n#gas\r\nzombie\r\ngas %m\r\n"
    "#success\r\nzombie\r\nsuccess\r\n#failure\r\nzombie\r\nfailure\r\n"
    "#coptalk\r\nneutral\r\ncoptalk\r\n#givemission\r\nneutral\r\ngivemission\r\n"
    "#happymission\r\nneutral\r\nhappymission\r\n";

class TalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(5);
    GameMode = pmPlay;
    dir.write("\\data\\talk.pnd", TalkFile);
    dir.write("\\missions\\map\\map-here.pnd", "#phase 0\r\n#endphase\r\n");
    CurMap = new CMap();
    TalkControl = std::make_shared<CTalkControl>();
    World = std::make_shared<CWorld>();
    World->AddNode("Here", "here", 0, 0, "", 0, 0, 0);
    World->CurrentNode = 0;
    Player = std::make_shared<CPlayer>();
    MissionControl = std::make_shared<CMissionControl>();
    GameInterface = std::make_shared<CInterface>();
    Ships.clear();
    for (int i = 0; i < 4; ++i) Ships.push_back(std::make_shared<CShip>());
    me = &ready(0, 3000);
    me->Fuel = 2000;
    MotherShip = -1;
    MsgLog.fill("");
    MsgCount = 0;
    DevMode = true;
  }
  void TearDown() override {
    Ships.clear();
    GameInterface.reset();
    MissionControl.reset();
    Player.reset();
    World.reset();
    TalkControl.reset();
    delete CurMap;
    CurMap = nullptr;
    GameMode = 0;
    DevMode = false;
    MotherShip = -1;
    clearRndTestSeed();
  }
  // Ships(i) set up with a design worth price and a driver; an AI ship of unit and align.
  CShip& ready(Integer i, Long price, Long unit = Fighter, Long align = Neutral) {
    Ships[i] = std::make_shared<CShip>();
    CShip& s = *Ships[i];
    CShipDef d;
    d.ShipName = "Talker";
    d.Price = price;
    d.MaxArmor = 100;
    d.MaxFuel = 3000;
    d.Cargo = 40;
    s.setDef(d);
    s.Init(i);
    Long pose = 0;
    s.fullInitChar(0, "yuko", "yuko_red.bmp", pose);
    s.Armor = 100;
    if (i > 0) {
      s.setAIType(unit);
      s.setAlign(align);
    }
    return s;
  }
  CInterface& gi() { return *GameInterface; }
  std::string said() { return TalkProbe::text(gi()); }
  TempGameDir dir;
  CShip* me = nullptr;
};
}  // namespace

TEST_F(TalkTest, ATraderOffersOneTradeAndASecondPressArrangesTheMeeting) {
  CShip& t = ready(1, 1000, Trader);
  Player->setResource(2, 5);  // kittens
  gi().ChatterBox(1);
  EXPECT_EQ(TalkProbe::kind(gi()), talkTrade);
  EXPECT_EQ(said().rfind("trade 5 units of kittens for ", 0), 0u) << said();
  EXPECT_TRUE(TalkProbe::confirm(gi()));
  EXPECT_EQ(TalkProbe::value(gi(), 0), 2);
  EXPECT_NE(TalkProbe::value(gi(), 1), 2);
  EXPECT_EQ(TalkProbe::value(gi(), 2), 5);
  EXPECT_FALSE(t.canTrade);
  // the second press within the box's life: the trader comes to meet the player, the box closes
  gi().ChatterBox(1);
  EXPECT_EQ(t.Meeter, 0);
  EXPECT_FLOAT_EQ(TalkProbe::timer(gi()), 0.15f);
  EXPECT_FALSE(TalkProbe::confirm(gi()));
  // a third press: a new talk, and the trader only chats (chatter counts towards the police)
  const Integer talks = CurMap->TalkingsTo;
  gi().ChatterBox(1);
  EXPECT_EQ(said(), "chatter");
  EXPECT_EQ(CurMap->TalkingsTo, talks + 1);
  EXPECT_FALSE(TalkProbe::confirm(gi()));

  // nothing to trade: a fresh trader chats
  CShip& other = ready(2, 1000, Trader);
  Player->setResource(2, 0);
  gi().ChatterBox(2);
  EXPECT_EQ(said(), "chatter");
  EXPECT_TRUE(other.canTrade == false);
}

TEST_F(TalkTest, FuelBelow500BringsAGasOfferPricedByTheShipsValue) {
  struct Case {
    Long fuel;
    bool mission;
    Long worth;
    const char* line;
  };
  const Case cases[] = {{499, false, 2000, "gas $30"}, {499, true, 500, "gas $25"}, {500, false, 2000, "chatter"}};
  for (const Case& c : cases) {
    GameInterface = std::make_shared<CInterface>();
    me = &ready(0, c.worth);
    me->Fuel = c.fuel;
    ready(1, 1000, Fighter);
    MissionControl->Reading = c.mission;
    CurMap->TalkingsTo = 0;
    gi().ChatterBox(1);
    EXPECT_EQ(said().substr(0, std::string(c.line).size()), c.line) << c.fuel << " " << c.worth;
  }
  // a gas offer accepted: the ship is asked to come with fuel
  GameInterface = std::make_shared<CInterface>();
  me = &ready(0, 2000);
  me->Fuel = 10;
  MissionControl->Reading = false;
  CShip& g = ready(1, 1000, Fighter);
  gi().ChatterBox(1);
  gi().ChatterBox(1);
  EXPECT_EQ(g.Meeter, 0);
}

TEST_F(TalkTest, AHostileShipAsksForMoneyAndPaymentMakesPeace) {
  struct Case {
    Long worth, cash, asked, cashAfter;
    const char* answer;
  };
  const Case cases[] = {{3000, 1000, 50, 950, "success"},
                        {200000, 5000, 1000, 4000, "success"},
                        {20000, 100, 200, 0, "failure"}};  // overpaying: all the cash, still peace
  for (const Case& c : cases) {
    GameInterface = std::make_shared<CInterface>();
    me = &ready(0, c.worth);
    Player->Cash = c.cash;
    CShip& h = ready(1, 1000, Fighter, Zombie);
    h.setAIHostile(0, true);
    CurMap->HostileSafe = 0;
    World->setNodeLastHostile(0, 3);
    gi().ChatterBox(1);
    EXPECT_EQ(said(), "forgive $" + std::to_string(c.asked)) << c.worth;
    EXPECT_EQ(TalkProbe::value(gi(), 0), c.asked);
    gi().ChatterBox(1);
    EXPECT_EQ(Player->Cash, c.cashAfter) << c.worth;
    EXPECT_EQ(me->getCash(), c.cashAfter);
    EXPECT_EQ(said(), c.answer) << c.worth;
    EXPECT_FLOAT_EQ(CurMap->HostileSafe, 10.0f);
    EXPECT_EQ(World->getNodeLastHostile(0), 0);
  }
}

TEST_F(TalkTest, NoTalkWithBountiesDriverlessShipsOrHostilesDuringAMission) {
  CShip& b = ready(1, 1000, Fighter);
  b.IsBounty = 4;
  gi().ChatterBox(1);
  EXPECT_FALSE(gi().getTalkBox());
  CShip& h = ready(2, 1000, Fighter, Zombie);
  h.setAIHostile(0, true);
  MissionControl->Reading = true;
  gi().ChatterBox(2);
  EXPECT_FALSE(gi().getTalkBox());
  Ships[3] = std::make_shared<CShip>();
  CShipDef d;
  Ships[3]->setDef(d);
  Ships[3]->Init(3);
  Ships[3]->setAIType(Fighter);
  MissionControl->Reading = false;
  gi().ChatterBox(3);  // no driver portrait
  EXPECT_FALSE(gi().getTalkBox());
}

TEST_F(TalkTest, PoliceOfferTheMapMissionByEraLevelAndRecord) {
  struct Case {
    const char* what;
    Integer era, level;
    bool completed, file;
    const char* line;
  };
  const Case cases[] = {
      {"node above the era", 1, 2, false, true, "coptalk"},
      {"open map mission", 0, 0, false, true, "givemission"},
      {"map mission done", 0, 0, true, true, "happymission"},
      {"no mission file", 0, 0, false, false, "coptalk"},
  };
  for (const Case& c : cases) {
    GameInterface = std::make_shared<CInterface>();
    Player = std::make_shared<CPlayer>();
    if (c.completed) Player->addMissionComplete("map-here.pnd");
    World->setNode(0, "Here", "here", "", 0, 0, c.level, 2);
    World->CurrentEra = c.era;
    if (!c.file) dir.remove("\\missions\\map\\map-here.pnd");
    ready(1, 1000, Police);
    gi().ChatterBox(1);
    EXPECT_EQ(said(), c.line) << c.what;
    EXPECT_EQ(TalkProbe::confirm(gi()), std::string(c.line) == "givemission") << c.what;
    dir.write("\\missions\\map\\map-here.pnd", "#phase 0\r\n#endphase\r\n");
  }
  // accepted: the map mission runs, the map's ships calm down, the officer owns it
  World->setNode(0, "Here", "here", "", 0, 0, 0, 2);
  World->CurrentEra = 0;
  Player = std::make_shared<CPlayer>();
  DevMode = true;  // the record's options turned it off
  CShip& cop = ready(1, 1000, Police);
  CShip& foe = ready(2, 1000, Fighter, Zombie);
  foe.setAIHostile(0, true);
  CurMap->HostileSafe = 5;
  gi().ChatterBox(1);
  gi().ChatterBox(1);
  EXPECT_TRUE(MissionControl->Reading);
  EXPECT_EQ(MissionControl->getLoadedName(), "map-here.pnd");
  EXPECT_EQ(cop.getTag(), "owner");
  EXPECT_FLOAT_EQ(CurMap->HostileSafe, 0);
  EXPECT_FALSE(foe.checkAIHostile(0));

  // the file gone between offer and acceptance: refused with a message, nothing raises
  MissionControl->Reading = false;
  ready(1, 1000, Police);
  gi().ChatterBox(1);
  ASSERT_EQ(said(), "givemission");
  dir.remove("\\missions\\map\\map-here.pnd");
  gi().ChatterBox(1);
  EXPECT_FALSE(MissionControl->Reading);
  EXPECT_TRUE(logged("No mission file for here"));
}

TEST_F(TalkTest, TheBoxStaysByItsLengthAndTheTalkKeySkipsMissionLines) {
  EXPECT_FLOAT_EQ(gi().MakeTalkBox("yuko_red", std::string(60, 'x'), false, true), 7.0f);
  EXPECT_FLOAT_EQ(gi().MakeTalkBox("yuko_red", std::string(100, 'x'), true, true), 9.0f);
  EXPECT_TRUE(gi().getTalkBox());
  EXPECT_FLOAT_EQ(TalkProbe::boxY(gi()), 15.0f);
  EXPECT_EQ(TalkProbe::ship(gi()), -1);
  // a mission line: the talk key cuts the box and the phase's wait to half a second
  MissionControl->StartMission();
  MissionControl->setCurrentWait(6);
  gi().continueMissionTalk();
  EXPECT_FLOAT_EQ(TalkProbe::timer(gi()), 0.5f);
  EXPECT_FLOAT_EQ(MissionControl->getCurrentWait(), 0.5f);
  // no mission: nothing cut
  MissionControl->Reading = false;
  gi().MakeTalkBox("yuko_red", "hi", false, true);
  MissionControl->setCurrentWait(6);
  gi().continueMissionTalk();
  EXPECT_FLOAT_EQ(TalkProbe::timer(gi()), 4.1f);
  EXPECT_FLOAT_EQ(MissionControl->getCurrentWait(), 6.0f);
}

// A mission's talk box tells the next step: the directive still on the banner from the step
// before it (the tutorial's "hold space until the warp tunnel opens" when Ned welcomes the pilot
// at the other end) goes, and the box takes the banner's place at the top. A directive the script
// gives after the box shows with it, the box below the banner.
TEST_F(TalkTest, AMissionTalkBoxEndsTheDirectiveShownBeforeIt) {
  dir.write("\\missions\\era0\\steps.pnd",
            "#phase 0\r\ndir Hold space until the tunnel opens\r\nwait 2\r\npopup ned, Welcome!\r\n"
            "dir Land at the pad\r\nwait 30\r\n#endphase\r\n");
  MissionControl->LoadMission("steps.pnd", -1, "");
  MissionControl->StartMission();
  FrameTime = 0.1;
  Single directiveAtPopup = -1, boxYAtPopup = -1;
  for (int frame = 0; frame < 60 && directiveAtPopup < 0; ++frame) {
    const bool before = gi().getTalkBox();
    const std::string directive = MissionControl->getDirective();
    MissionControl->doRead();
    if (!before && gi().getTalkBox()) {
      ASSERT_EQ(directive, "Hold space until the tunnel opens");
      directiveAtPopup = MissionControl->getDirectiveFrame();
      boxYAtPopup = TalkProbe::boxY(gi());
    }
  }
  ASSERT_GE(directiveAtPopup, 0) << "the popup never opened";
  EXPECT_EQ(directiveAtPopup, 0.0f) << "the directive before the popup still shows";
  EXPECT_FLOAT_EQ(boxYAtPopup, 15.0f);
  // The box's wait over, the next directive shows.
  for (int frame = 0; frame < 80 && MissionControl->getDirective() != "Land at the pad"; ++frame)
    MissionControl->doRead();
  EXPECT_EQ(MissionControl->getDirective(), "Land at the pad");
  EXPECT_GT(MissionControl->getDirectiveFrame(), 4.0f);
  FrameTime = 0;
}
